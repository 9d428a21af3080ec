#pragma once
// The single log. A message is opened with a level word, filled with ordinary stream insertions and
// closed; it becomes one line "counter\tHH:MM:SS\tLEVEL\ttext\n", written to the log viewer's pipe
// when one listened at start, else appended to the log file. One lock is held from the opening to
// the closing of a message, so lines of different threads never mix.
#include <map>
#include <memory>
#include <sstream>
#include <string>

namespace platform {
class LogPipe;
}

namespace Tov {

class LogStream : public std::stringstream {
public:
    static LogStream* instance();

    LogStream* beginMessage(const std::string& level);
    bool endLine();
    void flushMessage();

    // Names the log file and starts it afresh: the counter restarts at 0 and the old file (and its
    // per-level siblings) are deleted, unless the log already has that file open. With `backup`
    // the old file is first copied into "OldLogs"; when that fails it is kept (and an ERROR says
    // why).
    static void setFile(const std::string& name, bool backup);

    // One observer of every line as it is written (the line with its counter, stamp, level and
    // line end): headless runs hand the lines to their input script's waits. It runs under the log
    // lock and must not log. Null removes it.
    using Observer = void (*)(const std::string& line);
    static void setObserver(Observer observer);

    ~LogStream() override;

private:
    LogStream();
    friend struct LogStreamAccess;

    std::unique_ptr<platform::LogPipe> m_pipe;
    std::map<std::string, std::unique_ptr<std::ofstream>> m_files;
};

// One message as a scoped object: it opens in the constructor and closes in the destructor, also
// when an exception leaves it half-written.
//   Tov::LogLine("ERROR") << "VFS::mount" << ": cannot open " << path;
class LogLine {
public:
    explicit LogLine(const std::string& level);
    ~LogLine();
    LogLine(const LogLine&) = delete;
    LogLine& operator=(const LogLine&) = delete;

    template <class V>
    LogLine& operator<<(const V& value) {
        if (m_log) *m_log << value;
        return *this;
    }
    LogLine& operator<<(std::ostream& (*manip)(std::ostream&)) {
        if (m_log) manip(*m_log);
        return *this;
    }

private:
    LogStream* m_log;
};

}  // namespace Tov
