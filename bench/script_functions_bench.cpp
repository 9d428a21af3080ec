// The element and clip script functions as a level script calls them on the demo room: a Lua
// loop of 1000 calls per iteration, so each figure is one call with its argument reading, its
// lookup and its work. The clip-path rows name the close-up's vase, found only after the room's
// own movie has been searched; the element rows name an element the room holds.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "app/game_layers.h"
#include "core/attr_xml.h"
#include "levels/base_element.h"
#include "levels/base_level.h"
#include "levels/level_factory.h"
#include "script/script_core.h"
#include "tests/support/demo_game.h"

namespace {

constexpr int kCallsPerIteration = 1000;

class BenchLevel : public BaseLevel {
public:
    using BaseLevel::BaseLevel;
};

BaseLevel* makeFromChapter(const std::string& name, BaseLevel* parent) {
    auto* level = new BenchLevel(parent);
    if (!level->initElements(Attr::loadDocument(name + ".xml"))) {
        delete level;
        return nullptr;
    }
    return level;
}

class RoomControl : public app::LevelControl {
public:
    app::GameLevel* getCurrentLevel(bool) override { return room; }
    BaseLevel* room = nullptr;
};

// The game on the demo chapter with the room current and "cup" bound to the clip "cup_1".
struct BenchRoom {
    testsupport::DemoGame demo{17};
    RoomControl control;
    BaseElement* cup = nullptr;
    BenchRoom() {
        if (!demo.started) std::abort();
        levels::setLevelFactory({&makeFromChapter, {}});
        control.room = makeFromChapter("room", nullptr);
        if (!control.room || !control.room->findCharacter("vase_sz", true)) std::abort();
        cup = new BaseElement(BaseElement::kKindHidden, "cup", "");
        cup->setCharacter(control.room->findCharacter("cup_1", true));
        control.room->addElement(cup);
        app::setLevelControl(&control);
        const char* const loops =
            "function bench_loop(f, a, b, c, d, e, g, h) for i = 1, 1000 do f(a, b, c, d, e, g, h) end end";
        if (runScriptBuffer(loops, 0, "bench") != 0) std::abort();
    }
    ~BenchRoom() {
        app::setLevelControl(nullptr);
        delete control.room;
        levels::setLevelFactory({});
        demo.game->shutdown();
    }
};

BenchRoom& benchRoom() {
    static BenchRoom room;
    return room;
}

// One batch of 1000 calls; a function of its own, so that callgrind can count just these
// (--toggle-collect='*runBatch*').
[[gnu::noinline]] void runBatch(lua_State* L) {
    lua_getglobal(L, "bench_call");
    if (lua_pcall(L, 0, 0, 0) != 0) std::abort();
}

// Runs `call` (a script expression of the function and its arguments) 1000 times per iteration.
void runLoop(benchmark::State& state, const std::string& arguments, bool clearAnimations = false) {
    BenchRoom& room = benchRoom();
    const std::string setup = "bench_call = function() bench_loop(" + arguments + ") end";
    if (runScriptBuffer(setup.c_str(), 0, "bench") != 0) std::abort();
    lua_State* L = currentScriptState();
    for (auto _ : state) {
        runBatch(L);
        if (clearAnimations) {
            state.PauseTiming();
            room.cup->clearAnimations();
            state.ResumeTiming();
        }
    }
    state.SetItemsProcessed(state.iterations() * kCallsPerIteration);
}

void BM_GetClipPosDeep(benchmark::State& state) { runLoop(state, "get_clip_pos, 'vase_sz'"); }
void BM_SetElementVisibleDeep(benchmark::State& state) { runLoop(state, "set_element_visible, 'vase_sz', true"); }
void BM_SetClipPos(benchmark::State& state) { runLoop(state, "set_clip_pos, 'cup', 10, 20"); }
void BM_SetAnimNew(benchmark::State& state) { runLoop(state, "set_anim_new, 'cup', 1, 2, 0, 0, 1, ''", true); }
void BM_GetCurrentFrame(benchmark::State& state) { runLoop(state, "get_current_frame, 'curtain'"); }

BENCHMARK(BM_GetClipPosDeep);
BENCHMARK(BM_SetElementVisibleDeep);
BENCHMARK(BM_SetClipPos);
BENCHMARK(BM_SetAnimNew);
BENCHMARK(BM_GetCurrentFrame);

}  // namespace
