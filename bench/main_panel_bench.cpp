// The heads-up panel's costs against their goals: its update and render with 20 notices, 10 of
// them sliding, under 0.1 ms a frame (drawn through the counting handler, so the figure is the
// engine's and the panel's CPU time; with and without the text callback's bitmap fonts), and
// the task list's build for 60 elements under 2 ms.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "app/game_layers.h"
#include "bench/counting_render_handler.h"
#include "flash/movie/edit_text_character.h"
#include "flash/movie/host_callbacks.h"
#include "flash/render/bitmap_info.h"
#include "screens/main_panel.h"
#include "screens/main_panel_notice.h"
#include "tests/support/game_run.h"
#include "tests/support/game_fixture.h"
#include "tests/support/temp_dir.h"

namespace {

class ListLevel : public app::GameLevel {
public:
    int elements = 0;
    void onEvent(flash::character*, int) override {}
    bool onInputEvent(InputEvent*) override { return false; }
    bool onKey(KeyEvent*) override { return false; }
    bool hint() override { return true; }
    bool skip() override { return true; }
    void scale(float) override {}
    bool isMovieReady() const override { return true; }
    void visitElements(ElementVisitor& visitor) const override {
        for (int i = 0; i < elements; ++i) visitor.visit("object" + std::to_string(i), 0);
    }
};

class ListControl : public app::LevelControl {
public:
    app::GameLevel* level = nullptr;
    app::GameLevel* getCurrentLevel(bool) override { return level; }
};

struct PanelGame {
    testsupport::TempDir dir{false};
    std::unique_ptr<testsupport::GameFixture> game;
    ListLevel level;
    ListControl control;
    MainPanel* panel = nullptr;

    explicit PanelGame(int elements) {
        std::filesystem::copy(testsupport::demoFolder(), dir.path(), std::filesystem::copy_options::recursive);
        game = std::make_unique<testsupport::GameFixture>(dir.path(), 100);
        if (!game->start()) return;
        panel = MainPanel::instance();
        level.elements = elements;
        control.level = &level;
        app::setLevelControl(&control);
    }
    ~PanelGame() {
        app::setLevelControl(nullptr);
        game->shutdown();
    }
};

// Sends the sixth notice of each column far up: it and the four below it slide for a long time.
void startSliding(MainPanel* panel) {
    for (int head : {10, 11}) {
        MainPanel::NotificationElement* notice = panel->entries()[static_cast<size_t>(head)];
        flash::matrix far = notice->field()->get_matrix();
        far.m_[1][2] -= 30.0f * 1e6f;
        notice->move(far, false);
    }
}

void panelFrames(benchmark::State& state, bool withText) {
    PanelGame g(20);
    if (!g.panel) return state.SkipWithError("start-up failed");
    g.panel->reset();
    g.panel->setVisible(true);
    startSliding(g.panel);
    benchsupport::counting_render_handler counting;
    flash::render_handler* previous = flash::get_render_handler();
    flash::set_render_handler(&counting);
    if (!withText) flash::register_drawtext_callback(nullptr);
    int moving = 0;
    for (const auto* notice : g.panel->entries())
        if (notice->anyFlag(MainPanel::NotificationElement::kMoving)) ++moving;
    for (auto _ : state) {
        g.panel->update(1.0f / 60.0f);
        g.panel->render(1.0f / 60.0f);
    }
    state.counters["sliding"] = moving;
    state.counters["vertices/frame"] = benchmark::Counter(static_cast<double>(counting.vertices),
                                                          benchmark::Counter::kAvgIterations);
    if (!withText) flash::register_drawtext_callback(&Application::drawText);
    flash::set_render_handler(previous);
}

void BM_PanelFrame20Notices10Sliding(benchmark::State& state) { panelFrames(state, true); }
BENCHMARK(BM_PanelFrame20Notices10Sliding)->Unit(benchmark::kMicrosecond);

void BM_PanelFrame20Notices10SlidingNoText(benchmark::State& state) { panelFrames(state, false); }
BENCHMARK(BM_PanelFrame20Notices10SlidingNoText)->Unit(benchmark::kMicrosecond);

void BM_BuildTaskList60(benchmark::State& state) {
    PanelGame g(60);
    if (!g.panel) return state.SkipWithError("start-up failed");
    for (auto _ : state) g.panel->reset();
    state.counters["notices"] = static_cast<double>(g.panel->entries().size());
}
BENCHMARK(BM_BuildTaskList60)->Unit(benchmark::kMicrosecond);

}  // namespace

