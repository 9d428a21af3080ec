// The script functions that start particle effects on clips or points of the current level and
// stop them. The level takes each started effect from the effect manager and owns it.
#include <string>

#include "core/cvar_catalogue.h"
#include "core/log_stream.h"
#include "flash/runtime/character.h"
#include "flash/shape/geometry.h"
#include "levels/base_level.h"
#include "levels/script_function_support.h"
#include "particles/effect_mgr.h"
#include "script/script_call.h"
#include "script/script_registry.h"
#include "script/value_types.h"

namespace {

using script_functions::currentLevel;
using script_functions::findClip;
using particle::fxParticleEffect2D;
using particle::fxParticleEffectMgr;

bool particlesDisabled() { return d_disableParticles && d_disableParticles->value.b; }

// Starts the effect at the point (pixels) and hands it to the level; null when none started.
fxParticleEffect2D* startOnLevel(BaseLevel* level, const std::string& name, float x, float y) {
    fxParticleEffectMgr* effects = fxParticleEffectMgr::instance();
    if (!level || !effects) return nullptr;
    fxParticleEffect2D* effect = effects->startEffect(x, y, name, true, false);
    if (!effect) return nullptr;
    effects->removeEffect(effect);
    level->addEffect(effect);
    return effect;
}

void startEffect(const std::string& name, const std::string& path) {
    if (particlesDisabled()) return;
    BaseLevel* level = currentLevel(true);
    flash::character* clip = findClip(path, true);
    if (!clip) return;
    Tov::LogLine("MESSAGE") << "start_effect " << name << " on " << path;
    const flash::matrix world = clip->get_world_matrix();
    startOnLevel(level, name, world.m_[0][2] * flash::pixels_per_twip, world.m_[1][2] * flash::pixels_per_twip);
}

void startEffectAt(const std::string& name, Vec2 position) {
    if (particlesDisabled()) return;
    startOnLevel(currentLevel(true), name, position.x, position.y);
}

// The effect's name, or an empty text when no level, clip or effect.
std::string startEffectWithRect(const std::string& name, const std::string& path) {
    BaseLevel* level = currentLevel(true);
    flash::character* clip = findClip(path, true);
    if (!clip) return std::string();
    const flash::matrix world = clip->get_world_matrix();
    fxParticleEffect2D* effect =
        startOnLevel(level, name, world.m_[0][2] * flash::pixels_per_twip, world.m_[1][2] * flash::pixels_per_twip);
    return effect ? effect->name() : std::string();
}

void stopEffect(const std::string& name) {
    if (BaseLevel* level = currentLevel()) level->stopEffect(name);
}

using ScriptBinding::scriptCall;
const ScriptFunctionRegistration s_registrations[] = {
    {"start_effect", scriptCall<&startEffect>},
    {"start_effect_at", scriptCall<&startEffectAt>},
    {"start_effect_with_rect", scriptCall<&startEffectWithRect>},
    {"stop_effect", scriptCall<&stopEffect>},
};

}  // namespace
