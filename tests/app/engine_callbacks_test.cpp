// The engine's file opener, log, sound and effect callbacks.
#include <gtest/gtest.h>

#include <memory>

#include "app/application.h"
#include "app/engine_hooks.h"
#include "app/game_object.h"
#include "audio/media_center.h"
#include "core/log_stream.h"
#include "flash/base/bx_file.h"
#include "flash/movie/player.h"
#include "flash/runtime/character.h"
#include "tests/app/game_data.h"
#include "tests/support/environment.h"
#include "tests/support/temp_dir.h"
#include "vfs/vfs_manager.h"

namespace {

namespace fs = std::filesystem;

class Callbacks : public ::testing::Test {
protected:
    testsupport::TempDir dir;
    std::string logPath = (dir.path() / "callbacks.log").string();
    std::unique_ptr<VFS::VFSManager> vfs;

    void SetUp() override {
        Tov::LogStream::setFile(logPath, false);
        fs::create_directories(dir.path() / "data");
        vfs = std::make_unique<VFS::VFSManager>();
    }
    std::string log() const { return testsupport::readFile(logPath); }
};

TEST_F(Callbacks, TheOpenerReadsAMovieByBareNameOrPathAndNamesTheFileAfterTheRequest) {
    testsupport::writeFile(dir.path() / "data" / "Menu.swf", "FWS-bytes");
    ASSERT_TRUE(vfs->mount("filesystem", "data"));
    for (const char* name : {"menu.swf", "data\\Menu.swf"}) {
        std::unique_ptr<flash::bx_file> file(Application::openFile(name));
        ASSERT_TRUE(file) << name;
        EXPECT_STREQ(file->get_name().c_str(), name);
        char bytes[16] = {};
        EXPECT_EQ(file->read_bytes(bytes, sizeof bytes), 9);
        EXPECT_STREQ(bytes, "FWS-bytes");
        EXPECT_TRUE(file->get_eof());
        EXPECT_EQ(file->set_position(3), 0);
        EXPECT_EQ(file->read_byte(), '-');
        EXPECT_NE(file->set_position(100), 0);
    }
    EXPECT_EQ(Application::openFile("missing.swf"), nullptr);
}

TEST_F(Callbacks, TheOpenersBytesStayValidThroughARescanAndAnUnmount) {
    const std::string content(100000, 'm');
    testsupport::writeFile(dir.path() / "data" / "big.swf", content);
    ASSERT_TRUE(vfs->mount("filesystem", "data"));
    std::unique_ptr<flash::bx_file> file(Application::openFile("big.swf"));
    ASSERT_TRUE(file);
    // The file on disk is replaced and the folder listed again, then everything unmounted: the
    // engine's file still reads the bytes it was opened on (ASan would catch a dangling read).
    testsupport::writeFile(dir.path() / "data" / "big.new", "short");
    fs::rename(dir.path() / "data" / "big.new", dir.path() / "data" / "big.swf");
    EXPECT_TRUE(vfs->rescan("data"));
    vfs->unmountAll();
    std::string read(content.size(), '\0');
    EXPECT_EQ(file->read_bytes(read.data(), static_cast<int>(read.size())), static_cast<int>(content.size()));
    EXPECT_EQ(read, content);
}

TEST_F(Callbacks, EngineLogLinesBecomeMessagesAndErrors) {
    Application::logCallback(false, "loaded menu.swf\n");
    Application::logCallback(true, "error: bad tag 99\n");
    const std::string text = log();
    EXPECT_NE(text.find("\tMESSAGE\tloaded menu.swf\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\tERROR\terror: bad tag 99\n"), std::string::npos) << text;
}

class TestElement : public GameObject {
public:
    bool available = true;
    bool isAvailable() const override { return available; }
};

TEST_F(Callbacks, TheSoundCallbackPlaysByNameUnlessTheClipsElementIsUnavailable) {
    testsupport::useHeadlessDrivers();
    testsupport::writeFile(dir.path() / "data" / "click.ogg", testaudio::makeTone(880, 2205));
    ASSERT_TRUE(vfs->mount("filesystem", "data"));
    MediaSystem::MediaCenter media(50, 50);
    media.setSoundEnabled(true);
    media.getSoundList()["click"] = "data\\click.ogg";
    flash::smart_ptr<flash::player> owner(new flash::player);
    flash::smart_ptr<flash::character> clip(new flash::character(owner.get_ptr()));
    MediaSystem::SndfxSystem* effects = media.sndfxSystem();
    ASSERT_NE(effects, nullptr);

    TestElement element;
    element.available = false;
    clip->m_owner = &element;
    Application::soundCallback(clip.get_ptr(), "click");
    EXPECT_LT(effects->findSlot("click"), 0);
    Application::soundCallback(clip.get_ptr(), "");
    Application::soundCallback(nullptr, "click");
    EXPECT_LT(effects->findSlot("click"), 0);

    element.available = true;
    Application::soundCallback(clip.get_ptr(), "click");
    EXPECT_GE(effects->findSlot("click"), 0);
    effects->stopSlot(-1);
    clip->m_owner = nullptr;  // a clip of no element plays too
    Application::soundCallback(clip.get_ptr(), "click");
    EXPECT_GE(effects->findSlot("click"), 0);
    clip = nullptr;
    owner = nullptr;
}

TEST_F(Callbacks, AnEmptyEffectNameOnlyStopsTheRunningEffect) {
    std::vector<std::string> calls;
    app::setEffectHooks({[&](const std::string& name) { calls.push_back("stop " + name); },
                         [&](flash::character*, const std::string& name) {
                             calls.push_back("start " + name);
                             return name + "#1";
                         }});
    flash::smart_ptr<flash::player> owner(new flash::player);
    flash::smart_ptr<flash::character> a(new flash::character(owner.get_ptr()));
    flash::smart_ptr<flash::character> b(new flash::character(owner.get_ptr()));

    Application::effectCallback(a.get_ptr(), "sparkle");
    EXPECT_EQ(app::runningEffectName(a.get_ptr()), "sparkle#1");
    Application::effectCallback(b.get_ptr(), "");  // b runs nothing: nothing to stop
    Application::effectCallback(a.get_ptr(), "glow");
    Application::effectCallback(a.get_ptr(), "");
    Application::effectCallback(a.get_ptr(), "");
    EXPECT_EQ(calls, (std::vector<std::string>{"start sparkle", "stop sparkle#1", "start glow", "stop glow#1"}));
    EXPECT_EQ(app::runningEffectName(a.get_ptr()), "");

    // A character that died leaves no name for one made at the same address.
    Application::effectCallback(b.get_ptr(), "smoke");
    flash::character* old = b.get_ptr();
    b = nullptr;
    EXPECT_EQ(app::runningEffectName(old), "");
    app::setEffectHooks({});
    app::forgetRunningEffects();
    a = nullptr;
    owner = nullptr;
}

}  // namespace
