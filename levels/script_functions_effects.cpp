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
#include "particles/particle_effect.h"
#include "particles/particle_system.h"
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

// The clip's bounds, as four corners in game pixels, become the emission area of every system of
// the effect.
void insertBounds(fxParticleEffect2D* effect, flash::character* clip) {
    flash::rect bounds;
    clip->get_bound(&bounds);  // in the parent's space
    const flash::matrix parent = clip->get_parent() ? clip->get_parent()->get_world_matrix() : flash::matrix();
    const flash::point corners[4] = {{bounds.m_x_min, bounds.m_y_min},
                                     {bounds.m_x_max, bounds.m_y_min},
                                     {bounds.m_x_max, bounds.m_y_max},
                                     {bounds.m_x_min, bounds.m_y_max}};
    Vector2 quad[4];
    for (int i = 0; i < 4; ++i) {
        flash::point world;
        parent.transform(&world, corners[i]);
        quad[i] = Vector2{flash::finite_or_zero(world.m_x * flash::pixels_per_twip),
                          flash::finite_or_zero(world.m_y * flash::pixels_per_twip)};
    }
    for (const fxParticleEffect2D::SystemEntry& entry : effect->systems())
        if (entry.system) entry.system->setBoundsQuad(quad);
}

// The effect's name, or an empty text when no level, clip or effect.
std::string startEffectWithRect(const std::string& name, const std::string& path) {
    BaseLevel* level = currentLevel(true);
    flash::character* clip = findClip(path, true);
    if (!clip) return std::string();
    const flash::matrix world = clip->get_world_matrix();
    fxParticleEffect2D* effect =
        startOnLevel(level, name, world.m_[0][2] * flash::pixels_per_twip, world.m_[1][2] * flash::pixels_per_twip);
    if (!effect) return std::string();
    insertBounds(effect, clip);
    return effect->name();
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
