#include "audio/sndfx_system.h"

#include "platform/audio/mixer.h"
#include "tests/audio/media_fixture.h"

using MediaSystem::MediaCenter;
using MediaSystem::SndfxSystem;
using mediatest::World;

namespace {

class Effects : public mediatest::MediaTest {
protected:
    void SetUp() override {
        MediaTest::SetUp();
        addFile("fx.ogg");
        addFile("blip.ogg");
        m_center = std::make_unique<MediaCenter>(80.0f, 50.0f);
        m_fx = m_center->sndfxSystem();
        auto& table = m_center->getSoundList();
        table["fx"] = "Sounds\\fx.ogg";
        table["blip"] = "blip.ogg";
        table["missing"] = "nowhere.ogg";
        table["loud"] = "fx.ogg";
        table["quiet"] = "fx.ogg";
    }
    void TearDown() override {
        m_center.reset();
        MediaTest::TearDown();
    }
    audiere::OutputStream* stream(int index) const { return m_fx->slot(index).stream.get(); }

    std::unique_ptr<MediaCenter> m_center;
    SndfxSystem* m_fx = nullptr;
};

TEST_F(Effects, ThirtySlotsThenAWarning) {
    World::files["fx.ogg"] = mediatest::toneFile("fx.ogg");
    World::files["sounds\\fx.ogg"] = mediatest::toneFile("fx.ogg");
    for (int i = 0; i < SndfxSystem::kSlotCount; ++i) ASSERT_EQ(m_center->playSound("fx", false, false, false), i);
    EXPECT_EQ(World::finderCalls, 1);  // found once, cached by name
    EXPECT_EQ(m_center->playSound("fx", false, false, false), -1);
    auto warnings = logLines("\tWARNING\tMediaSystem::SndfxSystem::playFile not found free stream!");
    EXPECT_EQ(warnings.size(), 1u);

    // A finished sound's slot is free at once for findFreeSlot, and emptied by the update.
    m_center->stopSound(4);
    EXPECT_EQ(m_center->playSound("blip", false, false, false), 4);
    mix(2100);
    EXPECT_FALSE(m_center->isSoundPlaying(4));
    EXPECT_EQ(m_fx->findFreeSlot(), 4);
    m_center->update(0.0f, true);
    EXPECT_TRUE(m_fx->slot(4).name.empty());
    EXPECT_EQ(m_fx->slot(5).name, "fx");
}

TEST_F(Effects, ReuseRestartsTheSameSlot) {
    World::files["sounds\\fx.ogg"] = mediatest::toneFile("fx.ogg");
    int first = m_center->playSound("fx", true, false, true);
    ASSERT_EQ(first, 0);
    m_center->playSound("blip", false, false, false);
    audiere::OutputStream* loaded = stream(first);
    mix(1500);
    EXPECT_EQ(loaded->getPosition(), 1500);
    EXPECT_EQ(m_center->playSound("fx", false, false, true), first);
    EXPECT_EQ(stream(first), loaded);  // not reloaded
    EXPECT_EQ(loaded->getPosition(), 0);
    EXPECT_FALSE(loaded->getRepeat());
    // Without reuse the same name takes another slot.
    EXPECT_EQ(m_center->playSound("fx", false, false, false), 2);
}

TEST_F(Effects, TransientSoundsWhilePaused) {
    m_center->playSound("blip", true, false, false);
    m_center->pauseSounds(true);
    EXPECT_EQ(m_fx->state(), MediaSystem::ChannelState::Stopped);
    EXPECT_FALSE(m_center->isSoundPlaying(0));
    EXPECT_EQ(m_center->playSound("blip", false, true, false), -1);
    int waiting = m_center->playSound("blip", false, false, false);
    ASSERT_EQ(waiting, 1);  // the paused sound keeps its slot
    EXPECT_FALSE(m_center->isSoundPlaying(waiting));  // loaded, waiting for the resume
    m_center->pauseSounds(false);
    EXPECT_TRUE(m_center->isSoundPlaying(0));
    EXPECT_TRUE(m_center->isSoundPlaying(waiting));
}

TEST_F(Effects, StopSoundIndices) {
    for (int i = 0; i < 3; ++i) m_center->playSound("blip", true, false, false);
    m_center->stopSound(30);
    m_center->stopSound(1000);
    EXPECT_TRUE(m_center->isSoundPlaying(2));
    EXPECT_FALSE(m_center->isSoundPlaying(30));
    EXPECT_FALSE(m_center->isSoundPlaying(-2));
    m_center->stopSound(1);
    EXPECT_FALSE(m_center->isSoundPlaying(1));
    EXPECT_TRUE(m_fx->slot(1).name.empty());
    m_center->stopSound(-1);
    for (int i = 0; i < SndfxSystem::kSlotCount; ++i) {
        EXPECT_FALSE(m_fx->slot(i).stream) << i;
        EXPECT_TRUE(m_fx->slot(i).name.empty()) << i;
    }
}

TEST_F(Effects, VolumeFactorsAndLimits) {
    World::files["fx.ogg"] = mediatest::toneFile("fx.ogg");
    auto& factors = m_center->getSoundVolumes();
    factors["loud"] = 3.0f;
    factors["quiet"] = 0.5f;
    factors["blip"] = -1.0f;
    int loud = m_center->playSound("loud", true, false, false);
    int quiet = m_center->playSound("quiet", true, false, false);
    int blip = m_center->playSound("blip", true, false, false);
    int fx = -1;
    World::files["sounds\\fx.ogg"] = mediatest::toneFile("fx.ogg");
    fx = m_center->playSound("fx", true, false, false);
    ASSERT_GE(fx, 0);
    struct Case {
        float set, loud, quiet, blip, fx;
    } cases[] = {
        {80.0f, 1.0f, 0.4f, 0.0f, 0.8f},
        {150.0f, 1.0f, 0.5f, 0.0f, 1.0f},  // stored as given, played at most at factor x 1.0
        {-10.0f, 0.0f, 0.0f, 0.0f, 0.0f},
    };
    for (const Case& c : cases) {
        m_center->setSoundVolume(c.set);
        EXPECT_FLOAT_EQ(m_center->getSoundVolume(), c.set);
        EXPECT_NEAR(stream(loud)->getVolume(), c.loud, 1e-6) << c.set;
        EXPECT_NEAR(stream(quiet)->getVolume(), c.quiet, 1e-6) << c.set;
        EXPECT_NEAR(stream(blip)->getVolume(), c.blip, 1e-6) << c.set;
        EXPECT_NEAR(stream(fx)->getVolume(), c.fx, 1e-6) << c.set;
    }
    EXPECT_EQ(factors.count("fx"), 0u);  // an unknown name plays at 1.0 and adds nothing
    m_fx->setVolume(30, 10.0f);          // beyond the slots: only stored
    EXPECT_FLOAT_EQ(m_center->getSoundVolume(), 10.0f);
    EXPECT_NEAR(stream(fx)->getVolume(), 0.0f, 1e-6);
}

TEST_F(Effects, UnknownMissingAndDisabled) {
    EXPECT_EQ(m_center->playSound("", false, false, false), -1);
    EXPECT_EQ(m_center->playSound("nope", false, false, false), -1);
    EXPECT_EQ(m_center->getSoundVolumes().size(), 0u);
    EXPECT_EQ(m_center->playSound("missing", false, false, false), -1);
    EXPECT_EQ(m_center->playSound("missing", false, false, false), -1);
    EXPECT_EQ(World::finderCalls, 1);  // the miss stays cached
    EXPECT_TRUE(m_fx->slot(0).name.empty());
    EXPECT_FALSE(m_fx->slot(0).stream);
    EXPECT_EQ(logLines("\tWARNING\t").size() + logLines("\tERROR\t").size(), 0u);  // silent failures

    // A file that is not Ogg Vorbis: no stream, the slot stays free.
    World::files["blip.ogg"] = "not a sound";
    EXPECT_EQ(m_center->playSound("blip", false, false, false), -1);
    EXPECT_FALSE(m_fx->slot(0).stream);

    World::files["blip.ogg"] = mediatest::toneFile("blip.ogg");
    m_center->getSoundList()["blip2"] = "blip.ogg";
    ASSERT_EQ(m_center->playSound("blip2", true, false, false), 0);
    m_center->setSoundEnabled(false);
    EXPECT_FALSE(m_center->isSoundEnabled());
    EXPECT_FALSE(m_fx->slot(0).stream);
    EXPECT_EQ(m_center->playSound("blip2", true, false, false), -1);
    m_center->setSoundEnabled(true);
    for (int i = 0; i < SndfxSystem::kSlotCount; ++i) EXPECT_FALSE(m_center->isSoundPlaying(i));
}

TEST_F(Effects, MixedLevelFollowsVolumeAndFactor) {
    World::files["fx.ogg"] = mediatest::toneFile("fx.ogg");
    m_center->getSoundVolumes()["quiet"] = 0.5f;
    m_center->setSoundVolume(100.0f);
    ASSERT_EQ(m_center->playSound("quiet", false, false, false), 0);
    std::vector<int16_t> out(2 * 20000);
    device("directsound")->mixer().mix(out.data(), 20000);
    int peak = 0;
    for (int16_t s : out) peak = std::max(peak, std::abs(static_cast<int>(s)));
    EXPECT_NEAR(peak, 0.8 * 0.5 * 32767, 0.8 * 0.5 * 32767 * 0.03);
}

}  // namespace
