#include "flash/movie/fill_bitmaps.h"

#include "flash/movie/bitmap_character.h"
#include "flash/movie/movie_definition.h"

namespace flash {

void fill_bitmaps::collect(const array<fill_style>& styles, movie_definition_sub* m) {
    if (!m) return;
    for (int i = 0; i < styles.size(); ++i) {
        const fill_style& f = styles[i];
        if (!f.is_bitmap() || find(f.m_bitmap_id)) continue;
        bitmap_character* bc = m->get_bitmap_character_def(f.m_bitmap_id);
        if (bc && bc->get_bitmap_info()) m_bitmaps.emplace_back(f.m_bitmap_id, bc->get_bitmap_info());
    }
}

bitmap_info* fill_bitmaps::find(int bitmap_id) const {
    for (const auto& entry : m_bitmaps) {
        if (entry.first == bitmap_id) return entry.second.get_ptr();
    }
    return nullptr;
}

bitmap_info* fill_bitmaps::get_bitmap_texture(const fill_style& style) const {
    if (!style.is_bitmap()) return nullptr;
    bitmap_info* bitmap = find(style.m_bitmap_id);
    return bitmap && bitmap->is_device_texture() ? bitmap : nullptr;
}

}  // namespace flash
