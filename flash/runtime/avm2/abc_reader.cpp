// The ABC block reader: the published layout field by field, every count checked against the
// bytes left before anything is sized from it and every index checked against the pool or table
// it names. The first fault refuses the block with one ERROR line.
#include <cstdint>

#include "flash/base/log.h"
#include "flash/runtime/avm2/abc_cursor.h"
#include "flash/runtime/avm2/abc_def.h"
#include "flash/runtime/avm2/as_3_function.h"
#include "flash/runtime/avm2/avm2_disassembler.h"
#include "flash/swf/swf_stream.h"

namespace flash {

namespace {

// The fewest bytes one entry of each kind takes in the file: a count larger than the bytes left
// divided by these cannot be true.
constexpr int min_varint_bytes = 1;
constexpr int min_double_bytes = 8;
constexpr int min_namespace_bytes = 2;
constexpr int min_method_bytes = 4;
constexpr int min_option_bytes = 2;
constexpr int min_metadata_bytes = 2;
constexpr int min_metadata_item_bytes = 2;
constexpr int min_instance_bytes = 6;
constexpr int min_class_bytes = 2;
constexpr int min_script_bytes = 2;
constexpr int min_body_bytes = 8;
constexpr int min_exception_bytes = 5;
constexpr int min_trait_bytes = 2;

// Optional-parameter value kinds and the pool each one's index names.
enum option_kind : uint8_t {
    OPTION_UTF8 = 0x01,
    OPTION_INT = 0x03,
    OPTION_UINT = 0x04,
    OPTION_PRIVATE_NS = 0x05,
    OPTION_DOUBLE = 0x06,
    OPTION_NAMESPACE = 0x08,
    OPTION_PACKAGE_NS = 0x16,
    OPTION_PACKAGE_INTERNAL_NS = 0x17,
    OPTION_PROTECTED_NS = 0x18,
    OPTION_EXPLICIT_NS = 0x19,
    OPTION_STATIC_PROTECTED_NS = 0x1A,
};

constexpr uint8_t trait_kind_mask = 0x0F;
constexpr int trait_attribute_shift = 4;

const char* or_empty(const bx_string* text) { return text ? text->c_str() : ""; }

}  // namespace

class abc_reader {
public:
    abc_reader(abc_def* abc, const uint8_t* data, int size, engine_instance* player)
        : m_abc(*abc), m_in(data, size), m_player(player), m_verbose(get_verbose_parse()) {}

    bool read() {
        uint16_t minor, major;  // no version is checked
        if (!m_in.read_u16(&minor) || !m_in.read_u16(&major)) return fail("truncated header");
        return read_pools() && read_methods() && read_metadata() && read_instances() &&
               read_classes() && read_scripts() && read_bodies() && make_trait_views();
    }

    const char* problem() const { return m_problem; }
    int problem_offset() const { return m_problem_offset; }

private:
    bool fail(const char* problem) {
        if (!m_problem) {
            m_problem = problem;
            m_problem_offset = m_in.position();
        }
        return false;
    }

    bool index(int* out) {
        if (!m_in.read_index(out)) return fail("data past the end of the block");
        return true;
    }
    bool byte(uint8_t* out) {
        if (!m_in.read_u8(out)) return fail("data past the end of the block");
        return true;
    }
    // A count of entries that each take at least min_bytes.
    bool count(int* out, int min_bytes) {
        if (!index(out)) return false;
        if (*out < 0 || *out > m_in.left() / min_bytes) return fail("count larger than the data left");
        return true;
    }
    // A pool's count: the file stores count - 1 entries after the implicit entry 0.
    bool pool_count(int* out, int min_bytes) {
        if (!index(out)) return false;
        if (*out < 0 || (*out > 0 && *out - 1 > m_in.left() / min_bytes)) {
            return fail("pool count larger than the data left");
        }
        return true;
    }
    template <class T>
    bool size_array(array<T>& a, int n) {
        if (!a.resize(n)) return fail("no memory for a table");
        return true;
    }
    // Index 0 is the default entry of every pool and counts as valid even when the pool is empty.
    static bool in_pool(int index, int pool_size) { return index == 0 || (index > 0 && index < pool_size); }
    bool pool_index(int* out, int pool_size, const char* what) {
        if (!index(out)) return false;
        if (!in_pool(*out, pool_size)) return fail(what);
        return true;
    }
    bool string_index(int* out) { return pool_index(out, m_abc.m_strings.size(), "string index out of range"); }
    bool namespace_index(int* out) {
        return pool_index(out, m_abc.m_namespaces.size(), "namespace index out of range");
    }
    bool multiname_index(int* out) {
        return pool_index(out, m_abc.m_multinames.size(), "multiname index out of range");
    }
    // Methods, metadata and classes have no default entry.
    bool table_index(int* out, int table_size, const char* what) {
        if (!index(out)) return false;
        if (*out < 0 || *out >= table_size) return fail(what);
        return true;
    }
    bool method_index(int* out) { return table_index(out, m_method_count, "method index out of range"); }

    bool read_pools() {
        return read_int_pool() && read_uint_pool() && read_double_pool() && read_string_pool() &&
               read_namespace_pool() && read_namespace_sets() && read_multinames();
    }

    // A pool: its count, then entries 1 to count - 1, each read by read_entry (false on a fault it
    // has reported) and logged by log_entry while verbose; an empty pool logs its own line.
    template <class T, class read_entry, class log_entry>
    bool read_pool(array<T>& pool, int min_bytes, const char* empty_line, read_entry read_one, log_entry log_one) {
        int n;
        if (!pool_count(&n, min_bytes) || !size_array(pool, n)) return false;
        for (int i = 1; i < n; ++i) {
            if (!read_one(pool[i])) return false;
            if (m_verbose) log_one(i, pool[i]);
        }
        if (m_verbose && n == 0) log_msg("%s", empty_line);
        return true;
    }

    bool varint(uint32_t* out) { return m_in.read_u30(out) || fail("data past the end of the block"); }

    bool read_int_pool() {
        return read_pool(
            m_abc.m_ints, min_varint_bytes, "cpool_info: no integer pool\n",
            [this](int32_t& v) {
                uint32_t bits;
                if (!varint(&bits)) return false;
                v = static_cast<int32_t>(bits);  // no sign extension: the 32 bits as they are
                return true;
            },
            [](int i, int32_t v) { log_msg("cpool_info: integer[%d]=%d\n", i, v); });
    }

    bool read_uint_pool() {
        return read_pool(
            m_abc.m_uints, min_varint_bytes, "cpool_info: no uinteger pool\n", [this](uint32_t& v) { return varint(&v); },
            [](int i, uint32_t v) { log_msg("cpool_info: uinteger[%d]=%d\n", i, static_cast<int>(v)); });
    }

    bool read_double_pool() {
        return read_pool(
            m_abc.m_doubles, min_double_bytes, "cpool_info: no double pool\n",
            [this](double& v) { return m_in.read_double(&v) || fail("data past the end of the block"); },
            [](int i, double v) { log_msg("cpool_info: double[%d]=%f\n", i, v); });
    }

    bool read_string_pool() {
        return read_pool(
            m_abc.m_strings, min_varint_bytes, "cpool_info: no string pool\n",
            [this](bx_string& v) { return m_in.read_string(&v) || fail("string past the end of the block"); },
            [](int i, const bx_string& v) { log_msg("cpool_info: string[%d]='%s'\n", i, v.c_str()); });
    }

    bool read_namespace_pool() {
        return read_pool(
            m_abc.m_namespaces, min_namespace_bytes, "cpool_info: no namespace pool\n",
            [this](abc_namespace& ns) {
                uint8_t kind;
                if (!byte(&kind) || !string_index(&ns.name)) return false;
                ns.kind = kind;
                return true;
            },
            [this](int i, const abc_namespace& ns) {
                log_msg("cpool_info: namespace[%d]='%s', kind=0x%02X\n", i, or_empty(m_abc.get_string(ns.name)), ns.kind);
            });
    }

    bool read_namespace_sets() {
        return read_pool(
            m_abc.m_namespace_sets, min_varint_bytes, "cpool_info: no namespace sets\n",
            [this](array<int>& set) {
                int entries;
                if (!count(&entries, min_varint_bytes) || !size_array(set, entries)) return false;
                for (int& ns : set) {
                    if (!namespace_index(&ns)) return false;
                }
                return true;
            },
            [](int, const array<int>&) {});
    }

    // The operands of one multiname, as its kind says.
    bool read_multiname(abc_multiname& mn) {
        uint8_t kind;
        if (!byte(&kind)) return false;
        mn.kind = kind;
        const int set_count = m_abc.m_namespace_sets.size();
        switch (kind) {
            case abc_multiname::QNAME:
            case abc_multiname::QNAME_A:
                return namespace_index(&mn.ns) && string_index(&mn.name);
            case abc_multiname::RTQNAME:
            case abc_multiname::RTQNAME_A:
                return string_index(&mn.name);
            case abc_multiname::MULTINAME:
            case abc_multiname::MULTINAME_A:
                return string_index(&mn.name) &&
                       pool_index(&mn.ns_set, set_count, "namespace set index out of range");
            case abc_multiname::MULTINAME_L:
            case abc_multiname::MULTINAME_LA:
                mn.name = abc_multiname::runtime_name;
                return pool_index(&mn.ns_set, set_count, "namespace set index out of range");
            default:
                return true;
        }
    }

    void log_multiname(int i, const abc_multiname& mn) const {
        switch (mn.kind) {
            case abc_multiname::QNAME:
            case abc_multiname::QNAME_A:
                log_msg("cpool_info: multiname[%d]='%s', ns='%s'\n", i, or_empty(m_abc.get_string(mn.name)),
                        or_empty(m_abc.get_namespace_name(mn.ns)));
                break;
            case abc_multiname::MULTINAME:
            case abc_multiname::MULTINAME_A:
                log_msg("cpool_info: multiname[%d]='%s', ns_set='%s'\n", i, or_empty(m_abc.get_string(mn.name)),
                        "todo");
                break;
            case abc_multiname::MULTINAME_L:
            case abc_multiname::MULTINAME_LA:
                log_msg("cpool_info: multiname[%d]=MultinameL, ns_set='%s'\n", i, "todo");
                break;
            default:
                break;
        }
    }

    bool read_multinames() {
        return read_pool(
            m_abc.m_multinames, min_varint_bytes, "cpool_info: no multiname pool\n",
            [this](abc_multiname& mn) { return read_multiname(mn); },
            [this](int i, const abc_multiname& mn) { log_multiname(i, mn); });
    }

    // An optional parameter's value index names the pool its kind says.
    bool option_value_fits(const as_3_function::option_detail& option) const {
        switch (option.kind) {
            case OPTION_UTF8:
                return in_pool(option.value, m_abc.m_strings.size());
            case OPTION_INT:
                return in_pool(option.value, m_abc.m_ints.size());
            case OPTION_UINT:
                return in_pool(option.value, m_abc.m_uints.size());
            case OPTION_DOUBLE:
                return in_pool(option.value, m_abc.m_doubles.size());
            case OPTION_PRIVATE_NS:
            case OPTION_NAMESPACE:
            case OPTION_PACKAGE_NS:
            case OPTION_PACKAGE_INTERNAL_NS:
            case OPTION_PROTECTED_NS:
            case OPTION_EXPLICIT_NS:
            case OPTION_STATIC_PROTECTED_NS:
                return in_pool(option.value, m_abc.m_namespaces.size());
            default:
                return true;  // true, false, null and undefined carry no index
        }
    }

    bool read_method_info(as_3_function* f) {
        int params;
        if (!count(&params, min_varint_bytes) || !multiname_index(&f->m_return_type) ||
            !size_array(f->m_param_types, params)) {
            return false;
        }
        for (int p = 0; p < params; ++p) {
            if (!multiname_index(&f->m_param_types[p])) return false;
        }
        if (!string_index(&f->m_name) || !byte(&f->m_flags)) return false;
        if (f->m_flags & as_3_function::flag_has_optional) {
            int options;
            if (!count(&options, min_option_bytes) || !size_array(f->m_options, options)) return false;
            for (as_3_function::option_detail& option : f->m_options) {
                if (!index(&option.value) || !byte(&option.kind)) return false;
                if (!option_value_fits(option)) return fail("optional value index out of range");
            }
        }
        if (f->m_flags & as_3_function::flag_has_param_names) {
            for (int p = 0; p < params; ++p) {
                int name;  // read and dropped
                if (!string_index(&name)) return false;
            }
        }
        return true;
    }

    bool read_methods() {
        if (!count(&m_method_count, min_method_bytes) || !size_array(m_abc.m_methods, m_method_count)) return false;
        if (m_verbose) log_msg("method_info count: %d\n", m_method_count);
        for (int i = 0; i < m_method_count; ++i) {
            as_3_function* f = new as_3_function(&m_abc, i, m_player);
            m_abc.m_methods[i] = f;
            if (!read_method_info(f)) return false;
            if (m_verbose) {
                log_msg("method_info: name='%s', type='%s', params=%d\n", or_empty(m_abc.get_string(f->m_name)),
                        or_empty(m_abc.get_multiname_name(f->m_return_type)), f->m_param_types.size());
            }
        }
        return true;
    }

    bool read_metadata() {
        int n;
        if (!count(&n, min_metadata_bytes) || !size_array(m_abc.m_metadata, n)) return false;
        if (m_verbose) log_msg("metadata_info count: %d\n", n);
        for (int i = 0; i < n; ++i) {
            int name, items;
            if (!string_index(&name) || !count(&items, min_metadata_item_bytes)) return false;
            for (int j = 0; j < 2 * items; ++j) {
                int key_or_value;
                if (!string_index(&key_or_value)) return false;
            }
            m_abc.m_metadata[i] = new metadata_info;
        }
        return true;
    }

    bool read_trait(traits_info* t) {
        uint8_t kind_byte;
        if (!multiname_index(&t->name) || !byte(&kind_byte)) return false;
        t->kind = kind_byte & trait_kind_mask;
        t->attributes = kind_byte >> trait_attribute_shift;
        switch (t->kind) {
            case traits_info::SLOT:
            case traits_info::CONST:
                if (!index(&t->id) || !multiname_index(&t->index) || !index(&t->value_index)) return false;
                if (t->value_index != 0) {
                    if (!byte(&t->value_kind)) return false;
                    const as_3_function::option_detail value{t->value_index, t->value_kind};
                    if (!option_value_fits(value)) return fail("slot value index out of range");
                }
                break;
            case traits_info::METHOD:
            case traits_info::GETTER:
            case traits_info::SETTER:
            case traits_info::FUNCTION:
                if (!index(&t->id) || !method_index(&t->index)) return false;
                break;
            case traits_info::CLASS:
                if (!index(&t->id) || !table_index(&t->index, m_class_count, "class index out of range")) return false;
                break;
            default:
                break;
        }
        if (t->attributes & traits_info::attribute_metadata) {
            int n;
            if (!count(&n, min_varint_bytes) || !size_array(t->metadata, n)) return false;
            for (int& m : t->metadata) {
                if (!table_index(&m, m_abc.m_metadata.size(), "metadata index out of range")) return false;
            }
        }
        if (m_verbose) log_msg("\ttraits: name='%s'\n", or_empty(m_abc.get_multiname_name(t->name)));
        return true;
    }

    bool read_traits(array<smart_ptr<traits_info>>& traits) {
        int n;
        if (!count(&n, min_trait_bytes) || !size_array(traits, n)) return false;
        for (int i = 0; i < n; ++i) {
            traits[i] = new traits_info;
            if (!read_trait(traits[i].get_ptr())) return false;
        }
        return true;
    }

    bool read_instances() {
        if (!count(&m_class_count, min_instance_bytes + min_class_bytes) ||
            !size_array(m_abc.m_instances, m_class_count)) {
            return false;
        }
        if (m_verbose) log_msg("instance_info count: %d\n", m_class_count);
        for (int i = 0; i < m_class_count; ++i) {
            instance_info* info = new instance_info;
            m_abc.m_instances[i] = info;
            info->abc = &m_abc;
            if (!multiname_index(&info->name) || !multiname_index(&info->super_name) || !byte(&info->flags)) {
                return false;
            }
            if ((info->flags & instance_info::flag_protected_ns) && !namespace_index(&info->protected_ns)) return false;
            int interfaces;
            if (!count(&interfaces, min_varint_bytes) || !size_array(info->interfaces, interfaces)) return false;
            for (int& interface : info->interfaces) {
                if (!multiname_index(&interface)) return false;
            }
            if (!method_index(&info->iinit)) return false;
            if (m_verbose) {
                log_msg("instance_info[%d]:\n", i);
                log_msg("  name='%s', supername='%s', ns='%s'\n", or_empty(m_abc.get_multiname_name(info->name)),
                        or_empty(m_abc.get_multiname_name(info->super_name)),
                        or_empty(m_abc.get_namespace_name(info->protected_ns)));
            }
            if (!read_traits(info->traits)) return false;
        }
        return true;
    }

    bool read_classes() {
        if (!size_array(m_abc.m_classes, m_class_count)) return false;
        if (m_verbose) log_msg("class_info count: %d\n", m_class_count);
        for (int i = 0; i < m_class_count; ++i) {
            class_info* info = new class_info;
            m_abc.m_classes[i] = info;
            info->abc = &m_abc;
            if (m_verbose) log_msg("class_info[%d]\n", i);
            if (!method_index(&info->cinit) || !read_traits(info->traits)) return false;
        }
        return true;
    }

    bool read_scripts() {
        int n;
        if (!count(&n, min_script_bytes) || !size_array(m_abc.m_scripts, n)) return false;
        if (m_verbose) log_msg("script_info count: %d\n", n);
        for (int i = 0; i < n; ++i) {
            script_info* info = new script_info;
            m_abc.m_scripts[i] = info;
            if (m_verbose) log_msg("script_info[%d]\n", i);
            if (!method_index(&info->init) || !read_traits(info->traits)) return false;
        }
        return true;
    }

    // A body naming a method outside the table is read (to reach the next one) into a stand-in
    // and dropped.
    bool read_body() {
        int method;
        if (!index(&method)) return false;
        if (m_verbose) log_msg("body_info[%d]\n", method);
        const bool known = method >= 0 && method < m_method_count;
        smart_ptr<as_3_function> stand_in;
        as_3_function* f = known ? m_abc.m_methods[method].get_ptr() : nullptr;
        if (!f) {
            log_error("error: abc_def::read(): a method body names method %d of %d, the body is skipped\n",
                      method, m_method_count);
            stand_in = new as_3_function(nullptr, method, nullptr);
            f = stand_in.get_ptr();
        }
        int code_length;
        if (!index(&f->m_max_stack) || !index(&f->m_local_count) || !index(&f->m_init_scope_depth) ||
            !index(&f->m_max_scope_depth) || !count(&code_length, 1) || !size_array(f->m_code, code_length) ||
            !m_in.read_bytes(f->m_code.data(), code_length)) {
            return fail("method body past the end of the block");
        }
        int exceptions;
        if (!count(&exceptions, min_exception_bytes) || !size_array(f->m_exceptions, exceptions)) return false;
        for (int i = 0; i < exceptions; ++i) {
            except_info* e = new except_info;
            f->m_exceptions[i] = e;
            if (!index(&e->from) || !index(&e->to) || !index(&e->target) || !multiname_index(&e->exception_type) ||
                !multiname_index(&e->variable_name)) {
                return false;
            }
        }
        if (!read_traits(f->m_traits)) return false;
        if (m_verbose) {
            log_msg("method\t%i\n", method);
            log_abc_disasm(f->m_code, &m_abc);
        }
        return true;
    }

    bool read_bodies() {
        int n;
        if (!count(&n, min_body_bytes)) return false;
        for (int i = 0; i < n; ++i) {
            if (!read_body()) return false;
        }
        return true;
    }

    // Instance traits seen by the objects of the class: name texts, slots marked as properties.
    bool make_trait_views() {
        for (const smart_ptr<instance_info>& info : m_abc.m_instances) {
            if (!size_array(info->trait_view, info->traits.size())) return false;
            for (int i = 0; i < info->traits.size(); ++i) {
                const traits_info& t = *info->traits[i];
                info->trait_view[i].name = or_empty(m_abc.get_multiname_name(t.name));
                info->trait_view[i].flags = t.kind == traits_info::SLOT ? 0 : 1;
            }
        }
        return true;
    }

    abc_def& m_abc;
    abc_cursor m_in;
    engine_instance* m_player;
    bool m_verbose;
    int m_method_count = 0;
    int m_class_count = 0;
    const char* m_problem = nullptr;
    int m_problem_offset = 0;
};

bool abc_def::read(const uint8_t* data, int size, engine_instance* player) {
    clear();
    abc_reader reader(this, data, size, player);
    if (reader.read()) return true;
    log_error("error: abc_def::read(): %s at byte %d of %d, the ABC block is dropped\n", reader.problem(),
              reader.problem_offset(), size);
    clear();
    return false;
}

bool abc_def::read(swf_stream* in, engine_instance* player) {
    const int size = in->get_tag_end_position() - in->get_position();
    array<uint8_t> bytes;
    if (size < 0 || !bytes.resize(size) || in->read_bytes(bytes.data(), size) != size) {
        clear();
        log_error("error: abc_def::read(): the DoABC tag is cut short, the ABC block is dropped\n");
        return false;
    }
    return read(bytes.data(), size, player);
}

}  // namespace flash
