// swfrun on writer movies: exactly the traced lines on standard output, the log elsewhere, a
// quit fscommand, and a clear failure for files that are no movie.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/temp_dir.h"
#include "tests/tools/swfrun/swfrun_support.h"
#include "tools/swfwriter/movie_writer.h"

namespace {

using swfruntest::run;
using swfruntest::run_result;
using swfruntest::write_file;

constexpr uint8_t action_push = 0x96;
constexpr uint8_t action_trace = 0x26;
constexpr uint8_t action_get_url = 0x83;

void push_string(swf::Bytes& out, const std::string& text) {
    const size_t length = text.size() + 2;
    out.insert(out.end(), {action_push, static_cast<uint8_t>(length), static_cast<uint8_t>(length >> 8), 0});
    out.insert(out.end(), text.begin(), text.end());
    out.push_back(0);
}

swf::Bytes traces(const std::vector<std::string>& lines) {
    swf::Bytes out;
    for (const std::string& line : lines) {
        push_string(out, line);
        out.push_back(action_trace);
    }
    return out;
}

// GetURL "FSCommand:quit".
swf::Bytes quit() {
    const std::string url = "FSCommand:quit";
    swf::Bytes out = {action_get_url, static_cast<uint8_t>(url.size() + 2), 0};
    out.insert(out.end(), url.begin(), url.end());
    out.insert(out.end(), {0, 0});
    return out;
}

swf::Bytes movie(const swf::Bytes& actions, bool compressed = false) {
    swf::MovieWriter m(8);
    m.tag(200, {1, 2, 3});  // an unknown tag: its log line must not reach standard output
    swf::Bytes code = actions;
    code.push_back(0);
    m.do_action(code);
    m.show_frame();
    m.end();
    return compressed ? m.finish_cws() : m.finish_fws();
}

TEST(Swfrun, PrintsExactlyTheFirstFramesTraceLines) {
    testsupport::TempDir dir;
    write_file("three.swf", movie(traces({"one", "two words", ""})));
    write_file("three_cws.swf", movie(traces({"one", "two words", ""}), true));
    for (const char* name : {"three.swf", "three_cws.swf --frames 1 --step 0.04"}) {
        const run_result r = run(name);
        EXPECT_EQ(r.status, 0) << name << r.err;
        EXPECT_EQ(r.out, "one\ntwo words\n\n") << name;
        EXPECT_NE(r.err.find("*** no tag loader for type 200"), std::string::npos) << name;
    }
}

// One DoAction a frame; the movie loops at its end unless a frame stops it.
TEST(Swfrun, PlaysFramesThroughTheRoot) {
    testsupport::TempDir dir;
    constexpr uint8_t action_stop = 0x07;
    struct row {
        const char* args;
        bool stop_on_second;
        const char* out;
    };
    const row rows[] = {
        {"frames.swf --frames 5", false, "f1\nf2\nf3\nf1\nf2\n"},
        {"frames.swf --frames 2", false, "f1\nf2\n"},
        {"frames.swf --frames 5 --step 1", false, "f1\nf2\nf3\nf1\nf2\n"},
        {"frames.swf --frames 5", true, "f1\nf2\n"},
    };
    for (const row& r : rows) {
        swf::MovieWriter m(8);
        for (const char* line : {"f1", "f2", "f3"}) {
            swf::Bytes code = traces({line});
            if (r.stop_on_second && std::string(line) == "f2") code.push_back(action_stop);
            code.push_back(0);
            m.do_action(code);
            m.show_frame();
        }
        m.end();
        write_file("frames.swf", m.finish_fws());
        const run_result got = run(r.args);
        EXPECT_EQ(got.status, 0) << r.args << got.err;
        EXPECT_EQ(got.out, r.out) << r.args;
    }
}

TEST(Swfrun, StopsAtAQuitCommand) {
    testsupport::TempDir dir;
    swf::Bytes code = traces({"before"});
    const swf::Bytes q = quit();
    code.insert(code.end(), q.begin(), q.end());
    swf::MovieWriter m(8);
    code.push_back(0);
    m.do_action(code);
    m.do_action(swf::Bytes{action_push, 7, 0, 0, 'a', 'f', 't', 'e', 'r', 0, action_trace, 0});
    m.show_frame();
    m.end();
    write_file("quit.swf", m.finish_fws());
    const run_result r = run("quit.swf --frames 5");
    EXPECT_EQ(r.status, 0) << r.err;
    // The frame that asks to quit is still the movie's output to its end; no frame follows.
    EXPECT_EQ(r.out, "before\nafter\n");
}

TEST(Swfrun, FilesThatAreNoMovieFailWithAMessage) {
    testsupport::TempDir dir;
    write_file("bad.swf", {'Z', 'W', 'S', 8, 0, 0, 0, 0});
    struct row {
        const char* args;
        int status;
        const char* message;
    };
    const row rows[] = {
        {"bad.swf", 1, "swfrun: can't load the movie 'bad.swf'"},
        {"missing.swf", 1, "swfrun: can't load the movie 'missing.swf'"},
        {"", 2, "swfrun: no movie given"},
        {"bad.swf --frames 0", 2, "--frames wants a count of 1 or more"},
        {"bad.swf --bogus", 2, "unknown option --bogus"},
    };
    for (const row& r : rows) {
        const run_result got = run(r.args);
        EXPECT_EQ(got.status, r.status) << r.args;
        EXPECT_NE(got.err.find(r.message), std::string::npos) << r.args << ": " << got.err;
        EXPECT_EQ(got.out, "") << r.args;
    }
}

}  // namespace
