// Logs `count` lines, `delayMs` apart, into "megalog.log" of the working folder (or the viewer's
// pipe when one listens). Used by the log tests to watch a second process.
#include <cstdlib>

#include "core/log_stream.h"
#include "platform/clock.h"

int main(int argc, char** argv) {
    int count = argc > 1 ? std::atoi(argv[1]) : 10;
    unsigned delayMs = argc > 2 ? static_cast<unsigned>(std::atoi(argv[2])) : 0;
    Tov::LogStream::setFile("megalog.log", false);
    for (int i = 0; i < count; ++i) {
        Tov::LogLine("MESSAGE") << "line " << i;
        if (delayMs) platform::sleepMs(delayMs);
    }
    return 0;
}
