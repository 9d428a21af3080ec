#include "input/named_target.h"

#include <cmath>

#include "flash/movie/edit_text_character.h"
#include "flash/movie/sprite_instance.h"
#include "flash/runtime/character.h"
#include "flash/shape/geometry.h"

namespace inputscript {

namespace {
constexpr float kPixelsPerTwip = 0.05f;
constexpr float kDegreesPerRadian = 57.29577951f;
}  // namespace

Target targetOf(flash::character* ch) {
    flash::rect bounds;
    flash::edit_text_character* field = flash::cast_to<flash::edit_text_character>(ch);
    if (field && field->get_definition()) {
        // A text field's box is its definition's, in its own space.
        bounds = field->get_definition()->get_bound();
        ch->get_world_matrix().transform(&bounds);
    } else {
        ch->get_bound(&bounds);  // in the parent's space
        if (flash::character* parent = ch->get_parent()) parent->get_world_matrix().transform(&bounds);
    }
    Target t;
    t.x = (bounds.m_x_min + bounds.m_x_max) * 0.5f * kPixelsPerTwip;
    t.y = (bounds.m_y_min + bounds.m_y_max) * 0.5f * kPixelsPerTwip;
    t.rotation = ch->get_world_matrix().get_rotation() * kDegreesPerRadian;
    if (!std::isfinite(t.x)) t.x = 0;
    if (!std::isfinite(t.y)) t.y = 0;
    if (!std::isfinite(t.rotation)) t.rotation = 0;
    // Angles run from 0 to 360, as the game's pieces count them.
    if (t.rotation < 0) t.rotation += 360.0f;
    return t;
}

flash::character* findNamed(flash::character* movie, const std::string& name) {
    flash::sprite_instance* sprite = flash::cast_to<flash::sprite_instance>(movie);
    if (!sprite || name.empty()) return nullptr;
    return sprite->get_character_by_name(flash::bx_string(name.c_str()), true);
}

std::optional<Target> findNamedTarget(flash::character* movie, const std::string& name) {
    flash::character* ch = findNamed(movie, name);
    if (!ch) return std::nullopt;
    return targetOf(ch);
}

}  // namespace inputscript
