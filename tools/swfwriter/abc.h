#pragma once
// An ABC assembler: ActionScript 3 blocks for DoABC tags, built from constant pools, methods with
// bodies, classes and scripts with traits, and method code with labels. Every field is written as
// given, so a test can make out-of-range indices, impossible counts or cut blocks on purpose.
//
//   swf::Abc abc;
//   const uint32_t trace = abc.qname("trace");
//   swf::Code code;
//   code.op(swf::op::getlocal_0).op(swf::op::pushscope)
//       .op(swf::op::findpropstrict).u30(trace).op(swf::op::pushstring).u30(abc.string("hi"))
//       .op(swf::op::callpropvoid).u30(trace).u30(1).op(swf::op::returnvoid);
//   abc.script(abc.method_with_body(code));
//   movie.do_abc(1, "main", abc.finish());
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tools/swfwriter/bit_writer.h"

namespace swf {

// The AVM2 opcodes by their published names.
namespace op {
enum : uint8_t {
    nop = 0x02,
    jump = 0x10,
    iftrue = 0x11,
    iffalse = 0x12,
    ifne = 0x14,
    lookupswitch = 0x1B,
    popscope = 0x1D,
    pushnull = 0x20,
    pushbyte = 0x24,
    pushshort = 0x25,
    pushtrue = 0x26,
    pushfalse = 0x27,
    pop = 0x29,
    dup = 0x2A,
    pushstring = 0x2C,
    pushint = 0x2D,
    pushuint = 0x2E,
    pushdouble = 0x2F,
    pushscope = 0x30,
    pushnamespace = 0x31,
    hasnext2 = 0x32,
    newfunction = 0x40,
    callstatic = 0x44,
    callproperty = 0x46,
    returnvoid = 0x47,
    returnvalue = 0x48,
    constructsuper = 0x49,
    constructprop = 0x4A,
    callpropvoid = 0x4F,
    newobject = 0x55,
    newarray = 0x56,
    newclass = 0x58,
    newcatch = 0x5A,
    findpropstrict = 0x5D,
    findproperty = 0x5E,
    getlex = 0x60,
    setproperty = 0x61,
    getlocal = 0x62,
    setlocal = 0x63,
    getscopeobject = 0x65,
    getproperty = 0x66,
    initproperty = 0x68,
    getslot = 0x6C,
    convert_i = 0x73,
    coerce = 0x80,
    coerce_s = 0x85,
    not_ = 0x96,
    add = 0xA0,
    subtract = 0xA1,
    multiply = 0xA2,
    equals = 0xAB,
    lessthan = 0xAD,
    inclocal_i = 0xC2,
    getlocal_0 = 0xD0,
    getlocal_1 = 0xD1,
    getlocal_2 = 0xD2,
    getlocal_3 = 0xD3,
    setlocal_0 = 0xD4,
    setlocal_1 = 0xD5,
    setlocal_2 = 0xD6,
    setlocal_3 = 0xD7,
    debug = 0xEF,
    debugline = 0xF0,
    debugfile = 0xF1,
};
}  // namespace op

// Multiname kinds.
namespace mn {
enum : uint8_t {
    qname = 0x07,
    qname_a = 0x0D,
    rtqname = 0x0F,
    rtqname_a = 0x10,
    rtqname_l = 0x11,
    rtqname_la = 0x12,
    multiname = 0x09,
    multiname_a = 0x0E,
    multiname_l = 0x1B,
    multiname_la = 0x1C,
};
}  // namespace mn

// Namespace kind of a package namespace.
inline constexpr uint8_t package_namespace = 0x16;

// The ABC variable-length encodings.
void write_u30(Bytes& out, uint32_t v);
void write_s24(Bytes& out, int32_t v);

// Method code with labels: a branch names a label and gets its offset when the code is taken.
class Code {
public:
    Code& op(uint8_t opcode);
    Code& u8(uint8_t v);
    Code& u30(uint32_t v);
    Code& s24(int32_t v);
    // Convenience for the common operand forms.
    Code& op_u30(uint8_t opcode, uint32_t v) { return op(opcode).u30(v); }
    Code& op_u30_u30(uint8_t opcode, uint32_t a, uint32_t b) { return op(opcode).u30(a).u30(b); }

    int new_label();
    Code& label(int id);
    // The opcode and a 24-bit offset from the end of the operand to the label.
    Code& branch(uint8_t opcode, int label_id);

    Bytes bytes() const;

private:
    Bytes out_;
    std::vector<int> labels_;                  // position per label, -1 until placed
    std::vector<std::pair<size_t, int>> fixups_;  // operand position, label
};

struct Trait {
    enum Kind : uint8_t { slot = 0, method = 1, getter = 2, setter = 3, class_ = 4, function = 5, const_ = 6 };

    uint32_t name = 0;
    uint8_t kind = slot;
    uint8_t attributes = 0;  // high four bits of the kind byte; 0x04 writes the metadata list
    uint32_t id = 0;
    uint32_t index = 0;  // type name, method, class or function
    uint32_t value_index = 0;
    uint8_t value_kind = 0;
    std::vector<uint32_t> metadata;

    static Trait make_slot(uint32_t name, uint32_t type = 0, uint32_t value_index = 0, uint8_t value_kind = 0);
    static Trait make_method(uint32_t name, uint32_t method_index, uint8_t kind = method);
    static Trait make_class(uint32_t name, uint32_t class_index);
};

struct Method {
    std::vector<uint32_t> param_types;
    uint32_t return_type = 0;
    uint32_t name = 0;
    uint8_t flags = 0;                                   // 0x08 options, 0x80 parameter names
    std::vector<std::pair<uint32_t, uint8_t>> options;  // value index, kind
    std::vector<uint32_t> param_names;
};

struct Exception {
    uint32_t from = 0, to = 0, target = 0, type = 0, name = 0;
};

struct Body {
    uint32_t method = 0;
    uint32_t max_stack = 8, local_count = 4, init_scope_depth = 0, max_scope_depth = 8;
    Bytes code;
    std::optional<uint32_t> code_length;  // the declared length; by default the code's size
    std::vector<Exception> exceptions;
    std::vector<Trait> traits;
};

struct Instance {
    uint32_t name = 0;
    uint32_t super_name = 0;
    uint8_t flags = 0;  // 0x08 writes the protected namespace
    uint32_t protected_ns = 0;
    std::vector<uint32_t> interfaces;
    uint32_t iinit = 0;
    std::vector<Trait> traits;
};

struct Class {
    uint32_t cinit = 0;
    std::vector<Trait> traits;
};

struct Metadata {
    uint32_t name = 0;
    std::vector<std::pair<uint32_t, uint32_t>> items;
};

class Abc {
public:
    // Pool entries; each returns its index. Equal entries share one index (strings, namespaces
    // and QNames); an empty pool is written with count 0.
    uint32_t integer(int32_t v);
    uint32_t uinteger(uint32_t v);
    uint32_t number(double v);
    uint32_t string(const std::string& text);
    uint32_t namespace_(uint8_t kind, const std::string& name);
    uint32_t namespace_set(const std::vector<uint32_t>& namespaces);
    // A QName in the package namespace "" (or the one given).
    uint32_t qname(const std::string& name, std::optional<uint32_t> ns = std::nullopt);
    // Any multiname kind with its operands, written as the kind reads them.
    uint32_t multiname(uint8_t kind, uint32_t ns_or_set = 0, uint32_t name = 0);

    uint32_t method(const Method& m);
    // A method with no parameters and a body running the code.
    uint32_t method_with_body(const Code& code, uint32_t local_count = 4);
    void body(const Body& b);
    uint32_t metadata(const Metadata& m);
    // An instance and its class record; returns the class index.
    uint32_t add_class(const Instance& instance, const Class& cls);
    void script(uint32_t init, const std::vector<Trait>& traits = {});

    Bytes finish() const;

    // Pool counts written in place of the true ones, for malformed blocks.
    std::optional<uint32_t> int_count, string_count, method_count, class_count, script_count, body_count;

private:
    std::vector<int32_t> ints_;
    std::vector<uint32_t> uints_;
    std::vector<double> doubles_;
    std::vector<std::string> strings_;
    std::vector<std::pair<uint8_t, uint32_t>> namespaces_;
    std::vector<std::vector<uint32_t>> namespace_sets_;
    struct Multiname {
        uint8_t kind;
        uint32_t a, b;
    };
    std::vector<Multiname> multinames_;
    std::vector<Method> methods_;
    std::vector<Metadata> metadata_;
    std::vector<Instance> instances_;
    std::vector<Class> classes_;
    std::vector<std::pair<uint32_t, std::vector<Trait>>> scripts_;
    std::vector<Body> bodies_;
};

}  // namespace swf
