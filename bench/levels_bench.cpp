// The level base on the demo chapter: update and render of a level with 100 elements, 20 running
// animations and ten minilevels (drawn through a render handler that only counts), and the demo
// room's set-up from its description with its movies already read.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

#include "app/application.h"
#include "bench/counting_render_handler.h"
#include "core/attr_xml.h"
#include "flash/movie/movie_root.h"
#include "flash/movie/player.h"
#include "flash/movie/sprite_instance.h"
#include "flash/render/render_handler.h"
#include "levels/base_element.h"
#include "levels/base_level.h"
#include "levels/level_factory.h"
#include "tests/support/game_fixture.h"
#include "tests/support/temp_dir.h"

namespace {

class BenchLevel : public BaseLevel {
public:
    using BaseLevel::BaseLevel;
};

struct BenchGame {
    testsupport::TempDir dir{false};
    std::unique_ptr<testsupport::GameFixture> game;
    BenchGame() {
        std::filesystem::copy(std::filesystem::path(TOV_BENCH_SOURCE_DIR) / "demo", dir.path(),
                              std::filesystem::copy_options::recursive);
        game = std::make_unique<testsupport::GameFixture>(dir.path(), 17);
        if (!game->start()) std::abort();
    }
};

BenchGame& benchGame() {
    static BenchGame game;
    return game;
}

Attr::AttributePtr parse(const std::string& name, const std::string& inner) {
    const std::string text = "<root><object name=\"" + name + "\">" + inner + "</object></root>";
    return Attr::parseDocument(text.c_str());
}

// Minilevels of the busy level: the close-up's hooks, inside the parent's movie.
BaseLevel* makeShared(const std::string&, BaseLevel* parent) {
    auto* level = new BenchLevel(parent);
    if (!level->initElements(parse("closeup", ""))) {
        delete level;
        return nullptr;
    }
    return level;
}

// From the chapter's descriptions.
BaseLevel* makeFromChapter(const std::string& name, BaseLevel* parent) {
    auto* level = new BenchLevel(parent);
    if (!level->initElements(Attr::loadDocument(name + ".xml"))) {
        delete level;
        return nullptr;
    }
    return level;
}

void BM_BusyLevelFrame(benchmark::State& state) {
    benchGame();
    levels::setLevelFactory({&makeShared, {}});
    std::string doors;
    for (int i = 0; i < BaseLevel::kMaxMinilevels; ++i)
        doors += "<string name=\"door" + std::to_string(i) + "\" value=\"closeup\" />";
    auto* level = new BenchLevel(nullptr);
    if (!level->initElements(parse("room", "<string name=\"FileName\" value=\"room.swf\" /><object name=\"minilevels\">" +
                                               doors + "</object>")))
        std::abort();
    level->startChapter();
    const char* const clips[] = {"cup_1", "cup_2", "book", "candle", "clock", "bird", "key", "vase_1", "lock", "drawer"};
    for (int i = 0; static_cast<int>(level->getElements().size()) < 100; ++i) {
        auto* element = new BaseElement(0, "e" + std::to_string(i), "");
        element->setCharacter(level->findCharacter(clips[i % 10], false));
        level->addElement(element);
        if (i < 20) {
            auto* animation = new ElementAnimation();
            animation->startMatrix = element->getCharacter()->get_matrix();
            animation->dx = 200.0f;
            animation->duration = 1e9f;  // runs through the whole measurement
            element->addAnimation(animation);
        }
    }
    benchsupport::counting_render_handler counting;
    flash::render_handler* saved = flash::get_render_handler();
    flash::set_render_handler(&counting);
    constexpr float kStep = 1.0f / 60.0f;
    for (int warm = 0; warm < 10; ++warm) {
        level->update(kStep);
        level->render(kStep);
    }
    for (auto _ : state) {
        level->update(kStep);
        level->render(kStep);
    }
    flash::set_render_handler(saved);
    state.counters["vertices/frame"] = static_cast<double>(counting.vertices) / static_cast<double>(state.iterations() + 10);
    delete level;
    levels::setLevelFactory({});
}
BENCHMARK(BM_BusyLevelFrame)->Unit(benchmark::kMicrosecond);

void BM_InitDemoRoom(benchmark::State& state) {
    benchGame();
    levels::setLevelFactory({&makeFromChapter, {}});
    flash::player* player = Application::instance()->player();
    const Attr::AttributePtr description = Attr::loadDocument("room.xml");
    for (auto _ : state) {
        state.PauseTiming();
        // A level's deletion takes its movie out of the library: read it again, untimed.
        player->create_movie("room.swf");
        player->create_movie("closeup.swf");
        auto* level = new BenchLevel(nullptr);
        state.ResumeTiming();
        if (!level->initElements(description)) std::abort();
        state.PauseTiming();
        delete level;
        state.ResumeTiming();
    }
    levels::setLevelFactory({});
}
BENCHMARK(BM_InitDemoRoom)->Unit(benchmark::kMillisecond);

}  // namespace
