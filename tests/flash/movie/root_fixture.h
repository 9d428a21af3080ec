#pragma once
// Roots over small writer movies, and a probe character that stands in for a movie or a clip: it
// journals its events and advances, answers the mouse inside its hit rectangle (in the parent's
// twips) and shows children on a display list of its own.
#include <memory>
#include <string>
#include <vector>

#include "flash/movie/display_list.h"
#include "flash/movie/movie_root.h"
#include "flash/runtime/event_id.h"
#include "movie_fixture.h"
#include "tools/swfwriter/movie_writer.h"

namespace movietest {

class probe : public flash::character {
public:
    probe(flash::player* owner, const char* name, std::vector<std::string>* journal)
        : flash::character(owner), m_journal(journal) {
        set_name(name);
    }

    bool on_event(const flash::event_id& event) override {
        note(std::to_string(event.m_id) + (event.m_key_code ? ":" + std::to_string(event.m_key_code) : ""));
        if (on_event_hook) on_event_hook(event.m_id);
        return event.m_id == flash::event_id::SETFOCUS ? accepts_focus : false;
    }
    void advance(float dt) override {
        advances.push_back(dt);
        if (on_advance_hook) on_advance_hook();
    }
    void display() override { note("display"); }

    // The topmost visible child that answers, else this one when the point is in its rectangle.
    flash::character* get_topmost_mouse_entity(float x, float y) override {
        if (!get_visible()) return nullptr;
        for (int i = m_children.size() - 1; i >= 0; --i) {
            flash::character* child = m_children.get_character(i);
            if (flash::character* hit = child->get_topmost_mouse_entity(x, y)) return hit;
        }
        if (!has_hit_rect) return nullptr;
        return x >= hit_rect.m_x_min && x <= hit_rect.m_x_max && y >= hit_rect.m_y_min && y <= hit_rect.m_y_max
                   ? this
                   : nullptr;
    }
    bool get_track_as_menu() const override { return track_as_menu; }
    flash::display_list* get_display_list() override { return &m_children; }

    void add_child(probe* child, int depth) {
        child->set_parent(this);
        m_children.add_display_object(child, depth, false, flash::cxform(), flash::matrix(), 0.0f, 0);
    }
    // Hit rectangle in pixels.
    void set_hit_pixels(float x0, float y0, float x1, float y1) {
        has_hit_rect = true;
        hit_rect = flash::rect(x0 * 20, x1 * 20, y0 * 20, y1 * 20);
    }

    std::vector<float> advances;
    bool accepts_focus = true;
    bool track_as_menu = false;
    bool has_hit_rect = false;
    flash::rect hit_rect;
    void (*on_event_hook)(int id) = nullptr;
    void (*on_advance_hook)() = nullptr;

private:
    void note(const std::string& what) {
        if (m_journal) m_journal->push_back(std::string(get_name().c_str()) + " " + what);
    }

    std::vector<std::string>* m_journal;
    flash::display_list m_children;
};

// A movie of the given rate and frame size (pixels), frames without tags.
inline bytes plain_movie(double fps, int width = 550, int height = 400, int frames = 1) {
    swf::MovieWriter m(8);
    m.frame_rect({0, width * 20, 0, height * 20});
    m.frame_rate(fps);
    for (int i = 0; i < frames; ++i) m.show_frame();
    m.end();
    return m.finish_fws();
}

// A root over a fresh plain movie whose top-level movie is a probe.
struct root_fixture : movie_fixture {
    explicit root_fixture(double fps = 8.0, int width = 550, int height = 400) {
        flash::movie_def_impl* def = load("root.swf", plain_movie(fps, width, height));
        movie = new probe(owner.get_ptr(), "movie", &journal);
        r = new flash::root(owner.get_ptr(), def);
        r->set_root_movie(movie.get_ptr());
    }
    ~root_fixture() {
        r = nullptr;
        movie = nullptr;
    }

    std::vector<std::string> journal;
    flash::smart_ptr<probe> movie;
    flash::smart_ptr<flash::root> r;
};

}  // namespace movietest
