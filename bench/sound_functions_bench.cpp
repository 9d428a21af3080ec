// The game's script functions as a level script calls them on the demo room: play_sound of a
// loaded sound (goal under 5 us a call, its console line included) and the volume pair.
#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "app/application.h"
#include "app/game_layers.h"
#include "app/profiles.h"
#include "levels/base_level.h"
#include "levels/level_manager.h"
#include "script/script_core.h"
#include "tests/support/game_fixture.h"
#include "tests/support/game_run.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kCallsPerRun = 100000;

class BenchRoom : public BaseLevel {
public:
    explicit BenchRoom(BaseLevel* parent) : BaseLevel(parent) {}
};

// The game on a copy of the demo with the room as the current level.
struct RoomGame {
    testsupport::TempDir dir{false};
    std::unique_ptr<testsupport::GameFixture> game;
    bool ready = false;
    RoomGame() {
        fs::copy(testsupport::demoFolder(), dir.path(), fs::copy_options::recursive);
        game = std::make_unique<testsupport::GameFixture>(dir.path(), 50);
        if (!game->start()) return;
        if (Profiles* profiles = Profiles::instance(); profiles && profiles->name.empty()) profiles->createProfile("Bench");
        game->skipLogos();
        if (BaseRender* entry = app::screen(app::Screen::EnterName)) entry->hide();
        game->app().setActivePanel(nullptr);
        levels::setLevelMaker("hidden", [](BaseLevel* parent) -> BaseLevel* { return new BenchRoom(parent); });
        ready = LevelManager::instance()->startLevel("room");
        LevelManager::instance()->joinWorkers();
    }
};

void runScriptLoop(benchmark::State& state, const std::string& body) {
    RoomGame room;
    if (!room.ready) {
        state.SkipWithError("the room did not start");
        return;
    }
    const std::string script = "for i = 1, " + std::to_string(kCallsPerRun) + " do " + body + " end";
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        if (runScriptBuffer(script.c_str(), 0, "bench") != 0) state.SkipWithError("script failed");
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count() / kCallsPerRun);
    }
}

void BM_PlaySound(benchmark::State& state) { runScriptLoop(state, "play_sound('room_bell')"); }
BENCHMARK(BM_PlaySound)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(3);

void BM_SetAndGetVolume(benchmark::State& state) { runScriptLoop(state, "set_volume(false, get_volume(false))"); }
BENCHMARK(BM_SetAndGetVolume)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(3);

}  // namespace
