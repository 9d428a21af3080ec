#pragma once
// Stand-ins for the button and text-field tests: a definition whose instances write what is done
// to them into a journal (display, frame restarts) and answer a fixed rectangle for bounds and hit
// tests, and a parent that keeps the action buffers queued on it.
#include <string>
#include <vector>

#include "flash/movie/character_def.h"
#include "flash/runtime/action_buffer.h"
#include "flash/runtime/character.h"

namespace movietest {

using journal = std::vector<std::string>;

class journal_character : public flash::character {
public:
    journal_character(flash::engine_instance* owner, flash::character* parent, int id, journal* log,
                      const flash::rect& box, const std::string& name)
        : flash::character(owner, parent, id), m_log(log), m_box(box), m_label(name) {}

    void display() override { note("display " + m_label); }
    void advance(float) override { note("advance " + m_label); }
    void goto_frame(int frame) override { note("goto " + m_label + " " + std::to_string(frame)); }
    void set_play_state(int state) override { note("play_state " + m_label + " " + std::to_string(state)); }
    void execute_frame_tags_first(int frame, bool state_only) override {
        note("first " + m_label + " " + std::to_string(frame) + (state_only ? " state" : " full"));
    }
    void get_bound(flash::rect* bound) override {
        *bound = m_box;
        get_matrix().transform(bound);
    }

private:
    void note(const std::string& line) {
        if (m_log) m_log->push_back(line);
    }
    journal* m_log;  // may be null: nothing is written
    flash::rect m_box;
    std::string m_label;
};

class journal_def : public flash::character_def {
public:
    journal_def(journal* log, const flash::rect& box, const std::string& name) : m_log(log), m_box(box), m_label(name) {}

    flash::character* create_character_instance(flash::engine_instance* player, flash::character* parent,
                                                int id) override {
        return new journal_character(player, parent, id, m_log, m_box, m_label);
    }
    flash::rect get_bound() const override { return m_box; }
    bool point_test_local(float x, float y) const override {
        return x >= m_box.m_x_min && x <= m_box.m_x_max && y >= m_box.m_y_min && y <= m_box.m_y_max;
    }

private:
    journal* m_log;
    flash::rect m_box;
    std::string m_label;
};

class action_parent : public flash::character {
public:
    explicit action_parent(flash::engine_instance* owner) : flash::character(owner) {}
    void add_action_buffer(flash::action_buffer* buffer) override { queued.push_back(buffer); }
    std::vector<flash::action_buffer*> queued;
};

inline flash::rect box(float x0, float x1, float y0, float y1) {
    flash::rect r;
    r.m_x_min = x0;
    r.m_x_max = x1;
    r.m_y_min = y0;
    r.m_y_max = y1;
    return r;
}

}  // namespace movietest
