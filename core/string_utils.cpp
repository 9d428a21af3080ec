#include "core/string_utils.h"

#include <array>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "platform/text_encoding.h"

namespace {

// ASCII-only tables, built at compile time so no thread ever sees them half-filled.
constexpr std::array<char, 256> makeTable(bool lower) {
    std::array<char, 256> t{};
    for (int i = 0; i < 256; ++i) {
        int c = i;
        if (lower && c >= 'A' && c <= 'Z') c += 'a' - 'A';
        if (!lower && c >= 'a' && c <= 'z') c -= 'a' - 'A';
        t[static_cast<size_t>(i)] = static_cast<char>(c);
    }
    return t;
}
constexpr std::array<char, 256> kLower = makeTable(true);
constexpr std::array<char, 256> kUpper = makeTable(false);

std::string& foldWith(const std::array<char, 256>& table, const std::string& source, std::string& destination) {
    destination.resize(source.size());
    for (size_t i = 0; i < source.size(); ++i) destination[i] = table[static_cast<unsigned char>(source[i])];
    return destination;
}

using platform::appendUtf8;
using platform::decodeUtf8;

char16_t cp1252(unsigned char b) { return platform::cp1252ToUnicode(b); }

void appendUtf16(std::u16string& out, uint32_t cp) {
    if (cp < 0x10000) {
        out.push_back(static_cast<char16_t>(cp));
    } else {
        cp -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    }
}

// UTF-16 to UTF-8; `unpaired` is what an unpaired surrogate becomes. Stops at the first zero unit.
std::string narrowFrom(const std::u16string& text, uint32_t unpaired) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t u = text[i];
        if (u == 0) break;
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            appendUtf8(out, 0x10000 + ((static_cast<uint32_t>(u) - 0xD800) << 10) + (text[i + 1] - 0xDC00));
            ++i;
        } else if (u >= 0xD800 && u <= 0xDFFF) {
            appendUtf8(out, unpaired);
        } else {
            appendUtf8(out, u);
        }
    }
    return out;
}

// UTF-8 to UTF-16, up to the first zero. A byte that is no valid UTF-8 makes a strict conversion
// fail (empty result); otherwise it is read as Windows-1252.
std::u16string widen(const std::string& text, bool strict) {
    std::u16string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        uint32_t cp = 0;
        const size_t n = decodeUtf8(text, i, cp);
        if (n == 0) {
            if (strict) return std::u16string();
            out.push_back(cp1252(static_cast<unsigned char>(text[i])));
            ++i;
            continue;
        }
        if (cp == 0) break;
        appendUtf16(out, cp);
        i += n;
    }
    return out;
}

std::u16string widenAscii(const std::string& s) { return std::u16string(s.begin(), s.end()); }

template <class S>
std::vector<S> splitImpl(const S& text, const S& delimiters, unsigned maxCount, bool keepEmpty) {
    constexpr size_t npos = S::npos;
    std::vector<S> out;
    out.reserve(5);
    size_t pos = 0;
    unsigned count = 0;
    for (;;) {
        if (pos == npos) {
            // The scan ran past the end after a delimiter.
            if (keepEmpty) out.emplace_back();
            break;
        }
        const size_t d = text.find_first_of(delimiters, pos);
        if (d == pos) {
            if (keepEmpty) {
                out.emplace_back();
                pos = d + 1;
            } else {
                ++count;
                pos = text.find_first_not_of(delimiters, d);
            }
            continue;
        }
        if (d == npos || (maxCount != 0 && count >= maxCount)) {
            out.push_back(text.substr(pos));
            break;
        }
        out.push_back(text.substr(pos, d - pos));
        ++count;
        pos = text.find_first_not_of(delimiters, d);
    }
    return out;
}

bool isTrimmed(char c) { return c == ' ' || c == '\t' || c == '\r'; }

template <class S>
void replaceAll(S& result, const S& key, const S& value) {
    S pattern;
    pattern.reserve(key.size() + 2);
    pattern.push_back('%');
    pattern += key;
    pattern.push_back('%');
    // Each search goes on after the inserted value, so a value holding its own pattern ends.
    size_t from = 0;
    for (;;) {
        const size_t at = result.find(pattern, from);
        if (at == S::npos) break;
        result.replace(at, pattern.size(), value);
        from = at + value.size();
    }
}

}  // namespace

const std::string& emptyString() {
    static const std::string empty;
    return empty;
}

const std::u16string& emptyWString() {
    static const std::u16string empty;
    return empty;
}

std::string& toLower(const std::string& source, std::string& destination) {
    return foldWith(kLower, source, destination);
}

std::string& toLowerInPlace(std::string& text) { return foldWith(kLower, text, text); }

std::string& toUpper(const std::string& source, std::string& destination) {
    return foldWith(kUpper, source, destination);
}

const std::string& toLowerStatic(const char* text) {
    static std::string result;
    result = text ? text : "";
    return toLowerInPlace(result);
}

char lowerChar(char c) { return kLower[static_cast<unsigned char>(c)]; }

std::u16string toWString(const std::string& text) { return widen(text, false); }

void toWStringCopy(std::u16string& destination, const std::string& text) { destination = toWString(text); }

std::u16string utf8ToWString(const std::string& text) { return widen(text, true); }

std::string toNarrowString(const std::u16string& text) { return narrowFrom(text, '?'); }

void toNarrowStringCopy(std::string& destination, const std::u16string& text) {
    destination = toNarrowString(text);
}

std::string wstringToUtf8(const std::u16string& text) { return narrowFrom(text, 0xFFFD); }

std::string intToString(int32_t value) { return std::to_string(value); }
std::string uintToString(uint32_t value) { return std::to_string(value); }
std::string longToString(long value) { return std::to_string(value); }
std::string int64ToString(int64_t value) { return std::to_string(value); }
std::u16string intToWString(int32_t value) { return widenAscii(std::to_string(value)); }
std::u16string longToWString(long value) { return widenAscii(std::to_string(value)); }

std::string doubleToString(double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.15g", value);
    return buffer;
}

std::string floatToString(float value) { return doubleToString(static_cast<double>(value)); }

void floatToWString(float value, std::u16string& destination) { toWStringCopy(destination, floatToString(value)); }

std::string doubleToFixedString(double value, uint8_t decimals) {
    // The nudge keeps values such as 0.125 from rounding down through binary representation.
    value += static_cast<double>(1e-8f);
    if (!std::isfinite(value)) return doubleToString(value);
    // Up to 309 integer digits, the point and 255 decimals always fit.
    char digits[640];
    std::snprintf(digits, sizeof digits, "%.*f", static_cast<int>(decimals), std::fabs(value));
    std::string result = std::signbit(value) ? "-" : "";
    result += digits;
    if (decimals == 0) result += '.';
    return result;
}

void doubleToFixedWString(double value, uint8_t decimals, std::u16string& destination) {
    toWStringCopy(destination, doubleToFixedString(value, decimals));
}

double stringToDouble(const std::string& text) { return std::strtod(text.c_str(), nullptr); }

int32_t stringToInt(const std::string& text) {
    const long long v = std::strtoll(text.c_str(), nullptr, 10);
    if (v > INT32_MAX) return INT32_MAX;
    if (v < INT32_MIN) return INT32_MIN;
    return static_cast<int32_t>(v);
}

std::vector<std::string> splitString(const std::string& text, const std::string& delimiters, unsigned maxCount) {
    return splitImpl(text, delimiters, maxCount, true);
}

std::vector<std::u16string> splitStringEx(const std::u16string& text, const std::u16string& delimiters,
                                          unsigned maxCount) {
    return splitImpl(text, delimiters, maxCount, false);
}

void splitPath(const std::string& path, std::string* folder, std::string* name, std::string* extension) {
    if (folder) folder->clear();
    if (name) name->clear();
    if (extension) extension->clear();
    const size_t separator = path.find_last_of("/\\");
    const size_t fileStart = separator == std::string::npos ? 0 : separator + 1;
    if (folder && separator != std::string::npos) folder->assign(path, 0, fileStart);
    size_t dot = path.rfind('.');
    if (dot != std::string::npos && dot < fileStart) dot = std::string::npos;
    if (extension && dot != std::string::npos) extension->assign(path, dot, std::string::npos);
    if (name) {
        if (dot == std::string::npos) {
            name->assign(path, fileStart, std::string::npos);
        } else {
            name->assign(path, fileStart, dot - fileStart);
        }
    }
}

std::string& trimInPlace(std::string& text, bool left, bool right) {
    if (right) {
        size_t end = text.size();
        while (end > 0 && isTrimmed(text[end - 1])) --end;
        text.erase(end);
    }
    if (left) {
        size_t start = 0;
        while (start < text.size() && isTrimmed(text[start])) ++start;
        text.erase(0, start);
    }
    return text;
}

std::string& trimCopy(const std::string& source, std::string& destination, bool left, bool right) {
    destination = source;
    return trimInPlace(destination, left, right);
}

bool startsWith(const std::string& text, const std::string& prefix, bool lowerCase) {
    if (prefix.empty() || prefix.size() > text.size()) return false;
    std::string piece = text.substr(0, prefix.size());
    if (lowerCase) toLowerInPlace(piece);
    return piece == prefix;
}

bool endsWith(const std::string& text, const std::string& suffix, bool lowerCase) {
    if (suffix.empty() || suffix.size() > text.size()) return false;
    std::string piece = text.substr(text.size() - suffix.size());
    if (lowerCase) toLowerInPlace(piece);
    return piece == suffix;
}

void buildReplacementMap(const std::string& list, ReplacementMap& map) {
    if (list.empty()) return;
    map.clear();
    const std::vector<std::string> fields = splitString(list, ", ");
    // A last key without a value is ignored.
    for (size_t i = 0; i + 1 < fields.size(); i += 2) {
        std::u16string key = toWString(fields[i]);
        std::u16string value = toWString(fields[i + 1]);
        map[key] = {key, value};
    }
}

std::u16string& replaceKeys(std::u16string& result, const std::u16string& text, const std::string& list) {
    ReplacementMap map;
    buildReplacementMap(list, map);
    result = text;
    for (const auto& entry : map) replaceAll(result, entry.second.first, entry.second.second);
    return result;
}

std::string& replaceKeysNarrow(std::string& result, const std::string& text, const std::string& list) {
    ReplacementMap map;
    buildReplacementMap(list, map);
    result = text;
    for (const auto& entry : map) {
        replaceAll(result, toNarrowString(entry.second.first), toNarrowString(entry.second.second));
    }
    return result;
}
