#pragma once
// The test process and its environment: the headless SDL drivers, variables set for one scope,
// the process id, exported symbols and blocks of the C runtime's heap.
#include <cstddef>
#include <string>

namespace testsupport {

// Picks SDL's offscreen video and dummy audio drivers unless the environment already names them.
void useHeadlessDrivers();

// Sets an environment variable for one scope and puts the old value (or its absence) back.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string m_name, m_old;
    bool m_had = false;
};

// The id of the test process, to make names unique between test programs run at once.
int processId();

// The address under which the running program exports the named symbol to dynamic lookups, or
// null.
void* exportedSymbol(const char* name);

// The usable size of a block of the C runtime's heap (at least the size asked for). A block that
// did not come from that heap is an error the sanitizers stop at.
size_t runtimeHeapBlockSize(void* block);

}  // namespace testsupport
