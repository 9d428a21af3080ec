// swfrun MOVIE.swf [--frames N] [--step SECONDS] [--shot FRAME OUT.bmp] [--input SCRIPT]
// Loads a movie through the engine, runs it headless and prints every trace line to standard
// output exactly as traced; engine log lines go to standard error. Exits 0 after N frames or at
// an fscommand "quit", 1 when the movie cannot be loaded, 2 on a bad command line.
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

namespace {

constexpr int exit_load_failed = 1;
constexpr int exit_usage = 2;
constexpr double max_frames = 1e9;

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
                 "usage: swfrun MOVIE.swf [--frames N] [--step SECONDS] [--shot FRAME OUT.bmp] [--input SCRIPT]\n");
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
    double step = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--frames" && i + 1 < argc) {
            if (!parse_number(argv[++i], &frames) || frames < 1) return usage("--frames wants a count of 1 or more");
            if (frames > max_frames) return usage("--frames wants a count of at most 1000000000");
        } else if (arg == "--step" && i + 1 < argc) {
            if (!parse_number(argv[++i], &step) || step <= 0) return usage("--step wants a positive number of seconds");
        } else if (arg == "--shot" || arg == "--input") {
            return usage((arg + " is not available yet: frames run without drawing or input").c_str());
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
        flash::smart_ptr<flash::player> owner(new flash::player);
        flash::smart_ptr<flash::root> root = owner->load_file(movie);
        if (!root) {
            std::fprintf(stderr, "swfrun: can't load the movie '%s'\n", movie);
            result = exit_load_failed;
        } else {
            owner->set_root(root.get_ptr());
            // Without --step every advance is one frame time: one frame a call.
            const float dt = step > 0 ? static_cast<float>(step) : root->get_frame_time();
            g_running_frames = true;
            for (int i = 0; i < static_cast<int>(frames) && !g_quit; ++i) root->advance(dt);
            g_running_frames = false;
        }
    }
    std::fflush(stdout);
    return result;
}
