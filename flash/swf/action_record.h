#pragma once
// The ActionScript 1/2 action record as stored in DoAction, DoInitAction, clip-event and button
// records: a code byte and, for codes of 0x80 and above, a little-endian 16-bit payload length
// and the payload. The interpreter, the preparation of Push records and the action listing all
// read records and Push items here, so one bound holds for all of them: nothing is read past the
// bytes given.
#include <cstdint>
#include <cstring>

#include "flash/base/byte_cursor.h"

namespace flash {

// Codes with this bit set are followed by a 16-bit payload length and the payload.
constexpr int action_has_payload_bit = 0x80;
// Code byte and payload length.
constexpr int action_record_header_size = 3;

// The header of one record.
struct action_header {
    int code = 0;
    // 0 for codes below 0x80.
    int payload_length = 0;
    // The whole record: header and payload.
    int size = 1;
};

// How a record header read against its bound failed.
enum class action_header_fault {
    none,
    // A code of 0x80 or above without the two length bytes before the bound.
    header_cut,
    // The payload runs past the bound (the length is read and given).
    payload_cut,
};

// Whether records of code carry a payload length and a payload.
constexpr bool action_has_payload(int code) { return (code & action_has_payload_bit) != 0; }

// What bounded_payload_length gives for a record that does not lie whole before its bound.
constexpr int action_header_cut = -1;
constexpr int action_payload_cut = -2;

// The payload length of the record at record[0], whose code carries one, with room bytes left
// before its bound: the length when the whole record fits, else action_header_cut (the two
// length bytes are not there) or action_payload_cut. Inline: the interpreter reads every record
// it runs through it.
[[gnu::always_inline]] inline int bounded_payload_length(const uint8_t* record, int room) {
    if (room < action_record_header_size) return action_header_cut;
    const int length = record[1] | (record[2] << 8);
    return length > room - action_record_header_size ? action_payload_cut : length;
}

// The same as read_action_header's: true when the whole record at bytes[pc] lies before end;
// false when it does not, with *length read when its two bytes are there (else 0).
[[gnu::always_inline]] inline bool read_action_payload_length(const uint8_t* bytes, int pc, int end,
                                                             int* length) {
    const int bounded = bounded_payload_length(bytes + pc, end - pc);
    if (bounded >= 0) {
        *length = bounded;
        return true;
    }
    *length = bounded == action_header_cut ? 0 : bytes[pc + 1] | (bytes[pc + 2] << 8);
    return false;
}

// The header of the record at bytes[pc], which must lie before end, bounded by end: true when the
// whole record lies inside; else false, with the code and (when its bytes are there) the payload
// length read.
[[gnu::always_inline]] inline bool read_action_header(const uint8_t* bytes, int pc, int end,
                                                     action_header* out) {
    const int code = bytes[pc];
    out->code = code;
    if (!action_has_payload(code)) {
        out->payload_length = 0;
        out->size = 1;
        return true;
    }
    const bool whole = read_action_payload_length(bytes, pc, end, &out->payload_length);
    out->size = whole ? action_record_header_size + out->payload_length : 1;
    return whole;
}

// Why read_action_header refused the record at bytes[pc] bounded by end.
inline action_header_fault action_header_fault_at(const uint8_t* bytes, int pc, int end) {
    action_header header;
    if (read_action_header(bytes, pc, end, &header)) return action_header_fault::none;
    return end - pc < action_record_header_size ? action_header_fault::header_cut
                                                : action_header_fault::payload_cut;
}

// The type byte of a Push item.
enum class push_type : uint8_t {
    string = 0,
    float32 = 1,
    null = 2,
    undefined = 3,
    register_number = 4,
    boolean = 5,
    // Two little-endian 32-bit halves, the high half first.
    float64 = 6,
    int32 = 7,
    pool_index8 = 8,
    pool_index16 = 9,
};
// Type bytes at or above this are unknown: they stand alone and push nothing.
constexpr int push_type_count = 10;

// The bytes an item of a known type takes after its type byte (a string: up to its NUL).
constexpr int push_item_size(push_type type) {
    switch (type) {
        case push_type::float32:
        case push_type::int32: return 4;
        case push_type::float64: return 8;
        case push_type::register_number:
        case push_type::boolean:
        case push_type::pool_index8: return 1;
        case push_type::pool_index16: return 2;
        default: return 0;
    }
}

// One Push item.
struct push_item {
    // Whether the type byte is one of push_type; an unknown one was read alone.
    bool known = false;
    push_type type = push_type::undefined;
    // string: the text inside the payload (NUL-terminated there) and its length.
    const char* text = "";
    int text_length = 0;
    // float32, float64 and int32.
    double number = 0.0;
    // register_number, boolean (0 or 1), pool_index8 and pool_index16.
    int index = 0;
};

// Reads the next item of a Push payload. False when the payload is used up or the item is cut
// short (the cursor is then failed).
inline bool read_push_item(byte_cursor& in, push_item* out) {
    if (in.at_end()) return false;
    const int type = in.u8();
    *out = push_item();
    if (type >= push_type_count) return true;
    out->known = true;
    out->type = static_cast<push_type>(type);
    switch (out->type) {
        case push_type::string: out->text = in.c_string(&out->text_length); break;
        case push_type::float32: out->number = in.f32(); break;
        case push_type::float64: {
            const uint64_t high = in.u32();
            const uint64_t low = in.u32();
            const uint64_t bits = (high << 32) | low;
            std::memcpy(&out->number, &bits, sizeof out->number);
            break;
        }
        case push_type::int32: out->number = in.s32(); break;
        case push_type::boolean: out->index = in.u8() != 0 ? 1 : 0; break;
        case push_type::register_number:
        case push_type::pool_index8: out->index = in.u8(); break;
        case push_type::pool_index16: out->index = in.u16(); break;
        case push_type::null:
        case push_type::undefined: break;
    }
    return !in.failed();
}

// The payload of the record at bytes[pc] whose header is header.
inline byte_cursor action_payload(const uint8_t* bytes, int pc, const action_header& header) {
    return byte_cursor(bytes + pc + action_record_header_size, header.payload_length);
}

}  // namespace flash
