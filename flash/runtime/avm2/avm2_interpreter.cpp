// The AVM2 main loop and the instructions that need no call: constants, locals, scopes, property
// reads and writes, branches, arithmetic and comparisons.
#include "flash/runtime/avm2/avm2_interpreter.h"

#include <cmath>

#include "flash/base/log.h"
#include "flash/runtime/as_array.h"
#include "flash/runtime/avm2/abc_def.h"
#include "flash/runtime/avm2/as_3_function.h"
#include "flash/runtime/avm2/avm2_machine.h"
#include "flash/runtime/avm2/avm2_opcodes.h"
#include "flash/runtime/script_limits.h"
#include "flash/runtime/interpreter.h"

namespace flash {

namespace {

constexpr double two_to_32 = 4294967296.0;

// The number as a 32-bit integer: truncated toward zero and wrapped modulo 2^32; NaN and the
// infinities give 0.
int32_t to_int32(double d) {
    if (!std::isfinite(d)) return 0;
    double m = std::fmod(std::trunc(d), two_to_32);
    if (m < 0) m += two_to_32;
    return static_cast<int32_t>(static_cast<uint32_t>(m));
}

// A u30 operand as a pool index; values no pool can reach become -1, which every lookup refuses.
int pool_index(uint32_t v) { return v > 0x7FFFFFFFu ? -1 : static_cast<int>(v); }

const char* taken_text(bool taken) { return taken ? "taken" : "not taken"; }
const char* bool_text(bool b) { return b ? "true" : "false"; }

}  // namespace

void avm2_execute(as_3_function* function, array<as_value>& registers, as_environment* env, as_value* result) {
    if (!function || !env || function->m_code.empty()) return;
    avm2_machine machine(function, registers, env, result);
    machine.run();
}

avm2_machine::avm2_machine(as_3_function* function, array<as_value>& registers, as_environment* env,
                           as_value* result)
    : m_function(function),
      m_abc(function->get_abc()),
      m_registers(registers),
      m_env(env),
      m_result(result),
      m_code(function->m_code.data(), function->m_code.size()),
      m_base(env->get_stack_size()),
      m_scope_base(env->get_scope_size()),
      m_verbose(get_verbose_action()) {}

void avm2_machine::run() {
    if (!m_abc) {
        log_error("error: avm2: method #%d has lost its ABC block\n", m_function->get_method_index());
        return;
    }
    // The code stays while it runs, even if the call drops the last other reference.
    const smart_ptr<as_object> keep(m_function);
    const smart_ptr<abc_def> keep_abc(m_abc);
    while (m_code.left() > 0) {
        const int64_t budget = get_action_budget();
        if (budget == 0) {
            log_error("error: avm2: method #%d ran out of its instruction budget\n", m_function->get_method_index());
            return;
        }
        if (budget > 0) set_action_budget(budget - 1);
        // Every instruction counts against the host call's actions.
        if (!charge_actions(m_env, 1)) return;
        if (!step()) return;
    }
}

bool avm2_machine::stop(const char* problem) {
    log_error("error: avm2: method #%d: %s at offset %d, the method ends\n", m_function->get_method_index(),
              problem, m_code.position());
    m_keep_running = false;
    return false;
}

bool avm2_machine::read_u8(uint8_t* out) {
    return m_code.read_u8(out) || stop("operand past the end of the code");
}

bool avm2_machine::read_u30(uint32_t* out) {
    return m_code.read_u30(out) || stop("operand past the end of the code");
}

bool avm2_machine::read_s24(int32_t* out) {
    return m_code.read_s24(out) || stop("operand past the end of the code");
}

bool avm2_machine::read_index(int limit, const char* what, int* out) {
    uint32_t v;
    if (!read_u30(&v)) return false;
    if (v >= static_cast<uint32_t>(limit)) return stop(what);
    *out = static_cast<int>(v);
    return true;
}

bool avm2_machine::read_multiname(int* index, bx_string* name) {
    uint32_t v;
    if (!read_u30(&v)) return false;
    const bx_string* text = m_abc->get_multiname_name(pool_index(v));
    if (!text) return stop("multiname index out of range");
    *index = static_cast<int>(v);
    *name = *text;
    return true;
}

bool avm2_machine::register_slot(uint32_t index, as_value** out) {
    if (index >= static_cast<uint32_t>(m_registers.size())) return stop("register index out of range");
    *out = &m_registers[static_cast<int>(index)];
    return true;
}

bool avm2_machine::branch(int32_t offset) {
    const int64_t target = static_cast<int64_t>(m_code.position()) + offset;
    if (target < 0 || target >= m_code.size()) {
        if (m_verbose) log_msg("EX: branch to %lld leaves the code, the method ends\n", static_cast<long long>(target));
        return false;
    }
    m_code.seek(static_cast<int>(target));
    return true;
}

// One instruction; false when the method ends.
bool avm2_machine::step() {
    uint8_t op;
    if (!m_code.read_u8(&op)) return false;
    switch (op) {
        case OP_IFTRUE:
        case OP_IFFALSE: {
            int32_t offset;
            if (!read_s24(&offset)) return false;
            const bool taken = pop().to_bool() == (op == OP_IFTRUE);
            if (m_verbose) log_msg(op == OP_IFTRUE ? "EX: iftrue\t %s\n" : "EX: iffalse\t %s\n", taken_text(taken));
            return !taken || branch(offset);
        }
        case OP_IFNE: {
            int32_t offset;
            if (!read_s24(&offset)) return false;
            const as_value b = pop();
            const as_value a = pop();
            const bool taken = !a.abstract_equals(b);
            if (m_verbose) log_msg("EX: ifne\t %s\n", taken_text(taken));
            return !taken || branch(offset);
        }
        case OP_POPSCOPE:
            // The caller's scopes are not the method's to drop.
            if (m_env->get_scope_size() > m_scope_base) m_env->pop_scope();
            if (m_verbose) log_msg("EX: popscope\n");
            return true;
        case OP_PUSHNULL: {
            as_value null_value;
            null_value.set_null();
            push(null_value);
            if (m_verbose) log_msg("EX: pushnull\n");
            return true;
        }
        case OP_PUSHBYTE: {
            uint8_t b;
            if (!read_u8(&b)) return false;
            push(as_value(static_cast<int>(static_cast<int8_t>(b))));
            if (m_verbose) log_msg("EX: pushbyte\t %d\n", static_cast<int8_t>(b));
            return true;
        }
        case OP_PUSHSHORT: {
            uint32_t v;
            if (!read_u30(&v)) return false;
            push(as_value(static_cast<int>(v)));
            if (m_verbose) log_msg("EX: pushshort\t %d\n", static_cast<int>(v));
            return true;
        }
        case OP_PUSHTRUE:
        case OP_PUSHFALSE:
            push(as_value(op == OP_PUSHTRUE));
            if (m_verbose) log_msg(op == OP_PUSHTRUE ? "EX: pushtrue\n" : "EX: pushfalse\n");
            return true;
        case OP_POP:
            pop();
            if (m_verbose) log_msg("EX: pop\n");
            return true;
        case OP_DUP: {
            const as_value top = pop();
            if (m_verbose) log_msg("EX: dup %s\n", top.to_xstring());
            push(top);
            push(top);
            return true;
        }
        case OP_PUSHSTRING: {
            uint32_t index;
            if (!read_u30(&index)) return false;
            const bx_string* text = pool_index(index) < 0 ? nullptr : m_abc->get_string(pool_index(index));
            if (!text) return stop("string index out of range");
            push(as_value(*text));
            if (m_verbose) log_msg("EX: pushstring\t '%s'\n", text->c_str());
            return true;
        }
        case OP_PUSHINT: {
            uint32_t index;
            int32_t v;
            if (!read_u30(&index)) return false;
            if (!m_abc->get_int(pool_index(index), &v)) return stop("int index out of range");
            push(as_value(static_cast<int>(v)));
            if (m_verbose) log_msg("EX: pushint\t %d\n", v);
            return true;
        }
        case OP_PUSHDOUBLE: {
            uint32_t index;
            double v;
            if (!read_u30(&index)) return false;
            if (!m_abc->get_double(pool_index(index), &v)) return stop("double index out of range");
            push(as_value(v));
            if (m_verbose) log_msg("EX: pushdouble\t %f\n", v);
            return true;
        }
        case OP_PUSHSCOPE: {
            const as_value v = pop();
            m_env->push_scope(v);
            if (m_verbose) log_msg("EX: pushscope\t %s\n", v.to_xstring());
            return true;
        }
        case OP_CALLPROPERTY:
        case OP_CALLPROPVOID:
            call_property(op == OP_CALLPROPERTY);
            return m_keep_running;
        case OP_RETURNVOID:
            if (m_verbose) log_msg("EX: returnvoid\t\n");
            if (m_result) m_result->set_undefined();
            return false;
        case OP_RETURNVALUE: {
            const as_value v = pop();
            if (m_verbose) log_msg("EX: returnvalue \t%s\n", v.to_xstring());
            if (m_result) *m_result = v;
            return false;
        }
        case OP_CONSTRUCTSUPER:
            construct_super();
            return m_keep_running;
        case OP_CONSTRUCTPROP:
            construct_property();
            return m_keep_running;
        case OP_NEWOBJECT: {
            uint32_t pairs;
            if (!read_u30(&pairs)) return false;
            const int n = clamp_count(pairs > 0x7FFFFFFFu / 2 ? 0x7FFFFFFFu : pairs * 2) / 2;
            smart_ptr<as_object> object(new as_object(player()));
            object->alive();
            // The pairs lie name below value, the first pair deepest.
            for (int i = 0; i < n; ++i) {
                const int below = 2 * (n - i) - 1;
                object->set_member(m_env->top(below).to_bx_stringi(), m_env->top(below - 1));
            }
            m_env->drop(2 * n);
            push(as_value(object.get_ptr()));
            if (m_verbose) log_msg("EX: newobject\t arg_count:%i\n", n);
            return true;
        }
        case OP_NEWARRAY: {
            uint32_t count;
            if (!read_u30(&count)) return false;
            const int n = clamp_count(count);
            smart_ptr<as_array> list(new as_array(player()));
            list->alive();
            for (int i = n - 1; i >= 0; --i) list->push(m_env->top(i));
            m_env->drop(n);
            push(as_value(list.get_ptr()));
            if (m_verbose) log_msg("EX: newarray\t arg_count:%i\n", n);
            return true;
        }
        case OP_NEWCLASS:
            new_class();
            return m_keep_running;
        case OP_FINDPROPSTRICT:
        case OP_FINDPROPERTY:
            find_property(op == OP_FINDPROPSTRICT);
            return m_keep_running;
        case OP_GETLEX:
            get_lex();
            return m_keep_running;
        case OP_SETPROPERTY:
        case OP_INITPROPERTY: {
            int index;
            bx_string name;
            if (!read_multiname(&index, &name)) return false;
            const as_value v = pop();
            const as_value target = pop();
            if (m_verbose) {
                if (op == OP_SETPROPERTY) {
                    log_msg("EX: setproperty\t %s.%s, value=%s\n", target.to_xstring(), name.c_str(), v.to_xstring());
                } else {
                    log_msg("EX: initproperty\t 0x%p.%s=%s\n", static_cast<void*>(target.to_object()), name.c_str(),
                            v.to_xstring());
                }
            }
            if (as_object* object = target.to_object()) object->set_member(name, v);
            return true;
        }
        case OP_GETLOCAL:
        case OP_SETLOCAL: {
            uint32_t index;
            as_value* slot;
            if (!read_u30(&index) || !register_slot(index, &slot)) return false;
            if (op == OP_GETLOCAL) {
                if (m_verbose) log_msg("EX: getlocal\t index=%i, value=%s\n", static_cast<int>(index), slot->to_xstring());
                push(*slot);
            } else {
                as_value v = pop();
                if (m_verbose) log_msg("EX: setlocal\t index=%i, value=%s\n", static_cast<int>(index), v.to_xstring());
                *slot = v;
            }
            return true;
        }
        case OP_GETSCOPEOBJECT: {
            uint8_t index;
            if (!read_u8(&index)) return false;
            if (index >= m_env->get_scope_size()) return stop("scope index out of range");
            const as_value v = m_env->get_scope(index);
            push(v);
            if (m_verbose) log_msg("EX: getscopeobject\t index=%i, value=%s\n", index, v.to_xstring());
            return true;
        }
        case OP_GETPROPERTY: {
            int index;
            bx_string name;
            if (!read_multiname(&index, &name)) return false;
            const int kind = m_abc->get_multiname(index)->kind;
            if (kind == abc_multiname::MULTINAME_L) {
                name = pop().to_bx_string();
            } else if (kind != abc_multiname::QNAME && kind != abc_multiname::MULTINAME) {
                name = "";
            }
            const as_value target = pop();
            as_value v;
            // A missing member reads as undefined.
            if (as_object* object = target.to_object()) {
                const smart_ptr<as_object> keep(object);
                object->get_member(name, &v);
            }
            if (m_verbose) log_msg("EX: getproperty\t %s, value=%s\n", name.c_str(), v.to_xstring());
            push(v);
            return true;
        }
        case OP_CONVERT_I: {
            const int32_t v = to_int32(pop().to_number());
            push(as_value(static_cast<int>(v)));
            if (m_verbose) log_msg("EX: convert_i : %i \n", v);
            return true;
        }
        case OP_COERCE: {
            int index;
            bx_string name;
            if (!read_multiname(&index, &name)) return false;
            if (m_verbose) log_msg("EX: coerce : %s todo\n", name.c_str());
            return true;
        }
        case OP_COERCE_S: {
            const as_value v(pop().to_bx_string());
            push(v);
            if (m_verbose) log_msg("EX: coerce_s : %s\n", v.to_xstring());
            return true;
        }
        case OP_NOT:
            push(as_value(!pop().to_bool()));
            if (m_verbose) log_msg("EX: not\n");
            return true;
        case OP_ADD: {
            const as_value b = pop();
            const as_value a = pop();
            if (a.is_string() || b.is_string()) {
                bx_string text(a.to_bx_string());
                text += b.to_bx_string();
                push(as_value(text));
            } else {
                push(as_value(a.to_number() + b.to_number()));
            }
            return true;
        }
        case OP_MULTIPLY: {
            const as_value b = pop();
            const as_value a = pop();
            push(as_value(a.to_number() * b.to_number()));
            if (m_verbose) log_msg("EX: multiply\n");
            return true;
        }
        case OP_EQUALS: {
            const as_value b = pop();
            const as_value a = pop();
            const bool equal = a.abstract_equals(b);
            if (m_verbose) log_msg("EX: equals %s & %s : %s\n", a.to_xstring(), b.to_xstring(), bool_text(equal));
            push(as_value(equal));
            return true;
        }
        case OP_LESSTHAN: {
            const as_value b = pop();
            const as_value a = pop();
            const as_value less = a.abstract_less(b);
            if (m_verbose) log_msg("EX: lessthan %s & %s : %s\n", a.to_xstring(), b.to_xstring(), less.to_xstring());
            push(less);
            return true;
        }
        case OP_INCLOCAL_I: {
            uint32_t index;
            as_value* slot;
            if (!read_u30(&index) || !register_slot(index, &slot)) return false;
            slot->set_int(static_cast<int>(static_cast<uint32_t>(to_int32(slot->to_number())) + 1u));
            if (m_verbose) log_msg("EX: inclocal_i %i\n", static_cast<int>(index));
            return true;
        }
        default:
            break;
    }
    if (op >= OP_GETLOCAL_0 && op <= OP_GETLOCAL_3) {
        as_value* slot;
        if (!register_slot(op - OP_GETLOCAL_0, &slot)) return false;
        push(*slot);
        if (m_verbose) log_msg("EX: getlocal_%d\t %s\n", op - OP_GETLOCAL_0, slot->to_xstring());
        return true;
    }
    if (op >= OP_SETLOCAL_0 && op <= OP_SETLOCAL_3) {
        as_value* slot;
        if (!register_slot(op - OP_SETLOCAL_0, &slot)) return false;
        *slot = pop();
        if (m_verbose) log_msg("EX: setlocal_%d\t %s\n", op - OP_SETLOCAL_0, slot->to_xstring());
        return true;
    }
    log_msg("TODO opcode 0x%02X\n", op);
    return false;
}

}  // namespace flash
