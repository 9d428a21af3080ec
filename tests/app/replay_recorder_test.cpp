// The replay recorder on the fixed clock: the entries a recording writes and their saved XML,
// playback pacing, the malformed entries of hostile files, a long recording, and its script class.
#include "app/replay_recorder.h"

#include <gtest/gtest.h>
#include <lua.hpp>

#include <string>
#include <vector>

#include "core/cvar_catalogue.h"
#include "platform/clock.h"
#include "script/script_core.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

// A replay file of the given entries "0", "1", ...
std::string replayFile(const std::vector<std::string>& entries) {
    std::string text = "<?xml version=\"1.0\" standalone=\"yes\" ?>\n<root>\n<object name=\"Replay\">\n";
    for (size_t i = 0; i < entries.size(); ++i)
        text += "<string name=\"" + std::to_string(i) + "\" value=\"" + entries[i] + "\" />\n";
    return text + "</object>\n</root>\n";
}

class Replay : public ::testing::Test {
protected:
    void SetUp() override {
        platform::useVirtualClock(10);
        saved = d_rrDelay->toString();
    }
    void TearDown() override {
        d_rrDelay->setFromString(saved.c_str());
        platform::useSystemClock();
    }
    void load(const std::vector<std::string>& entries) {
        testsupport::writeFile(dir.path() / "in.xml", replayFile(entries));
        recorder.load((dir.path() / "in.xml").string());
    }

    testsupport::TempDir dir{false};
    ReplayRecorder recorder;
    std::string saved;
};

TEST_F(Replay, TwoClicksWriteAPressWithTheTimeSinceTheLastAndAReleaseEach) {
    recorder.startRecord();
    EXPECT_TRUE(recorder.isRecording());
    platform::advanceVirtualClockMs(1200);
    recorder.record(100, 200);
    platform::advanceVirtualClockMs(2500);
    recorder.record(300.5f, 400);
    EXPECT_EQ(recorder.index(), 4);
    const std::vector<std::string> expected = {"100|200|1|1200", "100|200|0|100", "300.5|400|1|2500", "300.5|400|0|100"};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(recorder.entry(i), expected[static_cast<size_t>(i)]) << i;
    EXPECT_EQ(recorder.entry(4), "");

    const fs::path file = dir.path() / "replay.xml";
    ASSERT_TRUE(recorder.save(file.string()));
    const std::string xml = testsupport::readFile(file);
    EXPECT_NE(xml.find("<object name=\"Replay\">"), std::string::npos) << xml;
    EXPECT_NE(xml.find("<string name=\"2\" value=\"300.5|400|1|2500\" />"), std::string::npos) << xml;
    ReplayRecorder::instance()->reset();
    EXPECT_EQ(recorder.entry(0), "");
    recorder.load(file.string());
    for (int i = 0; i < 4; ++i) EXPECT_EQ(recorder.entry(i), expected[static_cast<size_t>(i)]) << i;
}

TEST_F(Replay, RecordingAfterALoadOverwritesFromTheFirstEntry) {
    load({"1|1|1|10", "1|1|0|100", "2|2|1|10", "2|2|0|100"});
    recorder.startRecord();
    platform::advanceVirtualClockMs(50);
    recorder.record(9, 9);
    EXPECT_EQ(recorder.entry(0), "9|9|1|50");
    EXPECT_EQ(recorder.entry(2), "2|2|1|10");
}

TEST_F(Replay, AnEmptyReplayGivesOneEventAtTheCornerAndStops) {
    recorder.startPlay();
    ASSERT_TRUE(recorder.isPlaying());
    ReplayEvent event{5, 5, 1};
    recorder.next(event, -1);
    EXPECT_EQ(event.x, 0.0f);
    EXPECT_EQ(event.y, 0.0f);
    EXPECT_EQ(event.buttons, 0);
    EXPECT_FALSE(recorder.isPlaying());
    // An unreadable file is an empty replay.
    recorder.load((dir.path() / "missing.xml").string());
    recorder.startPlay();
    recorder.next(event, -1);
    EXPECT_FALSE(recorder.isPlaying());
}

TEST_F(Replay, EachEventWaitsTheTimeOfTheEntryBeforeItOrTheFixedDelay) {
    load({"10|20|1|1500", "10|20|0|100", "30|40|1|700", "30|40|0|100"});
    recorder.startPlay();
    ReplayEvent event;
    // Before the first entry: the delay from start-up.
    EXPECT_FLOAT_EQ(recorder.delay(), ReplayRecorder::kStartDelay);
    const float delays[] = {1.5f, 0.1f, 0.7f, 0.1f};
    for (int i = 0; i < 4; ++i) {
        recorder.next(event, -1);
        EXPECT_FLOAT_EQ(recorder.delay(), delays[i]) << i;
        platform::advanceVirtualClockMs(static_cast<uint64_t>(delays[i] * 1000.0f + 0.5f));
        EXPECT_FALSE(recorder.delayPassed()) << i;  // the full delay, and then some
        platform::advanceVirtualClockMs(10);
        EXPECT_TRUE(recorder.delayPassed()) << i;
    }
    EXPECT_EQ(event.x, 30.0f);
    EXPECT_EQ(event.buttons, 0);

    d_rrDelay->setFromString("0.2");
    recorder.startPlay();
    for (int i = 0; i < 4; ++i) {
        recorder.next(event, -1);
        EXPECT_FLOAT_EQ(recorder.delay(), 0.2f) << i;
    }
}

TEST_F(Replay, HostileEntriesEndPlaybackOrAreClampedIntoTheGame) {
    struct Case {
        const char* entry;
        bool plays;  // the entry is taken and playback goes on
        float x, y;
        int buttons;
        float delay;
    } cases[] = {
        {"100|200|1|250", true, 100, 200, 1, 0.25f},
        {"100|200|1", false, 0, 0, 0, ReplayRecorder::kStartDelay},
        {"100|200|1|250|5", false, 0, 0, 0, ReplayRecorder::kStartDelay},
        {"left|top|1|250", false, 0, 0, 0, ReplayRecorder::kStartDelay},
        {"100|200|1|", false, 0, 0, 0, ReplayRecorder::kStartDelay},
        {"nan|nan|nan|nan", true, 0, 0, 0, 0},
        {"1e30|-1e30|1e30|1e30", true, 1023, 0, 6, 60},
        {"inf|inf|-inf|-5", true, 1023, 767, 0, 0},
        {"-3|800|1|-250", true, 0, 767, 1, 0},
    };
    for (const Case& c : cases) {
        load({c.entry, "1|1|0|100"});
        recorder.startPlay();
        ReplayEvent event;
        recorder.next(event, -1);
        EXPECT_EQ(recorder.isPlaying(), c.plays) << c.entry;
        EXPECT_EQ(event.x, c.x) << c.entry;
        EXPECT_EQ(event.y, c.y) << c.entry;
        EXPECT_EQ(event.buttons, c.buttons) << c.entry;
        if (c.plays) EXPECT_FLOAT_EQ(recorder.delay(), c.delay) << c.entry;
    }
    // An entry of another type, or a file whose top is no object, is no entry.
    testsupport::writeFile(dir.path() / "typed.xml",
                           "<?xml version=\"1.0\" ?>\n<root>\n<object name=\"Replay\"><integer name=\"0\" value=\"5\" />"
                           "<integer name=\"1\" value=\"6\" />"
                           "</object>\n</root>\n");
    recorder.load((dir.path() / "typed.xml").string());
    recorder.startPlay();
    ReplayEvent event;
    recorder.next(event, -1);
    EXPECT_FALSE(recorder.isPlaying());
    // Recording goes on after the entry taken, replacing what stands there.
    recorder.startRecord();
    recorder.record(4, 5);
    EXPECT_EQ(recorder.entry(1), "4|5|1|0");
    EXPECT_EQ(recorder.entry(2), "4|5|0|100");
}

TEST_F(Replay, ALongRecordingLoadsAndPlaysToItsEnd) {
    constexpr int kEntries = 100000;
    std::vector<std::string> entries;
    entries.reserve(kEntries);
    for (int i = 0; i < kEntries; ++i) entries.push_back(std::to_string(i % 1024) + "|5|" + std::to_string(i & 1) + "|1");
    load(entries);
    recorder.startPlay();
    ReplayEvent event;
    int taken = 0;
    while (recorder.isPlaying() && taken <= kEntries) {
        recorder.next(event, -1);
        ++taken;
    }
    EXPECT_EQ(taken, kEntries + 1);
}

TEST_F(Replay, TheScriptClassDrivesTheRecorder) {
    ASSERT_TRUE(startScriptState());
    const std::string file = (dir.path() / "scripted.xml").string();
    const std::string chunk = "local r = replay_recorder()\n"
                              "r:startRecord()\n"
                              "r:save('" + file + "')\n"
                              "r:reset()\n"
                              "r:load('" + file + "')\n"
                              "r:startPlay()\n";
    EXPECT_EQ(runScriptBuffer(chunk.c_str(), 0, "replay"), kScriptOk);
    EXPECT_TRUE(recorder.isPlaying());
    EXPECT_TRUE(fs::exists(file));
    closeScriptState();
}

}  // namespace
