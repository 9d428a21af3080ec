#include "audio/music_channel.h"

#include <cmath>

#include "tests/audio/media_fixture.h"

using MediaSystem::MediaCenter;
using MediaSystem::MusicChannel;
using mediatest::World;

namespace {

class Music : public mediatest::MediaTest {
protected:
    void SetUp() override {
        MediaTest::SetUp();
        addFile("a.ogg");
        addFile("b.ogg");
        m_center = std::make_unique<MediaCenter>(80.0f, 100.0f);
        m_channel = m_center->musicChannel();
    }
    void TearDown() override {
        m_center.reset();
        MediaTest::TearDown();
    }
    // Plays the current track to its end and lets the channel react.
    void endTrack() {
        mix(1100);
        m_center->update(0.0f, true);
    }
    float streamVolume() const { return m_channel->stream() ? m_channel->stream()->getVolume() : -1.0f; }

    std::unique_ptr<MediaCenter> m_center;
    MusicChannel* m_channel = nullptr;
};

TEST_F(Music, IdenticalPlaylistIsANoOpAndCaseMatters) {
    EXPECT_EQ(m_center->setPlaylist({"a.ogg", "b.ogg"}), 2u);
    ASSERT_TRUE(m_center->playMusicTrack(1, true));
    audiere::OutputStream* playing = m_channel->stream();
    mix(100);

    m_center->setPlaylist({"a.ogg", "b.ogg"});
    EXPECT_EQ(m_channel->stream(), playing);
    EXPECT_TRUE(playing->isPlaying());
    EXPECT_EQ(m_center->getMusicIndex(), 1);

    // Another case is another list: the track stops (its stream stays open), index 0.
    m_center->setPlaylist({"A.ogg", "b.ogg"});
    EXPECT_EQ(m_channel->stream(), playing);
    EXPECT_FALSE(playing->isPlaying());
    EXPECT_EQ(m_center->getMusicIndex(), 0);
    EXPECT_EQ(m_channel->playlist()[0], "A.ogg");
}

TEST_F(Music, TrackSelectionRules) {
    m_center->setPlaylist({"a.ogg", "Track_B.ogg"});
    World::files["track_b.ogg"] = mediatest::toneFile("b.ogg");

    EXPECT_TRUE(m_center->playMusic("TRACK_b.OGG", false));  // any case finds it
    EXPECT_EQ(m_center->getMusicIndex(), 1);
    audiere::OutputStream* first = m_channel->stream();
    EXPECT_FALSE(m_center->playMusic("c.ogg", true));  // not in the list: nothing changes
    EXPECT_EQ(m_channel->stream(), first);

    EXPECT_TRUE(m_center->playMusicTrack(1, false));  // already current: not restarted
    EXPECT_EQ(m_channel->stream(), first);
    EXPECT_TRUE(m_center->playMusicTrack(1, true));  // forced: a fresh stream
    EXPECT_NE(m_channel->stream(), first);
    EXPECT_FLOAT_EQ(m_channel->fade(), 1.0f);

    audiere::OutputStream* current = m_channel->stream();
    for (int bad : {2, 255, -1}) EXPECT_FALSE(m_center->playMusicTrack(bad, true)) << bad;
    EXPECT_EQ(m_channel->stream(), current);
    EXPECT_TRUE(current->isPlaying());
}

TEST_F(Music, ANameOutsideThePlaylistJoinsItWhenItsFileExists) {
    m_center->setPlaylist({"a.ogg"});
    ASSERT_TRUE(m_center->playMusicTrack(0, true));
    audiere::OutputStream* first = m_channel->stream();

    // b.ogg exists but is not listed: it is added and plays, the list keeps its first entry.
    EXPECT_TRUE(m_center->playMusic("b.ogg", false));
    EXPECT_EQ(m_channel->playlist(), (std::vector<std::string>{"a.ogg", "b.ogg"}));
    EXPECT_EQ(m_center->getMusicIndex(), 1);
    EXPECT_NE(m_channel->stream(), first);
    // Asked again in another case: found, not added twice, not restarted.
    audiere::OutputStream* second = m_channel->stream();
    EXPECT_TRUE(m_center->playMusic("B.OGG", false));
    EXPECT_EQ(m_channel->playlist().size(), 2u);
    EXPECT_EQ(m_channel->stream(), second);
    // A track listed by path is found by its file name.
    addFile("music\\a.ogg");
    m_center->setPlaylist({"music\\a.ogg", "b.ogg"});
    ASSERT_TRUE(m_center->playMusicTrack(1, true));
    second = m_channel->stream();
    EXPECT_TRUE(m_center->playMusic("A.ogg", false));
    EXPECT_EQ(m_center->getMusicIndex(), 0);
    EXPECT_EQ(m_channel->playlist().size(), 2u);
    ASSERT_TRUE(m_center->playMusicTrack(1, true));
    second = m_channel->stream();
    // No such file: nothing is added and the track goes on.
    EXPECT_FALSE(m_center->playMusic("none.ogg", false));
    EXPECT_EQ(m_channel->playlist().size(), 2u);
    EXPECT_EQ(m_channel->stream(), second);
    EXPECT_TRUE(second->isPlaying());
}

TEST_F(Music, VolumeScaleAndClamp) {
    m_center->setPlaylist({"b.ogg"});
    m_center->playMusicTrack(0, true);
    struct Case {
        float set, stream;
    } cases[] = {{100.0f, 0.6f}, {50.0f, 0.3f}, {200.0f, 1.0f}, {-20.0f, 0.0f}};
    for (const Case& c : cases) {
        m_center->setMusicVolume(c.set);
        EXPECT_FLOAT_EQ(m_center->getMusicVolume(), c.set);
        EXPECT_NEAR(streamVolume(), c.stream, 1e-6) << c.set;
    }
}

TEST_F(Music, PlayCountsFadeOutTrackChangeAndFadeIn) {
    m_center->setPlaylist({"a.ogg", "b.ogg"});
    ASSERT_TRUE(m_center->playMusicTrack(0, true));
    // 232 repeats of a, each one a fresh open, before its last play.
    for (int repeat = 1; repeat <= MusicChannel::kRepeats; ++repeat) {
        endTrack();
        ASSERT_EQ(m_channel->playCount(), repeat);
        ASSERT_EQ(m_center->getMusicIndex(), 0);
        ASSERT_TRUE(m_channel->stream()->isPlaying());
    }
    // The last play fades out over its last tenth (frames 900 to 1,000).
    mix(900);
    m_center->update(0.0f, true);
    EXPECT_FLOAT_EQ(m_channel->fade(), 1.0f);
    mix(50);
    m_center->update(0.0f, true);
    EXPECT_NEAR(m_channel->fade(), 0.5f, 1e-6);
    EXPECT_NEAR(streamVolume(), 0.5f * 0.6f, 1e-6);
    mix(49);  // under a fade of 0.02 the track stops and the next one starts, silent
    m_center->update(0.0f, true);
    EXPECT_EQ(m_center->getMusicIndex(), 1);
    EXPECT_EQ(m_channel->playCount(), 0);
    EXPECT_FLOAT_EQ(m_channel->fade(), 0.0f);
    EXPECT_FLOAT_EQ(streamVolume(), 0.0f);

    // Fade-in: one step of 0.02 per update, at most one per 250 ms of the clock.
    World::now += 251;
    m_center->update(0.0f, true);
    EXPECT_NEAR(m_channel->fade(), 0.02f, 1e-6);
    EXPECT_NEAR(streamVolume(), 0.02f * 0.6f, 1e-6);
    m_center->update(0.0f, true);
    World::now += 250;
    m_center->update(0.0f, true);
    EXPECT_NEAR(m_channel->fade(), 0.02f, 1e-6);
    World::now += 1;
    m_center->update(0.0f, true);
    EXPECT_NEAR(m_channel->fade(), 0.04f, 1e-6);
    int steps = 2;
    while (m_channel->fade() < 1.0f && steps < 100) {
        World::now += 251;
        m_center->update(0.0f, true);
        ++steps;
    }
    EXPECT_GE(steps, 49);
    EXPECT_LE(steps, 51);  // 50 steps of 0.02, give or take rounding
    EXPECT_FLOAT_EQ(m_channel->fade(), 1.0f);
    EXPECT_NEAR(streamVolume(), 0.6f, 0.02f);
}

// With every track missing the channel keeps playing: each update tries the current track again,
// and each missing file is logged once, not every frame. A file that comes back is played.
TEST_F(Music, AllTracksMissingAreRetriedEachUpdateAndLoggedOnce) {
    m_center->setPlaylist({"a.ogg", "gone1.ogg", "gone2.ogg"});
    ASSERT_TRUE(m_center->playMusicTrack(0, true));
    World::files.erase("a.ogg");  // every track is missing from now on
    endTrack();
    // The restart of a, then each track once (a's second failure is not logged again).
    EXPECT_EQ(logLines("not found music file ").size(), 3u);
    EXPECT_EQ(logLines("\tERROR\tnot found music file gone1.ogg").size(), 1u);
    EXPECT_FLOAT_EQ(m_channel->fade(), 0.0f);
    EXPECT_EQ(m_channel->state(), MediaSystem::ChannelState::Playing);
    EXPECT_EQ(m_center->getMusicIndex(), 0);
    const int finds = World::finderCalls;
    for (int i = 0; i < 5; ++i) m_center->update(0.0f, true);
    EXPECT_GE(World::finderCalls - finds, 5);  // tried again on every update
    EXPECT_EQ(logLines("not found music file ").size(), 3u);
    EXPECT_EQ(m_channel->state(), MediaSystem::ChannelState::Playing);

    addFile("a.ogg");
    m_center->update(0.0f, true);
    ASSERT_TRUE(m_channel->stream());
    EXPECT_TRUE(m_channel->stream()->isPlaying());
    EXPECT_EQ(m_center->getMusicIndex(), 0);
    EXPECT_FLOAT_EQ(m_channel->fade(), 0.0f);  // and fades in from silence
    // Once a track has opened, a new failure is news again.
    World::files.erase("a.ogg");
    endTrack();
    EXPECT_EQ(logLines("\tERROR\tnot found music file a.ogg").size(), 2u);
}

TEST_F(Music, OrderListsAreBounded) {
    m_center->setPlaylist({"a.ogg", "b.ogg"});
    struct Case {
        std::vector<int32_t> order;
        int expected;  // index after the track change, -1: none opened
    } cases[] = {
        {{}, 1},             // empty: in sequence
        {{0x100, 1}, 1},     // the low byte is the index
        {{7, 9, 200}, -1},   // nothing addressable: each position tried once
    };
    for (const Case& c : cases) {
        m_channel->setOrder(c.order);
        ASSERT_TRUE(m_center->playMusicTrack(0, true));
        for (int repeat = 0; repeat <= MusicChannel::kRepeats; ++repeat) endTrack();
        if (c.expected >= 0) {
            EXPECT_EQ(m_center->getMusicIndex(), c.expected);
            EXPECT_TRUE(m_channel->stream() && m_channel->stream()->isPlaying());
        } else {
            EXPECT_EQ(m_channel->state(), MediaSystem::ChannelState::Playing);  // still playing, so later updates try again
            EXPECT_FALSE(m_channel->stream() && m_channel->stream()->isPlaying());
        }
    }
}

TEST_F(Music, StopPauseEnable) {
    m_center->setPlaylist({"b.ogg"});
    ASSERT_TRUE(m_center->playMusicTrack(0, true));
    audiere::OutputStream* stream = m_channel->stream();
    mix(1000);

    m_center->pauseMusic(true);
    EXPECT_FALSE(stream->isPlaying());
    EXPECT_EQ(stream->getPosition(), 1000);  // pause keeps the place
    m_center->pauseMusic(false);
    EXPECT_TRUE(stream->isPlaying());

    m_center->stopMusic();
    EXPECT_FALSE(stream->isPlaying());
    EXPECT_EQ(stream->getPosition(), 0);
    EXPECT_EQ(m_center->getMusicIndex(), 255);
    m_center->resumeMusic();
    EXPECT_TRUE(stream->isPlaying());

    m_center->disableMusic();
    EXPECT_FALSE(m_center->isMusicEnabled());
    EXPECT_FALSE(stream->isPlaying());
    EXPECT_FALSE(m_center->playMusicTrack(0, true));  // disabled: nothing opens
    m_center->pauseMusic(false);
    EXPECT_FALSE(stream->isPlaying());
    m_center->setMusicEnabled(true);
    EXPECT_TRUE(m_center->isMusicEnabled());
    EXPECT_TRUE(stream->isPlaying());
}

TEST_F(Music, LongPlaylistKeeps255) {
    std::vector<std::string> names;
    for (int i = 0; i < 260; ++i) names.push_back("t" + std::to_string(i) + ".ogg");
    EXPECT_EQ(m_center->setPlaylist(names), 255u);
    EXPECT_EQ(m_center->getPlaylistSize(), 255u);
    EXPECT_EQ(logLines("left out t25").size(), 5u);  // t255 .. t259
}

}  // namespace
