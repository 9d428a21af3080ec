#pragma once
// The definition of DefineMorphShape and DefineMorphShape2: a start and an end shape with paired
// styles and edges. Its own shape part is the in-between shape of the ratio last asked for, and it
// keeps one mesh set, for the ratio it was built at. Bitmap fills keep their character ids; the
// movie side resolves them.
#include <memory>

#include "flash/base/smart_ptr.h"
#include "flash/shape/shape_character_def.h"

namespace flash {

class swf_stream;

class morph2_character_def : public shape_character_def {
public:
    // One end of the morph, with its arrays open to the reader.
    struct end_shape : shape_character_def {
        using shape_character_def::refuse;
        array<fill_style>& fills() { return m_fill_styles; }
        array<line_style>& lines() { return m_line_styles; }
        rect& bound() { return m_bound; }
    };

    morph2_character_def();
    ~morph2_character_def() override;

    // The tag body after the character id.
    void read(swf_stream* in, int tag_type);

    // The in-between shape for ratio t (0 start, 1 end). When the two outlines do not pair edge
    // for edge, every ratio gives the start shape.
    void set_ratio(float t);
    // The mesh set of ratio t at the tolerance (twips), built when t differs from the ratio of the
    // one kept; a tolerance change alone keeps it. Null for a tolerance that is not positive
    // and finite.
    const mesh_set* get_ratio_mesh_set(float t, float error_tolerance);

    const shape_character_def& get_start() const { return *m_start; }
    const shape_character_def& get_end() const { return *m_end; }
    uint32_t get_end_edges_offset() const { return m_end_edges_offset; }
    float get_last_ratio() const { return m_last_ratio; }
    bool get_edges_match() const { return m_edges_match; }

private:
    void read_morph_fill_style(swf_stream* in, fill_style* start, fill_style* end);
    void read_morph_line_style(swf_stream* in, int tag_type, line_style* start, line_style* end);
    void size_in_between();
    // Past max_styles: logged, and the morph holds nothing.
    void refuse_styles();

    smart_ptr<end_shape> m_start;
    smart_ptr<end_shape> m_end;
    uint32_t m_end_edges_offset = 0;
    float m_last_ratio = -1.0f;
    std::unique_ptr<mesh_set> m_mesh;
    // The ratio the in-between arrays hold (NaN before the first).
    float m_shape_ratio;
    bool m_edges_match = true;
};

}  // namespace flash
