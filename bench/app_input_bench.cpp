// Input costs against their goals: one mouse event routed through a render list of nine screens
// (the length start-up gives it) and a level, under 20 us; the cursor's frame update and move,
// under 10 us; loading a replay of 10,000 entries, under 50 ms.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "app/application.h"
#include "app/game_layers.h"
#include "app/mouse_cursor.h"
#include "app/replay_recorder.h"
#include "flash/movie/movie_root.h"
#include "flash/movie/player.h"
#include "input/input_event.h"
#include "tests/support/game_run.h"
#include "tests/support/game_fixture.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

// A screen over a demo movie.
class Screen : public BaseRender {
public:
    explicit Screen(const char* movie) { setRoot(Application::instance()->player()->load_file(movie).get_ptr()); }
};

class Level : public app::GameLevel {
public:
    Level() { setRoot(Application::instance()->player()->load_file("room.swf").get_ptr()); }
    void onEvent(flash::character*, int) override {}
    bool onInputEvent(InputEvent* event) override { return event != nullptr; }
    bool onKey(KeyEvent*) override { return false; }
    bool hint() override { return false; }
    bool skip() override { return false; }
    void scale(float) override {}
    bool isMovieReady() const override { return true; }
};

class Levels : public app::LevelControl {
public:
    explicit Levels(app::GameLevel* level) : m_level(level) { app::setLevelControl(this); }
    ~Levels() override { app::setLevelControl(nullptr); }
    app::GameLevel* getCurrentLevel(bool) override { return m_level; }

private:
    app::GameLevel* m_level;
};

void BM_RouteMouseEventNineScreensAndALevel(benchmark::State& state) {
    testsupport::TempDir dir(false);
    fs::copy(testsupport::demoFolder(), dir.path(), fs::copy_options::recursive);
    testsupport::GameFixture game(dir.path());
    if (!game.start()) return state.SkipWithError("start-up failed");
    std::vector<std::unique_ptr<Screen>> screens;
    const char* movies[] = {"mainpanel-inventory.swf", "mainmenu.swf", "pausemenu.swf", "dialogs.swf", "choosename.swf",
                            "entername.swf", "msgbox.swf", "_console.swf"};
    std::vector<BaseRender*>& list = game.app().renderList();
    const std::vector<BaseRender*> kept = list;
    list.clear();
    for (const char* movie : movies) {
        screens.push_back(std::make_unique<Screen>(movie));
        list.push_back(screens.back().get());
    }
    list.push_back(MouseCursor::instance());
    Level level;
    Levels levels(&level);
    MouseEvent event;
    event.button = 0;
    int i = 0;
    for (auto _ : state) {
        event.type = (++i & 1) ? MOUSE_PRESSED : MOUSE_RELEASED;
        game.app().onMouseEvent(&event);
    }
    state.counters["screens"] = static_cast<double>(list.size());
    list = kept;
}
BENCHMARK(BM_RouteMouseEventNineScreensAndALevel)->Unit(benchmark::kMicrosecond);

void BM_CursorFrame(benchmark::State& state) {
    testsupport::TempDir dir(false);
    fs::copy(testsupport::demoFolder(), dir.path(), fs::copy_options::recursive);
    testsupport::GameFixture game(dir.path());
    if (!game.start()) return state.SkipWithError("start-up failed");
    MouseCursor* cursor = MouseCursor::instance();
    cursor->startPenalty();
    int x = 0;
    for (auto _ : state) {
        cursor->update(0.0001f);
        x = (x + 7) & 1023;
        cursor->setPosition(x, 384);
    }
}
BENCHMARK(BM_CursorFrame)->Unit(benchmark::kMicrosecond);

// Entries: 10,000 (the goal's size) and 1,000,000 (a hostile file: the time grows in proportion).
void BM_LoadReplay(benchmark::State& state) {
    const int entries = static_cast<int>(state.range(0));
    testsupport::TempDir dir(false);
    const fs::path file = dir.path() / "long.replay";
    {
        std::string text = "<?xml version=\"1.0\" standalone=\"yes\" ?>\n<root>\n<object name=\"Replay\">\n";
        for (int i = 0; i < entries; ++i)
            text += "<string name=\"" + std::to_string(i) + "\" value=\"" + std::to_string(i % 1024) + "|" +
                    std::to_string(i % 768) + "|" + std::to_string(i & 1) + "|100\" />\n";
        text += "</object>\n</root>\n";
        testsupport::writeFile(file, text);
    }
    ReplayRecorder recorder;
    for (auto _ : state) {
        recorder.load(file.string());
        benchmark::DoNotOptimize(recorder.replay().get());
    }
}
BENCHMARK(BM_LoadReplay)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace
