#include <gtest/gtest.h>

#include <cmath>

#include "core/random_tables.h"
#include "particles/particle_system.h"
#include "tests/particles/particle_fixture.h"

namespace particletest {
namespace {

using particle::Particle;
using particle::ParticleSystem;

// The value the float table hands out `k` draws after the index `from`.
float drawAfter(uint16_t from, int k) { return g_randomFloats[static_cast<uint16_t>(from + k)]; }

class ParticleSystemTest : public ParticleTest {
protected:
    ParticleSystem* make(const Desc& d) {
        writeDescription("d.xml", d);
        ParticleSystem* s = system("d.xml");
        EXPECT_NE(s, nullptr);
        return s;
    }
};

TEST_F(ParticleSystemTest, EndlessSystemKeepsItsAgeAndTopsUpOneParticle) {
    Desc d;
    d.emission = 1;
    d.lifetime = -1.0f;
    d.lifeMin = d.lifeMax = 0.35f;
    ParticleSystem* s = make(d);
    s->start(5, 5);
    EXPECT_EQ(s->age(), -1.0f);
    for (int frame = 0; frame < 50; ++frame) {
        s->update(0.1f);
        ASSERT_EQ(s->age(), -1.0f);
        ASSERT_EQ(s->particleCount(), 1u) << frame;
        ASSERT_TRUE(s->isActive());
    }
    // Stopping the emission lets the last particle die, and then the system is over.
    s->stopEmission(false);
    for (int frame = 0; frame < 5; ++frame) s->update(0.1f);
    EXPECT_EQ(s->particleCount(), 0u);
    EXPECT_FALSE(s->isActive());
}

TEST_F(ParticleSystemTest, EmissionRemainderAndLifetime) {
    Desc d;
    d.emission = 10;
    d.lifetime = 1.0f;
    d.lifeMin = d.lifeMax = 100.0f;
    ParticleSystem* s = make(d);
    s->start(0, 0);
    // 10 a second in steps of 0.25 s: 2.5 rounds up (3, remainder -0.5), then 2.0 (2, remainder 0).
    const uint32_t counts[] = {3, 5, 8};
    const float remainders[] = {-0.5f, 0.0f, -0.5f};
    for (int i = 0; i < 3; ++i) {
        s->update(0.25f);
        EXPECT_EQ(s->particleCount(), counts[i]) << i;
        EXPECT_FLOAT_EQ(s->emissionRemainder(), remainders[i]) << i;
    }
    // The fourth step reaches the lifetime: emission is over and nothing more comes.
    s->update(0.25f);
    EXPECT_EQ(s->age(), ParticleSystem::kEmissionOver);
    EXPECT_EQ(s->particleCount(), 8u);
    EXPECT_TRUE(s->isActive());
}

TEST_F(ParticleSystemTest, NeverMoreThan1024Particles) {
    Desc d;
    d.emission = 1000000;
    d.lifetime = -1.0f;
    ParticleSystem* s = make(d);
    s->start(0, 0);
    s->update(1.0f);
    EXPECT_EQ(s->particleCount(), 1024u);
    s->update(1.0f);
    EXPECT_EQ(s->particleCount(), 1024u);
}

TEST_F(ParticleSystemTest, GoldenParticleFromFixedRandomIndex) {
    Desc d;
    d.emission = 1;
    d.lifeMin = 1.0f, d.lifeMax = 3.0f;
    d.radiusX = 10, d.radiusY = 5;
    d.direction = 90, d.spread = 0, d.speed = 10;
    d.curves["Alpha"] = {{0, 0.5f}, {100, 0.5f}};
    d.curves["ColorR"] = {{0, 1.0f}, {100, 0}};
    d.curves["ColorG"] = {{0, 0.25f}, {100, 0.25f}};
    d.curves["ColorB"] = {{0, 0}, {100, 0}};
    d.curves["Gravity"] = {{0, 20}, {100, 20}};
    d.curves["Spin"] = {{0, 2}, {100, 4}};
    ParticleSystem* s = make(d);
    s->start(100, 200);

    g_randomFloatIndex = 500;
    s->update(0.1f);  // the first update places the system and emits
    ASSERT_EQ(s->particleCount(), 1u);
    const Particle& p = s->particle(0);
    // Draws in order: life, x, y, spin, direction.
    EXPECT_FLOAT_EQ(p.life, 1.0f + 2.0f * drawAfter(500, 1));
    EXPECT_FLOAT_EQ(p.x, 100 + (-10 + 20 * drawAfter(500, 2)));
    EXPECT_FLOAT_EQ(p.y, 200 + (-5 + 10 * drawAfter(500, 3)));
    EXPECT_FLOAT_EQ(p.angle, 2 + 2 * drawAfter(500, 4));
    EXPECT_EQ(p.originX, 100);
    EXPECT_EQ(p.color, 0x7FFF3F00u);  // alpha 0.5 -> 127, red 255, green 63, blue 0
    EXPECT_NEAR(p.velocityX, 10, 1e-4);
    EXPECT_NEAR(p.velocityY, 0, 1e-4);
    EXPECT_EQ(g_randomFloatIndex, 505);

    const float x0 = p.x, y0 = p.y;
    s->update(0.1f);
    // Gravity 20 for 0.1 s, then the position moves by velocity x rubbing 1 x dt.
    EXPECT_NEAR(p.velocityY, 2.0f, 1e-4);
    EXPECT_NEAR(p.x, x0 + 1.0f, 1e-3);
    EXPECT_NEAR(p.y, y0 + 0.2f, 1e-3);
    // Colours are taken at the age before the step: still the start of the curve.
    EXPECT_EQ(p.color, 0x7FFF3F00u);
    s->update(0.1f);
    const float q = (p.age - 0.1f) / p.life * 100.0f;
    EXPECT_EQ((p.color >> 16) & 0xFF, static_cast<uint32_t>((1.0f + q * -0.01f) * 255.0f));
}

TEST_F(ParticleSystemTest, EmitterModesPlaceByTheirRule) {
    const float pi = 3.14159265f;
    for (int mode = 1; mode <= 4; ++mode) {
        Desc d;
        d.emission = 1;
        d.mode = mode;
        d.radiusX = 8, d.radiusY = 6;
        ParticleSystem* s = make(d);
        s->start(50, 60);
        g_randomFloatIndex = 1000;
        core::srand(7);
        const int edge = core::rand() % 4;
        core::srand(7);
        s->update(0.01f);
        ASSERT_EQ(s->particleCount(), 1u) << mode;
        const Particle& p = s->particle(0);
        float ex = 50, ey = 60;
        if (mode == 1) {
            const float theta = drawAfter(1000, 4) * pi * pi;
            ex += 8 * drawAfter(1000, 2) * std::cos(theta);
            ey += 6 * drawAfter(1000, 3) * std::sin(theta);
        } else if (mode == 2) {
            const float theta = drawAfter(1000, 2) * pi * pi;
            ex += 8 * std::cos(theta);
            ey += 6 * std::sin(theta);
        } else if (mode == 3) {
            const float r = drawAfter(1000, 2);
            if (edge == 0) ex += r * 8;
            if (edge == 1) ex += r * 8, ey += 6;
            if (edge == 2) ey += r * 6;
            if (edge == 3) ex += 8, ey += r * 6;
        } else {
            ex += 2 * drawAfter(1000, 2) * 8;
            ey += 2 * drawAfter(1000, 3) * 6;
        }
        EXPECT_NEAR(p.x, ex, 1e-3) << "mode " << mode;
        EXPECT_NEAR(p.y, ey, 1e-3) << "mode " << mode;
        s->stop();
        m_registry->clear();
    }
}

TEST_F(ParticleSystemTest, EmitterPointsPickByTheIntegerTable) {
    Desc d;
    d.emission = 1;
    d.emitterPoints = {{1, 1}, {2, 2}, {3, 3}};
    ParticleSystem* s = make(d);
    s->start(10, 10);
    g_randomIntIndex = 40;
    s->update(0.01f);
    const float k = static_cast<float>(g_randomInts[41] % 3 + 1);
    EXPECT_FLOAT_EQ(s->particle(0).x, 10 + k);
    EXPECT_FLOAT_EQ(s->particle(0).y, 10 + k);
}

TEST_F(ParticleSystemTest, RandomColourListPicksOnePointOfEachColour) {
    Desc d;
    d.emission = 1;
    d.randomColors = true;
    d.curves["ColorR"] = {{0, 0.2f}, {50, 0.4f}, {100, 0.6f}};
    d.curves["ColorG"] = {{0, 0.1f}};  // fewer points: its last one is used, never beyond
    d.curves["ColorB"] = {{0, 1.0f}, {50, 0.5f}, {100, 0.0f}};
    ParticleSystem* s = make(d);
    s->start(0, 0);
    core::srand(3);
    const int i = core::rand() % 3;
    core::srand(3);
    s->update(0.01f);
    const uint32_t c = s->particle(0).color;
    const float reds[3] = {0.2f, 0.4f, 0.6f}, blues[3] = {1.0f, 0.5f, 0.0f};
    EXPECT_EQ((c >> 16) & 0xFF, static_cast<uint32_t>(reds[i] * 255.0f));
    EXPECT_EQ((c >> 8) & 0xFF, static_cast<uint32_t>(0.1f * 255.0f));
    EXPECT_EQ(c & 0xFF, static_cast<uint32_t>(blues[i] * 255.0f));
    // Later updates change only the alpha byte.
    s->update(0.01f);
    EXPECT_EQ(s->particle(0).color & 0xFFFFFF, c & 0xFFFFFF);
}

bool inDiamond(float x, float y) { return std::fabs(x - 100) + std::fabs(y - 100) <= 20.001f; }

TEST_F(ParticleSystemTest, BoundsQuadKeepsNewParticlesInside) {
    Desc d;
    d.emission = 400;
    d.lifetime = -1;
    ParticleSystem* s = make(d);
    const Vector2 diamond[4] = {{100, 80}, {120, 100}, {100, 120}, {80, 100}};
    s->setBoundsQuad(diamond);
    s->start(0, 0);
    s->update(1.0f);
    ASSERT_EQ(s->particleCount(), 400u);
    for (uint32_t i = 0; i < s->particleCount(); ++i) {
        ASSERT_TRUE(inDiamond(s->particle(i).x, s->particle(i).y)) << i;
    }
    // A quad nothing can fall into keeps the system position.
    const Vector2 point[4] = {{5, 5}, {5, 5}, {5, 5}, {5, 5}};
    s->setBoundsQuad(point);
    s->stopEmission(true);
    s->start(30, 40);
    s->update(0.0025f);
    ASSERT_EQ(s->particleCount(), 1u);
    EXPECT_EQ(s->particle(0).x, 30);
    EXPECT_EQ(s->particle(0).y, 40);
}

TEST_F(ParticleSystemTest, BoundsPolygonOrdersItsPointsAndKeepsParticlesInside) {
    Desc d;
    d.emission = 300;
    d.lifetime = -1;
    ParticleSystem* s = make(d);
    // Pairs along two edges: (0,0)-(0,10), (10,0)-(10,10), (20,0)-(20,20).
    s->setBoundsPolygon({{0, 0}, {0, 10}, {10, 0}, {10, 10}, {20, 0}, {20, 20}});
    const std::vector<Vector3>& outline = s->boundsPolygon();
    const float order[6][2] = {{0, 0}, {0, 10}, {10, 10}, {20, 20}, {20, 0}, {10, 0}};  // 0 1 3 5 4 2
    ASSERT_EQ(outline.size(), 6u);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(outline[i].x, order[i][0]);
        EXPECT_EQ(outline[i].z, order[i][1]);
    }
    s->start(-500, -500);
    s->update(1.0f);
    ASSERT_EQ(s->particleCount(), 300u);
    int inside = 0;
    for (uint32_t i = 0; i < s->particleCount(); ++i) {
        const Particle& p = s->particle(i);
        if (p.x == -500 && p.y == -500) continue;  // 50 tries all missed
        ASSERT_TRUE(pointInPolygon(Vector3(p.x, 0, p.y), outline)) << p.x << "," << p.y;
        ++inside;
    }
    EXPECT_GT(inside, 250);

    // Odd counts and fewer than three points are refused with a log line.
    s->setBoundsPolygon({{0, 0}, {1, 1}, {2, 2}});
    s->setBoundsPolygon({{0, 0}, {1, 1}});
    EXPECT_EQ(s->boundsPolygon().size(), 6u);
    EXPECT_EQ(logCount("setBoundsPolygon"), 2);
}

TEST_F(ParticleSystemTest, EmitterCentreFollowsItsCursorsAndRestarts) {
    Desc d;
    d.absoluteLifetime = 4;
    d.curves["emitterCenterX"] = {{0, 0}, {50, 40}, {100, 0}};
    d.curves["emitterCenterY"] = {{0, 10}, {100, 10}};
    ParticleSystem* s = make(d);
    s->start(100, 100);
    s->update(1.0f);
    EXPECT_NEAR(s->position().x, 120, 1e-3);  // a quarter of the way: 20 of 40
    EXPECT_NEAR(s->position().y, 110, 1e-3);
    s->update(1.0f);  // x's first segment is used up: its next one starts at 40
    EXPECT_NEAR(s->position().x, 140, 1e-3);
    s->update(1.0f);
    EXPECT_NEAR(s->position().x, 120, 1e-3);
    s->update(1.0f);  // y has no next segment: both begin again at segment 0
    EXPECT_NEAR(s->position().x, 100, 1e-3);
    s->update(1.0f);
    EXPECT_NEAR(s->position().x, 120, 1e-3);
}

TEST_F(ParticleSystemTest, SplineAndListPaths) {
    Desc d;
    d.absoluteLifetime = 2;
    d.pathMode = "prmSpline";
    d.curves["emitterCenterX"] = {{0, 0}, {100, 100}};
    d.curves["emitterCenterY"] = {{0, 0}, {100, 0}};
    d.tangents[0] = 0, d.tangents[1] = 40, d.tangents[2] = 0, d.tangents[3] = -40;
    ParticleSystem* s = make(d);
    s->start(10, 20);
    s->update(1.0f);  // half way: s = 0.5
    // Hermite at 0.5: p0/2 + t0/8 + p1/2 - t1/8.
    EXPECT_NEAR(s->position().x, 10 + 50, 1e-3);
    EXPECT_NEAR(s->position().y, 20 + 40.0f / 8 + 40.0f / 8, 1e-3);
    s->stop();
    m_registry->clear();

    Desc list;
    list.absoluteLifetime = 8;
    list.pathMode = "prmLinear";
    list.path = {{0, 0}, {10, 0}, {10, 10}, {0, 10}};
    list.curves["emitterCenterX"] = {{0, 0}, {100, 0}};
    list.curves["emitterCenterY"] = {{0, 0}, {100, 0}};
    s = make(list);
    s->start(0, 0);
    s->update(4.0f);  // parameter 50: index 2 of 4
    EXPECT_NEAR(s->position().x, 10, 1e-3);
    EXPECT_NEAR(s->position().y, 10, 1e-3);
    s->update(1.0f);  // parameter 62.5: half way from point 2 to point 3
    EXPECT_NEAR(s->position().x, 5, 1e-3);
    EXPECT_NEAR(s->position().y, 10, 1e-3);
    s->update(2.9f);  // near the end: the last point, no next one
    EXPECT_NEAR(s->position().x, 0, 1e-3);
}

TEST_F(ParticleSystemTest, DegenerateDescriptionsStayFinite) {
    Desc d;
    d.emission = 50;
    d.lifetime = -1;
    d.absoluteLifetime = 0;  // zero-length emitter segments
    d.lifeMin = d.lifeMax = 0;  // particles with no life
    d.curves = {{"emitterCenterX", {{0, 1}, {0, 2}, {0, 3}}},
                {"emitterCenterY", {{50, 1}, {50, 2}}},
                {"Spin", {{0, 3}}},
                {"Alpha", {{0, 7}}},
                {"ColorR", {{0, -2}}}};
    d.randomColors = true;
    ParticleSystem* s = make(d);
    s->start(0, 0);
    for (int i = 0; i < 10; ++i) {
        s->update(0.1f);
        ASSERT_TRUE(std::isfinite(s->position().x));
        ASSERT_TRUE(std::isfinite(s->position().y));
        for (uint32_t k = 0; k < s->particleCount(); ++k) {
            const Particle& p = s->particle(k);
            ASSERT_TRUE(std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.angle));
            EXPECT_EQ(p.color >> 24, 255u);           // alpha 7 clamps to 255
            EXPECT_EQ((p.color >> 16) & 0xFF, 0u);    // red -2 clamps to 0
            EXPECT_EQ(p.angle, 3.0f);                 // one spin point: no range
        }
    }
    // A zero-life particle is gone by the next update.
    EXPECT_LE(s->particleCount(), 5u);
}

TEST_F(ParticleSystemTest, MoveAlphaAndReturnToThePool) {
    Desc d;
    d.emission = 3;
    d.lifetime = -1;
    d.curves["Alpha"] = {{0, 0.8f}};
    ParticleSystem* s = make(d);
    s->start(10, 10);
    s->update(1.0f);
    ASSERT_EQ(s->particleCount(), 3u);
    const float x0 = s->particle(0).x;
    s->moveTo(15, 12);
    EXPECT_FLOAT_EQ(s->particle(0).x, x0 + 5);
    EXPECT_FLOAT_EQ(s->particle(0).originX, s->particle(0).x);
    EXPECT_EQ(s->position().x, 10);  // the system follows in its next update
    s->update(0.0f);
    EXPECT_EQ(s->position().x, 15);

    s->setAlpha(100);
    EXPECT_FLOAT_EQ(s->alphaFactor(), 100.0f / 255.0f);
    for (uint32_t i = 0; i < s->particleCount(); ++i) EXPECT_EQ(s->particle(i).color >> 24, 100u);
    s->update(0.01f);
    EXPECT_NEAR(static_cast<double>(s->particle(0).color >> 24), 100.0, 1.0);  // 0.8 capped by the factor
    s->setAlpha(900);
    EXPECT_FLOAT_EQ(s->alphaFactor(), 1.0f);

    const uint32_t freeBefore = m_manager->freeSystemCount();
    s->setAlpha(10);
    s->stop();
    EXPECT_EQ(s->alphaFactor(), 1.0f);
    EXPECT_EQ(m_manager->freeSystemCount(), freeBefore + 1);
    s->stop();  // a system not in use is not returned twice
    EXPECT_EQ(m_manager->freeSystemCount(), freeBefore + 1);
}

TEST_F(ParticleSystemTest, KindFourFacesItsVelocity) {
    Desc d;
    d.emission = 1;
    d.effect = 4;
    d.speed = 10;
    d.direction = 90;  // velocity (10, 0)
    ParticleSystem* s = make(d);
    s->start(0, 0);
    s->update(0.01f);
    ASSERT_EQ(s->particleCount(), 1u);
    EXPECT_NEAR(s->particle(0).angle, 3.14159265f / 2, 1e-5);
    // Other kinds do not emit.
    Desc other;
    other.emission = 5;
    other.effect = 2;
    writeDescription("other.xml", other);
    ParticleSystem* t = system("other.xml");
    t->start(0, 0);
    t->update(1.0f);
    EXPECT_EQ(t->particleCount(), 0u);
}

}  // namespace
}  // namespace particletest
