#include "flash/render/bitmap_info.h"

#include <new>

namespace flash {

namespace render {

bitmap_info* create_bogus_bitmap_info() { return new (std::nothrow) bogus_bi; }

bitmap_info* create_bitmap_info_alpha(int width, int height, const uint8_t* data,
                                      const bx_string& owner_name) {
    render_handler* handler = get_render_handler();
    if (!handler) return create_bogus_bitmap_info();
    return handler->create_bitmap_info_alpha(width, height, data, owner_name);
}

}  // namespace render

}  // namespace flash
