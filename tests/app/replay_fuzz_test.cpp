// Replay files on arbitrary bytes: read as a replay, played to their end, recorded over and saved;
// as a libFuzzer target (app_replay_fuzz) and, in the ordinary tests, over seeds.
#include <cstdio>
#include <filesystem>
#include <string>

#include "app/replay_recorder.h"
#include "tests/support/fuzz_target.h"
#include "tests/support/temp_dir.h"

namespace {

// Playback of any file ends: each entry is taken once.
constexpr int kMostEvents = 100000;

void playFile(const uint8_t* data, size_t size) {
    static const testsupport::TempDir dir(false);
    const std::filesystem::path& folder = dir.path();
    const std::string in = (folder / "in.xml").string(), out = (folder / "out.xml").string();
    if (FILE* f = std::fopen(in.c_str(), "wb")) {
        if (size) std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    ReplayRecorder recorder;
    recorder.load(in);
    recorder.startPlay();
    ReplayEvent event;
    for (int i = 0; i < kMostEvents && recorder.isPlaying(); ++i) recorder.next(event, -1);
    recorder.next(event, size % 7);
    recorder.startRecord();
    recorder.record(event.x, event.y);
    recorder.save(out);
}

}  // namespace

TOV_FUZZ_TARGET(playFile(data, size))

#ifndef TOV_FUZZ_MAIN
#include <gtest/gtest.h>

TEST(ReplayFuzzSeeds, ArbitraryFilesPlayToTheirEndWithoutHarm) {
    const std::string head = "<?xml version=\"1.0\" ?>\n<root>\n<object name=\"Replay\">\n";
    const std::string tail = "</object>\n</root>\n";
    const std::vector<std::string> seeds = {
        "",
        head + tail,
        head + "<string name=\"0\" value=\"1|2|1|3\" /><string name=\"1\" value=\"1|2|0|100\" />" + tail,
        head + "<string name=\"0\" value=\"||||\" />" + tail,
        head + "<string name=\"0\" value=\"" + std::string(5000, '|') + "\" />" + tail,
        head + "<string name=\"0\" value=\"1e999|-1e999|nan|-0\" />" + tail,
        head + "<string name=\"-1\" value=\"1|1|1|1\" /><object name=\"0\"></object>" + tail,
        head + "<string name=\"0\" value=\"1|1|1|1\">" + tail,
        "<root><string name=\"0\" value=\"1|1|1|1\" /></root>",
        std::string("\x1f\x8b\x08\x00", 4),
        head + "<include file=\"in.xml\" />" + tail,
    };
    for (const std::string& seed : seeds) playFile(reinterpret_cast<const uint8_t*>(seed.data()), seed.size());
    const std::string whole = seeds[2];
    for (size_t cut = 0; cut <= whole.size(); cut += 7)
        playFile(reinterpret_cast<const uint8_t*>(whole.data()), cut);
    SUCCEED();
}
#endif
