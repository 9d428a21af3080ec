// The game's executable: the crash helper's entry, the close signals, the fixed clock of
// reproducible runs (TOV_TEST_CLOCK_MS), then the program entry.
#include <cstdio>
#include <string>

#include "app/application.h"
#include "core/crash_reporter.h"
#include "core/test_clock.h"
#include "platform/process.h"

int main(int argc, char** argv) {
    if (int rc = CrashReporter::runHelperIfRequested(argc, argv); rc >= 0) return rc;
    // Before SDL starts: SDL leaves handlers that are already set alone.
    platform::installCloseSignals();
    std::string clockError;
    if (core::useTestClockFromEnvironment(&clockError) == core::TestClock::Invalid) {
        std::fprintf(stderr, "game: %s\n", clockError.c_str());
        return 2;
    }
    std::string commandLine;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (!commandLine.empty()) commandLine += ' ';
        commandLine += argument.find(' ') == std::string::npos ? argument : "\"" + argument + "\"";
    }
    return WinMain(nullptr, nullptr, commandLine.c_str(), 1);
}
