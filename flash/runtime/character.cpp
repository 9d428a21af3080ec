#include "flash/runtime/character.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

#include "flash/runtime/engine_instance.h"
#include "flash/runtime/name_tables.h"

namespace flash {

namespace {

constexpr double percent = 100.0;
constexpr double degrees_per_radian = 57.2957763671875;
constexpr float radians_per_degree = 3.1415927f / 180.0f;
const char* const no_name_target = "noname";

// Bound sides below the smallest normal float (or NaN) count as nothing.
float bound_side(float low, float high) {
    const float side = high - low;
    return side >= FLT_MIN ? side : 0.0f;
}

}  // namespace

character::character(engine_instance* owner, character* parent, int id)
    : as_object(owner), m_id(id), m_parent(parent) {
    add_kind(KIND_CHARACTER);
}

const bx_string& character::get_path() {
    m_path = build_path_name();
    return m_path;
}

bx_string character::build_path_name() const {
    bx_string path;
    if (const character* parent = get_parent()) {
        path = parent->build_path_name();
        if (path.length() > 0 && m_name.length() > 0) path += "\\";
    }
    path += m_name;
    return path;
}

matrix character::get_world_matrix() const {
    matrix m;
    if (character* parent = get_parent()) m = parent->get_world_matrix();
    m.concatenate(m_matrix);
    return m;
}

cxform character::get_world_cxform() const {
    cxform cx;
    if (character* parent = get_parent()) cx = parent->get_world_cxform();
    cx.concatenate(m_cxform);
    return cx;
}

void character::get_bound(rect* bound) {
    // Nothing to show: a zero rectangle at the character's origin, never stale values.
    const float x = m_matrix.m_[0][2];
    const float y = m_matrix.m_[1][2];
    bound->m_x_min = bound->m_x_max = x;
    bound->m_y_min = bound->m_y_max = y;
}

float character::get_width() {
    rect r;
    get_bound(&r);
    return bound_side(r.m_x_min, r.m_x_max);
}

float character::get_height() {
    rect r;
    get_bound(&r);
    return bound_side(r.m_y_min, r.m_y_max);
}

void character::do_display_callback() {
    if (m_display_callback) m_display_callback(m_display_user_data);
}

void character::do_host_hook() {
    if (m_host_hook) m_host_hook(this);
}

bool character::is_mouse_over() {
    as_value x;
    as_value y;
    if (!get_member("_xmouse", &x) || !get_member("_ymouse", &y)) return false;
    const double px = std::trunc(x.to_number());
    const double py = std::trunc(y.to_number());
    rect r;
    get_bound(&r);
    return px >= r.m_x_min / twips_per_pixel && px <= r.m_x_max / twips_per_pixel &&
           py >= r.m_y_min / twips_per_pixel && py <= r.m_y_max / twips_per_pixel;
}

void character::get_mouse_state(int* x, int* y, int* buttons) {
    if (character* parent = get_parent()) {
        parent->get_mouse_state(x, y, buttons);
        return;
    }
    *x = 0;
    *y = 0;
    *buttons = 0;
}

void character::get_drag_state(drag_state* out) {
    if (character* parent = get_parent()) parent->get_drag_state(out);
}

void character::advance(float) { follow_drag(); }

void character::follow_drag() {
    drag_state state;
    get_drag_state(&state);
    if (state.character != this || !state.lock_center) return;
    int x = 0;
    int y = 0;
    int buttons = 0;
    get_mouse_state(&x, &y, &buttons);
    point mouse(x * twips_per_pixel, y * twips_per_pixel);
    if (state.constrained) {
        // Script bounds are pixels.
        mouse.m_x = std::min(std::max(mouse.m_x, state.x0 * twips_per_pixel), state.x1 * twips_per_pixel);
        mouse.m_y = std::min(std::max(mouse.m_y, state.y0 * twips_per_pixel), state.y1 * twips_per_pixel);
    }
    matrix parent_world;
    if (character* parent = get_parent()) parent_world = parent->get_world_matrix();
    point local;
    parent_world.transform_by_inverse(&local, mouse);
    matrix m = m_matrix;
    m.m_[0][2] = finite_or_zero(local.m_x);
    m.m_[1][2] = finite_or_zero(local.m_y);
    set_matrix(m);
}

as_object* character::get_root_movie() {
    if (character* parent = get_parent()) return parent->get_root_movie();
    engine_instance* owner = get_player();
    return owner ? owner->get_root_movie() : nullptr;
}

bx_string character::get_target() {
    character* parent = get_parent();
    if (!parent) return bx_string("/");
    bx_string target = parent->get_target();
    if (!(target == "/")) target += "/";
    target += m_name.length() > 0 ? m_name.c_str() : no_name_target;
    return target;
}

bool character::get_member(const bx_stringi& name, as_value* value) {
    const int member = ::flash::get_standard_member(name);
    if (member != M_INVALID_MEMBER) {
        as_value scratch;
        if (get_standard_member(member, value ? value : &scratch)) return true;
    }
    return as_object::get_member(name, value);
}

bool character::set_member(const bx_stringi& name, const as_value& value) {
    const int member = ::flash::get_standard_member(name);
    if (member != M_INVALID_MEMBER && set_standard_member(member, value)) return true;
    return as_object::set_member(name, value);
}

bool character::reads_own_member(const bx_stringi& name) {
    return ::flash::get_standard_member(name) == M_INVALID_MEMBER && as_object::reads_own_member(name);
}

bool character::writes_own_member(const bx_stringi& name) {
    return ::flash::get_standard_member(name) == M_INVALID_MEMBER && as_object::writes_own_member(name);
}

bool character::get_standard_member(int member, as_value* value) {
    switch (member) {
    case M_X: value->set_double(m_matrix.m_[0][2] / twips_per_pixel); return true;
    case M_Y: value->set_double(m_matrix.m_[1][2] / twips_per_pixel); return true;
    case M_XSCALE: value->set_double(m_matrix.get_x_scale() * percent); return true;
    case M_YSCALE: value->set_double(m_matrix.get_y_scale() * percent); return true;
    case M_ALPHA: value->set_double(m_cxform.m_[3][0] * percent); return true;
    case M_VISIBLE: value->set_bool(get_visible()); return true;
    case M_WIDTH: value->set_double(std::trunc(get_width() / twips_per_pixel)); return true;
    case M_HEIGHT: value->set_double(std::trunc(get_height() / twips_per_pixel)); return true;
    case M_ROTATION: value->set_double(m_matrix.get_rotation() * degrees_per_radian); return true;
    case M_TARGET: value->set_string(get_target().c_str()); return true;
    case M_NAME: value->set_string(m_name.c_str()); return true;
    case M_DROPTARGET: value->set_string("/_root"); return true;
    case M_URL: value->set_string("flash"); return true;
    case M_HIGHQUALITY: value->set_bool(true); return true;
    case M_FOCUSRECT: value->set_bool(false); return true;
    case M_SOUNDBUFTIME: value->set_double(0.0); return true;
    case M_XMOUSE:
    case M_YMOUSE: {
        int x = 0;
        int y = 0;
        int buttons = 0;
        get_mouse_state(&x, &y, &buttons);
        matrix world = get_world_matrix();
        point local;
        world.transform_by_inverse(&local, point(x * twips_per_pixel, y * twips_per_pixel));
        value->set_double((member == M_XMOUSE ? local.m_x : local.m_y) / twips_per_pixel);
        return true;
    }
    case M_PARENT:
    case MDOT2: {
        character* parent = get_parent();
        if (parent) value->set_as_object(parent);
        else value->set_null();
        return true;
    }
    case M_THIS:
    case MDOT: value->set_as_object(this); return true;
    case M_ROOT:
    case M_LEVEL0: {
        as_object* movie = get_root_movie();
        if (!movie) return false;
        value->set_as_object(movie);
        return true;
    }
    case M_GLOBAL: {
        as_object* global = get_global();
        if (!global) return false;
        value->set_as_object(global);
        return true;
    }
    default: return false;
    }
}

bool character::set_standard_member(int member, const as_value& value) {
    switch (member) {
    case M_X: m_matrix.m_[0][2] = finite_or_zero(value.to_number() * twips_per_pixel); return true;
    case M_Y: m_matrix.m_[1][2] = finite_or_zero(value.to_number() * twips_per_pixel); return true;
    case M_XSCALE:
    case M_YSCALE: {
        matrix m = m_matrix;
        const float scale = finite_or_zero(value.to_number() / percent);
        m.set_scale_rotation(member == M_XSCALE ? scale : m_matrix.get_x_scale(),
                             member == M_YSCALE ? scale : m_matrix.get_y_scale(),
                             m_matrix.get_rotation());
        m_matrix = m;
        return true;
    }
    case M_ALPHA: m_cxform.m_[3][0] = finite_or_zero(value.to_number() / percent); return true;
    case M_VISIBLE: set_visible(value.to_bool()); return true;
    case M_WIDTH:
    case M_HEIGHT: {
        const double wanted = value.to_number();
        if (!(wanted > 0.0)) return true;  // zero, negative and NaN sizes change nothing
        const float current = (member == M_WIDTH ? get_width() : get_height()) / twips_per_pixel;
        if (!(current > 0.0f)) return true;  // nothing to stretch
        matrix m = m_matrix;
        const float x_scale = m_matrix.get_x_scale();
        const float y_scale = m_matrix.get_y_scale();
        const float factor = finite_or_zero(wanted / current);
        m.set_scale_rotation(member == M_WIDTH ? x_scale * factor : x_scale,
                             member == M_HEIGHT ? y_scale * factor : y_scale,
                             m_matrix.get_rotation());
        m_matrix = m;
        return true;
    }
    case M_ROTATION: {
        matrix m = m_matrix;
        m.set_scale_rotation(m_matrix.get_x_scale(), m_matrix.get_y_scale(),
                             finite_or_zero(value.to_number() * radians_per_degree));
        m_matrix = m;
        return true;
    }
    case M_NAME: set_name(value.to_bx_string()); return true;
    case M_HIGHQUALITY:
    case M_FOCUSRECT:
    case M_SOUNDBUFTIME: return true;
    default: return false;
    }
}

void character::get_property(int property_number, as_value* out) {
    ::flash::get_property(this, property_number, out);
}

void character::set_property(int property_number, const as_value& value) {
    ::flash::set_property(this, property_number, value);
}

character* as_character(as_object* object) {
    if (!object || !object->is_character()) return nullptr;
    return static_cast<character*>(object);
}

}  // namespace flash
