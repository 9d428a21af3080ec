#include "flash/runtime/avm2/abc_def.h"

#include <cstring>

#include "flash/runtime/avm2/as_3_function.h"

namespace flash {

namespace {

// The default entry 0 of an empty pool.
const bx_string& empty_text() {
    static const bx_string text;
    return text;
}
const abc_namespace& default_namespace() {
    static const abc_namespace ns;
    return ns;
}
const abc_multiname& default_multiname() {
    static const abc_multiname mn;
    return mn;
}

// The pool's entry, the default for index 0 of an empty pool, null outside it.
template <class T>
const T* pool_entry(const array<T>& pool, int index, const T& fallback) {
    if (index >= 0 && index < pool.size()) return &pool[index];
    return index == 0 ? &fallback : nullptr;
}

// The part of a class name after its last '.'.
const char* last_name_part(const bx_string& name) {
    const char* dot = std::strrchr(name.c_str(), '.');
    return dot ? dot + 1 : name.c_str();
}

}  // namespace

abc_def::abc_def() = default;
abc_def::~abc_def() { clear(); }

void abc_def::clear() {
    m_ints.clear();
    m_uints.clear();
    m_doubles.clear();
    m_strings.clear();
    m_namespaces.clear();
    m_namespace_sets.clear();
    m_multinames.clear();
    m_methods.clear();
    m_metadata.clear();
    m_instances.clear();
    m_classes.clear();
    m_scripts.clear();
}

bool abc_def::get_int(int index, int32_t* out) const {
    const int32_t zero = 0;
    const int32_t* v = pool_entry(m_ints, index, zero);
    if (v) *out = *v;
    return v != nullptr;
}

bool abc_def::get_uint(int index, uint32_t* out) const {
    const uint32_t zero = 0;
    const uint32_t* v = pool_entry(m_uints, index, zero);
    if (v) *out = *v;
    return v != nullptr;
}

bool abc_def::get_double(int index, double* out) const {
    const double zero = 0.0;
    const double* v = pool_entry(m_doubles, index, zero);
    if (v) *out = *v;
    return v != nullptr;
}

const bx_string* abc_def::get_string(int index) const { return pool_entry(m_strings, index, empty_text()); }

const abc_namespace* abc_def::get_namespace(int index) const {
    return pool_entry(m_namespaces, index, default_namespace());
}

const abc_multiname* abc_def::get_multiname(int index) const {
    return pool_entry(m_multinames, index, default_multiname());
}

const bx_string* abc_def::get_multiname_name(int index) const {
    const abc_multiname* mn = get_multiname(index);
    if (!mn) return nullptr;
    if (mn->name == abc_multiname::runtime_name) return &empty_text();
    return get_string(mn->name);
}

const bx_string* abc_def::get_namespace_name(int index) const {
    const abc_namespace* ns = get_namespace(index);
    return ns ? get_string(ns->name) : nullptr;
}

as_3_function* abc_def::get_method(int index) const {
    return index >= 0 && index < m_methods.size() ? m_methods[index].get_ptr() : nullptr;
}

const bx_string* abc_def::get_method_name(int index) const {
    const as_3_function* f = get_method(index);
    return f ? get_string(f->m_name) : nullptr;
}

instance_info* abc_def::get_instance(int index) const {
    return index >= 0 && index < m_instances.size() ? m_instances[index].get_ptr() : nullptr;
}

class_info* abc_def::get_class(int index) const {
    return index >= 0 && index < m_classes.size() ? m_classes[index].get_ptr() : nullptr;
}

script_info* abc_def::get_script(int index) const {
    return index >= 0 && index < m_scripts.size() ? m_scripts[index].get_ptr() : nullptr;
}

as_3_function* abc_def::get_class_cinit(int class_index) const {
    const class_info* info = get_class(class_index);
    return info ? get_method(info->cinit) : nullptr;
}

int abc_def::find_class_of_iinit(int method_index) const {
    for (int i = 0; i < m_instances.size(); ++i) {
        if (m_instances[i]->iinit == method_index) return i;
    }
    return -1;
}

const bx_string* abc_def::get_class_name_of_iinit(int method_index) const {
    const instance_info* info = get_instance(find_class_of_iinit(method_index));
    return info ? get_multiname_name(info->name) : nullptr;
}

as_3_function* abc_def::get_class_constructor(const bx_string& name) const {
    if (m_scripts.empty()) return nullptr;
    if (name.size() == 0) return get_method(m_scripts.back()->init);
    for (const smart_ptr<script_info>& script : m_scripts) {
        for (const smart_ptr<traits_info>& trait : script->traits) {
            if (trait->kind != traits_info::CLASS) continue;
            const bx_string* trait_name = get_multiname_name(trait->name);
            if (trait_name && *trait_name == name) return get_method(script->init);
        }
    }
    return nullptr;
}

instance_info* abc_def::resolve_qualified_name(const bx_string& name) const {
    const char* wanted = last_name_part(name);
    for (const smart_ptr<instance_info>& info : m_instances) {
        const bx_string* class_name = get_multiname_name(info->name);
        if (class_name && std::strcmp(class_name->c_str(), wanted) == 0) return info.get_ptr();
    }
    return nullptr;
}

class_info* abc_def::resolve_qualified_class(const bx_string& name) const {
    const instance_info* wanted = resolve_qualified_name(name);
    for (int i = 0; wanted && i < m_instances.size(); ++i) {
        if (m_instances[i].get_ptr() == wanted) return get_class(i);
    }
    return nullptr;
}

void abc_def::bind_instance_traits(as_object* instance, const instance_info* info, bool with_bases) const {
    // The chain from the class up; a base named twice (a cycle) ends it.
    array<const instance_info*> chain;
    const int most = with_bases ? m_instances.size() : 1;
    for (const instance_info* c = info; c && chain.size() < most;) {
        for (const instance_info* seen : chain) {
            if (seen == c) c = nullptr;
        }
        if (!c) break;
        chain.push_back(c);
        const bx_string* base_name = get_multiname_name(c->super_name);
        c = base_name ? resolve_qualified_name(*base_name) : nullptr;
    }
    for (int i = chain.size() - 1; i >= 0; --i) {
        for (const smart_ptr<traits_info>& trait : chain[i]->traits) {
            const bx_string* name = get_multiname_name(trait->name);
            if (!name) continue;
            as_value value;
            switch (trait->kind) {
                case traits_info::SLOT:
                case traits_info::CONST:
                    value = as_value(0);
                    break;
                case traits_info::METHOD:
                case traits_info::GETTER:
                case traits_info::SETTER:
                    value = as_value(get_method(trait->index));
                    break;
                default:
                    break;
            }
            instance->set_member(*name, value);
        }
    }
}

}  // namespace flash
