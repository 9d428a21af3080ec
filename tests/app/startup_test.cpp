// The whole start-up in the test process on small data folders and on the demo chapter: its log line, the order of the
// shutdown also after failures, the start-up pictures and the final quad read back, sound after
// start-up, and a close signal ending the main loop.
#include <gtest/gtest.h>

#include <cmath>

#include "app/profiles.h"
#include "audio/media_center.h"
#include "core/cvar_catalogue.h"
#include "flash/movie/host_callbacks.h"
#include "flash/movie/player.h"
#include "flash/runtime/character.h"
#include "graphics/d3d_application.h"
#include "platform/graphics/gfx_control.h"
#include "platform/process.h"
#include "tests/app/game_data.h"
#include "tests/support/game_fixture.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

const std::vector<std::string> kFullShutdown = {
    "FlyElementsManager", "DialogPanel", "render target", "LevelManager", "TextureContainer",
    "ReplayRecorder", "MouseCursor", "MsgBox", "MainMenu", "GameMenu", "MainPanel", "EnterName",
    "ChooseProfile", "ScriptTimerManager", "Console", "Loading", "FontManager", "Inventory",
    "Profiles",
    "GameTimerManager",
    "script state",  "MediaCenter",      "fxParticleEffectMgr", "ParticleMgr", "VFSManager",
    "render handler", "player",          "CDirectInput8",       "CD3DDevice",  "CMyD3DApplication"};

class Startup : public ::testing::Test {
protected:
    testsupport::TempDir dir{false};
    void TearDown() override { platform::gfx::resetFaults(); }
};

TEST_F(Startup, InitedApplicationIsLoggedWithItsMillisecondsAndShutdownDeletesInOrder) {
    apptest::writeGameData(dir.path());
    testsupport::GameFixture game(dir.path());
    ASSERT_TRUE(game.start("--full"));
    EXPECT_EQ(game.app().initStep(), 24);
    const std::string log = game.log();
    const size_t at = log.find("\tMESSAGE\tInited application; ");
    ASSERT_NE(at, std::string::npos) << log;
    const std::string line = log.substr(at, log.find('\n', at) - at);
    EXPECT_NE(line.find(" ms; Application::init"), std::string::npos) << line;
    // Errors may only name movies the small folder lacks.
    for (size_t error = log.find("\tERROR\t"); error != std::string::npos; error = log.find("\tERROR\t", error + 1))
        EXPECT_NE(log.substr(error, log.find('\n', error) - error).find(".swf"), std::string::npos) << log;
    game.shutdown();
    EXPECT_EQ(game.app().shutdownTrace(), kFullShutdown);
}

TEST_F(Startup, TheDemoChapterStartsInTheTestProcessWithoutAnError) {
    fs::copy(fs::path(TOV_TEST_SOURCE_DIR) / "demo", dir.path(), fs::copy_options::recursive);
    testsupport::GameFixture game(dir.path(), 100);
    ASSERT_TRUE(game.start());
    EXPECT_EQ(game.app().initStep(), 24);
    game.skipLogos();
    game.runFrames(10);
    const std::string log = game.log();
    EXPECT_NE(log.find("\tMESSAGE\tInited application; "), std::string::npos) << log;
    EXPECT_EQ(log.find("\tERROR\t"), std::string::npos) << log;
    game.shutdown();
    EXPECT_EQ(game.app().shutdownTrace(), kFullShutdown);
}

TEST_F(Startup, FailedStartUpsDeleteWhatTheyMadeInOrder) {
    apptest::writeGameData(dir.path());
    struct Case {
        const char* what;
        std::string commandLine;
        bool failDevice;
        int step;
        std::vector<std::string> deleted;
    };
    const std::vector<Case> cases = {
        {"unknown option", "--bogus", false, 3, {}},
        {"short switch and a stray value", "-f extra", false, 3, {}},
        {"no Direct3D", "", true, 7, {"Profiles", "VFSManager", "CMyD3DApplication"}},
    };
    for (const Case& c : cases) {
        platform::gfx::faults().failDirect3DCreate = c.failDevice;
        testsupport::GameFixture game(dir.path());
        EXPECT_FALSE(game.start(c.commandLine)) << c.what;
        EXPECT_EQ(game.app().initStep(), c.step) << c.what;
        EXPECT_NE(game.log().find("Inited application"), std::string::npos) << c.what;
        game.shutdown();
        EXPECT_EQ(game.app().shutdownTrace(), c.deleted) << c.what;
        EXPECT_EQ(Profiles::instance(), nullptr);
        EXPECT_EQ(CMyD3DApplication::instance(), nullptr);
        platform::gfx::resetFaults();
    }
}

TEST_F(Startup, TheStartupPicturesLastNineAndSixSeconds) {
    apptest::writeGameData(dir.path());
    testsupport::GameFixture game(dir.path(), 100);
    ASSERT_TRUE(game.start());
    d_NoLimitFPS->setFromString("true");  // a frame each 100 ms turn, step 0.1
    Application& app = game.app();
    EXPECT_EQ(app.logoColour()[3], 0.0f);
    struct Row {
        int frame;
        int index;
        int clock;
        float alpha;
        bool logos;
    };
    const Row rows[] = {
        {1, 0, -2900, 0.1f, true},  {10, 0, -2000, 1.0f, true}, {79, 0, 4900, 1.0f, true},
        {80, 0, 5000, 0.9f, true},  {89, 0, 5900, 0.0f, true},  {90, 1, 0, 0.0f, true},
        {91, 1, 100, 0.1f, true},   {149, 1, 5900, 0.0f, true}, {150, 2, 6000, 0.0f, false},
    };
    int frame = 0;
    for (const Row& row : rows) {
        while (frame < row.frame) {
            game.turn();
            ++frame;
        }
        EXPECT_EQ(app.logoIndex(), row.index) << row.frame;
        EXPECT_EQ(app.logoClock(), row.clock) << row.frame;
        EXPECT_NEAR(app.logoColour()[3], row.alpha, 1e-4) << row.frame;
        EXPECT_EQ(app.logoPhase(), row.logos) << row.frame;
    }
    // The game proper starts on the frame after.
    const unsigned before = app.frameCount();
    game.turn();
    EXPECT_EQ(app.frameCount(), before + 1);
}

platform::gfx::Image backBuffer() {
    IDirect3DDevice9* device = CMyD3DApplication::instance()->getDevice();
    IDirect3DSurface9* surface = nullptr;
    platform::gfx::Image image;
    if (SUCCEEDED(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &surface))) {
        EXPECT_TRUE(platform::gfx::readRenderTarget(device, surface, image));
        surface->Release();
    }
    return image;
}

bool near(uint32_t actual, uint32_t expected, int tolerance) {
    for (int shift = 0; shift < 24; shift += 8)
        if (std::abs(static_cast<int>((actual >> shift) & 0xFF) - static_cast<int>((expected >> shift) & 0xFF)) >
            tolerance)
            return false;
    return true;
}

TEST_F(Startup, AShownPictureFillsTheScreenAndAMissingOneIsBlackWithOneError) {
    for (bool logos : {true, false}) {
        apptest::writeGameData(dir.path(), {logos, true, ""});
        if (!logos) fs::remove_all(dir.path() / "data" / "textures");
        testsupport::GameFixture game(dir.path(), 100);
        ASSERT_TRUE(game.start());
        d_NoLimitFPS->setFromString("true");
        game.runFrames(12);  // the first picture at full opacity
        const platform::gfx::Image image = backBuffer();
        ASSERT_EQ(image.width, 1024);
        const uint32_t pixel = image.argb(512, 384);
        EXPECT_TRUE(near(pixel, logos ? 0xFFFF0000u : 0xFF000000u, 2)) << std::hex << pixel;
        const std::string log = game.log();
        size_t errors = 0;
        for (size_t at = log.find("cannot load the picture title.dds"); at != std::string::npos;
             at = log.find("cannot load the picture title.dds", at + 1))
            ++errors;
        EXPECT_EQ(errors, logos ? 0u : 1u) << log;
    }
}

// A white screen drawn as a render-list item.
class WhiteScreen : public BaseRender {
public:
    int renders = 0;
    bool isVisible() const override { return true; }
    void render(float) override {
        ++renders;
        Application::instance()->drawQuad(TexturePtr(), 0, 0, 1024, 768, 0, 1, 0, 1, 0xFFFFFFFFu, false);
    }
};

TEST_F(Startup, AFadeAtHalfHalvesTheSceneAndTheFrameThatEndsAFadeDrawsNothing) {
    apptest::writeGameData(dir.path());
    testsupport::GameFixture game(dir.path(), 50);
    ASSERT_TRUE(game.start());
    d_NoLimitFPS->setFromString("true");  // step 0.05: the opacity falls by 0.1 a frame
    game.skipLogos();
    WhiteScreen white;
    // The test's white screen alone: the fade shows on a known picture.
    game.app().renderList().clear();
    game.app().addToRenderList(&white);
    game.runFrames(1);
    EXPECT_TRUE(near(backBuffer().argb(512, 384), 0xFFFFFFFFu, 2));
    game.app().startFadeOut();
    game.runFrames(5);
    EXPECT_NEAR(game.app().fadeColour()[3], 0.5f, 1e-4);
    EXPECT_TRUE(near(backBuffer().argb(512, 384), 0xFF808080u, 3)) << std::hex << backBuffer().argb(512, 384);
    game.runFrames(4);
    const int renders = white.renders;
    game.runFrames(1);  // the opacity goes below 0: the fade ends, nothing is drawn
    EXPECT_FALSE(game.app().anyFlag(Application::kFadeOut));
    EXPECT_EQ(white.renders, renders);
    game.runFrames(1);
    EXPECT_EQ(white.renders, renders + 1);
    game.app().removeFromRenderList(&white);
}

TEST_F(Startup, SoundAfterStartUpAndTheMutedProfile) {
    apptest::writeGameData(dir.path());
    testsupport::GameFixture game(dir.path());
    ASSERT_TRUE(game.start());
    MediaSystem::MediaCenter* media = MediaSystem::MediaCenter::instance();
    ASSERT_NE(media, nullptr);
    flash::smart_ptr<flash::character> button(new flash::character(game.app().player()));
    // The engine's press sound reaches the effects through the registered callback.
    flash::sound_callback sound = flash::get_sound_callback();
    ASSERT_NE(sound, nullptr);
    sound(button.get_ptr(), "click");
    EXPECT_GE(media->sndfxSystem()->findSlot("click"), 0);
    EXPECT_NE(media->musicChannel()->stream(), nullptr);
    EXPECT_EQ(media->musicChannel()->state(), MediaSystem::ChannelState::Playing);

    // A muted profile stops music and effects; a new profile resumes both.
    Profiles* profiles = Profiles::instance();
    testsupport::writeFile(fs::path(Profiles::folder()) / "Quiet.prof",
                           "<root><object name=\"Quiet\"><boolean name=\"IsMuteAll\" value=\"true\" /></object></root>");
    profiles->names.push_back("Quiet");
    ASSERT_TRUE(profiles->load("Quiet"));
    EXPECT_EQ(media->musicChannel()->state(), MediaSystem::ChannelState::Stopped);
    EXPECT_LT(media->playSound("click", false, true, true), 0);
    ASSERT_TRUE(profiles->createProfile("Loud"));
    EXPECT_EQ(media->musicChannel()->state(), MediaSystem::ChannelState::Playing);
    EXPECT_GE(media->playSound("click", false, true, true), 0);
    button = nullptr;
}

TEST_F(Startup, InputScriptsReachTheGameAndWaitForItsLog) {
    apptest::writeGameData(dir.path());
    testsupport::GameFixture game(dir.path());
    ASSERT_TRUE(game.start());
    // A shot writes the frame; keys and clicks go to the input devices; a wait that sees nothing
    // fails the script.
    EXPECT_TRUE(game.runInput("+3 key escape\n+2 click 100 200\n+1 shot shot.png\n"));
    EXPECT_TRUE(fs::exists(dir.path() / "shot.png"));
    EXPECT_FALSE(game.runInput("wait \"never logged\" max 3\n"));
    EXPECT_NE(game.log().find("TOV_TEST_INPUT: input:1"), std::string::npos) << game.log();
}

TEST_F(Startup, ACloseSignalEndsTheMainLoop) {
    apptest::writeGameData(dir.path());
    testsupport::GameFixture game(dir.path());
    ASSERT_TRUE(game.start());
    game.runFrames(3);
    platform::raiseCloseRequest();
    EXPECT_EQ(game.app().run(), 0);
    EXPECT_GE(game.app().frameCount(), 0u);
}

}  // namespace
