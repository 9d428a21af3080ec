// The fly elements on the demo room's clips: one manager update with 50 running flights, turn
// flights held at their first step (a zero step never ends them) and a mix of turn, contour and
// anim flights kept at 50 by adding a new one for each that ends.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

#include "app/mouse_cursor.h"
#include "core/attr_xml.h"
#include "levels/base_level.h"
#include "levels/fly_elements.h"
#include "tests/support/game_fixture.h"
#include "tests/support/temp_dir.h"

namespace {

constexpr int kFlights = 50;
constexpr float kStep = 1.0f / 60.0f;
const char* const kClips[] = {"cup_1", "cup_2", "book", "candle", "clock", "bird", "key", "vase_1", "lock", "drawer"};
constexpr int kClipCount = 10;

class BenchLevel : public BaseLevel {
public:
    using BaseLevel::BaseLevel;
};

struct BenchGame {
    testsupport::TempDir dir{false};
    std::unique_ptr<testsupport::GameFixture> game;
    std::unique_ptr<BenchLevel> room;
    BenchGame() {
        std::filesystem::copy(std::filesystem::path(TOV_BENCH_SOURCE_DIR) / "demo", dir.path(),
                              std::filesystem::copy_options::recursive);
        game = std::make_unique<testsupport::GameFixture>(dir.path(), 17);
        if (!game->start() || !FlyElementsManager::instance()) std::abort();
        room = std::make_unique<BenchLevel>(nullptr);
        const std::string text = "<root><object name=\"room\"><string name=\"FileName\" value=\"room.swf\" /></object></root>";
        if (!room->initElements(Attr::parseDocument(text.c_str()))) std::abort();
        if (MouseCursor* cursor = MouseCursor::instance()) cursor->setPosition(500, 400);
    }
    flash::character* clip(int i) { return room->findCharacter(kClips[i % kClipCount], true); }
};

BenchGame& benchGame() {
    static BenchGame game;
    return game;
}

void BM_FiftyTurnFlights(benchmark::State& state) {
    BenchGame& game = benchGame();
    FlyElementsManager* flights = FlyElementsManager::instance();
    flights->clear();
    for (int i = 0; i < kFlights; ++i) flights->addTurnFly(game.clip(i), true, true);
    for (auto _ : state) flights->update(0.0f);
    if (flights->count() != kFlights) std::abort();
    flights->clear();
}
BENCHMARK(BM_FiftyTurnFlights)->Unit(benchmark::kMicrosecond);

void BM_FiftyMixedFlights(benchmark::State& state) {
    BenchGame& game = benchGame();
    FlyElementsManager* flights = FlyElementsManager::instance();
    flights->clear();
    int next = 0;
    auto topUp = [&] {
        while (flights->count() < kFlights) {
            flash::character* clip = game.clip(next);
            switch (next++ % 5) {
                case 0: case 1: flights->addTurnFly(clip, true, true); break;
                case 2: case 3: flights->addContourFly(clip, false, true); break;
                default: flights->addAnimFly(clip, true); break;
            }
        }
    };
    topUp();
    for (auto _ : state) {
        flights->update(kStep);
        topUp();
    }
    flights->clear();
}
BENCHMARK(BM_FiftyMixedFlights)->Unit(benchmark::kMicrosecond);

}  // namespace
