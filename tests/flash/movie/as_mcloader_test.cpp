// MovieClipLoader: the listener calls of a load in their order and step, a missing or refused
// file, a target that dies first, unloading, progress, and argument counts.
#include "flash/movie/as_mcloader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "flash/movie/player.h"
#include "flash/movie/target_loader.h"
#include "tests/flash/movie/loading_fixture.h"

namespace {

using flash::as_value;
using flash::smart_ptr;
using loadtest::calls;
using loadtest::loading_movie;
using strings = std::vector<std::string>;

struct loader_fixture : loading_movie {
    loader_fixture() {
        serve("child.swf", loadtest::child_movie("child frame"));
        loader = call(flash::as_global_mcloader_ctor, as_value());
        listener = loadtest::make_recording_listener(owner(), "L");
    }
    as_value method(flash::as_c_function_ptr f, std::initializer_list<as_value> args = {}) {
        return call(f, loader, args);
    }
    as_value add_listener() { return method(flash::mcloader_add_listener, {as_value(listener.get_ptr())}); }

    as_value loader;
    smart_ptr<flash::as_object> listener;
};

TEST(MovieClipLoader, ACompleteMovieInitsProgressesAndCompletesOnTheNextStep) {
    loader_fixture f;
    ASSERT_NE(flash::cast_to<flash::as_mcloader>(f.loader.to_object()), nullptr);
    EXPECT_TRUE(f.add_listener().to_bool());
    EXPECT_TRUE(f.method(flash::mcloader_load_clip, {as_value("child.swf"), as_value("holder")}).to_bool());
    // The start is told at once, with the target clip.
    EXPECT_EQ(calls(), (strings{"L.onLoadStart(clip:holder)"}));
    calls().clear();
    flash::movie_definition_sub* def = f.owner()->create_movie("child.swf");
    const std::string bytes = std::to_string(flash::get_movie_bytes_total(def));
    EXPECT_EQ(flash::get_movie_bytes_loaded(def), flash::get_movie_bytes_total(def));
    EXPECT_GT(flash::get_movie_bytes_total(def), 0);
    f.advance();
    EXPECT_EQ(calls(), (strings{"L.onLoadInit(clip:holder)", "L.onLoadProgress(clip:holder, " + bytes + ", " + bytes + ")",
                                "L.onLoadComplete(clip:holder)"}));
    EXPECT_EQ(flash::get_clip_movie(f.child("holder")), def);
    // Nothing more is told; the loader leaves the root's steps once it has nothing to do.
    calls().clear();
    f.advance(2);
    EXPECT_TRUE(calls().empty());
    EXPECT_EQ(f.r->get_advance_listeners().size(), 0);
}

TEST(MovieClipLoader, AMissingOrRefusedFileIsAnErrorForEachListener) {
    loader_fixture f;
    smart_ptr<flash::as_object> second(loadtest::make_recording_listener(f.owner(), "M"));
    f.add_listener();
    f.method(flash::mcloader_add_listener, {as_value(second.get_ptr())});
    for (const char* url : {"missing.swf", "../child.swf"}) {
        calls().clear();
        EXPECT_FALSE(f.method(flash::mcloader_load_clip, {as_value(url), as_value("holder")}).to_bool()) << url;
        EXPECT_EQ(calls(), (strings{"L.onLoadError(URLNotFound)", "M.onLoadError(URLNotFound)"})) << url;
    }
    calls().clear();
    f.advance();
    EXPECT_TRUE(calls().empty());
}

TEST(MovieClipLoader, ATargetThatDiesFirstDropsTheLoad) {
    loader_fixture f;
    f.add_listener();
    EXPECT_TRUE(f.method(flash::mcloader_load_clip, {as_value("child.swf"), as_value("holder")}).to_bool());
    f.top->remove_display_object(f.child("holder"));
    ASSERT_EQ(f.child("holder"), nullptr);
    calls().clear();
    f.advance(2);
    EXPECT_TRUE(calls().empty());
    EXPECT_EQ(f.child("holder"), nullptr);
    EXPECT_EQ(flash::cast_to<flash::as_mcloader>(f.loader.to_object())->get_pending_count(), 0);
    // A target that never was a clip: the same.
    EXPECT_TRUE(f.method(flash::mcloader_load_clip, {as_value("child.swf"), as_value(5)}).to_bool());
    calls().clear();
    f.advance();
    EXPECT_TRUE(calls().empty());
}

TEST(MovieClipLoader, ALoaderWithoutListenersStillLoadsAndUnloads) {
    loader_fixture f;
    EXPECT_TRUE(f.method(flash::mcloader_load_clip, {as_value("child.swf"), as_value("holder")}).to_bool());
    f.advance();
    EXPECT_EQ(flash::get_clip_movie(f.child("holder")), f.owner()->create_movie("child.swf"));
    EXPECT_TRUE(f.method(flash::mcloader_unload_clip, {as_value("holder")}).to_bool());
    EXPECT_EQ(f.child("holder")->get_display_list()->size(), 0);
    EXPECT_EQ(flash::get_clip_movie(f.child("holder"))->get_frame_count(), 1);
}

TEST(MovieClipLoader, ProgressOfAClip) {
    loader_fixture f;
    const as_value progress = f.method(flash::mcloader_get_progress, {as_value(f.top.get_ptr())});
    ASSERT_NE(progress.to_object(), nullptr);
    as_value loaded, total;
    progress.to_object()->get_member("bytesLoaded", &loaded);
    progress.to_object()->get_member("bytesTotal", &total);
    EXPECT_GT(total.to_number(), 0);
    EXPECT_EQ(loaded.to_number(), total.to_number());
    // A clip of a sprite definition is not a whole movie.
    const as_value inner = f.method(flash::mcloader_get_progress, {as_value(f.child("holder"))});
    ASSERT_NE(inner.to_object(), nullptr);
    inner.to_object()->get_member("bytesTotal", &total);
    EXPECT_EQ(total.to_number(), 0);
    for (const as_value& not_a_clip : {as_value(5), as_value(f.listener.get_ptr())}) {
        const as_value none = f.method(flash::mcloader_get_progress, {not_a_clip});
        EXPECT_TRUE(none.is_null());
    }
}

TEST(MovieClipLoader, WrongArgumentCountsGiveFalseAndTellNobody) {
    loader_fixture f;
    f.add_listener();
    calls().clear();
    struct row {
        flash::as_c_function_ptr f;
        std::initializer_list<as_value> args;
    };
    const row rows[] = {
        {flash::mcloader_load_clip, {as_value("child.swf")}},
        {flash::mcloader_load_clip, {as_value("child.swf"), as_value("holder"), as_value(1)}},
        {flash::mcloader_add_listener, {}},
        {flash::mcloader_add_listener, {as_value(1), as_value(2)}},
        {flash::mcloader_remove_listener, {}},
        {flash::mcloader_unload_clip, {}},
    };
    for (const row& r : rows) {
        const as_value result = f.call(r.f, f.loader, r.args);
        EXPECT_TRUE(result.is_bool());
        EXPECT_FALSE(result.to_bool());
    }
    EXPECT_TRUE(f.method(flash::mcloader_get_progress).is_null());
    // A this that is no loader.
    EXPECT_FALSE(f.call(flash::mcloader_add_listener, as_value(f.listener.get_ptr()), {as_value(1)}).to_bool());
    f.advance();
    EXPECT_TRUE(calls().empty());
    EXPECT_TRUE(f.method(flash::mcloader_remove_listener, {as_value(f.listener.get_ptr())}).to_bool());
    f.method(flash::mcloader_load_clip, {as_value("missing.swf"), as_value("holder")});
    EXPECT_TRUE(calls().empty());
}

}  // namespace
