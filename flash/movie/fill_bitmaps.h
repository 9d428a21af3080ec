#pragma once
// The textures of a shape's bitmap fills, looked up in the movie once when the tag is read, so
// a fill whose bitmap is missing paints nothing.
#include <utility>
#include <vector>

#include "flash/base/array.h"
#include "flash/base/smart_ptr.h"
#include "flash/render/bitmap_info.h"
#include "flash/render/shape_drawing.h"
#include "flash/shape/styles.h"

namespace flash {

class movie_definition_sub;

class fill_bitmaps {
public:
    // Adds the bitmap of every bitmap fill of styles that m has (nothing when m is null).
    void collect(const array<fill_style>& styles, movie_definition_sub* m);
    // The texture of a bitmap fill's character id; null when the movie had none.
    bitmap_info* find(int bitmap_id) const;
    // The device texture of a bitmap fill; null for other fills and for bitmaps that are no
    // device texture (placeholders).
    bitmap_info* get_bitmap_texture(const fill_style& style) const;
    bitmap_lookup lookup() const {
        return [this](int id) { return find(id); };
    }

private:
    std::vector<std::pair<int, smart_ptr<bitmap_info>>> m_bitmaps;
};

}  // namespace flash
