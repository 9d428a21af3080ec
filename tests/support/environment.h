#pragma once
// Environment variables for tests: the headless SDL drivers and variables set for one scope.
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

}  // namespace testsupport
