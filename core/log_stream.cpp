#include "core/log_stream.h"

#include <cstdio>
#include <fstream>
#include <mutex>
#include <vector>

#include "platform/clock.h"
#include "platform/files.h"
#include "platform/log_pipe.h"
#include "platform/log_sink.h"
#include "platform/paths.h"

namespace Tov {

// Module state beside the object; touched only under the log lock.
namespace {

std::recursive_mutex& logLock() {
    static std::recursive_mutex* lock = new std::recursive_mutex;  // outlives every static destructor
    return *lock;
}

unsigned g_counter = 0;
std::string g_fileName;
std::string g_level;
LogStream* g_instance = nullptr;
bool g_destroyed = false;
LogStream::Observer g_observer = nullptr;

void platformSink(const char* level, const std::string& text) {
    LogLine(level) << text;
}

constexpr const char* kBackupFolder = "OldLogs";

std::string levelFileName(const std::string& name, const char* level) {
    size_t dot = name.rfind('.');
    if (dot == std::string::npos) return name + "_" + level;
    return name.substr(0, dot) + "_" + level + name.substr(dot);
}

}  // namespace

struct LogStreamAccess {
    static LogStream* create() { return new LogStream(); }
};

namespace {
// Destroys the log at exit; later loggers find no log and their messages are dropped.
struct LogOwner {
    LogOwner() { LogStream::instance(); }
    ~LogOwner() {
        std::lock_guard<std::recursive_mutex> guard(logLock());
        platform::setLogSink(nullptr);
        delete g_instance;
        g_instance = nullptr;
        g_destroyed = true;
    }
} g_logOwner;
}  // namespace

LogStream* LogStream::instance() {
    if (!g_instance && !g_destroyed) {
        std::lock_guard<std::recursive_mutex> guard(logLock());
        if (!g_instance && !g_destroyed) {
            g_instance = LogStreamAccess::create();
            platform::setLogSink(&platformSink);
        }
    }
    return g_instance;
}

LogStream::LogStream() : m_pipe(std::make_unique<platform::LogPipe>()) {
    *this << std::boolalpha;  // booleans are logged as the words true and false
    m_pipe->openIfListening(platform::logPipePath());
}

LogStream::~LogStream() {
    m_pipe->close();
    for (auto& [name, stream] : m_files) stream->close();
}

LogStream* LogStream::beginMessage(const std::string& level) {
    logLock().lock();
    g_level = level;
    platform::LocalTime t = platform::localTime();
    char time[16];
    std::snprintf(time, sizeof time, "%02d:%02d:%02d", t.hour, t.minute, t.second);
    *this << g_counter << '\t' << time << '\t' << level << '\t';
    return this;
}

bool LogStream::endLine() {
    *this << "\n";
    flushMessage();
    return true;
}

void LogStream::flushMessage() {
    std::string text = str();
    bool sent = false;
    if (m_pipe->isOpen()) {
        sent = m_pipe->write(text.data(), text.size());
        // A viewer that went away leaves the pipe closed: the file takes over from here on.
    }
    if (!sent && !g_fileName.empty()) {
        auto it = m_files.find(g_fileName);
        if (it == m_files.end()) {
            auto host = platform::resolvePath(g_fileName, platform::PathUse::Create);
            auto stream = std::make_unique<std::ofstream>();
            if (host) stream->open(*host, std::ios::out | std::ios::app);
            if (stream->is_open()) it = m_files.emplace(g_fileName, std::move(stream)).first;
        }
        if (it != m_files.end()) {
            *it->second << text;
            it->second->flush();
        }
    }
    if (g_observer) g_observer(text);
    ++g_counter;
    g_level.clear();
    str(std::string());
    clear();
    logLock().unlock();
}

void LogStream::setObserver(Observer observer) {
    std::lock_guard<std::recursive_mutex> guard(logLock());
    g_observer = observer;
}

void LogStream::setFile(const std::string& name, bool backup) {
    std::lock_guard<std::recursive_mutex> guard(logLock());
    g_fileName = name;
    g_counter = 0;
    if (backup && platform::fileExists(name)) {
        platform::LocalTime t = platform::localTime();
        char stamp[64];
        std::snprintf(stamp, sizeof stamp, "%04d_%02d_%02d_%02d_%02d_%02d", t.year, t.month, t.day, t.hour,
                      t.minute, t.second);
        // The copy is named after the log's own file name: a folder part has no place in it.
        const size_t slash = name.find_last_of("\\/");
        const std::string copy = std::string(kBackupFolder) + "\\" + stamp + "_" +
                                 (slash == std::string::npos ? name : name.substr(slash + 1));
        if (!platform::createDirectory(kBackupFolder) || !platform::copyFile(name, copy, true)) {
            // Without its copy the old log is all there is of the last run: keep it.
            LogLine("ERROR") << "Tov::LogStream::setFile" << ": cannot back up " << name << " as " << copy
                             << "; the old log is kept and continued";
            return;
        }
    }
    // The file the log holds open stays: deleting it would lose the lines written so far.
    if (g_instance && g_instance->m_files.count(name)) return;
    std::vector<std::string> stale = {name};
    for (const char* level : {"MESSAGE", "WARNING", "ERROR"}) stale.push_back(levelFileName(name, level));
    for (const std::string& file : stale)
        if (platform::fileExists(file) && !platform::deleteFile(file))
            LogLine("WARNING") << "Tov::LogStream::setFile" << ": cannot delete " << file;
}

LogLine::LogLine(const std::string& level) : m_log(LogStream::instance()) {
    if (m_log) m_log->beginMessage(level);
}

LogLine::~LogLine() {
    if (m_log) m_log->endLine();
}

}  // namespace Tov
