// Script load paths: relative names under the working folder only.
#include <gtest/gtest.h>

#include "flash/movie/load_path.h"
#include "tests/support/engine_log.h"

namespace {

TEST(LoadPathTest, RelativeNamesGoUnderTheWorkingFolder) {
    testsupport::engine_log log;
    const struct {
        const char* workdir;
        const char* url;
        const char* path;
    } accepted[] = {
        {"data\\flash\\", "menu.swf", "data\\flash\\menu.swf"},
        {"", "sub/pic.jpg", "sub/pic.jpg"},
        {nullptr, "a..b.swf", "a..b.swf"},
        {"d/", "x/./..y/z.swf", "d/x/./..y/z.swf"},
    };
    for (const auto& row : accepted) {
        flash::bx_string path;
        EXPECT_TRUE(flash::make_load_path(row.workdir, row.url, &path)) << row.url;
        EXPECT_STREQ(path.c_str(), row.path);
    }
    EXPECT_EQ(log.errors(), "");
}

TEST(LoadPathTest, AbsolutePathsDrivesUrlsAndStepsUpAreRefused) {
    testsupport::engine_log log;
    const char* const refused[] = {
        "/etc/passwd.swf", "\\\\server\\share\\a.swf", "c:\\game\\a.swf", "C:a.swf",
        "http://example.com/a.swf", "file:///tmp/a.swf", "../secret.swf", "a/../../b.swf",
        "a\\..\\b.jpg", "..", "sub/..",
    };
    for (const char* url : refused) {
        log.errors().clear();
        flash::bx_string path("untouched");
        EXPECT_FALSE(flash::make_load_path("data/", url, &path)) << url;
        EXPECT_STREQ(path.c_str(), "untouched") << url;
        EXPECT_EQ(log.errors(), std::string("error: can't load '") + url +
                                    "': only files inside the game folder can be loaded\n");
    }
    flash::bx_string path;
    log.errors().clear();
    EXPECT_FALSE(flash::make_load_path("data/", "", &path));
    EXPECT_FALSE(flash::make_load_path("data/", nullptr, &path));
    EXPECT_EQ(log.errors(), "");
}

}  // namespace
