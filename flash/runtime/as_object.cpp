#include "flash/runtime/as_object.h"

#include <cstring>

#include "flash/base/log.h"
#include "flash/runtime/event_id.h"
#include "flash/runtime/name_tables.h"
#include "flash/runtime/engine_instance.h"
#include "flash/runtime/as_environment.h"
#include "flash/runtime/as_function.h"
#include "flash/runtime/script_limits.h"

namespace flash {

namespace {


// The objects whose members the running marking or cutting pass still has to visit. A nested
// call only queues its object, so deep object graphs are walked in a loop.
thread_local array<as_object*>* t_alive_pending = nullptr;
thread_local array<as_object*>* t_clear_pending = nullptr;

// A walk up the prototype chain has passed the bound on its steps (the object itself and
// max_prototype_chain levels): the running scripts end.
bool chain_too_long(int steps) {
    if (steps <= max_prototype_chain + 1) return false;
    stop_script_run(nullptr, bx_string::format("walked a prototype chain past %d levels",
                                               max_prototype_chain).c_str());
    return true;
}

}  // namespace

as_object::as_object(engine_instance* owner) : m_player(owner) {
    script_account* account = owner ? current_script_account() : nullptr;
    if (!account) return;
    m_account = account;
    account->add_ref();
    account->charge_always(script_object_bytes);
}

as_object::~as_object() {
    if (m_account) {
        m_account->credit(script_object_bytes + m_charged);
        m_account->drop_ref();
        m_account = nullptr;
    }
    delete m_watches;
    m_watches = nullptr;
    as_object* proto = m_proto;
    m_proto = nullptr;
    m_members.clear();
    as_release(proto);
}

// Display lists and names change on the threads that build clips too.
constinit std::atomic<uint32_t> g_member_lookup_version{0};

bool as_object::is(int class_id) const { return class_id == OBJECT; }

bool as_object::reads_own_member(const bx_stringi& name) {
    return !engine_instance::get_builtin(BUILTIN_OBJECT_METHOD, name, nullptr);
}

bool as_object::writes_own_member(const bx_stringi&) { return true; }

const char* as_object::to_string() { return "[object Object]"; }

double as_object::to_number() {
    const char* text = to_string();
    if (!text) return 0.0;
    double d;
    string_to_number(&d, text);
    return d;
}

bool as_object::to_bool() { return true; }

const char* as_object::type_of() { return "object"; }

bool as_object::set_member(const bx_stringi& name, const as_value& value) {
    const uint32_t name_hash = stringi_hash<as_value>::key_hash(name);
    // An own member is what the walk up the chain would find first: its slot, once found, also
    // takes the plain write below.
    int own_index = m_members.find_index(name, name_hash);
    // The usual write: a plain value into an own plain member of an unwatched object, with no
    // getter to run and nothing else to ask; the member keeps its flags.
    if (own_index >= 0 && !m_watches && !value.is_property()) {
        as_value& member = m_members.entry_at(own_index).value();
        if (!member.is_property()) {
            const int flags = member.get_flags();
            if (flags & AS_READ_ONLY) return true;
            if (!may_replace_text(member, value)) return true;
            member = value;
            member.set_flags(flags);
            return true;
        }
    }
    as_value new_value(value);
    new_value.set_flags(0);
    // Reading a bound getter for the copy runs script, which may change the member table.
    if (value.is_property()) own_index = m_members.find_index(name, name_hash);
    const as_value* slot =
        own_index >= 0 ? &m_members.entry_at(own_index).value() : lookup_raw(name, name_hash);
    // A getter/setter member (own or inherited) takes the write through its setter.
    if (slot && slot->is_property()) {
        as_value property(*slot);
        property.set_property_target(this);
        property.set_property(new_value);
        return true;
    }
    if (!m_watches && own_index >= 0) return store_own(own_index, new_value);
    as_value old;
    const bool had = m_watches && get_member(name, &old);
    if (m_watches) {
        const int index = m_watches->find_index(name);
        if (index >= 0) {
            watch_entry& entry = m_watches->entry_at(index).value();
            as_object* func_object = entry.func.get_ptr();
            // A watch that writes its own member does not run again for that write.
            if (func_object && func_object->is_function() && !entry.running) {
                entry.running = true;
                as_keep_alive keep_this(this);
                smart_ptr<as_object> keep_func(func_object);
                as_environment env(get_player());
                env.push(entry.user_data);
                env.push(new_value);
                env.push(had ? old : as_value());
                env.push(as_value(name.to_bx_string()));
                new_value.set_undefined();
                as_value this_value(this);
                fn_call fn(&new_value, this, &env, 4, env.get_top_index(), &this_value);
                (*static_cast<as_function*>(func_object))(fn);
                new_value.set_flags(0);
                // The callback may have changed the watch table.
                const int after = m_watches ? m_watches->find_index(name) : -1;
                if (after >= 0) m_watches->entry_at(after).value().running = false;
            }
        }
    }
    // The callback may have changed the member table.
    const int index = m_members.find_index(name, name_hash);
    if (index >= 0) return store_own(index, new_value);
    if (!charge_new_member(name, new_value)) return true;
    m_members.add(name, new_value);
    return true;
}

namespace {
int64_t text_bytes(const as_value& value) { return value.is_string() ? value.to_bx_string().size() : 0; }
}  // namespace

bool as_object::charge_member(const bx_stringi& name, const as_value& value) {
    const int64_t bytes = script_member_bytes + name.size() + text_bytes(value);
    if (!m_account->charge(bytes)) return false;
    m_charged += bytes;
    return true;
}

bool as_object::charge_text_change(const as_value& old, const as_value& value) {
    const int64_t change = text_bytes(value) - text_bytes(old);
    if (change > 0) {
        if (!m_account->charge(change)) return false;
        m_charged += change;
    } else if (change < 0) {
        // Never more than was charged: members written around the account were not.
        const int64_t back = -change < m_charged ? -change : m_charged;
        m_account->credit(back);
        m_charged -= back;
    }
    return true;
}

bool as_object::store_own(int index, as_value& new_value) {
    as_value& member = m_members.entry_at(index).value();
    const int flags = member.get_flags();
    if (flags & AS_READ_ONLY) return true;
    if (!may_replace_text(member, new_value)) return true;
    // Flags belong to the member: the written value brings none.
    member = static_cast<as_value&&>(new_value);
    member.set_flags(flags);
    return true;
}

const as_value* as_object::lookup_raw(const bx_stringi& name, uint32_t name_hash,
                                      as_object** character) {
    int steps = 0;
    for (as_object* o = this; o; o = o->get_proto()) {
        if (chain_too_long(++steps)) return nullptr;
        if (o != this && o->is_character()) {
            // A displayed object answers its own special members.
            if (character) *character = o;
            return nullptr;
        }
        const int index = o->m_members.find_index(name, name_hash);
        if (index >= 0) return &o->m_members.entry_at(index).value();
    }
    return nullptr;
}

bool as_object::get_member(const bx_stringi& name, as_value* value) {
    // The builtin table comes first; the name is hashed once for it and the member tables.
    const uint32_t name_hash = stringi_hash<as_value>::key_hash(name);
    if (engine_instance::get_builtin(BUILTIN_OBJECT_METHOD, name, name_hash, value)) return true;
    // Most names read are the object's own: that table is probed here before the chain walk.
    const int own_index = m_members.find_index(name, name_hash);
    as_object* character = nullptr;
    const as_value* slot = own_index >= 0 ? &m_members.entry_at(own_index).value()
                                          : lookup_raw(name, name_hash, &character);
    if (!slot) {
        if (!character) return false;
        as_value found;
        if (!character->get_member(name, &found)) return false;
        if (value) *value = found;
        return true;
    }
    if (!value) return true;
    if (slot->is_property()) {
        // An inherited getter runs on the object first asked.
        as_value bound(*slot);
        bound.set_property_target(this);
        *value = bound;
    } else {
        *value = *slot;
    }
    return true;
}

bool as_object::find_property(const bx_stringi& name, as_value* owner) {
    if (get_member(name, nullptr)) {
        if (owner) owner->set_as_object(this);
        return true;
    }
    int steps = 0;
    for (as_object* o = this; o; o = o->get_proto()) {
        if (chain_too_long(++steps)) return false;
        as_object* cls = o->get_class();
        const array<as3_trait>* traits = cls ? cls->get_traits() : nullptr;
        if (!traits) continue;
        for (const as3_trait& trait : *traits) {
            if (trait.name == name.to_bx_string()) {
                if (trait.flags != 0) return false;
                if (owner) owner->set_as_object(o);
                return true;
            }
        }
    }
    return false;
}

bool as_object::on_event(const event_id& event) {
    const bx_string& name = get_function_name(event);
    if (name.size() == 0) return false;
    as_value method;
    if (!get_member(name, &method)) return false;
    as_keep_alive keep(this);
    as_environment env(get_player());
    const int nargs = event.m_args ? event.m_args->size() : 0;
    for (int i = nargs - 1; i >= 0; --i) env.push((*event.m_args)[i]);
    call_method(method, &env, as_value(this), nargs, env.get_top_index());
    return true;
}

void as_object::enumerate(as_environment* env) {
    if (!env) return;
    for (auto it = m_members.begin(); it != m_members.end(); ++it) {
        if (it.get_value().get_flags() & AS_DONT_ENUM) continue;
        const bx_string& name = it.get_key().to_bx_string();
        env->push(as_value(name));
        if (get_verbose_action()) log_msg("-------------- enumerate - push: %s\n", name.c_str());
    }
}

as_object* as_object::get_proto() { return m_proto; }

void as_object::set_proto(as_object* proto) {
    if (proto == m_proto) return;
    as_add_ref(proto);
    as_object* old = m_proto;
    m_proto = proto;
    as_release(old);
}

bool as_object::watch(const bx_string& name, as_function* func, const as_value& user_data) {
    if (!func) return false;
    if (!m_watches) m_watches = new stringi_hash<watch_entry>();
    // A new watch is counted as a member is, its user data as the member's value.
    if (m_account && m_watches->find_index(name) < 0 && !charge_member(name, user_data)) return false;
    watch_entry entry;
    entry.func = func;
    entry.user_data = user_data;
    m_watches->set(name, entry);
    return true;
}

bool as_object::unwatch(const bx_string& name) {
    if (!m_watches) return false;
    return m_watches->erase(name);
}

void as_object::clear_refs(hash<as_object*, bool>* visited, as_object* this_ptr) {
    if (!visited) return;
    if (visited->find_index(this) >= 0) return;
    visited->add(this, true);
    if (t_clear_pending) {
        t_clear_pending->push_back(this);
        return;
    }
    array<as_object*> pending;
    t_clear_pending = &pending;
    pending.push_back(this);
    while (pending.size() > 0) {
        as_object* object = pending.back();
        pending.pop_back();
        for (auto it = object->m_members.begin(); it != object->m_members.end(); ++it) {
            as_value& member = it.get_value();
            if (member.is_object()) {
                as_object* target = member.to_object();
                if (!target) continue;
                if (target == this_ptr) {
                    member.set_undefined();
                } else {
                    target->clear_refs(visited, this_ptr);
                }
            } else if (member.is_property() && member.get_property_target() == this_ptr) {
                member.set_property_target(nullptr);
            }
        }
    }
    t_clear_pending = nullptr;
}

void as_object::this_alive() {
    engine_instance* owner = get_player();
    if (!owner) return;
    // Objects the heap does not know yet are entered, so whatever they reach is kept too.
    if (!owner->mark_reached(this)) return;
    if (t_alive_pending) {
        t_alive_pending->push_back(this);
        return;
    }
    array<as_object*> pending;
    t_alive_pending = &pending;
    pending.push_back(this);
    while (pending.size() > 0) {
        as_object* object = pending.back();
        pending.pop_back();
        object->mark_references();
    }
    t_alive_pending = nullptr;
}

void as_object::mark_references() {
    if (as_object* proto = get_proto()) proto->this_alive();
    for (auto it = m_members.begin(); it != m_members.end(); ++it) {
        const as_value& member = it.get_value();
        if (as_object* child = member.to_object()) {
            child->this_alive();
        } else if (as_property* property = member.to_property()) {
            if (property->get_getter()) property->get_getter()->this_alive();
            if (property->get_setter()) property->get_setter()->this_alive();
        }
    }
}

void as_object::alive() {
    if (engine_instance* owner = get_player()) owner->mark_alive(this);
}

void as_object::copy_to(as_object* target) {
    if (!target) return;
    // The target's watches and setters may change this table: walk a copy.
    array<bx_stringi> names;
    array<as_value> values;
    for (auto it = m_members.begin(); it != m_members.end(); ++it) {
        names.push_back(it.get_key());
        values.push_back(it.get_value());
    }
    as_keep_alive keep(target);
    for (int i = 0; i < names.size(); ++i) target->set_member(names[i], values[i]);
}

void as_object::dump() {
    bx_string text;
    dump(text);
    log_msg("%s", text.c_str());
}

void as_object::dump(bx_string& out) {
    const char* indent = "";
    out += bx_string::format("%s*** object 0x%s ***\n", indent, address_text(this).c_str());
    for (auto it = m_members.begin(); it != m_members.end(); ++it) {
        const char* name = it.get_key().c_str();
        const as_value& v = it.get_value();
        if (v.is_property()) {
            as_property* p = v.to_property();
            out += bx_string::format(
                "%s%s: <as_property 0x%s, target 0x%s, getter 0x%s, setter 0x%s>\n", indent, name,
                address_text(p).c_str(), address_text(v.get_property_target()).c_str(),
                address_text(p ? p->get_getter() : nullptr).c_str(),
                address_text(p ? p->get_setter() : nullptr).c_str());
        } else if (as_object* o = v.to_object()) {
            const char* kind = o->is(S_FUNCTION)     ? "as_s_function"
                               : o->is(AS3_FUNCTION) ? "as_3_function"
                               : o->is(C_FUNCTION)   ? "as_c_function"
                                                     : "as_object";
            out += bx_string::format("%s%s: <%s 0x%s>\n", indent, name, kind,
                                     address_text(o).c_str());
        } else {
            out += bx_string::format("%s%s: %s\n", indent, name, v.to_string());
        }
    }
}

root* as_object::get_root() {
    engine_instance* owner = get_player();
    return owner ? owner->get_root() : nullptr;
}

as_environment* as_object::get_environment() { return nullptr; }

void as_object::advance(float) {}

const array<as3_trait>* as_object::get_traits() const { return nullptr; }

void as_object::builtin_member(const bx_stringi& name, const as_value& value) {
    as_value v(value);
    v.set_flags(AS_DONT_ENUM);
    if (m_account && m_members.find_index(name) < 0 && !charge_member(name, v)) return;
    m_members.set(name, v);
}

void as_object::add_fixed_builtin(const bx_stringi& name, const as_value& value) {
    if (m_members.find_index(name) >= 0) return;
    as_value v(value);
    v.set_flags(AS_DONT_ENUM);
    if (!charge_new_member(name, v)) return;
    m_members.add(name, v);
}

bool as_object::set_member_flags(const bx_stringi& name, int flags) {
    const int index = m_members.find_index(name);
    if (index < 0) return false;
    m_members.entry_at(index).value().set_flags(flags);
    return true;
}

engine_instance* as_object::get_player() const { return m_player.get_ptr(); }

as_object* as_object::get_global() const {
    engine_instance* owner = get_player();
    return owner ? owner->get_global() : nullptr;
}

as_object* as_object::find_target(const as_value& path) {
    if (path.is_object()) return path.to_object();
    if (!path.is_string()) return nullptr;
    const bx_string whole = path.to_bx_string();
    const char* s = whole.c_str();
    as_keep_alive keep(this);
    as_object* current = this;
    smart_ptr<as_object> hold;
    for (;;) {
        if (*s == 0) return current;
        if (*s == '/') {
            engine_instance* owner = get_player();
            as_object* movie = owner ? owner->get_root_movie() : nullptr;
            if (!movie) break;
            hold = movie;
            current = movie;
            ++s;
            continue;
        }
        const char* slash = std::strchr(s, '/');
        const char* dot = std::strchr(s, '.');
        if (!slash && (!dot || dot[1] == '.')) {
            as_value v;
            if (!current->get_member(bx_stringi(s), &v)) break;
            return v.to_object();
        }
        const char* end = s;
        while (*end && *end != '/' && *end != '.') ++end;
        as_value v;
        if (!current->get_member(bx_stringi(bx_string(s, static_cast<int>(end - s))), &v)) break;
        as_object* next = v.to_object();
        if (!next) break;
        hold = next;
        current = next;
        s = *end ? end + 1 : end;
    }
    log_error("can't find target %s\n", whole.c_str());
    return nullptr;
}

as_object* as_object::create_proto(const as_value& constructor) {
    as_object* proto = new as_object(get_player());
    set_proto(proto);
    proto->set_inherited(get_inherited());
    builtin_member(get_constructor_name(), constructor);
    // The constructor's own prototype names its constructor for the chain of instance tests.
    if (as_object* ctor = constructor.to_object()) {
        as_value ctor_proto;
        if (ctor->m_members.get("prototype", &ctor_proto)) {
            as_object* cp = ctor_proto.to_object();
            as_value inherited_ctor;
            if (cp && cp != proto && cp->m_members.get(get_constructor_name(), &inherited_ctor)) {
                proto->builtin_member(get_constructor_name(), inherited_ctor);
            }
        }
    }
    return proto;
}

bool as_object::instance_of(const as_function* ctor) {
    if (!ctor) return false;
    const bool native = ctor->is(C_FUNCTION);
    int steps = 0;
    for (as_object* o = this; o; o = o->get_proto()) {
        if (chain_too_long(++steps)) return false;
        as_value held;
        const as_object* c = nullptr;
        if (o->m_members.get(get_constructor_name(), &held)) c = held.to_object();
        if (native) {
            const as_c_function_ptr routine = static_cast<const as_c_function*>(ctor)->get_function();
            if (!c) {
                if (routine == as_object_ctor) return true;
            } else if (const as_c_function* held_native = cast_to<as_c_function>(c);
                       held_native && held_native->get_function() == routine) {
                return true;
            }
        } else if (c == ctor) {
            return true;
        }
    }
    return false;
}

// Native Object methods

void as_object_addproperty(const fn_call& fn) {
    if (fn.arg_count != 3 || !fn.this_object) {
        fn.result->set_bool(false);
        return;
    }
    as_value property(fn.arg(1), fn.arg(2));
    property.set_flags(AS_DONT_ENUM);
    fn.this_object->get_members().set(fn.arg(0).to_bx_string(), property);
    fn.result->set_bool(true);
}

void as_object_registerclass(const fn_call& fn) {
    fn.result->set_bool(false);
    if (fn.arg_count != 2) return;
    as_object* target = fn.env ? fn.env->get_target() : nullptr;
    if (!target || !target->is_character()) return;
    engine_instance* owner = fn.get_player();
    const bx_string symbol = fn.arg(0).to_bx_string();
    as_function* ctor = fn.arg(1).to_function();
    if (!owner || !owner->register_exported_class(target, symbol, ctor)) {
        log_error("can't find exported resource '%s'\n", symbol.c_str());
        return;
    }
    if (!ctor) return;
    if (get_verbose_action()) log_msg("registerClass '%s'\n", symbol.c_str());
    fn.result->set_bool(true);
}

void as_object_hasownproperty(const fn_call& fn) {
    if (fn.arg_count != 1 || !fn.this_object) {
        fn.result->set_bool(false);
        return;
    }
    fn.result->set_bool(fn.this_object->get_members().find_index(fn.arg(0).to_bx_string()) >= 0);
}

void as_object_watch(const fn_call& fn) {
    if (fn.arg_count < 2 || !fn.this_object) {
        fn.result->set_bool(false);
        return;
    }
    as_value user_data;
    if (fn.arg_count > 2) user_data = fn.arg(2);
    const bx_string name = fn.arg(0).to_bx_string();
    fn.result->set_bool(fn.this_object->watch(name, fn.arg(1).to_function(), user_data));
}

void as_object_unwatch(const fn_call& fn) {
    if (fn.arg_count != 1 || !fn.this_object) {
        fn.result->set_bool(false);
        return;
    }
    const bx_string name = fn.arg(0).to_bx_string();
    fn.result->set_bool(fn.this_object->unwatch(name));
}

void as_object_dump(const fn_call& fn) {
    if (fn.this_object) fn.this_object->dump();
}

void release_cut(array<smart_ptr<as_object>>* objects) {
    for (int i = 0; i < objects->size(); ++i) {
        as_object* object = (*objects)[i].get_ptr();
        object->get_members().clear();
        object->set_proto(nullptr);
        for (int h = 0; h < object->get_held_count(); ++h) object->drop_held(h);
    }
    while (objects->size() > 0) {
        as_object* obj = objects->back().get_ptr();
        as_add_ref(obj);
        objects->pop_back();
        as_release(obj);
    }
}

void as_object_ctor(const fn_call& fn) { fn.result->set_as_object(new as_object(fn.get_player())); }

void as_object_addeventlistener(const fn_call& fn) {
    if (fn.arg_count < 2) return;
    engine_instance* owner = fn.get_player();
    as_object* global = owner ? owner->get_global() : nullptr;
    if (!global) return;
    as_value flash_object;
    if (!global->get_member("flash", &flash_object)) return;
    as_value mouse_event;
    if (as_object* f = flash_object.to_object()) f->get_member("MouseEvent", &mouse_event);
}

}  // namespace flash
