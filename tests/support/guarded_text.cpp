#include "tests/support/guarded_text.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstring>

namespace testsupport {

GuardedText::GuardedText(const std::string& text) {
    const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    const size_t needed = text.size() + 1;
    const size_t readable = (needed + page - 1) / page * page;
    m_size = readable + page;
    void* pages = mmap(nullptr, m_size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (pages == MAP_FAILED) return;
    auto* base = static_cast<char*>(pages);
    if (mprotect(base + readable, page, PROT_NONE) != 0) {
        munmap(pages, m_size);
        return;
    }
    m_pages = pages;
    char* start = base + readable - needed;
    std::memcpy(start, text.data(), text.size());
    start[text.size()] = 0;
    m_text = start;
}

GuardedText::~GuardedText() {
    if (m_pages) munmap(m_pages, m_size);
}

}  // namespace testsupport
