#pragma once
// The signal side of the crash reporter. Fatal signals (SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGTRAP,
// SIGABRT) and std::terminate are caught on an alternate signal stack; inside the handler only
// async-signal-safe work is done: the text report and the dump are written with raw system calls,
// and a helper process (this program re-executed with a marker) adds symbol names and source
// lines to the report and tells the user. Then the previous handlers are restored and the signal
// raised again, so the process still dies of it.
#include <cstdint>

namespace platform::crash {

struct Fault {
    int signal = 0;
    int code = 0;                 // si_code
    uintptr_t address = 0;        // faulting data address (SIGSEGV, SIGBUS)
    uintptr_t pc = 0;             // instruction address
    uint32_t exceptionCode = 0;   // the Windows code the fault corresponds to (0 when none)
    const char* exceptionName = "";
    bool stackOverflow = false;
    const void* context = nullptr;  // ucontext_t of the faulting thread
};

// Runs inside the signal handler: must be async-signal-safe. The result is informational.
using Callback = int (*)(const Fault& fault);

// Report settings, copied into fixed buffers. `hostPrefix` is the host path the file names start
// with ("crsh/Crash_"); the report is prefix + seconds + "." + extension, the dump prefix +
// seconds + ".dmp". Dump mode 0: no dump; 1: registers, memory map and stack; other: also the
// program's data segments.
void configure(const char* hostPrefix, const char* reportExtension, int dumpMode, bool showMessage,
               const char* supportAddress, const char* messageFormat);

// Installs the handlers for `callback` (the previous ones are saved the first time); null restores
// the saved handlers and forgets the callback and the limit modules.
[[nodiscard]] bool setCallback(Callback callback);
// True when the address lies in an executable mapping.
bool isCodeAddress(const void* address);
// Limits reporting to faults inside the modules holding these addresses (empty: every fault).
void addLimitModule(const void* anyAddressInModule);

// The report routine: writes the dump and the report, starts the helper, returns 0.
int writeReport(const Fault& fault);

// Installs the alternate signal stack of the calling thread and records its stack bounds (done for
// the main thread by setCallback and for every thread started through platform::NativeThread).
void prepareThread();

// The helper process: when argv carries the helper marker, does the helper's work and returns its
// exit code; otherwise returns -1 at once. A program's main calls it first.
[[nodiscard]] int runHelperIfRequested(int argc, char** argv);

// Caption and text of the user message (the text formatted from the message format).
extern const char* const kMessageCaption;

}  // namespace platform::crash
