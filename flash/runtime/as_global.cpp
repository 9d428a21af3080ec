#include "flash/runtime/as_global.h"

#include <cmath>
#include <limits>

#include "flash/base/log.h"
#include "flash/runtime/as_function.h"
#include "flash/runtime/as_value.h"

namespace flash {

void as_global_boolean_ctor(const fn_call& fn) {
    fn.result->set_bool(fn.arg_count == 1 ? fn.arg(0).to_bool() : false);
}

void as_global_number_ctor(const fn_call& fn) {
    fn.result->set_double(fn.arg_count == 1 ? fn.arg(0).to_number() : 0.0);
}

void as_global_parse_float(const fn_call& fn) {
    double d;
    if (fn.arg_count == 1 && string_to_number(&d, fn.arg(0).to_string())) {
        fn.result->set_double(d);
    } else {
        fn.result->set_nan();
    }
}

void as_global_parse_int(const fn_call& fn) {
    if (fn.arg_count < 1) {
        fn.result->set_nan();
        return;
    }
    // Without a radix the text is read as decimal.
    const int radix = fn.arg_count >= 2 ? fn.arg(1).to_int() : 10;
    const bx_string text = fn.arg(0).to_bx_string();
    int n;
    if (string_to_number(&n, text.c_str(), radix)) {
        fn.result->set_int(n);
    } else {
        fn.result->set_nan();
    }
}

void as_global_isnan(const fn_call& fn) {
    fn.result->set_bool(fn.arg_count == 1 ? std::isnan(fn.arg(0).to_number()) : true);
}

void as_global_trace(const fn_call& fn) {
    const bx_string text = fn.arg_count > 0 ? fn.arg(0).to_bx_string() : bx_string("undefined");
    log_trace(text.c_str());
}

void as_boolean_to_string(const fn_call& fn) {
    const bool value = fn.this_value ? fn.this_value->to_bool() : false;
    fn.result->set_string(value ? "true" : "false");
}

void as_number_to_string(const fn_call& fn) {
    const double value = fn.this_value ? fn.this_value->to_number()
                                       : std::numeric_limits<double>::quiet_NaN();
    if (fn.arg_count < 1) {
        fn.result->set_bx_string(number_to_string(value));
        return;
    }
    const int radix = fn.arg(0).to_int();
    if (radix < 2 || radix > 36) {
        fn.result->set_string("");
        return;
    }
    // A negative number is written as its magnitude after a minus sign.
    const int n = double_to_int(value);
    const bool negative = n < 0;
    uint32_t magnitude = negative ? 0u - static_cast<uint32_t>(n) : static_cast<uint32_t>(n);
    char digits[40];
    int pos = sizeof digits;
    digits[--pos] = 0;
    do {
        const uint32_t digit = magnitude % static_cast<uint32_t>(radix);
        digits[--pos] = static_cast<char>(digit < 10 ? '0' + digit : 'A' + digit - 10);
        magnitude /= static_cast<uint32_t>(radix);
    } while (magnitude != 0);
    if (negative) digits[--pos] = '-';
    fn.result->set_string(digits + pos);
}

void as_primitive_value_of(const fn_call& fn) {
    if (fn.this_value) {
        *fn.result = *fn.this_value;
    } else if (fn.this_object) {
        fn.result->set_as_object(fn.this_object);
    }
}

}  // namespace flash
