#include <gtest/gtest.h>

#include "particles/particle_system_info.h"
#include "tests/particles/particle_fixture.h"

namespace particletest {
namespace {

using particle::ParticleSystemInfoPtr;

TEST(ParticleBlend, FirstSetBitChoosesTheDestinationFactor) {
    const std::pair<int, uint32_t> table[] = {
        {0, 2},      {0x40, 1},   {0x80, 2},   {0x100, 3},  {0x400, 5},    {0x800, 6},
        {0x1000, 7}, {0x2000, 8}, {0x4000, 9}, {0x200, 2},  {0x8000, 2},   {0x40 | 0x800, 1},
        {0x800 | 0x4000, 6},      {0x1000 | 0x2000, 7},     {-1, 1},
    };
    for (const auto& [bits, factor] : table) EXPECT_EQ(particle::destBlendFromFlags(bits), factor) << std::hex << bits;
}

using ParticleInfoTest = ParticleTest;

TEST_F(ParticleInfoTest, ReadsEveryFieldOfAVersion3Description) {
    Desc d;
    d.emission = 40;
    d.lifetime = 2.5f;
    d.absoluteLifetime = 4;
    d.lifeMin = 0.5f;
    d.lifeMax = 1.5f;
    d.effect = 4;
    d.rect[0] = 16, d.rect[1] = 8, d.rect[2] = 48, d.rect[3] = 24, d.rect[4] = 10, d.rect[5] = 6;
    d.blend = 0x800;
    d.radiusX = 3, d.radiusY = 4, d.mode = 2;
    d.direction = 45, d.spread = 10, d.speed = 100;
    d.curves["Gravity"] = {{0, 1}, {100, 3}};
    d.emitterPoints = {{1, 2}, {3, 4}};
    d.pathMode = "prmSpline";
    d.path = {{0, 0}, {10, 0}, {10, 10}};
    d.tangents[0] = 1, d.tangents[1] = 2, d.tangents[2] = 3, d.tangents[3] = 4;
    writeDescription("fire.xml", d);

    ParticleSystemInfoPtr info = m_registry->getOrCreate("fire.xml");
    ASSERT_TRUE(info);
    EXPECT_TRUE(info->isLoaded());
    EXPECT_EQ(info->emission, 40);
    EXPECT_FLOAT_EQ(info->lifetime, 2.5f);
    EXPECT_FLOAT_EQ(info->absoluteLifetime, 4);
    EXPECT_FLOAT_EQ(info->particleLifeMax, 1.5f);
    EXPECT_EQ(info->effectFlags, 4);
    EXPECT_EQ(info->emitterMode, 2);
    EXPECT_FLOAT_EQ(info->speed, 100);
    EXPECT_EQ(info->curve(particle::CURVE_GRAVITY).count, 2u);
    EXPECT_EQ(info->curve(particle::CURVE_SPIN).count, 0u);
    ASSERT_EQ(info->emitterPoints.size(), 2u);
    EXPECT_FLOAT_EQ(info->emitterPoints[1].y, 4);
    EXPECT_EQ(info->pathMode, particle::PATH_SPLINE);
    ASSERT_EQ(info->path.size(), 3u);
    EXPECT_FLOAT_EQ(info->pathTangents[3], 4);

    ASSERT_TRUE(info->sprite);
    const particle::ParticleSprite& s = *info->sprite;
    EXPECT_EQ(s.destBlend, 6u);
    EXPECT_EQ(s.secondBlend, 7u);
    EXPECT_FLOAT_EQ(s.width, 32);
    EXPECT_FLOAT_EQ(s.height, 16);
    EXPECT_FLOAT_EQ(s.centerX, 10);
    // Corners of the rectangle, texture coordinates divided by the 64 x 32 texture.
    EXPECT_FLOAT_EQ(s.quad[0].u, 0.25f);
    EXPECT_FLOAT_EQ(s.quad[0].v, 0.25f);
    EXPECT_FLOAT_EQ(s.quad[2].u, 0.75f);
    EXPECT_FLOAT_EQ(s.quad[2].v, 0.75f);
    EXPECT_EQ(s.quad[1].color, 0xFFFFFFFFu);
    EXPECT_FLOAT_EQ(s.quad[3].rhw, 1.0f);

    // Case does not matter for the name; the same description comes back.
    EXPECT_EQ(m_registry->getOrCreate("FIRE.XML").get(), info.get());
    EXPECT_EQ(m_registry->count(), 1u);

    info->unload();
    EXPECT_FALSE(info->sprite);
    EXPECT_EQ(info->curve(particle::CURVE_GRAVITY).count, 0u);
    EXPECT_TRUE(info->path.empty());
}

TEST_F(ParticleInfoTest, FailuresAreLoggedAndStayFailures) {
    Desc old;
    old.version = "2.0";
    writeDescription("old.xml", old);
    Desc noTexture;
    noTexture.texture = "missing.png";
    writeDescription("notex.xml", noTexture);
    Desc emptyTexture;
    emptyTexture.texture = "";
    writeDescription("empty.xml", emptyTexture);
    testsupport::writeFile(m_dir.path() / "broken.xml", "<root><object name=\"x\"");

    EXPECT_FALSE(m_registry->getOrCreate("old.xml"));
    EXPECT_EQ(logCount("cmdReadSystemParam FAILD. Old version"), 1);
    EXPECT_EQ(logCount("particle::ParticleSystemInfo::load cmdReadSystemParam FAILED."), 1);

    EXPECT_FALSE(m_registry->getOrCreate("notex.xml"));
    EXPECT_EQ(logCount("particle::createSprite not found texture missing.png"), 1);
    EXPECT_EQ(logCount("particle::cmdReadSystemParam texture not found missing.png"), 1);

    EXPECT_FALSE(m_registry->getOrCreate("empty.xml"));

    // Keys of the wrong type read as absent: the description loads with the defaults.
    testsupport::writeFile(m_dir.path() / "odd.xml",
                           "<root><object name=\"d\"><string name=\"version\" value=\"3.0\" />"
                           "<string name=\"texture\" value=\"spark.png\" />"
                           "<string name=\"emission\" value=\"lots\" /><integer name=\"Size\" value=\"3\" />"
                           "<object name=\"Alpha\"><float name=\"k\" value=\"1\" />"
                           "<object name=\"p\"><string name=\"value\" value=\"x\" /></object></object>"
                           "<float name=\"lifetime\" value=\"1e300\" /><object name=\"SplineParam\" />"
                           "</object></root>");
    ParticleSystemInfoPtr odd = m_registry->getOrCreate("odd.xml");
    ASSERT_TRUE(odd);
    EXPECT_EQ(odd->emission, 0);
    EXPECT_EQ(odd->lifetime, 0.0f);
    EXPECT_EQ(odd->curve(particle::CURVE_SIZE).count, 0u);
    ASSERT_EQ(odd->curve(particle::CURVE_ALPHA).count, 1u);
    EXPECT_EQ(odd->curve(particle::CURVE_ALPHA).points[0].value, 0.0f);
    EXPECT_EQ(odd->pathMode, particle::PATH_LINEAR);
    EXPECT_FALSE(m_registry->getOrCreate("broken.xml"));
    EXPECT_FALSE(m_registry->getOrCreate("nothing.xml"));
    EXPECT_EQ(logCount("particle::ParticleSystemInfo::load not restored xml"), 2);
    EXPECT_FALSE(m_registry->getOrCreate(""));

    // A failed description stays registered, is not loaded again and keeps failing.
    const int lines = logCount("ERROR");
    EXPECT_FALSE(m_registry->getOrCreate("old.xml"));
    EXPECT_FALSE(m_registry->getOrCreate("notex.xml"));
    EXPECT_EQ(logCount("ERROR"), lines);
    ASSERT_TRUE(m_registry->find("old.xml"));
    EXPECT_FALSE(m_registry->find("old.xml")->isLoaded());
    EXPECT_FALSE(m_registry->find("notex.xml")->sprite);

    // The pool's system refuses it too.
    particle::ParticleSystem* s = m_manager->CreateParticleSystem();
    ASSERT_NE(s, nullptr);
    EXPECT_FALSE(s->GetParticleSystemInfo("old.xml"));
    EXPECT_EQ(logCount("GetParticleSystemInfo(old.xml) FAILED."), 1);
    s->stop();
}

}  // namespace
}  // namespace particletest
