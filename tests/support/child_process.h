#pragma once
// Child processes and FIFOs for tests of code that only shows its behaviour in another process
// (crashes, the log viewer's pipe). Every wait is bounded: a child past its limit is killed.
#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace testsupport {

struct ChildExit {
    bool finished = false;  // false when the child was killed for running past the limit
    int exitCode = -1;      // -1 unless it exited normally
    int termSignal = 0;     // the signal that ended it, 0 when it exited
};

class ChildProcess {
public:
    // Starts program with the arguments; each "NAME=value" of environment replaces or adds that
    // variable of this process's environment. With captureErrors the child's standard error comes
    // to readErrors.
    ChildProcess(const std::string& program, const std::vector<std::string>& args,
                 const std::vector<std::string>& environment = {}, bool captureErrors = false);
    // Kills and reaps a child still running.
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool started() const { return m_started; }
    // Sends a signal (SIGTERM, SIGKILL, ...) to a child still running; false when there is none.
    bool signal(int number);
    // Collects the standard error until every writer (the child and whatever it started) has
    // closed it; past the limit the child is killed.
    std::string readErrors(std::chrono::milliseconds limit);
    // Waits for the child to end; past the limit it is killed. killWhen, asked at each look, kills
    // it with SIGKILL once it answers true (a power cut at a chosen moment); that end counts as
    // finished, with termSignal SIGKILL.
    ChildExit wait(std::chrono::milliseconds limit, const std::function<bool()>& killWhen = {});

private:
    int m_pid = -1;  // -1 once reaped
    bool m_started = false;
    int m_errors = -1;
    ChildExit m_exit;
};

// The reading end of a FIFO made at path, opened without waiting for a writer.
class FifoReader {
public:
    explicit FifoReader(const std::string& path);
    ~FifoReader();
    FifoReader(const FifoReader&) = delete;
    FifoReader& operator=(const FifoReader&) = delete;

    bool isOpen() const { return m_fd >= 0; }
    // Reads until `lines` newline characters have come or the limit has passed.
    std::string readLines(size_t lines, std::chrono::milliseconds limit);
    void close();

private:
    int m_fd = -1;
};

}  // namespace testsupport
