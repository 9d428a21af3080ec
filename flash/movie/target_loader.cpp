#include "flash/movie/target_loader.h"

#include <memory>

#include "flash/base/bx_file.h"
#include "flash/base/log.h"
#include "flash/movie/bitmap_character.h"
#include "flash/movie/bitmap_loaders.h"
#include "flash/movie/load_path.h"
#include "flash/movie/movie_def_impl.h"
#include "flash/movie/movie_library.h"
#include "flash/movie/movie_root.h"
#include "flash/movie/player.h"
#include "flash/movie/sprite_instance.h"
#include "flash/render/jpeg_input.h"
#include "flash/runtime/as_environment.h"
#include "flash/runtime/character.h"

namespace flash {

namespace {

// The depth at which an image stands inside the clip that shows it.
constexpr int image_depth = 0;

const movie_def_impl* whole_movie(const movie_definition_sub* def) {
    return def && def->is(character_def::MOVIE_DEF_IMPL) ? static_cast<const movie_def_impl*>(def) : nullptr;
}

// The root whose top-level movie target is; null for every other character.
root* root_showing(player* owner, character* target) {
    root* r = target->get_root();
    if (!r) r = owner ? owner->get_root() : nullptr;
    return r && r->get_root_movie() == target ? r : nullptr;
}

// A clip that shows one image: an empty clip holding the bitmap at depth 0.
smart_ptr<sprite_instance> make_image_clip(player* owner, root* r, character* parent,
                                           image::rgb* img, const char* path) {
    smart_ptr<bitmap_info> bitmap(make_bitmap_info(img, bx_string(path)));
    smart_ptr<movie_definition_sub> empty(create_empty_sprite_definition());
    if (!bitmap || !empty) return smart_ptr<sprite_instance>();
    smart_ptr<sprite_instance> clip(new sprite_instance(owner, empty.get_ptr(), r, parent, -1));
    smart_ptr<bitmap_character> def(new bitmap_character(empty.get_ptr(), bitmap.get_ptr()));
    smart_ptr<character> picture(def->create_character_instance(owner, clip.get_ptr(), -1));
    if (!picture) return smart_ptr<sprite_instance>();
    // The clip keeps the image's definition alive through its instance.
    clip->get_display_list()->add_display_object(picture.get_ptr(), image_depth, true, cxform(), matrix(), 0.0f, 0);
    return clip;
}

// Whether ch still stands in the list (a removed clip keeps its parent link while it lives).
bool stands_in(display_list* list, const character* ch) {
    for (int i = 0; list && i < list->size(); ++i) {
        if (list->get_character(i) == ch) return true;
    }
    return false;
}

// Puts clip where target stands; false when the target stands nowhere any more.
bool put_in_place(player* owner, character* target, character* clip) {
    sprite_instance* parent = cast_to<sprite_instance>(target->get_parent());
    if (parent && stands_in(parent->get_display_list(), target)) {
        parent->replace_display_object(clip, target->get_name(), target->get_depth(), true,
                                       target->get_cxform(), true, target->get_matrix(),
                                       target->get_ratio(), target->get_clip_depth());
        return true;
    }
    if (root* r = root_showing(owner, target)) {
        clip->set_name(target->get_name());
        r->set_root_movie(clip);
        return true;
    }
    return false;
}

void log_no_place(character* target) {
    log_error("error: load_file: '%s' stands in no clip or root to load into\n", target->get_name().c_str());
}

void load_image(player* owner, const char* url, character* target) {
    bx_string path;
    if (!make_load_path(owner->get_workdir(), url, &path)) return;
    file_opener_callback opener = get_file_opener_callback();
    std::unique_ptr<bx_file> file(opener ? opener(path.c_str()) : nullptr);
    if (!file || file->get_error() != 0) {
        log_error("error: load_file: can't open image '%s'\n", path.c_str());
        return;
    }
    std::unique_ptr<image::rgb> img(image::read_jpeg(file.get()));
    if (!img) {
        log_error("error: load_file: '%s' is not a JPEG image\n", path.c_str());
        return;
    }
    character* parent = target->get_parent();
    root* r = parent ? parent->get_root() : root_showing(owner, target);
    smart_ptr<sprite_instance> clip = make_image_clip(owner, r, parent, img.release(), path.c_str());
    if (!clip || !put_in_place(owner, target, clip.get_ptr())) log_no_place(target);
}

}  // namespace

int get_movie_bytes_loaded(const movie_definition_sub* def) {
    const movie_def_impl* movie = whole_movie(def);
    return movie ? movie->get_loaded_length() : 0;
}

int get_movie_bytes_total(const movie_definition_sub* def) {
    const movie_def_impl* movie = whole_movie(def);
    return movie ? movie->get_file_end() : 0;
}

movie_definition_sub* get_clip_movie(character* clip) {
    sprite_instance* sprite = cast_to<sprite_instance>(clip);
    return sprite ? sprite->get_definition() : nullptr;
}

character* replace_with_movie(character* target, movie_definition_sub* def) {
    if (!target || !def) return nullptr;
    player* owner = player::from(target->get_player());
    character* parent = target->get_parent();
    smart_ptr<sprite_instance> clip;
    if (parent) {
        clip = new sprite_instance(owner, def, parent->get_root(), parent, -1);
    } else if (root* r = root_showing(owner, target)) {
        // A new top-level movie starts as a root's movie does: frame 0 executed at once.
        clip = sprite_instance::create_top_level(owner, def, r);
    }
    if (!clip || !put_in_place(owner, target, clip.get_ptr())) return nullptr;
    return clip.get_ptr();
}

void load_into_target(player* owner, const char* url, int file_type, as_object* target_object) {
    character* target = as_character(target_object);
    if (!owner || !target) return;
    // The target may be the only holder of itself: it leaves its place below.
    smart_ptr<character> keep(target);
    switch (file_type) {
        case as_environment::FILE_SWF: {
            bx_string path;
            if (!make_load_path(owner->get_workdir(), url, &path)) return;
            movie_definition_sub* def = owner->create_movie(path.c_str());
            if (def && !replace_with_movie(target, def)) log_no_place(target);
            break;
        }
        case as_environment::FILE_JPG:
            load_image(owner, url, target);
            break;
        default: {
            // Unloading leaves an empty clip where the target stood.
            smart_ptr<movie_definition_sub> empty(create_empty_sprite_definition());
            if (!replace_with_movie(target, empty.get_ptr())) log_no_place(target);
            break;
        }
    }
}

}  // namespace flash
