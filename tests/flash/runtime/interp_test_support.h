#pragma once
// Runs assembled action bytes against a player whose root movie is a recording test character,
// and collects the trace output and the error log.
#include <map>
#include <string>
#include <vector>

#include "action_assembler.h"
#include "flash/base/log.h"
#include "flash/base/smart_ptr.h"
#include "flash/movie/player.h"
#include "flash/runtime/action_buffer.h"
#include "flash/runtime/as_environment.h"
#include "flash/runtime/character.h"
#include "flash/runtime/interpreter.h"

namespace interptest {

// A displayed object that records the calls the interpreter makes on it.
class recording_character : public flash::character {
public:
    recording_character(flash::player* owner, std::vector<std::string>* journal, bool sprite)
        : flash::character(owner), m_journal(journal), m_sprite(sprite) {}

    bool is(int class_id) const override {
        return (m_sprite && class_id == SPRITE) || flash::character::is(class_id);
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
        if (frame_actions) frame_actions->execute(get_environment_for_calls());
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

    flash::as_environment* get_environment_for_calls() { return call_env; }

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

// One player with a root movie (a sprite) named "root" in the global sense, and a child sprite
// "clip" under it, both recording into the journal.
class machine {
public:
    machine() : m_player(new flash::player), env(m_player.get_ptr()) {
        m_previous = flash::get_log_callback();
        messages().clear();
        errors().clear();
        flash::register_log_callback(&machine::collect);
        root = new recording_character(m_player.get_ptr(), &journal, true);
        m_root_ref = root;
        clip = new recording_character(m_player.get_ptr(), &journal, true);
        clip->parent = root;
        root->get_members().set("clip", flash::as_value(clip));
        m_player->set_root_movie(root);
        env.set_target(root);
        root->call_env = &env;
        clip->call_env = &env;
    }
    ~machine() {
        env.set_stack_size(0);
        env.set_target(nullptr);
        flash::register_log_callback(m_previous);
    }

    // Runs the bytes as frame actions; returns the trace output.
    std::string run(testasm::assembler a) { return run(a.take()); }
    std::string run(const testasm::bytes& code) {
        messages().clear();
        buffer = flash::action_buffer();
        buffer.read(code.data(), static_cast<int>(code.size()));
        buffer.execute(&env);
        return messages();
    }

    flash::player* get_player() { return m_player.get_ptr(); }
    static std::string& messages() {
        static std::string text;
        return text;
    }
    static std::string& errors() {
        static std::string text;
        return text;
    }
    bool error_has(const std::string& part) const {
        return errors().find(part) != std::string::npos;
    }

    std::vector<std::string> journal;
    recording_character* root;
    recording_character* clip;
    flash::action_buffer buffer;

private:
    static void collect(bool is_error, const char* text) {
        (is_error ? errors() : messages()) += text;
    }
    flash::smart_ptr<flash::player> m_player;
    flash::smart_ptr<flash::as_object> m_root_ref;

public:
    flash::as_environment env;

private:
    flash::log_callback m_previous = nullptr;
};

}  // namespace interptest
