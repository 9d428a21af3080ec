#pragma once
// The crash reporter: after a fatal fault it writes a text report and a dump into the crash folder
// and tells the user which two files to send. A program links `platform_crash` and:
//   int main(int argc, char** argv) {
//       if (int rc = CrashReporter::runHelperIfRequested(argc, argv); rc >= 0) return rc;
//       ...
//       platform::createDirectory("crsh");
//       CrashReporter::install("crsh\\Crash_", "crash", 1, true, address, format);
#include <cstdint>

namespace platform::crash {
struct Fault;
}

class CrashReporter {
public:
    // Runs inside the signal handler: only async-signal-safe work.
    using Callback = int (*)(const platform::crash::Fault& fault);

    // Copies the settings and registers the report routine. The prefix may name a folder
    // ("crsh\\Crash_"), which must exist; the message format gets the report name, the dump name
    // and the support address for its three "%s".
    static void install(const char* prefix, const char* reportExtension, int dumpMode, bool showMessage,
                        const char* supportAddress, const char* messageFormat);
    // A callback installs the handlers (false when it is not code); null restores the previous
    // handlers and forgets the limit modules.
    static bool setCallback(Callback callback);
    // Limits reporting to faults in the module holding this address.
    static void addLimitModule(const void* module);
    // The crash helper's entry: returns its exit code when this process is the helper, else -1.
    static int runHelperIfRequested(int argc, char** argv);
};
