// Movies and images loaded into clips by scripts (load_file, GetURL): the new clip stands in the
// target's place, "_level0" replaces the top-level movie, an empty url unloads, and paths that
// leave the game folder are refused before any file is opened.
#include "flash/movie/target_loader.h"

#include <gtest/gtest.h>

#include <string>

#include "flash/movie/player.h"
#include "flash/runtime/action_buffer.h"
#include "flash/runtime/as_environment.h"
#include "tests/flash/movie/loading_fixture.h"
#include "tests/flash/movie/recording_render_handler.h"
#include "tests/flash/runtime/action_assembler.h"

namespace {

using flash::as_value;
using loadtest::loading_movie;

constexpr int twips = 20;

flash::as_environment* env_of(loading_movie& f) { return f.top->get_environment(); }

void run_actions(loading_movie& f, testasm::assembler a) {
    const testasm::bytes code = a.end().take();
    flash::action_buffer buffer;
    buffer.read(code.data(), static_cast<int>(code.size()));
    buffer.execute(env_of(f));
}

TEST(TargetLoader, AMovieTakesTheTargetsPlaceNameAndTransform) {
    loading_movie f;
    f.serve("child.swf", loadtest::child_movie("child frame"));
    flash::smart_ptr<flash::character> before(f.child("holder"));
    ASSERT_NE(before.get_ptr(), nullptr);
    env_of(f)->load_file("child.swf", as_value("holder"));
    flash::character* after = f.child("holder");
    ASSERT_NE(after, nullptr);
    EXPECT_NE(after, before.get_ptr());
    EXPECT_TRUE(after->is(flash::as_object::SPRITE));
    EXPECT_EQ(flash::get_clip_movie(after), f.owner()->create_movie("child.swf"));
    EXPECT_EQ(after->get_depth(), 1);
    EXPECT_EQ(after->get_parent(), f.top.get_ptr());
    EXPECT_FLOAT_EQ(after->get_matrix().m_[0][2], 10.0f * twips);
    EXPECT_FLOAT_EQ(after->get_matrix().m_[1][2], 20.0f * twips);
    f.fixture.log.messages().clear();
    f.advance();
    EXPECT_TRUE(f.fixture.log.has_message("child frame\n")) << f.fixture.log.messages();
    EXPECT_EQ(f.child("holder"), after);
}

TEST(TargetLoader, GetUrlLoadsIntoTargetsAndIntoLevelZero) {
    loading_movie f;
    f.serve("child.swf", loadtest::child_movie("child frame"));
    f.serve("other.swf", loadtest::child_movie("other frame"));
    run_actions(f, testasm::assembler().get_url("child.swf", "holder"));
    EXPECT_EQ(flash::get_clip_movie(f.child("holder")), f.owner()->create_movie("child.swf"));

    // "_level0" is the top-level movie: the root shows the loaded movie from now on.
    run_actions(f, testasm::assembler().get_url("other.swf", "_level0"));
    flash::character* level0 = f.r->get_root_movie();
    ASSERT_NE(level0, nullptr);
    EXPECT_NE(level0, f.top.get_ptr());
    EXPECT_EQ(flash::get_clip_movie(level0), f.owner()->create_movie("other.swf"));
    EXPECT_EQ(f.owner()->get_root_movie(), level0);
    f.fixture.log.messages().clear();
    f.advance();
    EXPECT_TRUE(f.fixture.log.has_message("other frame\n"));
    EXPECT_FALSE(f.fixture.log.has_message("child frame\n"));

    // A target that does not resolve loads nothing.
    f.fixture.log.errors().clear();
    run_actions(f, testasm::assembler().get_url("child.swf", "_level1"));
    EXPECT_TRUE(f.fixture.log.has_error("load_file: target _level1 is't found\n"));
}

TEST(TargetLoader, AnImageIsShownByAClipInTheTargetsPlace) {
    movietest::recording_render_handler handler;
    loading_movie f;
    f.serve("pic.jpg", loadtest::jpeg_picture());
    env_of(f)->load_file("pic.jpg", as_value("holder"));
    flash::character* holder = f.child("holder");
    ASSERT_NE(holder, nullptr);
    ASSERT_TRUE(holder->is(flash::as_object::SPRITE));
    EXPECT_FLOAT_EQ(holder->get_matrix().m_[0][2], 10.0f * twips);
    flash::display_list* list = holder->get_display_list();
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->size(), 1);
    flash::rect bound;
    list->get_character(0)->get_bound(&bound);
    EXPECT_FLOAT_EQ(bound.m_x_max - bound.m_x_min, loadtest::picture_side * twips);
    EXPECT_FLOAT_EQ(bound.m_y_max - bound.m_y_min, loadtest::picture_side * twips);
    ASSERT_EQ(handler.made.size(), 1u);
    EXPECT_EQ(handler.made[0].kind, "rgb");
    EXPECT_EQ(handler.made[0].owner, "pic.jpg");

    // Data that is no JPEG leaves the target as it was.
    f.serve("bad.jpg", {1, 2, 3, 4});
    env_of(f)->load_file("bad.jpg", as_value("holder"));
    EXPECT_EQ(f.child("holder"), holder);
    EXPECT_TRUE(f.fixture.log.has_error("error: load_file: 'bad.jpg' is not a JPEG image\n"));
}

TEST(TargetLoader, AnEmptyUrlLeavesAnEmptyClip) {
    loading_movie f;
    f.serve("child.swf", loadtest::child_movie("child frame"));
    env_of(f)->load_file("child.swf", as_value("holder"));
    env_of(f)->load_file("", as_value("holder"));
    flash::character* holder = f.child("holder");
    ASSERT_NE(holder, nullptr);
    EXPECT_TRUE(holder->is(flash::as_object::SPRITE));
    EXPECT_EQ(holder->get_display_list()->size(), 0);
    EXPECT_EQ(flash::get_clip_movie(holder)->get_frame_count(), 1);
    f.fixture.log.messages().clear();
    f.advance(2);
    EXPECT_FALSE(f.fixture.log.has_message("child frame"));
}

TEST(TargetLoader, PathsOutsideTheGameFolderAreNeverOpened) {
    loading_movie f;
    f.owner()->set_workdir("data/");
    f.serve("data/child.swf", loadtest::child_movie("child frame"));
    const char* const refused[] = {"../child.swf", "/data/child.swf", "c:\\data\\child.swf",
                                   "http://host/child.swf", "sub/../../child.swf", "../pic.jpg"};
    flash::character* holder = f.child("holder");
    for (const char* url : refused) {
        f.fixture.log.errors().clear();
        env_of(f)->load_file(url, as_value("holder"));
        EXPECT_EQ(f.child("holder"), holder) << url;
        EXPECT_TRUE(f.fixture.log.has_error(std::string("error: can't load '") + url + "'")) << url;
    }
    EXPECT_EQ(f.fixture.files.opens("data/child.swf"), 0);
    // The working folder is put before a relative name.
    env_of(f)->load_file("child.swf", as_value("holder"));
    EXPECT_EQ(f.fixture.files.opens("data/child.swf"), 1);
    EXPECT_NE(f.child("holder"), holder);
    // A missing file changes nothing.
    holder = f.child("holder");
    env_of(f)->load_file("missing.swf", as_value("holder"));
    EXPECT_EQ(f.child("holder"), holder);
    EXPECT_TRUE(f.fixture.log.has_error("failed to open 'data/missing.swf'"));
}

}  // namespace
