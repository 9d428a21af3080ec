// The inventory on the demo chapter: the level's periodic "inventory.update()" run on the demo's
// own module holding 20 items, and presses on the panel's inventory clips turned into their
// script calls (with the module's functions emptied, so only the native side and the call count).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/mouse_cursor.h"
#include "levels/base_element.h"
#include "levels/inventory.h"
#include "screens/main_panel.h"
#include "script/script_core.h"
#include "tests/support/game_fixture.h"
#include "tests/support/temp_dir.h"

namespace {

struct BenchGame {
    testsupport::TempDir dir{false};
    std::unique_ptr<testsupport::GameFixture> game;
    BenchGame() {
        std::filesystem::copy(std::filesystem::path(TOV_BENCH_SOURCE_DIR) / "demo", dir.path(),
                              std::filesystem::copy_options::recursive);
        game = std::make_unique<testsupport::GameFixture>(dir.path(), 17);
        if (!game->start() || !Inventory::instance() || !MainPanel::instance()) std::abort();
    }
};

BenchGame& benchGame() {
    static BenchGame game;
    return game;
}

void run(const char* text) { runScriptBuffer(text, 0, "bench"); }

void BM_DemoInventoryUpdate20Items(benchmark::State& state) {
    benchGame();
    run("inventory.reset()");
    std::vector<std::unique_ptr<BaseElement>> items;
    for (int i = 0; i < 20; ++i) {
        items.push_back(std::make_unique<BaseElement>(BaseElement::kKindInventoryOnCursor, "item" + std::to_string(i), ""));
        Inventory::instance()->onItemAdded(items.back().get(), true);
    }
    const std::string update = "inventory.update()";
    for (auto _ : state) runScriptBuffer(update.c_str(), update.size(), "inventory.update");
    run("inventory.reset()");
}
BENCHMARK(BM_DemoInventoryUpdate20Items)->Unit(benchmark::kMicrosecond);

// The module's functions do nothing: what is measured is the press's way to the call.
struct EmptyModule {
    EmptyModule() {
        run("bench_saved = inventory inventory = {scroll_right = function() end, right_click_callback = function(n) end}");
    }
    ~EmptyModule() { run("inventory = bench_saved"); }
};

void BM_ArrowPressToScroll(benchmark::State& state) {
    benchGame();
    EmptyModule module;
    flash::character* arrow = MainPanel::instance()->findClip(Inventory::kRightArrow);
    if (!arrow) std::abort();
    for (auto _ : state) Inventory::clipCallback(arrow, 1);
}
BENCHMARK(BM_ArrowPressToScroll)->Unit(benchmark::kMicrosecond);

void BM_PressWithAnItemHeldToRightClick(benchmark::State& state) {
    benchGame();
    EmptyModule module;
    flash::character* cell = MainPanel::instance()->findClip(Inventory::kFirstCell);
    if (!cell) std::abort();
    BaseElement held(BaseElement::kKindInventoryOnCursor, "held_item_with_a_longer_name", "");
    MouseCursor::instance()->setConnectedElement(&held, true);
    for (auto _ : state) Inventory::clipCallback(cell, 1);
    MouseCursor::instance()->setConnectedElement(nullptr, true);
}
BENCHMARK(BM_PressWithAnItemHeldToRightClick)->Unit(benchmark::kMicrosecond);

}  // namespace
