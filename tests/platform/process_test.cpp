// The process services: the one-copy lock, the close signals, the per-user data folder and the
// browser opener.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "platform/process.h"
#include "tests/support/environment.h"
#include "tests/support/temp_dir.h"

namespace {

TEST(InstanceLock, OneHolderAtATimeAndTheLockDiesWithItsProcess) {
    testsupport::TempDir dir;
    testsupport::ScopedEnv runtime("XDG_RUNTIME_DIR", dir.path().string());
    EXPECT_EQ(platform::InstanceLock::pathFor("Game"), dir.path().string() + "/Game.lock");
    platform::InstanceLock first;
    ASSERT_EQ(first.acquire("Game"), platform::InstanceLock::Result::Acquired);
    platform::InstanceLock second;
    EXPECT_EQ(second.acquire("Game"), platform::InstanceLock::Result::HeldElsewhere);
    EXPECT_EQ(second.acquire("Other"), platform::InstanceLock::Result::Acquired);
    first.release();
    EXPECT_EQ(second.acquire("Game"), platform::InstanceLock::Result::Acquired);  // (already holds Other)
    second.release();

    // A holder killed with SIGKILL leaves the lock free.
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        platform::InstanceLock held;
        const char byte = held.acquire("Game") == platform::InstanceLock::Result::Acquired ? 1 : 0;
        if (::write(ready[1], &byte, 1) != 1) ::_exit(1);
        for (;;) ::pause();
    }
    char byte = 0;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1);
    EXPECT_EQ(byte, 1);
    platform::InstanceLock third;
    EXPECT_EQ(third.acquire("Game"), platform::InstanceLock::Result::HeldElsewhere);
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    EXPECT_EQ(third.acquire("Game"), platform::InstanceLock::Result::Acquired);
    ::close(ready[0]);
    ::close(ready[1]);
}

TEST(InstanceLock, WithoutARuntimeFolderTheLockIsPerUserInTmp) {
    testsupport::ScopedEnv runtime("XDG_RUNTIME_DIR", "");
    EXPECT_EQ(platform::InstanceLock::pathFor("Game"), "/tmp/Game-" + std::to_string(::getuid()) + ".lock");
}

TEST(CloseSignals, SigtermAndSigintBecomeOneCloseRequestEach) {
    platform::installCloseSignals();
    EXPECT_FALSE(platform::takeCloseRequest());
    ::raise(SIGTERM);
    EXPECT_TRUE(platform::takeCloseRequest());
    EXPECT_FALSE(platform::takeCloseRequest());
    ::raise(SIGINT);
    ::raise(SIGINT);
    EXPECT_TRUE(platform::takeCloseRequest());
    EXPECT_FALSE(platform::takeCloseRequest());
    ::signal(SIGTERM, SIG_DFL);
    ::signal(SIGINT, SIG_DFL);
}

TEST(UserDataFolder, TheTable) {
    struct Case {
        const char* data;
        const char* home;
        const char* folder;  // null: none
    };
    const Case cases[] = {
        {"/d/data", "/h", "/d/data"},
        {"", "/h", "/h/.local/share"},
        {"", "", nullptr},
    };
    for (const Case& c : cases) {
        testsupport::ScopedEnv data("XDG_DATA_HOME", c.data);
        testsupport::ScopedEnv home("HOME", c.home);
        const auto folder = platform::userDataFolder();
        if (c.folder)
            EXPECT_EQ(folder, std::optional<std::string>(c.folder));
        else
            EXPECT_FALSE(folder);
    }
}

TEST(OpenInBrowser, TheProgramGetsTheAddressAndAMissingProgramIsAFailure) {
    testsupport::TempDir dir;
    const std::string opener = (dir.path() / "opener").string();
    testsupport::writeFile(opener, "#!/bin/sh\necho \"$1\" > \"" + (dir.path() / "got").string() + "\"\n");
    std::filesystem::permissions(opener, std::filesystem::perms::owner_all);
    platform::setBrowserProgram(opener);
    EXPECT_TRUE(platform::openInBrowser("https://example.invalid/a b"));
    for (int i = 0; i < 500 && testsupport::readFile(dir.path() / "got").empty(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(testsupport::readFile(dir.path() / "got"), "https://example.invalid/a b\n");
    platform::setBrowserProgram((dir.path() / "no_such_program").string());
    EXPECT_FALSE(platform::openInBrowser("https://example.invalid/"));
    platform::setBrowserProgram("xdg-open");
}

}  // namespace
