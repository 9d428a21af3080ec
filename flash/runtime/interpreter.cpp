#include "flash/runtime/interpreter.h"

#include <cstring>

#include "flash/base/log.h"
#include "flash/runtime/engine_instance.h"
#include "flash/runtime/action_disassembler.h"
#include "flash/runtime/as_function.h"
#include "flash/runtime/as_global.h"
#include "flash/runtime/character.h"
#include "flash/runtime/interpreter_impl.h"
#include "flash/runtime/script_limits.h"

namespace flash {

namespace detail {
constinit thread_local int t_action_nesting = 0;
constinit thread_local int t_local_registers = -1;
constinit thread_local int64_t t_budget = -1;
constinit thread_local int t_run_checks = 0;

void log_nested_too_deep() {
    log_error("error: actions nested deeper than %d, the call gives undefined\n",
              max_action_nesting);
}
}  // namespace detail

using detail::log_nested_too_deep;
using detail::t_budget;

namespace {

fscommand_callback g_fscommand = nullptr;

}  // namespace

void register_fscommand_callback(fscommand_callback callback) { g_fscommand = callback; }
fscommand_callback get_fscommand_callback() { return g_fscommand; }

void set_action_budget(int64_t records) {
    t_budget = records;
    detail::t_run_checks = (detail::t_run_checks & ~detail::budget_check_bit) |
                           (records >= 0 ? detail::budget_check_bit : 0);
}
int64_t get_action_budget() { return t_budget; }

void action_buffer::execute(as_environment* env, int start_pc, int exec_bytes, as_value* retval,
                            const array<with_scope>& initial_with_stack, bool is_function2) {
    if (!env) return;
    nesting_level level;
    if (level.too_deep()) {
        log_nested_too_deep();
        return;
    }
    const int length = get_length();
    const bool outermost = detail::t_action_nesting == 1;
    if (!enter_script_run(env, outermost, exec_bytes < 0 ? 0 : (exec_bytes > length ? length : exec_bytes))) {
        return;
    }
    // The byte store is shared with functions defined in it: it stays while it runs.
    const smart_ptr<counted_buffer> keep(m_buffer);
    const int stack_size = env->get_stack_size();
    interpreter run(*this, env, start_pc, exec_bytes, retval, initial_with_stack, is_function2);
    run.run();
    if (outermost) leave_outermost_run();
    // A run that was stopped may have left the stack full: later runs start from where it began.
    if (script_run_stopped() && env->get_stack_size() > stack_size) env->cut_stack(stack_size);
}

bool interpreter::end_on_cut_payload() {
    log_error("error: action 0x%02X at %d: its %d payload bytes are cut short\n", m_code[m_pc],
              m_pc, m_payload_length);
    finish(END_ACTION);
    return true;
}

void interpreter::fill_missing(int n) {
    const int have = depth();
    array<as_value> saved;
    for (int i = 0; i < have; ++i) saved.push_back(m_env->pop());
    for (int i = have; i < n; ++i) m_env->push(as_value());
    for (int i = saved.size() - 1; i >= 0; --i) m_env->push(saved[i]);
}

// The actions of every loop, each reached straight from the table; the rest through the switch.
constexpr interpreter::handler_table interpreter::make_handlers() {
    handler_table table{};
    for (action_handler& h : table) h = &handle<&interpreter::dispatch>;
    table[action::PUSH] = &handle<&interpreter::on_push>;
    table[action::POP] = &handle<&interpreter::on_pop>;
    table[action::PUSH_DUPLICATE] = &handle<&interpreter::on_push_duplicate>;
    table[action::STORE_REGISTER] = &handle<&interpreter::on_store_register>;
    for (int code : {action::TO_INTEGER, action::TO_NUMBER, action::TO_STRING, action::TYPE_OF,
                     action::NOT, action::INCREMENT, action::DECREMENT}) {
        table[code] = &handle<&interpreter::on_unary>;
    }
    for (int code : {action::ADD, action::SUBTRACT, action::MULTIPLY, action::DIVIDE,
                     action::MODULO, action::ADD2, action::AND, action::OR, action::BIT_AND,
                     action::BIT_OR, action::BIT_XOR, action::BIT_LSHIFT, action::BIT_RSHIFT,
                     action::BIT_URSHIFT}) {
        table[code] = &handle<&interpreter::on_binary>;
    }
    for (int code : {action::EQUALS, action::EQUALS2, action::STRICT_EQUALS, action::LESS,
                     action::LESS2, action::GREATER, action::STRING_EQUALS, action::STRING_LESS,
                     action::STRING_GREATER}) {
        table[code] = &handle<&interpreter::on_compare>;
    }
    table[action::GET_VARIABLE] = &handle<&interpreter::on_get_variable>;
    table[action::SET_VARIABLE] = &handle<&interpreter::on_set_variable>;
    table[action::GET_MEMBER] = &handle<&interpreter::on_get_member>;
    table[action::SET_MEMBER] = &handle<&interpreter::on_set_member>;
    table[action::JUMP] = &handle<&interpreter::on_jump>;
    table[action::IF] = &handle<&interpreter::on_if>;
    table[action::CALL_FUNCTION] = &handle<&interpreter::on_call_function>;
    table[action::CALL_METHOD] = &handle<&interpreter::on_call_method>;
    table[action::RETURN] = &handle<&interpreter::on_return>;
    return table;
}

// The plain loop runs each action through its own handler alone: the generic rule of the action,
// with nothing remembered and nothing run together with the actions around it.
constexpr interpreter::handler_table interpreter::make_plain_handlers() {
    handler_table table = make_handlers();
    table[action::PUSH] = &handle<&interpreter::on_push_plain>;
    for (int code : {action::TO_INTEGER, action::TO_NUMBER, action::TO_STRING, action::TYPE_OF,
                     action::NOT, action::INCREMENT, action::DECREMENT}) {
        table[code] = &handle<&interpreter::on_unary_plain>;
    }
    for (int code : {action::ADD, action::SUBTRACT, action::MULTIPLY, action::DIVIDE,
                     action::MODULO, action::ADD2, action::AND, action::OR, action::BIT_AND,
                     action::BIT_OR, action::BIT_XOR, action::BIT_LSHIFT, action::BIT_RSHIFT,
                     action::BIT_URSHIFT}) {
        table[code] = &handle<&interpreter::on_binary_plain>;
    }
    for (int code : {action::EQUALS, action::EQUALS2, action::STRICT_EQUALS, action::LESS,
                     action::LESS2, action::GREATER, action::STRING_EQUALS, action::STRING_LESS,
                     action::STRING_GREATER}) {
        table[code] = &handle<&interpreter::on_compare_plain>;
    }
    table[action::GET_VARIABLE] = &handle<&interpreter::on_get_variable_plain>;
    table[action::SET_VARIABLE] = &handle<&interpreter::on_set_variable_plain>;
    table[action::SET_MEMBER] = &handle<&interpreter::on_set_member_plain>;
    table[action::CALL_FUNCTION] = &handle<&interpreter::on_call_function_plain>;
    return table;
}

template <interpreter::loop_mode mode>
void interpreter::run_actions() {
    constexpr bool checked = mode != loop_mode::unchecked;
    // Local to this file: reached without an indirection through the symbol table.
    static constexpr handler_table handlers =
        mode == loop_mode::plain ? make_plain_handlers() : make_handlers();
    const bool verbose = checked && get_verbose_action();
    // m_end is tested after every action: the loop starts running.
    while (m_pc < m_stop) {
        if constexpr (checked) {
            while (m_with_stack.size() > 0 && m_with_stack.back().block_end <= m_pc) {
                m_with_stack.pop_back();
            }
            if (m_budgeted) {
                if (t_budget == 0) {
                    log_error("error: action budget used up at %d, execution ends\n", m_pc);
                    m_end = END_ACTION;
                    break;
                }
                --t_budget;
            }
        }
        // Read into locals once: the byte reads could alias every member to the compiler.
        const int pc = m_pc;
        const int stop = m_stop;
        int code;
        action_step* step = nullptr;
        if constexpr (mode == loop_mode::plain) {
            // The plain loop reads every record from its bytes: nothing prepared.
            const uint8_t* record = m_code + pc;
            code = record[0];
            if (action_has_payload(code)) {
                const int payload_length = bounded_payload_length(record, stop - pc);
                if (payload_length < 0) [[unlikely]] {
                    log_cut_record(code, pc);
                    break;
                }
                m_payload_length = payload_length;
                m_next_pc = pc + action_record_header_size + payload_length;
            } else {
                m_payload_length = 0;
                m_next_pc = pc + 1;
            }
        } else {
            step = m_buffer.find_step(pc);
            if (!step) [[unlikely]] {
                step = prepare_step_at(pc);
                if (!step) break;
            }
            code = step->code;
            // A record whole in the buffer may still run past this section's end.
            if (step->next_pc > stop) [[unlikely]] {
                log_cut_record(code, pc);
                break;
            }
            m_step = step;
            m_next_pc = step->next_pc;
            // Only the handlers read payloads: the loop without checks sets the length for them.
            if constexpr (checked) m_payload_length = step->payload_length;
        }
        if (verbose) {
            log_msg("EX:\t");
            log_action_disasm(m_code + m_pc, m_next_pc - m_pc);
        }
        if constexpr (!checked) {
            // The loop without checks runs what each step was prepared as: Push records, a
            // third of the actions of most code, the Jump of every loop and the step of a
            // number counter without a call.
            switch (step->kind) {
                case step_kind::handler:
                    m_payload_length = step->payload_length;
                    handlers[code](*this, code);
                    break;
                case step_kind::jump:
                    do_jump(branch_offset());
                    break;
                case step_kind::number_step:
                    if (step_number_on_top(code)) {
                        consume_result(step->then, step->then_end);
                    } else {
                        handlers[code](*this, code);
                    }
                    break;
                case step_kind::not_if:
                    // Its If inside the section.
                    if (depth() >= 1 && step->then_end <= stop) {
                        branch_if_not(step->then_end);
                    } else {
                        handlers[code](*this, code);
                    }
                    break;
                case step_kind::push_from_bytes:
                    push_from_bytes(*step);
                    break;
                case step_kind::push_values:
                    if (runs_from_values(*step)) {
                        push_values(*step);
                    } else {
                        push_from_bytes(*step);
                    }
                    break;
                case step_kind::push_read_variable:
                    push_read_variable(*step);
                    break;
                case step_kind::push_call_function:
                    push_call_function(*step);
                    break;
                case step_kind::push_read_member:
                    push_read_member(*step);
                    break;
                case step_kind::push_operate:
                    push_operate(*step);
                    break;
            }
        } else {
            handlers[code](*this, code);
        }
        if (m_end != RUNNING) break;
        m_pc = m_next_pc;
    }
}

action_step* interpreter::prepare_step_at(int pc) {
    if (action_step* step = m_buffer.prepare_step(pc)) return step;
    int payload_length;
    if (!read_action_payload_length(m_code, pc, m_stop, &payload_length) &&
        action_has_payload(m_code[pc])) {
        log_cut_record(m_code[pc], pc);
    } else {
        log_error("error: action 0x%02X at %d: no memory to prepare it, execution ends\n",
                  m_code[pc], pc);
    }
    return nullptr;
}

void interpreter::log_cut_record(int code, int pc) {
    int payload_length;
    read_action_payload_length(m_code, pc, m_stop, &payload_length);
    if (action_header_fault_at(m_code, pc, m_stop) == action_header_fault::header_cut) {
        log_error("error: action 0x%02X at %d: header cut short by the section end %d\n", code,
                  pc, m_stop);
    } else {
        log_error("error: action 0x%02X at %d: %d payload bytes run past the section end %d\n",
                  code, pc, payload_length, m_stop);
    }
}

void interpreter::branch_out_of_section(int64_t target) {
    log_error("branch to offset %lld -- this section only runs to %d\n",
              static_cast<long long>(target), m_stop);
    finish(STOP_REACHED);
}

as_value* interpreter::local_register(int n) {
    const int count = local_register_frame::current();
    if (n < 0 || n >= count) return nullptr;
    return &m_env->get_register(n);
}

void interpreter::do_push(const push_view& record) {
    const bool verbose = get_verbose_action();
    const bx_string* texts = record.texts;
    const int text_count = record.text_count;
    int text_index = 0;
    payload_reader in = payload();
    push_item item;
    while (read_push_item(in, &item)) {
        if (!item.known) continue;  // an unknown type byte stands alone
        switch (item.type) {
            case push_type::string:
                if (text_index < text_count) {
                    // The record's text, prepared as a name on its first run.
                    const bx_string& text = texts[text_index++];
                    m_env->push(text);
                    if (verbose) log_msg("-------------- pushed '%s'\n", text.c_str());
                } else {
                    m_env->push(item.text, item.text_length);
                    if (verbose) log_msg("-------------- pushed '%s'\n", item.text);
                }
                break;
            case push_type::float32:
                m_env->push(item.number);
                if (verbose) log_msg("-------------- pushed '%f'\n", item.number);
                break;
            case push_type::null: {
                as_value null_value;
                null_value.set_null();
                m_env->push(null_value);
                if (verbose) log_msg("-------------- pushed NULL\n");
                break;
            }
            case push_type::undefined:
                m_env->push(as_value());
                if (verbose) log_msg("-------------- pushed UNDEFINED\n");
                break;
            case push_type::register_number:
                push_register(item.index, verbose);
                break;
            case push_type::boolean:
                m_env->push(as_value(item.index != 0));
                if (verbose) log_msg("-------------- pushed %s\n", item.index ? "true" : "false");
                break;
            case push_type::float64:
                m_env->push(item.number);
                if (verbose) log_msg("-------------- pushed double %f\n", item.number);
                break;
            case push_type::int32:
                m_env->push(item.number);
                if (verbose) {
                    log_msg("-------------- pushed int32 %d\n", static_cast<int>(item.number));
                }
                break;
            case push_type::pool_index8:
            case push_type::pool_index16: {
                const int index = item.index;
                const array<bx_string>& dict = m_buffer.get_dictionary();
                if (index >= dict.size()) {
                    log_error("error: dict_lookup(%d) is out of bounds!\n", index);
                    m_env->push(as_value(0));
                    if (verbose) {
                        log_msg(item.type == push_type::pool_index8 ? "-------------- pushed 0\n"
                                                                     : "-------------- pushed 0");
                    }
                } else {
                    m_env->push(dict[index]);
                    if (verbose) log_msg("-------------- pushed '%s'\n", dict[index].c_str());
                }
                break;
            }
        }
    }
    payload_failed(in);
}

void interpreter::push_register(int reg, bool verbose) {
    if (m_is_function2) {
        as_value* slot = local_register(reg);
        if (!slot) {
            log_error("push register[%d] -- register out of bounds!\n", reg);
            m_env->push(as_value());
            return;
        }
        const as_value value(*slot);
        m_env->push(value);
        if (verbose) {
            log_msg("-------------- pushed local register[%d] = '%s'\n", reg, value.to_string());
        }
    } else if (reg <= 3) {
        const as_value value(m_env->global_register(reg));
        m_env->push(value);
        if (verbose) {
            log_msg("-------------- pushed global register[%d], '%s', 0x%p\n", reg,
                    value.to_string(), static_cast<void*>(value.to_object()));
        }
    } else {
        log_error("push register[%d] -- register out of bounds!\n", reg);
        m_env->push(as_value());
    }
}

void interpreter::do_store_register() {
    payload_reader in = payload();
    const int reg = in.u8();
    if (payload_failed(in)) return;
    const bool verbose = get_verbose_action();
    const as_value value(top(0));
    if (m_is_function2) {
        as_value* slot = local_register(reg);
        if (!slot) {
            log_error("store_register[%d] -- register out of bounds!\n", reg);
            return;
        }
        *slot = value;
        if (verbose) log_msg("-------------- local register[%d] = '%s'\n", reg, value.to_string());
    } else if (reg <= 3) {
        m_env->global_register(reg) = value;
        if (verbose) log_msg("-------------- global register[%d] = '%s'\n", reg, value.to_string());
    } else {
        log_error("store_register[%d] -- register out of bounds!\n", reg);
    }
}

void interpreter::do_with() {
    payload_reader in = payload();
    const int block = in.u16();
    if (payload_failed(in)) return;
    if (get_verbose_action()) {
        log_msg("-------------- with block start: stack size is %d\n", m_with_stack.size());
    }
    if (m_with_stack.size() < 8) {
        m_with_stack.push_back(with_scope(top(0).to_object(), m_next_pc + block));
        // The loop without checks does not pop ended blocks.
        if (m_unchecked) m_end = LEAVE_UNCHECKED;
    }
    drop(1);
}

// Beside its handler, which inlines it.
void interpreter::do_push_duplicate() {
    const as_value copy(top(0));
    m_env->push(copy);
}

[[gnu::always_inline]] inline void interpreter::do_jump_action() {
    if (m_payload_length < 2) {
        end_on_cut_payload();
        return;
    }
    do_jump(branch_offset());
}

void interpreter::do_if() {
    if (m_payload_length < 2) {
        end_on_cut_payload();
        return;
    }
    const int offset = branch_offset();
    const bool condition = top(0).to_bool();
    drop_one();
    if (condition) {
        if (get_verbose_action()) log_msg("-------------- branch is done\n");
        do_jump(offset);
    } else if (get_verbose_action()) {
        log_msg("-------------- no branch\n");
    }
}

void interpreter::on_push_plain(int) { do_push(push_view()); }

// The number read for the GetVariable after record, when the arithmetic or comparison after
// it (or after the one number pushed next: i < 10) runs with it, over a number: the read, the
// step and what follows it run as one. False (nothing done) otherwise.
[[gnu::always_inline]] inline bool interpreter::join_read_with_step(const push_record& record,
                                                                   const as_value& number) {
    const int op = record.then_operates;
    if (!op || number.get_type() != as_value::NUMBER) return false;
    if (!record.then_operates_at) {
        if (m_next_pc + 1 >= m_stop || depth() < 1 || !operate_on_top(op, number.to_number())) {
            return false;
        }
        m_pc = m_next_pc + 1;
        m_next_pc += 2;
        consume_result();
        return true;
    }
    const int op_pc = m_next_pc + record.then_operates_at;
    if (op_pc >= m_stop) return false;
    const int before = depth();
    m_env->push(number);
    // A stack that could not grow leaves the read undone, as a push would.
    if (depth() == before || !operate_on_top(op, record.then_operand)) {
        ++m_next_pc;
        return true;
    }
    m_pc = op_pc;
    m_next_pc = op_pc + 1;
    consume_result();
    return true;
}

// name++ or name = name + n, from record on (see push_record::then_stores_at), when the read and
// the write both reach the variable's member through their caches, as they do one by one: the
// member is updated where it is, with nothing pushed. False (nothing done) otherwise.
[[gnu::always_inline]] inline bool interpreter::update_in_place(const action_step& step,
                                                                const push_record& record) {
    const int store_pc = m_next_pc + record.then_stores_at;
    // Locals come first in both lookups; the two names would be pushed.
    if (store_pc >= m_stop || m_env->get_local_frame_top() != 0 || !m_env->has_room_for(2)) {
        return false;
    }
    as_object* target = m_env->get_target();
    const member_entry* read = remembered_entry(step.cache, target, false);
    if (!read || read->value().get_type() != as_value::NUMBER) return false;
    // The same entry, so of the same name: the write reaches it as the read does.
    const member_cache* write_cache = m_buffer.find_member_cache(store_pc);
    if (!write_cache || remembered_entry(*write_cache, target, true) != read) return false;
    as_value& slot = const_cast<as_value&>(read->value());
    const double value = slot.to_number();
    write_number_to_member(
        slot, record.then_steps
                  ? step_number(record.then_steps, value)
                  : arithmetic_on_numbers(record.then_operates, value, record.then_operand));
    m_pc = store_pc;
    m_next_pc = store_pc + 1;
    return true;
}

[[gnu::always_inline]] inline void interpreter::push_from_bytes(const action_step& step) {
    m_payload_length = step.payload_length;
    do_push(m_buffer.push_view_of(step));
}

[[gnu::always_inline]] inline void interpreter::push_values(const action_step& step) {
    const as_value* values = m_buffer.get_store()->push_values.data() + step.value_first;
    const int count = step.value_count;
    for (int i = 0; i < count; ++i) m_env->push(values[i]);
}

// In the loop without checks (where the action log is off, which the host sets between runs),
// whether a prepared Push step runs from its values: all constants, or entries of the running
// pool. Else it is read from its bytes.
[[gnu::always_inline]] inline bool interpreter::runs_from_values(const action_step& step) const {
    return !step.pooled ||
           m_buffer.get_store()->push_records[step.push].dictionary_id ==
               m_buffer.get_dictionary_id();
}

// The Push record of a joined step, when it runs from its values and the action after it lies
// inside the section; else the record runs on its own (and null).
[[gnu::always_inline]] inline push_record* interpreter::joined_push(const action_step& step) {
    if (!runs_from_values(step)) {
        push_from_bytes(step);
        return nullptr;
    }
    if (m_next_pc >= m_stop) {
        push_values(step);
        return nullptr;
    }
    return &m_buffer.get_push_record(step.push);
}

// Push in the loop with checks: inside a with block or under a budget a record and the action
// after it run one by one, since a block may end between them and the budget counts records.
// Every record is read from its bytes while the action log is on.
void interpreter::on_push(int) {
    const action_step& step = *m_step;
    if (step.kind != step_kind::push_from_bytes && !get_verbose_action() &&
        runs_from_values(step)) {
        push_values(step);
    } else {
        push_from_bytes(step);
    }
}

// A name pushed only for the GetVariable right after it is read at once, without pushing it:
// one record less to run.
[[gnu::always_inline]] inline void interpreter::push_read_variable(action_step& step) {
    push_record* record = joined_push(step);
    if (!record) return;
    if (record->then_stores_at && update_in_place(step, *record)) return;
    const as_value* values = m_buffer.get_store()->push_values.data() + step.value_first;
    const int count = step.value_count;
    for (int i = 0; i < count - 1; ++i) m_env->push(values[i]);
    // This loop runs without a with block: a name without a path is a local when the running
    // function has one of that name, else plain when there are no locals.
    const as_value* member = nullptr;
    if (record->reads_plain_name) {
        member = m_env->get_local_frame_top() == 0
                     ? remembered_slot(step.cache, m_env->get_target(), false)
                     : local_named(values[count - 1].to_bx_string());
    }
    if (member && !member->is_property()) {
        if (join_read_with_step(*record, *member)) return;
        m_env->push(*member);
    } else {
        push_variable_remembered(push_cache_key(step), values[count - 1].to_bx_string());
    }
    ++m_next_pc;
}

// The name stays pushed, where the CallFunction after it reads it, and is looked up through
// the step's cache.
[[gnu::always_inline]] inline void interpreter::push_call_function(action_step& step) {
    push_record* record = joined_push(step);
    if (!record) return;
    push_values(step);
    // depth() again: a stack that could not grow took fewer values.
    if (depth() < 1 || !m_env->top_unchecked(0).is_string()) return;
    // The call may prepare steps, which moves them: what takes its result is read before.
    const result_use then = step.then;
    const int then_end = step.then_end;
    const as_value* values = m_buffer.get_store()->push_values.data() + step.value_first;
    m_pc = m_next_pc++;
    call_function_named_by(step, *record, values[step.value_count - 1].to_bx_string());
    consume_result(then, then_end);
}

// The object is the value below the name the GetMember after the record reads; without one the
// GetMember runs on its own.
[[gnu::always_inline]] inline void interpreter::push_read_member(action_step& step) {
    push_record* record = joined_push(step);
    if (!record) return;
    const int count = step.value_count;
    if (depth() + count - 1 < 1) {
        push_values(step);
        return;
    }
    const as_value* values = m_buffer.get_store()->push_values.data() + step.value_first;
    for (int i = 0; i < count - 1; ++i) m_env->push(values[i]);
    read_member_of_top(step, values[count - 1].to_bx_string());
    ++m_next_pc;
}

// A number pushed for the arithmetic or comparison right after it, over a number: the two run
// as one step, without pushing it.
[[gnu::always_inline]] inline void interpreter::push_operate(const action_step& step) {
    const push_record* record = joined_push(step);
    if (!record) return;
    const int count = step.value_count;
    if (depth() + count - 1 < 1) {
        push_values(step);
        return;
    }
    const as_value* values = m_buffer.get_store()->push_values.data() + step.value_first;
    for (int i = 0; i < count - 1; ++i) m_env->push(values[i]);
    // depth() again: a stack that could not grow took fewer values.
    if (depth() >= 1 && operate_on_top(record->then_operates, values[count - 1].to_number())) {
        m_pc = m_next_pc++;
        consume_result(step.then, step.then_end);
        return;
    }
    m_env->push(values[count - 1]);
}

void interpreter::on_pop(int) { drop(1); }
void interpreter::on_push_duplicate(int) { do_push_duplicate(); }
void interpreter::on_store_register(int) { do_store_register(); }
void interpreter::on_jump(int) { do_jump_action(); }
void interpreter::on_if(int) { do_if(); }
void interpreter::on_return(int) { do_return(); }


// The two loops, reached from the executions inline in the internal header.
template void interpreter::run_actions<interpreter::loop_mode::unchecked>();
template void interpreter::run_actions<interpreter::loop_mode::checked>();
template void interpreter::run_actions<interpreter::loop_mode::plain>();

}  // namespace flash
