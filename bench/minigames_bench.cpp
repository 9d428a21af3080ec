// The minigames on the demo chapter with movies of their own, drawn through a render handler that
// only counts: a 64-piece puzzle's restart (scatter, turns, the largest piece placed), a frame
// (update and render) of a 64-piece rotator whose pieces all turn, and a frame of a letters level
// with 16 letters flying.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "bench/counting_render_handler.h"
#include "core/attr_xml.h"
#include "flash/render/render_handler.h"
#include "levels/letters_level.h"
#include "levels/puzzle_level.h"
#include "levels/rotator_level.h"
#include "tests/support/game_fixture.h"
#include "tests/support/temp_dir.h"
#include "tools/demo/demo_layout.h"
#include "tools/demo/movie_builder.h"

namespace {

namespace fs = std::filesystem;

constexpr int kPieces = 64;
constexpr const char* kWord = "ABCDEFGHIJKLMNOP";  // 16 letters

demo::Clip box(const std::string& name, int x, int y, int w, int h, uint32_t color = 0xFF808080) {
    demo::Clip c;
    c.name = name;
    c.x = x, c.y = y, c.w = w, c.h = h, c.color = color;
    return c;
}

demo::Movie puzzleMovie() {
    demo::Movie m;
    m.file = "bench_puzzle.swf", m.folder = "levels";
    demo::Clip picture = box("pzl_picture", 312, 100, 400, 300);
    picture.frames = 12, picture.stopAtStart = true, picture.stopAtEnd = true;
    m.clips = {box("LevelArea", 0, 0, 1024, 768, 0), box("WorkArea", 0, 0, 1024, 618), picture};
    demo::Clip layer = box("pzl_pieces", 0, 0, 4, 4, 0);
    for (int i = 0; i < kPieces; ++i)
        layer.children.push_back(box("pzl_Piece" + std::to_string(i + 1), 312 + 50 * (i % 8), 100 + 37 * (i / 8),
                                     50 + (i == 0 ? 2 : 0), 37));
    m.clips.push_back(layer);
    m.clips.push_back(box("RotateArea", 800, 440, 120, 120));
    for (int i = 0; i < kPieces; ++i)
        m.clips.push_back(box("PuzzleArea" + std::to_string(i), 20 + 12 * i, 440, 170, 140, 0x30FFFFFF));
    return m;
}

demo::Movie rotatorMovie() {
    demo::Movie m;
    m.file = "bench_rotator.swf", m.folder = "levels";
    m.clips = {box("LevelArea", 0, 0, 1024, 768, 0)};
    for (int i = 0; i < kPieces; ++i) {
        demo::Clip piece = box("piece" + std::to_string(i + 1), 200 + 75 * (i % 8), 100 + 60 * (i / 8), 70, 56);
        piece.ox = -35, piece.oy = -28;  // turned about its centre
        m.clips.push_back(piece);
    }
    return m;
}

demo::Movie lettersMovie() {
    demo::Movie m;
    m.file = "bench_letters.swf", m.folder = "levels";
    m.clips = {box("LevelArea", 0, 0, 1024, 768, 0)};
    for (int i = 0; i < 16; ++i) m.clips.push_back(box(std::string(1, kWord[i]) + "_letter", 40 + 60 * i, 300, 50, 80));
    return m;
}

struct BenchGame {
    testsupport::TempDir dir{false};
    std::unique_ptr<testsupport::GameFixture> game;
    BenchGame() {
        fs::copy(fs::path(TOV_TEST_SOURCE_DIR) / "demo", dir.path(), fs::copy_options::recursive);
        const fs::path levels = dir.path() / "data" / "levels";
        for (const demo::Movie& m : {puzzleMovie(), rotatorMovie(), lettersMovie()}) {
            const swf::Bytes bytes = demo::buildMovie(m);
            testsupport::writeFile(levels / m.file, std::string(bytes.begin(), bytes.end()));
        }
        const auto level = [&](const std::string& name, const std::string& type, const std::string& keys) {
            testsupport::writeFile(levels / (name + ".xml"),
                                   "<root><object name=\"" + name + "\"><string name=\"Type\" value=\"" + type +
                                       "\" /><string name=\"FileName\" value=\"" + name + ".swf\" />" + keys +
                                       "</object></root>");
        };
        const std::string pieces = "<integer name=\"PiecesNumber\" value=\"" + std::to_string(kPieces) + "\" />";
        level("bench_puzzle", "puzzle", pieces);
        level("bench_rotator", "rotator", pieces);
        std::string reversed(kWord);
        reversed.assign(reversed.rbegin(), reversed.rend());
        level("bench_letters", "letters",
              "<string name=\"FinalWord\" value=\"" + std::string(kWord) + "\" /><string name=\"StartWord\" value=\"" +
                  reversed + "\" />");
        game = std::make_unique<testsupport::GameFixture>(dir.path(), 17);
        if (!game->start()) std::abort();
    }
};

BenchGame& benchGame() {
    static BenchGame game;
    return game;
}

template <class Level>
std::unique_ptr<Level> made(const char* name) {
    benchGame();
    auto level = std::make_unique<Level>(nullptr);
    if (!level->initElements(Attr::loadDocument(std::string(name) + ".xml"))) std::abort();
    return level;
}

// Draws through the counting handler while it lives.
struct Counting {
    benchsupport::counting_render_handler handler;
    flash::render_handler* saved = flash::get_render_handler();
    Counting() { flash::set_render_handler(&handler); }
    ~Counting() { flash::set_render_handler(saved); }
};

void BM_PuzzleRestart64(benchmark::State& state) {
    auto level = made<PuzzleLevel>("bench_puzzle");
    level->restart();
    for (auto _ : state) level->restart();
    if (level->placedCount() != 1) std::abort();
}
BENCHMARK(BM_PuzzleRestart64)->Unit(benchmark::kMicrosecond);

void BM_RotatorFrame64AllTurning(benchmark::State& state) {
    auto level = made<RotatorLevel>("bench_rotator");
    level->restart();
    Counting counting;
    constexpr float kStep = 1.0f / 60.0f;
    const auto frame = [&] {
        // A piece that came to rest turns again at once: all 64 are turning in every frame.
        for (int i = 0; i < level->pieceCount(); ++i) level->piece(i)->turnByClick();
        level->update(kStep);
        level->render(kStep);
    };
    for (int warm = 0; warm < 30; ++warm) frame();
    for (auto _ : state) frame();
    state.counters["vertices/frame"] = static_cast<double>(counting.handler.vertices) / (state.iterations() + 30.0);
}
BENCHMARK(BM_RotatorFrame64AllTurning)->Unit(benchmark::kMicrosecond);

void BM_RotatorUpdate64AllTurning(benchmark::State& state) {
    auto level = made<RotatorLevel>("bench_rotator");
    level->restart();
    constexpr float kStep = 1.0f / 60.0f;
    for (auto _ : state) {
        for (int i = 0; i < level->pieceCount(); ++i) level->piece(i)->turnByClick();
        level->update(kStep);
    }
}
BENCHMARK(BM_RotatorUpdate64AllTurning)->Unit(benchmark::kMicrosecond);

void BM_LettersFrame16Flying(benchmark::State& state) {
    auto level = made<LettersLevel>("bench_letters");
    level->restart();
    // Each letter sets out for a place far along the row: it flies for the whole measurement.
    for (int i = 0; i < level->wordLength(); ++i) {
        LetterElement* letter = level->letterAt(i);
        flash::matrix far = letter->getCharacter()->get_matrix();
        far.m_[0][2] += (i % 2 ? 1e9f : -1e9f);
        letter->startFlight(far, i % 2 == 0);
    }
    Counting counting;
    constexpr float kStep = 1.0f / 60.0f;
    const bool withRender = state.range(0) != 0;
    for (auto _ : state) {
        level->update(kStep);
        if (withRender) level->render(kStep);
    }
    for (int i = 0; i < level->wordLength(); ++i)
        if (level->letterAt(i)->idle()) std::abort();
}
BENCHMARK(BM_LettersFrame16Flying)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace
