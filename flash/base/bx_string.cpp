#include "flash/base/bx_string.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "flash/base/bx_memory.h"
#include "flash/base/log.h"
#include "flash/base/utf8.h"

namespace flash {

namespace {

int rounded_capacity(int length) { return (length + 16) & ~15; }

constinit thread_local int64_t t_heap_text_bytes = 0;
constinit thread_local bx_string::growth_guard t_growth_guard = nullptr;

}  // namespace

void bx_string::set_growth_guard(growth_guard guard) { t_growth_guard = guard; }

int64_t bx_string::heap_bytes_on_thread() { return t_heap_text_bytes; }

bool bx_string::may_grow(int64_t bytes) { return !t_growth_guard || t_growth_guard(bytes); }

bx_string::bx_string(const char* text) : bx_string() {
    if (text) assign(text, static_cast<int>(std::strlen(text)));
}

bx_string::bx_string(const char* data, int count) : bx_string() {
    if (data && count > 0) assign(data, count);
}

void bx_string::copy_heap_text(const bx_string& other) {
    m_mode = 1;
    m_name_flags = 0;
    std::memset(m_local, 0, sizeof m_local);
    assign(other.c_str(), other.size());
}

bx_string::bx_string(bx_string&& other) noexcept
    : m_mode(other.m_mode), m_name_flags(other.m_name_flags), m_name_hash(other.m_name_hash) {
    std::memcpy(m_local, other.m_local, sizeof m_local);
    if (!is_local()) m_heap = other.m_heap;
    // The moved-from string is left empty and inline; it no longer owns the buffer.
    other.m_mode = 1;
    other.m_name_flags = 0;
    std::memset(other.m_local, 0, sizeof other.m_local);
}

void bx_string::free_heap() {
    t_heap_text_bytes -= m_heap.capacity;
    bx_free(m_heap.buffer);
}

void bx_string::assign(const char* text, int count) {
    m_name_flags = 0;
    if (count < 0) count = 0;
    if (count <= max_local_length && is_local()) {
        // A short text into an inline string: memmove also serves a source inside this string.
        std::memmove(m_local, text, static_cast<size_t>(count));
        m_local[count] = 0;
        m_mode = static_cast<uint8_t>(count + 1);
        return;
    }
    // The source may lie inside this string's own buffer: copy through a temporary then.
    const char* own = c_str();
    if (text >= own && text <= own + size()) {
        bx_string copy(text, count);
        *this = static_cast<bx_string&&>(copy);
        return;
    }
    if (!resize(count)) return;
    std::memcpy(data(), text, static_cast<size_t>(count));
    data()[count] = 0;
}

bool bx_string::resize(int new_length) {
    if (new_length < 0 || new_length > max_length) {
        log_error("error: bx_string::resize(): length %d refused\n", new_length);
        return false;
    }
    const int old_length = size();
    if (new_length == old_length) return true;
    m_name_flags = 0;

    if (is_local()) {
        if (new_length <= max_local_length) {
            m_mode = static_cast<uint8_t>(new_length + 1);
            m_local[new_length] = 0;
            return true;
        }
        const int capacity = rounded_capacity(new_length);
        if (!may_grow(capacity)) return false;
        char* buffer = static_cast<char*>(bx_alloc(static_cast<size_t>(capacity)));
        if (!buffer) {
            log_error("error: bx_string::resize(): out of memory for %d bytes\n", capacity);
            return false;
        }
        t_heap_text_bytes += capacity;
        std::memset(buffer, 0, static_cast<size_t>(capacity));
        std::memcpy(buffer, m_local, static_cast<size_t>(old_length + 1));
        m_mode = heap_mode;
        m_heap.size = new_length + 1;
        m_heap.capacity = capacity;
        m_heap.buffer = buffer;
        buffer[new_length] = 0;
        return true;
    }

    if (new_length <= max_local_length) {
        char* buffer = m_heap.buffer;
        t_heap_text_bytes -= m_heap.capacity;
        std::memcpy(m_local, buffer, sizeof m_local);
        m_mode = static_cast<uint8_t>(new_length + 1);
        m_local[new_length] = 0;
        bx_free(buffer);
        return true;
    }

    const int capacity = rounded_capacity(new_length);
    if (capacity != m_heap.capacity) {
        if (capacity > m_heap.capacity && !may_grow(capacity - m_heap.capacity)) return false;
        char* buffer = static_cast<char*>(bx_realloc(m_heap.buffer, static_cast<size_t>(capacity)));
        if (!buffer) {
            log_error("error: bx_string::resize(): out of memory for %d bytes\n", capacity);
            return false;
        }
        t_heap_text_bytes += capacity - m_heap.capacity;
        m_heap.buffer = buffer;
        m_heap.capacity = capacity;
    }
    m_heap.size = new_length + 1;
    m_heap.buffer[new_length] = 0;
    return true;
}

void bx_string::clear_heap_text() {
    m_name_flags = 0;
    if (size() == 0) return;
    char* buffer = m_heap.buffer;
    t_heap_text_bytes -= m_heap.capacity;
    std::memcpy(m_local, buffer, sizeof m_local);
    bx_free(buffer);
    m_mode = 1;
    m_local[0] = 0;
}

bx_string& bx_string::assign_text(const char* text) {
    if (text) assign(text, static_cast<int>(std::strlen(text)));
    return *this;
}

bx_string& bx_string::assign_from(const bx_string& other) {
    if (this != &other) {
        assign(other.c_str(), other.size());
        // A refused growth leaves the old text: its cache, cleared by assign, stays cleared.
        if (size() == other.size()) take_name_cache(other);
    }
    return *this;
}

bx_string& bx_string::operator+=(const char* text) {
    if (!text) return *this;
    const int add = static_cast<int>(std::strlen(text));
    if (add == 0) return *this;
    const int old_length = size();
    if (static_cast<long long>(old_length) + add > max_length) {
        log_error("error: bx_string::operator+=(): length %lld refused\n",
                  static_cast<long long>(old_length) + add);
        return *this;
    }
    // The appended text may be this string's own: keep a copy across the resize.
    const char* own = c_str();
    if (text >= own && text <= own + old_length) {
        const bx_string copy(text, add);
        return *this += copy;
    }
    if (!resize(old_length + add)) return *this;
    std::memcpy(data() + old_length, text, static_cast<size_t>(add) + 1);
    return *this;
}

bx_string& bx_string::operator+=(const bx_string& other) {
    if (this == &other) {
        const bx_string copy(other);
        return *this += copy.c_str();
    }
    return *this += other.c_str();
}

bx_string& bx_string::operator+=(char c) {
    if (c == 0) return *this;
    const int old_length = size();
    if (!resize(old_length + 1)) return *this;
    data()[old_length] = c;
    data()[old_length + 1] = 0;
    return *this;
}

bx_string bx_string::operator+(const char* text) const {
    bx_string result(*this);
    result += text;
    return result;
}

void bx_string::erase(int index, int count) {
    const int length = size();
    if (index < 0 || count <= 0 || index > length) return;
    if (count > length - index) count = length - index;
    char* d = data();
    std::memmove(d + index, d + index + count, static_cast<size_t>(length - index - count) + 1);
    resize(length - count);
}

void bx_string::insert(int index, char c) {
    const int length = size();
    if (index < 0 || index > length) return;
    if (!resize(length + 1)) return;
    char* d = data();
    std::memmove(d + index + 1, d + index, static_cast<size_t>(length - index) + 1);
    d[index] = c;
}

bool bx_string::operator==(const char* text) const {
    return std::strcmp(c_str(), text ? text : "") == 0;
}

bool bx_string::operator<(const char* text) const {
    return std::strcmp(c_str(), text ? text : "") < 0;
}

bool bx_string::operator>(const char* text) const {
    return std::strcmp(c_str(), text ? text : "") > 0;
}

int bx_string::stricmp(const char* a, const char* b) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(a ? a : "");
    const unsigned char* q = reinterpret_cast<const unsigned char*>(b ? b : "");
    for (;; ++p, ++q) {
        const int d = bx_fold_ascii(*p) - bx_fold_ascii(*q);
        if (d != 0 || *p == 0) return d;
    }
}

void bx_string::append_wide_char(uint16_t c) { append_wide_char(static_cast<uint32_t>(c)); }

void bx_string::append_wide_char(uint32_t c) {
    char encoded[8];
    int n = 0;
    utf8_encode_char(encoded, &n, c);
    encoded[n] = 0;
    if (n > 0 && c != 0) *this += encoded;
}

namespace {

uint32_t utf32_code_at(const uint32_t* p, int* step) {
    *step = 1;
    return *p;
}

// The code point at a 16-bit position, combining a surrogate pair; *step is 1 or 2.
uint32_t utf16_code_at(const uint16_t* p, int* step) {
    const uint32_t c = p[0];
    *step = 1;
    if (c >= 0xD800 && c <= 0xDBFF) {
        const uint32_t low = p[1];
        if (low >= 0xDC00 && low <= 0xDFFF) {
            *step = 2;
            return 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
        }
        return 0xFFFD;
    }
    if (c >= 0xDC00 && c <= 0xDFFF) return 0xFFFD;
    return c;
}

// Sizes the output once, then encodes: both wide widths share this and differ only in code_at.
template <class Unit>
void encode_wide(bx_string* out, const Unit* wstr, uint32_t (*code_at)(const Unit*, int*)) {
    if (!out) return;
    if (!wstr) {
        out->clear();
        return;
    }
    long long total = 0;
    int step = 1;
    for (const Unit* p = wstr; *p; p += step) total += utf8_encoded_length(code_at(p, &step));
    if (total > bx_string::max_length) {
        log_error("error: bx_string::encode_utf8_from_wchar(): length %lld refused\n", total);
        return;
    }
    if (!out->resize(static_cast<int>(total))) return;
    char* d = &(*out)[0];
    int index = 0;
    for (const Unit* p = wstr; *p; p += step) utf8_encode_char(d, &index, code_at(p, &step));
    d[index] = 0;
}

}  // namespace

void bx_string::encode_utf8_from_wchar(bx_string* out, const uint32_t* wstr) { encode_wide(out, wstr, utf32_code_at); }

void bx_string::encode_utf8_from_wchar(bx_string* out, const uint16_t* wstr) { encode_wide(out, wstr, utf16_code_at); }

int bx_string::utf8_char_count(const char* text, int byte_count) {
    if (!text || byte_count < 1) return 0;
    const char* p = text;
    int count = 0;
    while (utf8_decode_next_char(&p) != 0) {
        ++count;
        if (p - text >= byte_count) break;
    }
    return count;
}

uint32_t bx_string::utf8_char_at(int index) const {
    if (index < 0) return 0;
    const char* p = c_str();
    uint32_t c = 0;
    for (int k = 0; k <= index; ++k) {
        c = utf8_decode_next_char(&p);
        if (c == 0) return 0;
    }
    return c;
}

namespace {

bx_string map_ascii_case(const bx_string& s, bool upper) {
    bx_string result;
    const char* p = s.c_str();
    char encoded[8];
    for (;;) {
        uint32_t c = utf8_decode_next_char(&p);
        if (c == 0) break;
        if (upper && c >= 'a' && c <= 'z') c -= 'a' - 'A';
        if (!upper && c >= 'A' && c <= 'Z') c += 'a' - 'A';
        int n = 0;
        utf8_encode_char(encoded, &n, c);
        encoded[n] = 0;
        result += encoded;
    }
    return result;
}

}  // namespace

bx_string bx_string::utf8_to_upper() const { return map_ascii_case(*this, true); }
bx_string bx_string::utf8_to_lower() const { return map_ascii_case(*this, false); }

bx_string bx_string::utf8_substring(int start, int end) const {
    if (start == end || start < 0 || end < start) return bx_string();
    const char* p = c_str();
    const char* start_pos = nullptr;
    const char* end_pos = nullptr;
    int counter = 0;
    for (;;) {
        if (counter == start) start_pos = p;
        if (utf8_decode_next_char(&p) == 0) {
            if (counter < end) end_pos = p;
            break;
        }
        ++counter;
        if (counter == end) {
            end_pos = p;
            break;
        }
    }
    if (!start_pos || !end_pos || end_pos <= start_pos) return bx_string();
    return bx_string(start_pos, static_cast<int>(end_pos - start_pos));
}

bx_string bx_string::format(const char* fmt, ...) {
    char buffer[500];
    buffer[0] = 0;
    if (fmt) {
        va_list args;
        va_start(args, fmt);
        if (std::vsnprintf(buffer, sizeof buffer, fmt, args) < 0) buffer[0] = 0;
        va_end(args);
    }
    return bx_string(buffer);
}

}  // namespace flash
