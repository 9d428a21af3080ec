// One movie scene played frame by frame: 100 clickable clips of 5 shapes each (500 shapes), each
// clip with an enterFrame clip action, on a 10-frame timeline that moves them, drawn through a
// render handler that only counts. Reports the time of one advance plus one display; the
// engine's budget is 2 ms a frame for all the game's roots together.
#include <benchmark/benchmark.h>

#include "bench/counting_render_handler.h"
#include "flash/base/bx_file.h"
#include "flash/base/log.h"
#include "flash/movie/movie_library.h"
#include "flash/movie/player.h"
#include "flash/movie/sprite_instance.h"
#include "flash/render/bitmap_info.h"
#include "tools/swfwriter/movie_writer.h"
#include "tools/swfwriter/shape.h"

namespace {

constexpr int clip_count = 100;
constexpr int shapes_per_clip = 5;
constexpr int timeline_frames = 10;
constexpr int twips = 20;
constexpr uint8_t action_push = 0x96;
constexpr uint8_t action_get_variable = 0x1C;
constexpr uint8_t action_set_variable = 0x1D;
constexpr uint8_t action_add2 = 0x47;

using counting_handler = benchsupport::counting_render_handler;

// counter = counter + 1, with "counter" as a push of a string.
swf::Bytes count_up() {
    swf::Bytes out = {action_push, 3, 0, 0, 'c', 0, action_push, 3, 0, 0, 'c', 0, action_get_variable};
    out.insert(out.end(), {action_push, 5, 0, 7, 1, 0, 0, 0, action_add2, action_set_variable, 0});
    return out;
}

swf::Bytes scene() {
    swf::MovieWriter m(8);
    uint16_t shapes[shapes_per_clip];
    for (int i = 0; i < shapes_per_clip; ++i) {
        shapes[i] = m.define_shape(swf::filled_rect(i * 4 * twips, 0, 3 * twips, 3 * twips, {uint8_t(40 * i), 90, 200, 255}));
    }
    swf::SpriteWriter clip = m.sprite();
    for (int i = 0; i < shapes_per_clip; ++i) clip.place_object2(swf::PlaceObject::place(static_cast<uint16_t>(i + 1), shapes[i]));
    clip.show_frame();
    const uint16_t clip_id = m.define_sprite(clip);
    for (int c = 0; c < clip_count; ++c) {
        swf::PlaceObject p = swf::PlaceObject::place(static_cast<uint16_t>(c + 1), clip_id);
        p.name = "button" + std::to_string(c);
        p.matrix = swf::Matrix::translation((c % 10) * 50 * twips, (c / 10) * 40 * twips);
        p.clip_actions = swf::clip_actions({swf::clip_action(swf::event_enter_frame, count_up())});
        m.place_object2(p);
    }
    m.show_frame();
    for (int f = 1; f < timeline_frames; ++f) {
        for (int c = 0; c < clip_count; c += 2) {
            swf::PlaceObject move = swf::PlaceObject::move_to(static_cast<uint16_t>(c + 1));
            move.matrix = swf::Matrix::translation((c % 10) * 50 * twips + f * twips, (c / 10) * 40 * twips);
            m.place_object2(move);
        }
        m.show_frame();
    }
    m.end();
    return m.finish_fws();
}

swf::Bytes g_scene;

flash::bx_file* open_scene(const char*) {
    flash::bx_file* file = new flash::bx_file(flash::memory_buffer);
    file->write_bytes(g_scene.data(), static_cast<int>(g_scene.size()));
    file->set_position(0);
    return file;
}

void quiet(bool, const char*) {}

void BM_SceneAdvanceAndDisplay(benchmark::State& state) {
    g_scene = scene();
    flash::register_log_callback(quiet);
    flash::register_file_opener_callback(open_scene);
    counting_handler handler;
    flash::set_render_handler(&handler);
    {
        flash::smart_ptr<flash::player> owner(new flash::player);
        flash::smart_ptr<flash::sprite_instance> top(
            flash::sprite_instance::create_top_level(owner.get_ptr(), owner->create_movie("scene.swf"), nullptr));
        owner->set_root_movie(top.get_ptr());
        for (auto _ : state) {
            top->advance(1.0f / 30.0f);
            top->display();
        }
        state.counters["vertices/frame"] = benchmark::Counter(static_cast<double>(handler.vertices) / state.iterations());
        owner->set_root_movie(nullptr);
    }
    flash::set_render_handler(nullptr);
    flash::register_file_opener_callback(nullptr);
    flash::register_log_callback(nullptr);
}
BENCHMARK(BM_SceneAdvanceAndDisplay)->Unit(benchmark::kMillisecond);

}  // namespace
