// The clip as a script object and as a container: its members and events, the display-list
// operations of frame tags and scripts, drawing, bounds and the mouse.
#include <cfloat>

#include "flash/base/log.h"
#include "flash/movie/frame_tags.h"
#include "flash/movie/host_callbacks.h"
#include "flash/movie/sound_handler.h"
#include "flash/movie/sprite_instance.h"
#include "flash/movie/button.h"
#include "flash/render/bitmap_info.h"
#include "flash/runtime/as_function.h"
#include "flash/runtime/engine_instance.h"
#include "flash/runtime/event_id.h"
#include "flash/runtime/method_call.h"
#include "flash/runtime/name_tables.h"

namespace flash {

namespace {

constexpr float first_display_advance = 1.0f;
constexpr int depth_key_shift = 16;
constexpr uint32_t character_key_mask = 0xFFFF;
const char* const movieclip_class_name = "MovieClip";
const char* const prototype_member = "prototype";


}  // namespace

int sprite_instance::get_stream_sound() const {
    // Only a whole movie streams; a sprite definition has no stream of its own.
    if (!m_def || !m_def->is(character_def::MOVIE_DEF_IMPL)) return -1;
    return m_def->get_stream_sound_id();
}

void sprite_instance::restart_stream_sound(int frame) {
    sound_handler* handler = get_streaming_sound_handler();
    const int stream = get_stream_sound();
    if (!handler || stream < 0 || m_def->get_stream_start_frame() != frame) return;
    handler->stop_sound(stream);
    handler->play_sound(nullptr, stream, 0);
}

void sprite_instance::pause_stream_sound(bool was_playing) {
    sound_handler* handler = get_streaming_sound_handler();
    const int stream = get_stream_sound();
    if (handler && stream >= 0) handler->pause_sound(stream, was_playing);
}

void sprite_instance::bind_registered_class() {
    if (m_class_bound) return;
    m_class_bound = true;
    apply_registered_class(this, m_def.get_ptr());
}

void sprite_instance::inherit_movieclip_prototype() {
    engine_instance* owner = get_player();
    as_object* global = owner ? owner->get_global() : nullptr;
    as_value ctor;
    if (!global || !global->get_members().get(movieclip_class_name, &ctor)) return;
    as_object* movieclip = ctor.to_object();
    as_value prototype;
    if (!movieclip || !movieclip->get_members().get(prototype_member, &prototype)) return;
    if (as_object* proto = prototype.to_object()) set_proto(proto);
}

bool sprite_instance::get_member(const bx_stringi& name, as_value* value) {
    as_value scratch;
    as_value* out = value ? value : &scratch;
    if (engine_instance::get_builtin(BUILTIN_SPRITE_METHOD, name, out)) return true;
    switch (::flash::get_standard_member(name)) {
    case M_CURRENTFRAME:
        if (m_current_frame < 0) out->set_undefined();
        else out->set_int(m_current_frame + 1);
        return true;
    case M_TOTALFRAMES: out->set_int(get_frame_count()); return true;
    case M_FRAMESLOADED: {
        const int loaded = m_def ? m_def->get_loading_frame() : 0;
        out->set_int(loaded < get_frame_count() ? loaded : get_frame_count());
        return true;
    }
    case M_ENABLED: out->set_bool(m_enabled); return true;
    default: break;
    }
    // Member names ignore case, child names included.
    if (character* child = m_display_list.get_character_by_name_i(name)) {
        out->set_as_object(child);
        return true;
    }
    return character::get_member(name, value);
}

bool sprite_instance::reads_own_member(const bx_stringi& name) {
    return !engine_instance::get_builtin(BUILTIN_SPRITE_METHOD, name, nullptr) &&
           !m_display_list.get_character_by_name_i(name) && character::reads_own_member(name);
}

bool sprite_instance::set_member(const bx_stringi& name, const as_value& value) {
    if (::flash::get_standard_member(name) == M_ENABLED) {
        m_enabled = value.to_bool();
        return true;
    }
    return character::set_member(name, value);
}

bool sprite_instance::on_event(const event_id& event) {
    smart_ptr<sprite_instance> hold(this);
    const int slot = sprite_sound_slot(event.m_id);
    if (slot >= 0) {
        sound_callback sound = get_sound_callback();
        if (sound && m_sound_names[slot].length() > 0) sound(this, m_sound_names[slot].c_str());
        if (fx_callback fx = get_fx_callback()) fx(this, m_effect_names[slot].c_str());
    }
    // The host hears of presses and of every mouse transition over the clip.
    notify_event_callback(this, sprite_host_event(event.m_id));
    const bx_string& name = get_function_name(event);
    if (name.length() == 0) return false;
    as_value method;
    if (!get_member(name, &method)) return false;
    const int nargs = event.m_args ? event.m_args->size() : 0;
    for (int i = nargs - 1; i >= 0; --i) m_env.push((*event.m_args)[i]);
    ::flash::call_method(method, &m_env, as_value(this), nargs, m_env.get_top_index());
    m_env.drop(nargs);
    return true;
}

void sprite_instance::enumerate(as_environment* env) {
    if (!env) return;
    character::enumerate(env);
    for (int i = 0; i < m_display_list.size(); ++i) {
        const bx_string& child_name = m_display_list.get_character(i)->get_name();
        if (child_name.length() > 0) env->push(as_value(child_name));
    }
}

void sprite_instance::clear_refs(hash<as_object*, bool>* visited, as_object* this_ptr) {
    if (!visited || visited->find_index(this) >= 0) return;
    character::clear_refs(visited, this_ptr);
    m_env.clear_refs(visited, this_ptr);
    m_display_list.clear_refs(visited);
}

void sprite_instance::mark_references() {
    character::mark_references();
    m_env.mark_values();
    for (int i = 0; i < m_display_list.size(); ++i) m_display_list.get_character(i)->this_alive();
    if (m_frame_scripts) {
        for (auto it = m_frame_scripts->begin(); it != m_frame_scripts->end(); ++it) {
            it.get_value()->this_alive();
        }
    }
    if (m_pending_frame_script) m_pending_frame_script->this_alive();
}

void sprite_instance::dump() {
    log_msg("%s*** movieclip 0x%p ***\n", "", static_cast<void*>(this));
    character::dump();
    m_display_list.dump();
}

character* sprite_instance::get_character_by_name(const bx_string& name, bool recursive,
                                                  array<character*>* found) const {
    return m_display_list.get_character_by_name(name, recursive, found);
}

bool sprite_instance::may_nest(const character_def* def) const {
    if (!def || !def->is(character_def::MOVIE_DEFINITION_SUB)) return true;
    int nesting = 0;
    for (const character* ch = this; ch; ch = ch->get_parent()) {
        const sprite_instance* clip = cast_to<sprite_instance>(ch);
        if (clip && clip->m_def.get_ptr() == def) {
            log_error("error: sprite %d placed inside itself: nesting stopped\n", def->get_id());
            return false;
        }
        if (++nesting >= max_sprite_nesting) {
            log_error("error: sprites nested more than %d deep: character %d not placed\n",
                      max_sprite_nesting, def->get_id());
            return false;
        }
    }
    return true;
}

character* sprite_instance::instantiate(uint16_t character_id, const char* who) {
    character_def* def = m_def ? m_def->get_character_def(character_id) : nullptr;
    if (!def) {
        log_error("sprite::%s(): unknown cid = %d\n", who, character_id);
        return nullptr;
    }
    if (!may_nest(def) || !button_character_instance::may_place_below(this)) return nullptr;
    return def->create_character_instance(get_player(), this, character_id);
}

character* sprite_instance::add_display_object(uint16_t character_id, const bx_string& name,
                                               const array<swf_event*>& event_handlers, int depth,
                                               bool replace_if_depth_is_occupied,
                                               const cxform& cx, const matrix& m, float ratio,
                                               uint16_t clip_depth) {
    const int index = m_display_list.find_display_index(depth);
    if (character* existing = m_display_list.get_character(index)) {
        if (existing->get_depth() == depth && existing->get_id() == character_id &&
            existing->get_name() == name) {
            // The same object again: it keeps its script state and only moves.
            move_display_object(depth, true, cx, true, m, ratio, clip_depth);
            return nullptr;
        }
    }
    smart_ptr<character> ch(instantiate(character_id, "add_display_object"));
    if (!ch) return nullptr;
    ch->set_name(name);
    for (const swf_event* handler : event_handlers) {
        ch->set_member(get_function_name(handler->m_event), handler->m_method);
    }
    m_display_list.add_display_object(ch.get_ptr(), depth, replace_if_depth_is_occupied, cx, m,
                                      ratio, clip_depth);
    // A clip takes its registered class on its first advance; other characters when placed.
    if (!cast_to<sprite_instance>(ch.get_ptr())) {
        apply_registered_class(ch.get_ptr(), m_def->get_character_def(character_id));
    }
    ch->on_event(event_id(event_id::CONSTRUCT));
    return ch.get_ptr();
}

void sprite_instance::move_display_object(int depth, bool use_cxform, const cxform& cx,
                                          bool use_matrix, const matrix& m, float ratio,
                                          uint16_t clip_depth) {
    m_display_list.move_display_object(depth, use_cxform, cx, use_matrix, m, ratio, clip_depth);
}

void sprite_instance::replace_display_object(uint16_t character_id, const bx_string& name,
                                             int depth, bool use_cxform, const cxform& cx,
                                             bool use_matrix, const matrix& m, float ratio,
                                             uint16_t clip_depth) {
    smart_ptr<character> ch(instantiate(character_id, "replace_display_object"));
    if (!ch) return;
    replace_display_object(ch.get_ptr(), name, depth, use_cxform, cx, use_matrix, m, ratio,
                           clip_depth);
}

void sprite_instance::replace_display_object(character* ch, const bx_string& name, int depth,
                                             bool use_cxform, const cxform& cx, bool use_matrix,
                                             const matrix& m, float ratio, uint16_t clip_depth) {
    if (!ch) return;
    if (name.length() > 0) ch->set_name(name);
    m_display_list.replace_display_object(ch, depth, use_cxform, cx, use_matrix, m, ratio,
                                          clip_depth);
}

void sprite_instance::remove_display_object(int depth, int id) {
    m_display_list.remove_display_object(depth, id);
}

void sprite_instance::remove_display_object(character* child) {
    m_display_list.remove_character(child);
}

int sprite_instance::get_id_at_depth(int depth) const {
    character* ch = m_display_list.get_character(m_display_list.find_display_index(depth));
    return ch && ch->get_depth() == depth ? ch->get_id() : -1;
}

execute_tag* sprite_instance::find_previous_place_tag(int frame, int depth, int id) const {
    if (!m_def) return nullptr;
    // Ids are 16 bits in the key; -1 stands for "any character" as the place tags write it.
    const uint32_t key = (static_cast<uint32_t>(depth) << depth_key_shift) |
                         (static_cast<uint32_t>(id) & character_key_mask);
    for (int f = frame - 1; f >= 0; --f) {
        const array<execute_tag*>* tags = m_def->get_playlist(f);
        if (!tags) continue;
        for (int i = tags->size() - 1; i >= 0; --i) {
            if ((*tags)[i]->get_depth_id_key() == key) return (*tags)[i];
        }
    }
    return nullptr;
}

character* sprite_instance::clone_display_object(const bx_string& name, int depth) {
    sprite_instance* parent = cast_to<sprite_instance>(get_parent());
    if (!parent) {
        log_error("can't clone _root\n");
        return nullptr;
    }
    smart_ptr<sprite_instance> clone(
        new sprite_instance(get_player(), m_def.get_ptr(), parent->get_root(), parent, get_id()));
    clone->set_name(name);
    if (m_canvas) {
        // The clone shows a drawing of its own with the same outline.
        smart_ptr<canvas_def> drawing(new canvas_def);
        drawing->get_canvas()->copy_from(*m_canvas->get_canvas());
        clone->set_canvas(drawing.get_ptr());
    }
    parent->m_display_list.add_display_object(clone.get_ptr(), depth, true, get_cxform(),
                                              get_matrix(), get_ratio(), get_clip_depth());
    return clone.get_ptr();
}

void sprite_instance::display() {
    // A clip met again while it draws is masking itself, directly or through other masks.
    if (!get_visible() || m_displaying) return;
    smart_ptr<sprite_instance> hold(this);
    m_displaying = true;
    if (!m_first_advance_done) advance(first_display_advance);
    sprite_instance* mask = m_mask.get_ptr();
    render_handler* handler = get_render_handler();
    if (mask && handler) {
        handler->begin_submit_mask();
        mask->set_visible(true);
        mask->display();
        mask->set_visible(false);
        handler->end_submit_mask();
        m_display_list.display();
        handler->disable_mask();
    } else {
        m_display_list.display();
    }
    m_displaying = false;
    do_display_callback();
}

void sprite_instance::get_bound(rect* bound) {
    if (m_display_list.size() == 0) {
        character::get_bound(bound);
        return;
    }
    bound->m_x_min = bound->m_y_min = FLT_MAX;
    bound->m_x_max = bound->m_y_max = -FLT_MAX;
    const matrix& m = get_matrix();
    for (int i = 0; i < m_display_list.size(); ++i) {
        rect child;
        m_display_list.get_character(i)->get_bound(&child);
        m.transform(&child);
        bound->expand_to_rect(child);
    }
}

bool sprite_instance::get_enabled() const {
    if (!m_enabled) return false;
    const sprite_instance* parent = cast_to<sprite_instance>(get_parent());
    return parent ? parent->get_enabled() : true;
}

bool sprite_instance::can_handle_mouse_event() {
    if (!get_enabled()) return false;
    if (m_event_callback) return true;
    if (m_named_clips && get_name().length() > 0) return true;
    for (int i = 0; i < BUTTON_LIKE_NAME_COUNT; ++i) {
        as_value handler;
        if (get_member(get_button_like_name(i), &handler)) return true;
    }
    return false;
}

bool sprite_instance::wants_key_events() {
    for (int id : {event_id::KEY_DOWN, event_id::KEY_UP, event_id::KEY_PRESS}) {
        as_value handler;
        if (get_member(get_function_name(id), &handler)) return true;
    }
    return false;
}

character* sprite_instance::get_topmost_mouse_entity(float x, float y) {
    if (!get_visible()) return nullptr;
    point local;
    get_matrix().transform_by_inverse(&local, point(x, y));
    character* topmost_hit = nullptr;
    for (int i = m_display_list.size() - 1; i >= 0; --i) {
        smart_ptr<character> child(m_display_list.get_character(i));
        if (!child || !child->get_visible()) continue;
        character* hit = child->get_topmost_mouse_entity(local.m_x, local.m_y);
        if (!hit) continue;
        if (hit->can_handle_mouse_event()) return can_handle_mouse_event() ? this : hit;
        // A hit that takes no events is kept, and the search looks below it for one that does.
        if (!topmost_hit) topmost_hit = hit;
    }
    if (!topmost_hit) return nullptr;
    return can_handle_mouse_event() ? this : topmost_hit;
}

}  // namespace flash
