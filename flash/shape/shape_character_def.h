#pragma once
// The definition of a vector shape as its tag gives it: styles, an outline of paths and the
// bounds. The movie side registers it in the dictionary and draws it.
#include "flash/base/array.h"
#include "flash/base/ref_counted.h"
#include <memory>
#include <vector>

#include "flash/shape/geometry.h"
#include "flash/shape/mesh_set.h"
#include "flash/shape/path.h"
#include "flash/shape/styles.h"

namespace flash {

class bx_file;
class cache_reader;
class swf_stream;

// The matrix's largest scale, in doubles: a scale near the float range must not square into an
// infinity and so draw nothing.
double max_display_scale(const matrix& m);

class shape_character_def : public ref_counted, public tesselate::tesselating_shape {
public:
    // Meshes are cached per tolerance: a display takes the coarsest cached set that is at least as
    // fine as wanted and not more than this many times finer, else builds one at the build
    // factor of the wanted tolerance.
    static constexpr float cache_reuse_span = 3.0f;
    static constexpr float cache_build_factor = 0.75f;
    // Vertex export asks for one pixel and builds at 15 twips.
    static constexpr float vertex_tolerance = 20.0f;
    static constexpr float vertex_build_tolerance = 15.0f;
    // A matrix scale this small draws nothing.
    static constexpr float min_display_scale = 1e-6f;
    // What one shape may hold: a tag's records take a few bits an edge and a byte a style in the
    // file but 16 and over 100 bytes here, so millions of them (a compressed tag) must not be
    // taken in. A shape past either, or whose tesselation passes its limits, draws nothing.
    static constexpr int max_edges = 1 << 18;
    static constexpr int max_styles = 1 << 14;

    // SHAPEWITHSTYLE when with_style is set, else SHAPE (the outlines of a morph). Records that
    // run past the tag end stop the shape there with an ERROR; the paths read so far stay. A
    // shape past max_edges or max_styles keeps nothing and is over the limit, with one ERROR.
    void read(swf_stream* in, int tag_type, bool with_style);

    // Past a limit when read or tesselated: it draws and holds nothing from then on.
    bool is_over_limit() const { return m_over_limit; }
    // Styles, paths, bounds, stroke flags and the over-limit mark of other; the cached meshes are
    // not copied, and this shape's own are dropped (they drew the old outline).
    void copy_from(const shape_character_def& other);

    // False outside the bound (inclusive), else whether any path holds the point.
    bool point_test_local(float x, float y) const;
    const rect& get_bound() const { return m_bound; }
    // DefineShape4's edge bound and stroke flags; zero and false for the other tags.
    const rect& get_edge_bound() const { return m_edge_bound; }
    bool uses_nonscaling_strokes() const { return m_uses_nonscaling_strokes; }
    bool uses_scaling_strokes() const { return m_uses_scaling_strokes; }

    const array<fill_style>& get_fill_styles() const { return m_fill_styles; }
    // For drawing, which keeps a gradient's texture in its style.
    array<fill_style>& get_draw_fill_styles() { return m_fill_styles; }
    const array<line_style>& get_line_styles() const { return m_line_styles; }
    const array<path>& get_paths() const { return m_paths; }

    // The mesh set to draw under matrix m at the pixel scale, built when the cache holds none
    // that fits; null when the scale draws nothing.
    const mesh_set* get_mesh_set(const matrix& m, float pixel_scale);
    // The vertices of the first mesh at one pixel's tolerance.
    bool get_vertices(std::vector<point>* out);
    // Coarsest first.
    const std::vector<std::unique_ptr<mesh_set>>& get_cached_meshes() const { return m_cached_meshes; }
    void invalidate_cache() { m_cached_meshes.clear(); }
    void output_cached_data(bx_file* out) const;
    // False on a cut or malformed record (the reader says which); the cache then keeps what it
    // held, never part of the record.
    [[nodiscard]] bool input_cached_data(cache_reader* in);

    void tesselate(float error_tolerance, tesselate::trapezoid_accepter* accepter) const override;

    int get_id() const { return m_id; }
    void set_id(int id) { m_id = id; }

protected:
    array<fill_style> m_fill_styles;
    array<line_style> m_line_styles;
    array<path> m_paths;
    rect m_bound;
    rect m_edge_bound;
    bool m_uses_nonscaling_strokes = false;
    bool m_uses_scaling_strokes = false;

    // Drops everything the shape holds and marks it over the limit.
    void refuse();
    // Both style arrays of a style group; false (refused, logged) past max_styles.
    bool read_styles(swf_stream* in, int tag_type);
    // A mesh set built for this shape that passed the tesselation limits: logged once, the
    // shape refused; true when that happened.
    bool refuse_if_over_limit(const mesh_set& built);

private:
    bool m_over_limit = false;
    std::vector<std::unique_ptr<mesh_set>> m_cached_meshes;
    int m_id = -1;
};

}  // namespace flash
