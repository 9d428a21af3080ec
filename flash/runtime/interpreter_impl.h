#pragma once
// The interpreter's one execution over a section of an action buffer (internal to the runtime).
#include <array>
#include <cstdint>

#include "flash/base/array.h"
#include "flash/base/byte_cursor.h"
#include "flash/base/bx_string.h"
#include "flash/base/log.h"
#include "flash/base/smart_ptr.h"
#include "flash/runtime/action_buffer.h"
#include "flash/runtime/action_codes.h"
#include "flash/runtime/as_environment.h"
#include "flash/runtime/as_value.h"
#include "flash/runtime/interpreter.h"
#include "flash/runtime/interpreter_rules.h"
#include "flash/runtime/script_limits.h"
#include "flash/swf/action_record.h"

namespace flash {

class character;
class engine_instance;

// A record's payload, read through the one bounded cursor: a read past its end reads nothing,
// gives zeros and leaves the reader failed.
using payload_reader = byte_cursor;

// Kept out of the dispatch switch, which then needs no stack frame of its own.
#define TOV_OUT_OF_LINE [[gnu::noinline]]

class interpreter {
public:
    interpreter(action_buffer& buffer, as_environment* env, int start_pc, int exec_bytes,
                as_value* retval, const array<with_scope>& initial_with_stack, bool is_function2);
    void run();

private:
    // How the loop ends.
    // How the loop ends; LEAVE_UNCHECKED hands the run over to the loop with checks.
    enum end_kind { RUNNING, END_ACTION, STOP_REACHED, LEAVE_UNCHECKED };
    // How the loop runs the actions: unchecked, the prepared program with nothing to check
    // between actions; checked, the same with ended with blocks popped, the budget counted and
    // the action log written; plain, checked and one action at a time through each action's own
    // handler (plain_actions).
    enum class loop_mode { unchecked, checked, plain };
    // The actions from m_pc on.
    template <loop_mode mode>
    void run_actions();

    // One action: each code has its handler, the switch of dispatch for the rarer ones.
    // Plain functions, each calling its member: a table of them is one indirect call per action.
    using action_handler = void (*)(interpreter& self, int code);
    template <void (interpreter::*member)(int)>
    static void handle(interpreter& self, int code) {
        (self.*member)(code);
    }
    static constexpr int action_code_count = 256;
    using handler_table = std::array<action_handler, action_code_count>;
    static constexpr handler_table make_handlers();
    // The table of the plain loop: the handlers above without the records they run with.
    static constexpr handler_table make_plain_handlers();
    void dispatch(int code);
    void on_push(int code);
    // The Push kinds of step_kind, with the records each runs together with it.
    void push_from_bytes(const action_step& step);
    void push_values(const action_step& step);
    bool runs_from_values(const action_step& step) const;
    push_record* joined_push(const action_step& step);
    void push_read_variable(action_step& step);
    void push_call_function(action_step& step);
    void push_read_member(action_step& step);
    void push_operate(const action_step& step);
    bool join_read_with_step(const push_record& record, const as_value& number);
    bool update_in_place(const action_step& step, const push_record& record);
    // The step at pc prepared; null (logged) when the record there is cut short or cannot be
    // prepared.
    TOV_OUT_OF_LINE action_step* prepare_step_at(int pc);
    void on_pop(int code);
    void on_push_duplicate(int code);
    void on_store_register(int code);
    void on_unary(int code);
    void on_binary(int code);
    void on_compare(int code);
    void on_get_variable(int code);
    void on_set_variable(int code);
    void on_get_member(int code);
    void on_set_member(int code);
    void on_jump(int code);
    void on_if(int code);
    void on_call_function(int code);
    void on_call_method(int code);
    void on_return(int code);
    // The plain loop's handlers (make_plain_handlers).
    void on_push_plain(int code);
    void on_unary_plain(int code);
    void on_binary_plain(int code);
    void on_compare_plain(int code);
    void on_get_variable_plain(int code);
    void on_set_variable_plain(int code);
    void on_set_member_plain(int code);
    void on_call_function_plain(int code);
    void finish(end_kind how) { m_end = how; }
    // Asked when an action needs it, which most never do.
    engine_instance* player() const { return m_env->get_player(); }
    // The player's root movie; null without a player.
    as_object* player_root_movie() const;
    // Ends the execution when the payload was cut short; true when it was.
    bool payload_failed(const payload_reader& in) { return in.failed() && end_on_cut_payload(); }
    TOV_OUT_OF_LINE bool end_on_cut_payload();
    payload_reader payload() const {
        return payload_reader(m_code + m_pc + action_record_header_size, m_payload_length);
    }

    // Stack helpers.
    as_value& top(int n) { return m_env->top(n); }
    void drop(int n) { m_env->drop(n); }
    void drop_one() { m_env->drop_one(); }
    // Gives the stack at least n values, filling the bottom with undefined, so that operators
    // with missing operands read undefined and leave one result.
    void need(int n) {
        if (depth() < n) fill_missing(n);
    }
    TOV_OUT_OF_LINE void fill_missing(int n);
    // int(top(n)) clamped to [0, the values below top(n)].
    int count_at(int n);
    int depth() const { return m_env->get_stack_size(); }

    // The actions whose cases would give the dispatch switch a stack frame; out of line.
    void do_push_duplicate();
    TOV_OUT_OF_LINE void do_stack_swap();
    TOV_OUT_OF_LINE void do_goto_frame();
    TOV_OUT_OF_LINE void do_goto_label();
    TOV_OUT_OF_LINE void do_call_frame();
    TOV_OUT_OF_LINE void do_set_target_action();
    TOV_OUT_OF_LINE void do_set_target2();
    TOV_OUT_OF_LINE void do_get_url_action();
    TOV_OUT_OF_LINE void do_get_url2();
    TOV_OUT_OF_LINE void do_trace();
    TOV_OUT_OF_LINE void do_define_local();
    TOV_OUT_OF_LINE void do_define_local2();
    void do_jump_action();
    void do_if();
    // In the loop without checks, after an arithmetic or comparison step or a call left a value
    // at the top: what its step settled to take it (use, the records of which end at end), right
    // after it, runs as part of the same step when it takes its plain path.
    void consume_result(result_use use, int end);
    // The same for the running step, which nothing has moved since the loop read it.
    [[gnu::always_inline]] void consume_result() {
        if (m_unchecked) consume_result(m_step->then, m_step->then_end);
    }
    // Not of the value at the top (the stack holds one) and the If right after it, which ends at
    // if_end, as one.
    void branch_if_not(int if_end);
    // The arithmetic or comparison action code on the number at the top and the number b, the
    // result replacing the top (the stack holds one); false (nothing done) when it is no number.
    bool operate_on_top(int code, double b);
    // The same on the two numbers at the top, the result replacing both.
    bool operate_on_top_two(int code);
    // Increment or Decrement (code) of the number at the top; false (nothing done) when the top
    // is no number.
    bool step_number_on_top(int code);
    // The signed 16-bit offset of a Jump or If whose payload holds it.
    int branch_offset() const {
        const uint8_t* payload = m_code + m_pc + 3;
        return static_cast<int16_t>(payload[0] | (payload[1] << 8));
    }
    void do_return();

    // Stack, arithmetic, comparison and string actions.
    void do_binary_number(int code);
    void do_compare(int code);
    void do_string_op(int code);
    // Records with registers, a cut text or pool entries that are not those of the running
    // pool, and every record while the action log is on; on_push copies the prepared ones
    // itself.
    TOV_OUT_OF_LINE void do_push(const push_view& record);
    // A register item of a Push: a local register in a DefineFunction2 body, else a global one.
    void push_register(int reg, bool verbose);
    // GetMember of fixed_name, the last text of the Push step's record, on the object at the
    // top, which the value read replaces, through the member cache the step keeps.
    void read_member_of_top(action_step& step, const bx_string& fixed_name);
    // The rest of that read when the cache did not answer.
    TOV_OUT_OF_LINE void read_member_remembered(int key, const bx_string& fixed_name);
    void do_store_register();
    as_value* local_register(int n);

    // Movie control.
    character* target_character() const;
    void do_goto_frame2();
    void do_set_target(const char* path);
    void do_get_property();
    void do_set_property();
    void do_clone_sprite();
    void do_remove_sprite();
    void do_start_drag();
    void do_end_drag();
    void do_get_url(const char* url, const char* target);
    TOV_OUT_OF_LINE void do_stop_sounds();
    void do_get_time();
    void do_random();

    // Variables, members, objects and functions.
    void do_get_variable();
    // GetVariable by the full lookup, logged when the action log is on.
    void get_variable_generic();
    void do_set_variable();
    // No with block and no local variables: a plain name is the target's, then the global's.
    bool variables_are_plain() const {
        return m_with_stack.size() == 0 && m_env->get_local_frame_top() == 0;
    }
    // Pushes the value of variable name, read through the member cache of key (see
    // action_buffer::find_member_cache) when it has one that holds.
    void push_variable(int key, const bx_string& name) {
        if (variables_are_plain() && !name.has_path_separator()) {
            if (const as_value* member = cached_member(key, m_env->get_target(), name, false)) {
                m_env->push(*member);
                return;
            }
        }
        push_variable_remembered(key, name);
    }
    // The key of the member cache of the read after a Push step.
    static int push_cache_key(const action_step& step) {
        return action_buffer::cache_key_of_push(step.pc);
    }
    // The rest of push_variable: the cache filled, or the full lookup.
    void push_variable_remembered(int key, const bx_string& name);
    // The member of object that the cache of key remembers for name, when it still holds it as a
    // plain value that a read (or write) of name would find there; null otherwise.
    const as_value* cached_member(int key, as_object* object, const bx_string& name,
                                  bool for_write);
    // Remembers where name lies in object's members in the cache of key; true when it is a plain
    // own member the cache can answer for.
    bool remember_member(int key, as_object* object, const bx_string& name, bool for_write);
    // remember_member, then cached_member when it remembered a plain own member; null
    // otherwise.
    const as_value* remember_then_read(int key, as_object* object, const bx_string& name,
                                       bool for_write);
    // cached_member, remembering name first when the cache does not answer.
    const as_value* remembered_member(int key, as_object* object, const bx_string& name,
                                      bool for_write);
    // Writes the value at the top into a remembered member, which keeps its flags, and drops
    // count values (the stack holds at least that many).
    void store_remembered(as_object* object, as_value& slot, int count);
    // The value of variable name through the member cache of key into *out; false (nothing
    // read) when the cache cannot answer and the full lookup must run.
    bool read_cached_variable(int key, const bx_string& name, as_value* out);
    // SetVariable through the cache: true when it wrote (and dropped name and value).
    bool set_cached_variable();
    // Writes the value at the top into member name of object through the member cache of this
    // action, and drops count values (the stack holds at least that many); false (nothing
    // done) when it cannot answer for a plain own member.
    bool store_to_member(as_object* object, const bx_string& name, int count);
    // The rest of store_to_member when the cache did not answer: the name remembered anew.
    [[gnu::noinline]] bool store_remembering(as_object* object, const bx_string& name, int count);
    // SetMember through the cache: true when it wrote (and dropped object, name and value).
    bool set_cached_member();
    void do_delete();
    void do_delete2();
    void do_get_member();
    // SetMember by the object's own write, logged when the action log is on.
    void set_member_generic();
    // CallFunction of the value at the top, or of the variable its text names by the full lookup.
    void call_function_generic();
    // Member name of object_value into *result (undefined when absent), asking "__resolve"
    // when an object lacks it.
    void read_member(const as_value& object_value, const bx_string& name, as_value* result);
    void do_set_member();
    void do_enumerate(bool by_value);
    void do_init_object();
    void do_init_array();
    void do_new_object();
    void do_new_method();
    void do_instance_of();
    void do_cast_op();
    void do_extends();
    void do_call_function();
    void do_call_method();
    void do_define_function(bool function2);
    TOV_OUT_OF_LINE void do_with();
    // Sets the next action offset bytes after this one's end, or ends the run (logged) when
    // that lies outside the section.
    void do_jump(int offset) {
        const int64_t target = static_cast<int64_t>(m_next_pc) + offset;
        if (target > m_stop || target < m_start) {
            branch_out_of_section(target);
            return;
        }
        // A loop turn pays for the bytes it goes back over.
        if (!charge_jump(m_env, offset)) {
            finish(STOP_REACHED);
            return;
        }
        m_next_pc = static_cast<int>(target);
    }
    TOV_OUT_OF_LINE void branch_out_of_section(int64_t target);
    // Logs the record at pc that runs past the section end.
    TOV_OUT_OF_LINE void log_cut_record(int code, int pc);
    // Constructs an object of ctor with nargs arguments on the stack below the popped operands.
    as_value construct(const as_value& ctor, const bx_string& class_name, int nargs);

    action_buffer& m_buffer;
    const uint8_t* m_code;
    as_environment* m_env;
    int m_start;
    int m_stop;
    int m_pc;
    int m_next_pc = 0;
    int m_payload_length = 0;
    as_value* m_retval;
    array<with_scope> m_with_stack;
    bool m_is_function2;
    start_target_hold m_start_target;
    end_kind m_end = RUNNING;
    // Whether the run counts its records against the host's budget.
    bool m_budgeted = false;
    // Whether the loop without checks runs.
    bool m_unchecked = false;
    // The step the loop runs (not in the plain loop); valid until a script runs.
    action_step* m_step = nullptr;

    // Script calls.
    // The newest local variable of that name in any frame, which a lookup without a with
    // block finds first; null when there is none.
    const as_value* local_named(const bx_string& name) const {
        if (m_env->get_local_frame_top() == 0) return nullptr;
        const int index = m_env->find_local(name, true);
        return index >= 0 ? &m_env->get_local(index).value : nullptr;
    }
    // The end of CallFunction: the call of the function value func, read for the name at the top
    // when by_name, or the value itself.
    void call_function_value(const as_value* func, bool by_name, push_record* record = nullptr);
    // CallFunction of a name the member cache of key did not answer for: the full lookup.
    TOV_OUT_OF_LINE void call_looked_up_function(int key, const bx_string& name);
    // CallFunction right after the Push step whose record pushed its name (the last value
    // there), through the step's member cache.
    void call_function_named_by(action_step& step, push_record& record, const bx_string& name);
};
#undef TOV_OUT_OF_LINE

// The member entry of object at the index a cache remembers, while the cache still holds for
// object: the same object, nothing changed before own members in a read (for a read), no watch
// (for a write), the same table layout. Null otherwise. The name there is the caller's to check.
using member_entry = stringi_hash<as_value>::entry;
[[gnu::always_inline]] inline const member_entry* remembered_entry(const member_cache& cache,
                                                                  as_object* object,
                                                                  bool for_write) {
    if (cache.index < 0 || !object || cache.object.get_ptr() != object) return nullptr;
    // A write does not ask builtins or children; a read does.
    if (!for_write && cache.lookup_version != member_lookup_version()) return nullptr;
    if (for_write && object->has_watches()) return nullptr;
    const stringi_hash<as_value>& members = object->get_members();
    // The same table layout keeps every key at its index.
    if (members.layout_version() != cache.layout_version) return nullptr;
    return &members.entry_at(cache.index);
}
[[gnu::always_inline]] inline const as_value* remembered_slot(const member_cache& cache,
                                                             as_object* object, bool for_write) {
    const member_entry* entry = remembered_entry(cache, object, for_write);
    return entry ? &entry->value() : nullptr;
}

inline const as_value* interpreter::cached_member(int key, as_object* target,
                                                 const bx_string& name, bool for_write) {
    const member_cache* cache = m_buffer.find_member_cache(key);
    if (!cache) return nullptr;
    const as_value* member = remembered_slot(*cache, target, for_write);
    if (!member) return nullptr;
    // The name may still differ: the same action may read a name computed each time.
    if (!action_buffer::cache_key_has_fixed_name(key)) {
        const stringi_hash<as_value>& members = target->get_members();
        const bx_stringi& member_name = name.to_bx_stringi();
        if (!members.holds_key_at(cache->index, member_name,
                                  stringi_hash<as_value>::key_hash(member_name))) {
            return nullptr;
        }
    }
    return member->is_property() ? nullptr : member;
}

// A number written into a member slot as set_member writes it: the member keeps its flags, and a
// read-only member keeps its value.
[[gnu::always_inline]] inline void write_number_to_member(as_value& slot, double number) {
    const int flags = slot.get_flags();
    if (flags & AS_READ_ONLY) return;
    slot.set_double(number);
    slot.set_flags(flags);
}

[[gnu::always_inline]] inline void interpreter::store_remembered(as_object* object, as_value& slot,
                                                               int count) {
    as_value& value = m_env->top_unchecked(0);
    if (value.get_type() == as_value::NUMBER) {
        // A number is written in place; moving would clear every field of the source.
        write_number_to_member(slot, value.to_number());
    } else {
        const int flags = slot.get_flags();
        // As for a number. Whatever holds the object of the member (the stack, the environment)
        // holds it until the value is in.
        if (!(flags & AS_READ_ONLY) && object->may_replace_text(slot, value)) {
            slot = static_cast<as_value&&>(value);
            slot.set_flags(flags);
        }
    }
    m_env->drop_held(count);
}

// Inline: the write of every loop counter and sum. The stack holds a name without a path and a
// value that is no property, in the plain variable scope.
inline bool interpreter::set_cached_variable() {
    // The loop without checks runs without a with block and with the action log off.
    if (!m_unchecked && (get_verbose_action() || m_with_stack.size() != 0)) return false;
    if (depth() < 2 || m_env->get_local_frame_top() != 0) return false;
    as_value& value = m_env->top_unchecked(0);
    const as_value& name_value = m_env->top_unchecked(1);
    if (!name_value.is_string() || value.is_property()) return false;
    const bx_string& name = name_value.to_bx_string();
    return !name.has_path_separator() && store_to_member(m_env->get_target(), name, 2);
}

inline bool interpreter::store_to_member(as_object* object, const bx_string& name, int count) {
    const member_cache* cache = m_buffer.find_member_cache(m_pc);
    const member_entry* entry = cache ? remembered_entry(*cache, object, true) : nullptr;
    // The table kept its layout, so the entry at the index is the live one remembered; only its
    // name is left to compare, since the name here may be computed.
    if (!entry || entry->value().is_property() || !(entry->key() == name.to_bx_stringi())) {
        return store_remembering(object, name, count);
    }
    store_remembered(object, const_cast<as_value&>(entry->value()), count);
    return true;
}

inline void interpreter::branch_if_not(int if_end) {
    // Not followed by If, the test of every while loop: the If runs as part of this step.
    const int if_pc = m_next_pc;
    // The callers have a value at the top.
    const bool condition = !m_env->top_unchecked(0).to_bool();
    m_env->drop_held(1);
    m_pc = if_pc;
    m_payload_length = if_end - if_pc - action_record_header_size;
    m_next_pc = if_end;
    if (condition) do_jump(branch_offset());
}

[[gnu::always_inline]] inline void interpreter::consume_result(result_use use, int end) {
    // The records that take the result lie inside the section, or they run on their own.
    if (!m_unchecked || use == result_use::none || end > m_stop) return;
    const int pc = m_next_pc;
    const int own_pc = m_pc;
    switch (use) {
        case result_use::set_variable:
        case result_use::set_member: {
            // Its member cache is found by its own pc.
            m_pc = pc;
            const bool written =
                use == result_use::set_variable ? set_cached_variable() : set_cached_member();
            if (written) {
                m_next_pc = pc + 1;
                return;
            }
            break;
        }
        case result_use::not_if:
            m_pc = pc;
            m_next_pc = pc + 1;
            branch_if_not(end);
            return;
        case result_use::return_value:
            // The end of every function that returns what it computed.
            m_pc = pc;
            m_next_pc = pc + 1;
            do_return();
            return;
        default:
            return;
    }
    m_pc = own_pc;
}

// Inline: the end of every function that returns a value.
inline void interpreter::do_return() {
    if (depth() > 0) {
        if (m_retval) *m_retval = m_env->top_unchecked(0);
        m_env->drop_held(1);
    } else if (m_retval) {
        *m_retval = top(0);
    }
    finish(STOP_REACHED);
}

// The arithmetic and comparisons two numbers take straight, the result written over x; false
// (nothing done) for the other codes and when x is no number.
[[gnu::always_inline]] inline bool operate_on_numbers(int code, as_value& x, double b) {
    if (x.get_type() != as_value::NUMBER) return false;
    const double a = x.to_number();
    // The cases are the codes of operates_on_numbers, each running its one rule.
    switch (code) {
        case action::ADD:
        case action::ADD2:
        case action::SUBTRACT:
        case action::MULTIPLY:
        case action::DIVIDE: x.set_double(arithmetic_on_numbers(code, a, b)); return true;
        case action::LESS: x.set_bool(compare_numbers(action::LESS, a, b)); return true;
        case action::LESS2: x.set_bool(compare_numbers(action::LESS2, a, b)); return true;
        case action::GREATER: x.set_bool(compare_numbers(action::GREATER, a, b)); return true;
        default: return false;
    }
}

[[gnu::always_inline]] inline bool interpreter::operate_on_top(int code, double b) {
    return operate_on_numbers(code, m_env->top_unchecked(0), b);
}

[[gnu::always_inline]] inline bool interpreter::operate_on_top_two(int code) {
    if (depth() < 2) return false;
    const as_value& y = m_env->top_unchecked(0);
    if (y.get_type() != as_value::NUMBER) return false;
    if (!operate_on_numbers(code, m_env->top_unchecked(1), y.to_number())) return false;
    m_env->drop_held(1);
    return true;
}

// Increment or Decrement of a number at the top; false (nothing done) otherwise.
[[gnu::always_inline]] inline bool interpreter::step_number_on_top(int code) {
    if (depth() < 1) return false;
    as_value& y = m_env->top_unchecked(0);
    if (y.get_type() != as_value::NUMBER) return false;
    y.set_double(step_number(code, y.to_number()));
    return true;
}

// Inline: every script call constructs one.
[[gnu::always_inline]] inline interpreter::interpreter(action_buffer& buffer, as_environment* env,
                                                      int start_pc, int exec_bytes,
                                                      as_value* retval,
                                                      const array<with_scope>& initial_with_stack,
                                                      bool is_function2)
    : m_buffer(buffer),
      m_code(buffer.get_bytes()),
      m_env(env),
      m_retval(retval),
      m_is_function2(is_function2),
      m_start_target(env) {
    // Most executions start without a with block: nothing to copy then.
    if (initial_with_stack.size() > 0) m_with_stack = initial_with_stack;
    const int size = buffer.get_length();
    m_start = start_pc < 0 ? 0 : (start_pc > size ? size : start_pc);
    const int64_t stop = static_cast<int64_t>(m_start) + (exec_bytes > 0 ? exec_bytes : 0);
    m_stop = stop > size ? size : static_cast<int>(stop);
    m_pc = m_start;
}

// Inline: every script call runs one.
[[gnu::always_inline]] inline void interpreter::run() {
    // The host sets a budget or a plain run around a run, never inside one: one test per run
    // without them.
    // Without a with block, a budget, a plain run or the action log there is nothing to check
    // between actions; a With action leaves that loop for the checking one.
    if (detail::t_run_checks == 0 && !get_verbose_action() && m_with_stack.size() == 0) {
        m_unchecked = true;
        run_actions<loop_mode::unchecked>();
        m_unchecked = false;
        if (m_end == LEAVE_UNCHECKED) {
            m_end = RUNNING;
            m_pc = m_next_pc;
            run_actions<loop_mode::checked>();
        }
    } else {
        m_budgeted = detail::t_budget >= 0;
        if (plain_actions::active()) {
            run_actions<loop_mode::plain>();
        } else {
            run_actions<loop_mode::checked>();
        }
    }
    if (m_end != END_ACTION && !m_start_target.kept()) {
        as_object* start_target = m_start_target.get();
        if (m_env->get_target() != start_target) m_env->set_target(start_target);
    }
}

extern template void interpreter::run_actions<interpreter::loop_mode::unchecked>();
extern template void interpreter::run_actions<interpreter::loop_mode::checked>();
extern template void interpreter::run_actions<interpreter::loop_mode::plain>();

// The body's run itself, below the nesting and action checks.
[[gnu::always_inline]] inline void run_function_body(action_buffer& buffer, as_environment* env,
                                                     int start_pc, int exec_bytes,
                                                     as_value* retval,
                                                     const array<with_scope>& with_stack,
                                                     int register_count) {
    local_register_frame frame(register_count);
    interpreter run(buffer, env, start_pc, exec_bytes, retval, with_stack, register_count >= 0);
    run.run();
}

// Runs the body of a script function: exec_bytes of buffer from start_pc, its result into
// *retval, under the with stack of its definition, with the local registers of a DefineFunction2
// body (register_count; -1 for a body of DefineFunction). The caller holds the function, and
// with it the buffer's byte store, for the whole call. Inline into the call operator of script
// functions, its only user.
[[gnu::always_inline]] inline void execute_function_body(action_buffer& buffer,
                                                         as_environment* env, int start_pc,
                                                         int exec_bytes, as_value* retval,
                                                         const array<with_scope>& with_stack,
                                                         int register_count) {
    nesting_level level;
    // One test for the two rare cases: the outermost level and one past the bound.
    bool outermost = false;
    if (static_cast<unsigned>(detail::t_action_nesting - 2) >= unsigned{max_action_nesting})
        [[unlikely]] {
        if (level.too_deep()) {
            detail::log_nested_too_deep();
            return;
        }
        outermost = true;
    }
    // A length is never negative: read as unsigned, one that were would only stop the run.
    if (!enter_script_run(env, outermost, static_cast<uint32_t>(exec_bytes))) return;
    run_function_body(buffer, env, start_pc, exec_bytes, retval, with_stack, register_count);
    if (outermost) [[unlikely]] leave_outermost_run();
}

// Gives obj a prototype set up from the constructor: a new prototype object holding the
// members of the constructor's "prototype" and following its chain.
void setup_prototype(as_object* obj, const as_value& ctor);

}  // namespace flash
