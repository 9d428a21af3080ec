#pragma once
// A displayed character for the runtime tests while the movie side is not built: it answers
// is(1) (and is(2) when made as a sprite), gives the root movie for "_root" and "_level0", and
// records the frame, display and drag calls made on it into an optional journal.
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "flash/runtime/engine_instance.h"
#include "flash/runtime/action_buffer.h"
#include "flash/runtime/as_environment.h"
#include "flash/runtime/character.h"

namespace testsupport {

class test_character : public flash::character {
public:
    explicit test_character(flash::engine_instance* owner, bool sprite = false,
                            std::vector<std::string>* journal = nullptr)
        : flash::character(owner), m_journal(journal), m_sprite(sprite) {}

    bool is(int class_id) const override {
        return (m_sprite && class_id == SPRITE) || flash::character::is(class_id);
    }

    // Like a displayed character, it answers the root movie for "_root" and "_level0".
    bool get_member(const flash::bx_stringi& name, flash::as_value* value) override {
        if (name == "_root" || name == "_level0") {
            flash::engine_instance* owner = get_player();
            if (!owner || !owner->get_root_movie()) return false;
            if (value) value->set_as_object(owner->get_root_movie());
            return true;
        }
        return flash::character::get_member(name, value);
    }

    void goto_frame(int frame) override {
        note("goto_frame " + std::to_string(frame));
        m_frame = frame;
    }
    int get_current_frame() const override { return m_frame; }
    void set_play_state(int state) override { note("play_state " + std::to_string(state)); }
    bool goto_labeled_frame(const char* label) override {
        note(std::string("goto_label ") + label);
        auto it = labels.find(label);
        if (it == labels.end()) return false;
        m_frame = it->second;
        return true;
    }
    void call_frame_actions(const flash::as_value& frame) override {
        note(std::string("call ") + frame.to_string());
        if (frame_actions) frame_actions->execute(call_env);
    }
    flash::character* clone_display_object(const flash::bx_string& name, int depth) override {
        note("clone " + std::string(name.c_str()) + " " + std::to_string(depth));
        return nullptr;
    }
    flash::character* get_parent() const override { return parent; }
    void remove_display_object(flash::character* child) override {
        note(child == this ? "remove self" : "remove child");
    }
    void set_drag_state(const flash::drag_state& s) override {
        char text[160];
        std::snprintf(text, sizeof text, "drag %s lock=%d constrained=%d %g %g %g %g",
                      s.character == this ? "self" : "other", s.lock_center ? 1 : 0,
                      s.constrained ? 1 : 0, static_cast<double>(s.x0), static_cast<double>(s.y0),
                      static_cast<double>(s.x1), static_cast<double>(s.y1));
        note(text);
    }
    void stop_drag() override { note("stop_drag"); }

    std::map<std::string, int> labels;
    flash::character* parent = nullptr;
    flash::action_buffer* frame_actions = nullptr;
    flash::as_environment* call_env = nullptr;

private:
    void note(const std::string& s) {
        if (m_journal) m_journal->push_back(s);
    }
    std::vector<std::string>* m_journal;
    int m_frame = 0;
    bool m_sprite;
};

}  // namespace testsupport
