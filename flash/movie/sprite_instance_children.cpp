// The host's native calls that make, re-depth and find a clip's children, and the call of a clip's
// script method with arguments; the MovieClip methods wrap them.
#include <cstring>

#include "flash/base/log.h"
#include "flash/movie/character_def.h"
#include "flash/movie/edit_text_character.h"
#include "flash/movie/movie_def_impl.h"
#include "flash/movie/sprite_instance.h"
#include "flash/movie/text.h"
#include "flash/runtime/method_call.h"

namespace flash {

namespace {

sprite_instance* parent_sprite_of(const character* ch) {
    return ch ? cast_to<sprite_instance>(ch->get_parent()) : nullptr;
}

movie_def_impl* whole_movie_of(const sprite_instance* clip) {
    movie_definition_sub* def = clip->get_definition();
    return def && def->is(character_def::MOVIE_DEF_IMPL) ? static_cast<movie_def_impl*>(def) : nullptr;
}

// The export of a name: in the clip's own movie, else through its parents upwards.
character_def* find_exported(const sprite_instance* clip, const bx_string& name) {
    for (const sprite_instance* at = clip; at; at = parent_sprite_of(at)) {
        if (movie_def_impl* def = whole_movie_of(at)) {
            if (character_def* found = def->get_exported_resource(name)) return found;
        }
        if (!parent_sprite_of(at) && get_verbose_action()) log_msg("can't find exported resource '%s'\n", name.c_str());
    }
    return nullptr;
}

// Pixels to twips, computed wide so that no int pixel value overflows on the way.
float pixels_to_twips(int pixels) { return static_cast<float>(pixels * static_cast<double>(twips_per_pixel)); }

}  // namespace

edit_text_character* sprite_instance::create_text_field(const bx_string& name, int depth, int x, int y, int width,
                                                        int height) {
    smart_ptr<edit_text_character_def> def(new edit_text_character_def(width, height));
    smart_ptr<character> made(def->create_character_instance(get_player(), this, -1));
    auto* field = cast_to<edit_text_character>(made.get_ptr());
    if (!field) return nullptr;
    field->set_name(name);
    matrix m;
    m.concatenate_translation(pixels_to_twips(x), pixels_to_twips(y));
    m_display_list.add_display_object(field, depth, true, cxform(), m, 0.0f, 0);
    return field;
}

sprite_instance* sprite_instance::attach_movie(const bx_string& export_name, const bx_string& new_name, int depth,
                                               as_object* init) {
    character_def* found = find_exported(this, export_name);
    if (!found) {
        if (get_verbose_action()) log_msg("import error: resource '%s' is not exported\n", export_name.c_str());
        return nullptr;
    }
    if (!found->is(character_def::SPRITE_DEFINITION)) return nullptr;
    smart_ptr<sprite_instance> made(
        new sprite_instance(get_player(), static_cast<movie_definition_sub*>(found), get_root(), this, -1));
    made->set_name(new_name);
    m_display_list.add_display_object(made.get_ptr(), depth, true, get_cxform(), get_matrix(), 0.0f, 0);
    if (init) init->copy_to(made.get_ptr());
    // Attached by its export name: a class that registerClass bound to the symbol takes it over
    // at once (a placed clip takes it on its first advance), and only once.
    made->bind_registered_class();
    return made.get_ptr();
}

bool sprite_instance::swap_depths(int depth) {
    sprite_instance* parent = parent_sprite_of(this);
    if (!parent) {
        log_error("can't do _root.swapDepths\n");
        return false;
    }
    display_list* list = parent->get_display_list();
    const int index = list->find_display_index(depth);
    character* occupant = index < list->size() ? list->get_character(index) : nullptr;
    if (!occupant || occupant->get_depth() != depth) {
        list->set_character_depth(this, depth);
        return true;
    }
    return swap_depths(occupant);
}

bool sprite_instance::swap_depths(character* partner) {
    if (!partner) {
        log_error("It is impossible to swap NULL character\n");
        return false;
    }
    sprite_instance* parent = parent_sprite_of(this);
    if (!parent || partner->get_parent() != parent) {
        log_error("MovieClips should have the same parent\n");
        return false;
    }
    // Exchanging both depths and both slots keeps the list in depth order.
    const int depth = get_depth();
    set_depth(partner->get_depth());
    partner->set_depth(depth);
    parent->get_display_list()->swap_characters(this, partner);
    return true;
}

sprite_instance* sprite_instance::create_empty_movie_clip(const bx_string& name, int depth) {
    smart_ptr<movie_definition_sub> def(create_empty_sprite_definition());
    smart_ptr<sprite_instance> made(new sprite_instance(get_player(), def.get_ptr(), get_root(), this, -1));
    made->set_name(name);
    m_display_list.add_display_object(made.get_ptr(), depth, true, cxform(), matrix(), 0.0f, 0);
    return made.get_ptr();
}

character* sprite_instance::find_character_by_path(const char* dotted_path) const {
    if (!dotted_path || !*dotted_path) return nullptr;
    const sprite_instance* at = this;
    character* found = nullptr;
    for (const char* name = dotted_path;;) {
        const char* dot = std::strchr(name, '.');
        const size_t length = dot ? static_cast<size_t>(dot - name) : std::strlen(name);
        if (!at || length == 0) return nullptr;
        found = at->get_character_by_name(bx_string(name, static_cast<int>(length)));
        if (!found || !dot) return found;
        at = cast_to<sprite_instance>(found);
        name = dot + 1;
    }
}

as_value sprite_instance::call_method_with_args(const char* method_name, const as_value* args, int nargs) {
    smart_ptr<sprite_instance> hold(this);
    return call_method_value(&m_env, this, method_name, args, nargs);
}

}  // namespace flash
