#include "flash/runtime/as_string.h"

#include <cmath>
#include <cstring>

#include "flash/base/bx_string.h"
#include "flash/base/utf8.h"
#include "flash/runtime/as_array.h"
#include "flash/runtime/as_environment.h"
#include "flash/runtime/as_function.h"

namespace flash {

namespace {

// The string the method works on: the text of the this value.
bx_string this_text(const fn_call& fn) {
    if (fn.this_value) return fn.this_value->to_bx_string();
    if (fn.this_object) {
        const char* text = fn.this_object->to_string();
        return bx_string(text ? text : "");
    }
    return bx_string();
}

// The byte offset of character index chars (the end of the text when it has fewer).
int byte_offset(const char* text, int chars) {
    const char* p = text;
    for (int i = 0; i < chars && *p; ++i) utf8_decode_next_char(&p);
    return static_cast<int>(p - text);
}

int clamp(int value, int low, int high) { return value < low ? low : (value > high ? high : value); }

// indexOf and lastIndexOf: the text, the search text and the byte where the search starts (the
// start argument clamped to the text); false when there is nothing to search for.
bool search_arguments(const fn_call& fn, bx_string& text, bx_string& search, const char*& from) {
    if (fn.arg_count < 1) return false;
    text = this_text(fn);
    search = fn.arg(0).to_bx_string();
    const int start = fn.arg_count > 1 ? clamp(fn.arg(1).to_int(), 0, text.utf8_length()) : 0;
    from = text.c_str() + byte_offset(text.c_str(), start);
    return true;
}

// The character index of a match (found points into text), or -1 without one.
void set_match_index(const fn_call& fn, const bx_string& text, const char* found) {
    if (!found) {
        fn.result->set_int(-1);
        return;
    }
    const int bytes = static_cast<int>(found - text.c_str());
    fn.result->set_int(bytes == 0 ? 0 : bx_string::utf8_char_count(text.c_str(), bytes));
}

}  // namespace

void string_to_string(const fn_call& fn) { fn.result->set_bx_string(this_text(fn)); }

void string_length(const fn_call& fn) { fn.result->set_int(this_text(fn).size()); }

void string_char_at(const fn_call& fn) {
    const bx_string text = this_text(fn);
    const int index = fn.arg(0).to_int();
    if (index < 0 || index >= text.utf8_length()) return;
    fn.result->set_bx_string(text.utf8_substring(index, index + 1));
}

void string_char_code_at(const fn_call& fn) {
    const bx_string text = this_text(fn);
    const int index = fn.arg(0).to_int();
    if (index < 0 || index >= text.utf8_length()) {
        fn.result->set_nan();
        return;
    }
    fn.result->set_double(text.utf8_char_at(index));
}

void string_concat(const fn_call& fn) {
    bx_string text = this_text(fn);
    for (int i = 0; i < fn.arg_count; ++i) text += fn.arg(i).to_bx_string();
    fn.result->set_bx_string(text);
}

void string_from_char_code(const fn_call& fn) {
    bx_string text;
    for (int i = 0; i < fn.arg_count; ++i) {
        const double code = std::nearbyint(fn.arg(i).to_number());
        // Codes below 1 or past 31 bits have no UTF-8 form.
        if (!(code >= 1.0 && code < 2147483648.0)) continue;
        char buffer[8];
        int length = 0;
        utf8_encode_char(buffer, &length, static_cast<uint32_t>(code));
        buffer[length] = 0;
        text += buffer;
    }
    fn.result->set_bx_string(text);
}

void string_index_of(const fn_call& fn) {
    bx_string text, search;
    const char* from = nullptr;
    if (!search_arguments(fn, text, search, from)) {
        fn.result->set_int(-1);
        return;
    }
    set_match_index(fn, text, std::strstr(from, search.c_str()));
}

void string_last_index_of(const fn_call& fn) {
    bx_string text, search;
    const char* from = nullptr;
    if (!search_arguments(fn, text, search, from)) {
        fn.result->set_int(-1);
        return;
    }
    const char* end = text.c_str() + text.size();
    const char* last = nullptr;
    while (from <= end) {
        const char* found = std::strstr(from, search.c_str());
        if (!found) break;
        last = found;
        from = found + 1;
    }
    set_match_index(fn, text, last);
}

void string_slice(const fn_call& fn) {
    const bx_string text = this_text(fn);
    const int n = text.utf8_length();
    long long start = fn.arg_count > 0 ? fn.arg(0).to_int() : 0;
    long long end = fn.arg_count > 1 ? fn.arg(1).to_int() : n;
    if (start < 0) start += n;
    if (end < 0) end += n;
    if (start > n) start = n;
    if (start < 1) start = 0;
    if (end > n) end = n;
    if (end < start) end = start;
    fn.result->set_bx_string(text.utf8_substring(static_cast<int>(start), static_cast<int>(end)));
}

void string_substring(const fn_call& fn) {
    const bx_string text = this_text(fn);
    const int n = text.utf8_length();
    const int start = fn.arg_count > 0 ? clamp(fn.arg(0).to_int(), 0, n) : 0;
    int end = fn.arg_count > 1 ? clamp(fn.arg(1).to_int(), 0, n) : n;
    if (end < start) end = start;
    fn.result->set_bx_string(text.utf8_substring(start, end));
}

void string_substr(const fn_call& fn) {
    if (fn.arg_count < 1) return;
    const bx_string text = this_text(fn);
    const int n = text.utf8_length();
    const int start = clamp(fn.arg(0).to_int(), 0, n);
    const int length = fn.arg_count > 1 ? clamp(fn.arg(1).to_int(), 0, n) : n;
    const int end = start + length < n ? start + length : n;
    if (start < end) fn.result->set_bx_string(text.utf8_substring(start, end));
}

void string_split(const fn_call& fn) {
    const bx_string text = this_text(fn);
    smart_ptr<as_array> result(new as_array(fn.get_player()));
    if (fn.arg_count < 1) {
        result->push(as_value(text));
        fn.result->set_as_object(result.get_ptr());
        return;
    }
    // A negative limit is no limit; 0 gives an empty array.
    int limit = 0x7FFFFFFF;
    if (fn.arg_count > 1) {
        const int given = fn.arg(1).to_int();
        if (given >= 0) limit = given;
    }
    const bx_string separator = fn.arg(0).to_bx_string();
    int count = 0;
    if (separator.size() == 0) {
        const char* p = text.c_str();
        while (*p && count < limit) {
            const char* begin = p;
            utf8_decode_next_char(&p);
            if (p == begin) break;
            result->push(as_value(bx_string(begin, static_cast<int>(p - begin))));
            ++count;
        }
    } else {
        const char* p = text.c_str();
        while (count < limit) {
            const char* found = std::strstr(p, separator.c_str());
            const int length = found ? static_cast<int>(found - p) : static_cast<int>(std::strlen(p));
            result->push(as_value(bx_string(p, length)));
            ++count;
            if (!found) break;
            p = found + separator.size();
        }
    }
    fn.result->set_as_object(result.get_ptr());
}

void string_to_lower_case(const fn_call& fn) {
    fn.result->set_bx_string(this_text(fn).utf8_to_lower());
}

void string_to_upper_case(const fn_call& fn) {
    fn.result->set_bx_string(this_text(fn).utf8_to_upper());
}

void string_ctor(const fn_call& fn) {
    if (fn.arg_count == 1) {
        fn.result->set_bx_string(fn.arg(0).to_bx_string());
    } else {
        fn.result->set_string("");
    }
}

as_object* string_class_init(engine_instance* owner) {
    as_c_function* cls = new as_c_function(owner, string_ctor);
    cls->set_member("fromCharCode", as_value(new as_c_function(owner, string_from_char_code)));
    return cls;
}

}  // namespace flash
