#pragma once
// Where the platform layer reports its own errors. The core log installs itself here at start;
// until then (early static initialisation) lines go to stderr.
#include <string>

namespace platform {

using LogSink = void (*)(const char* level, const std::string& text);

void setLogSink(LogSink sink);
void log(const char* level, const std::string& text);

}  // namespace platform
