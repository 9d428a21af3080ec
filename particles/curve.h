#pragma once
// Values over the life of a particle or of a particle system: up to 16 points {time in percent,
// value, slope}, read from a description and evaluated either directly or through a cursor that
// walks the segments in seconds.
#include <cstdint>

#include "core/attr_tree.h"

namespace particle {

struct CurvePoint {
    float time = 0.0f;   // percent of the life the curve is applied to
    float value = 0.0f;
    float slope = 0.0f;  // towards this point from the previous one; 0 for point 0
};

struct Curve {
    static constexpr uint32_t kMaxPoints = 16;

    CurvePoint points[kMaxPoints];
    uint32_t count = 0;

    // Fills the curve from an object whose children are points ("elapsedTime", "value"); points
    // past the 16th are ignored. An absent or empty object leaves a curve without points.
    void read(const Attr::AttributePtr& object);
    // Appends a point (ignored when the curve is full) and recomputes the slopes.
    void append(float time, float value);
    void computeSlopes();
    void clear() { count = 0; }

    // The value at p percent. A curve without points is 0 everywhere.
    float evaluate(float p) const;
    // Point i's value, or that of the last point when there are fewer (0 without points).
    float valueAt(uint32_t i) const;
};

// Follows one segment of a curve in seconds.
struct CurveCursor {
    float value = 0.0f;
    float rate = 0.0f;       // change per second
    float duration = 0.0f;   // seconds left of the segment
    uint32_t next = 0;       // index of the point the segment runs to

    // Starts segment i (point i to point i + 1) for a life of `life` seconds; false (nothing
    // changes) when point i + 1 does not exist. A segment without duration has no rate.
    bool startSegment(const Curve& curve, uint32_t i, float life);
};

}  // namespace particle
