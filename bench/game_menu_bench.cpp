// The pause menu's cost against its goal: opened and closed under 1 ms of main-thread time, over
// the game (its play form, closed by continue) and as the main menu's options (the commands clip
// changes its form both ways, closed by its return button). The frames between are not counted.
//   game_menu_bench --once COUNT   COUNT openings and closings over the game and nothing else, for
//                                  callgrind: (Ir(COUNT2) - Ir(COUNT1)) / (COUNT2 - COUNT1)
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "flash/movie/movie_root.h"
#include "flash/movie/sprite_instance.h"
#include "screens/game_menu.h"
#include "screens/main_menu.h"
#include "tests/support/game_fixture.h"
#include "tests/support/game_run.h"
#include "tests/support/temp_dir.h"

namespace {

struct MenuGame {
    testsupport::TempDir dir{false};
    std::unique_ptr<testsupport::GameFixture> game;
    GameMenu* menu = nullptr;

    // The start-up pictures are run through unless skipped (a run under callgrind then counts no
    // drawing).
    explicit MenuGame(bool pictures = true) {
        std::filesystem::copy(testsupport::demoFolder(), dir.path(), std::filesystem::copy_options::recursive);
        game = std::make_unique<testsupport::GameFixture>(dir.path(), 100);
        if (!game->startWithProfile()) return;
        if (pictures) game->skipLogos();
        menu = GameMenu::instance();
    }
    // The engine's click on a button of the menu.
    bool click(const char* name) {
        flash::sprite_instance* movie = menu->getRoot()->get_root_sprite();
        flash::character* button = movie->get_character_by_name(name, true);
        if (!button || !button->get_event_callback()) return false;
        button->get_event_callback()(button, 1);
        return true;
    }
};

// One opening over the game and its close by continue; false when continue is not wired.
bool openAndContinue(MenuGame& game) {
    game.menu->show(false);
    return game.click("continue_btn");
}

void BM_PauseMenuOpenedAndContinued(benchmark::State& state) {
    MenuGame game;
    if (!game.menu || !game.menu->getRoot()) {
        state.SkipWithError("no pause menu");
        return;
    }
    if (MainMenu* mainMenu = MainMenu::instance()) mainMenu->hide();
    for (auto _ : state) {
        if (!openAndContinue(game)) state.SkipWithError("continue is not wired");
    }
}
BENCHMARK(BM_PauseMenuOpenedAndContinued)->Unit(benchmark::kMicrosecond);

void BM_OptionsOpenedAndClosed(benchmark::State& state) {
    MenuGame game;
    if (!game.menu || !game.menu->getRoot()) {
        state.SkipWithError("no pause menu");
        return;
    }
    if (MainMenu* mainMenu = MainMenu::instance()) mainMenu->playAmbient();
    for (auto _ : state) {
        game.menu->show(true);
        if (!game.click("mainmenu_btn")) state.SkipWithError("the return button is not wired");
        // Back to the play form, as the next opening over the game finds it.
        game.menu->show(false);
        game.menu->hide();
    }
}
BENCHMARK(BM_OptionsOpenedAndClosed)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--once") == 0) {
        MenuGame game(false);
        if (!game.menu || !game.menu->getRoot()) return 1;
        if (MainMenu* mainMenu = MainMenu::instance()) mainMenu->hide();
        const long count = std::strtol(argv[2], nullptr, 10);
        for (long i = 0; i < count; ++i)
            if (!openAndContinue(game)) return 1;
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
