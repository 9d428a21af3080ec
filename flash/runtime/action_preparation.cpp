// The preparation of an action buffer's steps: each record, the first time it runs, is read once
// into what it runs as (action_step.h), with the records after it that run together with it and
// what takes its result settled from the bytes.
#include "flash/base/log.h"
#include "flash/runtime/action_buffer.h"
#include "flash/swf/action_record.h"

namespace flash {

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

// What takes a result left at the top just before the record at pc (see result_use), settled
// into step.
void settle_result_use(const uint8_t* bytes, int length, int pc, action_step* step) {
    step->then = result_use::none;
    if (pc < 0 || pc >= length) return;
    switch (bytes[pc]) {
        case action::SET_VARIABLE: step->then = result_use::set_variable; break;
        case action::SET_MEMBER: step->then = result_use::set_member; break;
        case action::RETURN: step->then = result_use::return_value; break;
        case action::NOT: {
            // Only with an If right after it whose payload holds the offset.
            const int if_pc = pc + 1;
            int payload_length;
            if (if_pc >= length || bytes[if_pc] != action::IF ||
                !read_action_payload_length(bytes, if_pc, length, &payload_length) ||
                payload_length < 2) {
                return;
            }
            step->then = result_use::not_if;
            step->then_end = if_pc + action_record_header_size + payload_length;
            return;
        }
        default: return;
    }
    step->then_end = pc + 1;
}

// The Push kind of a prepared record.
step_kind push_kind_of(const push_record& record) {
    if (!record.constant && !record.dictionary_id) return step_kind::push_from_bytes;
    switch (record.then_reads_name) {
        case action::GET_VARIABLE: return step_kind::push_read_variable;
        case action::CALL_FUNCTION: return step_kind::push_call_function;
        case action::GET_MEMBER: return step_kind::push_read_member;
        default: break;
    }
    return record.then_operates ? step_kind::push_operate : step_kind::push_values;
}

// Where the result of a Push step is taken: after the records it runs with.
int push_result_pc(step_kind kind, const push_record& record, int next_pc) {
    switch (kind) {
        case step_kind::push_read_variable:
            if (!record.then_operates) return -1;
            // The GetVariable, then the arithmetic or the pushed number and the arithmetic.
            return record.then_operates_at ? next_pc + record.then_operates_at + 1 : next_pc + 2;
        case step_kind::push_call_function:
        case step_kind::push_operate: return next_pc + 1;
        default: return -1;
    }
}

}  // namespace

int action_buffer::prepare_push_record(int pc, int payload_length) {
    counted_buffer& store = *m_buffer;
    const uint8_t* bytes = get_bytes();
    const int length = get_length();
    if (!bytes || pc < 0 || payload_length < 0 ||
        pc + action_record_header_size + payload_length > length) {
        return -1;
    }
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
        store.push_values.back().get_type() == as_value::NUMBER &&
        operates_on_numbers(bytes[end])) {
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
    if (store.push_records.size() == before) return -1;
    return before;
}

action_step* action_buffer::prepare_step(int pc) {
    if (action_step* found = find_step(pc)) return found;
    counted_buffer& store = *m_buffer;
    const uint8_t* bytes = get_bytes();
    const int length = get_length();
    action_header header;
    if (!bytes || pc < 0 || pc >= length || !read_action_header(bytes, pc, length, &header)) {
        return nullptr;
    }
    if (store.record_index.size() < length && !store.record_index.resize(length)) return nullptr;
    action_step step;
    step.pc = pc;
    step.code = static_cast<uint8_t>(header.code);
    step.payload_length = header.payload_length;
    step.next_pc = pc + header.size;
    switch (header.code) {
        case action::PUSH: {
            step.push = prepare_push_record(pc, header.payload_length);
            if (step.push < 0) {
                step.kind = step_kind::push_from_bytes;
                break;
            }
            const push_record& record = store.push_records[step.push];
            step.kind = push_kind_of(record);
            step.pooled = record.dictionary_id != 0;
            step.value_first = record.value_first;
            step.value_count = record.value_count;
            settle_result_use(bytes, length, push_result_pc(step.kind, record, step.next_pc),
                              &step);
            break;
        }
        case action::JUMP:
            if (header.payload_length >= 2) step.kind = step_kind::jump;
            break;
        case action::INCREMENT:
        case action::DECREMENT:
            step.kind = step_kind::number_step;
            settle_result_use(bytes, length, step.next_pc, &step);
            break;
        case action::NOT:
            // A Not with its If is a step of its own kind, whose If ends at then_end.
            settle_result_use(bytes, length, pc, &step);
            if (step.then == result_use::not_if) step.kind = step_kind::not_if;
            break;
        default:
            // Arithmetic and comparisons leave a result the action after them may take.
            if (operates_on_numbers(header.code)) {
                settle_result_use(bytes, length, step.next_pc, &step);
            }
            break;
    }
    const int before = store.steps.size();
    store.steps.push_back(step);
    if (store.steps.size() == before) return nullptr;
    store.record_index[pc] = store.steps.size();
    return &store.steps.back();
}

}  // namespace flash
