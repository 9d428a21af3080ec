// The game's executable: the crash helper's entry, the close signals, the fixed clock of
// reproducible runs, then the program entry.
#include <cstdlib>
#include <string>

#include "app/application.h"
#include "core/crash_reporter.h"
#include "platform/clock.h"
#include "platform/process.h"

int main(int argc, char** argv) {
    if (int rc = CrashReporter::runHelperIfRequested(argc, argv); rc >= 0) return rc;
    // Before SDL starts: SDL leaves handlers that are already set alone.
    platform::installCloseSignals();
    if (const char* step = std::getenv("TOV_TEST_CLOCK_MS"); step && *step) {
        char* end = nullptr;
        const unsigned long ms = std::strtoul(step, &end, 10);
        if (end && *end == '\0' && ms > 0) platform::useVirtualClock(ms);
    }
    std::string commandLine;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (!commandLine.empty()) commandLine += ' ';
        commandLine += argument.find(' ') == std::string::npos ? argument : "\"" + argument + "\"";
    }
    return WinMain(nullptr, nullptr, commandLine.c_str(), 1);
}
