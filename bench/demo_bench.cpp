// The demo chapter's costs: make-demo writing the whole tree (goal: under 20 s), and swfrun
// playing 1,000 fixed-step frames of the main menu (goal: under 5 s). Both run the programs as
// they are run by hand, so the figures include process start.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

void run(benchmark::State& state, const std::string& command) {
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0) state.SkipWithError(("failed: " + command).c_str());
    }
}

void BM_MakeDemo(benchmark::State& state) {
    const std::filesystem::path out = std::filesystem::temp_directory_path() / "tov_demo_bench";
    run(state, std::string("\"") + MAKE_DEMO + "\" \"" + out.string() + "\"");
    std::error_code ec;
    std::filesystem::remove_all(out, ec);
}
BENCHMARK(BM_MakeDemo)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void BM_SwfrunMainMenu1000Frames(benchmark::State& state) {
    run(state, std::string("SDL_VIDEODRIVER=offscreen TOV_TEST_CLOCK_MS=16 \"") + SWFRUN + "\" \"" + TOV_SOURCE_DIR +
                   "/demo/data/movies/mainmenu.swf\" --frames 1000 >/dev/null 2>&1");
}
BENCHMARK(BM_SwfrunMainMenu1000Frames)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace
