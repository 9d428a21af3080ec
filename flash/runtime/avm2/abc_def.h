#pragma once
// One ABC block (the ActionScript 3 bytecode of a DoABC tag) in memory: the constant pools, the
// method, metadata, instance, class and script tables and the method bodies, read once and never
// changed. The reader checks every count against the bytes left and every index against its pool
// or table: a block that fails is refused whole and holds nothing.
#include <cstdint>

#include "flash/base/array.h"
#include "flash/base/bx_string.h"
#include "flash/base/ref_counted.h"
#include "flash/base/smart_ptr.h"
#include "flash/runtime/as_object.h"

namespace flash {

class abc_cursor;
class abc_def;
class as_3_function;
class engine_instance;
class swf_stream;

struct abc_namespace {
    int kind = 0;
    int name = 0;  // string index
};

struct abc_multiname {
    // The multiname kinds the reader knows.
    enum kind_code {
        QNAME = 0x07,
        QNAME_A = 0x0D,
        RTQNAME = 0x0F,
        RTQNAME_A = 0x10,
        RTQNAME_L = 0x11,
        RTQNAME_LA = 0x12,
        MULTINAME = 0x09,
        MULTINAME_A = 0x0E,
        MULTINAME_L = 0x1B,
        MULTINAME_LA = 0x1C,
    };
    // The name of a multiname whose name comes at run time.
    static constexpr int runtime_name = -1;

    int kind = 0;
    int ns = 0;       // namespace index
    int ns_set = 0;   // namespace-set index
    int name = 0;     // string index, or runtime_name
};

class metadata_info : public ref_counted {};

class traits_info : public ref_counted {
public:
    enum trait_kind {
        SLOT = 0,
        METHOD = 1,
        GETTER = 2,
        SETTER = 3,
        CLASS = 4,
        FUNCTION = 5,
        CONST = 6,
    };
    // Attribute bit: a metadata list follows.
    static constexpr uint8_t attribute_metadata = 0x04;

    int name = 0;  // multiname index
    uint8_t kind = 0;
    uint8_t attributes = 0;
    int id = 0;           // slot or dispatch id
    int index = 0;        // type name, method, class or function index, by kind
    int value_index = 0;  // slot and const only
    uint8_t value_kind = 0;
    array<int> metadata;
};

class except_info : public ref_counted {
public:
    int from = 0;
    int to = 0;
    int target = 0;
    int exception_type = 0;  // multiname index
    int variable_name = 0;   // multiname index
};

// A class's instance side. Objects of the class link to it weakly (as_object::set_class), so it
// answers their property lookups from its traits: a slot is a property, other traits are not.
class instance_info : public as_object {
public:
    static constexpr uint8_t flag_protected_ns = 0x08;

    instance_info() : as_object(nullptr) {}
    const array<as3_trait>* get_traits() const override { return &trait_view; }

    int name = 0;        // multiname index
    int super_name = 0;  // multiname index
    uint8_t flags = 0;
    int protected_ns = 0;
    array<int> interfaces;
    int iinit = 0;  // method index
    array<smart_ptr<traits_info>> traits;
    weak_ptr<abc_def> abc;
    // The traits by name text, made once the block's pools are known.
    array<as3_trait> trait_view;
};

class class_info : public ref_counted {
public:
    weak_ptr<abc_def> abc;
    int cinit = 0;  // method index
    array<smart_ptr<traits_info>> traits;
};

class script_info : public ref_counted {
public:
    int init = 0;  // method index
    array<smart_ptr<traits_info>> traits;
};

class abc_def : public ref_counted {
public:
    abc_def();
    abc_def(const abc_def&) = delete;
    abc_def& operator=(const abc_def&) = delete;
    ~abc_def() override;

    // Reads the block from the stream's position to the end of the current tag. False (logged as
    // an ERROR, the block left empty) when any count or index does not fit.
    [[nodiscard]] bool read(swf_stream* in, engine_instance* player);
    [[nodiscard]] bool read(const uint8_t* data, int size, engine_instance* player);

    // The initialiser of the script that declares the class name; "" gives the last script's.
    as_3_function* get_class_constructor(const bx_string& name) const;
    // The class whose name text is the part of name after its last '.'; null when none.
    instance_info* resolve_qualified_name(const bx_string& name) const;
    class_info* resolve_qualified_class(const bx_string& name) const;
    // Gives instance a member for each instance trait of the class and, with with_bases, of its
    // base classes in this block (a derived trait wins): slots and consts the number 0, methods,
    // getters and setters their function, other kinds undefined.
    void bind_instance_traits(as_object* instance, const instance_info* info, bool with_bases = true) const;
    // The class whose instance initialiser is the method, or -1.
    int find_class_of_iinit(int method_index) const;

    // Pool entries. An index outside its pool answers false (or null) and writes nothing; index
    // 0 of an empty pool is its default entry.
    bool get_int(int index, int32_t* out) const;
    bool get_uint(int index, uint32_t* out) const;
    bool get_double(int index, double* out) const;
    const bx_string* get_string(int index) const;
    const abc_namespace* get_namespace(int index) const;
    const abc_multiname* get_multiname(int index) const;
    // The name text of a multiname: "" for a run-time name, null for a bad index.
    const bx_string* get_multiname_name(int index) const;
    // The name text of a namespace; null for a bad index.
    const bx_string* get_namespace_name(int index) const;
    as_3_function* get_method(int index) const;
    // The name text of a method (its name string); null for a bad index.
    const bx_string* get_method_name(int index) const;
    as_3_function* get_class_cinit(int class_index) const;
    // The name text of the class whose instance initialiser is the method; null when none.
    const bx_string* get_class_name_of_iinit(int method_index) const;

    int get_int_count() const { return m_ints.size(); }
    int get_uint_count() const { return m_uints.size(); }
    int get_double_count() const { return m_doubles.size(); }
    int get_string_count() const { return m_strings.size(); }
    int get_namespace_count() const { return m_namespaces.size(); }
    int get_namespace_set_count() const { return m_namespace_sets.size(); }
    int get_multiname_count() const { return m_multinames.size(); }
    int get_method_count() const { return m_methods.size(); }
    int get_metadata_count() const { return m_metadata.size(); }
    int get_class_count() const { return m_classes.size(); }
    int get_script_count() const { return m_scripts.size(); }
    const array<int>& get_namespace_set(int index) const { return m_namespace_sets[index]; }
    instance_info* get_instance(int index) const;
    class_info* get_class(int index) const;
    script_info* get_script(int index) const;

private:
    friend class abc_reader;

    void clear();

    array<int32_t> m_ints;
    array<uint32_t> m_uints;
    array<double> m_doubles;
    array<bx_string> m_strings;
    array<abc_namespace> m_namespaces;
    array<array<int>> m_namespace_sets;
    array<abc_multiname> m_multinames;
    array<smart_ptr<as_3_function>> m_methods;
    array<smart_ptr<metadata_info>> m_metadata;
    array<smart_ptr<instance_info>> m_instances;
    array<smart_ptr<class_info>> m_classes;
    array<smart_ptr<script_info>> m_scripts;
};

}  // namespace flash
