#include "core/crash_reporter.h"

#include <string>

#include "platform/crash/crash_handler.h"
#include "platform/paths.h"

namespace {

// Restores the previous handlers at process exit.
struct Teardown {
    ~Teardown() { CrashReporter::setCallback(nullptr); }
} g_teardown;

// "crsh\\Crash_" -> the host folder of "crsh" + "/Crash_".
std::string hostPrefix(const char* prefix) {
    std::string p = prefix ? prefix : "";
    size_t cut = p.find_last_of("\\/");
    if (cut == std::string::npos) return p;
    std::optional<std::string> folder = platform::resolvePath(p.substr(0, cut), platform::PathUse::Create);
    return (folder ? *folder : platform::toSlashes(p.substr(0, cut))) + "/" + p.substr(cut + 1);
}

}  // namespace

void CrashReporter::install(const char* prefix, const char* reportExtension, int dumpMode, bool showMessage,
                            const char* supportAddress, const char* messageFormat) {
    platform::crash::configure(hostPrefix(prefix).c_str(), reportExtension, dumpMode, showMessage,
                               supportAddress, messageFormat);
    setCallback(&platform::crash::writeReport);
}

bool CrashReporter::setCallback(Callback callback) { return platform::crash::setCallback(callback); }

void CrashReporter::addLimitModule(const void* module) { platform::crash::addLimitModule(module); }

int CrashReporter::runHelperIfRequested(int argc, char** argv) {
    return platform::crash::runHelperIfRequested(argc, argv);
}
