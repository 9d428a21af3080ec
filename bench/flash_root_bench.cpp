// One frame of a game screen: eight roots advanced and displayed together, showing 100 clickable
// clips of five detailed shapes each (500 shapes in all), with 10,000 script objects hanging off
// the clips, the mouse sweeping over the first root and every root stepping a frame (so a
// garbage pass marks the whole heap when due; argument 1 forces one every frame). Drawing goes
// to a render handler that only counts its calls: the figure is the engine's CPU time. Goal:
// under 2 ms a frame for all roots.
#include <benchmark/benchmark.h>

#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "bench/counting_render_handler.h"
#include "flash/base/bx_file.h"
#include "flash/base/log.h"
#include "flash/movie/display_list.h"
#include "flash/movie/movie_def_impl.h"
#include "flash/movie/movie_library.h"
#include "flash/movie/movie_root.h"
#include "flash/movie/player.h"
#include "flash/render/bitmap_info.h"
#include "flash/runtime/as_object.h"
#include "tools/swfwriter/movie_writer.h"
#include "tools/swfwriter/shape.h"

namespace {

constexpr int root_count = 8;
constexpr int clip_count = 100;
constexpr int shapes_per_clip = 5;
constexpr int heap_object_count = 10000;
constexpr double frame_rate = 30.0;
constexpr int clip_spacing = 60 * 20;  // twips
constexpr int clips_per_row = 10;

using counting_handler = benchsupport::counting_render_handler;

// A shape of a few circles and a many-sided outline, filled and outlined.
swf::Shape detailed_shape(int variant) {
    swf::Shape s;
    s.fills.push_back(swf::FillStyle::solid({static_cast<uint8_t>(40 * variant), 120, 200, 255}));
    swf::LineStyle outline_style;
    outline_style.width = 20;
    outline_style.color = {0, 0, 0, 255};
    s.lines.push_back(outline_style);
    s.path.fill0(1).line(1);
    s.path.circle(400, 400, 300 + 20 * variant);
    s.path.circle(400, 400, 150);
    std::vector<swf::Point> outline;
    constexpr int sides = 24;
    for (int i = 0; i < sides; ++i) {
        const int radius = i % 2 ? 380 : 520;
        const double angle = 2 * 3.14159265358979 * i / sides;
        outline.push_back({400 + static_cast<int32_t>(radius * std::cos(angle)),
                           400 + static_cast<int32_t>(radius * std::sin(angle))});
    }
    s.path.polygon(outline);
    return s;
}

// A movie of `clips` clips, each a sprite of the five shapes, named "clip0", "clip1", ...
swf::Bytes scene_movie(int clips) {
    swf::MovieWriter m(8);
    m.frame_rect({0, 1024 * 20, 0, 768 * 20});
    m.frame_rate(frame_rate);
    std::vector<uint16_t> shapes;
    for (int i = 0; i < shapes_per_clip; ++i) shapes.push_back(m.define_shape(detailed_shape(i)));
    swf::SpriteWriter clip = m.sprite();
    for (int i = 0; i < shapes_per_clip; ++i) {
        swf::PlaceObject p = swf::PlaceObject::place(static_cast<uint16_t>(i + 1), shapes[i]);
        p.matrix = swf::Matrix::translation(i * 40, i * 30);
        clip.place_object2(p);
    }
    clip.show_frame();
    clip.end();
    const uint16_t clip_id = m.define_sprite(clip);
    for (int i = 0; i < clips; ++i) {
        swf::PlaceObject p = swf::PlaceObject::place(static_cast<uint16_t>(i + 1), clip_id);
        p.matrix = swf::Matrix::translation((i % clips_per_row) * clip_spacing, (i / clips_per_row) * clip_spacing);
        p.name = "clip" + std::to_string(i);
        m.place_object2(p);
    }
    m.show_frame();
    m.end();
    return m.finish_fws();
}

std::map<std::string, swf::Bytes>& served() {
    static std::map<std::string, swf::Bytes> files;
    return files;
}

flash::bx_file* open_served(const char* path) {
    auto it = served().find(path);
    if (it == served().end()) return nullptr;
    flash::bx_file* file = new flash::bx_file(flash::memory_buffer);
    file->write_bytes(it->second.data(), static_cast<int>(it->second.size()));
    file->set_position(0);
    file->set_name(path);
    return file;
}

void quiet_log(bool, const char*) {}
void on_click(flash::character*, int) {}

void BM_EightRootsAdvanceAndDisplay(benchmark::State& state) {
    flash::register_log_callback(quiet_log);
    flash::register_file_opener_callback(open_served);
    counting_handler handler;
    flash::set_render_handler(&handler);
    {
        flash::smart_ptr<flash::player> owner(new flash::player);
        std::vector<flash::smart_ptr<flash::root>> roots;
        int clips_left = clip_count;
        for (int r = 0; r < root_count; ++r) {
            const int clips = clips_left / (root_count - r);
            clips_left -= clips;
            const std::string path = "scene" + std::to_string(clips) + ".swf";
            if (!served().count(path)) served()[path] = scene_movie(clips);
            flash::smart_ptr<flash::root> root = owner->load_file(path.c_str());
            if (!root) {
                state.SkipWithError("the scene movie did not load");
                return;
            }
            root->advance(0.0f);  // frame 0 placed every clip
            flash::character* movie = root->get_root_movie();
            for (int c = 0; c < clips; ++c) {
                flash::character* clip = movie->get_display_list()->get_character_by_name(
                    ("clip" + std::to_string(c)).c_str(), false);
                if (!clip) {
                    state.SkipWithError("a clip is missing");
                    return;
                }
                clip->m_event_callback = on_click;
                // Script objects that the clip holds and that point back at it.
                for (int o = 0; o < heap_object_count / clip_count; ++o) {
                    flash::as_object* obj = new flash::as_object(owner.get_ptr());
                    owner->mark_alive(obj);
                    obj->set_member("owner", flash::as_value(clip));
                    obj->set_member("n", flash::as_value(o));
                    clip->set_member(("o" + std::to_string(o)).c_str(), flash::as_value(obj));
                }
            }
            roots.push_back(root);
        }
        int frame = 0;
        const float dt = static_cast<float>(1.0 / frame_rate);
        for (auto _ : state) {
            // The mouse sweeps the first root's clips, pressing every other row.
            const int x = (frame * 7) % 640;
            const int y = (frame * 3) % 600;
            roots[0]->notify_mouse_state(x, y, (frame / 20) % 2);
            for (flash::smart_ptr<flash::root>& root : roots) {
                root->advance(dt);
                root->begin_display();
                root->display();
                root->end_display();
            }
            // With the argument set, every frame also runs a full garbage pass: the worst frame.
            if (state.range(0)) owner->clear_garbage();
            ++frame;
        }
        state.counters["heap"] = owner->get_heap_size();
        state.counters["vertices/frame"] =
            benchmark::Counter(static_cast<double>(handler.vertices) / static_cast<double>(frame));
        roots.clear();
    }
    flash::set_render_handler(nullptr);
}
BENCHMARK(BM_EightRootsAdvanceAndDisplay)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
