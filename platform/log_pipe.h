#pragma once
// The log viewer's pipe: a FIFO at a fixed path, used only when a reader already has it open.
// It is never created and never waited for.
#include <cstddef>
#include <string>

namespace platform {

// "/tmp/mypipe", or the path in the environment variable TOV_LOG_PIPE (tests use their own).
std::string logPipePath();

class LogPipe {
public:
    LogPipe() = default;
    ~LogPipe();
    LogPipe(const LogPipe&) = delete;
    LogPipe& operator=(const LogPipe&) = delete;

    // Opens the FIFO for writing when a reader is present; false otherwise (no FIFO, no reader).
    bool openIfListening(const std::string& path);
    bool isOpen() const { return fd_ >= 0; }
    // Writes the whole text; false (and closed) once the reader has gone away.
    [[nodiscard]] bool write(const char* data, size_t size);
    void close();

private:
    int fd_ = -1;
};

}  // namespace platform
