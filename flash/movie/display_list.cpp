#include "flash/movie/display_list.h"

#include <cstdint>

#include "flash/base/log.h"
#include "flash/movie/movie_root.h"
#include "flash/render/bitmap_info.h"
#include "flash/runtime/event_id.h"

namespace flash {

character* display_list::get_character(int index) const {
    if (index < 0 || index >= m_list.size()) return nullptr;
    return m_list[index].get_ptr();
}

int display_list::find_display_index(int depth) const {
    int low = 0;
    int high = m_list.size();
    while (low < high) {
        const int mid = low + (high - low) / 2;
        if (m_list[mid]->get_depth() < depth) low = mid + 1;
        else high = mid;
    }
    return low;
}

void display_list::insert_at(int index, character* ch) {
    const int old_size = m_list.size();
    m_list.push_back(smart_ptr<character>(ch));
    if (m_list.size() != old_size + 1) return;  // refused: already logged by the array
    for (int i = old_size; i > index; --i) std::swap(m_list[i], m_list[i - 1]);
    // Children are found by name before a clip's own members (a removal hides none).
    member_lookup_changed();
}

void display_list::add_display_object(character* ch, int depth, bool replace_if_depth_is_occupied,
                                      const cxform& cx, const matrix& m, float ratio,
                                      uint16_t clip_depth) {
    if (!ch) return;
    smart_ptr<character> hold(ch);  // removal events may drop the last other reference
    int index = find_display_index(depth);
    if (replace_if_depth_is_occupied && index < m_list.size() &&
        m_list[index]->get_depth() == depth) {
        remove_display_object_at(index);
        index = find_display_index(depth);
    }
    ch->set_depth(depth);
    ch->set_cxform(cx);
    ch->set_matrix(m);
    ch->set_ratio(ratio);
    ch->set_clip_depth(clip_depth);
    insert_at(index, ch);
    ch->execute_frame_tags_first(0, false);
    // Buttons with key conditions hear key presses from their root.
    if (ch->wants_key_events()) {
        if (root* r = ch->get_root()) r->get_keypress_listeners().add(ch);
    }
}

void display_list::move_display_object(int depth, bool use_cxform, const cxform& cx,
                                       bool use_matrix, const matrix& m, float ratio,
                                       uint16_t /*clip_depth*/) {
    if (m_list.size() == 0) {
        log_error("error: move_display_object() -- no objects on display list\n");
        return;
    }
    const int index = find_display_index(depth);
    if (index >= m_list.size() || m_list[index]->get_depth() != depth) {
        log_error("error: move_display_object() -- no object at depth %d\n", depth);
        return;
    }
    character* ch = m_list[index].get_ptr();
    if (!ch->get_accept_anim_moves()) return;
    if (use_cxform) ch->set_cxform(cx);
    if (use_matrix) ch->set_matrix(m);
    ch->set_ratio(ratio);
}

void display_list::replace_display_object(character* ch, int depth, bool use_cxform,
                                          const cxform& cx, bool use_matrix, const matrix& m,
                                          float ratio, uint16_t clip_depth) {
    const int index = find_display_index(depth);
    if (index >= m_list.size()) {
        add_display_object(ch, depth, true, cx, m, ratio, clip_depth);
        return;
    }
    character* old = m_list[index].get_ptr();
    const cxform use_cx = use_cxform ? cx : old->get_cxform();
    const matrix use_m = use_matrix ? m : old->get_matrix();
    add_display_object(ch, depth, true, use_cx, use_m, ratio, clip_depth);
}

void display_list::remove_display_object(int depth, int id) {
    int index = find_display_index(depth);
    if (index >= m_list.size() || m_list[index]->get_depth() != depth) {
        log_error("remove_display_object: no character at depth %d with id %d\n", depth, id);
        return;
    }
    if (id != -1) {
        while (index < m_list.size() && m_list[index]->get_depth() == depth &&
               m_list[index]->get_id() != id)
            ++index;
        if (index >= m_list.size() || m_list[index]->get_depth() != depth) {
            log_error("remove_display_object: no character at depth %d with id %d\n", depth, id);
            return;
        }
    }
    remove_display_object_at(index);
}

void display_list::remove_character(character* ch) {
    for (int i = 0; i < m_list.size(); ++i) {
        if (m_list[i].get_ptr() == ch) {
            remove_display_object_at(i);
            return;
        }
    }
}

void display_list::remove_display_object_at(int index) {
    if (index < 0 || index >= m_list.size()) return;
    smart_ptr<character> ch = m_list[index];
    ch->on_remove();
    ch->on_event(event_id(event_id::KILLFOCUS));
    ch->on_event(event_id(event_id::UNLOAD));
    ch->set_depth(0);
    if (root* r = ch->get_root()) r->get_keypress_listeners().remove(ch.get_ptr());
    // The handlers may have changed the list: drop the entry wherever it is now.
    if (index < m_list.size() && m_list[index].get_ptr() == ch.get_ptr()) {
        m_list.remove(index);
        return;
    }
    for (int i = 0; i < m_list.size(); ++i) {
        if (m_list[i].get_ptr() == ch.get_ptr()) {
            m_list.remove(i);
            return;
        }
    }
}

void display_list::clear() {
    while (m_list.size() > 0) remove_display_object_at(0);
}

void display_list::clear_unaffected(const array<int>& kept_depths) {
    for (int i = 0; i < m_list.size();) {
        const int depth = m_list[i]->get_depth();
        bool kept = false;
        for (int d : kept_depths) kept = kept || d == depth;
        if (kept) {
            ++i;
            continue;
        }
        const int before = m_list.size();
        remove_display_object_at(i);
        if (m_list.size() >= before) ++i;  // not removed: never loop on it
    }
}

void display_list::set_character_depth(character* ch, int depth) {
    for (int i = 0; i < m_list.size(); ++i) {
        if (m_list[i].get_ptr() != ch) continue;
        smart_ptr<character> hold = m_list[i];
        m_list.remove(i);
        ch->set_depth(depth);
        insert_at(find_display_index(depth), ch);
        return;
    }
}

void display_list::swap_characters(character* a, character* b) {
    int index_a = -1;
    int index_b = -1;
    for (int i = 0; i < m_list.size(); ++i) {
        if (m_list[i].get_ptr() == a) index_a = i;
        if (m_list[i].get_ptr() == b) index_b = i;
    }
    if (index_a < 0 || index_b < 0) return;
    std::swap(m_list[index_a], m_list[index_b]);
}

int display_list::get_next_highest_depth() const {
    int64_t next = lowest_dynamic_depth;
    for (const smart_ptr<character>& ch : m_list) {
        if (ch->get_depth() >= next) next = static_cast<int64_t>(ch->get_depth()) + 1;
    }
    // A child at the largest depth leaves none above it: the answer stays at that depth.
    if (next > INT32_MAX) {
        log_error("error: get_next_highest_depth(): a child is at the largest depth %d\n", INT32_MAX);
        return INT32_MAX;
    }
    return static_cast<int>(next);
}

character* display_list::get_character_by_name(const bx_string& name, bool recursive,
                                               array<character*>* found) const {
    for (const smart_ptr<character>& ch : m_list) {
        if (name.length() == 0 && found) {
            found->push_back(ch.get_ptr());
        } else if (ch->get_name() == name) {
            if (!found) return ch.get_ptr();
            found->push_back(ch.get_ptr());
        }
        if (recursive) {
            if (display_list* children = ch->get_display_list()) {
                character* hit = children->get_character_by_name(name, true, found);
                if (hit && !found) return hit;
            }
        }
    }
    return nullptr;
}

character* display_list::get_character_by_name_i(const bx_stringi& name) const {
    for (const smart_ptr<character>& ch : m_list) {
        if (bx_equal_ignoring_case(ch->get_name().c_str(), name.c_str())) return ch.get_ptr();
    }
    return nullptr;
}

void display_list::advance(float dt) {
    array<smart_ptr<character>> pass(m_list);
    for (smart_ptr<character>& ch : pass) ch->advance(dt);
}

void display_list::display() {
    render_handler* handler = get_render_handler();
    bool masking = false;
    int mask_clip_depth = 0;
    for (int i = 0; i < m_list.size(); ++i) {
        character* ch = m_list[i].get_ptr();
        if (!ch->get_visible()) continue;  // masks included
        if (masking && ch->get_depth() > mask_clip_depth) {
            if (handler) handler->disable_mask();
            masking = false;
        }
        const int clip_depth = ch->get_clip_depth();
        if (clip_depth != 0 && handler) handler->begin_submit_mask();
        ch->display();
        if (clip_depth != 0) {
            if (handler) handler->end_submit_mask();
            mask_clip_depth = clip_depth;
            masking = true;
        }
    }
    if (masking && handler) handler->disable_mask();
}

void display_list::clear_refs(hash<as_object*, bool>* visited) {
    array<smart_ptr<character>> pass(m_list);
    for (smart_ptr<character>& ch : pass) ch->clear_refs(visited, ch.get_ptr());
}

void display_list::dump() const {
    for (int i = 0; i < m_list.size(); ++i) {
        log_msg("  %d: depth %d, id %d, name '%s'\n", i, m_list[i]->get_depth(),
                m_list[i]->get_id(), m_list[i]->get_name().c_str());
    }
}

}  // namespace flash
