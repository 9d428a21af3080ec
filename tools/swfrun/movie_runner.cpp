#include "movie_runner.h"

#include "flash/base/smart_ptr.h"
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
    flash::smart_ptr<flash::sprite_instance> top(
        flash::sprite_instance::create_top_level(owner, def, nullptr));
    owner->set_root_movie(top.get_ptr());
    for (int frame = 0; frame < frames && !stop(); ++frame) top->advance(static_cast<float>(step));
    owner->set_root_movie(nullptr);
    top = nullptr;
    owner->clear_heap();
}

}  // namespace swfrun
