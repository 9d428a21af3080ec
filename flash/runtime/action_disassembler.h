#pragma once
// Readable listings of ActionScript 1/2 action records for the engine log (diagnostics only).
#include <cstdint>

namespace flash {

// Lists one action record: its first byte is the action code, codes 0x80 and above are followed by
// a 16-bit length (low byte first) and that many payload bytes. Nothing beyond bytes[size - 1] is
// read: a record cut short by size lists what it holds and then the length-exceeded line.
void log_action_disasm(const uint8_t* bytes, int size);

// The listing's name of an action code; "<end>" for 0 and null for a code the table lacks.
const char* get_action_name(int code);

}  // namespace flash
