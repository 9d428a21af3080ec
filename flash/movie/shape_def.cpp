#include "flash/movie/shape_def.h"

#include "flash/base/bx_file.h"
#include "flash/base/log.h"
#include "flash/movie/movie_definition.h"
#include "flash/movie/tag_loaders.h"
#include "flash/render/shape_drawing.h"
#include "flash/runtime/character.h"
#include "flash/swf/swf_stream.h"

namespace flash {

shape_def::shape_def() : m_shape(new shape_character_def) {}

shape_def::shape_def(shape_character_def* shape) : m_shape(shape) {}

shape_def::~shape_def() = default;

shape_character_def* shape_def::get_shape() const { return m_shape.get_ptr(); }

void shape_def::read(swf_stream* in, int tag_type, movie_definition_sub* m) {
    m_shape->read(in, tag_type, true);
    m_fill_bitmaps = fill_bitmaps();
    m_fill_bitmaps.collect(m_shape->get_fill_styles(), m);
    // Gradient textures belong to the movie: made now under its file's name and kept with it.
    if (m) {
        static const bx_string no_name;
        const bx_string& owner = in->get_input() ? in->get_input()->get_name() : no_name;
        make_gradient_bitmaps(m_shape->get_draw_fill_styles(), owner, m->get_create_bitmaps() != 0,
                              [m](bitmap_info* made) { m->add_bitmap_info(made); });
    }
}

bitmap_info* shape_def::get_fill_bitmap(int bitmap_id) const { return m_fill_bitmaps.find(bitmap_id); }

bitmap_info* shape_def::get_bitmap_texture() const {
    const array<fill_style>& fills = m_shape->get_fill_styles();
    return fills.size() > 0 ? m_fill_bitmaps.get_bitmap_texture(fills[fills.size() - 1]) : nullptr;
}

void shape_def::display(character* instance) {
    if (!instance) return;
    const matrix world = instance->get_world_matrix();
    const mesh_set* set = m_shape->get_mesh_set(world, 1.0f);
    if (!set) return;
    display_mesh_set(*set, world, instance->get_world_cxform(), m_shape->get_draw_fill_styles(), m_shape->get_line_styles(),
                     m_fill_bitmaps.lookup());
}

rect shape_def::get_bound() const { return m_shape->get_bound(); }

bool shape_def::point_test_local(float x, float y) const { return m_shape->point_test_local(x, y); }

void shape_def::write_cache_record(bx_file* out) { m_shape->output_cached_data(out); }

bool shape_def::read_cache_record(cache_reader* in) { return m_shape->input_cached_data(in); }

void shape_loader(swf_stream* in, int tag_type, movie_definition_sub* m) {
    int id = 0;
    if (!read_defined_id(in, tag_type, "shape_loader", &id)) return;
    smart_ptr<shape_def> ch(new shape_def);
    ch->read(in, tag_type, m);
    if (get_verbose_parse()) {
        log_msg("  bound rect:");
        ch->get_bound().print();
    }
    m->add_character(id, ch.get_ptr());
}

}  // namespace flash
