// A program that installs the crash reporter as the game does and then fails in the way its
// first argument names.
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>

#include "core/crash_reporter.h"
#include "platform/files.h"
#include "platform/native_thread.h"

// Not static: the helper names exported functions in the report.
[[gnu::noinline]] void crashNow() {
    int* volatile p = reinterpret_cast<int*>(16);
    *p = 1;  // the faulting line
}

volatile bool g_stop = false;

[[gnu::noinline]] int recurseForever(int depth) {
    if (g_stop) return depth;
    volatile char pad[1024];
    pad[0] = static_cast<char>(depth);
    return recurseForever(depth + 1) + pad[0];
}

int main(int argc, char** argv) {
    if (int rc = CrashReporter::runHelperIfRequested(argc, argv); rc >= 0) return rc;
    std::string how = argc > 1 ? argv[1] : "";
    if (!platform::createDirectory("crsh")) return 4;
    CrashReporter::install("crsh\\Crash_", "crash", how == "nodump" ? 0 : 1, how != "quiet",
                           "support@orlimand.example",
                           "Fatal error! Press OK and send files %s and %s to developers email %s.");
    if (how == "segv" || how == "nodump" || how == "quiet") crashNow();
    if (how == "overflow") return recurseForever(0);
    if (how == "worker") {
        platform::NativeThread worker;
        if (!worker.start([] { crashNow(); })) return 5;
        worker.join();
    }
    if (how == "abort") std::abort();
    if (how == "terminate") throw std::runtime_error("nobody catches this");
    if (how == "removed") {
        CrashReporter::setCallback(nullptr);
        crashNow();
    }
    return 3;
}
