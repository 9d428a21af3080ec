#include "screens/console_line.h"

#include "core/string_utils.h"

namespace {

bool isContinuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

}  // namespace

size_t ConsoleLine::countCharacters(const std::string& utf8) {
    size_t count = 0;
    for (char c : utf8)
        if (!isContinuation(c)) ++count;
    return count;
}

size_t ConsoleLine::boundaryBefore(const std::string& utf8, size_t bytes) {
    if (bytes >= utf8.size()) return utf8.size();
    while (bytes > 0 && isContinuation(utf8[bytes])) --bytes;
    return bytes;
}

size_t ConsoleLine::prefixBytes(const std::string& utf8, size_t characters) {
    size_t at = 0;
    for (size_t seen = 0; at < utf8.size(); ++at) {
        if (isContinuation(utf8[at])) continue;
        if (seen == characters) break;
        ++seen;
    }
    return at;
}

std::string ConsoleLine::toLine(const std::string& text, size_t maxCharacters) {
    std::string line = text.substr(0, text.find_first_of("\r\n"));
    // Through UTF-16 and back: stray bytes become the characters they are in Windows-1252.
    line = wstringToUtf8(toWString(line));
    line.resize(prefixBytes(line, maxCharacters));
    return line;
}

void ConsoleLine::set(const std::string& text) {
    m_text = toLine(text);
    m_count = countCharacters(m_text);
    m_cursor = m_text.size();
}

void ConsoleLine::clear() {
    m_text.clear();
    m_count = 0;
    m_cursor = 0;
}

void ConsoleLine::insert(const std::string& text, bool moveCursor) {
    if (m_count >= kMaxCharacters) return;
    const std::string piece = toLine(text, kMaxCharacters - m_count);
    m_text.insert(m_cursor, piece);
    m_count += countCharacters(piece);
    if (moveCursor) m_cursor += piece.size();
}

void ConsoleLine::backspace() {
    if (m_cursor == 0) return;
    const size_t end = m_cursor;
    left();
    m_text.erase(m_cursor, end - m_cursor);
    --m_count;
}

void ConsoleLine::deleteForward() {
    if (m_cursor >= m_text.size()) return;
    size_t end = m_cursor + 1;
    while (end < m_text.size() && isContinuation(m_text[end])) ++end;
    m_text.erase(m_cursor, end - m_cursor);
    --m_count;
}

void ConsoleLine::left() {
    if (m_cursor == 0) return;
    --m_cursor;
    while (m_cursor > 0 && isContinuation(m_text[m_cursor])) --m_cursor;
}

void ConsoleLine::right() {
    if (m_cursor >= m_text.size()) return;
    ++m_cursor;
    while (m_cursor < m_text.size() && isContinuation(m_text[m_cursor])) ++m_cursor;
}
