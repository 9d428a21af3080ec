#include "core/crash_reporter.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/child_process.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

struct ChildRun {
    int termSignal = 0;  // 0 when the child exited normally
    int exitCode = -1;
    std::string err;
};

// Runs the crashing program in the current folder with its sanitizer signal handling off, so the
// reporter's handler is the one that runs and the exit status names the signal.
ChildRun runChild(const std::string& how) {
    ChildRun run;
    const std::chrono::seconds limit(60);
    testsupport::ChildProcess child(
        CRASH_CHILD, {how},
        {"ASAN_OPTIONS=handle_segv=0:handle_sigbus=0:handle_sigfpe=0:handle_sigill=0:handle_abort=0:detect_leaks=0",
         "SDL_VIDEODRIVER=offscreen", "SDL_AUDIODRIVER=dummy"},
        true);
    if (!child.started()) return run;
    run.err = child.readErrors(limit);
    const testsupport::ChildExit exit = child.wait(limit);
    run.termSignal = exit.termSignal;
    run.exitCode = exit.exitCode;
    return run;
}

std::vector<std::string> filesWith(const std::string& extension) {
    std::vector<std::string> out;
    if (!fs::exists("crsh")) return out;
    for (const auto& e : fs::directory_iterator("crsh"))
        if (e.path().extension() == extension) out.push_back(e.path().string());
    return out;
}

// ", line 0015" for the line of the crashing program's source that holds `marker`.
std::string childSourceLine(const std::string& marker) {
    std::istringstream in(testsupport::readFile(std::string(TOV_TEST_SOURCE_DIR) + "/tests/platform/crash/crash_child.cpp"));
    int number = 1;
    for (std::string line; std::getline(in, line); ++number) {
        if (line.find(marker) == std::string::npos) continue;
        char text[32];
        std::snprintf(text, sizeof text, ", line %04d", number);
        return text;
    }
    return "marker not found";
}

std::vector<std::string> linesOf(const std::string& path) {
    std::vector<std::string> lines;
    std::istringstream in(testsupport::readFile(path));
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

TEST(CrashReporter, AccessViolationWritesReportDumpAndMessage) {
    testsupport::TempDir dir;
    ChildRun run = runChild("segv");
    EXPECT_EQ(run.termSignal, SIGSEGV);

    auto reports = filesWith(".crash");
    auto dumps = filesWith(".dmp");
    ASSERT_EQ(reports.size(), 1u);
    ASSERT_EQ(dumps.size(), 1u);
    std::string stem = reports[0].substr(0, reports[0].size() - 6);
    EXPECT_EQ(dumps[0], stem + ".dmp");
    EXPECT_EQ(stem.rfind("crsh/Crash_", 0), 0u);

    auto lines = linesOf(reports[0]);
    ASSERT_GE(lines.size(), 5u);
    EXPECT_EQ(lines[0].rfind("crash_child caused an EXCEPTION_ACCESS_VIOLATION in module crash_child at ", 0), 0u)
        << lines[0];
    EXPECT_NE(lines[0].find("crashNow"), std::string::npos) << lines[0];
    EXPECT_EQ(lines[1].rfind("RAX=", 0), 0u);
    EXPECT_NE(lines[3].find("RIP="), std::string::npos);
    // The faulting function first, then its callers (main among them).
    EXPECT_NE(lines[4].find(" crash_child, crashNow"), std::string::npos) << lines[4];
    bool sawMain = false;
    for (size_t i = 5; i < lines.size(); ++i) sawMain |= lines[i].find(", main") != std::string::npos;
    EXPECT_TRUE(sawMain);
    // Source file and line from the program's debug information: the faulting statement, and the
    // call in main for the caller's frame.
    const std::string faultLine = "crash_child.cpp" + childSourceLine("// the faulting line");
    EXPECT_NE(lines[0].find(faultLine), std::string::npos) << lines[0];
    EXPECT_NE(lines[4].find(faultLine), std::string::npos) << lines[4];
    EXPECT_NE(lines[5].find("crash_child.cpp" + childSourceLine("crashNow();")), std::string::npos) << lines[5];

    EXPECT_EQ(testsupport::readFile(dumps[0]).substr(0, 8), "TOVDUMP1");
    EXPECT_NE(run.err.find("Fatal error. Send information request.\n"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("Fatal error! Press OK and send files " + stem + ".crash and " + stem +
                           ".dmp to developers email support@orlimand.example."),
              std::string::npos)
        << run.err;
}

TEST(CrashReporter, StackOverflowHasExactlyOneFrame) {
    testsupport::TempDir dir;
    ChildRun run = runChild("overflow");
    EXPECT_EQ(run.termSignal, SIGSEGV);
    auto reports = filesWith(".crash");
    ASSERT_EQ(reports.size(), 1u);
    auto lines = linesOf(reports[0]);
    ASSERT_EQ(lines.size(), 5u);  // fault line, three register lines, one frame
    EXPECT_NE(lines[0].find(" caused an EXCEPTION_STACK_OVERFLOW in module crash_child"), std::string::npos)
        << lines[0];
    EXPECT_NE(lines[4].find("recurseForever"), std::string::npos) << lines[4];
    const std::string bang(33, '!');
    EXPECT_NE(run.err.find(bang + "\nEXCEPTION_STACK_OVERFLOW occurred\n" + bang + "\n"), std::string::npos)
        << run.err;
}

TEST(CrashReporter, DumpModeZeroWritesNoDumpButNamesIt) {
    testsupport::TempDir dir;
    ChildRun run = runChild("nodump");
    EXPECT_EQ(run.termSignal, SIGSEGV);
    EXPECT_EQ(filesWith(".crash").size(), 1u);
    EXPECT_TRUE(filesWith(".dmp").empty());
    EXPECT_NE(run.err.find(".dmp to developers email"), std::string::npos) << run.err;
}

TEST(CrashReporter, WorkerThreadCrashIsReported) {
    testsupport::TempDir dir;
    ChildRun run = runChild("worker");
    EXPECT_EQ(run.termSignal, SIGSEGV);
    auto reports = filesWith(".crash");
    ASSERT_EQ(reports.size(), 1u);
    auto lines = linesOf(reports[0]);
    ASSERT_GE(lines.size(), 5u);
    EXPECT_NE(lines[0].find("EXCEPTION_ACCESS_VIOLATION"), std::string::npos);
    EXPECT_NE(lines[4].find("crashNow"), std::string::npos) << lines[4];
}

TEST(CrashReporter, OtherEndings) {
    struct Case {
        const char* how;
        int signal;
        const char* name;  // null: no report
        bool message;
    };
    const Case cases[] = {
        {"abort", SIGABRT, " caused an SIGABRT (Aborted) in module ", true},
        {"terminate", SIGABRT, " caused an Microsoft C++ Exception in module ", true},
        {"quiet", SIGSEGV, " caused an EXCEPTION_ACCESS_VIOLATION", false},
        {"removed", SIGSEGV, nullptr, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        testsupport::TempDir dir;
        ChildRun run = runChild(c.how);
        EXPECT_EQ(run.termSignal, c.signal);
        auto reports = filesWith(".crash");
        if (!c.name) {
            EXPECT_TRUE(reports.empty());
        } else {
            ASSERT_EQ(reports.size(), 1u);
            auto lines = linesOf(reports[0]);
            ASSERT_FALSE(lines.empty());
            EXPECT_NE(lines[0].find(c.name), std::string::npos) << lines[0];
        }
        EXPECT_EQ(run.err.find("Fatal error. Send information request.") != std::string::npos, c.message)
            << run.err;
    }
}

}  // namespace
