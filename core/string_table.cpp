#include "core/string_table.h"

#include <cstring>

#include "core/log_stream.h"
#include "core/string_utils.h"
#include "platform/files.h"

namespace {
// Far beyond any real text file; refuses to pull a wrong multi-gigabyte file into memory.
constexpr uint64_t kMaxFileSize = 256ull << 20;
}  // namespace

bool StringTable::Reader::peek(char16_t& unit) const {
    if (m_size - m_pos < 2) return false;
    unit = static_cast<char16_t>(m_data[m_pos] | (m_data[m_pos + 1] << 8));
    return true;
}

bool StringTable::Reader::next(char16_t& unit) {
    if (!peek(unit)) {
        m_ended = true;
        return false;
    }
    m_pos += 2;
    return true;
}

StringTable& StringTable::instance() {
    static StringTable table;
    return table;
}

size_t StringTable::readLine(Reader& in, char16_t* out, size_t capacity) {
    size_t kept = 0;
    char16_t unit = 0;
    while (in.next(unit)) {
        if (unit == 13) {
            // CR LF is one line end; a lone CR leaves the next line's first unit alone. A CR that
            // ends the data reaches the end, as the read of its LF would.
            char16_t following = 0;
            if (!in.peek(following) || following == 10) in.next(following);
            break;
        }
        if (unit == 10) break;
        if (kept + 1 < capacity) out[kept++] = unit;
    }
    if (capacity > 0) out[kept] = 0;
    return kept;
}

bool StringTable::load(const char* fileName) {
    if (!fileName) return false;
    m_fileName = fileName;
    m_entries.clear();

    platform::File file;
    if (!file.open(fileName, platform::File::Mode::Read)) return false;
    const auto fileSize = file.size();
    if (!fileSize) return false;
    if (*fileSize > kMaxFileSize) {
        Tov::LogLine("ERROR") << "StringTable::load" << ": " << fileName << " is too large (" << *fileSize
                              << " bytes)";
        return false;
    }
    std::string bytes;
    if (!platform::readRemaining(file, bytes)) {
        // Half a table would show keys for the texts after the fault; none is as visible.
        Tov::LogLine("ERROR") << "StringTable::load" << ": cannot read " << fileName;
        return false;
    }

    Reader in(bytes.data(), bytes.size());
    char16_t line[kLineCapacity];
    readLine(in, line, kLineCapacity);  // the header line (holds the byte-order mark, if any)
    while (!in.atEnd()) {
        const size_t keyLength = readLine(in, line, kLineCapacity);
        std::string key = toNarrowString(std::u16string(line, keyLength));
        toLowerInPlace(key);
        const size_t textLength = readLine(in, line, kLineCapacity);
        m_entries.emplace(std::move(key), std::u16string(line, textLength));  // the first text wins
    }
    m_modified = false;
    return true;
}

int32_t StringTable::find(const std::string& key, std::u16string& out) const {
    std::string folded;
    toLower(key, folded);
    const auto it = m_entries.find(folded);
    if (it == m_entries.end()) return kNotFound;
    out = it->second;
    return static_cast<int32_t>(out.size());
}

std::u16string StringTable::translate(const std::string& key) {
    if (key.empty()) return std::u16string();
    std::u16string text;
    if (instance().find(key, text) != kNotFound) return text;
    return toWString(key);
}
