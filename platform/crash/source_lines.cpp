#include "platform/crash/source_lines.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <link.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <sstream>

extern char** environ;

namespace platform::crash {
namespace {

constexpr const char* kAddr2Line = "addr2line";
constexpr int kPollStepMs = 50;

// The address as the module's debug information knows it (its own virtual address), or 0.
uintptr_t moduleAddress(uintptr_t address) {
    Dl_info info{};
    link_map* module = nullptr;
    if (!::dladdr1(reinterpret_cast<void*>(address), &info, reinterpret_cast<void**>(&module), RTLD_DL_LINKMAP) ||
        !module)
        return 0;
    return address - static_cast<uintptr_t>(module->l_addr);
}

// The standard output of a program run with `args`, or "" when it cannot run or takes longer
// than until `deadline` (it is then killed).
std::string outputOf(const std::vector<std::string>& args, std::chrono::steady_clock::time_point deadline) {
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0) return {};
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    ::posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int spawned = ::posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    ::posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    std::string text;
    if (spawned != 0) {
        ::close(out[0]);
        return text;
    }
    bool complete = false;
    while (std::chrono::steady_clock::now() < deadline) {
        pollfd pfd{out[0], POLLIN, 0};
        if (::poll(&pfd, 1, kPollStepMs) <= 0) continue;
        char buffer[4096];
        const ssize_t n = ::read(out[0], buffer, sizeof buffer);
        if (n <= 0) {
            complete = n == 0;
            break;
        }
        text.append(buffer, static_cast<size_t>(n));
    }
    ::close(out[0]);
    if (!complete) ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return complete && WIFEXITED(status) && WEXITSTATUS(status) == 0 ? text : std::string();
}

// ", file, line 0042" from addr2line's "file:42" or "file:42 (discriminator 3)"; "" for "??:0".
std::string lineText(std::string line) {
    const size_t extra = line.find(" (");
    if (extra != std::string::npos) line.resize(extra);
    const size_t colon = line.rfind(':');
    if (colon == std::string::npos || colon == 0) return {};
    const std::string file = line.substr(0, colon);
    const std::string number = line.substr(colon + 1);
    if (file == "??" || number.empty() || number.find_first_not_of("0123456789") != std::string::npos) return {};
    const unsigned long lineNumber = std::stoul(number);
    if (lineNumber == 0) return {};
    char text[32];
    std::snprintf(text, sizeof text, ", line %04lu", lineNumber);
    return ", " + file + text;
}

}  // namespace

std::vector<std::string> sourceLineTexts(const std::vector<CodeAddress>& addresses, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    std::vector<std::string> texts(addresses.size());
    // One addr2line run per module, with all of its addresses.
    std::map<std::string, std::vector<size_t>> byModule;
    std::vector<uintptr_t> moduleAddresses(addresses.size());
    for (size_t i = 0; i < addresses.size(); ++i) {
        const CodeAddress& a = addresses[i];
        uintptr_t address = a.address ? moduleAddress(a.address) : 0;
        if (!address || a.modulePath.empty()) continue;
        moduleAddresses[i] = a.returnAddress ? address - 1 : address;
        byModule[a.modulePath].push_back(i);
    }
    for (const auto& [module, indices] : byModule) {
        std::vector<std::string> args = {kAddr2Line, "-e", module};
        for (size_t i : indices) {
            char hex[32];
            std::snprintf(hex, sizeof hex, "0x%lx", static_cast<unsigned long>(moduleAddresses[i]));
            args.push_back(hex);
        }
        std::istringstream out(outputOf(args, deadline));
        std::string line;
        for (size_t i : indices) {
            if (!std::getline(out, line)) break;
            texts[i] = lineText(line);
        }
    }
    return texts;
}

}  // namespace platform::crash
