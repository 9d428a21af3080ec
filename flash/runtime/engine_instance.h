#pragma once
// What the script runtime needs of the engine instance that owns its objects: the global object,
// the heap the garbage pass walks, the current root and root movie and the start time. The
// movie side's `player` implements it, so the runtime never depends on the movie library. The
// builtin method tables are shared by every instance and live here with the runtime that reads
// them.
#include <cstdint>

#include "flash/base/bx_string.h"
#include "flash/base/ref_counted.h"

namespace flash {

class as_function;
class as_object;
class as_value;
class character;
class listener;
class root;

// Builtin class ids of the shared method tables.
enum builtin_class {
    BUILTIN_OBJECT_METHOD = 0,
    BUILTIN_SPRITE_METHOD = 1,
    BUILTIN_NUMBER_METHOD = 2,
    BUILTIN_BOOLEAN_METHOD = 3,
    BUILTIN_STRING_METHOD = 4,
    BUILTIN_COUNT = 5
};

class engine_instance : public ref_counted {
public:
    virtual as_object* get_global() const = 0;

    // Heap of script objects for the garbage pass.
    virtual void mark_alive(as_object* obj) = 0;
    virtual bool is_garbage(as_object* obj) const = 0;
    virtual bool is_in_heap(as_object* obj) const = 0;
    // Marks obj alive (entering it when the heap lacks it); false when it already was, so that a
    // marking walk visits each object once with one lookup.
    virtual bool mark_reached(as_object* obj) = 0;

    // The current root, null once it has died.
    virtual root* get_root() = 0;
    // The top-level movie of the current root (what "/" paths and "_root" give).
    virtual as_object* get_root_movie() const = 0;

    // Milliseconds of the engine clock when the global object was built.
    virtual uint64_t get_start_time() const = 0;

    // The current root's advance listeners, where interval timers and movie loaders step; null
    // without a root.
    virtual listener* get_advance_listeners() { return nullptr; }
    // The advance listeners of a given root (of this player); null for none.
    virtual listener* get_root_advance_listeners(root* /*r*/) { return nullptr; }
    // The SWF version of the current root's movie; 0 without a root.
    virtual int get_movie_version() const { return 0; }
    // Loads a movie (file type 1) or an image (file type 2) file into a target clip; an empty
    // url takes away what was loaded there. The movie side does the work; without it nothing
    // is loaded.
    virtual void load_into_target(const char* /*url*/, int /*file_type*/, as_object* /*target*/) {}
    // StopSounds: every playing sound stops (through the sound handler, when one is installed).
    virtual void stop_all_sounds() {}
    // registerClass: whether the movie of target exports a resource under symbol; when it does
    // and ctor is given, ctor becomes the class of that resource's instances.
    virtual bool register_exported_class(as_object* /*target*/, const bx_string& /*symbol*/,
                                         as_function* /*ctor*/) {
        return false;
    }

    // Looks name up in the shared table of a builtin class and copies it to out (when given).
    static bool get_builtin(int class_id, const bx_stringi& name, as_value* out);
    // The same with the name's stringi_hash key hash already computed. Inline: every member
    // read asks the Object table first, and a clear name bit answers most of them unprobed.
    static bool get_builtin(int class_id, const bx_stringi& name, uint32_t name_hash,
                            as_value* out) {
        if (class_id < 0 || class_id >= BUILTIN_COUNT) return false;
        if (!(s_builtin_name_bits[class_id] & builtin_name_bit(name_hash))) return false;
        return find_builtin(class_id, name, name_hash, out);
    }
    // Adds or replaces an entry of a builtin table (the table is made when missing); the class
    // code of each table fills it.
    static void set_builtin(int class_id, const bx_stringi& name, const as_value& value);
    // Drops every builtin table (when the last instance goes).
    static void clear_builtins();

private:
    static bool find_builtin(int class_id, const bx_stringi& name, uint32_t name_hash,
                             as_value* out);
    // The bit of a name hash in a table's name bits (chosen above the bits that pick a slot of
    // the small tables).
    static uint64_t builtin_name_bit(uint32_t name_hash) {
        constexpr int bit_shift = 8;
        constexpr uint32_t bit_mask = 63;
        return uint64_t{1} << ((name_hash >> bit_shift) & bit_mask);
    }

    // Per builtin table, one bit for each name it holds: most names asked for are not builtins.
    static uint64_t s_builtin_name_bits[BUILTIN_COUNT];
};

}  // namespace flash
