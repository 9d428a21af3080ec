#pragma once
// Source file and line of code addresses, read from the modules' debug information by binutils'
// addr2line, run as a child process. Only the crash helper uses it: it may take its time.
#include <cstdint>
#include <string>
#include <vector>

namespace platform::crash {

struct CodeAddress {
    std::string modulePath;  // the module's file, as the memory map names it
    uintptr_t address = 0;   // where the code lies in this process
    bool returnAddress = false;  // a caller's frame: the call is the instruction before
};

// For each address ", file, line 0042", or "" where nothing is known (no addr2line, no debug
// information, a module not loaded here). Gives up on addr2line after `timeoutMs` in all.
std::vector<std::string> sourceLineTexts(const std::vector<CodeAddress>& addresses, int timeoutMs);

}  // namespace platform::crash
