#include "script/console_sink.h"

namespace script {

namespace {
ConsoleSink* g_sink = nullptr;
}

void setConsoleSink(ConsoleSink* sink) { g_sink = sink; }
ConsoleSink* consoleSink() { return g_sink; }

void consolePrint(const char* line) {
    if (g_sink && line) g_sink->print(line);
}

}  // namespace script
