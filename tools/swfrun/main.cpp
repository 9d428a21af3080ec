// swfrun MOVIE.swf [--frames N] [--step SECONDS] [--shot FILE] [--input SCRIPT]
// Loads a movie through the engine, runs it headless and prints every trace line to standard
// output exactly as traced; engine log lines go to standard error. --shot draws the last frame run
// headless and writes its picture (PNG, or a bitmap for a ".bmp" name). Exits 0 after N frames or
// at an fscommand "quit", 1 when the movie cannot be loaded, 2 on a bad command line, 3 when the
// picture cannot be taken.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "flash/base/bx_file.h"
#include "flash/base/log.h"
#include "flash/movie/movie_library.h"
#include "flash/movie/movie_root.h"
#include "flash/movie/player.h"
#include "flash/runtime/interpreter.h"
#include "frame_camera.h"

namespace {

constexpr int exit_load_failed = 1;
constexpr int exit_usage = 2;
constexpr int exit_shot_failed = 3;

// Trace output is the only plain message logged while frames run; everything else is log. Once
// the movie asked to quit, the rest of that frame's traces are not its output any more.
bool g_running_frames = false;
bool g_quit = false;

void route_log(bool is_error, const char* text) {
    const bool trace = !is_error && g_running_frames;
    if (trace && g_quit) return;
    std::fputs(text, trace ? stdout : stderr);
}

void on_fscommand(flash::as_object*, const char* command, const char*) {
    if (command && std::strcmp(command, "quit") == 0) g_quit = true;
}

flash::bx_file* open_from_disk(const char* path) { return new flash::bx_file(path, "rb"); }

int usage(const char* problem) {
    std::fprintf(stderr, "swfrun: %s\n", problem);
    std::fprintf(stderr,
                 "usage: swfrun MOVIE.swf [--frames N] [--step SECONDS] [--shot FILE] [--input SCRIPT]\n");
    return exit_usage;
}

bool parse_number(const char* text, double* out) {
    char* end = nullptr;
    *out = std::strtod(text, &end);
    return end && end != text && *end == 0;
}

}  // namespace

int main(int argc, char** argv) {
    const char* movie = nullptr;
    double frames = 1;
    const char* shot = nullptr;
    double step = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--frames" && i + 1 < argc) {
            if (!parse_number(argv[++i], &frames) || frames < 1) return usage("--frames wants a count of 1 or more");
        } else if (arg == "--step" && i + 1 < argc) {
            if (!parse_number(argv[++i], &step) || step <= 0) return usage("--step wants a positive number of seconds");
        } else if (arg == "--shot" && i + 1 < argc) {
            shot = argv[++i];
        } else if (arg == "--shot" || arg == "--input") {
            return usage((arg + " is not available yet").c_str());
        } else if (!arg.empty() && arg[0] == '-') {
            return usage(("unknown option " + arg).c_str());
        } else if (!movie) {
            movie = argv[i];
        } else {
            return usage("only one movie can be run");
        }
    }
    if (!movie) return usage("no movie given");

    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    flash::register_log_callback(route_log);
    flash::register_file_opener_callback(open_from_disk);
    flash::register_fscommand_callback(on_fscommand);
    int result = 0;
    {
        // The handler must be there before the movie loads: its bitmaps become textures then.
        swfrun::frame_camera camera;
        if (shot && !camera.open()) return exit_shot_failed;
        flash::smart_ptr<flash::player> owner(new flash::player);
        flash::smart_ptr<flash::root> root = owner->load_file(movie);
        if (!root) {
            std::fprintf(stderr, "swfrun: can't load the movie '%s'\n", movie);
            result = exit_load_failed;
        } else if (shot && !camera.resize(root->get_viewport_width(), root->get_viewport_height())) {
            result = exit_shot_failed;
        } else {
            owner->set_root(root.get_ptr());
            // Without --step every advance is one frame time: one frame a call.
            const float dt = step > 0 ? static_cast<float>(step) : root->get_frame_time();
            g_running_frames = true;
            for (int i = 0; i < static_cast<int>(frames) && !g_quit; ++i) root->advance(dt);
            g_running_frames = false;
            if (shot) {
                root->begin_display();
                root->display();
                root->end_display();
                if (!camera.save(shot)) result = exit_shot_failed;
            }
        }
    }
    std::fflush(stdout);
    return result;
}
