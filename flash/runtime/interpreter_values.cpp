// Stack, arithmetic, comparison and string actions; the clock and random numbers.
#include <cmath>
#include <cstring>

#include "flash/base/bx_random.h"
#include "flash/base/bx_timer.h"
#include "flash/runtime/engine_instance.h"
#include "flash/runtime/interpreter_impl.h"

namespace flash {

void interpreter::do_binary_number(int code) {
    as_value& x = top(1);
    as_value& y = top(0);
    switch (code) {
        // Unary, in place on top(0).
        case 0x18:
            y.set_int(double_to_int(std::floor(y.to_number())));
            return;
        case 0x4A:
            y.set_double(y.to_number());
            return;
        case 0x4B: {
            const bx_string text(y.to_bx_string());
            y.set_bx_string(text);
            return;
        }
        case 0x44: {
            const char* type = y.type_of();
            y.set_string(type);
            return;
        }
        case 0x12:
            y.set_bool(!y.to_bool());
            return;
        case 0x50:
            y.set_double(y.to_number() + 1.0);
            return;
        case 0x51:
            y.set_double(y.to_number() - 1.0);
            return;

        // Binary: the result replaces x, y is dropped.
        case 0x0A:
            x.set_double(x.to_number() + y.to_number());
            break;
        case 0x0B:
            x.set_double(x.to_number() - y.to_number());
            break;
        case 0x0C:
            x.set_double(x.to_number() * y.to_number());
            break;
        case 0x0D:
            x.set_double(x.to_number() / y.to_number());
            break;
        case 0x3F: {
            const double divisor = y.to_number();
            const double dividend = x.to_number();
            if (divisor != 0.0) {
                x.set_double(std::fmod(dividend, divisor));
            } else {
                x.set_undefined();
            }
            break;
        }
        case 0x47:
            if (x.is_string() || y.is_string()) {
                bx_string text(x.to_bx_string());
                text += y.to_bx_string();
                x.set_bx_string(text);
            } else {
                x.set_double(x.to_number() + y.to_number());
            }
            break;
        case 0x10:
            x.set_bool(x.to_bool() && y.to_bool());
            break;
        case 0x11:
            x.set_bool(x.to_bool() || y.to_bool());
            break;
        case 0x60:
            x &= y.to_int();
            break;
        case 0x61:
            x |= y.to_int();
            break;
        case 0x62:
            x ^= y.to_int();
            break;
        case 0x63:
            x.shl(y.to_int());
            break;
        case 0x64:
            x.asr(y.to_int());
            break;
        case 0x65:
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
        case 0x0E:
        case 0x49:
        case 0x66:
            result = x == y;
            break;
        case 0x0F:
            result = x.to_number() < y.to_number();
            break;
        case 0x48:
            if (x.is_string()) {
                result = text_order(x, y) < 0;
            } else {
                result = x.to_number() < y.to_number();
            }
            break;
        case 0x67:
            if (x.is_string()) {
                result = text_order(x, y) > 0;
            } else {
                result = x.to_number() > y.to_number();
            }
            break;
        case 0x13:
            result = text_order(x, y) == 0;
            break;
        case 0x29:
            result = text_order(x, y) < 0;
            break;
        case 0x68:
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
        case 0x14: {
            need(1);
            const int length = top(0).to_bx_string().utf8_length();
            top(0).set_int(length);
            break;
        }
        case 0x15: {
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
        case 0x21: {
            need(2);
            bx_string text(top(1).to_bx_string());
            text += top(0).to_bx_string();
            top(1).set_bx_string(text);
            drop(1);
            break;
        }
        case 0x32: {
            need(1);
            const bx_string& text = top(0).to_bx_string();
            const int value = text.size() > 0 ? static_cast<int8_t>(text[0]) : 0;
            top(0).set_int(value);
            break;
        }
        case 0x33: {
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
    const uint64_t start = m_player ? m_player->get_start_time() : now;
    m_env->push(as_value(static_cast<double>(now >= start ? now - start : 0)));
}

void interpreter::do_random() {
    int n = top(0).to_int();
    if (n < 1) n = 1;
    const uint32_t r = bx_random::next_random();
    top(0).set_double(static_cast<double>(r % static_cast<uint32_t>(n)));
}

}  // namespace flash
