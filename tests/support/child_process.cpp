#include "tests/support/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <thread>

extern char** environ;

namespace testsupport {

namespace {

constexpr int kPollMs = 10;

using Clock = std::chrono::steady_clock;

std::string nameOf(const std::string& entry) { return entry.substr(0, entry.find('=') + 1); }

}  // namespace

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& args,
                           const std::vector<std::string>& environment, bool captureErrors) {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        const std::string entry(*e);
        const bool replaced = std::any_of(environment.begin(), environment.end(), [&](const std::string& o) {
            return nameOf(o) == nameOf(entry);
        });
        if (!replaced) env.push_back(entry);
    }
    env.insert(env.end(), environment.begin(), environment.end());
    std::vector<char*> envp;
    for (std::string& s : env) envp.push_back(s.data());
    envp.push_back(nullptr);
    std::vector<std::string> argStore{program};
    argStore.insert(argStore.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& s : argStore) argv.push_back(s.data());
    argv.push_back(nullptr);

    int pipeFds[2] = {-1, -1};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (captureErrors) {
        if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
            posix_spawn_file_actions_destroy(&actions);
            return;
        }
        posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 2);
    }
    pid_t pid = -1;
    if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data()) == 0) {
        m_pid = pid;
        m_started = true;
    }
    posix_spawn_file_actions_destroy(&actions);
    if (captureErrors) {
        ::close(pipeFds[1]);
        m_errors = pipeFds[0];
    }
}

ChildProcess::~ChildProcess() {
    if (m_pid > 0) wait(std::chrono::milliseconds(0));
    if (m_errors >= 0) ::close(m_errors);
}

std::string ChildProcess::readErrors(std::chrono::milliseconds limit) {
    std::string got;
    if (m_errors < 0) return got;
    const auto deadline = Clock::now() + limit;
    char buf[4096];
    for (;;) {
        pollfd pfd{m_errors, POLLIN, 0};
        if (::poll(&pfd, 1, kPollMs) > 0) {
            const ssize_t n = ::read(m_errors, buf, sizeof buf);
            if (n <= 0) break;  // every writer is gone
            got.append(buf, static_cast<size_t>(n));
        }
        if (Clock::now() > deadline) {
            if (m_pid > 0) ::kill(m_pid, SIGKILL);
            break;
        }
    }
    return got;
}

ChildExit ChildProcess::wait(std::chrono::milliseconds limit, const std::function<bool()>& killWhen) {
    if (m_pid <= 0) return m_exit;
    const auto deadline = Clock::now() + limit;
    int status = 0;
    for (;;) {
        const pid_t done = ::waitpid(m_pid, &status, WNOHANG);
        if (done == m_pid) break;
        if (done < 0) return m_exit;
        if (killWhen && killWhen()) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, &status, 0);
            m_pid = -1;
            m_exit = ChildExit{true, -1, SIGKILL};
            return m_exit;
        }
        if (Clock::now() > deadline) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, &status, 0);
            m_pid = -1;  // reaped: nothing left to wait for
            m_exit = ChildExit{false, -1, SIGKILL};
            return m_exit;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
    }
    m_pid = -1;
    m_exit.finished = true;
    if (WIFEXITED(status)) m_exit.exitCode = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) m_exit.termSignal = WTERMSIG(status);
    return m_exit;
}

FifoReader::FifoReader(const std::string& path) {
    if (::mkfifo(path.c_str(), 0600) != 0) return;
    m_fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
}

FifoReader::~FifoReader() { close(); }

void FifoReader::close() {
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
}

std::string FifoReader::readLines(size_t lines, std::chrono::milliseconds limit) {
    std::string got;
    if (m_fd < 0) return got;
    const auto deadline = Clock::now() + limit;
    while (static_cast<size_t>(std::count(got.begin(), got.end(), '\n')) < lines && Clock::now() < deadline) {
        pollfd pfd{m_fd, POLLIN, 0};
        if (::poll(&pfd, 1, kPollMs) > 0) {
            char buf[4096];
            const ssize_t n = ::read(m_fd, buf, sizeof buf);
            if (n > 0) got.append(buf, static_cast<size_t>(n));
        }
    }
    return got;
}

bool ChildProcess::signal(int number) { return m_pid > 0 && ::kill(m_pid, number) == 0; }

}  // namespace testsupport
