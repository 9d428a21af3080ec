#include "audio/media_center.h"

#include "core/log_stream.h"
#include "tests/audio/media_fixture.h"
#include "tests/support/environment.h"
#include "vfs/vfs_manager.h"

using MediaSystem::MediaCenter;
using mediatest::World;

namespace {

class Center : public mediatest::MediaTest {
protected:
    void SetUp() override {
        MediaTest::SetUp();
        addFile("b.ogg");
        addFile("fx.ogg");
        addFile("blip.ogg");
        m_center = std::make_unique<MediaCenter>(80.0f, 100.0f);
        m_center->getSoundList()["ambient"] = "fx.ogg";
        m_center->getSoundList()["click"] = "blip.ogg";
        m_center->setPlaylist({"b.ogg"});
    }
    void TearDown() override {
        m_center.reset();
        MediaTest::TearDown();
    }
    std::unique_ptr<MediaCenter> m_center;
};

TEST_F(Center, SingletonLifetime) {
    EXPECT_EQ(MediaCenter::instance(), m_center.get());
    EXPECT_FLOAT_EQ(m_center->getMusicVolume(), 100.0f);
    EXPECT_FLOAT_EQ(m_center->getSoundVolume(), 50.0f);
    m_center.reset();
    EXPECT_EQ(MediaCenter::instance(), nullptr);
}

TEST_F(Center, FocusStopsAndResumesOnlyWhatItStopped) {
    ASSERT_TRUE(m_center->playMusicTrack(0, true));
    audiere::OutputStream* music = m_center->musicChannel()->stream();
    int ambient = m_center->playSound("ambient", true, false, true);
    int click = m_center->playSound("click", false, true, true);
    ASSERT_GE(ambient, 0);
    ASSERT_GE(click, 0);
    mix(500);

    m_center->update(0.0f, false);
    EXPECT_FALSE(music->isPlaying());
    EXPECT_FALSE(m_center->isSoundPlaying(ambient));
    EXPECT_TRUE(m_center->sndfxSystem()->slot(click).name.empty());  // transient: dropped
    mix(500);
    m_center->update(0.0f, false);

    m_center->update(0.0f, true);
    EXPECT_TRUE(music->isPlaying());
    EXPECT_EQ(music->getPosition(), 500);  // resumed where it was
    EXPECT_TRUE(m_center->isSoundPlaying(ambient));
    EXPECT_EQ(m_center->sndfxSystem()->slot(ambient).stream->getPosition(), 500);

    // A pause of the game is not undone by the focus rule.
    m_center->pauseMusic(true);
    m_center->pauseSounds(true);
    m_center->update(0.0f, false);
    m_center->update(0.0f, true);
    EXPECT_FALSE(music->isPlaying());
    EXPECT_FALSE(m_center->isSoundPlaying(ambient));
    m_center->pauseMusic(false);
    m_center->pauseSounds(false);
    EXPECT_TRUE(music->isPlaying());
    EXPECT_TRUE(m_center->isSoundPlaying(ambient));
}

TEST_F(Center, NoAudioDeviceLogsAndGoesOnSilently) {
    World::noDevice = true;
    EXPECT_FALSE(m_center->playMusicTrack(0, true));
    EXPECT_EQ(m_center->playSound("click", false, false, false), -1);
    EXPECT_EQ(m_center->playSound("click", false, false, false), -1);
    m_center->setMusicEnabled(true);
    for (bool active : {true, false, true, true}) m_center->update(0.016f, active);
    m_center->pauseSounds(true);
    m_center->pauseSounds(false);
    m_center->stopMusic();
    m_center->stopSound(-1);
    EXPECT_EQ(logLines("\tERROR\tCan't open BGMDevice!").size(), 1u);  // once, not every update
    EXPECT_EQ(logLines("\tERROR\tMediaSystem::SndfxSystem::playFile can't open mDevice!").size(), 2u);

    // A device that appears later is opened by the next play.
    World::noDevice = false;
    EXPECT_TRUE(m_center->playMusicTrack(0, true));
    EXPECT_EQ(m_center->playSound("click", false, false, false), 0);
}

}  // namespace

namespace {

// The default paths: files found through the mounted file system, sounds on SDL's output.
TEST(MediaCenterSystem, PlaysFilesOfTheFileSystemOnTheRealOutput) {
    testsupport::useHeadlessDrivers();
    testsupport::TempDir dir;
    Tov::LogStream::setFile("media.log", false);
    testsupport::writeFile("data/Music.ogg", mediatest::toneFile("b.ogg"));
    testsupport::writeFile("data/click.ogg", mediatest::toneFile("blip.ogg"));
    VFS::VFSManager vfs;
    ASSERT_TRUE(vfs.mount("filesystem", "data"));
    MediaCenter center(80.0f, 100.0f);
    center.setPlaylist({"data\\music.OGG"});  // a stored path, any case
    center.getSoundList()["click"] = "CLICK.ogg";
    EXPECT_TRUE(center.playMusicTrack(0, true));
    EXPECT_EQ(center.playSound("click", false, true, true), 0);
    EXPECT_EQ(center.sndfxSystem()->slot(0).name, "click");
    center.update(0.0f, true);
    EXPECT_TRUE(center.musicChannel()->stream()->isPlaying());
}

}  // namespace
