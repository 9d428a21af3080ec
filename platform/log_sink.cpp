#include "platform/log_sink.h"

#include <atomic>
#include <cstdio>

namespace platform {
namespace {
std::atomic<LogSink> g_sink{nullptr};
}

void setLogSink(LogSink sink) { g_sink.store(sink); }

void log(const char* level, const std::string& text) {
    if (LogSink sink = g_sink.load()) {
        sink(level, text);
        return;
    }
    std::fprintf(stderr, "%s\t%s\n", level, text.c_str());
}

}  // namespace platform
