// The AVM2 listing: every listed opcode with its name and operands, the bytes that are no
// opcode, negative offsets, lookupswitch, and operands cut by the end of the code.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "avm2_test_support.h"
#include "flash/runtime/avm2/avm2_disassembler.h"

namespace {

using avm2test::machine;
using swf::Bytes;

// The listed opcodes with their published names and operand forms, one letter per operand:
// m multiname, n namespace, b byte, i integer, I int, U uint, D double, s string, c count,
// C class, f method, e exception, r register, S slot, o branch offset, L lookupswitch.
struct listed {
    uint8_t opcode;
    const char* name;
    const char* operands;
};
const listed listed_opcodes[] = {
    {0x03, "throw", ""},         {0x04, "getsuper", "m"},       {0x05, "setsuper", "m"},
    {0x06, "dxns", ""},          {0x07, "dxnslate", ""},        {0x08, "kill", "r"},
    {0x09, "label", ""},         {0x0C, "ifnlt", "o"},          {0x0D, "ifnle", "o"},
    {0x0E, "ifngt", "o"},        {0x0F, "ifnge", "o"},          {0x10, "jump", "o"},
    {0x11, "iftrue", "o"},       {0x12, "iffalse", "o"},        {0x13, "ifeq", "o"},
    {0x14, "ifne", "o"},         {0x15, "iflt", "o"},           {0x16, "ifle", "o"},
    {0x17, "ifgt", "o"},         {0x18, "ifge", "o"},           {0x19, "ifstricteq", "o"},
    {0x1A, "ifstrictne", "o"},   {0x1B, "lookupswitch", "L"},   {0x1C, "pushwith", ""},
    {0x1D, "popscope", ""},      {0x1E, "nextname", ""},        {0x1F, "hasnext", ""},
    {0x20, "pushnull", ""},      {0x21, "pushundefined", ""},   {0x23, "nextvalue", ""},
    {0x24, "pushbyte", "b"},     {0x25, "pushshort", "i"},      {0x26, "pushtrue", ""},
    {0x27, "pushfalse", ""},     {0x28, "pushnan", ""},         {0x29, "pop", ""},
    {0x2A, "dup", ""},           {0x2B, "swap", ""},            {0x2C, "pushstring", "s"},
    {0x2D, "pushint", "I"},      {0x2E, "pushuint", "U"},       {0x2F, "pushdouble", "D"},
    {0x30, "pushscope", ""},     {0x31, "pushnamespace", "n"},  {0x32, "hasnext2", "rr"},
    {0x40, "newfunction", "f"},  {0x41, "call", "c"},           {0x42, "construct", "c"},
    {0x43, "callmethod", "ic"},  {0x44, "callstatic", "fc"},    {0x45, "callsuper", "mc"},
    {0x46, "callproperty", "mc"}, {0x47, "returnvoid", ""},     {0x48, "returnvalue", ""},
    {0x49, "constructsuper", "c"}, {0x4A, "constructprop", "mc"}, {0x4C, "callproplex", "mc"},
    {0x4E, "callsupervoid", "mc"}, {0x4F, "callpropvoid", "mc"}, {0x55, "newobject", "c"},
    {0x56, "newarray", "c"},     {0x57, "newactivation", ""},   {0x58, "newclass", "C"},
    {0x59, "getdescendants", "m"}, {0x5A, "newcatch", "e"},     {0x5D, "findpropstrict", "m"},
    {0x5E, "findproperty", "m"}, {0x60, "getlex", "m"},         {0x61, "setproperty", "m"},
    {0x62, "getlocal", "r"},     {0x63, "setlocal", "r"},       {0x64, "getglobalscope", ""},
    {0x65, "getscopeobject", "b"}, {0x66, "getproperty", "m"},  {0x68, "initproperty", "m"},
    {0x6A, "deleteproperty", "m"}, {0x6C, "getslot", "S"},      {0x6D, "setslot", "S"},
    {0x6E, "getglobalslot", "S"}, {0x6F, "setglobalslot", "S"}, {0x70, "convert_s", ""},
    {0x71, "esc_xelem", ""},     {0x72, "esc_xattr", ""},       {0x73, "convert_i", ""},
    {0x74, "convert_u", ""},     {0x75, "convert_d", ""},       {0x76, "convert_b", ""},
    {0x77, "convert_o", ""},     {0x78, "checkfilter", ""},     {0x80, "coerce", "m"},
    {0x82, "coerce_a", ""},      {0x85, "coerce_s", ""},        {0x86, "astype", "m"},
    {0x87, "astypelate", ""},    {0x90, "negate", ""},          {0x91, "increment", ""},
    {0x92, "inclocal", "r"},     {0x93, "decrement", ""},       {0x94, "declocal", "r"},
    {0x95, "typeof", ""},        {0x96, "not", ""},             {0x97, "bitnot", ""},
    {0xA0, "add", ""},           {0xA1, "subtract", ""},        {0xA2, "multiply", ""},
    {0xA3, "divide", ""},        {0xA4, "modulo", ""},          {0xA5, "lshift", ""},
    {0xA6, "rshift", ""},        {0xA7, "urshift", ""},         {0xA8, "bitand", ""},
    {0xA9, "bitor", ""},         {0xAA, "bitxor", ""},          {0xAB, "equals", ""},
    {0xAC, "strictequals", ""},  {0xAD, "lessthan", ""},        {0xAE, "lessequals", ""},
    {0xAF, "greaterthan", ""},   {0xB0, "greaterequals", ""},   {0xB1, "instanceof", ""},
    {0xB2, "istype", "m"},       {0xB3, "istypelate", ""},      {0xB4, "in", ""},
    {0xC0, "increment_i", ""},   {0xC1, "decrement_i", ""},     {0xC2, "inclocal_i", "r"},
    {0xC3, "declocal_i", "r"},   {0xC4, "negate_i", ""},        {0xC5, "add_i", ""},
    {0xC6, "subtract_i", ""},    {0xC7, "multiply_i", ""},      {0xD0, "getlocal_0", ""},
    {0xD1, "getlocal_1", ""},    {0xD2, "getlocal_2", ""},      {0xD3, "getlocal_3", ""},
    {0xD4, "setlocal_0", ""},    {0xD5, "setlocal_1", ""},      {0xD6, "setlocal_2", ""},
    {0xD7, "setlocal_3", ""},    {0xEF, "debug", "bsbi"},       {0xF0, "debugline", "i"},
    {0xF1, "debugfile", "s"},
};

// A block whose pools give every operand something to name.
struct pools {
    uint32_t multiname, ns, integer, uinteger, number, text, method;
    Bytes block;
};

pools make_pools() {
    swf::Abc a;
    pools p;
    p.ns = a.namespace_(swf::package_namespace, "ns");
    p.multiname = a.qname("nm", p.ns);
    p.integer = a.integer(-5);
    p.uinteger = a.uinteger(7);
    p.number = a.number(1.5);
    p.text = a.string("txt");
    swf::Method f;
    f.name = a.string("fn");
    p.method = a.method(f);
    p.block = a.finish();
    return p;
}

// The operand bytes and the listing lines of one operand form.
void operand(char form, const pools& p, swf::Code& code, std::string& lines) {
    switch (form) {
        case 'm': code.u30(p.multiname), lines += "\t\tmultiname: nm\n"; break;
        case 'n': code.u30(p.ns), lines += "\t\tnamespace: ns\n"; break;
        case 'b': code.u8(200), lines += "\t\tvalue: 200\n"; break;
        case 'i': code.u30(300), lines += "\t\tvalue: 300\n"; break;
        case 'I': code.u30(p.integer), lines += "\t\tvalue: -5\n"; break;
        case 'U': code.u30(p.uinteger), lines += "\t\tvalue: 7i\n"; break;
        case 'D': code.u30(p.number), lines += "\t\tvalue: 1.500000\n"; break;
        case 's': code.u30(p.text), lines += "\t\tstring: txt\n"; break;
        case 'c': code.u30(2), lines += "\t\tcount: 2\n"; break;
        case 'C': code.u30(3), lines += "\t\tclass: 3\n"; break;
        case 'f': code.u30(p.method), lines += "\t\tfunction: fn\n"; break;
        case 'e': code.u30(4), lines += "\t\texception: 4\n"; break;
        case 'r': code.u30(5), lines += "\t\tregister: 5\n"; break;
        case 'S': code.u30(6), lines += "\t\tslot index: 6\n"; break;
        case 'o': code.u8(0xFE).u8(0xFF).u8(0xFF), lines += "\t\toffset: -2\n"; break;
        case 'L':
            code.s24(-2).u30(2).s24(1).s24(2).s24(-3);
            lines += "\t\tdefault offset: -2\n\t\toffset 0: 1\n\t\toffset 1: 2\n\t\toffset 2: -3\n";
            break;
        default:
            FAIL() << form;
    }
}

std::string listing(const machine& m, const Bytes& code) {
    flash::array<uint8_t> buffer;
    EXPECT_TRUE(buffer.resize(static_cast<int>(code.size())));
    for (size_t i = 0; i < code.size(); ++i) buffer[static_cast<int>(i)] = code[i];
    testsupport::engine_log::messages().clear();
    flash::log_abc_disasm(buffer, m.abc.get_ptr());
    return testsupport::engine_log::messages();
}

TEST(Avm2Listing, TheTableHoldsExactlyTheListedOpcodes) {
    std::set<int> named;
    for (const listed& l : listed_opcodes) {
        named.insert(l.opcode);
        const flash::opcode_info* info = flash::find_opcode(l.opcode);
        ASSERT_NE(info, nullptr) << static_cast<int>(l.opcode);
        EXPECT_STREQ(info->name, l.name);
    }
    for (int b = 0; b < 256; ++b) {
        if (!named.count(b)) {
            EXPECT_EQ(flash::find_opcode(static_cast<uint8_t>(b)), nullptr) << b;
        }
    }
    EXPECT_EQ(named.size(), 142u);
}

TEST(Avm2Listing, EveryListedOpcodeWithItsOperands) {
    const pools p = make_pools();
    machine m;
    ASSERT_TRUE(m.read(p.block));
    swf::Code code;
    std::string expected;
    for (const listed& l : listed_opcodes) {
        code.op(l.opcode);
        expected += std::string(":\t") + l.name + "\n";
        for (const char* form = l.operands; *form; ++form) operand(*form, p, code, expected);
    }
    EXPECT_EQ(listing(m, code.bytes()), expected);
}

TEST(Avm2Listing, NoOpcodesRuntimeNamesAndCutOperands) {
    swf::Abc a;
    const uint32_t late = a.multiname(swf::mn::rtqname_l);
    const uint32_t set = a.namespace_set({a.namespace_(swf::package_namespace, "")});
    const uint32_t multi = a.multiname(swf::mn::multiname, set, a.string("mm"));
    machine m;
    ASSERT_TRUE(m.read(a.finish()));
    struct row {
        Bytes code;
        const char* expected;
    };
    const row rows[] = {
        {{0x02, 0x01, 0x22, 0xFF, 0x29}, ":\tunknown opcode 0x02\n:\tunknown opcode 0x01\n:\tunknown opcode 0x22\n"
                                         ":\tunknown opcode 0xFF\n:\tpop\n"},
        {{0x66, 99}, ":\tgetproperty\n\t\tmultiname: runtime 99\n"},
        {{0x66, static_cast<uint8_t>(late)}, ":\tgetproperty\n\t\tmultiname ( todo kind: 17 )\n"},
        {{0x66, static_cast<uint8_t>(multi)}, ":\tgetproperty\n\t\tmultiname: mm\n"},
        {{0x2C}, ":\tpushstring\n<disasm error -- length exceeded>\n"},
        {{0x10, 0xFE, 0xFF}, ":\tjump\n<disasm error -- length exceeded>\n"},
        {{0x46, 1, 0x80}, ":\tcallproperty\n\t\tmultiname ( todo kind: 17 )\n<disasm error -- length exceeded>\n"},
        {{0x1B, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0x0F, 1, 0, 0},
         ":\tlookupswitch\n\t\tdefault offset: 0\n\t\toffset 0: 1\n<disasm error -- length exceeded>\n"},
        {{0xEF, 1, 0x7F}, ":\tdebug\n\t\tvalue: 1\n\t\tstring: <out of range>\n<disasm error -- length exceeded>\n"},
        {{0x2D, 9, 0x2F, 9, 0x31, 9, 0x40, 9},
         ":\tpushint\n\t\tvalue: <out of range>\n:\tpushdouble\n\t\tvalue: <out of range>\n:\tpushnamespace\n"
         "\t\tnamespace: <out of range>\n:\tnewfunction\n\t\tfunction: <out of range>\n"},
    };
    for (const row& r : rows) EXPECT_EQ(listing(m, r.code), r.expected);
}

}  // namespace
