#include "flash/runtime/action_buffer.h"

#include <atomic>
#include <cstring>
#include <vector>

#include "flash/base/log.h"
#include "flash/runtime/action_disassembler.h"
#include "flash/swf/action_bytes.h"
#include "flash/swf/action_record.h"
#include "flash/swf/swf_stream.h"

namespace flash {

action_buffer::action_buffer() : m_buffer(new counted_buffer) {}

int action_buffer::read(const uint8_t* bytes, int length) {
    if (!bytes || length <= 0) return 0;
    int pos = 0;
    while (pos < length) {
        const int record = pos;
        action_header header;
        const int code = bytes[pos];
        if (!read_action_header(bytes, pos, length, &header)) {
            log_error("error: action record at %d (code 0x%02X) runs past the end of its tag\n",
                      record, code);
            return length;
        }
        const int size = header.size;
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

int action_buffer::read(swf_stream* in, int length) {
    std::vector<uint8_t> bytes;
    read_action_bytes(in, length, &bytes);
    return read(bytes.data(), static_cast<int>(bytes.size()));
}

int action_buffer::read(swf_stream* in) {
    return read(in, in->get_tag_end_position() - in->get_position());
}

void action_buffer::execute(as_environment* env) {
    static const array<with_scope> empty;
    execute(env, 0, get_length(), nullptr, empty, false);
}

namespace {

// The Push record at push_pc, after the GetVariable that follows a record: when it holds one
// number (an int32 or a double) and an action two numbers take straight follows it inside the
// buffer, record takes that number and action (see push_record::then_operand).
void take_number_pushed_after_read(const uint8_t* bytes, int length, int push_pc,
                                   push_record* record) {
    action_header header;
    if (!read_action_header(bytes, push_pc, length, &header)) return;
    const int op_pc = push_pc + header.size;
    if (op_pc >= length || !operates_on_numbers(bytes[op_pc])) return;
    byte_cursor in = action_payload(bytes, push_pc, header);
    push_item item;
    if (!read_push_item(in, &item) || !in.at_end() || !item.known ||
        (item.type != push_type::int32 && item.type != push_type::float64)) {
        return;
    }
    record->then_operand = item.number;
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
    if (!bytes || pc < 0 || payload_length < 0 || pc + action_record_header_size + payload_length > length) {
        return {};
    }
    if (pc >= store.record_index.size() && !store.record_index.resize(length)) return {};
    push_record record;
    record.text_first = store.push_names.size();
    record.value_first = store.push_values.size();
    bool constant = true;
    bool takes_pool_entries = false;
    bool last_is_text = false;
    // The record's items as the interpreter reads them: a type byte, then its bytes.
    const int end = pc + action_record_header_size + payload_length;
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
    byte_cursor in(bytes + pc + action_record_header_size, payload_length);
    push_item item;
    // Texts are taken up to the first one refused, even after a register ends the constants.
    bool texts_taken = true;
    while (texts_taken && read_push_item(in, &item)) {
        // An unknown type byte stands alone and pushes nothing.
        if (!item.known) continue;
        last_is_text = false;
        switch (item.type) {
            case push_type::string: {
                bx_string name(item.text, item.text_length);
                name.prepare_name();
                const int before = store.push_names.size();
                store.push_names.push_back(name);
                if (store.push_names.size() == before) {
                    constant = false;  // refused and logged by the array
                    texts_taken = false;
                    break;
                }
                ++record.text_count;
                take_value(as_value(name));
                last_is_text = true;
                break;
            }
            case push_type::float32:
            case push_type::float64:
            case push_type::int32:
                take_value(as_value(item.number));
                break;
            case push_type::null: {
                as_value null_value;
                null_value.set_null();
                take_value(null_value);
                break;
            }
            case push_type::undefined:
                take_value(as_value());
                break;
            case push_type::boolean:
                take_value(as_value(item.index != 0));
                break;
            case push_type::pool_index8:
            case push_type::pool_index16:
                // A pool entry is a constant of this dictionary: the record runs from its values
                // only under it. An entry outside it is read when pushed, which logs it.
                if (item.index >= m_dictionary.size() || m_dictionary_id == 0) {
                    constant = false;
                    break;
                }
                takes_pool_entries = true;
                take_value(as_value(m_dictionary[item.index]));
                last_is_text = true;
                break;
            case push_type::register_number:
                // Registers are read when pushed.
                constant = false;
                break;
        }
    }
    // Cut short: read the slow way, which logs it.
    if (in.failed()) constant = false;
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
