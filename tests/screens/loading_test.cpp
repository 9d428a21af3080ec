// The loading screen on the demo chapter: the loader's exit codes, the movies it reads into the
// player's library, the caption handed to the main thread, and the time it has been shown.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/application.h"
#include "core/cvar_catalogue.h"
#include "core/string_table.h"
#include "flash/movie/player.h"
#include "screens/loading.h"
#include "tests/support/game_fixture.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

void writeText(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    testsupport::writeFile(path, text);
}

std::string description(const std::string& name, const std::string& inner) {
    return "<?xml version=\"1.0\" standalone=\"yes\" ?>\n<root>\n<object name=\"" + name + "\">\n" + inner +
           "</object>\n</root>\n";
}

class LoadingScreen : public ::testing::Test {
protected:
    testsupport::TempDir dir{false};
    std::unique_ptr<testsupport::GameFixture> game;

    void SetUp() override {
        fs::copy(fs::path(TOV_TEST_SOURCE_DIR) / "demo", dir.path(), fs::copy_options::recursive);
        const fs::path levels = dir.path() / "data" / "levels";
        writeText(levels / "nofile.xml", description("nofile", "<string name=\"Type\" value=\"movie\" />\n"));
        writeText(levels / "nomovie.xml", description("nomovie", "<string name=\"Type\" value=\"movie\" />\n"
                                                                 "<string name=\"FileName\" value=\"absent.swf\" />\n"));
        game = std::make_unique<testsupport::GameFixture>(dir.path(), 100);
        ASSERT_TRUE(game->start());
        ASSERT_NE(Loading::instance(), nullptr);
        // The table is read before the program entry, from the folder the program starts in.
        StringTable::instance().load("Data\\Texts\\strings.st");
    }
    void TearDown() override { game.reset(); }

    // Runs the loader for a level to its end and answers its exit code.
    uint32_t load(const std::string& level, bool withDialogs) {
        Loading* loading = Loading::instance();
        loading->setLevelName(level);
        if (withDialogs) loading->addMovie("dialogs.swf");
        EXPECT_TRUE(loading->startLoader());
        EXPECT_TRUE(loading->wait(10000));
        return loading->loaderExitCode();
    }
    bool inLibrary(const char* movie) {
        return game->app().player()->get_movie_library().find(movie) != nullptr;
    }
};

TEST_F(LoadingScreen, ExitCodesOfTheLoader) {
    struct Case {
        const char* level;
        uint32_t code;
        const char* error;  // a line the log must have, or none
    };
    const Case cases[] = {
        {"intro", Loading::kLoaded, nullptr},
        {"nofile", Loading::kLoaded, nullptr},
        {"nosuchlevel", Loading::kUnreadable, nullptr},
        {"nomovie", Loading::kUnreadable, "absent.swf not found in Loading::run"},
        {"", Loading::kNoLevel, nullptr},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(load(c.level, false), c.code) << c.level;
        if (c.error) {
            EXPECT_NE(game->log().find(c.error), std::string::npos) << c.level;
        }
    }
}

TEST_F(LoadingScreen, TheLevelsMovieAndTheQueuedOnesAreReadAndTheListEmptied) {
    ASSERT_FALSE(inLibrary("intro.swf"));
    EXPECT_EQ(load("intro", true), Loading::kLoaded);
    EXPECT_TRUE(inLibrary("intro.swf"));
    EXPECT_TRUE(inLibrary("dialogs.swf"));
    EXPECT_TRUE(Loading::instance()->extraMovies().empty());
    const std::string log = game->log();
    const size_t level = log.find("Loading::run loading intro.swf");
    const size_t dialogs = log.find("Loading::run loading dialogs.swf");
    ASSERT_NE(level, std::string::npos) << log;
    ASSERT_NE(dialogs, std::string::npos) << log;
    EXPECT_LT(level, dialogs);
    EXPECT_NE(log.find("Async (ldscreen) loaded swf: intro.swf; "), std::string::npos);
}

TEST_F(LoadingScreen, TheCaptionIsSetAtTheNextDrawAndClearedByHiding) {
    game->skipLogos();
    Loading* loading = Loading::instance();
    EXPECT_EQ(load("intro", false), Loading::kLoaded);
    // Set by the loader, shown only once the main thread draws the screen again.
    EXPECT_EQ(loading->captionText(), "");
    game->runFrames(1);
    EXPECT_EQ(loading->captionText(), "Prologue");
    EXPECT_GT(loading->shownTime(), 0.0f);
    loading->setVisible(false);
    EXPECT_EQ(loading->captionText(), "");
    EXPECT_EQ(loading->shownTime(), 0.0f);
    loading->setVisible(true);
    EXPECT_EQ(loading->shownTime(), 0.0f);
    game->runFrames(3);
    EXPECT_NEAR(loading->shownTime(), 0.3f, 0.05f);
    loading->hide();
    EXPECT_EQ(loading->shownTime(), 0.0f);
}

TEST_F(LoadingScreen, TheLoaderReadsBesideTheMainThreadsDraws) {
    // The screen shown and drawn every frame while its loader reads the level's movie and the
    // queued ones: the caption and the library are what the two threads share (a
    // thread-sanitizer build watches this run).
    game->skipLogos();
    Loading* loading = Loading::instance();
    loading->setLevelName("room");
    for (const char* movie : {"dialogs.swf", "letters.swf", "puzzle.swf", "rotator.swf"}) loading->addMovie(movie);
    loading->setVisible(true);
    ASSERT_TRUE(loading->startLoader());
    int frames = 0;
    for (; frames < 1000 && !loading->loaderFinished(); ++frames) game->runFrames(1);
    ASSERT_TRUE(loading->wait(10000));
    EXPECT_EQ(loading->loaderExitCode(), Loading::kLoaded);
    for (const char* movie : {"room.swf", "dialogs.swf", "letters.swf", "puzzle.swf", "rotator.swf"})
        EXPECT_TRUE(inLibrary(movie)) << movie;
    game->runFrames(1);
    EXPECT_FALSE(loading->captionText().empty()) << "the caption the loader set reached the screen";
    loading->hide();
}

}  // namespace
