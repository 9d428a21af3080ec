#include "tests/support/environment.h"

#include <dlfcn.h>
#include <malloc.h>
#include <unistd.h>

#include <cstdlib>

namespace testsupport {

void useHeadlessDrivers() {
    ::setenv("SDL_VIDEODRIVER", "offscreen", 0);
    ::setenv("SDL_AUDIODRIVER", "dummy", 0);
}

ScopedEnv::ScopedEnv(const char* name, const std::string& value) : m_name(name) {
    if (const char* old = std::getenv(name)) {
        m_old = old;
        m_had = true;
    }
    ::setenv(name, value.c_str(), 1);
}

ScopedEnv::~ScopedEnv() {
    if (m_had)
        ::setenv(m_name.c_str(), m_old.c_str(), 1);
    else
        ::unsetenv(m_name.c_str());
}

int processId() { return static_cast<int>(::getpid()); }

void* exportedSymbol(const char* name) { return ::dlsym(RTLD_DEFAULT, name); }

size_t runtimeHeapBlockSize(void* block) { return ::malloc_usable_size(block); }

}  // namespace testsupport
