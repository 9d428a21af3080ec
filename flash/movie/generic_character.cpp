#include "flash/movie/generic_character.h"

#include <new>

namespace flash {

character* character_def::create_character_instance(engine_instance* player, character* parent,
                                                    int id) {
    return new (std::nothrow) generic_character(player, this, parent, id);
}

generic_character::generic_character(engine_instance* owner, character_def* def,
                                     character* parent, int id)
    : character(owner, parent, id), m_def(def) {}

void generic_character::display() {
    if (!get_display_enabled()) return;
    if (m_def) m_def->display(this);
    do_display_callback();
}

character* generic_character::get_topmost_mouse_entity(float x, float y) {
    if (!m_def) return nullptr;
    point local;
    get_matrix().transform_by_inverse(&local, point(x, y));
    return m_def->point_test_local(local.m_x, local.m_y) ? this : nullptr;
}

void generic_character::get_bound(rect* bound) {
    if (!m_def) {
        character::get_bound(bound);
        return;
    }
    *bound = m_def->get_bound();
    get_matrix().transform(bound);
}

}  // namespace flash
