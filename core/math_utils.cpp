#include "core/math_utils.h"

#include <cmath>

namespace {
constexpr float kTwoPi = 6.2831855f;
constexpr float kPi = 3.14159265358979f;
}  // namespace

float g_sinTable[360];
float g_cosTable[360];

float Vector3::length() const { return std::sqrt(lengthSquared()); }

Vector3 Vector3::normalized() const {
    Vector3 v = *this;
    normalizeVector3(v);
    return v;
}

float Vector3::normalize(float len) {
    if (len > 1e-6f) *this *= 1.0f / len;
    return len;
}

void initSinCosTables() {
    for (int i = 0; i < 360; ++i) {
        // The degree factor is the single-precision pi/180, multiplied in double.
        const double angle = i * static_cast<double>(0.017453292f);
        g_sinTable[i] = static_cast<float>(std::sin(angle));
        g_cosTable[i] = static_cast<float>(std::cos(angle));
    }
}

float normalizeVector3(Vector3& v) { return v.normalize(v.length()); }

void copyVector3(Vector3& destination, const Vector3& source) { destination = source; }

namespace {
// Nearest integer, ties to even, of the component clamped to 0..1 first, so an overshoot packs as
// the nearest end instead of wrapping round the byte; NaN packs as 0.
uint32_t channel(float c) {
    if (!(c > 0.0f)) return 0;
    if (c >= 1.0f) return 0xFF;
    return static_cast<uint32_t>(std::lrint(static_cast<double>(c) * 255.0));
}
}  // namespace

uint32_t colorToARGB(const ColorF& c) {
    return channel(c.a) << 24 | channel(c.r) << 16 | channel(c.g) << 8 | channel(c.b);
}

uint32_t colorToRGBA(const ColorF& c) {
    return channel(c.r) << 24 | channel(c.g) << 16 | channel(c.b) << 8 | channel(c.a);
}

namespace {
float distance3(const float* p, const float* q) {
    const float dx = p[0] - q[0], dy = p[1] - q[1], dz = p[2] - q[2];
    return std::sqrt(dx * dx + dy * dy + dz * dz);
}
}  // namespace

float triangleArea(const float* a, const float* b, const float* c) {
    if (!a || !b || !c) return 0.0f;
    const float ab = distance3(a, b), ac = distance3(a, c), bc = distance3(b, c);
    const float s = (ab + ac + bc) * 0.5f;
    return std::sqrt(std::fabs(s * (s - ab) * (s - ac) * (s - bc)));
}

namespace {
// Counts the edges crossed by the ray from the point towards +x in the x/z plane. With `guard`,
// edges whose ends differ in z by less than 1e-6 are taken as parallel to the ray.
bool crossesOddly(const Vector3& point, const std::vector<Vector3>& polygon, bool guard) {
    bool inside = false;
    const size_t n = polygon.size();
    for (size_t i = 0, j = n - 1; i < n; j = i++) {
        const Vector3& pi = polygon[i];
        const Vector3& pj = polygon[j];
        if ((pi.z > point.z) == (pj.z > point.z)) continue;
        const float dz = pj.z - pi.z;
        if (guard && std::fabs(dz) < 1e-6f) continue;
        if (point.x < (pj.x - pi.x) * (point.z - pi.z) / dz + pi.x) inside = !inside;
    }
    return inside;
}
}  // namespace

bool pointInPolygon(const Vector3& point, const std::vector<Vector3>& polygon) {
    return crossesOddly(point, polygon, true);
}

bool crossingTestXZ(const Vector3& point, const std::vector<Vector3>& polygon) {
    return crossesOddly(point, polygon, false);
}

bool pointInTriangle(const float* point, const float* a, const float* b, const float* c) {
    if (!point || !a || !b || !c) return false;
    const float whole = std::trunc(triangleArea(a, b, c));
    const float parts = std::trunc(triangleArea(point, a, b)) + std::trunc(triangleArea(point, b, c)) +
                        std::trunc(triangleArea(point, c, a));
    return parts <= whole;
}

float angleBetween(const Vector3& a, const Vector3& b) {
    Vector3 na = a, nb = b;
    if (normalizeVector3(na) <= 1e-6f || normalizeVector3(nb) <= 1e-6f) return 0.0f;
    float d = na.dot(nb);
    d = d < -1.0f ? -1.0f : (d > 1.0f ? 1.0f : d);
    return std::acos(d);
}

namespace {
float planeAngle(float along, float other, bool negate) {
    const float len = std::sqrt(along * along + other * other);
    if (len <= 1e-6f) return 0.0f;
    float r = along / len;
    r = r < -1.0f ? -1.0f : (r > 1.0f ? 1.0f : r);
    const float angle = std::acos(r);
    return negate ? -angle : angle;
}
}  // namespace

float angleXZ(const Vector3& v) { return planeAngle(v.z, v.x, v.x < 0); }
float angleYZ(const Vector3& v) { return planeAngle(v.y, v.z, v.z < 0); }
float angleXY(const Vector3& v) { return planeAngle(v.x, v.y, v.y < 0); }

float roundToEven(float v) { return std::nearbyint(v); }

float toFloatInRange(double v) {
    constexpr double kLargest = 3.4028234663852886e38;  // FLT_MAX
    if (v > kLargest) return static_cast<float>(kLargest);
    if (v < -kLargest) return static_cast<float>(-kLargest);
    return static_cast<float>(v);
}

float& wrapAngle(float& a) {
    if (!std::isfinite(a)) return a;  // would never leave the loops below
    if (std::fabs(a - kTwoPi) < 0.001f) {
        a = 0.0f;
        return a;
    }
    // A large angle is reduced first, so the stepping below takes at most a few turns.
    if (std::fabs(a) > 1000.0f * kTwoPi) a = std::fmod(a, kTwoPi);
    while (a < 0.0f) a += kTwoPi;
    while (a > kTwoPi) a -= kTwoPi;
    return a;
}

void arcDistances(float a, float b, float& d1, float& d2) {
    if (a < b) {
        d1 = b - a;
        d2 = a + kTwoPi - b;
    } else if (a > b) {
        d2 = a - b;
        d1 = b + kTwoPi - a;
    }
}

bool segmentIntersection(const Vector2& p1, const Vector2& p2, const Vector2& p3, const Vector2& p4,
                         Vector2& intersection) {
    const Vector2 d1{p2.x - p1.x, p2.y - p1.y};
    const Vector2 d2{p4.x - p3.x, p4.y - p3.y};
    const Vector2 e{p4.x - p1.x, p4.y - p1.y};
    const float den = d1.y * d2.x - d1.x * d2.y;
    if (std::fabs(den) <= 0.001f) return false;
    const float t1 = (e.y * d2.x - e.x * d2.y) / den;
    const float t2 = (e.x * d1.y - e.y * d1.x) / den;
    const auto inRange = [](float t) { return t >= -0.001f && t <= 1.001f; };
    if (!inRange(t1) || !inRange(t2)) return false;
    intersection = {p1.x + t1 * d1.x, p1.y + t1 * d1.y};
    return true;
}

float distanceToLine(const Vector2& a, const Vector2& b, const Vector2& q) {
    const float len = std::hypot(a.x - b.x, a.y - b.y);
    if (len < 0.0001f) return 0.0f;
    return std::fabs(a.y * b.x - b.y * a.x + q.y * (a.x - b.x) + q.x * (b.y - a.y)) / len;
}

bool nearPoints(const std::vector<Vector2>& a, const std::vector<Vector2>& b, float threshold, bool extend,
                std::vector<Vector2>& out) {
    out.clear();
    size_t first = a.size(), last = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        for (const Vector2& q : b) {
            if (std::hypot(a[i].x - q.x, a[i].y - q.y) < threshold) {
                out.push_back(a[i]);
                if (first == a.size()) first = i;
                last = i;
                break;
            }
        }
    }
    if (extend && !out.empty() && a.size() >= 2) {
        const size_t before = first == 0 ? a.size() - 2 : first - 1;
        const size_t after = last == a.size() - 1 ? 1 : last + 1;
        out.insert(out.begin(), a[before]);
        out.push_back(a[after]);
    }
    return !out.empty();
}

float easeCurve(float t, float a, float b) {
    const float k = 2.0f / kPi;
    const float total = a * k + (b - a) + (1.0f - b) * k;
    if (t < a) return a * k * (1.0f + std::sin(t / a * kPi / 2.0f - kPi / 2.0f)) / total;
    if (t < b) return (a * k + t - a) / total;
    return (a * k + b - a + (1.0f - b) * k * std::sin((t - b) / (1.0f - b) * kPi / 2.0f)) / total;
}
