// The console's costs against their goals, on the demo chapter's console with its fields: one
// print while the output holds 10,000 lines (under 20 us), and Tab completion over every console
// variable and 500 script globals (under 1 ms).
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "core/cvar.h"
#include "script/script_core.h"
#include "screens/console.h"
#include "tests/support/game_run.h"
#include "tests/support/game_fixture.h"
#include "tests/support/temp_dir.h"

namespace {

struct ConsoleGame {
    testsupport::TempDir dir{false};
    std::unique_ptr<testsupport::GameFixture> game;
    ConsoleGame() {
        std::filesystem::copy(testsupport::demoFolder(), dir.path(), std::filesystem::copy_options::recursive);
        game = std::make_unique<testsupport::GameFixture>(dir.path());
        if (!game->start()) game.reset();
    }
};

void BM_PrintWithTenThousandLinesHeld(benchmark::State& state) {
    ConsoleGame run;
    Console* console = Console::instance();
    if (!run.game || !console || !console->hasMovie()) return state.SkipWithError("no console");
    for (int i = 0; i < static_cast<int>(Console::kMaxOutputLines); ++i)
        console->print(("held line " + std::to_string(i)).c_str());
    const std::string line = "Level room_1: element key_1 found, 3 left";
    for (auto _ : state) console->print(line.c_str());
    if (console->output().size() != Console::kMaxOutputLines) state.SkipWithError("the output grew");
}
BENCHMARK(BM_PrintWithTenThousandLinesHeld)->Unit(benchmark::kMicrosecond);

void BM_TabOverEveryVariableAnd500Globals(benchmark::State& state) {
    ConsoleGame run;
    Console* console = Console::instance();
    if (!run.game || !console) return state.SkipWithError("no console");
    std::string script;
    for (int i = 0; i < 500; ++i) script += "bench_global_" + std::to_string(i) + " = " + std::to_string(i) + "\n";
    if (runScriptBuffer(script.c_str(), 0, "bench") != kScriptOk) return state.SkipWithError("globals");
    // "_" is in nearly every name: the list and the panel are as long as they get.
    console->editInput().set("_");
    for (auto _ : state) console->complete();
    state.counters["entries"] = static_cast<double>(console->completions().size());
    state.counters["variables"] = CVar::getCount();
}
BENCHMARK(BM_TabOverEveryVariableAnd500Globals)->Unit(benchmark::kMicrosecond);

}  // namespace
