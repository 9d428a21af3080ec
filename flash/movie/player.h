#pragma once
// The engine instance: the ActionScript global object with its builtin classes, the shared
// builtin method tables, the heap of script objects that the garbage pass walks, the current
// root and its top-level movie, the start time and the verbose flags. (The movie library and
// the loading of movies join this class with the movie side.)
#include <cstdint>

#include "flash/base/bx_string.h"
#include "flash/base/hash.h"
#include "flash/base/ref_counted.h"
#include "flash/base/smart_ptr.h"
#include "flash/runtime/as_value.h"

namespace flash {

class as_object;
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

class player : public ref_counted {
public:
    player();
    ~player() override;

    as_object* get_global() const { return m_global.get_ptr(); }

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
    static int get_instance_count();

    // Heap and garbage pass.
    void mark_alive(as_object* obj);
    bool is_garbage(as_object* obj) const;
    bool is_in_heap(as_object* obj) const;
    void set_as_garbage();
    void clear_garbage();
    void clear_heap();
    int get_heap_size() const { return m_heap.size(); }

    // The current root: a weak link, dropped once the root has died.
    root* get_root();
    template <class R>
    void set_root(R* r) {
        set_root_link(r, r ? r->get_weak_proxy() : nullptr);
    }
    // The top-level movie of the current root (what "/" paths and "_root" give).
    as_object* get_root_movie() const;
    void set_root_movie(as_object* movie);

    // Verbose flags (engine-wide).
    void verbose_action(bool on);
    void verbose_parse(bool on);

    // Milliseconds of the engine clock when the global object was built.
    uint64_t get_start_time() const { return m_start_time; }

    void set_flash_vars(const bx_string& vars) { m_flash_vars = vars; }
    const bx_string& get_flash_vars() const { return m_flash_vars; }
    void set_workdir(const char* dir) { m_workdir = dir ? dir : ""; }
    const char* get_workdir() const { return m_workdir.c_str(); }
    bool get_force_realtime_framerate() const { return m_force_realtime_framerate; }
    void set_force_realtime_framerate(bool on) { m_force_realtime_framerate = on; }
    static bool use_separate_thread();
    static void set_separate_thread(bool on);

    // Builds the global object's members (the constructor calls it).
    void action_init();
    // Clears the standard member table when no instance is left.
    static void action_clear();

private:
    void set_root_link(root* r, weak_proxy* proxy);
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

    hash<smart_ptr<as_object>, bool> m_heap;
    smart_ptr<as_object> m_global;
    uint64_t m_start_time = 0;
    root* m_root = nullptr;               // weak: valid while m_root_proxy is alive
    weak_proxy* m_root_proxy = nullptr;   // counted
    weak_ptr<as_object> m_root_movie;
    bx_string m_workdir;
    bx_string m_flash_vars;
    bool m_force_realtime_framerate = false;
};

}  // namespace flash
