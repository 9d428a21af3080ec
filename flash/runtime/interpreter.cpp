#include "flash/runtime/interpreter.h"

#include <cstring>

#include "flash/base/log.h"
#include "flash/movie/player.h"
#include "flash/runtime/action_disassembler.h"
#include "flash/runtime/as_function.h"
#include "flash/runtime/as_global.h"
#include "flash/runtime/character.h"
#include "flash/runtime/interpreter_impl.h"

namespace flash {

namespace {

fscommand_callback g_fscommand = nullptr;
thread_local int t_nesting = 0;
thread_local int t_local_registers = -1;
thread_local int64_t t_budget = -1;

class nesting_guard {
public:
    nesting_guard() { ++t_nesting; }
    ~nesting_guard() { --t_nesting; }
    bool too_deep() const { return t_nesting > max_action_nesting; }
};

}  // namespace

void register_fscommand_callback(fscommand_callback callback) { g_fscommand = callback; }
fscommand_callback get_fscommand_callback() { return g_fscommand; }

void set_action_budget(int64_t records) { t_budget = records; }
int64_t get_action_budget() { return t_budget; }

local_register_frame::local_register_frame(int count) : m_previous(t_local_registers) {
    t_local_registers = count;
}
local_register_frame::~local_register_frame() { t_local_registers = m_previous; }
int local_register_frame::current() { return t_local_registers; }

void action_buffer::execute(as_environment* env, int start_pc, int exec_bytes, as_value* retval,
                            const array<with_scope>& initial_with_stack, bool is_function2) {
    if (!env) return;
    nesting_guard guard;
    if (guard.too_deep()) {
        log_error("error: actions nested deeper than %d, the call gives undefined\n",
                  max_action_nesting);
        return;
    }
    // The byte store is shared with functions defined in it: it stays while it runs.
    const smart_ptr<counted_buffer> keep(m_buffer);
    interpreter run(*this, env, start_pc, exec_bytes, retval, initial_with_stack, is_function2);
    run.run();
}

interpreter::interpreter(action_buffer& buffer, as_environment* env, int start_pc, int exec_bytes,
                         as_value* retval, const array<with_scope>& initial_with_stack,
                         bool is_function2)
    : m_buffer(buffer),
      m_code(buffer.get_bytes()),
      m_env(env),
      m_player(env->get_player()),
      m_retval(retval),
      m_is_function2(is_function2) {
    // Most executions start without a with block: nothing to copy then.
    if (initial_with_stack.size() > 0) m_with_stack = initial_with_stack;
    const int size = buffer.get_length();
    m_start = start_pc < 0 ? 0 : (start_pc > size ? size : start_pc);
    const int64_t stop = static_cast<int64_t>(m_start) + (exec_bytes > 0 ? exec_bytes : 0);
    m_stop = stop > size ? size : static_cast<int>(stop);
    m_pc = m_start;
    as_object* target = env->get_target();
    if (target && target->is(as_object::CHARACTER)) m_start_target = target;
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

int interpreter::count_at(int n) {
    const int count = top(n).to_int();
    const int available = depth() - n - 1;
    if (count < 0) return 0;
    if (available <= 0) return 0;
    return count > available ? available : count;
}

void interpreter::run() {
    const bool verbose = get_verbose_action();
    while (m_pc < m_stop && m_end == RUNNING) {
        while (m_with_stack.size() > 0 && m_with_stack.back().block_end <= m_pc) {
            m_with_stack.pop_back();
        }
        // One test of the budget in the usual run without one.
        if (t_budget >= 0) {
            if (t_budget == 0) {
                log_error("error: action budget used up at %d, execution ends\n", m_pc);
                m_end = END_ACTION;
                break;
            }
            --t_budget;
        }
        const int code = m_code[m_pc];
        if (code & 0x80) {
            if (m_stop - m_pc < 3) {
                log_error("error: action 0x%02X at %d: header cut short by the section end %d\n",
                          code, m_pc, m_stop);
                break;
            }
            m_payload_length = m_code[m_pc + 1] | (m_code[m_pc + 2] << 8);
            if (m_payload_length > m_stop - m_pc - 3) {
                log_error("error: action 0x%02X at %d: %d payload bytes run past the section end "
                          "%d\n",
                          code, m_pc, m_payload_length, m_stop);
                break;
            }
            m_next_pc = m_pc + 3 + m_payload_length;
        } else {
            m_payload_length = 0;
            m_next_pc = m_pc + 1;
        }
        if (verbose) {
            log_msg("EX:\t");
            log_action_disasm(m_code + m_pc, m_next_pc - m_pc);
        }
        dispatch(code);
        if (m_end != RUNNING) break;
        m_pc = m_next_pc;
    }
    if (m_end != END_ACTION) {
        as_object* start_target = m_start_target.get_ptr();
        if (m_env->get_target() != start_target) m_env->set_target(start_target);
    }
}

void interpreter::do_jump(int offset) {
    const int64_t target = static_cast<int64_t>(m_next_pc) + offset;
    if (target > m_stop || target < m_start) {
        log_error("branch to offset %lld -- this section only runs to %d\n",
                  static_cast<long long>(target), m_stop);
        finish(STOP_REACHED);
        return;
    }
    m_next_pc = static_cast<int>(target);
}

as_value* interpreter::local_register(int n) {
    const int count = local_register_frame::current();
    if (n < 0 || n >= count) return nullptr;
    return &m_env->get_register(n);
}

void interpreter::do_push() {
    payload_reader in = payload();
    const bool verbose = get_verbose_action();
    while (!in.at_end()) {
        const int type = in.u8();
        switch (type) {
            case 0: {
                int length = 0;
                const char* text = in.text(&length);
                if (payload_failed(in)) return;
                m_env->push(text, length);
                if (verbose) log_msg("-------------- pushed '%s'\n", text);
                break;
            }
            case 1: {
                const uint32_t bits = in.u32();
                if (payload_failed(in)) return;
                float f;
                std::memcpy(&f, &bits, 4);
                m_env->push(f);
                if (verbose) log_msg("-------------- pushed '%f'\n", static_cast<double>(f));
                break;
            }
            case 2: {
                as_value null_value;
                null_value.set_null();
                m_env->push(null_value);
                if (verbose) log_msg("-------------- pushed NULL\n");
                break;
            }
            case 3:
                m_env->push(as_value());
                if (verbose) log_msg("-------------- pushed UNDEFINED\n");
                break;
            case 4: {
                const int reg = in.u8();
                if (payload_failed(in)) return;
                if (m_is_function2) {
                    as_value* slot = local_register(reg);
                    if (!slot) {
                        log_error("push register[%d] -- register out of bounds!\n", reg);
                        m_env->push(as_value());
                        break;
                    }
                    const as_value value(*slot);
                    m_env->push(value);
                    if (verbose) {
                        log_msg("-------------- pushed local register[%d] = '%s'\n", reg,
                                value.to_string());
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
                break;
            }
            case 5: {
                const bool b = in.u8() != 0;
                if (payload_failed(in)) return;
                m_env->push(as_value(b));
                if (verbose) log_msg("-------------- pushed %s\n", b ? "true" : "false");
                break;
            }
            case 6: {
                const uint64_t high = in.u32();
                const uint64_t low = in.u32();
                if (payload_failed(in)) return;
                const uint64_t bits = (high << 32) | low;
                double d;
                std::memcpy(&d, &bits, 8);
                m_env->push(d);
                if (verbose) log_msg("-------------- pushed double %f\n", d);
                break;
            }
            case 7: {
                const int32_t i = static_cast<int32_t>(in.u32());
                if (payload_failed(in)) return;
                m_env->push(static_cast<double>(i));
                if (verbose) log_msg("-------------- pushed int32 %d\n", i);
                break;
            }
            case 8:
            case 9: {
                const int index = type == 8 ? in.u8() : in.u16();
                if (payload_failed(in)) return;
                const array<bx_string>& dict = m_buffer.get_dictionary();
                if (index >= dict.size()) {
                    log_error("error: dict_lookup(%d) is out of bounds!\n", index);
                    m_env->push(as_value(0));
                    if (verbose) log_msg(type == 8 ? "-------------- pushed 0\n" : "-------------- pushed 0");
                } else {
                    m_env->push(dict[index]);
                    if (verbose) log_msg("-------------- pushed '%s'\n", dict[index].c_str());
                }
                break;
            }
            default:
                // An unknown type byte stands alone.
                break;
        }
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
    }
    drop(1);
}

void interpreter::dispatch(int code) {
    switch (code) {
        case 0x00:
            finish(END_ACTION);
            break;

        // Stack and conversions.
        case 0x17:
            drop(1);
            break;
        case 0x4C: {
            const as_value copy(top(0));
            m_env->push(copy);
            break;
        }
        case 0x4D: {
            need(2);
            const as_value y(top(0));
            top(0) = top(1);
            top(1) = y;
            break;
        }
        case 0x18:
        case 0x4A:
        case 0x4B:
        case 0x44:
        case 0x12:
        case 0x50:
        case 0x51:
            need(1);
            do_binary_number(code);
            break;
        case 0x96:
            do_push();
            break;
        case 0x87:
            do_store_register();
            break;
        case 0x88:
            m_buffer.process_decl_dict(m_pc, m_next_pc);
            break;

        // Arithmetic, logic and comparison.
        case 0x0A:
        case 0x0B:
        case 0x0C:
        case 0x0D:
        case 0x3F:
        case 0x47:
        case 0x10:
        case 0x11:
        case 0x60:
        case 0x61:
        case 0x62:
        case 0x63:
        case 0x64:
        case 0x65:
            need(2);
            do_binary_number(code);
            break;
        case 0x0E:
        case 0x49:
        case 0x66:
        case 0x0F:
        case 0x48:
        case 0x67:
        case 0x13:
        case 0x29:
        case 0x68:
            need(2);
            do_compare(code);
            break;

        // Strings.
        case 0x14:
        case 0x15:
        case 0x21:
        case 0x32:
        case 0x33:
            do_string_op(code);
            break;

        // Not implemented: logged, stack unchanged.
        case 0x08:
        case 0x2A:
        case 0x2C:
        case 0x31:
        case 0x35:
        case 0x37:
        case 0x45:
            log_error("todo opcode: %02X\n", code);
            break;

        // Movie control.
        case 0x04:
            if (character* ch = target_character()) ch->goto_frame(ch->get_current_frame() + 1);
            break;
        case 0x05:
            if (character* ch = target_character()) ch->goto_frame(ch->get_current_frame() - 1);
            break;
        case 0x06:
            if (character* ch = target_character()) ch->set_play_state(0);
            break;
        case 0x07:
            if (character* ch = target_character()) ch->set_play_state(1);
            break;
        case 0x09:
            do_stop_sounds();
            break;
        case 0x81: {
            payload_reader in = payload();
            const int frame = in.u16();
            if (payload_failed(in)) break;
            if (character* ch = target_character()) ch->goto_frame(frame);
            break;
        }
        case 0x8C: {
            payload_reader in = payload();
            const char* label = in.text();
            if (payload_failed(in)) break;
            if (character* ch = target_character()) ch->goto_labeled_frame(label);
            break;
        }
        case 0x9F:
            do_goto_frame2();
            break;
        case 0x9E: {
            const as_value frame(top(0));
            drop(1);
            if (character* ch = target_character()) ch->call_frame_actions(frame);
            break;
        }
        case 0x8B: {
            payload_reader in = payload();
            const char* path = in.text();
            if (payload_failed(in)) break;
            do_set_target(path);
            break;
        }
        case 0x20: {
            const bx_string path(top(0).to_bx_string());
            drop(1);
            do_set_target(path.c_str());
            break;
        }
        case 0x8D:
            drop(1);
            break;
        case 0x22:
            do_get_property();
            break;
        case 0x23:
            do_set_property();
            break;
        case 0x24:
            do_clone_sprite();
            break;
        case 0x25:
            do_remove_sprite();
            break;
        case 0x27:
            do_start_drag();
            break;
        case 0x28:
            do_end_drag();
            break;
        case 0x83: {
            payload_reader in = payload();
            const char* url = in.text();
            const char* target = in.text();
            if (payload_failed(in)) break;
            do_get_url(url, target);
            break;
        }
        case 0x9A: {
            const bx_string url(top(1).to_bx_string());
            const bx_string target(top(0).to_bx_string());
            drop(2);
            do_get_url(url.c_str(), target.c_str());
            break;
        }
        case 0x26: {
            as_value result;
            fn_call fn(&result, nullptr, m_env, 1, m_env->get_top_index());
            as_global_trace(fn);
            drop(1);
            break;
        }
        case 0x34:
            do_get_time();
            break;
        case 0x30:
            need(1);
            do_random();
            break;

        // Variables, members and objects.
        case 0x1C:
            need(1);
            do_get_variable();
            break;
        case 0x1D:
            do_set_variable();
            break;
        case 0x3C: {
            const bx_string name(top(1).to_bx_string());
            const as_value value(top(0));
            drop(2);
            m_env->set_local(name, value);
            break;
        }
        case 0x41: {
            const bx_string name(top(0).to_bx_string());
            drop(1);
            m_env->declare_local(name);
            break;
        }
        case 0x3A:
            need(2);
            do_delete();
            break;
        case 0x3B:
            need(1);
            do_delete2();
            break;
        case 0x4E:
            need(2);
            do_get_member();
            break;
        case 0x4F:
            do_set_member();
            break;
        case 0x46:
            do_enumerate(false);
            break;
        case 0x55:
            do_enumerate(true);
            break;
        case 0x43:
            do_init_object();
            break;
        case 0x42:
            do_init_array();
            break;
        case 0x40:
            do_new_object();
            break;
        case 0x53:
            do_new_method();
            break;
        case 0x54:
            need(2);
            do_instance_of();
            break;
        case 0x2B:
            need(2);
            do_cast_op();
            break;
        case 0x69:
            do_extends();
            break;

        // Functions and control flow.
        case 0x99: {
            payload_reader in = payload();
            const int offset = in.s16();
            if (payload_failed(in)) break;
            do_jump(offset);
            break;
        }
        case 0x9D: {
            payload_reader in = payload();
            const int offset = in.s16();
            if (payload_failed(in)) break;
            const bool condition = top(0).to_bool();
            drop(1);
            if (condition) {
                if (get_verbose_action()) log_msg("-------------- branch is done\n");
                do_jump(offset);
            } else if (get_verbose_action()) {
                log_msg("-------------- no branch\n");
            }
            break;
        }
        case 0x3D:
            do_call_function();
            break;
        case 0x52:
            do_call_method();
            break;
        case 0x3E:
            if (m_retval) *m_retval = top(0);
            drop(1);
            finish(STOP_REACHED);
            break;
        case 0x9B:
            do_define_function(false);
            break;
        case 0x8E:
            do_define_function(true);
            break;
        case 0x94:
            do_with();
            break;

        default:
            // Unknown codes are skipped by their length.
            break;
    }
}

}  // namespace flash
