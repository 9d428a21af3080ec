// Player profiles: creation, loading, names, damaged files, script keys, deletion, and saves
// that survive being killed.
#include <gtest/gtest.h>

#include <memory>
#include <thread>

#include "app/application.h"
#include "app/profiles.h"
#include "audio/media_center.h"
#include "core/cvar_catalogue.h"
#include "core/log_stream.h"
#include "script/script_core.h"
#include "tests/support/environment.h"
#include "tests/support/killed_child.h"
#include "tests/support/temp_dir.h"
#include "vfs/vfs_manager.h"

namespace {

namespace fs = std::filesystem;

class ProfilesTest : public ::testing::Test {
protected:
    testsupport::TempDir dir;
    testsupport::ScopedEnv home{"XDG_DATA_HOME", (dir.path() / "home").string()};
    fs::path folder = dir.path() / "home" / "orlimand" / "profiles";
    std::vector<std::pair<CVar*, std::string>> kept;
    std::string logPath = (dir.path() / "profiles.log").string();
    std::unique_ptr<VFS::VFSManager> vfs;
    std::vector<std::string> screens;

    void SetUp() override {
        for (CVar* v : {s_LastProfileName, s_musicVol, s_soundVol, s_fullScreenMode}) kept.emplace_back(v, v->toString());
        s_LastProfileName->setString("");
        Tov::LogStream::setFile(logPath, false);
        vfs = std::make_unique<VFS::VFSManager>();
        Profiles::setScreenHooks({[this] { screens.push_back("chooser"); }, [this] { screens.push_back("enter name"); },
                                  nullptr, [this](const std::string& key) { screens.push_back("message " + key); }});
    }
    void TearDown() override {
        Profiles::setScreenHooks({});
        vfs.reset();
        for (auto& [v, text] : kept) v->setFromString(text.c_str());
    }
    std::string file(const std::string& name) const { return testsupport::readFile(folder / name); }
    std::string log() const { return testsupport::readFile(logPath); }
};

constexpr const char* kNewProfile =
    "<?xml version=\"1.0\" standalone=\"yes\" ?>\n"
    "<root>\n"
    "    <object name=\"Anna\">\n"
    "        <boolean name=\"IsMuteAll\" value=\"false\" />\n"
    "        <string name=\"LastLevel\" value=\"\" />\n"
    "        <boolean name=\"IsWrongMsg\" value=\"false\" />\n"
    "        <string name=\"CurrentLevel\" value=\"\" />\n"
    "    </object>\n"
    "</root>\n";

TEST_F(ProfilesTest, CreationWritesTheFourKeysAndTheLastProfileName) {
    Profiles profiles;
    EXPECT_TRUE(profiles.createProfile("Anna"));
    EXPECT_EQ(file("Anna.prof"), kNewProfile);
    EXPECT_NE(file("config.sta").find("s_LastProfileName\t\"Anna\""), std::string::npos) << file("config.sta");
    EXPECT_EQ(profiles.names.back(), "Anna");
    EXPECT_EQ(profiles.name, "Anna");
    // Known by bare name at once.
    EXPECT_TRUE(vfs->findFile("anna.prof", 1));
}

TEST_F(ProfilesTest, StartUpTable) {
    struct Case {
        const char* what;
        std::vector<const char*> files;
        const char* last;
        const char* loaded;
        const char* screen;
    };
    const std::vector<Case> cases = {
        {"nothing yet", {}, "", "", "enter name"},
        {"the first listed", {"Zed", "Bob"}, "", "Bob", ""},
        {"the last one", {"Zed", "Bob"}, "Zed", "Zed", ""},
        {"the last one's file is gone", {"Bob"}, "Zed", "", "chooser"},
    };
    for (const Case& c : cases) {
        fs::remove_all(folder);
        fs::create_directories(folder);
        for (const char* name : c.files) testsupport::writeFile(folder / (std::string(name) + ".prof"), "");
        testsupport::writeFile(folder / "config.sta", std::string("s_LastProfileName \"") + c.last + "\"\n");
        screens.clear();
        {
            Profiles profiles;
            profiles.loadLastProfile();
            EXPECT_EQ(profiles.name, c.loaded) << c.what;
            EXPECT_EQ(screens, *c.screen ? std::vector<std::string>{c.screen} : std::vector<std::string>{})
                << c.what;
            profiles.name.clear();  // nothing saved by the destructor
        }
        vfs->unmountAll();
    }
}

TEST_F(ProfilesTest, LoadingReadsTheKeysAndMutingPausesAndCreationResumesSound) {
    testsupport::useHeadlessDrivers();
    fs::create_directories(folder);
    testsupport::writeFile(folder / "Max.prof",
                           "<root><object name=\"Max\"><string name=\"LastLevel\" value=\"room\" />"
                           "<string name=\"CurrentLevel\" value=\"hall\" /><boolean name=\"IsWrongMsg\" value=\"true\" />"
                           "<boolean name=\"IsMuteAll\" value=\"true\" /><string name=\"score\" value=\"7\" />"
                           "</object></root>");
    MediaSystem::MediaCenter media(50, 50);
    media.setSoundEnabled(true);
    Profiles profiles;
    profiles.loadLastProfile();
    EXPECT_EQ(profiles.name, "Max");
    EXPECT_EQ(profiles.LastLevel, "room");
    EXPECT_EQ(profiles.CurrentLevel, "hall");
    EXPECT_TRUE(profiles.anyFlag(Profiles::kWrongMsgShown));
    EXPECT_TRUE(profiles.anyFlag(Profiles::kMuteAll));
    EXPECT_FALSE(media.sndfxSystem()->isEnabled() && media.playSound("x", false, true, true) >= 0);
    // Creation clears the mute flag, keeps the notice flag, and starts with empty levels.
    ASSERT_TRUE(profiles.createProfile("New"));
    EXPECT_FALSE(profiles.anyFlag(Profiles::kMuteAll));
    EXPECT_TRUE(profiles.anyFlag(Profiles::kWrongMsgShown));
    EXPECT_EQ(profiles.CurrentLevel, "");
    // The old profile was saved first: its script key survived.
    EXPECT_NE(file("Max.prof").find("name=\"score\" value=\"7\""), std::string::npos) << file("Max.prof");
    EXPECT_NE(file("New.prof").find("name=\"IsWrongMsg\" value=\"true\""), std::string::npos);
}

TEST_F(ProfilesTest, VolumesBelongToTheInstallation) {
    Profiles profiles;
    ASSERT_TRUE(profiles.createProfile("Anna"));
    profiles.setMusicVolume(30);
    EXPECT_NE(file("config.sta").find("s_musicVol\t30.000"), std::string::npos) << file("config.sta");
    EXPECT_EQ(file("Anna.prof").find("Vol"), std::string::npos);
    profiles.setSoundVolume(80);
    ASSERT_TRUE(profiles.load("Anna"));
    EXPECT_EQ(s_musicVol->value.f[0], 30.0f);
    EXPECT_EQ(s_soundVol->value.f[0], 80.0f);
}

TEST_F(ProfilesTest, BadNamesAreRefusedWithoutAFile) {
    Profiles profiles;
    ASSERT_TRUE(profiles.createProfile("Anna"));
    const char* bad[] = {"", "   ", ".", "..", "a/b", "a\\b", "say\"hi", "tab\there", "elevenchars",
                         "ANNA", "anna", "\x01"};
    for (const char* name : bad) {
        screens.clear();
        EXPECT_FALSE(profiles.createProfile(name)) << name;
        EXPECT_TRUE(screens.empty()) << name;
    }
    // Ten characters, non-ASCII ones counted as one each, are fine.
    EXPECT_TRUE(profiles.createProfile("Jürgen1234"));
    EXPECT_TRUE(fs::exists(folder / "Jürgen1234.prof"));
    // The same name again: the message box, no change.
    EXPECT_FALSE(profiles.createProfile("Anna"));
    EXPECT_EQ(screens.back(), "message ids_changename");
    size_t files = 0;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().extension() == ".prof") ++files;
    EXPECT_EQ(files, 2u);
    EXPECT_NE(log().find("WARNING\tProfiles::createProfile"), std::string::npos);
}

TEST_F(ProfilesTest, DamagedFilesAreKeptAsideAndTheProfileLoadsEmpty) {
    struct Case {
        const char* what;
        std::string bytes;
    };
    const std::vector<Case> cases = {
        {"truncated", "<root><object name=\"Eve\"><string name=\"LastLevel\" val"},
        {"binary", std::string("\x89PNG\0\x01\x02garbage", 14)},
        {"wrong top", "<root><string name=\"Eve\" value=\"x\" /></root>"},
        {"10 MB", "<root><object name=\"Eve\">" + std::string(10u << 20, ' ') + "</object></root>"},
    };
    for (const Case& c : cases) {
        fs::remove_all(folder);
        fs::create_directories(folder);
        testsupport::writeFile(folder / "Eve.prof", c.bytes);
        Profiles profiles;
        profiles.loadLastProfile();
        EXPECT_EQ(profiles.name, "Eve") << c.what;
        EXPECT_EQ(profiles.LastLevel, "") << c.what;
        EXPECT_EQ(testsupport::readFile(folder / "Eve.prof.corrupt"), c.bytes) << c.what;
        EXPECT_NE(log().find("ERROR\tProfiles::load"), std::string::npos) << c.what;
        profiles.save();
        EXPECT_NE(file("Eve.prof").find("<object name=\"Eve\">"), std::string::npos) << c.what;
        // A second damage keeps the first copy.
        testsupport::writeFile(folder / "Eve.prof", "junk");
        EXPECT_FALSE(profiles.getKey("x"));
        EXPECT_EQ(testsupport::readFile(folder / "Eve.prof.corrupt1"), "junk") << c.what;
        profiles.name.clear();
        vfs->unmountAll();
    }
}

TEST_F(ProfilesTest, ScriptKeysSurviveSavesAndAMissingKeyIsAddedInMemoryOnly) {
    Profiles profiles;
    EXPECT_FALSE(profiles.getKey("score"));  // no profile
    ASSERT_TRUE(profiles.createProfile("Anna"));
    profiles.setKey("score", "12");
    profiles.CurrentLevel = "room";
    profiles.save();
    EXPECT_EQ(profiles.getKey("score"), std::optional<std::string>("12"));
    EXPECT_EQ(profiles.getKey("unknown"), std::optional<std::string>(""));
    EXPECT_EQ(file("Anna.prof").find("unknown"), std::string::npos);
    EXPECT_NE(file("Anna.prof").find("name=\"CurrentLevel\" value=\"room\""), std::string::npos);
    // The same through the script class.
    ASSERT_TRUE(startScriptState());
    EXPECT_EQ(runScriptBuffer("p = profile(); p:set('level', 'hall'); got = p:get('level'); none = p:get('nokey')",
                              0, "test"),
              0);
    lua_State* L = currentScriptState();
    lua_getglobal(L, "got");
    EXPECT_STREQ(lua_tostring(L, -1), "hall");
    lua_getglobal(L, "none");
    EXPECT_STREQ(lua_tostring(L, -1), "");
    lua_pop(L, 2);
    EXPECT_NE(file("Anna.prof").find("name=\"level\" value=\"hall\""), std::string::npos);
    // No file: nothing read, nothing written.
    fs::remove(folder / "Anna.prof");
    EXPECT_EQ(runScriptBuffer("missing = profile():get('level')", 0, "test"), 0);
    lua_getglobal(L, "missing");
    EXPECT_TRUE(lua_isnil(L, -1));
    lua_pop(L, 1);
    closeScriptState();
    EXPECT_FALSE(profiles.getKey("score"));
    profiles.setKey("score", "1");
    EXPECT_FALSE(fs::exists(folder / "Anna.prof"));
}

TEST_F(ProfilesTest, DeletingTable) {
    Profiles profiles;
    ASSERT_TRUE(profiles.createProfile("Anna"));
    ASSERT_TRUE(profiles.createProfile("Bob"));
    profiles.deleteProfile("Nobody");
    EXPECT_EQ(profiles.names.size(), 2u);
    profiles.deleteProfile("Bob");
    EXPECT_EQ(profiles.name, "");
    EXPECT_FALSE(fs::exists(folder / "Bob.prof"));
    EXPECT_FALSE(vfs->findFile("bob.prof", 1));
    EXPECT_EQ(profiles.names, std::vector<std::string>{"Anna"});
    // A name whose file is already gone leaves the list quietly.
    fs::remove(folder / "Anna.prof");
    profiles.deleteProfile("Anna");
    EXPECT_TRUE(profiles.names.empty());
    EXPECT_EQ(log().find("cannot delete"), std::string::npos);
}

TEST_F(ProfilesTest, WithoutAPerUserFolderNothingIsMountedAndTheNameEntryOpens) {
    testsupport::ScopedEnv noData("XDG_DATA_HOME", "");
    testsupport::ScopedEnv noHome("HOME", "");
    Profiles profiles;
    EXPECT_EQ(Profiles::folder(), "Profiles");
    profiles.loadLastProfile();
    EXPECT_EQ(screens, std::vector<std::string>{"enter name"});
    EXPECT_FALSE(fs::exists(dir.path() / "Profiles"));
}

TEST_F(ProfilesTest, SavesKilledHalfwayLeaveEveryFileOldOrNewAndParseable) {
    fs::create_directories(folder);
    {
        Profiles profiles;
        ASSERT_TRUE(profiles.createProfile("Anna"));
        profiles.name.clear();
    }
    vfs.reset();
#if defined(__SANITIZE_ADDRESS__)
    constexpr int kRounds = 150;  // forks of a sanitized process are slow; the release run does 1000
#else
    constexpr int kRounds = 1000;
#endif
    int killed = 0;
    for (int round = 0; round < kRounds; ++round) {
        const bool gotThere = testsupport::runUntilKilled([&] {
            // Leaked on purpose: the child only ever ends by SIGKILL.
            new VFS::VFSManager();
            auto* profiles = new Profiles();
            profiles->names = {"Anna"};
            profiles->name = "Anna";
            profiles->CurrentLevel = "level" + std::to_string(round);
            profiles->save();
            // Saves go on while the parent is told to kill: the kill lands anywhere in one.
            std::thread([profiles, round] {
                for (int i = 0;; ++i) {
                    profiles->CurrentLevel = "level" + std::to_string(round) + "_" + std::to_string(i);
                    profiles->save();
                }
            }).detach();
            return true;
        });
        if (gotThere) ++killed;
        const std::string prof = file("Anna.prof");
        ASSERT_NE(prof.find("</root>"), std::string::npos) << round << ": " << prof;
        ASSERT_NE(prof.find("name=\"CurrentLevel\""), std::string::npos) << round;
        const std::string sta = file("config.sta");
        ASSERT_NE(sta.find("s_soundVol"), std::string::npos) << round << ": " << sta;
    }
    EXPECT_EQ(killed, kRounds);
    // The next save removes what killed saves left behind.
    VFS::VFSManager lastVfs;
    {
        Profiles profiles;
        profiles.names = {"Anna"};
        profiles.name = "Anna";
        profiles.save();
        profiles.name.clear();
    }
    for (const auto& entry : fs::directory_iterator(folder))
        EXPECT_EQ(entry.path().filename().string().find(".tmp"), std::string::npos) << entry.path();
}

}  // namespace
