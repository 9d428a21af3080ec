#pragma once
// The listing of AVM2 method bodies written to the engine log while the verbose-parse flag is on:
// one line per instruction with its name, then one line per operand.
#include <cstdint>

#include "flash/base/array.h"

namespace flash {

class abc_def;

// Operand type codes of the opcode table.
enum avm2_operand : uint8_t {
    OPERAND_NONE = 0,
    OPERAND_MULTINAME = 1,
    OPERAND_NAMESPACE = 2,
    OPERAND_BYTE = 3,
    OPERAND_INTEGER = 4,
    OPERAND_INT_INDEX = 5,
    OPERAND_UINT_INDEX = 6,
    OPERAND_DOUBLE_INDEX = 7,
    OPERAND_STRING_INDEX = 8,
    OPERAND_ARG_COUNT = 9,
    OPERAND_CLASS_INDEX = 10,
    OPERAND_METHOD_INDEX = 11,
    OPERAND_EXCEPTION_INDEX = 12,
    OPERAND_REGISTER = 13,
    OPERAND_SLOT_INDEX = 14,
    OPERAND_BRANCH = 15,
    OPERAND_LOOKUPSWITCH = 16,
};

// One opcode's published name and its operand types in order (OPERAND_NONE ends them).
struct opcode_info {
    const char* name = nullptr;
    avm2_operand operands[4] = {};
};

// The entry of an opcode; null for a byte that is no listed opcode.
const opcode_info* find_opcode(uint8_t opcode);

// Lists the whole code of one method body. An operand that runs past the code ends the listing
// with "<disasm error -- length exceeded>".
void log_abc_disasm(const array<uint8_t>& code, const abc_def* abc);

}  // namespace flash
