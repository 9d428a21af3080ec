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
    // Two operations that do nothing and two that answer 0, in every kind of bitmap.
    virtual void reserved_op1() {}
    virtual void reserved_op2() {}
    // Sizes in pixels; a bitmap without a texture of its own answers 0 x 0.
    virtual int get_width() const { return 0; }
    virtual int get_height() const { return 0; }
    virtual int reserved_value1() const { return 0; }
    virtual int reserved_value2() const { return 0; }
    // Whether this is a texture of the device (the Direct3D handler's kind).
    virtual bool is_device_texture() const { return false; }
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
