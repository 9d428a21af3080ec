#include "tools/demo/movie_builder.h"

#include "tools/swfwriter/movie_writer.h"
#include "tools/swfwriter/shape.h"

namespace demo {

namespace {

constexpr int kTwips = 20;
constexpr int kSwfVersion = 8;
constexpr uint8_t kActionStop = 0x07;

swf::Rgba rgba(uint32_t argb) {
    return {static_cast<uint8_t>(argb >> 16), static_cast<uint8_t>(argb >> 8), static_cast<uint8_t>(argb),
            static_cast<uint8_t>(argb >> 24)};
}

swf::Bytes stopAction() { return {kActionStop, 0}; }

// A defined clip: its character and where and when it stands.
struct Defined {
    uint16_t id = 0;
    const Clip* clip = nullptr;
};

uint16_t boxShape(swf::TagWriter& w, int x, int y, int width, int height, uint32_t color) {
    return w.define_shape(swf::filled_rect(x * kTwips, y * kTwips, width * kTwips, height * kTwips, rgba(color)));
}

uint16_t define(swf::MovieWriter& w, const Clip& c);

// Frame by frame: the box at depth 1, the children from depth 2 on the frames they stand on,
// labels and stop actions. `frames` of the timeline; `box` the shape (0 for none).
void timeline(swf::TagWriter& t, int frames, uint16_t box, const std::vector<Defined>& children,
              const std::vector<Label>& labels, bool stopAtStart, bool stopAtEnd) {
    if (box) t.place_object2(swf::PlaceObject::place(1, box));
    const auto depthOf = [&](size_t i) {
        return static_cast<uint16_t>(children[i].clip->depth ? children[i].clip->depth : 2 + i);
    };
    const auto lastOf = [&](const Clip& c) { return c.lastFrame < 0 ? frames - 1 : c.lastFrame; };
    // Whether another clip takes the depth on frame f.
    const auto takenOn = [&](uint16_t depth, int f) {
        for (size_t i = 0; i < children.size(); ++i)
            if (depthOf(i) == depth && children[i].clip->firstFrame == f) return true;
        return false;
    };
    for (int f = 0; f < frames; ++f) {
        for (size_t i = 0; i < children.size(); ++i) {
            const Clip& c = *children[i].clip;
            const uint16_t depth = depthOf(i);
            if (lastOf(c) + 1 == f && !takenOn(depth, f)) t.remove_object2(depth);
        }
        for (size_t i = 0; i < children.size(); ++i) {
            const Clip& c = *children[i].clip;
            const uint16_t depth = depthOf(i);
            if (c.firstFrame != f) continue;
            // A clip that follows another at its depth replaces it.
            bool follows = false;
            for (size_t k = 0; k < children.size(); ++k)
                follows = follows || (k != i && depthOf(k) == depth && lastOf(*children[k].clip) + 1 == f);
            swf::PlaceObject p = follows ? swf::PlaceObject::replace(depth, children[i].id)
                                         : swf::PlaceObject::place(depth, children[i].id);
            if (!c.name.empty()) p.name = c.name;
            p.matrix = swf::Matrix::translation(c.x * kTwips, c.y * kTwips);
            t.place_object2(p);
        }
        for (const Label& l : labels)
            if (l.frame == f) t.frame_label(l.name);
        if ((stopAtStart && f == 0) || (stopAtEnd && f == frames - 1)) t.do_action(stopAction());
        t.show_frame();
    }
}

std::vector<Defined> defineAll(swf::MovieWriter& w, const std::vector<Clip>& clips) {
    std::vector<Defined> out;
    for (const Clip& c : clips) out.push_back({define(w, c), &c});
    return out;
}

uint16_t define(swf::MovieWriter& w, const Clip& c) {
    switch (c.kind) {
        case Kind::Button: {
            swf::Button2 b;
            swf::ButtonRecord r;
            r.character_id = boxShape(w, c.ox, c.oy, c.w, c.h, c.color);
            b.records.push_back(r);
            return w.define_button2(b);
        }
        case Kind::Text: {
            swf::EditText t;
            t.bounds = {c.ox * kTwips, (c.ox + c.w) * kTwips, c.oy * kTwips, (c.oy + c.h) * kTwips};
            t.color = rgba(c.color);
            // Read-only fields take no mouse events of their own, so they never cover a clip the
            // game wired; the game's callback makes a wired one take them.
            t.read_only = !c.input;
            if (!c.text.empty()) t.initial_text = c.text;
            return w.define_edit_text(t);
        }
        case Kind::Sprite: break;
    }
    const uint16_t box = c.w > 0 && c.h > 0 ? boxShape(w, c.ox, c.oy, c.w, c.h, c.color) : 0;
    const std::vector<Defined> children = defineAll(w, c.children);
    swf::SpriteWriter s = w.sprite();
    timeline(s, c.frames, box, children, c.labels, c.stopAtStart, c.stopAtEnd);
    s.end();
    return w.define_sprite(s);
}

}  // namespace

swf::Bytes buildMovie(const Movie& movie) {
    swf::MovieWriter w(kSwfVersion);
    w.frame_rect({0, movie.width * kTwips, 0, movie.height * kTwips});
    w.frame_rate(movie.fps);
    if (movie.background) w.set_background_color(rgba(movie.background));
    const uint16_t box = movie.background ? boxShape(w, 0, 0, movie.width, movie.height, movie.background) : 0;
    const std::vector<Defined> clips = defineAll(w, movie.clips);
    timeline(w, movie.frames, box, clips, movie.labels, false, movie.stopAtEnd);
    w.end();
    return w.finish_fws();
}

}  // namespace demo
