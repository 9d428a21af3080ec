#pragma once
// The definition of a bitmap placed directly on the stage: one textured rectangle the size of
// its bitmap, in twips from (0, 0). A bitmap without a texture of its own (a placeholder, or
// none at all) is 0 x 0 here.
#include "flash/base/smart_ptr.h"
#include "flash/movie/character_def.h"
#include "flash/render/bitmap_info.h"
#include "flash/shape/geometry.h"

namespace flash {

class movie_definition_sub;

class bitmap_character : public character_def {
public:
    // Logs the texture statistics line when m's player asks for them.
    bitmap_character(movie_definition_sub* m, bitmap_info* bitmap);

    bitmap_info* get_bitmap_info() const { return m_bitmap.get_ptr(); }
    int get_width() const { return m_bitmap ? m_bitmap->get_width() : 0; }
    int get_height() const { return m_bitmap ? m_bitmap->get_height() : 0; }

    // Inside 0..width * 20 by 0..height * 20, both ends included; NaN is outside.
    bool point_test_local(float x, float y) const override;
    rect get_bound() const override;
    // The bitmap over its whole rectangle, under the instance's world matrix, in white through
    // its world colour transform.
    void display(character* instance) override;

private:
    smart_ptr<bitmap_info> m_bitmap;
};

// The side of the texture that holds a bitmap side: the smallest power of two not below it,
// halved when the side would fill less than 0.6 of it.
int texture_side_for(int side);

}  // namespace flash
