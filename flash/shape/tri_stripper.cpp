#include "flash/shape/tri_stripper.h"

#include <cstring>

namespace flash {

namespace {

// Joining compares by value, so -0 meets +0.
bool same_point(const point& a, const point& b) { return a.m_x == b.m_x && a.m_y == b.m_y; }

}  // namespace

bool tri_stripper::end_key::operator==(const end_key& o) const { return std::memcmp(bits, o.bits, sizeof bits) == 0; }

size_t tri_stripper::end_key_hash::operator()(const end_key& k) const {
    uint64_t h = 1469598103934665603ull;
    for (uint32_t b : k.bits) h = (h ^ b) * 1099511628211ull;
    return static_cast<size_t>(h);
}

tri_stripper::end_key tri_stripper::key_of(const point& left, const point& right) {
    end_key k;
    std::memcpy(&k.bits[0], &left.m_x, sizeof(float));
    std::memcpy(&k.bits[1], &left.m_y, sizeof(float));
    std::memcpy(&k.bits[2], &right.m_x, sizeof(float));
    std::memcpy(&k.bits[3], &right.m_y, sizeof(float));
    return k;
}

void tri_stripper::add_trapezoid(const point& l0, const point& r0, const point& l1, const point& r1) {
    const end_key top = key_of(l0, r0);
    const bool pointed_top = std::memcmp(&top.bits[0], &top.bits[2], 2 * sizeof(uint32_t)) == 0;
    if (!pointed_top) {
        auto found = m_open_ends.find(top);
        if (found != m_open_ends.end() && !found->second.empty()) {
            const int index = found->second.back();
            found->second.pop_back();
            if (found->second.empty()) m_open_ends.erase(found);
            m_strips[index].push_back(l1);
            m_strips[index].push_back(r1);
            m_open_ends[key_of(l1, r1)].push_back(index);
            return;
        }
    }
    m_strips.push_back({l0, r0, l1, r1});
    m_open_ends[key_of(l1, r1)].push_back(static_cast<int>(m_strips.size()) - 1);
}

std::vector<point> tri_stripper::join() const {
    std::vector<point> big;
    if (m_strips.empty()) return big;
    big = m_strips[0];
    for (size_t i = 1; i < m_strips.size(); ++i) {
        const std::vector<point>& s = m_strips[i];
        const point last = big[big.size() - 1];
        const point before_last = big[big.size() - 2];
        if (same_point(s[1], last) && same_point(s[0], before_last)) {
            big.insert(big.end(), s.begin() + 2, s.end());
        } else if (same_point(s[0], last) && same_point(s[1], before_last)) {
            big.push_back(before_last);
            big.insert(big.end(), s.begin() + 2, s.end());
        } else {
            // Repeated points make degenerate triangles that bridge the two strips.
            big.push_back(last);
            big.push_back(s[0]);
            big.insert(big.end(), s.begin(), s.end());
        }
    }
    return big;
}

}  // namespace flash
