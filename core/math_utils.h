#pragma once
// Small numeric helpers of the game: vectors, colour packing, per-degree sine and cosine tables,
// areas and hit tests in the plane, angle helpers and an ease curve.
#include <cstdint>
#include <vector>

struct Vector2 {
    float x = 0, y = 0;
};

struct Vector3 {
    float x = 0, y = 0, z = 0;

    Vector3() = default;
    Vector3(float x_, float y_, float z_) : x(x_), y(y_), z(z_) {}

    Vector3 operator-() const { return {-x, -y, -z}; }
    Vector3 operator+(const Vector3& o) const { return {x + o.x, y + o.y, z + o.z}; }
    Vector3 operator-(const Vector3& o) const { return {x - o.x, y - o.y, z - o.z}; }
    Vector3 operator*(float s) const { return {x * s, y * s, z * s}; }
    Vector3& operator*=(float s) {
        x *= s, y *= s, z *= s;
        return *this;
    }
    float dot(const Vector3& o) const { return x * o.x + y * o.y + z * o.z; }
    // a × b
    Vector3 cross(const Vector3& o) const { return {y * o.z - z * o.y, z * o.x - x * o.z, x * o.y - y * o.x}; }
    float lengthSquared() const { return dot(*this); }
    float length() const;
    bool isZero() const { return lengthSquared() < 1e-12f; }
    Vector3 normalized() const;
    // Divides by `length` only when it is above 1e-6; returns `length`.
    float normalize(float length);
};

struct Vector4 {
    float x = 0, y = 0, z = 0, w = 1;

    Vector4() = default;
    Vector4(float x_, float y_, float z_, float w_) : x(x_), y(y_), z(z_), w(w_) {}
    explicit Vector4(const Vector3& v, float w_ = 1.0f) : x(v.x), y(v.y), z(v.z), w(w_) {}
    // Exact per component; NaN is unequal.
    bool operator==(const Vector4& o) const { return x == o.x && y == o.y && z == o.z && w == o.w; }
    bool operator!=(const Vector4& o) const { return !(*this == o); }
};

// Components 0..1.
struct ColorF {
    float r = 0, g = 0, b = 0, a = 0;
};

extern float g_sinTable[360];
extern float g_cosTable[360];
void initSinCosTables();

// Returns the length; the vector is normalised only when that is above 1e-6.
float normalizeVector3(Vector3& v);
void copyVector3(Vector3& destination, const Vector3& source);
// a << 24 | r << 16 | g << 8 | b, each component clamped to 0..1 (NaN as 0), × 255 rounded to
// nearest with ties to even.
uint32_t colorToARGB(const ColorF& c);
// r << 24 | g << 16 | b << 8 | a, each component as for colorToARGB.
uint32_t colorToRGBA(const ColorF& c);

// Heron's formula over three points of three floats each; 0 when a point is missing.
float triangleArea(const float* a, const float* b, const float* c);
// Crossing test in the x/z plane; edges with |Δz| < 1e-6 are parallel to the ray.
bool pointInPolygon(const Vector3& point, const std::vector<Vector3>& polygon);
// The same test without the parallel-edge guard; an empty polygon gives false.
bool crossingTestXZ(const Vector3& point, const std::vector<Vector3>& polygon);
// The whole parts of the three sub-areas summed must not exceed the whole part of the area.
bool pointInTriangle(const float* point, const float* a, const float* b, const float* c);

// Radians; 0 when either vector is (nearly) zero.
float angleBetween(const Vector3& a, const Vector3& b);
float angleXZ(const Vector3& v);
float angleYZ(const Vector3& v);
float angleXY(const Vector3& v);

float roundToEven(float v);
// The float nearest to `v`, a value beyond the float range (infinity included) giving the largest
// float of its sign instead of infinity; NaN stays NaN.
float toFloatInRange(double v);
// Wraps into [0, 2π]; a value within 0.001 of 2π becomes 0.
float& wrapAngle(float& a);
// Arc lengths from a to b both ways round; equal angles leave the outputs untouched.
void arcDistances(float a, float b, float& d1, float& d2);
// Segments P1P2 and P3P4 in the plane; true with the crossing point when they meet.
bool segmentIntersection(const Vector2& p1, const Vector2& p2, const Vector2& p3, const Vector2& p4,
                         Vector2& intersection);
// Distance of q from the infinite line through a and b; 0 when a and b (nearly) coincide.
float distanceToLine(const Vector2& a, const Vector2& b, const Vector2& q);
// The points of `a` with a point of `b` closer than `threshold`, in order; with `extend` also the
// neighbours before the first and after the last (wrapping). True when any was found.
bool nearPoints(const std::vector<Vector2>& a, const std::vector<Vector2>& b, float threshold, bool extend,
                std::vector<Vector2>& out);
// Sine ease-in up to a, linear to b, sine ease-out after b; 0 at t = 0 and 1 at t = 1.
float easeCurve(float t, float a, float b);
