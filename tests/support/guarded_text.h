#pragma once
// A text whose terminating zero is the last readable byte before an unreadable page, so that a
// reader stepping past the zero faults at once instead of reading on unseen (the sanitizers do
// not watch mapped pages). For fuzz entries and tests of parsers that take zero-ended texts.
#include <cstddef>
#include <string>

namespace testsupport {

class GuardedText {
public:
    explicit GuardedText(const std::string& text);
    ~GuardedText();
    GuardedText(const GuardedText&) = delete;
    GuardedText& operator=(const GuardedText&) = delete;

    // The text and its zero; null when the pages could not be had.
    const char* c_str() const { return m_text; }

private:
    void* m_pages = nullptr;
    size_t m_size = 0;
    const char* m_text = nullptr;
};

}  // namespace testsupport
