#include "movie_runner.h"

#include "flash/base/smart_ptr.h"
#include "flash/movie/movie_def_impl.h"
#include "flash/movie/movie_root.h"
#include "flash/movie/sprite_instance.h"

namespace swfrun {

namespace {

// A movie without a usable rate plays at the engine's default.
constexpr double fallback_frame_rate = 30.0;

}  // namespace

void run_frames(flash::player* owner, flash::movie_definition_sub* def, int frames, double step,
                bool (*stop)()) {
    if (step <= 0) {
        const double rate = def->get_frame_rate();
        step = 1.0 / (rate > 0 ? rate : fallback_frame_rate);
    }
    // The movie plays on a root, as in the game: its clock steps the frames, and timers, loaders
    // and keys reach the root that is current.
    flash::movie_def_impl* movie =
        def->is(flash::character_def::MOVIE_DEF_IMPL) ? static_cast<flash::movie_def_impl*>(def) : nullptr;
    flash::smart_ptr<flash::root> r(new flash::root(owner, movie));
    flash::smart_ptr<flash::sprite_instance> top(
        flash::sprite_instance::create_top_level(owner, def, r.get_ptr()));
    r->set_root_movie(top.get_ptr());
    owner->set_root(r.get_ptr());
    for (int frame = 0; frame < frames && !stop(); ++frame) r->advance(static_cast<float>(step));
    owner->set_root(static_cast<flash::root*>(nullptr));
    top = nullptr;
    r = nullptr;
    owner->clear_heap();
}

}  // namespace swfrun
