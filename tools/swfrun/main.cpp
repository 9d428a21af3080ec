// swfrun MOVIE.swf [--frames N] [--step SECONDS] [--shot FILE] [--input FILE] [--workdir DIR]
// Loads a movie through the engine, runs it headless and prints every trace line to standard
// output exactly as traced; every engine log line (also the ones at the player's end) goes to
// standard error. Relative loads and imports are read from the movie's own folder, or from DIR.
// --shot draws the last frame run headless and writes its picture (PNG, or a bitmap for a ".bmp"
// name). --input plays an input script (input/input_script.h) on the movie, one turn a frame;
// without --frames it runs until the script has ended. TOV_TEST_CLOCK_MS=N runs the process on
// the fixed clock, N milliseconds a frame.
// Exits 0 after N frames or at an fscommand "quit" (the traces of that frame are kept) or a
// "quit" line, 1 when the movie cannot be loaded, 2 on a bad command line, 3 when a picture
// cannot be taken, 4 when the input script or the clock setting fails.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "core/test_clock.h"
#include "flash/base/bx_file.h"
#include "flash/base/log.h"
#include "flash/movie/movie_library.h"
#include "flash/movie/movie_root.h"
#include "flash/movie/player.h"
#include "flash/runtime/interpreter.h"
#include "frame_camera.h"
#include "input/input_script.h"
#include "input/named_target.h"
#include "platform/clock.h"

namespace {

constexpr int exit_load_failed = 1;
constexpr int exit_usage = 2;
constexpr int exit_shot_failed = 3;
constexpr int exit_script_failed = 4;
constexpr double max_frames = 1e9;
// The mouse-button bits of the engine's mouse state.
constexpr int left_button_bit = 1;
constexpr int right_button_bit = 2;

bool g_quit = false;
inputscript::Script* g_script = nullptr;
std::string g_workdir;  // absolute, ending in '/'

void route_trace(const char* text) {
    std::fputs(text, stdout);
    if (g_script) g_script->onLogLine(text);
}

void route_log(bool, const char* text) {
    std::fputs(text, stderr);
    if (g_script) g_script->onLogLine(text);
}

void on_fscommand(flash::as_object*, const char* command, const char*) {
    if (command && std::strcmp(command, "quit") == 0) g_quit = true;
}

// Relative names are the movie's folder's (or --workdir's), as the game's working folder serves
// the game.
flash::bx_file* open_file(const char* path) {
    const std::filesystem::path p(path);
    const std::string full = p.is_absolute() ? std::string(path) : g_workdir + path;
    return new flash::bx_file(full.c_str(), "rb");
}

int usage(const char* problem) {
    std::fprintf(stderr, "swfrun: %s\n", problem);
    std::fprintf(stderr,
                 "usage: swfrun MOVIE.swf [--frames N] [--step SECONDS] [--shot FILE] [--input FILE] "
                 "[--workdir DIR]\n");
    return exit_usage;
}

bool parse_number(const char* text, double* out) {
    char* end = nullptr;
    *out = std::strtod(text, &end);
    return end && end != text && *end == 0;
}

// Draws the current frame and writes it.
bool take_picture(swfrun::frame_camera& camera, flash::root* root, const std::string& file) {
    root->begin_display();
    root->display();
    root->end_display();
    return camera.save(file);
}

// The root's mouse and key state from one script action; false when a picture fails.
struct script_player {
    flash::player* owner;
    flash::root* root;
    swfrun::frame_camera* camera;
    int buttons = 0;

    bool apply(const inputscript::Action& a) {
        using inputscript::ActionKind;
        const int bit = a.button == inputscript::kRight ? right_button_bit : left_button_bit;
        switch (a.kind) {
            case ActionKind::Move: root->notify_mouse_state(a.x, a.y, buttons); break;
            case ActionKind::Press:
                buttons |= bit;
                root->notify_mouse_state(a.x, a.y, buttons);
                break;
            case ActionKind::Release:
                buttons &= ~bit;
                root->notify_mouse_state(a.x, a.y, buttons);
                break;
            case ActionKind::KeyDown:
            case ActionKind::KeyUp: {
                // A typed character reaches the movie as its character, a plain key as its code.
                const int code = a.character ? static_cast<int>(a.character) : a.keyCode;
                if (code > 0) root->notify_key_event(owner, code, a.kind == ActionKind::KeyDown);
                break;
            }
            case ActionKind::Shot:
                if (!take_picture(*camera, root, a.file)) {
                    std::fprintf(stderr, "swfrun: can't write the picture '%s'\n", a.file.c_str());
                    return false;
                }
                break;
            case ActionKind::Quit: g_quit = true; break;
        }
        return true;
    }
};

}  // namespace

int main(int argc, char** argv) {
    const char* movie = nullptr;
    double frames = 1;
    bool frames_given = false;
    const char* shot = nullptr;
    const char* input = nullptr;
    const char* workdir = nullptr;
    double step = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--frames" && i + 1 < argc) {
            if (!parse_number(argv[++i], &frames) || frames < 1) return usage("--frames wants a count of 1 or more");
            if (frames > max_frames) return usage("--frames wants a count of at most 1000000000");
            frames_given = true;
        } else if (arg == "--step" && i + 1 < argc) {
            if (!parse_number(argv[++i], &step) || step <= 0) return usage("--step wants a positive number of seconds");
        } else if (arg == "--shot" && i + 1 < argc) {
            shot = argv[++i];
        } else if (arg == "--input" && i + 1 < argc) {
            input = argv[++i];
        } else if (arg == "--workdir" && i + 1 < argc) {
            workdir = argv[++i];
        } else if (arg == "--shot" || arg == "--input" || arg == "--workdir" || arg == "--frames" || arg == "--step") {
            return usage((arg + " wants a value").c_str());
        } else if (!arg.empty() && arg[0] == '-') {
            return usage(("unknown option " + arg).c_str());
        } else if (!movie) {
            movie = argv[i];
        } else {
            return usage("only one movie can be run");
        }
    }
    if (!movie) return usage("no movie given");

    std::string clock_error;
    if (core::useTestClockFromEnvironment(&clock_error) == core::TestClock::Invalid) {
        std::fprintf(stderr, "swfrun: %s\n", clock_error.c_str());
        return exit_script_failed;
    }
    inputscript::Script script;
    if (input) {
        std::string error;
        if (!script.load(input, &error)) {
            std::fprintf(stderr, "swfrun: %s\n", error.c_str());
            return exit_script_failed;
        }
        g_script = &script;
        if (!frames_given) frames = max_frames;
    }
    std::error_code ec;
    const std::filesystem::path movie_path = std::filesystem::absolute(movie, ec);
    const std::filesystem::path folder = workdir ? std::filesystem::absolute(workdir, ec) : movie_path.parent_path();
    g_workdir = folder.string();
    if (g_workdir.empty() || g_workdir.back() != '/') g_workdir += '/';

    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    flash::register_log_callback(route_log);
    flash::register_trace_callback(route_trace);
    flash::register_file_opener_callback(open_file);
    flash::register_fscommand_callback(on_fscommand);
    int result = 0;
    {
        // The handler must be there before the movie loads: its bitmaps become textures then.
        swfrun::frame_camera camera;
        bool wants_camera = shot != nullptr;
        for (const inputscript::Script::Entry& e : script.entries())
            wants_camera = wants_camera || e.kind == inputscript::Script::EntryKind::Shot;
        if (wants_camera && !camera.open()) return exit_shot_failed;
        flash::smart_ptr<flash::player> owner(new flash::player);
        flash::smart_ptr<flash::root> root = owner->load_file(movie_path.string().c_str());
        if (!root) {
            std::fprintf(stderr, "swfrun: can't load the movie '%s'\n", movie);
            result = exit_load_failed;
        } else if (wants_camera && !camera.resize(root->get_viewport_width(), root->get_viewport_height())) {
            result = exit_shot_failed;
        } else {
            owner->set_root(root.get_ptr());
            // Without --step every advance is one frame time (under the fixed clock, its step).
            float dt = root->get_frame_time();
            if (platform::virtualClockOn()) dt = static_cast<float>(platform::virtualClockStepMs()) / 1000.0f;
            if (step > 0) dt = static_cast<float>(step);
            script.setResolver([&root](const std::string& name) {
                return inputscript::findNamedTarget(root->get_root_movie(), name);
            });
            script_player applier{owner.get_ptr(), root.get_ptr(), &camera};
            std::vector<inputscript::Action> actions;
            for (int i = 0; i < static_cast<int>(frames) && !g_quit; ++i) {
                if (input) {
                    actions.clear();
                    if (!script.step(actions)) {
                        std::fprintf(stderr, "swfrun: %s\n", script.error().c_str());
                        result = exit_script_failed;
                        break;
                    }
                    for (const inputscript::Action& a : actions)
                        if (!applier.apply(a)) result = exit_shot_failed;
                    if (result != 0 || g_quit) break;
                }
                root->advance(dt);
                platform::advanceVirtualClock();
                if (input && !frames_given && script.finished()) break;
            }
            if (shot && result == 0 && !take_picture(camera, root.get_ptr(), shot)) result = exit_shot_failed;
        }
    }
    g_script = nullptr;
    std::fflush(stdout);
    return result;
}
