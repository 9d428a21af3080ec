#pragma once
// The base of every script object: a case-insensitive table of named members (each value carrying
// its member flags), optional watches, a prototype link, a weak link to the owning player and a
// weak link to an ActionScript 3 class whose traits answer property lookups.
#include <atomic>
#include <cstdint>

#include "flash/base/array.h"
#include "flash/base/bx_string.h"
#include "flash/base/hash.h"
#include "flash/base/ref_counted.h"
#include "flash/base/smart_ptr.h"
#include "flash/runtime/as_value.h"

namespace flash {

class character;
class engine_instance;
class script_account;
class root;
class as_environment;
struct event_id;

// Interface root of script objects: the reference count and weak-reference proxy.
class as_object_interface : public ref_counted {};

// One trait of an ActionScript 3 class as instance lookups see it.
struct as3_trait {
    bx_string name;
    uint8_t flags = 0;  // 0: the trait is a property the instance answers for
};

class as_object : public as_object_interface {
public:
    // Class identifiers answered by is().
    enum class_id {
        OBJECT = 0,
        CHARACTER = 1,
        SPRITE = 2,
        FUNCTION = 3,
        C_FUNCTION = 4,
        S_FUNCTION = 5,
        AS3_FUNCTION = 6,
        CHARACTER_DEF = 9,
        KEY = 14,
        ARRAY = 15,
        CANVAS = 19,
        EDIT_TEXT = 30,
        TEXT_FORMAT = 32,
        MOVIE_CLIP_LOADER = 33,
        TIMER = 35,
    };

    // The callback is held weakly: a watch never keeps its function alive, and a dead one is skipped.
    struct watch_entry {
        weak_ptr<as_object> func;
        as_value user_data;
        bool running = false;
    };

    explicit as_object(engine_instance* owner);
    as_object(const as_object&) = delete;
    as_object& operator=(const as_object&) = delete;
    ~as_object() override;

    virtual bool is(int class_id) const;
    virtual const char* to_string();
    virtual double to_number();
    virtual bool to_bool();
    virtual const char* type_of();
    virtual bool set_member(const bx_stringi& name, const as_value& value);
    virtual bool get_member(const bx_stringi& name, as_value* value);
    virtual bool find_property(const bx_stringi& name, as_value* owner);
    virtual bool on_event(const event_id& event);
    virtual void enumerate(as_environment* env);
    virtual as_object* get_proto();
    virtual bool watch(const bx_string& name, as_function* func, const as_value& user_data);
    virtual bool unwatch(const bx_string& name);
    virtual void clear_refs(hash<as_object*, bool>* visited, as_object* this_ptr);
    // Marks this object and everything it reaches in the player's heap, each object once a pass.
    virtual void this_alive();
    // What this_alive follows from one object: its prototype and members; objects that hold
    // references elsewhere (children, environments) add those.
    virtual void mark_references();
    // Counted references the object holds besides its members and prototype (a script
    // function's with stack), for the garbage pass: how many, the one at i (may be null), and
    // dropping it (to cut a cycle of garbage, or when the heap goes).
    virtual int get_held_count() const { return 0; }
    virtual as_object* get_held(int /*i*/) const { return nullptr; }
    virtual void drop_held(int /*i*/) {}
    virtual void alive();
    virtual void copy_to(as_object* target);
    virtual void dump();
    virtual void dump(bx_string& out);
    virtual root* get_root();
    virtual as_environment* get_environment();
    virtual void advance(float dt);
    // The traits of an ActionScript 3 class object (null for every other object).
    virtual const array<as3_trait>* get_traits() const;
    // is(CHARACTER), is(FUNCTION) and is(S_FUNCTION) without a virtual call: every script call
    // asks them. The classes that answer them set the bit when they are made.
    bool is_character() const { return m_kinds & KIND_CHARACTER; }
    bool is_function() const { return m_kinds & KIND_FUNCTION; }
    bool is_script_function() const { return m_kinds & KIND_SCRIPT_FUNCTION; }

    // Whether get_member(name) is answered by this object's own member table alone: no builtin
    // method, standard member or child of that name comes first. It stays so while
    // member_lookup_version() stays. Every override of get_member keeps this in step.
    virtual bool reads_own_member(const bx_stringi& name);
    // Whether set_member(name) writes the own member table (no standard member of that name).
    // Every override of set_member keeps this in step.
    virtual bool writes_own_member(const bx_stringi& name);
    bool has_watches() const { return m_watches != nullptr; }
    // Whether a member holding old may take value instead: a member's text counts with it, so a
    // longer text is charged to the account (false when refused: nothing may be written) and a
    // shorter one gives the difference back. Inline: every member write asks.
    bool may_replace_text(const as_value& old, const as_value& value) {
        if (!m_account || (!old.is_string() && !value.is_string())) [[likely]] return true;
        return charge_text_change(old, value);
    }

    // Stores value with the dont-enum flag straight into the member table.
    void builtin_member(const bx_stringi& name, const as_value& value);
    // The same, but only when the object has no member of that name.
    void add_fixed_builtin(const bx_stringi& name, const as_value& value);
    // Resolves a path text (slash or dot form) or an object value to an object; null when none.
    as_object* find_target(const as_value& path);
    engine_instance* get_player() const;
    as_object* get_global() const;
    as_object* create_proto(const as_value& constructor);
    void set_proto(as_object* proto);
    // Whether this object's constructor chain holds ctor.
    bool instance_of(const as_function* ctor);

    // The object this one stands in for (prototypes copy it); weak.
    as_object* get_inherited() const { return m_inherited.get_ptr(); }
    void set_inherited(as_object* object) { m_inherited = object; }
    // The ActionScript 3 class whose traits find_property searches; weak.
    as_object* get_class() const { return m_class.get_ptr(); }
    void set_class(as_object* cls) { m_class = cls; }

    // Own members, for enumeration and the builtins.
    stringi_hash<as_value>& get_members() { return m_members; }
    const stringi_hash<as_value>& get_members() const { return m_members; }
    // Sets the flags of an own member; false when there is none.
    bool set_member_flags(const bx_stringi& name, int flags);

protected:
    enum kind_bit : uint8_t { KIND_CHARACTER = 1, KIND_FUNCTION = 2, KIND_SCRIPT_FUNCTION = 4 };
    void add_kind(kind_bit bit) { m_kinds = static_cast<uint8_t>(m_kinds | bit); }

    stringi_hash<as_value> m_members;

private:
    // The stored slot of name in this object or its prototype chain; a character on the chain
    // stops the walk and is handed back, since its members are not all stored.
    // name_hash is the name's key hash in the member tables.
    const as_value* lookup_raw(const bx_stringi& name, uint32_t name_hash,
                               as_object** character = nullptr);
    // Writes a value into the own member at a table index, unless the member is read-only;
    // always true, as set_member is.
    bool store_own(int index, as_value& new_value);
    // Charges a new member to the account of the movie that made this object; false when the
    // account refuses it (nothing may be added then). Without an account nothing is counted.
    bool charge_new_member(const bx_stringi& name, const as_value& value) {
        return !m_account || charge_member(name, value);
    }
    bool charge_member(const bx_stringi& name, const as_value& value);
    bool charge_text_change(const as_value& old, const as_value& value);

    stringi_hash<watch_entry>* m_watches = nullptr;
    weak_ptr<as_object> m_inherited;
    as_object* m_proto = nullptr;  // counted
    weak_ptr<engine_instance> m_player;
    weak_ptr<as_object> m_class;
    // The account of the movie whose scripts made this object (counted), and what its members
    // were charged there.
    script_account* m_account = nullptr;
    int64_t m_charged = 0;
    uint8_t m_kinds = 0;
};

inline void as_value::set_undefined_releasing_object() {
    if (m_type != OBJECT) {
        set_undefined();
        return;
    }
    // Changed before the release, as set_undefined does; an OBJECT holds only its object.
    as_object* object = m_object;
    m_type = UNDEFINED;
    m_flags = 0;
    m_object = nullptr;
    as_release(object);
}

inline void as_value::become_object(as_object* object) {
    as_add_ref(object);
    m_type = OBJECT;
    m_object = object;
    m_flags = 0;
}

// Changes whenever something that comes before own members in a lookup changes: a builtin
// table, a display list, a character's name. Remembered lookups are valid while it stays.
extern std::atomic<uint32_t> g_member_lookup_version;
inline uint32_t member_lookup_version() {
    return g_member_lookup_version.load(std::memory_order_relaxed);
}
inline void member_lookup_changed() {
    g_member_lookup_version.fetch_add(1, std::memory_order_relaxed);
}

// Checked casts: the object as a T when it answers is() for T's class id (`T::cast_class_id`),
// otherwise null (also for null). Each class with a cast carries its id: functions (4 native,
// 5 script) here, the display and builtin classes where they are built.
template <class T>
T* cast_to(as_object* object) {
    return object && object->is(T::cast_class_id) ? static_cast<T*>(object) : nullptr;
}
template <class T>
const T* cast_to(const as_object* object) {
    return object && object->is(T::cast_class_id) ? static_cast<const T*>(object) : nullptr;
}

// Lets every object of objects go (the array ends empty) once nothing runs scripts on them any
// more: every member, prototype link and held value is cut first, so that cycles between them
// are freed instead of leaked, and each then goes in turn, so the frees run one at a time rather
// than as one cascade. An engine instance's end does this with its heap.
void release_cut(array<smart_ptr<as_object>>* objects);

// The native Object methods and constructor.
void as_object_addproperty(const fn_call& fn);
void as_object_registerclass(const fn_call& fn);
void as_object_hasownproperty(const fn_call& fn);
void as_object_watch(const fn_call& fn);
void as_object_unwatch(const fn_call& fn);
void as_object_dump(const fn_call& fn);
void as_object_ctor(const fn_call& fn);
void as_object_addeventlistener(const fn_call& fn);

}  // namespace flash
