#pragma once
// The game started in the process on a private copy of the demo chapter, for fuzz targets and
// benchmarks that run it once and keep it (the tests of one area use their own environment).
#include <filesystem>
#include <memory>

#include "tests/support/game_fixture.h"
#include "tests/support/temp_dir.h"

namespace testsupport {

struct DemoGame {
    TempDir dir{false};
    std::unique_ptr<GameFixture> game;
    bool started = false;
    explicit DemoGame(unsigned stepMs = 100) {
        std::filesystem::copy(std::filesystem::path(TOV_TEST_SOURCE_DIR) / "demo", dir.path(),
                              std::filesystem::copy_options::recursive);
        game = std::make_unique<GameFixture>(dir.path(), stepMs);
        started = game->start();
    }
};

}  // namespace testsupport
