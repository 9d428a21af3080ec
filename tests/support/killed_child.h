#pragma once
// Runs work in a child process and kills it with SIGKILL halfway, as a power cut or the task
// manager would: nothing of the child's own clean-up runs.
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

namespace testsupport {

// The child runs `untilKilled`; when that returns true the child tells the parent and waits, and
// the parent kills it with SIGKILL and reaps it. True when the child got that far (within
// `timeoutMs`) and died of SIGKILL.
inline bool runUntilKilled(const std::function<bool()>& untilKilled, int timeoutMs = 20000) {
    int ready[2];
    if (::pipe(ready) != 0) return false;
    const pid_t pid = ::fork();
    if (pid < 0) {
        ::close(ready[0]);
        ::close(ready[1]);
        return false;
    }
    if (pid == 0) {
        ::close(ready[0]);
        if (!untilKilled()) ::_exit(1);
        const char byte = 1;
        if (::write(ready[1], &byte, 1) != 1) ::_exit(1);
        for (;;) ::pause();
    }
    ::close(ready[1]);
    pollfd pfd{ready[0], POLLIN, 0};
    char byte = 0;
    const bool gotThere = ::poll(&pfd, 1, timeoutMs) == 1 && ::read(ready[0], &byte, 1) == 1;
    ::close(ready[0]);
    ::kill(pid, SIGKILL);
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid) return false;
    return gotThere && WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}

}  // namespace testsupport
