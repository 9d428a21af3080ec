#pragma once
// Drawing a shape's mesh set through the installed render handler: the matrix and colour
// transform, then per mesh its fill style and strip, then per line strip its style and strip.
// A style that paints nothing disables the fill and its mesh is not drawn, so no run is ever
// drawn in the previous shape's style.
#include <functional>

#include "flash/base/array.h"
#include "flash/render/bitmap_info.h"
#include "flash/shape/mesh_set.h"
#include "flash/shape/styles.h"

namespace flash {

// The texture of a bitmap fill's character id; null when the movie has none.
using bitmap_lookup = std::function<bitmap_info*(int bitmap_id)>;

// Sets the fill on the handler; false when the style paints nothing (the fill is then disabled).
// A gradient's texture is made on first use and kept by the style.
bool apply_fill_style(fill_style& style, int fill_side, const bitmap_lookup& bitmaps);
void apply_line_style(const line_style& style);
// The gradient texture of a style with records, through the handler (a placeholder without one).
bitmap_info* create_gradient_bitmap(const fill_style& style, const bx_string& owner_name);
// A shape tag's gradient textures, made when it is read under the movie file's name (empty ones
// when the movie is read without image data), each handed to keep as well. Nothing without a
// handler: the first draw with one makes them.
void make_gradient_bitmaps(array<fill_style>& styles, const bx_string& owner_name, bool without_pixels,
                           const std::function<void(bitmap_info*)>& keep);

void display_mesh_set(const mesh_set& set, const matrix& m, const cxform& cx, array<fill_style>& fills,
                      const array<line_style>& lines, const bitmap_lookup& bitmaps);

}  // namespace flash
