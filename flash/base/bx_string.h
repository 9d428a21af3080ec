#pragma once
// The engine's string value: a byte string, UTF-8 by convention, that keeps texts of up to 14
// bytes inside the object and longer ones in one heap buffer whose capacity is the length plus
// the NUL rounded up to a multiple of 16. bx_stringi is the same text compared and hashed without
// case (ASCII only, independent of the locale).
#include <cstdint>
#include <cstring>

namespace flash {

class bx_stringi;

// ASCII lower case of one byte, independent of the locale.
inline unsigned char bx_fold_ascii(unsigned char c) {
    // Without a branch: every member name is hashed through it.
    constexpr unsigned letter_count = 26;
    constexpr unsigned char case_bit = 'a' - 'A';
    const bool upper = static_cast<unsigned>(c - 'A') < letter_count;
    return static_cast<unsigned char>(c | (upper ? case_bit : 0));
}

// Whether two NUL-terminated texts are equal without ASCII case (bx_string::stricmp(a, b) == 0),
// inline for the member tables, which compare a key on every hash hit.
inline bool bx_equal_ignoring_case(const char* a, const char* b) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(a);
    const unsigned char* q = reinterpret_cast<const unsigned char*>(b);
    for (;; ++p, ++q) {
        // Names are mostly written the same way: equal bytes need no folding.
        if (*p == *q) {
            if (*p == 0) return true;
            continue;
        }
        if (bx_fold_ascii(*p) != bx_fold_ascii(*q)) return false;
    }
}

// The case-insensitive hash of member names: h = 5381; for each byte from the last to the first:
// h = (h * 33) xor its ASCII lower case.
inline uint32_t bx_folded_hash(const char* text, int size) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
    uint32_t h = 5381;
    while (size-- > 0) h = (h * 33) ^ bx_fold_ascii(p[size]);
    return h;
}

// Whether a variable name is a path to split (holds ':' or '.').
inline bool bx_has_path_separator(const char* name) {
    for (; *name; ++name) {
        if (*name == ':' || *name == '.') return true;
    }
    return false;
}

class bx_string {
public:
    // Longest text kept inline; one byte more goes to the heap.
    static constexpr int max_local_length = 14;
    // Longest text a string may hold; growth past it is refused and logged.
    static constexpr int max_length = 0x3FFFFFF0;

    // Asked before a heap text takes bytes more memory on this thread; false refuses the growth
    // (the string stays as it was; the guard says why). Scripts' texts are bounded through it.
    using growth_guard = bool (*)(int64_t bytes);
    static void set_growth_guard(growth_guard guard);
    // The heap text bytes this thread holds: allocated on it less freed on it.
    static int64_t heap_bytes_on_thread();

    // Inline, like the destructor's test for a heap text: every script value holds a string.
    bx_string() : m_mode(1), m_name_flags(0), m_name_hash(0) {
        std::memset(m_local, 0, sizeof m_local);
    }
    bx_string(const char* text);  // null gives ""
    bx_string(const char* data, int count);
    // An inline text is copied whole, inline; only a heap text needs its own buffer.
    bx_string(const bx_string& other)
        : m_mode(other.m_mode), m_name_flags(0), m_name_hash(0) {
        if (other.is_local()) {
            std::memcpy(m_local, other.m_local, sizeof m_local);
            take_name_cache(other);
            return;
        }
        copy_heap_text(other);
        // Out of memory leaves the copy empty, and without the cache.
        if (size() == other.size()) take_name_cache(other);
    }
    bx_string(bx_string&& other) noexcept;
    ~bx_string() {
        if (!is_local()) free_heap();
    }

    operator const char*() const { return c_str(); }
    const char* c_str() const { return is_local() ? m_local : m_heap.buffer; }

    int size() const { return is_local() ? m_mode - 1 : m_heap.size - 1; }
    int length() const { return size(); }
    // Bytes allocated for a heap text; 0 while the text is inline.
    int capacity() const { return is_local() ? 0 : m_heap.capacity; }
    bool is_local() const { return m_mode != heap_mode; }
    // Whether both are inline texts of the same bytes, those after the NUL included: the same
    // text then, whatever the case rules. False says nothing (a reused string keeps old bytes
    // after its NUL). Names are mostly copies of one another: this answers most compares.
    bool same_inline_bytes(const bx_string& other) const {
        return m_mode == other.m_mode && is_local() &&
               std::memcmp(m_local, other.m_local, sizeof m_local) == 0;
    }

    // No bound check: 0 <= index <= size() is the caller's duty.
    char& operator[](int index) { return data()[index]; }
    const char& operator[](int index) const { return c_str()[index]; }

    // Sets the length to new_length and writes the NUL there; bytes between an old and a longer new
    // length are unspecified until the caller writes them. False (string unchanged) when the length
    // is negative, past max_length, or memory is exhausted.
    bool resize(int new_length);
    void clear() {
        m_name_flags = 0;
        if (is_local()) {
            m_mode = 1;
            m_local[0] = 0;
            return;
        }
        clear_heap_text();
    }

    // Null leaves the string unchanged. A short text into an inline string is inline: names
    // pushed by action code are mostly short.
    bx_string& operator=(const char* text) {
        if (text) m_name_flags = 0;
        if (text && is_local()) {
            int n = 0;
            while (n <= max_local_length && text[n] != 0) ++n;
            if (n <= max_local_length) {
                // memmove: the text may lie inside this string.
                std::memmove(m_local, text, static_cast<size_t>(n) + 1);
                m_mode = static_cast<uint8_t>(n + 1);
                return *this;
            }
        }
        return assign_text(text);
    }
    // Inline for two inline texts: script values copy and move their names and texts all the time.
    bx_string& operator=(const bx_string& other) {
        if (is_local() && other.is_local() && this != &other) {
            m_mode = other.m_mode;
            std::memcpy(m_local, other.m_local, sizeof m_local);
            take_name_cache(other);
            return *this;
        }
        return assign_from(other);
    }
    bx_string& operator=(bx_string&& other) noexcept {
        if (this == &other) return *this;
        if (!is_local()) free_heap();
        m_mode = other.m_mode;
        std::memcpy(m_local, other.m_local, sizeof m_local);
        if (!is_local()) m_heap = other.m_heap;
        take_name_cache(other);
        // The moved-from string is left empty and inline; it no longer owns the buffer.
        other.m_mode = 1;
        other.m_name_flags = 0;
        std::memset(other.m_local, 0, sizeof other.m_local);
        return *this;
    }
    bx_string& operator+=(const char* text);
    bx_string& operator+=(const bx_string& other);
    bx_string& operator+=(char c);  // a NUL appends nothing
    bx_string operator+(const char* text) const;

    // Replaces the text by count bytes that hold no NUL; inline for a short text into an inline
    // string. The bytes may lie inside this string.
    void set_bytes(const char* text, int count) {
        m_name_flags = 0;
        if (count >= 0 && count <= max_local_length && is_local()) {
            // Front to back is safe for a source inside this string: it never lies before it.
            for (int i = 0; i < count; ++i) m_local[i] = text[i];
            m_local[count] = 0;
            m_mode = static_cast<uint8_t>(count + 1);
            return;
        }
        assign(text, count);
    }

    // Removes count bytes at index; the caller keeps index + count within the length.
    void erase(int index, int count);
    void insert(int index, char c);

    // Byte-wise comparisons over unsigned bytes, like strcmp.
    bool operator==(const char* text) const;
    // Inline: local variables are found by comparing names, and most differ in length.
    bool operator==(const bx_string& other) const {
        return size() == other.size() && std::strcmp(c_str(), other.c_str()) == 0;
    }
    bool operator!=(const char* text) const { return !(*this == text); }
    bool operator!=(const bx_string& other) const { return !(*this == other); }
    bool operator<(const char* text) const;
    bool operator<(const bx_string& other) const { return *this < other.c_str(); }
    bool operator>(const char* text) const;
    bool operator>(const bx_string& other) const { return *this > other.c_str(); }

    // ASCII case-insensitive comparison over unsigned bytes: negative, zero or positive.
    static int stricmp(const char* a, const char* b);

    // UTF-8 encodes c (1 to 6 bytes) and appends it.
    void append_wide_char(uint16_t c);
    void append_wide_char(uint32_t c);
    // Replaces *out by the UTF-8 text of a NUL-terminated wide string. In the 16-bit form a
    // surrogate pair becomes one 4-byte sequence and a lone surrogate U+FFFD.
    static void encode_utf8_from_wchar(bx_string* out, const uint32_t* wstr);
    static void encode_utf8_from_wchar(bx_string* out, const uint16_t* wstr);

    // Characters in the first byte_count bytes of text (the character reaching the limit counts).
    static int utf8_char_count(const char* text, int byte_count);
    int utf8_length() const { return utf8_char_count(c_str(), size()); }
    // The code of the character at a character index; 0 when the text ends first.
    uint32_t utf8_char_at(int index) const;
    // ASCII letters are mapped; every other character is kept as it was (as whole UTF-8).
    bx_string utf8_to_upper() const;
    bx_string utf8_to_lower() const;
    // Characters from index start up to, not including, index end; empty when start is past the
    // text or end <= start.
    bx_string utf8_substring(int start, int end) const;

    const bx_stringi& to_bx_stringi() const;

    // A text used as a member or variable name many times (a name of the action code) is
    // prepared once: it keeps its case-insensitive hash and whether it is a path, until the text
    // changes. Copies keep them.
    void prepare_name() {
        m_name_hash = bx_folded_hash(c_str(), size());
        m_name_flags = name_prepared | (bx_has_path_separator(c_str()) ? name_is_path : 0);
    }
    bool is_prepared_name() const { return (m_name_flags & name_prepared) != 0; }
    // bx_folded_hash of the text.
    uint32_t folded_hash() const {
        return is_prepared_name() ? m_name_hash : bx_folded_hash(c_str(), size());
    }
    bool has_path_separator() const {
        return is_prepared_name() ? (m_name_flags & name_is_path) != 0
                                  : bx_has_path_separator(c_str());
    }

    // printf-style formatting through a 500-byte buffer (longer output is cut to 499 bytes).
    static bx_string format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

private:
    static constexpr uint8_t heap_mode = 255;
    static constexpr uint8_t name_prepared = 1;
    static constexpr uint8_t name_is_path = 2;
    // Every write to the text goes through here or through resize: the name cache goes with it.
    char* data() {
        m_name_flags = 0;
        return is_local() ? m_local : m_heap.buffer;
    }
    void take_name_cache(const bx_string& other) {
        m_name_flags = other.m_name_flags;
        m_name_hash = other.m_name_hash;
    }
    void assign(const char* text, int count);
    bx_string& assign_from(const bx_string& other);
    bx_string& assign_text(const char* text);
    void copy_heap_text(const bx_string& other);
    void clear_heap_text();
    void free_heap();
    // Whether a heap text may take bytes more (the thread's guard, if any, agrees).
    static bool may_grow(int64_t bytes);

    uint8_t m_mode;  // 1..15: inline length + 1; 255: heap
    // The prepared name's flags and hash, in the bytes the alignment of the text leaves free.
    uint8_t m_name_flags;
    uint32_t m_name_hash;
    union {
        char m_local[15];
        struct {
            int32_t size;      // length + 1
            int32_t capacity;  // bytes allocated
            char* buffer;
        } m_heap;
    };
};

inline bool operator==(const char* text, const bx_string& s) { return s == text; }
inline bool operator!=(const char* text, const bx_string& s) { return s != text; }

// The same text, compared and hashed without case.
class bx_stringi {
public:
    bx_stringi() = default;
    bx_stringi(const char* text) : m_string(text) {}
    bx_stringi(const bx_string& s) : m_string(s) {}

    bx_stringi& operator=(const char* text) {
        m_string = text;
        return *this;
    }
    bx_stringi& operator=(const bx_string& s) {
        m_string = s;
        return *this;
    }

    operator bx_string() const { return m_string; }
    const bx_string& to_bx_string() const { return m_string; }
    const char* c_str() const { return m_string.c_str(); }
    int size() const { return m_string.size(); }
    int length() const { return m_string.size(); }

    bool operator==(const bx_stringi& other) const {
        return m_string.same_inline_bytes(other.m_string) ||
               bx_equal_ignoring_case(c_str(), other.c_str());
    }
    bool operator==(const char* text) const {
        return bx_equal_ignoring_case(c_str(), text ? text : "");
    }
    bool operator!=(const bx_stringi& other) const { return !(*this == other); }
    bool operator!=(const char* text) const { return !(*this == text); }

private:
    bx_string m_string;
};

static_assert(sizeof(bx_stringi) == sizeof(bx_string));
static_assert(sizeof(bx_string) == 24, "the name cache lives in the alignment gap");

// Inline: every member lookup by a plain string name goes through it.
inline const bx_stringi& bx_string::to_bx_stringi() const {
    return *reinterpret_cast<const bx_stringi*>(this);
}

}  // namespace flash
