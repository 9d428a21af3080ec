// The game program's costs against its goals: start-up (under 1 s to the main menu), an idle
// frame, the text callback for 40 fields of three wrapped lines (under 0.5 ms a frame), and a
// profile save with its syncs (under 10 ms).
#include <benchmark/benchmark.h>

#include "app/application.h"
#include "app/engine_hooks.h"
#include "app/profiles.h"
#include "core/cvar_catalogue.h"
#include "flash/movie/edit_text_character.h"
#include "flash/movie/player.h"
#include "flash/movie/text.h"
#include "tests/app/game_data.h"
#include "tests/support/environment.h"
#include "tests/support/game_fixture.h"
#include "tests/support/game_run.h"
#include "tests/support/temp_dir.h"
#include "vfs/vfs_manager.h"

namespace {

void BM_ApplicationInit(benchmark::State& state) {
    // On a copy of the demo chapter.
    testsupport::TempDir dir(false);
    std::filesystem::copy(testsupport::demoFolder(), dir.path(), std::filesystem::copy_options::recursive);
    for (auto _ : state) {
        testsupport::GameFixture game(dir.path());
        benchmark::DoNotOptimize(game.start());
        state.PauseTiming();
        game.shutdown();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ApplicationInit)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_IdleFrame(benchmark::State& state) {
    testsupport::TempDir dir(false);
    apptest::writeGameData(dir.path());
    testsupport::GameFixture game(dir.path());
    if (!game.start()) state.SkipWithError("start-up failed");
    d_NoLimitFPS->setFromString("true");
    game.skipLogos();
    for (auto _ : state) game.turn();
}
BENCHMARK(BM_IdleFrame)->Unit(benchmark::kMicrosecond);

// A font that measures like a bitmap font and draws nothing: the callback's own work.
class MeasuringFont : public app::TextFont {
public:
    int lineHeight() const override { return 16; }
    int textWidth(const std::u16string& text) const override { return static_cast<int>(text.size()) * 9; }
    void draw(float, float, uint32_t, const std::u16string& text, float, uint32_t) override {
        benchmark::DoNotOptimize(text.data());
    }
};

void BM_TextCallback40Fields(benchmark::State& state) {
    MeasuringFont font;
    app::setTextFontLookup([&font](const std::string&) -> app::TextFont* { return &font; });
    flash::smart_ptr<flash::player> owner(new flash::player);
    flash::smart_ptr<flash::character> parent(new flash::character(owner.get_ptr()));
    flash::smart_ptr<flash::edit_text_character_def> def(new flash::edit_text_character_def(200, 60));
    def->m_word_wrap = true;
    std::vector<flash::smart_ptr<flash::edit_text_character>> fields;
    for (int i = 0; i < 40; ++i) {
        fields.emplace_back(static_cast<flash::edit_text_character*>(
            def->create_character_instance(owner.get_ptr(), parent.get_ptr(), i + 1)));
        fields.back()->m_font_name = "body";
        // About three lines of 200 pixels.
        fields.back()->m_text = "find the golden key behind the old clock and the map under the rug today";
    }
    for (auto _ : state)
        for (auto& field : fields) Application::drawText(field.get_ptr());
    app::setTextFontLookup(nullptr);
    fields.clear();
    parent = nullptr;
    owner = nullptr;
}
BENCHMARK(BM_TextCallback40Fields)->Unit(benchmark::kMicrosecond);

void BM_ProfileSave(benchmark::State& state) {
    testsupport::TempDir dir;
    testsupport::ScopedEnv home("XDG_DATA_HOME", (dir.path() / "home").string());
    VFS::VFSManager vfs;
    Profiles profiles;
    profiles.createProfile("Bench");
    int i = 0;
    for (auto _ : state) {
        profiles.CurrentLevel = "level" + std::to_string(++i);
        profiles.save();
    }
    profiles.name.clear();
}
BENCHMARK(BM_ProfileSave)->Unit(benchmark::kMillisecond);

}  // namespace
