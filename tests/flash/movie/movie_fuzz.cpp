// The fuzz entry: arbitrary bytes read as a movie through create_movie, from memory, by a fresh
// player; the first characters are placed, drawn, bounded and hit-tested, then the movie plays a
// few frames (scripts on an action budget) and goes back to its first frame. The gtest below runs
// it over writer movies, their cuts and byte flips.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "flash/base/bx_file.h"
#include "flash/base/log.h"
#include "flash/movie/player.h"
#include "flash/movie/movie_definition.h"
#include "flash/movie/sprite_instance.h"
#include "flash/runtime/character.h"
#include "flash/runtime/interpreter.h"

namespace {

const uint8_t* g_data = nullptr;
size_t g_size = 0;

void quiet_log(bool, const char*) {}

// Plays the movie's top-level clip: scripts share one action budget, so none runs for ever.
void play(flash::player* owner, flash::movie_definition_sub* movie) {
    constexpr int64_t action_budget = 20000;
    constexpr int played_frames = 3;
    constexpr float frame_time = 1.0f / 12.0f;
    flash::set_action_budget(action_budget);
    flash::smart_ptr<flash::sprite_instance> top(flash::sprite_instance::create_top_level(owner, movie, nullptr));
    owner->set_root_movie(top.get_ptr());
    for (int i = 0; i < played_frames; ++i) top->advance(frame_time);
    top->display();
    flash::rect bound;
    top->get_bound(&bound);
    top->get_topmost_mouse_entity(0.5f * (bound.m_x_min + bound.m_x_max), 0.5f * (bound.m_y_min + bound.m_y_max));
    top->goto_frame(0);
    top->advance(frame_time);
    owner->set_root_movie(nullptr);
    flash::set_action_budget(-1);
}

// Serves the input under every path, so imports read it again.
flash::bx_file* open_input(const char*) {
    flash::bx_file* file = new flash::bx_file(flash::memory_buffer);
    if (g_size > 0) file->write_bytes(g_data, static_cast<int>(g_size));
    file->set_position(0);
    return file;
}

}  // namespace

extern "C" int movie_fuzz_one_input(const uint8_t* data, size_t size) {
    constexpr size_t max_input = 1 << 20;
    g_data = data;
    g_size = size > max_input ? max_input : size;
    const flash::log_callback previous = flash::get_log_callback();
    flash::register_log_callback(quiet_log);
    flash::register_file_opener_callback(open_input);
    {
        flash::smart_ptr<flash::player> owner(new flash::player);
        flash::movie_definition_sub* movie = owner->create_movie("fuzz.swf");
        constexpr int drawn_ids = 16;
        for (int id = 0; movie && id < drawn_ids; ++id) {
            flash::character_def* def = movie->get_character_def(id);
            if (!def || def->is(flash::character_def::SPRITE_DEFINITION)) continue;
            flash::smart_ptr<flash::character> ch(def->create_character_instance(owner.get_ptr(), nullptr, id));
            if (!ch) continue;
            ch->display();
            flash::rect bound;
            ch->get_bound(&bound);
            ch->get_topmost_mouse_entity(bound.m_x_min, bound.m_y_min);
            ch->get_topmost_mouse_entity(0.5f * (bound.m_x_min + bound.m_x_max), 0.5f * (bound.m_y_min + bound.m_y_max));
        }
        if (movie) play(owner.get_ptr(), movie);
    }
    flash::register_file_opener_callback(nullptr);
    flash::register_log_callback(previous);
    return 0;
}

#ifdef MOVIE_FUZZ_MAIN
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) { return movie_fuzz_one_input(data, size); }
#else
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <random>
#include <string>

#include "movie_seeds.h"

namespace {

// Seeds, every cut of the first ones and byte flips with a fixed seed. With
// MOVIE_FUZZ_SEED_DIR set the seeds are also written there, as the fuzzer's starting corpus.
TEST(MovieFuzzEntry, RunsCleanOverItsSeeds) {
    const std::vector<movietest::bytes> seeds = movietest::fuzz_seeds();
    if (const char* dir = std::getenv("MOVIE_FUZZ_SEED_DIR")) {
        for (size_t i = 0; i < seeds.size(); ++i) {
            std::ofstream out(std::string(dir) + "/seed_" + std::to_string(i) + ".swf", std::ios::binary);
            out.write(reinterpret_cast<const char*>(seeds[i].data()), static_cast<std::streamsize>(seeds[i].size()));
        }
    }
    std::mt19937 random(1234);
    for (const movietest::bytes& seed : seeds) {
        movie_fuzz_one_input(seed.data(), seed.size());
        for (size_t n = 0; n < seed.size(); n += 7) movie_fuzz_one_input(seed.data(), n);
        for (int flip = 0; flip < 40 && !seed.empty(); ++flip) {
            movietest::bytes mutated = seed;
            mutated[random() % mutated.size()] ^= static_cast<uint8_t>(1u << (random() % 8));
            movie_fuzz_one_input(mutated.data(), mutated.size());
        }
    }
    movie_fuzz_one_input(nullptr, 0);
    SUCCEED();
}

}  // namespace
#endif
