#pragma once
// The particle tests' world: a temporary folder for description and effect files, a spy device,
// textures of known sizes, fixed random tables, and the two registries.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/math_utils.h"
#include "graphics/d3d_device.h"
#include "graphics/texture_container.h"
#include "particles/effect_mgr.h"
#include "particles/particle_mgr.h"
#include "tests/particles/spy_device.h"
#include "tests/support/temp_dir.h"

namespace particletest {

using Points = std::vector<std::pair<float, float>>;

// A particle system description, written as the editor writes it.
struct Desc {
    std::string version = "3.0";
    int emission = 0;
    float lifetime = -1.0f;
    float absoluteLifetime = 1.0f;
    float lifeMin = 10.0f, lifeMax = 10.0f;
    std::string texture = "spark.png";
    int effect = 0;
    float rect[6] = {0, 0, 16, 16, 8, 8};  // tx1 ty1 tx2 ty2 cx cy
    int blend = 0;
    float radiusX = 0, radiusY = 0;
    int mode = 0;
    float direction = 0, spread = 0, speed = 0;
    bool randomColors = false;
    std::map<std::string, Points> curves = {{"Alpha", {{0, 1}}}, {"ColorR", {{0, 1}}}, {"ColorG", {{0, 1}}},
                                            {"ColorB", {{0, 1}}}, {"Size", {{0, 1}}}, {"Rubbing", {{0, 1}}}};
    std::vector<Vector2> emitterPoints;
    std::string pathMode;  // empty: no "SplineParam"
    std::vector<Vector2> path;
    float tangents[4] = {0, 0, 0, 0};

    std::string xml() const;
};

struct EffectSystem {
    EffectSystem(const std::string& pse_, float dx_ = 0, float dy_ = 0) : pse(pse_), dx(dx_), dy(dy_) {}
    std::string pse;
    float dx = 0, dy = 0;
    bool fixed = false;
    Vector2 fixedAt;
    std::vector<int> bounds;  // x1 y1 .. x4 y4 when not empty
};

// An effect file's text; `extra` is inserted into the top object as it stands.
std::string effectXml(const std::vector<EffectSystem>& systems, const std::string& extra = "");

class ParticleTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    void writeDescription(const std::string& file, const Desc& desc);
    void writeEffect(const std::string& name, const std::string& text);
    std::string logText() const;
    // The lines of the log that contain `text`.
    int logCount(const std::string& text) const;

    // One system taken from the pool and prepared for the description.
    particle::ParticleSystem* system(const std::string& description);

    // Registers a texture of that size under the name in the texture container.
    SpyTexture* addTexture(const std::string& name, UINT width, UINT height);

    testsupport::TempDir m_dir;
    SpyDevice m_device;
    std::map<std::string, std::unique_ptr<SpyTexture>> m_textures;
    std::unique_ptr<CD3DDevice> m_wrapper;
    std::unique_ptr<TextureContainer> m_container;
    std::unique_ptr<particle::ParticleMgr> m_registry;
    particle::fxParticleEffectMgr* m_manager = nullptr;
};

}  // namespace particletest
