#pragma once
// The console's input line: UTF-8 text with a cursor that is a byte index, moved and edited by
// whole code points, so no edit ever splits a sequence. The line holds at most kMaxCharacters
// code points and never a line break.
#include <cstddef>
#include <string>

class ConsoleLine {
public:
    static constexpr size_t kMaxCharacters = 1024;

    const std::string& text() const { return m_text; }
    // A byte index on a code-point boundary, 0 .. text size.
    size_t cursor() const { return m_cursor; }
    size_t characterCount() const { return m_count; }

    // Replaces the text (made a valid line first) and puts the cursor at its end.
    void set(const std::string& text);
    void clear();
    // Inserts at the cursor as much of the text's first line as the cap leaves room for; the
    // cursor moves past it when `moveCursor`, else it stays before it.
    void insert(const std::string& text, bool moveCursor);
    void backspace();
    void deleteForward();
    void left();
    void right();
    void home() { m_cursor = 0; }
    void end() { m_cursor = m_text.size(); }

    // Any text made into a line: bytes that are no valid UTF-8 read as Windows-1252, cut at the
    // first line break, at most `maxCharacters` code points.
    static std::string toLine(const std::string& text, size_t maxCharacters = kMaxCharacters);
    // Code points of valid UTF-8.
    static size_t countCharacters(const std::string& utf8);
    // The last code-point boundary at or before a byte index of valid UTF-8.
    static size_t boundaryBefore(const std::string& utf8, size_t bytes);
    // The byte length of the first `characters` code points of valid UTF-8.
    static size_t prefixBytes(const std::string& utf8, size_t characters);

private:
    std::string m_text;
    size_t m_cursor = 0;
    size_t m_count = 0;
};
