// Cache files: a movie's meshes written and read back equal, the header and record checks with
// their messages, damaged files that keep what was read before them and never half a record,
// and the engine reading "<movie>.gsc" when its switch is on.
#include "flash/movie/cache_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "cache_fixture.h"
#include "flash/base/bx_file.h"
#include "flash/movie/shape_def.h"
#include "recording_render_handler.h"
#include "tests/flash/runtime/action_assembler.h"
#include "tools/swfwriter/movie_writer.h"
#include "tools/swfwriter/shape.h"
#include "tests/support/largest_allocation.h"

namespace {

using movietest::bytes;
namespace cache_movie = movietest::cache_movie;
using movietest::movie_fixture;

// The meshes of every shape of the movie, as comparable numbers.
std::vector<std::vector<int32_t>> all_meshes(flash::movie_def_impl* def) {
    std::vector<std::vector<int32_t>> out;
    for (uint16_t id : cache_movie::shape_ids()) {
        auto* shape = dynamic_cast<flash::shape_def*>(def->get_character_def(id));
        if (!shape) continue;
        for (const auto& set : shape->get_shape()->get_cached_meshes()) {
            std::vector<int32_t> numbers = {static_cast<int32_t>(id), static_cast<int32_t>(set->get_tolerance() * 1000)};
            for (const auto& layer : set->get_layers()) {
                for (const auto& m : layer.m_meshes) {
                    if (!m) continue;
                    numbers.insert(numbers.end(), m->m_triangle_strip.begin(), m->m_triangle_strip.end());
                }
                for (const auto& s : layer.m_line_strips) numbers.insert(numbers.end(), s->m_coords.begin(), s->m_coords.end());
            }
            out.push_back(numbers);
        }
    }
    return out;
}

// Reads the bytes as the cache file of a fresh load of the movie.
flash::movie_def_impl* read_back(movie_fixture& f, const std::string& path, bytes cache) {
    flash::movie_def_impl* def = f.load(path, cache_movie::movie());
    if (!def) return nullptr;
    flash::bx_file in(flash::memory_buffer, static_cast<int>(cache.size()), cache.data());
    def->input_cached_data(&in);
    return def;
}

TEST(CacheFile, WrittenMeshesReadBackEqual) {
    movie_fixture f;
    flash::movie_def_impl* def = f.load("scene.swf", cache_movie::movie());
    ASSERT_NE(def, nullptr);
    cache_movie::build_meshes(def);
    const bytes cache = cache_movie::write(def);
    ASSERT_GT(all_meshes(def).size(), 2u);

    flash::movie_def_impl* copy = read_back(f, "copy.swf", cache);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(all_meshes(copy), all_meshes(def));
    EXPECT_EQ(f.log.errors(), "");
    // Written again, the copy gives the same file.
    EXPECT_EQ(cache_movie::write(copy), cache);
}

TEST(CacheFile, HeaderAndRecordChecksWithTheirMessages) {
    const bytes good = cache_movie::good_cache();
    const size_t first_record_end = cache_movie::record_end(good, 0);
    ASSERT_LT(first_record_end, good.size() - 2);

    struct Case {
        const char* what;
        bytes file;
        const char* error;     // empty: read silently
        size_t records_kept;   // shapes whose meshes were read
    };
    bytes unknown_after_first(good.begin(), good.begin() + static_cast<long>(first_record_end));
    unknown_after_first.insert(unknown_after_first.end(), {0x39, 0x30, 0xFF, 0xFF});  // id 12345
    const Case cases[] = {
        {"header and end marker only", {'g', 's', 'c', 6, 0xFF, 0xFF}, "", 0},
        {"another format", {'g', 's', 'x', 6, 0xFF, 0xFF}, "cache file does not have the correct format; skipping\n", 0},
        {"an empty file", {}, "cache file does not have the correct format; skipping\n", 0},
        {"an older version", {'g', 's', 'c', 5, 0xFF, 0xFF},
         "cached data is version 5, but we require version 6; skipping\n", 0},
        {"an id that names no character", unknown_after_first,
         "sync error in cache file (reading characters)!  Skipping rest of cache data.\n", 1},
        {"cut after a record", bytes(good.begin(), good.begin() + static_cast<long>(first_record_end)),
         "unexpected eof reading cache file (characters); skipping\n", 1},
        {"cut inside a record", bytes(good.begin(), good.begin() + static_cast<long>(first_record_end) + 9),
         "unexpected eof reading cache file (characters); skipping\n", 1},
        {"header only", {'g', 's', 'c', 6}, "unexpected eof reading cache file (characters); skipping\n", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        movie_fixture f;
        flash::movie_def_impl* def = read_back(f, "scene.swf", c.file);
        ASSERT_NE(def, nullptr);
        EXPECT_EQ(f.log.errors(), c.error);
        EXPECT_EQ(cache_movie::shapes_with_meshes(def), c.records_kept);
    }
}

// A count that claims more than the file holds, or more than any shape has, is refused before
// anything of its size is allocated, with the reading messages, and the shape keeps its meshes.
TEST(CacheFile, DamagedRecordsAreRefusedWholeAndCheaply) {
    const uint16_t id = cache_movie::shape_ids()[0];
    struct Case {
        const char* what;
        bytes record;  // after the id
        const char* error;
    };
    const Case cases[] = {
        {"a billion mesh sets", {0x00, 0xCA, 0x9A, 0x3B}, "error reading cache file (characters); skipping\n"},
        {"mesh sets the file cannot hold", {0xFF, 0x03, 0, 0}, "unexpected eof reading cache file (characters); skipping\n"},
        {"a huge integer array",
         {1, 0, 0, 0, 0, 0, 0x70, 0x41, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0xFE, 0xFF, 0xFF, 0x03, 0, 0, 0, 0},
         "unexpected eof reading cache file (characters); skipping\n"},
        {"an odd coordinate count",
         {1, 0, 0, 0, 0, 0, 0x70, 0x41, 1, 0, 0, 0, 1, 0, 0, 0, 1, 3, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0},
         "error reading cache file (characters); skipping\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        movie_fixture f;
        flash::movie_def_impl* def = f.load("scene.swf", cache_movie::movie());
        ASSERT_NE(def, nullptr);
        cache_movie::build_meshes(def);
        const auto before = all_meshes(def);
        bytes file = {'g', 's', 'c', 6, static_cast<uint8_t>(id & 0xFF), static_cast<uint8_t>(id >> 8)};
        file.insert(file.end(), c.record.begin(), c.record.end());
        file.insert(file.end(), {0xFF, 0xFF});
        flash::bx_file in(flash::memory_buffer, static_cast<int>(file.size()), file.data());
        testsupport::LargestAllocation largest;
        def->input_cached_data(&in);
        if (testsupport::LargestAllocation::available()) {
            EXPECT_LT(largest.bytes(), 64u * 1024u);
        }
        EXPECT_EQ(f.log.errors(), c.error);
        EXPECT_EQ(all_meshes(def), before);
    }
}

TEST(CacheFile, TheEngineReadsTheCacheBesideTheMovieWhenSwitchedOn) {
    const bytes cache = cache_movie::good_cache();
    for (bool on : {false, true}) {
        SCOPED_TRACE(on);
        movie_fixture f;
        flash::set_use_cache_files(on);
        f.files.add("scene.swf.gsc", cache);
        flash::movie_def_impl* def = f.load("scene.swf", cache_movie::movie());
        flash::set_use_cache_files(false);
        ASSERT_NE(def, nullptr);
        EXPECT_EQ(f.files.opens("scene.swf.gsc"), on ? 1 : 0);
        EXPECT_EQ(cache_movie::shapes_with_meshes(def), on ? cache_movie::shape_ids().size() : 0u);
        EXPECT_EQ(def->get_create_bitmaps(), on ? 1 : 0);
    }
    // No cache file beside the movie: the movie is still read, and the note needs verbose parsing.
    movie_fixture f;
    flash::set_use_cache_files(true);
    flash::set_verbose_parse(true);
    flash::movie_def_impl* def = f.load("alone.swf", cache_movie::movie());
    flash::set_verbose_parse(false);
    flash::set_use_cache_files(false);
    EXPECT_NE(def, nullptr);
    EXPECT_TRUE(f.log.has_message("note: couldn't open cache file 'alone.swf.gsc'\n"));
}

}  // namespace

namespace {

// The fuzz entry over every cut and every single-byte change of a good file never crashes and
// never reads more mesh sets than the file holds; with CACHE_FUZZ_SEED_DIR set the good file is
// written there as the fuzzer's seed.
TEST(CacheFile, FuzzEntryOverDamagedCopies) {
    const bytes good = cache_movie::good_cache();
    // Two mesh sets for each shape.
    const int whole = static_cast<int>(2 * cache_movie::shape_ids().size());
    if (const char* dir = std::getenv("CACHE_FUZZ_SEED_DIR")) {
        const std::string path = std::string(dir) + "/scene.gsc";
        if (FILE* out = std::fopen(path.c_str(), "wb")) {
            std::fwrite(good.data(), 1, good.size(), out);
            std::fclose(out);
        }
    }
    testsupport::engine_log log;
    EXPECT_EQ(movietest::read_cache_bytes(good.data(), good.size()), whole);
    for (size_t cut = 0; cut < good.size(); ++cut) EXPECT_LE(movietest::read_cache_bytes(good.data(), cut), whole);
    for (size_t at = 0; at < good.size(); ++at) {
        bytes changed = good;
        changed[at] ^= 0xA5;
        EXPECT_LE(movietest::read_cache_bytes(changed.data(), changed.size()), whole) << at;
    }
}

}  // namespace

namespace {

// Frame 0 stops the movie; the shape shows only on frame 2 of 3.
movietest::bytes stopping_movie(uint16_t* shape_id) {
    swf::MovieWriter m(8);
    *shape_id = m.define_shape(swf::filled_rect(0, 0, 2000, 2000, {0, 90, 0, 255}));
    testasm::assembler first;
    first.trace_str("frame 0").op(testasm::STOP).end();
    m.do_action(first.take());
    m.show_frame();
    m.do_action(movietest::trace_actions({"frame 1"}));
    m.show_frame();
    m.place_object2(swf::PlaceObject::place(1, *shape_id));
    m.do_action(movietest::trace_actions({"frame 2"}));
    m.show_frame();
    m.end();
    return m.finish_fws();
}

TEST(CacheFile, PrecomputePushesAStoppedMovieOnToItsLastFrame) {
    movietest::recording_render_handler handler;
    movie_fixture f;
    uint16_t shape_id = 0;
    flash::movie_def_impl* def = f.load("stops.swf", stopping_movie(&shape_id));
    ASSERT_NE(def, nullptr);
    flash::precompute_cached_data(def);
    EXPECT_NE(f.log.messages().find("frame 0\nframe 1\nframe 2\n"), std::string::npos) << f.log.messages();
    // Nothing was drawn, the handler is back, and the shape of the last frame has its meshes.
    EXPECT_TRUE(handler.calls.empty());
    EXPECT_EQ(flash::get_render_handler(), &handler);
    auto* shape = dynamic_cast<flash::shape_def*>(def->get_character_def(shape_id));
    ASSERT_NE(shape, nullptr);
    EXPECT_FALSE(shape->get_shape()->get_cached_meshes().empty());
    EXPECT_EQ(f.log.errors(), "");
    // Written and read into a fresh copy, the copy draws from the meshes the play-through built.
    const bytes cache = cache_movie::write(def);
    movie_fixture g;
    flash::movie_def_impl* copy = g.load("stops.swf", stopping_movie(&shape_id));
    flash::bx_file in(flash::memory_buffer, static_cast<int>(cache.size()), const_cast<uint8_t*>(cache.data()));
    copy->input_cached_data(&in);
    auto* copied = dynamic_cast<flash::shape_def*>(copy->get_character_def(shape_id));
    ASSERT_NE(copied, nullptr);
    EXPECT_EQ(copied->get_shape()->get_cached_meshes().size(), shape->get_shape()->get_cached_meshes().size());
}

}  // namespace
