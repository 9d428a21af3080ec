#include "flash/runtime/action_buffer.h"

#include <atomic>
#include <cstring>

#include "flash/base/log.h"
#include "flash/runtime/action_disassembler.h"

namespace flash {

action_buffer::action_buffer() : m_buffer(new counted_buffer) {}

int action_buffer::read(const uint8_t* bytes, int length) {
    if (!bytes || length <= 0) return 0;
    int pos = 0;
    while (pos < length) {
        const int record = pos;
        const int code = bytes[pos];
        int size = 1;
        if (code & action::HAS_PAYLOAD) {
            if (length - pos < 3) {
                size = length - pos + 1;  // marks the record as cut short
            } else {
                size = 3 + (bytes[pos + 1] | (bytes[pos + 2] << 8));
            }
        }
        if (size > length - pos) {
            log_error("error: action record at %d (code 0x%02X) runs past the end of its tag\n",
                      record, code);
            return length;
        }
        const int offset = m_buffer->size();
        if (!m_buffer->append(bytes + pos, size)) {
            log_error("error: action buffer can't grow past %d bytes\n", offset);
            return length;
        }
        if (get_verbose_action()) {
            log_msg("%4d\t", offset);
            log_action_disasm(bytes + pos, size);
        }
        pos += size;
        if (code == action::END) break;
    }
    return pos;
}

void action_buffer::execute(as_environment* env) {
    static const array<with_scope> empty;
    execute(env, 0, get_length(), nullptr, empty, false);
}

namespace {

// The little-endian 32-bit value at bytes[at, at + 4).
uint32_t read_u32_at(const uint8_t* bytes, int at) {
    return static_cast<uint32_t>(bytes[at]) | (static_cast<uint32_t>(bytes[at + 1]) << 8) |
           (static_cast<uint32_t>(bytes[at + 2]) << 16) |
           (static_cast<uint32_t>(bytes[at + 3]) << 24);
}

// Push item types by their type byte, and the bytes each takes after it (a text: up to its NUL).
constexpr int push_type_double = 6;
constexpr int push_type_int32 = 7;
constexpr int push_item_size[] = {0, 4, 0, 0, 1, 1, 8, 4, 1, 2};
constexpr int push_type_count = static_cast<int>(sizeof push_item_size / sizeof push_item_size[0]);

// The double of a Push item at bytes[at, at + 8): its two halves come high first, each
// little-endian.
double read_push_double_at(const uint8_t* bytes, int at) {
    const uint64_t bits = (static_cast<uint64_t>(read_u32_at(bytes, at)) << 32) |
                          read_u32_at(bytes, at + 4);
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// The Push record at push_pc, after the GetVariable that follows a record: when it holds one
// number (an int32 or a double) and an action two numbers take straight follows it inside the
// buffer, record takes that number and action (see push_record::then_operand).
void take_number_pushed_after_read(const uint8_t* bytes, int length, int push_pc,
                                   push_record* record) {
    constexpr int header_size = 3;
    constexpr int int32_item_size = 1 + push_item_size[push_type_int32];
    constexpr int double_item_size = 1 + push_item_size[push_type_double];
    if (length - push_pc < header_size + int32_item_size + 1) return;
    const int payload_length = bytes[push_pc + 1] | (bytes[push_pc + 2] << 8);
    const int item = push_pc + header_size;
    const int op_pc = item + payload_length;
    if (op_pc >= length || !operates_on_numbers(bytes[op_pc])) return;
    double value = 0.0;
    if (payload_length == int32_item_size && bytes[item] == push_type_int32) {
        value = static_cast<int32_t>(read_u32_at(bytes, item + 1));
    } else if (payload_length == double_item_size && bytes[item] == push_type_double) {
        value = read_push_double_at(bytes, item + 1);
    } else {
        return;
    }
    record->then_operand = value;
    record->then_operates = bytes[op_pc];
    // From the GetVariable, one byte before the Push.
    record->then_operates_at = op_pc - (push_pc - 1);
}

// A record of one name twice, its GetVariable at read_pc: when the step after the read and the
// SetVariable after the step follow inside the buffer, record takes them (see
// push_record::then_stores_at).
void take_store_of_read_name(const uint8_t* bytes, int length, int read_pc,
                             const counted_buffer& store, push_record* record) {
    if (record->value_count != 2) return;
    const as_value& written = store.push_values[record->value_first];
    const as_value& read = store.push_values[record->value_first + 1];
    if (!written.is_string() || !read.is_string() ||
        written.to_bx_string() != read.to_bx_string()) {
        return;
    }
    const int step_pc = read_pc + 1;
    if (step_pc + 1 < length &&
        (bytes[step_pc] == action::INCREMENT || bytes[step_pc] == action::DECREMENT) &&
        bytes[step_pc + 1] == action::SET_VARIABLE) {
        record->then_steps = bytes[step_pc];
        record->then_stores_at = step_pc + 1 - read_pc;
        return;
    }
    if (record->then_operates_at && operates_arithmetically(record->then_operates)) {
        const int store_pc = read_pc + record->then_operates_at + 1;
        if (store_pc < length && bytes[store_pc] == action::SET_VARIABLE) {
            record->then_stores_at = store_pc - read_pc;
        }
    }
}

}  // namespace

push_view action_buffer::prepare_push_record(int pc, int payload_length) {
    counted_buffer& store = *m_buffer;
    const uint8_t* bytes = get_bytes();
    const int length = get_length();
    if (!bytes || pc < 0 || payload_length < 0 || pc + 3 + payload_length > length) return {};
    if (pc >= store.record_index.size() && !store.record_index.resize(length)) return {};
    push_record record;
    record.text_first = store.push_names.size();
    record.value_first = store.push_values.size();
    bool constant = true;
    bool takes_pool_entries = false;
    bool last_is_text = false;
    // The record's items as the interpreter reads them: a type byte, then its bytes.
    const int end = pc + 3 + payload_length;
    auto take_value = [&](const as_value& value) {
        if (!constant) return;
        const int before = store.push_values.size();
        store.push_values.push_back(value);
        if (store.push_values.size() == before) {
            constant = false;  // refused and logged by the array
            return;
        }
        ++record.value_count;
    };
    auto read_u32 = [&](int at) { return read_u32_at(bytes, at); };
    for (int pos = pc + 3; pos < end;) {
        const int type = bytes[pos++];
        if (type == 0) {
            int stop = pos;
            while (stop < end && bytes[stop] != 0) ++stop;
            if (stop >= end) {
                // Cut short: read the slow way, which logs it.
                constant = false;
                break;
            }
            bx_string name(reinterpret_cast<const char*>(bytes + pos), stop - pos);
            name.prepare_name();
            const int before = store.push_names.size();
            store.push_names.push_back(name);
            if (store.push_names.size() == before) {
                constant = false;  // refused and logged by the array
                break;
            }
            ++record.text_count;
            take_value(as_value(name));
            pos = stop + 1;
            last_is_text = true;
            continue;
        }
        // An unknown type byte stands alone and pushes nothing.
        if (type >= push_type_count) continue;
        last_is_text = false;
        if (end - pos < push_item_size[type]) {
            constant = false;
            break;
        }
        switch (type) {
            case 1: {
                const uint32_t bits = read_u32(pos);
                float f;
                std::memcpy(&f, &bits, sizeof f);
                take_value(as_value(static_cast<double>(f)));
                break;
            }
            case 2: {
                as_value null_value;
                null_value.set_null();
                take_value(null_value);
                break;
            }
            case 3:
                take_value(as_value());
                break;
            case 5:
                take_value(as_value(bytes[pos] != 0));
                break;
            case push_type_double:
                take_value(as_value(read_push_double_at(bytes, pos)));
                break;
            case push_type_int32:
                take_value(as_value(static_cast<double>(static_cast<int32_t>(read_u32(pos)))));
                break;
            case 8:
            case 9: {
                // A pool entry is a constant of this dictionary: the record runs from its values
                // only under it. An entry outside it is read when pushed, which logs it.
                const int index = type == 8 ? bytes[pos] : bytes[pos] | (bytes[pos + 1] << 8);
                if (index >= m_dictionary.size() || m_dictionary_id == 0) {
                    constant = false;
                    break;
                }
                takes_pool_entries = true;
                take_value(as_value(m_dictionary[index]));
                last_is_text = true;
                break;
            }
            default:
                // Registers are read when pushed.
                constant = false;
                break;
        }
        pos += push_item_size[type];
    }
    record.constant = constant;
    if (constant && last_is_text && end < length &&
        (bytes[end] == action::GET_VARIABLE || bytes[end] == action::GET_MEMBER ||
         bytes[end] == action::CALL_FUNCTION)) {
        record.then_reads_name = bytes[end];
        record.reads_plain_name = bytes[end] != action::GET_MEMBER &&
                                  !store.push_values.back().to_bx_string().has_path_separator();
    }
    if (constant && record.value_count > 0 && end < length &&
        store.push_values.back().get_type() == as_value::NUMBER && operates_on_numbers(bytes[end])) {
        record.then_operates = bytes[end];
    }
    if (record.then_reads_name == action::GET_VARIABLE && end + 1 < length &&
        operates_on_numbers(bytes[end + 1])) {
        record.then_operates = bytes[end + 1];
    }
    if (record.then_reads_name == action::GET_VARIABLE && end + 1 < length &&
        bytes[end + 1] == action::PUSH) {
        take_number_pushed_after_read(bytes, length, end + 1, &record);
    }
    if (record.then_reads_name == action::GET_VARIABLE && record.reads_plain_name) {
        take_store_of_read_name(bytes, length, end, store, &record);
    }
    // Constant only under this dictionary: the run asks for it (see push_record::constant).
    if (constant && takes_pool_entries) {
        record.constant = false;
        record.dictionary_id = m_dictionary_id;
    }
    const int before = store.push_records.size();
    store.push_records.push_back(record);
    if (store.push_records.size() == before) return {};
    store.record_index[pc] = store.push_records.size();
    return view_of(record);
}

member_cache* action_buffer::make_member_cache(int key) {
    if (member_cache* found = find_member_cache(key)) return found;
    counted_buffer& store = *m_buffer;
    const int length = get_length();
    // A Push record holds its own cache: found above, unless the record is gone.
    if (key < 0 || key >= length) return nullptr;
    if (key >= store.record_index.size() && !store.record_index.resize(length)) {
        return nullptr;
    }
    const int before = store.member_caches.size();
    store.member_caches.push_back(member_cache());
    if (store.member_caches.size() == before) return nullptr;
    store.record_index[key] = store.member_caches.size();
    return &store.member_caches.back();
}

void action_buffer::process_decl_dict(int start_pc, int stop_pc) {
    if (m_decl_dict_processed_at == start_pc) return;
    if (m_decl_dict_processed_at != -1) {
        log_error("error: process_decl_dict(%d, %d): decl_dict was already processed at %d\n",
                  start_pc, stop_pc, m_decl_dict_processed_at);
        return;
    }
    const uint8_t* bytes = get_bytes();
    const int size = get_length();
    if (stop_pc > size) stop_pc = size;
    if (!bytes || start_pc < 0 || start_pc + 5 > stop_pc) {
        log_error("error: action buffer dict length exceeded\n");
        return;
    }
    m_decl_dict_processed_at = start_pc;
    // Copies made from here on share the number with these entries.
    static std::atomic<uint32_t> s_last_dictionary_id{0};
    m_dictionary_id = ++s_last_dictionary_id;
    const int count = bytes[start_pc + 3] | (bytes[start_pc + 4] << 8);
    m_dictionary.resize(count);
    int pos = start_pc + 5;
    for (int i = 0; i < count; ++i) {
        int end = pos;
        while (end < stop_pc && bytes[end] != 0) ++end;
        if (end >= stop_pc) {
            log_error("error: action buffer dict length exceeded\n");
            for (; i < count; ++i) m_dictionary[i] = "<invalid>";
            return;
        }
        m_dictionary[i] = bx_string(reinterpret_cast<const char*>(bytes + pos), end - pos);
        // Pool entries are the names of the code: pushes copy them with their hash.
        m_dictionary[i].prepare_name();
        pos = end + 1;
    }
}

}  // namespace flash
