#include "core/log_stream.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <future>
#include <regex>
#include <set>
#include <sstream>
#include <thread>
#include <vector>

#include "tests/support/child_process.h"
#include "tests/support/temp_dir.h"

namespace {

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

const std::regex kLine(R"(^\d+\t\d\d:\d\d:\d\d\t(MESSAGE|WARNING|ERROR)\t.*$)");

TEST(LogStream, LineLayoutCounterAndRestart) {
    testsupport::TempDir dir;
    std::string name = (dir.path() / "first.log").string();
    Tov::LogStream::setFile(name, false);
    Tov::LogLine("MESSAGE") << "hello " << 42 << ' ' << true;
    Tov::LogLine("WARNING");
    Tov::LogStream* log = Tov::LogStream::instance()->beginMessage("ERROR");
    *log << "Func: text";
    log->endLine();
    std::string text = testsupport::readFile(name);
    ASSERT_EQ(text.back(), '\n');
    auto l = lines(text);
    ASSERT_EQ(l.size(), 3u);
    for (const auto& line : l) EXPECT_TRUE(std::regex_match(line, kLine)) << line;
    EXPECT_EQ(l[0].substr(0, 2), "0\t");
    EXPECT_NE(l[0].find("\tMESSAGE\thello 42 true"), std::string::npos);
    EXPECT_EQ(l[1].substr(l[1].size() - 9), "\tWARNING\t");  // no text still makes a whole line
    EXPECT_EQ(l[2].substr(0, 2), "2\t");

    // Naming the same file again restarts the counter and keeps the lines written so far.
    Tov::LogStream::setFile(name, false);
    Tov::LogLine("MESSAGE") << "after";
    l = lines(testsupport::readFile(name));
    ASSERT_EQ(l.size(), 4u);
    EXPECT_EQ(l[3].substr(0, 2), "0\t");
}

std::vector<std::string> g_observed;
void observe(const std::string& line) { g_observed.push_back(line); }

TEST(LogStream, TheObserverSeesEveryLineAsWritten) {
    testsupport::TempDir dir;
    const std::string name = (dir.path() / "observed.log").string();
    Tov::LogStream::setFile(name, false);
    g_observed.clear();
    Tov::LogStream::setObserver(observe);
    Tov::LogLine("MESSAGE") << "seen " << 1;
    Tov::LogLine("ERROR") << "seen " << 2;
    Tov::LogStream::setObserver(nullptr);
    Tov::LogLine("MESSAGE") << "not seen";
    ASSERT_EQ(g_observed.size(), 2u);
    const std::vector<std::string> written = lines(testsupport::readFile(name));
    ASSERT_EQ(written.size(), 3u);
    EXPECT_EQ(g_observed[0], written[0] + "\n");
    EXPECT_EQ(g_observed[1], written[1] + "\n");
    EXPECT_NE(g_observed[1].find("\tERROR\tseen 2"), std::string::npos);
}

TEST(LogStream, SetFileDeletesOldFileAndLevelFiles) {
    testsupport::TempDir dir;
    for (const char* n : {"old.log", "old_MESSAGE.log", "old_WARNING.log", "old_ERROR.log", "old_OTHER.log"})
        testsupport::writeFile(n, "stale\n");
    std::string name = (dir.path() / "old.log").string();
    Tov::LogStream::setFile(name, false);
    EXPECT_FALSE(std::filesystem::exists("old.log"));
    EXPECT_FALSE(std::filesystem::exists("old_ERROR.log"));
    EXPECT_TRUE(std::filesystem::exists("old_OTHER.log"));
    Tov::LogLine("MESSAGE") << "fresh";
    EXPECT_EQ(lines(testsupport::readFile("old.log")).size(), 1u);
}

// With the backup flag the old log is copied into "OldLogs" (under its own name, also when the
// log's name has a folder part) before it is deleted; when no copy can be made it is kept.
TEST(LogStream, BackupKeepsTheOldLogUnlessTheCopyIsMade) {
    testsupport::TempDir dir;
    testsupport::writeFile("logs/backed.log", "previous run\n");
    Tov::LogStream::setFile("logs/backed.log", true);
    EXPECT_FALSE(std::filesystem::exists("logs/backed.log"));
    std::vector<std::string> copies;
    for (auto& e : std::filesystem::directory_iterator("OldLogs")) copies.push_back(e.path().filename().string());
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_TRUE(std::regex_match(copies[0], std::regex(R"(\d{4}(_\d\d){5}_backed\.log)"))) << copies[0];
    EXPECT_EQ(testsupport::readFile("OldLogs/" + copies[0]), "previous run\n");

    // "OldLogs" is a file here: no backup can be made, so the old log stays and says why.
    std::filesystem::remove_all("OldLogs");
    testsupport::writeFile("OldLogs", "in the way");
    const std::string kept = (dir.path() / "kept.log").string();
    testsupport::writeFile(kept, "previous run\n");
    Tov::LogStream::setFile(kept, true);
    auto l = lines(testsupport::readFile(kept));
    ASSERT_EQ(l.size(), 2u);
    EXPECT_EQ(l[0], "previous run");
    EXPECT_NE(l[1].find("\tERROR\tTov::LogStream::setFile: "), std::string::npos) << l[1];
    EXPECT_NE(l[1].find("kept.log"), std::string::npos) << l[1];
}

TEST(LogStream, ThreadsNeverMixLines) {
    testsupport::TempDir dir;
    std::string name = (dir.path() / "threads.log").string();
    Tov::LogStream::setFile(name, false);
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t)
        threads.emplace_back([t] {
            for (int i = 0; i < 1000; ++i) Tov::LogLine("MESSAGE") << "thread " << t << " message " << i;
        });
    for (auto& th : threads) th.join();
    auto l = lines(testsupport::readFile(name));
    ASSERT_EQ(l.size(), 8000u);
    std::set<int> counters;
    const std::regex whole(R"(^(\d+)\t\d\d:\d\d:\d\d\tMESSAGE\tthread [0-7] message \d+$)");
    for (const auto& line : l) {
        std::smatch m;
        ASSERT_TRUE(std::regex_match(line, m, whole)) << line;
        counters.insert(std::stoi(m[1]));
    }
    EXPECT_EQ(counters.size(), 8000u);
    EXPECT_EQ(*counters.begin(), 0);
    EXPECT_EQ(*counters.rbegin(), 7999);
}

TEST(LogStream, ExceptionInsideMessageReleasesTheLock) {
    testsupport::TempDir dir;
    std::string name = (dir.path() / "exc.log").string();
    Tov::LogStream::setFile(name, false);
    try {
        Tov::LogLine line("ERROR");
        line << "half";
        throw 1;
    } catch (int) {
    }
    auto other = std::async(std::launch::async, [] { Tov::LogLine("MESSAGE") << "other thread"; });
    ASSERT_EQ(other.wait_for(std::chrono::seconds(20)), std::future_status::ready);
    auto l = lines(testsupport::readFile(name));
    ASSERT_EQ(l.size(), 2u);
    EXPECT_NE(l[0].find("\tERROR\thalf"), std::string::npos);
}

constexpr std::chrono::seconds kChildLimit(60);

// Starts the child logger with the viewer's pipe at `pipe`.
testsupport::ChildProcess startChild(const std::string& pipe, int count, int delayMs) {
    return testsupport::ChildProcess(LOG_PIPE_CHILD, {std::to_string(count), std::to_string(delayMs)},
                                     {"TOV_LOG_PIPE=" + pipe});
}

TEST(LogStream, ListeningPipeTakesAllLinesAndNoFileIsCreated) {
    testsupport::TempDir dir;
    std::string fifo = (dir.path() / "viewer").string();
    testsupport::FifoReader reader(fifo);
    ASSERT_TRUE(reader.isOpen());
    testsupport::ChildProcess child = startChild(fifo, 50, 0);
    ASSERT_TRUE(child.started());
    std::string got = reader.readLines(50, kChildLimit);
    testsupport::ChildExit exit = child.wait(kChildLimit);
    reader.close();
    EXPECT_EQ(exit.exitCode, 0);
    auto l = lines(got);
    ASSERT_EQ(l.size(), 50u);
    for (const auto& line : l) EXPECT_TRUE(std::regex_match(line, kLine)) << line;
    EXPECT_FALSE(std::filesystem::exists("megalog.log"));
}

TEST(LogStream, ViewerGoingAwayLeavesTheProgramAliveOnTheFile) {
    testsupport::TempDir dir;
    std::string fifo = (dir.path() / "viewer").string();
    testsupport::FifoReader reader(fifo);
    ASSERT_TRUE(reader.isOpen());
    testsupport::ChildProcess child = startChild(fifo, 60, 5);
    ASSERT_TRUE(child.started());
    std::string got = reader.readLines(5, kChildLimit);
    reader.close();  // the viewer goes away mid-run
    testsupport::ChildExit exit = child.wait(kChildLimit);
    ASSERT_EQ(exit.termSignal, 0) << "child died of signal " << exit.termSignal;
    EXPECT_EQ(exit.exitCode, 0);
    auto piped = lines(got);
    auto filed = lines(testsupport::readFile("megalog.log"));
    EXPECT_GE(piped.size(), 5u);
    ASSERT_FALSE(filed.empty());
    EXPECT_LE(piped.size() + filed.size(), 60u);
    EXPECT_GE(piped.size() + filed.size(), 55u);  // only lines still in the pipe when it closed are lost
    EXPECT_NE(filed.back().find("line 59"), std::string::npos);
}

}  // namespace
