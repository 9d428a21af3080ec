#pragma once
// Gathers the trapezoids of one fill style into triangle strips: a trapezoid whose top edge is
// the bottom edge of an open strip continues it, and at the end all strips are joined into one
// with degenerate triangles, so a style costs one draw call.
#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "flash/shape/geometry.h"

namespace flash {

class tri_stripper {
public:
    // Points left and right at the top (l0, r0) and at the bottom (l1, r1).
    void add_trapezoid(const point& l0, const point& r0, const point& l1, const point& r1);
    // All strips as one; empty when none was added.
    std::vector<point> join() const;
    int get_strip_count() const { return static_cast<int>(m_strips.size()); }

private:
    // The raw bits of a strip's last two points: continuation is exact, never approximate.
    struct end_key {
        uint32_t bits[4];
        bool operator==(const end_key& o) const;
    };
    struct end_key_hash {
        std::size_t operator()(const end_key& k) const;
    };
    static end_key key_of(const point& left, const point& right);

    std::vector<std::vector<point>> m_strips;
    // Open strips by their last two points; looked up in constant time so that many trapezoids
    // cost linear time, not a scan of every strip per trapezoid.
    std::unordered_map<end_key, std::vector<int>, end_key_hash> m_open_ends;
};

}  // namespace flash
