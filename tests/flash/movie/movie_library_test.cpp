// The movie library: one open per path, the opener's failures, refused headers leaving nothing
// behind, the leak report at the player's end, and concurrent requests for one path.
#include "flash/movie/movie_library.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "flash/base/bx_file.h"
#include "flash/movie/tag_loaders.h"
#include "movie_fixture.h"
#include "tools/swfwriter/movie_writer.h"

namespace {

using movietest::bytes;
using movietest::movie_fixture;

bytes small_movie(int frames = 1) {
    swf::MovieWriter m(8);
    for (int i = 0; i < frames; ++i) {
        m.remove_object2(static_cast<uint16_t>(i));
        m.show_frame();
    }
    m.end();
    return m.finish_fws();
}

TEST(MovieLibrary, EachPathIsOpenedOnce) {
    movie_fixture f;
    f.files.add("a.swf", small_movie());
    flash::movie_definition_sub* first = f.owner->create_movie("a.swf");
    flash::movie_definition_sub* again = f.owner->create_movie("a.swf");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first, again);
    EXPECT_EQ(f.files.opens("a.swf"), 1);
    EXPECT_EQ(f.owner->get_movie_library().size(), 1);
    EXPECT_STREQ(f.owner->get_movie_library().find_path(first), "a.swf");
    EXPECT_EQ(f.owner->get_movie_library().find("a.swf"), first);
    EXPECT_TRUE(first->is(flash::character_def::MOVIE_DEF_IMPL));
}

TEST(MovieLibrary, WithoutAnOpenerNothingIsCreated) {
    movie_fixture f;
    flash::register_file_opener_callback(nullptr);
    EXPECT_EQ(f.owner->create_movie("a.swf"), nullptr);
    EXPECT_EQ(f.log.errors(),
              "error: no file opener function; can't create movie.\tSee flash::register_file_opener_callback\n");
    EXPECT_EQ(f.owner->get_movie_library().size(), 0);
}

flash::bx_file* open_broken(const char*) { return new flash::bx_file("/nonexistent/dir/movie.swf", "rb"); }

TEST(MovieLibrary, MissingFilesAndFilesInErrorAreReported) {
    movie_fixture f;
    EXPECT_EQ(f.owner->create_movie("missing.swf"), nullptr);
    EXPECT_EQ(f.log.errors(), "failed to open 'missing.swf'; can't create movie.\n");
    f.log.errors().clear();
    flash::register_file_opener_callback(open_broken);
    EXPECT_EQ(f.owner->create_movie("broken.swf"), nullptr);
    EXPECT_EQ(f.log.errors(), "error: file opener can't open 'broken.swf'\n");
    EXPECT_EQ(f.owner->get_movie_library().size(), 0);
}

TEST(MovieLibrary, RefusedHeadersLeaveNoEntry) {
    bytes good = small_movie();
    bytes zws = good;
    zws[0] = 'Z';
    bytes lower = good;
    lower[1] = 'w';
    struct row {
        bytes data;
        const char* message;
    };
    const row rows[] = {
        {zws, "flash::movie_def_impl::read() -- file does not start with a SWF header!\n"},
        {lower, "flash::movie_def_impl::read() -- file does not start with a SWF header!\n"},
        {bytes(good.begin(), good.begin() + 5), "flash::movie_def_impl::read() -- file is too short for a SWF header!\n"},
        {bytes(good.begin(), good.begin() + 10), "flash::movie_def_impl::read() -- the SWF header is cut short!\n"},
        {swf::to_cws(bytes(good.begin(), good.begin() + 10)),
         "flash::movie_def_impl::read() -- the SWF header is cut short!\n"},
    };
    for (const row& r : rows) {
        movie_fixture f;
        EXPECT_EQ(f.load("bad.swf", r.data), nullptr);
        EXPECT_EQ(f.log.errors(), r.message);
        EXPECT_EQ(f.owner->get_movie_library().size(), 0);
        // Nothing was kept, so asking again opens the file again.
        EXPECT_EQ(f.owner->create_movie("bad.swf"), nullptr);
        EXPECT_EQ(f.files.opens("bad.swf"), 2);
    }
}

TEST(MovieLibrary, DefinitionsStillHeldAtTheEndAreReportedAndReleased) {
    movie_fixture f;
    flash::smart_ptr<flash::movie_definition_sub> held(f.load("a.swf", small_movie()));
    ASSERT_NE(held.get_ptr(), nullptr);
    f.log.messages().clear();
    f.owner = nullptr;
    // Reported through the engine log, as every engine line is.
    const std::string out = f.log.messages();
    EXPECT_NE(out.find("memory leaks is found out: on exit movie_definition_sub ref_count > 1\n"), std::string::npos);
    EXPECT_NE(out.find("ref_count = 2\n"), std::string::npos);
    // The library let go of its reference only: the holder's definition stays whole.
    EXPECT_EQ(held->get_ref_count(), 1);
    EXPECT_EQ(held->get_frame_count(), 1);
    EXPECT_EQ(held->get_playlist(0)->size(), 1);
}

TEST(MovieLibrary, TheRegistryIsFilledOnceAndClearedWithTheLastPlayer) {
    {
        movie_fixture f;
        ASSERT_NE(f.load("a.swf", small_movie()), nullptr);
        EXPECT_TRUE(flash::get_tag_loader(26, nullptr));
        EXPECT_FALSE(flash::get_tag_loader(1, nullptr));  // ShowFrame belongs to the loop
        EXPECT_TRUE(flash::get_tag_loader(2, nullptr));    // DefineShape
        EXPECT_TRUE(flash::get_tag_loader(83, nullptr));   // DefineShape4
        EXPECT_TRUE(flash::get_tag_loader(46, nullptr));   // DefineMorphShape
        EXPECT_TRUE(flash::get_tag_loader(84, nullptr));   // DefineMorphShape2
    }
    EXPECT_FALSE(flash::get_tag_loader(26, nullptr));
}

TEST(MovieLibrary, ConcurrentRequestsForOnePathShareOneRead) {
    for (int round = 0; round < 20; ++round) {
        movie_fixture f;
        f.files.add("big.swf", small_movie(300));
        std::atomic<bool> go{false};
        flash::movie_definition_sub* got[2] = {nullptr, nullptr};
        int frames[2] = {0, 0};
        std::thread threads[2];
        for (int i = 0; i < 2; ++i) {
            threads[i] = std::thread([&, i] {
                while (!go.load()) std::this_thread::yield();
                got[i] = f.owner->create_movie("big.swf");
                // Each thread sees the definition fully read.
                frames[i] = got[i] ? got[i]->get_playlist(299)->size() : -1;
            });
        }
        go.store(true);
        for (std::thread& t : threads) t.join();
        ASSERT_NE(got[0], nullptr);
        EXPECT_EQ(got[0], got[1]);
        EXPECT_EQ(frames[0], 1);
        EXPECT_EQ(frames[1], 1);
        EXPECT_EQ(f.files.opens("big.swf"), 1);
    }
}

}  // namespace
