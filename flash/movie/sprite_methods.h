#pragma once
// The MovieClip methods: the native functions scripts call on a clip ("gotoAndPlay",
// "createEmptyMovieClip", "lineTo", ...). The engine puts them into the shared sprite method
// table once; a sprite's member lookup asks that table first. Depths in arguments and results
// are script depths, the display-list depth less 16384; coordinates are pixels.
namespace flash {

struct fn_call;
class canvas;
class sprite_instance;

// Fills the sprite method table, in the order scripts enumerate it.
void sprite_methods_init();

// "__constructor__": a new empty clip of the call's player, as the call's result.
void sprite_constructor(const fn_call& fn);

// The clip a method works on: `this` when it is a sprite, else the environment's target when
// that is one; null otherwise.
sprite_instance* sprite_method_target(const fn_call& fn);

// The clip's drawing canvas, made and shown on first use.
canvas* get_sprite_canvas(sprite_instance* clip);

// The drawing methods, registered by sprite_methods_init.
void sprite_begin_fill(const fn_call& fn);
void sprite_end_fill(const fn_call& fn);
void sprite_line_to(const fn_call& fn);
void sprite_move_to(const fn_call& fn);
void sprite_curve_to(const fn_call& fn);
void sprite_clear(const fn_call& fn);
void sprite_line_style(const fn_call& fn);

}  // namespace flash
