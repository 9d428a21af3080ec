#pragma once
// A particle system description: emission, life, the sprite every particle draws, the emitter and
// the curves over time. Read from an attribute tree in format "3.0" and shared by name.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/attr_tree.h"
#include "core/math_utils.h"
#include "graphics/resource_mgr.h"
#include "particles/curve.h"
#include "particles/particle_vertex.h"
#include "particles/texture_link.h"

namespace particle {

// The textured quad every particle of a system draws.
struct ParticleSprite {
    SpriteTexture texture;
    ParticleVertex quad[4];      // the source rectangle's corners with their texture coordinates
    float width = 0.0f;          // of the source rectangle
    float height = 0.0f;
    float centerX = 0.0f;
    float centerY = 0.0f;
    uint32_t destBlend = 2;      // Direct3D blend factor
    uint32_t secondBlend = 7;    // kept with the sprite; drawing does not read it
};

enum CurveId : int {
    CURVE_PARTICLE_LIFE,
    CURVE_EMISSION,
    CURVE_COLOR_R,
    CURVE_COLOR_G,
    CURVE_COLOR_B,
    CURVE_WIND_DIRECTION,
    CURVE_WIND,
    CURVE_RUBBING,
    CURVE_GRAVITY,
    CURVE_RADIAL_ACCEL,
    CURVE_TANGENTIAL_ACCEL,
    CURVE_EMITTER_CENTER_X,
    CURVE_EMITTER_CENTER_Y,
    CURVE_SIZE,
    CURVE_ALPHA,
    CURVE_SPIN,
    CURVE_FPS,
    CURVE_COUNT
};

enum PathMode : int32_t { PATH_LINEAR = 0, PATH_CURVILINEAR = 1, PATH_SPLINE = 2 };

// The destination blend factor of a description's "blend" bits (first set bit wins).
uint32_t destBlendFromFlags(int32_t blend);

// The sprite of a texture's rectangle (tx1, ty1)-(tx2, ty2); null, with an ERROR, when the
// texture is not found.
std::unique_ptr<ParticleSprite> createSprite(const std::string& textureName, float tx1, float ty1, float tx2,
                                             float ty2);

class ParticleSystemInfo : public Resource {
public:
    explicit ParticleSystemInfo(const std::string& name = std::string()) : Resource(name) {}

    // Reads the description file named after the resource; stays not loaded when it cannot be
    // read or is refused.
    void load(bool now, int flags) override;
    // Empties the curves, drops the sprite and the point lists.
    void unload() override;

    bool isLoaded() const { return loaded; }

    const Curve& curve(CurveId id) const { return curves[id]; }
    Curve& curve(CurveId id) { return curves[id]; }

    int32_t emission = 0;
    float lifetime = 0.0f;
    float absoluteLifetime = 0.0f;
    float particleLifeMin = 0.0f;
    float particleLifeMax = 0.0f;
    float emitterRadiusX = 0.0f;
    float emitterRadiusY = 0.0f;
    int32_t emitterMode = 0;
    std::unique_ptr<ParticleSprite> sprite;
    Curve curves[CURVE_COUNT];
    float direction = 0.0f;
    float spread = 0.0f;
    float speed = 0.0f;
    bool useRandomColorList = false;
    std::string textureName;
    std::vector<Vector2> emitterPoints;
    int32_t pathMode = PATH_LINEAR;
    std::vector<Vector2> path;
    float pathTangents[4] = {0, 0, 0, 0};  // st0, st1, et0, et1
    int32_t effectFlags = 0;
    float textureRect[6] = {0, 0, 0, 0, 0, 0};  // tx1, ty1, tx2, ty2, cx, cy
    int32_t blend = 0;
    int32_t colorOp = 0;
    int32_t blendOp = 0;
};

using ParticleSystemInfoPtr = SharedPtr<ParticleSystemInfo>;

// Fills the description from its top attribute; false when the version is not "3.0", the texture
// name is empty or the texture is not found.
bool cmdReadSystemParam(const Attr::AttributePtr& node, ParticleSystemInfo& info);

}  // namespace particle
