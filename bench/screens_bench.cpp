// The screens' costs against their goals: the four screens of the menu, the box and the profiles
// loaded and wired at start-up (under 100 ms on the demo chapter, within the start-up's 1 s), and
// one message box shown and answered (under 1 ms of main-thread time).
#include <benchmark/benchmark.h>

#include <filesystem>

#include "app/application.h"
#include "flash/movie/movie_root.h"
#include "flash/movie/player.h"
#include "flash/movie/sprite_instance.h"
#include "screens/choose_profile.h"
#include "screens/enter_name.h"
#include "screens/main_menu.h"
#include "screens/msg_box.h"
#include "tests/support/game_fixture.h"
#include "tests/support/game_run.h"
#include "tests/support/temp_dir.h"

namespace {

constexpr const char* kMovies[] = {MainMenu::kMovie, MsgBox::kMovie, ChooseProfile::kMovie, EnterName::kMovie};

void BM_FourScreensLoadedAndWired(benchmark::State& state) {
    testsupport::TempDir dir(false);
    std::filesystem::copy(testsupport::demoFolder(), dir.path(), std::filesystem::copy_options::recursive);
    testsupport::GameFixture game(dir.path());
    if (!game.start()) state.SkipWithError("start-up failed");
    for (auto _ : state) {
        state.PauseTiming();
        delete MainMenu::instance();
        delete MsgBox::instance();
        delete ChooseProfile::instance();
        delete EnterName::instance();
        // Read from the file again, as at start-up.
        for (const char* movie : kMovies) game.app().player()->get_movie_library().remove(movie);
        state.ResumeTiming();
        new MainMenu();
        new ChooseProfile();
        new EnterName();
        new MsgBox();
    }
}
BENCHMARK(BM_FourScreensLoadedAndWired)->Unit(benchmark::kMillisecond)->Iterations(20);

void BM_MessageBoxShowAndAnswer(benchmark::State& state) {
    testsupport::TempDir dir(false);
    std::filesystem::copy(testsupport::demoFolder(), dir.path(), std::filesystem::copy_options::recursive);
    testsupport::GameFixture game(dir.path());
    if (!game.start()) state.SkipWithError("start-up failed");
    MsgBox* box = MsgBox::instance();
    int answers = 0;
    for (auto _ : state) {
        box->show(app::MessageBox::kTypeYesNo, "ids_yesno", [&answers](int answer) { answers += answer; });
        flash::sprite_instance* movie = box->getRoot()->get_root_sprite();
        flash::character* yes = movie->get_character_by_name("msg_button_yes", true);
        yes->get_event_callback()(yes, 1);
    }
    benchmark::DoNotOptimize(answers);
    if (answers != static_cast<int>(state.iterations())) state.SkipWithError("an answer went missing");
}
BENCHMARK(BM_MessageBoxShowAndAnswer)->Unit(benchmark::kMicrosecond);

}  // namespace
