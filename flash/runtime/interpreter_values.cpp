// Stack, arithmetic, comparison and string actions; the clock and random numbers.
#include <cmath>
#include <cstring>

#include "flash/base/bx_random.h"
#include "flash/base/bx_timer.h"
#include "flash/runtime/engine_instance.h"
#include "flash/runtime/interpreter_impl.h"

namespace flash {

// The handlers of the table, beside the actions they run, which are inlined into them.
// Numbers are the usual operands of loops: two of them take the arithmetic straight.
void interpreter::on_unary(int code) {
    if ((code == action::INCREMENT || code == action::DECREMENT) && step_number_on_top(code)) {
        consume_result();
        return;
    }
    need(1);
    do_binary_number(code);
}

void interpreter::on_binary(int code) {
    if (operate_on_top_two(code)) {
        consume_result();
        return;
    }
    need(2);
    do_binary_number(code);
}

void interpreter::on_compare(int code) {
    if (operate_on_top_two(code)) {
        consume_result();
        return;
    }
    need(2);
    do_compare(code);
}

void interpreter::on_unary_plain(int code) {
    need(1);
    do_binary_number(code);
}

void interpreter::on_binary_plain(int code) {
    need(2);
    do_binary_number(code);
}

void interpreter::on_compare_plain(int code) {
    need(2);
    do_compare(code);
}

void interpreter::do_binary_number(int code) {
    as_value& x = top(1);
    as_value& y = top(0);
    switch (code) {
        // Unary, in place on top(0).
        case action::TO_INTEGER:
            y.set_int(double_to_int(std::floor(y.to_number())));
            return;
        case action::TO_NUMBER:
            y.set_double(y.to_number());
            return;
        case action::TO_STRING: {
            const bx_string text(y.to_bx_string());
            y.set_bx_string(text);
            return;
        }
        case action::TYPE_OF: {
            const char* type = y.type_of();
            y.set_string(type);
            return;
        }
        case action::NOT:
            y.set_bool(!y.to_bool());
            return;
        case action::INCREMENT:
        case action::DECREMENT:
            y.set_double(step_number(code, y.to_number()));
            return;

        // Binary: the result replaces x, y is dropped.
        case action::ADD:
        case action::SUBTRACT:
        case action::MULTIPLY:
        case action::DIVIDE:
            x.set_double(arithmetic_on_numbers(code, x.to_number(), y.to_number()));
            break;
        case action::MODULO: {
            const double divisor = y.to_number();
            const double dividend = x.to_number();
            if (divisor != 0.0) {
                x.set_double(std::fmod(dividend, divisor));
            } else {
                x.set_undefined();
            }
            break;
        }
        case action::ADD2:
            if (x.is_string() || y.is_string()) {
                bx_string text(x.to_bx_string());
                text += y.to_bx_string();
                x.set_bx_string(text);
            } else {
                x.set_double(arithmetic_on_numbers(code, x.to_number(), y.to_number()));
            }
            break;
        case action::AND:
            x.set_bool(x.to_bool() && y.to_bool());
            break;
        case action::OR:
            x.set_bool(x.to_bool() || y.to_bool());
            break;
        case action::BIT_AND:
            x &= y.to_int();
            break;
        case action::BIT_OR:
            x |= y.to_int();
            break;
        case action::BIT_XOR:
            x ^= y.to_int();
            break;
        case action::BIT_LSHIFT:
            x.shl(y.to_int());
            break;
        case action::BIT_RSHIFT:
            x.asr(y.to_int());
            break;
        case action::BIT_URSHIFT:
            x.lsr(y.to_int());
            break;
        default:
            return;
    }
    drop(1);
}

namespace {

// The byte order of the two values as texts: below, at or above 0 like strcmp.
int text_order(const as_value& x, const as_value& y) {
    return std::strcmp(x.to_bx_string().c_str(), y.to_bx_string().c_str());
}

}  // namespace

void interpreter::do_compare(int code) {
    as_value& x = top(1);
    as_value& y = top(0);
    bool result = false;
    switch (code) {
        case action::EQUALS:
        case action::EQUALS2:
        case action::STRICT_EQUALS:
            result = x == y;
            break;
        case action::LESS:
            result = compare_numbers(code, x.to_number(), y.to_number());
            break;
        case action::LESS2:
            if (x.is_string()) {
                result = text_order(x, y) < 0;
            } else {
                result = compare_numbers(code, x.to_number(), y.to_number());
            }
            break;
        case action::GREATER:
            if (x.is_string()) {
                result = text_order(x, y) > 0;
            } else {
                result = compare_numbers(code, x.to_number(), y.to_number());
            }
            break;
        case action::STRING_EQUALS:
            result = text_order(x, y) == 0;
            break;
        case action::STRING_LESS:
            result = text_order(x, y) < 0;
            break;
        case action::STRING_GREATER:
            result = text_order(x, y) > 0;
            break;
        default:
            return;
    }
    x.set_bool(result);
    drop(1);
}

void interpreter::do_string_op(int code) {
    switch (code) {
        case action::STRING_LENGTH: {
            need(1);
            const int length = top(0).to_bx_string().utf8_length();
            top(0).set_int(length);
            break;
        }
        case action::STRING_EXTRACT: {
            need(3);
            const int64_t count = top(0).to_int();
            int64_t index = static_cast<int64_t>(top(1).to_int()) - 1;
            const bx_string text(top(2).to_bx_string());
            const int64_t length = text.size();
            if (index > length) index = length;
            if (index < 0) index = 0;
            int64_t take = count;
            if (take > length - index) take = length - index;
            // A negative count takes nothing.
            if (take < 0) take = 0;
            drop(2);
            top(0).set_bx_string(
                bx_string(text.c_str() + index, static_cast<int>(take)));
            break;
        }
        case action::STRING_ADD: {
            need(2);
            bx_string text(top(1).to_bx_string());
            text += top(0).to_bx_string();
            top(1).set_bx_string(text);
            drop(1);
            break;
        }
        case action::CHAR_TO_ASCII: {
            need(1);
            const bx_string& text = top(0).to_bx_string();
            const int value = text.size() > 0 ? static_cast<int8_t>(text[0]) : 0;
            top(0).set_int(value);
            break;
        }
        case action::ASCII_TO_CHAR: {
            need(1);
            const char bytes[2] = {static_cast<char>(top(0).to_int() & 0xFF), 0};
            top(0).set_string(bytes);
            break;
        }
        default:
            break;
    }
}

void interpreter::do_get_time() {
    const uint64_t now = bx_timer::get_ticks();
    engine_instance* owner = player();
    const uint64_t start = owner ? owner->get_start_time() : now;
    m_env->push(as_value(static_cast<double>(now >= start ? now - start : 0)));
}

void interpreter::do_random() {
    int n = top(0).to_int();
    if (n < 1) n = 1;
    const uint32_t r = bx_random::next_random();
    top(0).set_double(static_cast<double>(r % static_cast<uint32_t>(n)));
}

}  // namespace flash
