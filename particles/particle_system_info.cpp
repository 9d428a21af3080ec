#include "particles/particle_system_info.h"

#include <cmath>

#include "core/attr_access.h"
#include "core/attr_xml.h"
#include "core/log_stream.h"
#include "particles/internal/attr_read.h"

namespace particle {

namespace {

// Curves in the order the reader takes them, with their keys.
struct CurveKey {
    CurveId id;
    const char* key;
};
constexpr CurveKey kCurveKeys[] = {
    {CURVE_PARTICLE_LIFE, "ParticleLife"},
    {CURVE_EMISSION, "Emission"},
    {CURVE_COLOR_R, "ColorR"},
    {CURVE_COLOR_G, "ColorG"},
    {CURVE_COLOR_B, "ColorB"},
    {CURVE_WIND, "Wind"},
    {CURVE_WIND_DIRECTION, "WindDirection"},
    {CURVE_RUBBING, "Rubbing"},
    {CURVE_GRAVITY, "Gravity"},
    {CURVE_RADIAL_ACCEL, "RadialAccel"},
    {CURVE_TANGENTIAL_ACCEL, "TangentialAccel"},
    {CURVE_SIZE, "Size"},
    {CURVE_ALPHA, "Alpha"},
    {CURVE_SPIN, "Spin"},
    {CURVE_FPS, "Fps"},
    {CURVE_EMITTER_CENTER_X, "emitterCenterX"},
    {CURVE_EMITTER_CENTER_Y, "emitterCenterY"},
};

void readPoints(const Attr::AttributePtr& list, std::vector<Vector2>& out) {
    out.clear();
    for (auto it = Attr::attributesBegin(list); it != Attr::attributesEnd(list); ++it) {
        const Attr::AttributePtr& point = it->second;
        if (!point || point->typeId() != Attr::TYPE_OBJECT) continue;
        out.push_back(readPoint(point));
    }
}

}  // namespace

uint32_t destBlendFromFlags(int32_t blend) {
    struct Bit {
        int32_t mask;
        uint32_t factor;
    };
    static constexpr Bit kBits[] = {{0x40, 1},  {0x80, 2},   {0x100, 3},  {0x400, 5},
                                    {0x800, 6}, {0x1000, 7}, {0x2000, 8}, {0x4000, 9}};
    for (const Bit& bit : kBits) {
        if (blend & bit.mask) return bit.factor;
    }
    return 2;
}

std::unique_ptr<ParticleSprite> createSprite(const std::string& textureName, float tx1, float ty1, float tx2,
                                             float ty2) {
    SpriteTexture texture;
    if (!findSpriteTexture(textureName, texture)) {
        Tov::LogLine("ERROR") << "particle::createSprite" << " not found texture " << textureName;
        return nullptr;
    }
    auto sprite = std::make_unique<ParticleSprite>();
    sprite->texture = texture;
    sprite->width = tx2 - tx1;
    sprite->height = ty2 - ty1;
    const float xs[4] = {tx1, tx2, tx2, tx1};
    const float ys[4] = {ty1, ty1, ty2, ty2};
    for (int i = 0; i < 4; ++i) {
        ParticleVertex& v = sprite->quad[i];
        v.x = xs[i];
        v.y = ys[i];
        v.z = 0.0f;
        v.rhw = 1.0f;
        v.color = 0xFFFFFFFFu;
        v.u = xs[i] / texture.width;
        v.v = ys[i] / texture.height;
    }
    return sprite;
}

bool cmdReadSystemParam(const Attr::AttributePtr& node, ParticleSystemInfo& info) {
    if (readString(node, "version") != "3.0") {
        Tov::LogLine("ERROR") << "cmdReadSystemParam FAILD. Old version";
        return false;
    }
    info.emission = readInt(node, "emission");
    info.lifetime = readFloat(node, "lifetime");
    info.absoluteLifetime = readFloat(node, "absolutelifetime");
    info.particleLifeMin = readFloat(node, "particleLifeMin");
    info.particleLifeMax = readFloat(node, "particleLifeMax");

    info.textureName = readString(node, "texture");
    if (info.textureName.empty()) {
        Tov::LogLine("ERROR") << "particle::cmdReadSystemParam" << " texture not found " << info.textureName;
        return false;
    }

    info.effectFlags = readInt(node, "effect");
    static const char* const kRectKeys[6] = {"tx1", "ty1", "tx2", "ty2", "cx", "cy"};
    for (int i = 0; i < 6; ++i) info.textureRect[i] = readFloat(node, kRectKeys[i]);
    info.sprite = createSprite(info.textureName, info.textureRect[0], info.textureRect[1], info.textureRect[2],
                               info.textureRect[3]);
    if (!info.sprite) {
        Tov::LogLine("ERROR") << "particle::cmdReadSystemParam" << " texture not found " << info.textureName;
        return false;
    }
    info.sprite->centerX = info.textureRect[4];
    info.sprite->centerY = info.textureRect[5];

    info.blend = readInt(node, "blend");
    info.colorOp = readInt(node, "color_op");
    info.blendOp = readInt(node, "blend_op");
    info.sprite->destBlend = destBlendFromFlags(info.blend);
    info.sprite->secondBlend = 7;

    info.emitterRadiusX = readFloat(node, "imitterRadiusX");
    info.emitterRadiusY = readFloat(node, "imitterRadiusY");
    info.emitterMode = readInt(node, "imitterMode");
    info.direction = readFloat(node, "Direction");
    info.spread = readFloat(node, "Spread");
    info.speed = readFloat(node, "Speed");
    info.useRandomColorList = readBool(node, "mUseRandomColorList");

    for (const CurveKey& key : kCurveKeys) info.curves[key.id].read(Attr::findAttribute(node, key.key));

    readPoints(Attr::findAttribute(node, "EmitterPoints"), info.emitterPoints);

    info.path.clear();
    info.pathMode = PATH_LINEAR;
    const Attr::AttributePtr& spline = Attr::findAttribute(node, "SplineParam");
    if (spline && spline->typeId() == Attr::TYPE_OBJECT) {
        const std::string mode = readString(spline, "pathmode");
        if (mode == "prmCurvilinear") info.pathMode = PATH_CURVILINEAR;
        else if (mode == "prmSpline") info.pathMode = PATH_SPLINE;
        readPoints(Attr::findAttribute(spline, "SplinePath"), info.path);
        info.pathTangents[0] = readFloat(spline, "st0");
        info.pathTangents[1] = readFloat(spline, "st1");
        info.pathTangents[2] = readFloat(spline, "et0");
        info.pathTangents[3] = readFloat(spline, "et1");
    }
    return true;
}

void ParticleSystemInfo::load(bool, int) {
    if (loaded) return;
    unload();
    Attr::AttributePtr root = Attr::loadDocument(name);
    if (!root) {
        Tov::LogLine("ERROR") << "particle::ParticleSystemInfo::load" << " not restored xml " << name;
        return;
    }
    if (!cmdReadSystemParam(root, *this)) {
        Tov::LogLine("ERROR") << "particle::ParticleSystemInfo::load" << " cmdReadSystemParam FAILED.";
        // What was read before the failure must not be drawn.
        unload();
        return;
    }
    loaded = true;
}

void ParticleSystemInfo::unload() {
    for (Curve& c : curves) c.clear();
    sprite.reset();
    emitterPoints.clear();
    path.clear();
    loaded = false;
}

}  // namespace particle
