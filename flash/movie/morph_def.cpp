#include "flash/movie/morph_def.h"

#include <algorithm>

#include "flash/base/log.h"
#include "flash/movie/movie_definition.h"
#include "flash/movie/tag_loaders.h"
#include "flash/render/shape_drawing.h"
#include "flash/runtime/character.h"
#include "flash/swf/swf_stream.h"

namespace flash {

namespace {

// A morph's one mesh set is built finer than the display asks, like a shape's.
constexpr float morph_build_factor = 0.75f;

}  // namespace

morph_def::morph_def() : m_morph(new morph2_character_def) {}

morph_def::~morph_def() = default;

void morph_def::read(swf_stream* in, int tag_type, movie_definition_sub* m) {
    m_morph->read(in, tag_type);
    m_fill_bitmaps = fill_bitmaps();
    m_fill_bitmaps.collect(m_morph->get_start().get_fill_styles(), m);
}

void morph_def::display(character* instance) {
    if (!instance) return;
    const matrix world = instance->get_world_matrix();
    const double scale = max_display_scale(world);
    if (!(scale >= shape_character_def::min_display_scale)) return;
    // Drawn at the tolerance of its scale when built; a later change of scale alone keeps it.
    // The tesselator stops flattening at its own finest tolerance.
    const float tolerance =
        std::max(tesselate::min_tolerance, static_cast<float>(twips_per_pixel / scale * morph_build_factor));
    const mesh_set* set = m_morph->get_ratio_mesh_set(instance->get_ratio(), tolerance);
    if (!set) return;
    display_mesh_set(*set, world, instance->get_world_cxform(), m_morph->get_draw_fill_styles(),
                     m_morph->get_line_styles(), m_fill_bitmaps.lookup());
}

rect morph_def::get_bound() const { return m_morph->get_bound(); }

bool morph_def::point_test_local(float x, float y) const { return m_morph->point_test_local(x, y); }

void morph_def::write_cache_record(bx_file* out) { m_morph->output_cached_data(out); }

bool morph_def::read_cache_record(cache_reader* in) { return m_morph->input_cached_data(in); }

void morph_loader(swf_stream* in, int tag_type, movie_definition_sub* m) {
    int id = 0;
    if (!read_defined_id(in, tag_type, "shape_morph_loader", &id)) return;
    smart_ptr<morph_def> ch(new morph_def);
    ch->read(in, tag_type, m);
    m->add_character(id, ch.get_ptr());
}

}  // namespace flash
