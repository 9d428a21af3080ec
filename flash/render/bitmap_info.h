#pragma once
// Texture handles. The engine asks the installed render handler (render_handler.h) for a
// bitmap_info per decoded picture, under the name of the movie file the picture came from.
// Without a handler every bitmap is a bogus_bi: a 0 x 0 placeholder, so that loaders and their
// users always hold a usable object.
#include "flash/base/bx_string.h"
#include "flash/base/ref_counted.h"
#include "flash/render/render_handler.h"

namespace flash {

class bitmap_info : public ref_counted {
public:
    // Sizes in pixels; a bitmap without a texture of its own answers 0 x 0.
    virtual int get_width() const { return 0; }
    virtual int get_height() const { return 0; }
};

namespace render {

// The placeholder handed out when no handler is installed.
class bogus_bi : public bitmap_info {};

// Always a new placeholder; null only when memory runs out.
bitmap_info* create_bogus_bitmap_info();
// The handler's alpha bitmap, or a new placeholder without a handler.
bitmap_info* create_bitmap_info_alpha(int width, int height, const uint8_t* data,
                                      const bx_string& owner_name);

}  // namespace render

}  // namespace flash
