#include "particles/curve.h"

#include <cmath>

#include "core/attr_access.h"
#include "particles/internal/attr_read.h"

namespace particle {

void Curve::read(const Attr::AttributePtr& object) {
    count = 0;
    for (auto it = Attr::attributesBegin(object); it != Attr::attributesEnd(object); ++it) {
        if (count >= kMaxPoints) break;
        const Attr::AttributePtr& point = it->second;
        if (!point || point->typeId() != Attr::TYPE_OBJECT) continue;
        points[count].time = readFloat(point, "elapsedTime");
        points[count].value = readFloat(point, "value");
        ++count;
    }
    computeSlopes();
}

void Curve::append(float time, float value) {
    if (count >= kMaxPoints) return;
    points[count].time = time;
    points[count].value = value;
    ++count;
    computeSlopes();
}

void Curve::computeSlopes() {
    if (count == 0) return;
    points[0].slope = 0.0f;
    for (uint32_t i = 1; i < count; ++i) {
        const float dt = points[i].time - points[i - 1].time;
        // Two points at the same time make a step, not an infinite slope.
        points[i].slope = dt != 0.0f ? (points[i].value - points[i - 1].value) / dt : 0.0f;
        if (!std::isfinite(points[i].slope)) points[i].slope = 0.0f;
    }
}

float Curve::evaluate(float p) const {
    if (count == 0) return 0.0f;
    for (uint32_t i = 0; i + 1 < count; ++i) {
        if (points[i].time <= p && p <= points[i + 1].time) {
            return points[i].value + (p - points[i].time) * points[i + 1].slope;
        }
    }
    return p < points[count - 1].time ? points[0].value : points[count - 1].value;
}

float Curve::valueAt(uint32_t i) const {
    if (count == 0) return 0.0f;
    return points[i < count ? i : count - 1].value;
}

bool CurveCursor::startSegment(const Curve& curve, uint32_t i, float life) {
    if (i + 1 >= curve.count || i + 1 >= Curve::kMaxPoints) return false;
    const CurvePoint& from = curve.points[i];
    const CurvePoint& to = curve.points[i + 1];
    value = from.value;
    duration = (to.time * 0.01f - from.time * 0.01f) * life;
    next = i + 1;
    rate = duration > 0.0f ? (to.value - from.value) / duration : 0.0f;
    if (!std::isfinite(rate)) rate = 0.0f;
    return true;
}

}  // namespace particle
