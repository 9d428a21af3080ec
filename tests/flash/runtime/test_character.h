#pragma once
// A stand-in for displayed characters while the movie side is not built: it answers is(1)
// (and is(2) when made as a sprite) and records the frame and property calls made on it.
#include <map>
#include <string>
#include <vector>

#include "flash/movie/player.h"
#include "flash/runtime/as_object.h"

namespace testsupport {

class test_character : public flash::as_object {
public:
    explicit test_character(flash::player* owner, bool sprite = false)
        : flash::as_object(owner), m_sprite(sprite) {}

    bool is(int class_id) const override {
        return class_id == OBJECT || class_id == CHARACTER || (m_sprite && class_id == SPRITE);
    }

    // Like a displayed character, it answers the root movie for "_root" and "_level0".
    bool get_member(const flash::bx_stringi& name, flash::as_value* value) override {
        if (name == "_root" || name == "_level0") {
            flash::player* owner = get_player();
            if (!owner || !owner->get_root_movie()) return false;
            if (value) value->set_as_object(owner->get_root_movie());
            return true;
        }
        return flash::as_object::get_member(name, value);
    }

    void goto_frame(int frame) {
        calls.push_back("goto_frame " + std::to_string(frame));
        current_frame = frame;
    }
    int get_current_frame() const { return current_frame; }
    void set_play_state(int state) {
        calls.push_back("set_play_state " + std::to_string(state));
        play_state = state;
    }
    bool goto_labeled_frame(const char* label) {
        calls.push_back(std::string("goto_labeled_frame ") + label);
        auto it = labels.find(label);
        if (it == labels.end()) return false;
        current_frame = it->second;
        return true;
    }
    void get_property(int n, flash::as_value* out) {
        calls.push_back("get_property " + std::to_string(n));
        auto it = properties.find(n);
        if (it != properties.end()) *out = flash::as_value(it->second);
    }
    void set_property(int n, const flash::as_value& value) {
        calls.push_back("set_property " + std::to_string(n) + " " + value.to_string());
        properties[n] = value.to_number();
    }

    std::vector<std::string> calls;
    std::map<std::string, int> labels;
    std::map<int, double> properties;
    int current_frame = 0;
    int play_state = 0;

private:
    bool m_sprite;
};

}  // namespace testsupport
