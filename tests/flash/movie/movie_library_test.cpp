// The movie library: one open per path, the opener's failures, refused headers leaving nothing
// behind, the leak report at the player's end, concurrent requests for one path, and two loader
// threads whose movies import each other.
#include "flash/movie/movie_library.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>

#include "flash/base/bx_file.h"
#include "flash/movie/movie_root.h"
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

TEST(MovieLibrary, RemovingAMovieFreesItOnceNoRootHoldsIt) {
    movie_fixture f;
    f.files.add("level.swf", small_movie());
    f.files.add("menu.swf", small_movie());
    f.files.add("cursor.swf", small_movie());
    flash::smart_ptr<flash::root> level = f.owner->load_file("level.swf");
    flash::smart_ptr<flash::root> menu = f.owner->load_file("menu.swf");
    ASSERT_NE(level.get_ptr(), nullptr);
    ASSERT_NE(menu.get_ptr(), nullptr);
    level->advance(0.0f);
    menu->advance(0.0f);
    flash::weak_ptr<flash::movie_def_impl> level_def(level->get_movie_definition());
    flash::weak_ptr<flash::movie_definition_sub> cursor_def(f.owner->create_movie("cursor.swf"));
    flash::movie_library& library = f.owner->get_movie_library();

    std::set<std::string> walked;
    library.walk([&](const char* path, flash::movie_definition_sub* def) {
        walked.insert(path);
        EXPECT_EQ(library.find(path), def);
    });
    EXPECT_EQ(walked, (std::set<std::string>{"level.swf", "menu.swf", "cursor.swf"}));

    EXPECT_TRUE(library.remove("level.swf"));
    EXPECT_EQ(library.find("level.swf"), nullptr);
    EXPECT_NE(level_def.get_ptr(), nullptr);  // the root still plays it
    level = nullptr;
    // Its clips are script objects: the next garbage pass lets them go, and the movie with them.
    f.owner->set_as_garbage();
    f.owner->clear_garbage();
    EXPECT_EQ(level_def.get_ptr(), nullptr);
    EXPECT_FALSE(library.remove("level.swf"));
    EXPECT_FALSE(library.remove(nullptr));

    // Nothing but the library held the cursor movie: clearing frees it at once, while the menu
    // lives on with its root.
    EXPECT_NE(cursor_def.get_ptr(), nullptr);
    library.clear();
    EXPECT_EQ(cursor_def.get_ptr(), nullptr);
    EXPECT_EQ(library.size(), 0);
    EXPECT_NE(menu->get_movie_definition(), nullptr);
    // A removed path is read again when asked for.
    EXPECT_NE(f.owner->create_movie("level.swf"), nullptr);
    EXPECT_EQ(f.files.opens("level.swf"), 2);
}

// An opener that holds its reader until the test lets it go, saying when it is in.
struct held_read {
    std::mutex lock;
    std::condition_variable changed;
    bool entered = false, released = false;
    bytes file;
};
held_read* g_held = nullptr;

flash::bx_file* open_when_released(const char* path) {
    held_read& h = *g_held;
    std::unique_lock<std::mutex> lock(h.lock);
    h.entered = true;
    h.changed.notify_all();
    // Bounded, so that a broken library shows as a failure below rather than here.
    h.changed.wait_for(lock, std::chrono::seconds(5), [&h] { return h.released; });
    auto* file = new flash::bx_file(flash::memory_buffer);
    file->write_bytes(h.file.data(), static_cast<int>(h.file.size()));
    file->set_position(0);
    file->set_name(path);
    return file;
}

TEST(MovieLibrary, AClearWaitsForAReadInProgressAndTakesItsMovieToo) {
    movie_fixture f;
    held_read h;
    h.file = small_movie();
    g_held = &h;
    flash::register_file_opener_callback(open_when_released);
    std::thread reader([&] { f.owner->create_movie("slow.swf"); });
    {
        std::unique_lock<std::mutex> lock(h.lock);
        h.changed.wait_for(lock, std::chrono::seconds(5), [&h] { return h.entered; });
    }
    // The clear starts while the movie is being read, and is done only once the read is.
    std::thread clearer([&] { f.owner->get_movie_library().clear(); });
    {
        std::lock_guard<std::mutex> lock(h.lock);
        h.released = true;
    }
    h.changed.notify_all();
    reader.join();
    clearer.join();
    g_held = nullptr;
    EXPECT_EQ(f.owner->get_movie_library().size(), 0);
    EXPECT_EQ(f.owner->get_movie_library().find("slow.swf"), nullptr);
}

// Two movies that import each other's exported shape, each asked for on its own thread. The
// opener holds each thread until both movies are being read, so each import finds the other
// movie still in the hands of the other thread.
bytes importing_movie(const char* exported, const char* other_url, const char* imported) {
    swf::MovieWriter m(8);
    const uint16_t shape = m.define_shape(swf::filled_rect(0, 0, 200, 200, {10, 20, 30, 255}));
    m.export_assets({{shape, exported}});
    m.import_assets(other_url, {{40, imported}});
    m.show_frame();
    m.end();
    return m.finish_fws();
}

struct rendezvous {
    std::mutex lock;
    std::condition_variable arrived;
    int opened = 0;
    std::map<std::string, bytes> files;
};
rendezvous* g_rendezvous = nullptr;

flash::bx_file* open_after_both(const char* path) {
    rendezvous& r = *g_rendezvous;
    std::unique_lock<std::mutex> lock(r.lock);
    const auto it = r.files.find(path);
    if (it == r.files.end()) return nullptr;
    ++r.opened;
    r.arrived.notify_all();
    // Bounded, so that a broken library shows as a failure below rather than here.
    r.arrived.wait_for(lock, std::chrono::seconds(5), [&r] { return r.opened >= 2; });
    auto* file = new flash::bx_file(flash::memory_buffer);
    file->write_bytes(it->second.data(), static_cast<int>(it->second.size()));
    file->set_position(0);
    file->set_name(path);
    return file;
}

TEST(MovieLibrary, MoviesImportingEachOtherOnTwoThreadsNeverWaitForEver) {
    movie_fixture f;
    rendezvous r;
    r.files["a.swf"] = importing_movie("shapeA", "b.swf", "shapeB");
    r.files["b.swf"] = importing_movie("shapeB", "a.swf", "shapeA");
    g_rendezvous = &r;
    flash::register_file_opener_callback(open_after_both);

    std::mutex done_lock;
    std::condition_variable done_signal;
    int done = 0;
    flash::movie_definition_sub* got[2] = {nullptr, nullptr};
    const char* paths[2] = {"a.swf", "b.swf"};
    std::thread threads[2];
    for (int i = 0; i < 2; ++i) {
        threads[i] = std::thread([&, i] {
            got[i] = f.owner->create_movie(paths[i]);
            std::lock_guard<std::mutex> lock(done_lock);
            ++done;
            done_signal.notify_all();
        });
    }
    {
        std::unique_lock<std::mutex> lock(done_lock);
        if (!done_signal.wait_for(lock, std::chrono::seconds(20), [&] { return done == 2; })) {
            // The threads wait for each other for ever: nothing can be cleaned up.
            ADD_FAILURE() << "the two loader threads are still waiting for each other";
            std::fflush(nullptr);
            std::_Exit(1);
        }
    }
    for (std::thread& t : threads) t.join();
    g_rendezvous = nullptr;

    ASSERT_NE(got[0], nullptr);
    ASSERT_NE(got[1], nullptr);
    // Exactly one of the two inner imports was cut, with an ERROR; the other got its movie whole.
    const std::string cut_a = "error: can't create movie 'a.swf': it is being read by a thread that waits for this one";
    const std::string cut_b = "error: can't create movie 'b.swf': it is being read by a thread that waits for this one";
    const bool a_cut = f.log.has_error(cut_a);
    const bool b_cut = f.log.has_error(cut_b);
    EXPECT_NE(a_cut, b_cut) << f.log.errors();
    flash::movie_definition_sub* importer_of_cut = a_cut ? got[1] : got[0];
    flash::movie_definition_sub* whole_importer = a_cut ? got[0] : got[1];
    EXPECT_EQ(importer_of_cut->get_character_def(40), nullptr);
    // The whole one imported the shape the other exports.
    EXPECT_EQ(whole_importer->get_character_def(40), importer_of_cut->get_exported_resource(a_cut ? "shapeB" : "shapeA"));
    EXPECT_TRUE(f.log.has_message(std::string("can't import movie from url ") + (a_cut ? "a.swf" : "b.swf")));
    EXPECT_EQ(f.owner->get_movie_library().size(), 2);
}

}  // namespace
