#pragma once
// One running particle system: an element of the effect manager's pool with room for 1,024
// particles, driven by its shared description.
#include <cstdint>
#include <string>
#include <vector>

#include "core/math_utils.h"
#include "particles/curve.h"
#include "particles/particle_system_info.h"

namespace particle {

class QuadBatcher;

struct Particle {
    float x = 0.0f, y = 0.0f;
    float originX = 0.0f, originY = 0.0f;  // the system position at birth
    float velocityX = 0.0f, velocityY = 0.0f;
    float angle = 0.0f;                    // spin, or the direction for effect kind 4
    float size = 0.0f;
    uint32_t color = 0;                    // alpha in the top byte, then red, green, blue
    float age = 0.0f;
    float life = 0.0f;
};

class ParticleSystem {
public:
    static constexpr uint32_t kMaxParticles = 1024;
    static constexpr float kEmissionOver = -2.0f;
    static constexpr float kEndless = -1.0f;

    ParticleSystem() = default;
    ParticleSystem(const ParticleSystem&) = delete;
    ParticleSystem& operator=(const ParticleSystem&) = delete;

    // Everything back to zero (a system taken from the pool).
    void clear();
    // Takes the named description and resets the system for it; false, with an ERROR, when the
    // description cannot be had.
    bool GetParticleSystemInfo(const std::string& name);

    void update(float dt);
    void draw(QuadBatcher& batcher) const;

    void start(float x, float y);
    // start without placing the system: age, path and cursors begin again.
    void restart();
    void moveTo(float x, float y);
    void stopEmission(bool clear);
    // Returns the system to the manager's pool.
    void stop();
    bool isActive() const { return m_active; }
    void setPosition(float x, float y);
    void setAlpha(int alpha);
    void setBoundsQuad(const Vector2 corners[4]);
    // n points given as pairs along two edges (n even, at least 3); others are ignored.
    void setBoundsPolygon(const std::vector<Vector2>& points);

    float age() const { return m_age; }
    uint32_t particleCount() const { return m_count; }
    const Particle& particle(uint32_t i) const { return m_particles[i]; }
    Vector2 position() const { return m_position; }
    Vector2 basePosition() const { return m_basePosition; }
    float alphaFactor() const { return m_alphaFactor; }
    float emissionRemainder() const { return m_remainder; }
    const ParticleSystemInfoPtr& info() const { return m_info; }
    const std::vector<Vector3>& boundsPolygon() const { return m_polygon; }
    bool insideQuad(float x, float y) const;

private:
    Vector2 emitterOffset() const;
    void advanceEmitter(float dt);
    void emit(float dt);
    bool emitOne();
    void place(Particle& p);

    Vector2 m_position;
    Vector2 m_basePosition;
    float m_alphaFactor = 1.0f;
    ParticleSystemInfoPtr m_info;
    CurveCursor m_cursorX;
    CurveCursor m_cursorY;
    float m_age = kEmissionOver;
    float m_remainder = 0.0f;
    bool m_active = false;
    bool m_pathSet = false;
    Vector2 m_pathT0, m_pathT1, m_pathP0, m_pathP1;
    Vector2 m_previousPosition;
    uint32_t m_count = 0;
    Particle m_particles[kMaxParticles];
    Vector2 m_quad[4];
    bool m_hasQuad = false;
    std::vector<Vector3> m_polygon;  // (x, 0, y): the plane the polygon test works in
    float m_polygonMin[2] = {0, 0};
    float m_polygonMax[2] = {0, 0};
    bool m_hasPolygon = false;
};

}  // namespace particle
