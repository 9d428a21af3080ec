#include "flash/movie/bitmap_character.h"

#include "flash/base/log.h"
#include "flash/movie/movie_definition.h"
#include "flash/movie/player.h"
#include "flash/render/render_dispatch.h"
#include "flash/runtime/character.h"

namespace flash {

namespace {

// Below this share of the power-of-two side the texture is made one step smaller.
constexpr float texture_fill_threshold = 0.6f;
constexpr int bytes_per_kb = 1024;
// The number the statistics line gives every bitmap.
constexpr int statistics_bitmap_number = 1;

void log_texture_statistics(player* owner, int width, int height) {
    const int p2w = texture_side_for(width);
    const int p2h = texture_side_for(height);
    const int kb = static_cast<int>(static_cast<int64_t>(p2w) * p2h / bytes_per_kb);
    const int total = owner->add_bitmap_texture_kb(kb);
    log_msg("bitmap #%04d: w=%d, h=%d, p2w=%d, p2h=%d, mem=%dK, total=%dK\n", statistics_bitmap_number, width,
            height, p2w, p2h, kb, total);
}

}  // namespace

int texture_side_for(int side) {
    if (side <= 0) return 0;
    int p2 = 1;
    while (p2 < side && p2 < (1 << 30)) p2 <<= 1;
    if (static_cast<float>(side) / static_cast<float>(p2) < texture_fill_threshold) p2 >>= 1;
    return p2;
}

bitmap_character::bitmap_character(movie_definition_sub* m, bitmap_info* bitmap) : m_bitmap(bitmap) {
    player* owner = m ? m->get_player() : nullptr;
    if (owner && owner->get_bitmap_statistics()) log_texture_statistics(owner, get_width(), get_height());
}

bool bitmap_character::point_test_local(float x, float y) const {
    // Written so that a NaN coordinate fails every comparison.
    return x >= 0.0f && x <= get_width() * twips_per_pixel && y >= 0.0f &&
           y <= get_height() * twips_per_pixel;
}

rect bitmap_character::get_bound() const {
    rect r;
    r.m_x_max = get_width() * twips_per_pixel;
    r.m_y_max = get_height() * twips_per_pixel;
    return r;
}

void bitmap_character::display(character* instance) {
    if (!instance || !m_bitmap) return;
    const rgba white(255, 255, 255, 255);
    rect whole_texture;
    whole_texture.m_x_max = 1.0f;
    whole_texture.m_y_max = 1.0f;
    render::draw_bitmap(instance->get_world_matrix(), m_bitmap.get_ptr(), get_bound(), whole_texture,
                        instance->get_world_cxform().transform(white));
}

}  // namespace flash
