// Movie control: frames, targets, properties, clones, dragging, URLs and sounds.
#include <cstring>

#include "flash/base/log.h"
#include "flash/runtime/engine_instance.h"
#include "flash/runtime/character.h"
#include "flash/runtime/interpreter.h"
#include "flash/runtime/interpreter_impl.h"

namespace flash {

character* interpreter::target_character() const { return as_character(m_env->get_target()); }

void interpreter::do_goto_frame2() {
    payload_reader in = payload();
    const int flags = in.u8();
    if (payload_failed(in)) return;
    const as_value frame(top(0));
    drop(1);
    character* ch = target_character();
    if (!ch || frame.is_undefined()) return;
    as_keep_alive keep(ch);
    bool moved = false;
    if (frame.is_string()) {
        const bx_string label(frame.to_bx_string());
        if (ch->goto_labeled_frame(label.c_str())) {
            moved = true;
        } else {
            double number = 0.0;
            if (string_to_number(&number, label.c_str())) {
                ch->goto_frame(double_to_int(number));
                moved = true;
            }
        }
    } else if (frame.get_type() == as_value::NUMBER && frame.is_number()) {
        ch->goto_frame(frame.to_int());
        moved = true;
    }
    if (moved) ch->set_play_state(flags == 0 ? character::STOP : character::PLAY);
}

void interpreter::do_set_target(const char* path) {
    if (!path || path[0] == 0) {
        m_env->set_target(m_start_target.get());
        return;
    }
    as_object* found = m_env->find_target(as_value(path));
    m_env->set_target(found && found->is_character() ? found : nullptr);
}

void interpreter::do_get_property() {
    need(2);
    as_object* target = m_env->find_target(top(1));
    const int number = top(0).to_int();
    as_value result;
    if (character* ch = as_character(target)) {
        as_keep_alive keep(ch);
        ch->get_property(number, &result);
    }
    top(1) = result;
    drop(1);
}

void interpreter::do_set_property() {
    need(3);
    as_object* target = m_env->find_target(top(2));
    const int number = top(1).to_int();
    const as_value value(top(0));
    if (character* ch = as_character(target)) {
        as_keep_alive keep(ch);
        ch->set_property(number, value);
    }
    drop(3);
}

void interpreter::do_clone_sprite() {
    need(3);
    as_object* source = nullptr;
    if (top(2).is_object()) {
        source = top(2).to_object();
    } else {
        source = m_env->get_variable(top(2).to_bx_string(), m_with_stack).to_object();
    }
    const bx_string name(top(1).to_bx_string());
    const int depth = top(0).to_int();
    if (character* ch = as_character(source)) {
        as_keep_alive keep(ch);
        ch->clone_display_object(name, depth);
    }
    drop(3);
}

void interpreter::do_remove_sprite() {
    need(1);
    character* ch = as_character(m_env->find_target(top(0)));
    if (ch) {
        as_keep_alive keep(ch);
        character* parent = ch->get_parent();
        if (parent && parent->cast_to_sprite()) parent->remove_display_object(ch);
    }
    drop(1);
}

void interpreter::do_start_drag() {
    need(3);
    const as_value target_value(top(0));
    as_object* target = m_env->find_target(target_value);
    drag_state state;
    state.character = target;
    state.lock_center = top(1).to_bool();
    state.constrained = top(2).to_bool();
    if (state.constrained) {
        need(7);
        state.x0 = top(6).to_float();
        state.y0 = top(5).to_float();
        state.x1 = top(4).to_float();
        state.y1 = top(3).to_float();
        drop(4);
    }
    drop(3);
    character* root_movie = as_character(player_root_movie());
    if (!target) {
        log_error("error: start_drag of invalid target '%s'.\n", target_value.to_string());
        return;
    }
    if (root_movie) root_movie->set_drag_state(state);
}

as_object* interpreter::player_root_movie() const {
    engine_instance* owner = player();
    return owner ? owner->get_root_movie() : nullptr;
}

void interpreter::do_end_drag() {
    if (character* root_movie = as_character(player_root_movie())) {
        root_movie->stop_drag();
    }
}

void interpreter::do_get_url(const char* url, const char* target) {
    // The prefix is matched with its exact letter case.
    if (std::strncmp(url, "FSCommand:", 10) == 0) {
        if (fscommand_callback callback = get_fscommand_callback()) {
            callback(player_root_movie(), url + 10, target);
        }
        return;
    }
    m_env->load_file(url, as_value(target));
}

void interpreter::do_stop_sounds() {
    if (engine_instance* owner = player()) owner->stop_all_sounds();
}

}  // namespace flash
