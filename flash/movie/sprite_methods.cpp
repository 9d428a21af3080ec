// The MovieClip method table and its frame, depth, clone and coordinate methods.
#include "flash/movie/sprite_methods.h"

#include <cmath>

#include "flash/base/log.h"
#include "flash/base/numeric.h"
#include "flash/movie/display_list.h"
#include "flash/movie/edit_text_character.h"
#include "flash/movie/movie_def_impl.h"
#include "flash/movie/movie_root.h"
#include "flash/movie/player.h"
#include "flash/movie/sprite_instance.h"
#include "flash/movie/text.h"
#include "flash/runtime/as_environment.h"
#include "flash/runtime/as_function.h"

namespace flash {

namespace {

constexpr double min_fps = 1.0;
constexpr double max_fps = 240.0;
constexpr int text_field_args = 6;

// Computed as a number: the lowest list depth has a script depth below the int range.
double to_script_depth(int depth) { return static_cast<double>(depth) - lowest_dynamic_depth; }
int to_list_depth(double script_depth) {
    // Script depths far outside the list's range cannot be stored; they saturate.
    const double depth = script_depth + lowest_dynamic_depth;
    if (std::isnan(depth)) return lowest_dynamic_depth;
    int list_depth = 0;
    if (!to_int_checked(depth, &list_depth)) log_error("error: depth %.17g is out of range; %d taken\n", script_depth, list_depth);
    return list_depth;
}

void set_number(const fn_call& fn, double value) { fn.result->set_double(value); }

sprite_instance* parent_sprite(character* ch) { return ch ? cast_to<sprite_instance>(ch->get_parent()) : nullptr; }

movie_def_impl* whole_movie_of(sprite_instance* clip) {
    movie_definition_sub* def = clip->get_definition();
    return def && def->is(character_def::MOVIE_DEF_IMPL) ? static_cast<movie_def_impl*>(def) : nullptr;
}

// A goto argument is used when it is text, a number that is not NaN or a property.
bool goto_argument(const fn_call& fn, const char* who, bx_string* frame) {
    if (fn.arg_count < 1) {
        log_error("error: %s needs one arg\n", who);
        return false;
    }
    const as_value& v = fn.arg(0);
    const bool usable = v.is_string() || v.is_property() || (v.is_number() && !std::isnan(v.to_number()));
    if (!usable) return false;
    *frame = v.to_bx_string();
    return true;
}

void sprite_play(const fn_call& fn) {
    if (sprite_instance* clip = sprite_method_target(fn)) clip->set_play_state(character::PLAY, false);
}

void sprite_stop(const fn_call& fn) {
    if (sprite_instance* clip = sprite_method_target(fn)) clip->set_play_state(character::STOP, false);
}

// gotoAndStop and gotoAndPlay: the goto, then the play state, both only for a usable frame.
void goto_and_set_state(const fn_call& fn, const char* who, int state) {
    sprite_instance* clip = sprite_method_target(fn);
    bx_string frame;
    if (!clip || !goto_argument(fn, who, &frame)) return;
    clip->goto_frame(frame);
    clip->set_play_state(state, false);
}

void sprite_goto_and_stop(const fn_call& fn) { goto_and_set_state(fn, "sprite_goto_and_stop", character::STOP); }

void sprite_goto_and_play(const fn_call& fn) { goto_and_set_state(fn, "sprite_goto_and_play", character::PLAY); }

void sprite_next_frame(const fn_call& fn) {
    sprite_instance* clip = sprite_method_target(fn);
    if (!clip) return;
    if (clip->get_current_frame() < clip->get_frame_count()) clip->goto_frame(clip->get_current_frame() + 1);
    clip->set_play_state(character::STOP, false);
}

void sprite_prev_frame(const fn_call& fn) {
    sprite_instance* clip = sprite_method_target(fn);
    if (!clip) return;
    if (clip->get_current_frame() > 0) clip->goto_frame(clip->get_current_frame() - 1);
    clip->set_play_state(character::STOP, false);
}

void sprite_get_bytes_loaded(const fn_call& fn) {
    sprite_instance* clip = sprite_method_target(fn);
    movie_def_impl* def = clip ? whole_movie_of(clip) : nullptr;
    set_number(fn, def ? def->get_loaded_length() : 0);
}

void sprite_get_bytes_total(const fn_call& fn) {
    sprite_instance* clip = sprite_method_target(fn);
    movie_def_impl* def = clip ? whole_movie_of(clip) : nullptr;
    set_number(fn, def ? def->get_file_end() : 0);
}

void sprite_swap_depths(const fn_call& fn) {
    sprite_instance* clip = sprite_method_target(fn);
    if (!clip) return;
    if (fn.arg_count != 1) {
        log_error("swapDepths needs one arg\n");
        return;
    }
    const as_value& arg = fn.arg(0);
    if (arg.is_number() && !std::isnan(arg.to_number())) {
        clip->swap_depths(to_list_depth(arg.to_number()));
    } else if (character* ch = as_character(arg.to_object())) {
        clip->swap_depths(ch);
    } else {
        log_error("swapDepths has received invalid arg\n");
    }
}

void sprite_duplicate_movieclip(const fn_call& fn) {
    sprite_instance* clip = sprite_method_target(fn);
    if (!clip) return;
    if (fn.arg_count != 2 && fn.arg_count != 3) {
        log_error("duplicateMovieClip needs 2 or 3 args\n");
        return;
    }
    character* clone = clip->duplicate(fn.arg(0).to_bx_string(), to_list_depth(fn.arg(1).to_number()));
    if (!clone) return;
    if (fn.arg_count == 3 && fn.arg(2).is_object()) {
        if (as_object* init = fn.arg(2).to_object()) init->copy_to(clone);
    }
    fn.result->set_as_object(clone);
}

void sprite_get_depth(const fn_call& fn) {
    if (sprite_instance* clip = sprite_method_target(fn)) set_number(fn, to_script_depth(clip->get_depth()));
}

void sprite_create_empty_movieclip(const fn_call& fn) {
    sprite_instance* clip = sprite_method_target(fn);
    if (!clip) return;
    if (fn.arg_count != 2) {
        log_error("createEmptyMovieClip needs 2 args\n");
        return;
    }
    fn.result->set_as_object(
        clip->create_empty_movie_clip(fn.arg(0).to_bx_string(), to_list_depth(fn.arg(1).to_number())));
}

void sprite_remove_movieclip(const fn_call& fn) {
    sprite_instance* clip = sprite_method_target(fn);
    if (!clip) return;
    if (sprite_instance* parent = parent_sprite(clip)) parent->remove_display_object(clip);
}

// The character's bound (in its parent's twips) carried onto the stage.
rect stage_bound(character* ch) {
    rect b;
    // A character without anything to show is bounded by its own origin.
    b.set_to_point(point(ch->get_matrix().m_[0][2], ch->get_matrix().m_[1][2]));
    ch->get_bound(&b);
    if (character* parent = ch->get_parent()) parent->get_world_matrix().transform(&b);
    return b;
}

void sprite_hit_test(const fn_call& fn) {
    fn.result->set_bool(false);
    sprite_instance* clip = sprite_method_target(fn);
    if (!clip) return;
    if (fn.arg_count != 1) {
        log_error("hitTest(x,y,flag) is't implemented yet\n");
        return;
    }
    if (!fn.env || !fn.env->get_target()) return;
    character* target = as_character(fn.env->find_target(fn.arg(0)));
    if (!target) {
        log_error("hitTest: can't find target\n");
        return;
    }
    fn.result->set_bool(stage_bound(clip).bound_test(stage_bound(target)));
}

void sprite_start_drag(const fn_call& fn) {
    sprite_instance* clip = sprite_method_target(fn);
    root* r = clip ? clip->get_root() : nullptr;
    if (!r) return;
    drag_state state = r->get_drag_state();
    state.character = clip;
    state.lock_center = true;
    r->set_drag_state(state);
}

void sprite_stop_drag(const fn_call& fn) {
    sprite_instance* clip = sprite_method_target(fn);
    root* r = clip ? clip->get_root() : nullptr;
    if (r && r->get_drag_state().character == clip) r->stop_drag();
}

void sprite_load_movie(const fn_call& fn) {
    sprite_instance* clip = sprite_method_target(fn);
    if (!clip || !fn.env) return;
    fn.env->load_file(fn.arg(0).to_bx_string().c_str(), as_value(clip));
}

void sprite_unload_movie(const fn_call& fn) {
    sprite_instance* clip = sprite_method_target(fn);
    if (!clip || !fn.env) return;
    fn.env->load_file("", as_value(clip));
}

void sprite_get_next_highest_depth(const fn_call& fn) {
    if (sprite_instance* clip = sprite_method_target(fn))
        set_number(fn, to_script_depth(clip->get_next_highest_depth()));
}

int truncated(const as_value& v) {
    int n = 0;
    (void)to_int_checked(v.to_number(), &n);  // NaN as 0 and the ends saturated, as the field sizes take them
    return n;
}

void sprite_create_text_field(const fn_call& fn) {
    fn.result->set_as_object(nullptr);
    sprite_instance* clip = sprite_method_target(fn);
    if (!clip) return;
    if (fn.arg_count != text_field_args) {
        log_error("createTextField: the number of arguments must be 6\n");
        return;
    }
    fn.result->set_as_object(clip->create_text_field(fn.arg(0).to_bx_string(), to_list_depth(truncated(fn.arg(1))),
                                                     truncated(fn.arg(2)), truncated(fn.arg(3)),
                                                     truncated(fn.arg(4)), truncated(fn.arg(5))));
}

void sprite_attach_movie(const fn_call& fn) {
    sprite_instance* clip = sprite_method_target(fn);
    if (!clip) return;
    if (fn.arg_count != 3 && fn.arg_count != 4) {
        log_error("attachMovie needs 3 or 4 args\n");
        return;
    }
    as_object* init = fn.arg_count == 4 && fn.arg(3).is_object() ? fn.arg(3).to_object() : nullptr;
    sprite_instance* made = clip->attach_movie(fn.arg(0).to_bx_string(), fn.arg(1).to_bx_string(),
                                               to_list_depth(fn.arg(2).to_number()), init);
    if (made) fn.result->set_as_object(made);
}

// Carries the point object's "x" and "y" through m (pixels), when both are numbers.
void convert_point(const fn_call& fn, bool to_global) {
    sprite_instance* clip = sprite_method_target(fn);
    if (!clip || fn.arg_count != 1 || !fn.arg(0).is_object()) return;
    as_object* pt = fn.arg(0).to_object();
    if (!pt) return;
    as_value x;
    as_value y;
    if (!pt->get_member("x", &x) || !pt->get_member("y", &y)) return;
    if (!x.is_number() || !y.is_number() || std::isnan(x.to_number()) || std::isnan(y.to_number())) return;
    const point in(static_cast<float>(x.to_number() * twips_per_pixel), static_cast<float>(y.to_number() * twips_per_pixel));
    point out;
    const matrix world = clip->get_world_matrix();
    if (to_global) {
        world.transform(&out, in);
    } else {
        world.transform_by_inverse(&out, in);
    }
    pt->set_member("x", as_value(out.m_x / twips_per_pixel));
    pt->set_member("y", as_value(out.m_y / twips_per_pixel));
}

void sprite_local_to_global(const fn_call& fn) { convert_point(fn, true); }

void sprite_global_to_local(const fn_call& fn) { convert_point(fn, false); }

void sprite_get_bounds(const fn_call& fn) {
    sprite_instance* clip = sprite_method_target(fn);
    if (!clip) return;
    character* target = fn.arg_count > 0 ? as_character(fn.arg(0).to_object()) : nullptr;
    if (!target) target = clip;
    rect b = stage_bound(clip);
    target->get_world_matrix().transform_by_inverse(&b);
    smart_ptr<as_object> result(new as_object(clip->get_player()));
    result->set_member("xMin", as_value(b.m_x_min / twips_per_pixel));
    result->set_member("xMax", as_value(b.m_x_max / twips_per_pixel));
    result->set_member("yMin", as_value(b.m_y_min / twips_per_pixel));
    result->set_member("yMax", as_value(b.m_y_max / twips_per_pixel));
    fn.result->set_as_object(result.get_ptr());
}

void sprite_set_mask(const fn_call& fn) {
    sprite_instance* clip = sprite_method_target(fn);
    if (!clip || fn.arg_count < 1) return;
    if (sprite_instance* old = clip->get_mask()) old->set_visible(true);
    sprite_instance* mask = cast_to<sprite_instance>(fn.arg(0).to_object());
    clip->set_mask(mask);
    // A mask is drawn only as a mask.
    if (mask) mask->set_visible(false);
}

void sprite_set_fps(const fn_call& fn) {
    sprite_instance* clip = sprite_method_target(fn);
    if (!clip || fn.arg_count != 1) return;
    const double fps = fn.arg(0).to_number();
    if (!(fps >= min_fps && fps <= max_fps)) return;
    clip->set_frame_rate(static_cast<float>(fps));
}

void sprite_get_play_state(const fn_call& fn) {
    if (sprite_instance* clip = sprite_method_target(fn)) fn.result->set_bool(clip->get_play_state() != character::STOP);
}

void sprite_add_frame_script(const fn_call& fn) {
    sprite_instance* clip = sprite_method_target(fn);
    if (!clip || fn.arg_count != 2 || !fn.arg(1).is_function()) return;
    const double frame = fn.arg(0).to_number();
    if (!(frame >= 0 && frame < clip->get_frame_count())) return;
    // The frame was checked just above.
    (void)clip->set_frame_script(static_cast<int>(frame), fn.arg(1).to_object());
}

}  // namespace

sprite_instance* sprite_method_target(const fn_call& fn) {
    if (sprite_instance* clip = cast_to<sprite_instance>(fn.this_object)) return clip;
    return fn.env ? cast_to<sprite_instance>(fn.env->get_target()) : nullptr;
}

void sprite_constructor(const fn_call& fn) {
    engine_instance* owner = fn.get_player();
    smart_ptr<movie_definition_sub> def(create_empty_sprite_definition());
    smart_ptr<sprite_instance> made(new sprite_instance(owner, def.get_ptr(), nullptr, nullptr, -1));
    fn.result->set_as_object(made.get_ptr());
}

void sprite_methods_init() {
    struct entry {
        const char* name;
        as_c_function_ptr func;
    };
    static const entry entries[] = {
        {"play", sprite_play},
        {"stop", sprite_stop},
        {"gotoAndStop", sprite_goto_and_stop},
        {"gotoAndPlay", sprite_goto_and_play},
        {"nextFrame", sprite_next_frame},
        {"prevFrame", sprite_prev_frame},
        {"getBytesLoaded", sprite_get_bytes_loaded},
        {"getBytesTotal", sprite_get_bytes_total},
        {"swapDepths", sprite_swap_depths},
        {"duplicateMovieClip", sprite_duplicate_movieclip},
        {"getDepth", sprite_get_depth},
        {"createEmptyMovieClip", sprite_create_empty_movieclip},
        {"removeMovieClip", sprite_remove_movieclip},
        {"hitTest", sprite_hit_test},
        {"startDrag", sprite_start_drag},
        {"stopDrag", sprite_stop_drag},
        {"loadMovie", sprite_load_movie},
        {"unloadMovie", sprite_unload_movie},
        {"getNextHighestDepth", sprite_get_next_highest_depth},
        {"createTextField", sprite_create_text_field},
        {"attachMovie", sprite_attach_movie},
        {"localToGlobal", sprite_local_to_global},
        {"globalToLocal", sprite_global_to_local},
        {"getRect", sprite_get_bounds},
        {"getBounds", sprite_get_bounds},
        {"setMask", sprite_set_mask},
        {"beginFill", sprite_begin_fill},
        {"endFill", sprite_end_fill},
        {"lineTo", sprite_line_to},
        {"moveTo", sprite_move_to},
        {"curveTo", sprite_curve_to},
        {"clear", sprite_clear},
        {"lineStyle", sprite_line_style},
        {"setFPS", sprite_set_fps},
        {"getPlayState", sprite_get_play_state},
        {"addFrameScript", sprite_add_frame_script},
    };
    for (const entry& e : entries)
        engine_instance::set_builtin(BUILTIN_SPRITE_METHOD, e.name, as_value(new as_c_function(nullptr, e.func)));
}

}  // namespace flash
