#include "flash/movie/shape_def.h"

#include "flash/base/log.h"
#include "flash/movie/bitmap_character.h"
#include "flash/movie/movie_definition.h"
#include "flash/render/shape_drawing.h"
#include "flash/runtime/character.h"
#include "flash/swf/swf_stream.h"

namespace flash {

// The drawing routine needs the fill styles writable (a gradient keeps its texture there).
struct shape_def::drawn_shape : shape_character_def {
    array<fill_style>& fills() { return m_fill_styles; }
};

shape_def::shape_def() : m_shape(new drawn_shape) {}

shape_def::~shape_def() = default;

shape_character_def* shape_def::get_shape() const { return m_shape.get_ptr(); }

void shape_def::read(swf_stream* in, int tag_type, movie_definition_sub* m) {
    m_shape->read(in, tag_type, true);
    m_fill_bitmaps.clear();
    if (!m) return;
    const array<fill_style>& fills = m_shape->get_fill_styles();
    for (int i = 0; i < fills.size(); ++i) {
        const fill_style& f = fills[i];
        if (!f.is_bitmap() || get_fill_bitmap(f.m_bitmap_id)) continue;
        bitmap_character* bc = m->get_bitmap_character_def(f.m_bitmap_id);
        if (bc && bc->get_bitmap_info()) m_fill_bitmaps.emplace_back(f.m_bitmap_id, bc->get_bitmap_info());
    }
}

bitmap_info* shape_def::get_fill_bitmap(int bitmap_id) const {
    for (const auto& entry : m_fill_bitmaps) {
        if (entry.first == bitmap_id) return entry.second.get_ptr();
    }
    return nullptr;
}

void shape_def::display(character* instance) {
    if (!instance) return;
    const matrix world = instance->get_world_matrix();
    const mesh_set* set = m_shape->get_mesh_set(world, 1.0f);
    if (!set) return;
    display_mesh_set(*set, world, instance->get_world_cxform(), m_shape->fills(), m_shape->get_line_styles(),
                     [this](int id) { return get_fill_bitmap(id); });
}

rect shape_def::get_bound() const { return m_shape->get_bound(); }

bool shape_def::point_test_local(float x, float y) const { return m_shape->point_test_local(x, y); }

void shape_loader(swf_stream* in, int tag_type, movie_definition_sub* m) {
    const int id = in->read_u16();
    if (in->has_overrun()) {
        log_error("error: shape_loader: tag %d ends before its character id\n", tag_type);
        return;
    }
    if (get_verbose_parse()) log_msg("  shape_loader: id = %d\n", id);
    smart_ptr<shape_def> ch(new shape_def);
    ch->read(in, tag_type, m);
    if (get_verbose_parse()) {
        log_msg("  bound rect:");
        ch->get_bound().print();
    }
    m->add_character(id, ch.get_ptr());
}

}  // namespace flash
