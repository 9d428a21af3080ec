#include "flash/runtime/avm2/avm2_disassembler.h"

#include "flash/base/log.h"
#include "flash/runtime/avm2/abc_cursor.h"
#include "flash/runtime/avm2/abc_def.h"

namespace flash {

namespace {

constexpr int opcode_count = 256;

struct opcode_entry {
    uint8_t opcode;
    opcode_info info;
};

// The published AVM2 instruction names; bkpt (0x01), nop (0x02) and 0x22 are not listed.
constexpr opcode_entry opcode_entries[] = {
    {0x03, {"throw", {}}},
    {0x04, {"getsuper", {OPERAND_MULTINAME}}},
    {0x05, {"setsuper", {OPERAND_MULTINAME}}},
    {0x06, {"dxns", {}}},
    {0x07, {"dxnslate", {}}},
    {0x08, {"kill", {OPERAND_REGISTER}}},
    {0x09, {"label", {}}},
    {0x0C, {"ifnlt", {OPERAND_BRANCH}}},
    {0x0D, {"ifnle", {OPERAND_BRANCH}}},
    {0x0E, {"ifngt", {OPERAND_BRANCH}}},
    {0x0F, {"ifnge", {OPERAND_BRANCH}}},
    {0x10, {"jump", {OPERAND_BRANCH}}},
    {0x11, {"iftrue", {OPERAND_BRANCH}}},
    {0x12, {"iffalse", {OPERAND_BRANCH}}},
    {0x13, {"ifeq", {OPERAND_BRANCH}}},
    {0x14, {"ifne", {OPERAND_BRANCH}}},
    {0x15, {"iflt", {OPERAND_BRANCH}}},
    {0x16, {"ifle", {OPERAND_BRANCH}}},
    {0x17, {"ifgt", {OPERAND_BRANCH}}},
    {0x18, {"ifge", {OPERAND_BRANCH}}},
    {0x19, {"ifstricteq", {OPERAND_BRANCH}}},
    {0x1A, {"ifstrictne", {OPERAND_BRANCH}}},
    {0x1B, {"lookupswitch", {OPERAND_LOOKUPSWITCH}}},
    {0x1C, {"pushwith", {}}},
    {0x1D, {"popscope", {}}},
    {0x1E, {"nextname", {}}},
    {0x1F, {"hasnext", {}}},
    {0x20, {"pushnull", {}}},
    {0x21, {"pushundefined", {}}},
    {0x23, {"nextvalue", {}}},
    {0x24, {"pushbyte", {OPERAND_BYTE}}},
    {0x25, {"pushshort", {OPERAND_INTEGER}}},
    {0x26, {"pushtrue", {}}},
    {0x27, {"pushfalse", {}}},
    {0x28, {"pushnan", {}}},
    {0x29, {"pop", {}}},
    {0x2A, {"dup", {}}},
    {0x2B, {"swap", {}}},
    {0x2C, {"pushstring", {OPERAND_STRING_INDEX}}},
    {0x2D, {"pushint", {OPERAND_INT_INDEX}}},
    {0x2E, {"pushuint", {OPERAND_UINT_INDEX}}},
    {0x2F, {"pushdouble", {OPERAND_DOUBLE_INDEX}}},
    {0x30, {"pushscope", {}}},
    {0x31, {"pushnamespace", {OPERAND_NAMESPACE}}},
    {0x32, {"hasnext2", {OPERAND_REGISTER, OPERAND_REGISTER}}},
    {0x40, {"newfunction", {OPERAND_METHOD_INDEX}}},
    {0x41, {"call", {OPERAND_ARG_COUNT}}},
    {0x42, {"construct", {OPERAND_ARG_COUNT}}},
    {0x43, {"callmethod", {OPERAND_INTEGER, OPERAND_ARG_COUNT}}},
    {0x44, {"callstatic", {OPERAND_METHOD_INDEX, OPERAND_ARG_COUNT}}},
    {0x45, {"callsuper", {OPERAND_MULTINAME, OPERAND_ARG_COUNT}}},
    {0x46, {"callproperty", {OPERAND_MULTINAME, OPERAND_ARG_COUNT}}},
    {0x47, {"returnvoid", {}}},
    {0x48, {"returnvalue", {}}},
    {0x49, {"constructsuper", {OPERAND_ARG_COUNT}}},
    {0x4A, {"constructprop", {OPERAND_MULTINAME, OPERAND_ARG_COUNT}}},
    {0x4C, {"callproplex", {OPERAND_MULTINAME, OPERAND_ARG_COUNT}}},
    {0x4E, {"callsupervoid", {OPERAND_MULTINAME, OPERAND_ARG_COUNT}}},
    {0x4F, {"callpropvoid", {OPERAND_MULTINAME, OPERAND_ARG_COUNT}}},
    {0x55, {"newobject", {OPERAND_ARG_COUNT}}},
    {0x56, {"newarray", {OPERAND_ARG_COUNT}}},
    {0x57, {"newactivation", {}}},
    {0x58, {"newclass", {OPERAND_CLASS_INDEX}}},
    {0x59, {"getdescendants", {OPERAND_MULTINAME}}},
    {0x5A, {"newcatch", {OPERAND_EXCEPTION_INDEX}}},
    {0x5D, {"findpropstrict", {OPERAND_MULTINAME}}},
    {0x5E, {"findproperty", {OPERAND_MULTINAME}}},
    {0x60, {"getlex", {OPERAND_MULTINAME}}},
    {0x61, {"setproperty", {OPERAND_MULTINAME}}},
    {0x62, {"getlocal", {OPERAND_REGISTER}}},
    {0x63, {"setlocal", {OPERAND_REGISTER}}},
    {0x64, {"getglobalscope", {}}},
    {0x65, {"getscopeobject", {OPERAND_BYTE}}},
    {0x66, {"getproperty", {OPERAND_MULTINAME}}},
    {0x68, {"initproperty", {OPERAND_MULTINAME}}},
    {0x6A, {"deleteproperty", {OPERAND_MULTINAME}}},
    {0x6C, {"getslot", {OPERAND_SLOT_INDEX}}},
    {0x6D, {"setslot", {OPERAND_SLOT_INDEX}}},
    {0x6E, {"getglobalslot", {OPERAND_SLOT_INDEX}}},
    {0x6F, {"setglobalslot", {OPERAND_SLOT_INDEX}}},
    {0x70, {"convert_s", {}}},
    {0x71, {"esc_xelem", {}}},
    {0x72, {"esc_xattr", {}}},
    {0x73, {"convert_i", {}}},
    {0x74, {"convert_u", {}}},
    {0x75, {"convert_d", {}}},
    {0x76, {"convert_b", {}}},
    {0x77, {"convert_o", {}}},
    {0x78, {"checkfilter", {}}},
    {0x80, {"coerce", {OPERAND_MULTINAME}}},
    {0x82, {"coerce_a", {}}},
    {0x85, {"coerce_s", {}}},
    {0x86, {"astype", {OPERAND_MULTINAME}}},
    {0x87, {"astypelate", {}}},
    {0x90, {"negate", {}}},
    {0x91, {"increment", {}}},
    {0x92, {"inclocal", {OPERAND_REGISTER}}},
    {0x93, {"decrement", {}}},
    {0x94, {"declocal", {OPERAND_REGISTER}}},
    {0x95, {"typeof", {}}},
    {0x96, {"not", {}}},
    {0x97, {"bitnot", {}}},
    {0xA0, {"add", {}}},
    {0xA1, {"subtract", {}}},
    {0xA2, {"multiply", {}}},
    {0xA3, {"divide", {}}},
    {0xA4, {"modulo", {}}},
    {0xA5, {"lshift", {}}},
    {0xA6, {"rshift", {}}},
    {0xA7, {"urshift", {}}},
    {0xA8, {"bitand", {}}},
    {0xA9, {"bitor", {}}},
    {0xAA, {"bitxor", {}}},
    {0xAB, {"equals", {}}},
    {0xAC, {"strictequals", {}}},
    {0xAD, {"lessthan", {}}},
    {0xAE, {"lessequals", {}}},
    {0xAF, {"greaterthan", {}}},
    {0xB0, {"greaterequals", {}}},
    {0xB1, {"instanceof", {}}},
    {0xB2, {"istype", {OPERAND_MULTINAME}}},
    {0xB3, {"istypelate", {}}},
    {0xB4, {"in", {}}},
    {0xC0, {"increment_i", {}}},
    {0xC1, {"decrement_i", {}}},
    {0xC2, {"inclocal_i", {OPERAND_REGISTER}}},
    {0xC3, {"declocal_i", {OPERAND_REGISTER}}},
    {0xC4, {"negate_i", {}}},
    {0xC5, {"add_i", {}}},
    {0xC6, {"subtract_i", {}}},
    {0xC7, {"multiply_i", {}}},
    {0xD0, {"getlocal_0", {}}},
    {0xD1, {"getlocal_1", {}}},
    {0xD2, {"getlocal_2", {}}},
    {0xD3, {"getlocal_3", {}}},
    {0xD4, {"setlocal_0", {}}},
    {0xD5, {"setlocal_1", {}}},
    {0xD6, {"setlocal_2", {}}},
    {0xD7, {"setlocal_3", {}}},
    {0xEF, {"debug", {OPERAND_BYTE, OPERAND_STRING_INDEX, OPERAND_BYTE, OPERAND_INTEGER}}},
    {0xF0, {"debugline", {OPERAND_INTEGER}}},
    {0xF1, {"debugfile", {OPERAND_STRING_INDEX}}},
};

// Indexed by opcode; made once, on first use, and never changed.
const opcode_info* opcode_table() {
    static const struct table {
        opcode_info by_opcode[opcode_count];
        table() {
            for (const opcode_entry& e : opcode_entries) by_opcode[e.opcode] = e.info;
        }
    } t;
    return t.by_opcode;
}

const char* text_or(const bx_string* text, const char* fallback) { return text ? text->c_str() : fallback; }

constexpr const char* out_of_range = "<out of range>";

// A pool entry's value line, or the line of an index outside the pool.
template <class T>
void log_pool_value(bool found, const char* format, T value) {
    if (found) {
        log_msg(format, value);
    } else {
        log_msg("\t\tvalue: %s\n", out_of_range);
    }
}

// Lists one operand; false when it runs past the code.
bool log_operand(avm2_operand type, abc_cursor& in, const abc_def* abc) {
    if (type == OPERAND_BYTE) {
        uint8_t b;
        if (!in.read_u8(&b)) return false;
        log_msg("\t\tvalue: %i\n", b);
        return true;
    }
    if (type == OPERAND_BRANCH) {
        int32_t offset;
        if (!in.read_s24(&offset)) return false;
        log_msg("\t\toffset: %i\n", offset);
        return true;
    }
    if (type == OPERAND_LOOKUPSWITCH) {
        int32_t offset;
        uint32_t cases;
        if (!in.read_s24(&offset)) return false;
        log_msg("\t\tdefault offset: %i\n", offset);
        if (!in.read_u30(&cases)) return false;
        // Each case offset takes three bytes: a count beyond the code is cut where it ends.
        for (uint32_t i = 0; i <= cases; ++i) {
            if (!in.read_s24(&offset)) return false;
            log_msg("\t\toffset %i: %i\n", static_cast<int>(i), offset);
        }
        return true;
    }
    int index;
    if (!in.read_index(&index)) return false;
    switch (type) {
        case OPERAND_MULTINAME: {
            const abc_multiname* mn = abc->get_multiname(index);
            if (!mn || index >= abc->get_multiname_count()) {
                log_msg("\t\tmultiname: runtime %i\n", index);
            } else if (mn->kind == abc_multiname::QNAME || mn->kind == abc_multiname::QNAME_A ||
                       mn->kind == abc_multiname::MULTINAME || mn->kind == abc_multiname::MULTINAME_A) {
                log_msg("\t\tmultiname: %s\n", text_or(abc->get_multiname_name(index), out_of_range));
            } else {
                log_msg("\t\tmultiname ( todo kind: %i )\n", mn->kind);
            }
            break;
        }
        case OPERAND_NAMESPACE:
            log_msg("\t\tnamespace: %s\n", text_or(abc->get_namespace_name(index), out_of_range));
            break;
        case OPERAND_INT_INDEX: {
            int32_t v = 0;
            const bool found = abc->get_int(index, &v);
            log_pool_value(found, "\t\tvalue: %i\n", v);
            break;
        }
        case OPERAND_UINT_INDEX: {
            uint32_t v = 0;
            const bool found = abc->get_uint(index, &v);
            log_pool_value(found, "\t\tvalue: %ui\n", v);
            break;
        }
        case OPERAND_DOUBLE_INDEX: {
            double v = 0;
            const bool found = abc->get_double(index, &v);
            log_pool_value(found, "\t\tvalue: %f\n", v);
            break;
        }
        case OPERAND_STRING_INDEX:
            log_msg("\t\tstring: %s\n", text_or(abc->get_string(index), out_of_range));
            break;
        case OPERAND_INTEGER:
            log_msg("\t\tvalue: %i\n", index);
            break;
        case OPERAND_ARG_COUNT:
            log_msg("\t\tcount: %i\n", index);
            break;
        case OPERAND_CLASS_INDEX:
            log_msg("\t\tclass: %i\n", index);
            break;
        case OPERAND_METHOD_INDEX:
            log_msg("\t\tfunction: %s\n", text_or(abc->get_method_name(index), out_of_range));
            break;
        case OPERAND_EXCEPTION_INDEX:
            log_msg("\t\texception: %i\n", index);
            break;
        case OPERAND_REGISTER:
            log_msg("\t\tregister: %i\n", index);
            break;
        case OPERAND_SLOT_INDEX:
            log_msg("\t\tslot index: %i\n", index);
            break;
        default:
            break;
    }
    return true;
}

}  // namespace

const opcode_info* find_opcode(uint8_t opcode) {
    const opcode_info* info = &opcode_table()[opcode];
    return info->name ? info : nullptr;
}

void log_abc_disasm(const array<uint8_t>& code, const abc_def* abc) {
    if (!abc) return;
    abc_cursor in(code.data(), code.size());
    uint8_t opcode;
    while (in.read_u8(&opcode)) {
        const opcode_info* info = find_opcode(opcode);
        if (!info) {
            log_msg(":\tunknown opcode 0x%02X\n", opcode);
            continue;
        }
        log_msg(":\t%s\n", info->name);
        for (avm2_operand type : info->operands) {
            if (type == OPERAND_NONE) break;
            if (!log_operand(type, in, abc)) {
                log_msg("<disasm error -- length exceeded>\n");
                return;
            }
        }
    }
}

}  // namespace flash
