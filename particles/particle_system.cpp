#include "particles/particle_system.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

#include "core/log_stream.h"
#include "core/random_tables.h"
#include "particles/effect_mgr.h"
#include "particles/particle_mgr.h"
#include "particles/quad_batcher.h"

namespace particle {

namespace {

constexpr float kPi = 3.14159265f;
constexpr float kDegToRad = 0.017453292f;

// A colour or alpha component 0..1 as a byte: × 255, truncated, kept inside 0..255.
uint32_t toByte(float v) {
    const float scaled = v * 255.0f;
    if (!(scaled > 0.0f)) return 0;
    if (scaled >= 255.0f) return 255;
    return static_cast<uint32_t>(scaled);
}

// Whole degrees of a float angle in degrees, inside 0..359 (NaN and infinities give 0).
int wholeDegrees(float degrees) {
    if (!std::isfinite(degrees)) return 0;
    int d = static_cast<int>(std::fmod(degrees, 360.0f));
    if (d < 0) d += 360;
    return d % 360;
}

// The direction a particle flies in: π − b, or π + b when it moves left, b measured from (0, 1).
float angleOfVelocity(float vx, float vy) {
    const float b = angleBetween(Vector3(0.0f, 1.0f, 0.0f), Vector3(vx, vy, 0.0f));
    return vx < 0.0f ? kPi + b : kPi - b;
}

}  // namespace

void ParticleSystem::clear() {
    m_position = {};
    m_basePosition = {};
    m_alphaFactor = 0.0f;
    m_info.reset();
    m_cursorX = {};
    m_cursorY = {};
    m_age = 0.0f;
    m_remainder = 0.0f;
    m_active = false;
    m_pathSet = false;
    m_pathT0 = m_pathT1 = m_pathP0 = m_pathP1 = {};
    m_previousPosition = {};
    m_count = 0;
    for (Vector2& c : m_quad) c = {};
    m_hasQuad = false;
    m_polygon.clear();
    m_polygonMin[0] = m_polygonMin[1] = m_polygonMax[0] = m_polygonMax[1] = 0.0f;
    m_hasPolygon = false;
}

bool ParticleSystem::GetParticleSystemInfo(const std::string& name) {
    m_active = false;
    m_pathSet = false;
    ParticleMgr* registry = ParticleMgr::instance();
    m_info = registry ? registry->getOrCreate(name) : ParticleSystemInfoPtr();
    if (!m_info) {
        Tov::LogLine("ERROR") << "GetParticleSystemInfo(" << name << ") FAILED.";
        return false;
    }
    m_position = {};
    m_basePosition = {};
    m_remainder = 0.0f;
    m_count = 0;
    m_age = kEmissionOver;
    moveTo(0.0f, 0.0f);
    m_alphaFactor = 1.0f;
    return true;
}

Vector2 ParticleSystem::emitterOffset() const {
    if (!m_info) return {};
    const ParticleSystemInfo& info = *m_info;
    const Curve& curveX = info.curve(CURVE_EMITTER_CENTER_X);
    float parameter = 0.0f;
    if (m_cursorX.next != 0 && curveX.count > 0) {
        const uint32_t next = std::min(m_cursorX.next, curveX.count - 1);
        const float fraction = info.absoluteLifetime > 0.0f ? m_cursorX.duration / info.absoluteLifetime : 0.0f;
        parameter = curveX.points[next].time - fraction * 100.0f;
        if (!std::isfinite(parameter)) parameter = 0.0f;
    }
    if (info.pathMode == PATH_SPLINE) {
        // The path runs from p0 (0) to p1 (1); odd curve times must not send it to infinity.
        const float s = std::clamp(parameter / 100.0f, 0.0f, 1.0f);
        const float s2 = s * s, s3 = s2 * s;
        const float h00 = 2 * s3 - 3 * s2 + 1, h10 = s3 - 2 * s2 + s, h01 = -2 * s3 + 3 * s2, h11 = s3 - s2;
        return {h00 * m_pathP0.x + h10 * m_pathT0.x + h01 * m_pathP1.x + h11 * m_pathT1.x,
                h00 * m_pathP0.y + h10 * m_pathT0.y + h01 * m_pathP1.y + h11 * m_pathT1.y};
    }
    if (!info.path.empty()) {
        const size_t count = info.path.size();
        float along = parameter / 100.0f * static_cast<float>(count);
        if (!(along > 0.0f)) along = 0.0f;
        size_t index = along >= static_cast<float>(count - 1) ? count - 1 : static_cast<size_t>(along);
        const Vector2& from = info.path[index];
        if (index + 1 >= count) return from;
        const float t = std::clamp(along - static_cast<float>(index), 0.0f, 1.0f);
        const Vector2& to = info.path[index + 1];
        return {from.x + (to.x - from.x) * t, from.y + (to.y - from.y) * t};
    }
    return {m_cursorX.value, m_cursorY.value};
}

void ParticleSystem::advanceEmitter(float dt) {
    const ParticleSystemInfo& info = *m_info;
    const Curve& curveX = info.curve(CURVE_EMITTER_CENTER_X);
    const Curve& curveY = info.curve(CURVE_EMITTER_CENTER_Y);
    const float life = info.absoluteLifetime;

    m_cursorX.duration -= dt;
    if (m_cursorX.duration > 0.0f) m_cursorX.value += m_cursorX.rate * dt;
    else m_cursorX.startSegment(curveX, m_cursorX.next, life);

    m_cursorY.duration -= dt;
    if (m_cursorY.duration > 0.0f) {
        m_cursorY.value += m_cursorY.rate * dt;
    } else if (!m_cursorY.startSegment(curveY, m_cursorY.next, life)) {
        m_cursorX.startSegment(curveX, 0, life);
        m_cursorY.startSegment(curveY, 0, life);
    }
}

void ParticleSystem::update(float dt) {
    if (!m_info || !m_info->isLoaded()) {
        // A description unloaded under a running system ends it: nothing is left to run or draw.
        m_count = 0;
        m_active = false;
        return;
    }
    const ParticleSystemInfo& info = *m_info;

    if (m_age >= 0.0f) {
        m_age += dt;
        if (m_age >= info.lifetime) m_age = kEmissionOver;
    }

    advanceEmitter(dt);
    const Vector2 offset = emitterOffset();
    m_position = {m_basePosition.x + offset.x, m_basePosition.y + offset.y};

    const bool kind4 = info.effectFlags == 4;
    uint32_t i = 0;
    while (i < m_count) {
        Particle& p = m_particles[i];
        p.age += dt;
        if (!(p.age < p.life)) {
            p = m_particles[--m_count];
            continue;
        }
        const float pNow = p.age / p.life * 100.0f;
        const float pBefore = (p.age - dt) / p.life * 100.0f;
        const float windDirection = info.curve(CURVE_WIND_DIRECTION).evaluate(pNow);
        const float wind = info.curve(CURVE_WIND).evaluate(pBefore);
        const float tangential = info.curve(CURVE_TANGENTIAL_ACCEL).evaluate(pBefore);
        const float radial = info.curve(CURVE_RADIAL_ACCEL).evaluate(pBefore);
        const float gravity = info.curve(CURVE_GRAVITY).evaluate(pBefore);
        const float rubbing = info.curve(CURVE_RUBBING).evaluate(pBefore);
        const float alpha = info.curve(CURVE_ALPHA).evaluate(pBefore);
        p.size = info.curve(CURVE_SIZE).evaluate(pBefore);

        const uint32_t alphaByte = toByte(std::min(alpha, m_alphaFactor));
        if (info.useRandomColorList) {
            p.color = (alphaByte << 24) | (p.color & 0x00FFFFFFu);
        } else {
            p.color = (alphaByte << 24) | (toByte(info.curve(CURVE_COLOR_R).evaluate(pBefore)) << 16) |
                      (toByte(info.curve(CURVE_COLOR_G).evaluate(pBefore)) << 8) |
                      toByte(info.curve(CURVE_COLOR_B).evaluate(pBefore));
        }

        float windX = 0.0f, windY = 0.0f;
        if (wind != 0.0f) {
            const int a = wholeDegrees(windDirection - 90.0f);
            windX = g_cosTable[a] * wind;
            windY = g_sinTable[a] * wind;
        }
        float dx = p.x - p.originX, dy = p.y - p.originY;
        const float length = std::sqrt(dx * dx + dy * dy);
        if (length > 0.000001f) {
            dx /= length;
            dy /= length;
        }
        p.velocityX += (-dy * tangential + dx * radial + windX) * dt;
        p.velocityY += (dx * tangential + dy * radial + gravity + windY) * dt;
        if (rubbing >= 0.0f) {
            p.x += p.velocityX * rubbing * dt;
            p.y += p.velocityY * rubbing * dt;
        }
        if (kind4) p.angle = angleOfVelocity(p.velocityX, p.velocityY);
        ++i;
    }

    if (m_age == kEmissionOver) {
        if (m_count == 0) m_active = false;
    } else {
        emit(dt);
    }
    m_previousPosition = m_position;
}

void ParticleSystem::emit(float dt) {
    const ParticleSystemInfo& info = *m_info;
    if (info.effectFlags != 0 && info.effectFlags != 4) return;
    const int32_t n = info.emission;
    if (n < 2) {
        while (static_cast<int64_t>(m_count) < n) {
            if (!emitOne()) break;
        }
        return;
    }
    float accumulated = static_cast<float>(n) * dt + m_remainder;
    if (!std::isfinite(accumulated)) accumulated = 0.0f;
    const float wanted = std::floor(accumulated + 0.5f);
    m_remainder = accumulated - wanted;
    for (float k = 0.0f; k < wanted; k += 1.0f) {
        if (!emitOne()) break;
    }
}

void ParticleSystem::place(Particle& p) {
    const ParticleSystemInfo& info = *m_info;
    if (!info.emitterPoints.empty()) {
        const Vector2& point = info.emitterPoints[randomInt() % info.emitterPoints.size()];
        p.x = m_basePosition.x + point.x;
        p.y = m_basePosition.y + point.y;
        return;
    }
    const float rx = info.emitterRadiusX, ry = info.emitterRadiusY;
    const float x = m_position.x, y = m_position.y;
    switch (info.emitterMode) {
        case 0:
            if (m_hasQuad) {
                float minX = m_quad[0].x, maxX = m_quad[0].x, minY = m_quad[0].y, maxY = m_quad[0].y;
                for (const Vector2& c : m_quad) {
                    minX = std::min(minX, c.x), maxX = std::max(maxX, c.x);
                    minY = std::min(minY, c.y), maxY = std::max(maxY, c.y);
                }
                for (int tries = 0; tries < 1000; ++tries) {
                    const float px = randomRange(minX, maxX);
                    const float py = randomRange(minY, maxY);
                    if (insideQuad(px, py)) {
                        p.x = px, p.y = py;
                        return;
                    }
                }
            } else if (m_hasPolygon) {
                for (int tries = 0; tries < 50; ++tries) {
                    const float px = randomRange(m_polygonMin[0], m_polygonMax[0]);
                    const float py = randomRange(m_polygonMin[1], m_polygonMax[1]);
                    if (pointInPolygon(Vector3(px, 0.0f, py), m_polygon)) {
                        p.x = px, p.y = py;
                        return;
                    }
                }
            } else {
                p.x = x + randomRange(-rx, rx);
                p.y = y + randomRange(-ry, ry);
            }
            return;
        case 1: {
            const float r1 = randomFloat(), r2 = randomFloat(), r3 = randomFloat();
            const float theta = r3 * kPi * kPi;
            p.x = x + rx * r1 * std::cos(theta);
            p.y = y + ry * r2 * std::sin(theta);
            return;
        }
        case 2: {
            const float theta = randomFloat() * kPi * kPi;
            p.x = x + rx * std::cos(theta);
            p.y = y + ry * std::sin(theta);
            return;
        }
        case 3:
            switch (core::rand() % 4) {
                case 0: p.x = x + randomFloat() * rx; break;
                case 1: p.x = x + randomFloat() * rx, p.y = y + ry; break;
                case 2: p.y = y + randomFloat() * ry; break;
                default: p.x = x + rx, p.y = y + randomFloat() * ry; break;
            }
            return;
        default:
            p.x = x + 2.0f * randomFloat() * rx;
            p.y = y + 2.0f * randomFloat() * ry;
            return;
    }
}

bool ParticleSystem::emitOne() {
    if (m_count >= kMaxParticles) return false;
    const ParticleSystemInfo& info = *m_info;
    Particle& p = m_particles[m_count++];
    p = Particle();
    p.life = info.particleLifeMin + (info.particleLifeMax - info.particleLifeMin) * randomFloat();
    p.x = p.originX = m_position.x;
    p.y = p.originY = m_position.y;
    place(p);

    const Curve& spin = info.curve(CURVE_SPIN);
    p.size = info.curve(CURVE_SIZE).valueAt(0);
    p.angle = spin.valueAt(0) + (spin.valueAt(1) - spin.valueAt(0)) * randomFloat();

    uint32_t colorIndex = 0;
    if (info.useRandomColorList) {
        const uint32_t choices = info.curve(CURVE_COLOR_R).count;
        const uint32_t r = static_cast<uint32_t>(core::rand());
        colorIndex = choices ? r % choices : 0;
    }
    p.color = (toByte(info.curve(CURVE_ALPHA).valueAt(0)) << 24) |
              (toByte(info.curve(CURVE_COLOR_R).valueAt(colorIndex)) << 16) |
              (toByte(info.curve(CURVE_COLOR_G).valueAt(colorIndex)) << 8) |
              toByte(info.curve(CURVE_COLOR_B).valueAt(colorIndex));

    const float s = info.spread;
    const float theta = (info.direction - 90.0f - s * randomFloat() + s / 2.0f) * kDegToRad;
    p.velocityX = std::cos(theta) * info.speed;
    p.velocityY = std::sin(theta) * info.speed;
    if (info.effectFlags == 4) p.angle = angleOfVelocity(p.velocityX, p.velocityY);
    return true;
}

void ParticleSystem::start(float x, float y) {
    m_age = kEmissionOver;
    m_active = true;
    moveTo(x, y);
    restart();
}

void ParticleSystem::restart() {
    if (!m_info) return;
    const ParticleSystemInfo& info = *m_info;
    const Curve& curveX = info.curve(CURVE_EMITTER_CENTER_X);
    const Curve& curveY = info.curve(CURVE_EMITTER_CENTER_Y);
    if (info.pathMode == PATH_SPLINE) {
        m_pathSet = true;
        m_pathP0 = {curveX.valueAt(0), curveY.valueAt(0)};
        m_pathP1 = {curveX.valueAt(1), curveY.valueAt(1)};
        m_pathT0 = {info.pathTangents[0], info.pathTangents[1]};
        m_pathT1 = {info.pathTangents[2], info.pathTangents[3]};
    }
    m_age = info.lifetime == kEndless ? kEndless : 0.0f;
    m_active = true;
    if (curveX.count >= 2) m_cursorX.startSegment(curveX, 0, info.absoluteLifetime);
    if (curveY.count >= 2) m_cursorY.startSegment(curveY, 0, info.absoluteLifetime);
}

void ParticleSystem::moveTo(float x, float y) {
    m_basePosition = {x, y};
    const Vector2 offset = emitterOffset();
    const float shiftX = x + offset.x - m_position.x;
    const float shiftY = y + offset.y - m_position.y;
    for (uint32_t i = 0; i < m_count; ++i) {
        Particle& p = m_particles[i];
        p.x += shiftX;
        p.y += shiftY;
        p.originX = p.x;
        p.originY = p.y;
    }
}

void ParticleSystem::stopEmission(bool clear) {
    m_age = kEmissionOver;
    if (clear) m_count = 0;
}

void ParticleSystem::stop() {
    m_hasQuad = false;
    m_position = {FLT_MIN, FLT_MIN};
    m_alphaFactor = 1.0f;
    m_info.reset();
    if (fxParticleEffectMgr* manager = fxParticleEffectMgr::instance()) manager->releaseParticleSystem(this);
}

void ParticleSystem::setPosition(float x, float y) {
    m_position = {x, y};
    m_basePosition = {x, y};
}

void ParticleSystem::setAlpha(int alpha) {
    alpha = std::clamp(alpha, 0, 255);
    m_alphaFactor = static_cast<float>(alpha) / 255.0f;
    const uint32_t cap = static_cast<uint32_t>(alpha);
    for (uint32_t i = 0; i < m_count; ++i) {
        uint32_t& color = m_particles[i].color;
        const uint32_t own = color >> 24;
        if (cap < own) color = (cap << 24) | (color & 0x00FFFFFFu);
    }
}

void ParticleSystem::setBoundsQuad(const Vector2 corners[4]) {
    for (int i = 0; i < 4; ++i) m_quad[i] = corners[i];
    m_hasQuad = true;
    m_hasPolygon = false;
}

bool ParticleSystem::insideQuad(float x, float y) const {
    bool inside = false;
    for (int i = 0, j = 3; i < 4; j = i++) {
        const Vector2& a = m_quad[i];
        const Vector2& b = m_quad[j];
        if ((a.y > y) == (b.y > y)) continue;
        if (x < (b.x - a.x) * (y - a.y) / (b.y - a.y) + a.x) inside = !inside;
    }
    return inside;
}

void ParticleSystem::setBoundsPolygon(const std::vector<Vector2>& points) {
    const size_t n = points.size();
    if (n < 3 || n % 2 != 0) {
        Tov::LogLine("ERROR") << "particle::ParticleSystem::setBoundsPolygon" << ": ignored an outline of " << n
                              << " points";
        return;
    }
    m_polygon.clear();
    m_polygon.push_back(Vector3(points[0].x, 0.0f, points[0].y));
    for (size_t i = 1; i < n; i += 2) m_polygon.push_back(Vector3(points[i].x, 0.0f, points[i].y));
    for (size_t i = n - 2; i >= 2; i -= 2) m_polygon.push_back(Vector3(points[i].x, 0.0f, points[i].y));
    m_polygonMin[0] = m_polygonMin[1] = 100000.0f;
    m_polygonMax[0] = m_polygonMax[1] = -100000.0f;
    for (const Vector3& v : m_polygon) {
        m_polygonMin[0] = std::min(m_polygonMin[0], v.x), m_polygonMax[0] = std::max(m_polygonMax[0], v.x);
        m_polygonMin[1] = std::min(m_polygonMin[1], v.z), m_polygonMax[1] = std::max(m_polygonMax[1], v.z);
    }
    m_hasPolygon = true;
    m_hasQuad = false;
}

void ParticleSystem::draw(QuadBatcher& batcher) const {
    if (!m_info || !m_info->isLoaded() || !m_info->sprite) return;
    const ParticleSystemInfo& info = *m_info;
    const ParticleSprite& sprite = *info.sprite;
    batcher.beginBatch(sprite.texture, sprite.destBlend, sprite.secondBlend, 0);
    const bool kind4 = info.effectFlags == 4;
    ParticleVertex quad[4];
    for (int k = 0; k < 4; ++k) quad[k] = sprite.quad[k];
    for (uint32_t i = 0; i < m_count; ++i) {
        const Particle& p = m_particles[i];
        const float s = p.size;
        const float left = -s * sprite.centerX, top = -s * sprite.centerY;
        const float right = s * (sprite.width - sprite.centerX), bottom = s * (sprite.height - sprite.centerY);
        const float xs[4] = {left, right, right, left};
        const float ys[4] = {top, top, bottom, bottom};
        const float angle = kind4 ? p.angle : p.angle * p.age;
        float sine = 0.0f, cosine = 1.0f;
        const bool rotate = angle != 0.0f;
        if (rotate) {
            float degrees = angle * 57.29578f;
            if (!std::isfinite(degrees)) degrees = 0.0f;
            const long whole = std::lround(std::fmod(degrees, 360.0f));
            const int index = static_cast<int>((whole < 0 ? -whole : whole) % 360);
            sine = whole < 0 ? -g_sinTable[index] : g_sinTable[index];
            cosine = g_cosTable[index];
        }
        for (int k = 0; k < 4; ++k) {
            const float rx = rotate ? xs[k] * cosine - ys[k] * sine : xs[k];
            const float ry = rotate ? xs[k] * sine + ys[k] * cosine : ys[k];
            quad[k].x = p.x + rx;
            quad[k].y = p.y + ry;
            quad[k].color = p.color;
        }
        batcher.addVertices(quad, 4);
    }
    batcher.flush();
}

}  // namespace particle
