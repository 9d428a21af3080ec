// The shape's mesh cache by tolerance band, and its record in cache files.
#include <algorithm>
#include <cmath>

#include "flash/base/bx_file.h"
#include "flash/base/log.h"
#include "flash/shape/cache_reader.h"
#include "flash/shape/shape_character_def.h"

namespace flash {

namespace {

// A cache file's mesh-set count is refused beyond this before anything is allocated.
constexpr int32_t max_cached_mesh_sets = 1024;
// A mesh set's tolerance and layer count.
constexpr int min_mesh_set_bytes = 8;

bool coarser_first(const std::unique_ptr<mesh_set>& a, const std::unique_ptr<mesh_set>& b) {
    return a->get_tolerance() > b->get_tolerance();
}

}  // namespace

double max_display_scale(const matrix& m) {
    const double row0 = static_cast<double>(m.m_[0][0]) * m.m_[0][0] + static_cast<double>(m.m_[0][1]) * m.m_[0][1];
    const double row1 = static_cast<double>(m.m_[1][0]) * m.m_[1][0] + static_cast<double>(m.m_[1][1]) * m.m_[1][1];
    return std::sqrt(std::max(row0, row1));
}

void shape_character_def::tesselate(float error_tolerance, tesselate::trapezoid_accepter* accepter) const {
    // A shape cut before its first record has no paths, and no first element to point at.
    const path* first = m_paths.size() > 0 ? &m_paths[0] : nullptr;
    tesselate::tesselate_paths(first, m_paths.size(), m_fill_styles.size(), m_line_styles.size(), error_tolerance,
                               accepter);
}

void shape_character_def::refuse() {
    m_over_limit = true;
    m_paths.clear();
    m_fill_styles.clear();
    m_line_styles.clear();
    m_cached_meshes.clear();
}

bool shape_character_def::refuse_if_over_limit(const mesh_set& built) {
    if (!built.is_over_limit()) return false;
    log_error("error: shape %d needs more than %lld %s to be drawn; it is not drawn\n", m_id, built.refused_limit(),
              built.refused_for());
    refuse();
    return true;
}

const mesh_set* shape_character_def::get_mesh_set(const matrix& m, float pixel_scale) {
    if (m_over_limit) return nullptr;
    const double scale = max_display_scale(m);
    if (!(scale >= min_display_scale)) return nullptr;
    const float wanted = static_cast<float>((twips_per_pixel / scale) / pixel_scale * get_curve_max_pixel_error());
    // A zero or NaN pixel scale, or a tolerance past the float range, has nothing sensible to build.
    if (!(wanted > 0.0f) || !std::isfinite(wanted)) return nullptr;

    for (const std::unique_ptr<mesh_set>& cached : m_cached_meshes) {
        if (cached->get_tolerance() * cache_reuse_span < wanted) break;
        if (cached->get_tolerance() < wanted) return cached.get();
    }
    m_cached_meshes.push_back(std::make_unique<mesh_set>(this, wanted * cache_build_factor));
    const mesh_set* built = m_cached_meshes.back().get();
    if (refuse_if_over_limit(*built)) return nullptr;
    std::stable_sort(m_cached_meshes.begin(), m_cached_meshes.end(), coarser_first);
    return built;
}

bool shape_character_def::get_vertices(std::vector<point>* out) {
    if (m_over_limit) return false;
    for (const std::unique_ptr<mesh_set>& cached : m_cached_meshes) {
        if (cached->get_tolerance() * cache_reuse_span < vertex_tolerance) break;
        if (cached->get_tolerance() < vertex_tolerance) return cached->get_vertices(out);
    }
    // Appended without sorting again: a later display sorts the cache.
    m_cached_meshes.push_back(std::make_unique<mesh_set>(this, vertex_build_tolerance));
    if (refuse_if_over_limit(*m_cached_meshes.back())) return false;
    return m_cached_meshes.back()->get_vertices(out);
}

void shape_character_def::output_cached_data(bx_file* out) const {
    out->write_le32(static_cast<uint32_t>(m_cached_meshes.size()));
    for (const std::unique_ptr<mesh_set>& cached : m_cached_meshes) cached->output_cached_data(out);
}

bool shape_character_def::input_cached_data(cache_reader* in) {
    int32_t count = 0;
    if (!in->read_count(max_cached_mesh_sets, min_mesh_set_bytes, &count)) return false;
    // Read aside: a damaged record leaves the meshes the shape had.
    std::vector<std::unique_ptr<mesh_set>> sets;
    sets.reserve(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i) {
        auto set = std::make_unique<mesh_set>();
        if (!set->input_cached_data(in)) return false;
        sets.push_back(std::move(set));
    }
    // The display's search stops early only over a cache ordered coarsest first.
    std::stable_sort(sets.begin(), sets.end(), coarser_first);
    m_cached_meshes = std::move(sets);
    return true;
}

}  // namespace flash
