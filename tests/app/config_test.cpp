// Settings files, the mount list and the media list.
#include <gtest/gtest.h>

#include <memory>

#include "app/application.h"
#include "app/profiles.h"
#include "audio/media_center.h"
#include "core/attr_xml.h"
#include "core/cvar_catalogue.h"
#include "core/log_stream.h"
#include "tests/app/game_data.h"
#include "tests/support/environment.h"
#include "tests/support/temp_dir.h"
#include "vfs/vfs_manager.h"

namespace {

namespace fs = std::filesystem;
using apptest::document;
using apptest::mountEntry;

struct SavedVars {
    std::vector<std::pair<CVar*, std::string>> kept;
    explicit SavedVars(std::initializer_list<CVar*> vars) {
        for (CVar* v : vars) kept.emplace_back(v, v->toString());
    }
    ~SavedVars() {
        for (auto& [v, text] : kept) v->setFromString(text.c_str());
    }
};

class Config : public ::testing::Test {
protected:
    testsupport::TempDir dir;
    testsupport::ScopedEnv home{"XDG_DATA_HOME", (dir.path() / "home").string()};
    std::unique_ptr<VFS::VFSManager> vfs = std::make_unique<VFS::VFSManager>();
    SavedVars vars{d_FPSCount, d_DebugMode, prog_version, d_DTMax, s_musicVol, s_soundVol, s_LastProfileName,
                   s_fullScreenMode, d_DisableMusic};
    std::string logPath = (dir.path() / "config.log").string();
    void SetUp() override { Tov::LogStream::setFile(logPath, false); }
};

TEST_F(Config, ConfigCfgTable) {
    struct Case {
        const char* text;
        const char* fps;
        const char* version;
    };
    const Case cases[] = {
        {"d_FPSCount 30\n", "30.000", ""},
        {"// a comment\nd_FPSCount 25 // trailing\n/* block\nd_FPSCount 99 */\n", "25.000", ""},
        {"prog_version \"1.2 beta\"\n", "60.000", "1.2 beta"},
        {"no_such_variable 5\nd_FPSCount 40\n", "40.000", ""},          // unknown names are skipped
        {"d_FPSCount 45\nd_DTMax \"unterminated\nprog_version x\n", "45.000", "x"},  // a broken value is skipped
        {"", "60.000", ""},
    };
    for (const Case& c : cases) {
        d_FPSCount->setFromString("60");
        prog_version->setString("");
        testsupport::writeFile(dir.path() / "config.cfg", c.text);
        ASSERT_TRUE(vfs->mount("filesystem", "."));
        Application::loadConfig("config.cfg");
        EXPECT_STREQ(d_FPSCount->toString(), c.fps) << c.text;
        EXPECT_EQ(prog_version->text, c.version) << c.text;
        vfs->unmountAll();
    }
    // A missing file changes nothing.
    d_FPSCount->setFromString("60");
    Application::loadConfig("config.cfg");
    EXPECT_STREQ(d_FPSCount->toString(), "60.000");
}

TEST_F(Config, ConfigStaHoldsTheSavedVariablesByteForByteAndOnlyInTheProfilesFolder) {
    // A settings file of the data tree is read but never written over.
    testsupport::writeFile(dir.path() / "config.sta", "s_musicVol 20\n");
    ASSERT_TRUE(vfs->mount("filesystem", "."));
    {
        Profiles profiles;
        EXPECT_EQ(s_musicVol->value.f[0], 20.0f);
        s_LastProfileName->setString("Anna");
        s_fullScreenMode->setFromString("false");
        s_soundVol->setFromString("75");
        Application::saveConfig("config.sta", 0x40);
    }
    EXPECT_EQ(testsupport::readFile(dir.path() / "config.sta"), "s_musicVol 20\n");
    const std::string saved = testsupport::readFile(dir.path() / "home" / "orlimand" / "profiles" / "config.sta");
    EXPECT_EQ(saved,
              "s_LastProfileName\t\"Anna\"\t\t// s_LastProfileName\n"
              "s_fullScreenMode\tfalse\t\t// \n"
              "s_musicVol\t20.000\t\t// \n"
              "s_soundVol\t75.000\t\t// \n");
}

TEST_F(Config, TheMountTable) {
    fs::create_directories(dir.path() / "a" / "deep" / ".svn");
    fs::create_directories(dir.path() / "b");
    testsupport::writeFile(dir.path() / "a" / "top.txt", "top");
    testsupport::writeFile(dir.path() / "a" / "deep" / "deep.txt", "deep");
    testsupport::writeFile(dir.path() / "a" / "deep" / ".svn" / "hidden.txt", "svn");
    testsupport::writeFile(dir.path() / "b" / "b.txt", "b");
    testsupport::writeFile(dir.path() / "packed" / "inner.txt", "packed");
    Application app;
    const auto list = [&](const std::string& entries) {
        return Attr::parseDocument(document("Resources", "<object name=\"VFS\">" + entries + "</object>").c_str());
    };
    struct Case {
        const char* what;
        std::string entries;
        std::vector<const char*> found;
        std::vector<const char*> missing;
    };
    const std::vector<Case> cases = {
        {"flat", mountEntry("1", "filesystem", "a", false), {"top.txt"}, {"deep.txt", "b.txt"}},
        {"recursive", mountEntry("1", "filesystem", "a", true), {"top.txt", "deep.txt"}, {"hidden.txt"}},
        {"empty type with a path", mountEntry("1", "", "b", true), {}, {"b.txt"}},
        {"two entries", mountEntry("1", "filesystem", "a", false) + mountEntry("2", "filesystem", "b", false),
         {"top.txt", "b.txt"}, {}},
    };
    for (const Case& c : cases) {
        app.mountList(list(c.entries), "VFS");
        for (const char* name : c.found) EXPECT_TRUE(vfs->findFile(name, 1)) << c.what << " " << name;
        for (const char* name : c.missing) EXPECT_FALSE(vfs->findFile(name, 1)) << c.what << " " << name;
        vfs->unmountAll();
    }
    // No list of that name mounts nothing; no document mounts the working tree but ".svn".
    app.mountList(list(mountEntry("1", "filesystem", "a", false)), "Other");
    EXPECT_FALSE(vfs->findFile("top.txt", 1));
    app.mountList(Attr::AttributePtr(), "VFS");
    EXPECT_TRUE(vfs->findFile("deep.txt", 1));
    EXPECT_TRUE(vfs->findFile("b.txt", 1));
    EXPECT_FALSE(vfs->findFile("hidden.txt", 1));
}

TEST_F(Config, ArchivesMountFromTheList) {
    // An SMA archive as the sma tool writes it would be mounted the same way; an archive that
    // cannot be opened is a WARNING and the rest of the list still mounts.
    testsupport::writeFile(dir.path() / "broken.sma", "not an archive");
    testsupport::writeFile(dir.path() / "b" / "b.txt", "b");
    Application app;
    Tov::LogStream::setFile(logPath, false);  // the application named its own log
    app.mountList(Attr::parseDocument(document("Resources", "<object name=\"VFS\">" +
                                                                mountEntry("1", "sma1", "broken.sma", false) +
                                                                mountEntry("2", "sma2", "broken.sma", false) +
                                                                mountEntry("3", "filesystem", "b", false) +
                                                                "</object>")
                                          .c_str()),
                  "VFS");
    EXPECT_TRUE(vfs->findFile("b.txt", 1));
    const std::string log = testsupport::readFile(logPath);
    EXPECT_NE(log.find("WARNING\tApplication::mountList: cannot mount sma1 broken.sma"), std::string::npos) << log;
    EXPECT_NE(log.find("WARNING\tApplication::mountList: cannot mount sma2 broken.sma"), std::string::npos) << log;
}

class Media : public Config {
protected:
    void SetUp() override {
        Config::SetUp();
        testsupport::useHeadlessDrivers();
        apptest::writeGameData(dir.path());
        ASSERT_TRUE(vfs->mount("filesystem", "data\\music"));
        ASSERT_TRUE(vfs->mount("filesystem", "data\\sounds"));
    }
    void writeMedia(const std::string& inner) {
        testsupport::writeFile(dir.path() / "data" / "xmlFiles" / "media.xml", document("media", inner));
    }
};

TEST_F(Media, TheListFillsThePlaylistTheSoundsAndTheirVolumesAndPlaysTheFirstTrack) {
    writeMedia(
        "<object name=\"music\"><string name=\"1\" value=\"theme.ogg\" /><string name=\"2\" value=\"gone.ogg\" />"
        "<string name=\"3\" value=\"click.ogg\" /></object>"
        "<object name=\"sounds\"><string name=\"click\" value=\"click.ogg\" /><string name=\"gone\" value=\"x.ogg\" />"
        "</object><object name=\"volume\"><float name=\"click\" value=\"0.25\" /></object>");
    MediaSystem::MediaCenter media(50, 50);
    Application app;
    s_musicVol->setFromString("30");
    s_soundVol->setFromString("40");
    app.loadMedia();
    EXPECT_EQ(media.getPlaylistSize(), 2u);  // the missing file is skipped silently
    ASSERT_EQ(media.musicChannel()->playlist().size(), 2u);
    // In the list's order, by the found files' stored paths (any letter case: the names are the
    // channel's lower-cased ones).
    EXPECT_NE(media.musicChannel()->playlist()[0].find("theme.ogg"), std::string::npos);
    EXPECT_NE(media.musicChannel()->playlist()[1].find("click.ogg"), std::string::npos);
    EXPECT_EQ(media.getMusicIndex(), 0);
    EXPECT_NE(media.musicChannel()->stream(), nullptr);
    EXPECT_EQ(media.musicChannel()->state(), MediaSystem::ChannelState::Playing);
    EXPECT_EQ(media.getSoundList().count("click"), 1u);
    EXPECT_EQ(media.getSoundList().count("gone"), 0u);
    EXPECT_FLOAT_EQ(media.getSoundVolumes()["click"], 0.25f);
    EXPECT_TRUE(media.isMusicEnabled());
    // The installation's volumes, on the settings' scale.
    EXPECT_FLOAT_EQ(media.getMusicVolume(), 30.0f);
    EXPECT_FLOAT_EQ(media.getSoundVolume(), 40.0f);
    EXPECT_EQ(testsupport::readFile(logPath).find("gone.ogg"), std::string::npos);
}

TEST_F(Media, AMutedProfileAnEmptyPlaylistDisabledMusicAndNoListPlayNothing) {
    struct Case {
        const char* what;
        std::string media;  // empty: no file
        bool muted;
        bool disabled;
        bool plays;
        bool enabled;
    };
    const std::string oneTrack = "<object name=\"music\"><string name=\"1\" value=\"theme.ogg\" /></object>";
    const std::vector<Case> cases = {
        {"plain", oneTrack, false, false, true, true},
        {"muted profile", oneTrack, true, false, false, true},
        {"empty playlist", "<object name=\"music\"></object>", false, false, false, true},
        {"music disabled", oneTrack, false, true, false, false},
        {"no media list", "", false, false, false, true},
    };
    for (const Case& c : cases) {
        if (c.media.empty())
            fs::remove(dir.path() / "data" / "xmlFiles" / "media.xml");
        else
            writeMedia(c.media);
        d_DisableMusic->setFromString(c.disabled ? "true" : "false");
        MediaSystem::MediaCenter media(50, 50);
        Profiles profiles;
        profiles.setFlag(Profiles::kMuteAll, c.muted);
        Application app;
        app.loadMedia();
        const bool plays =
            media.musicChannel()->stream() && media.musicChannel()->state() == MediaSystem::ChannelState::Playing;
        EXPECT_EQ(plays, c.plays) << c.what;
        EXPECT_EQ(media.isMusicEnabled(), c.enabled) << c.what;
        profiles.setFlag(Profiles::kMuteAll, false);
    }
}

}  // namespace
