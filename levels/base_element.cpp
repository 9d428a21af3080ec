#include "levels/base_element.h"

#include <cmath>

#include "core/log_stream.h"
#include "flash/shape/geometry.h"
#include "levels/base_level.h"
#include "particles/effect_mgr.h"
#include "particles/particle_effect.h"
#include "script/script_core.h"
#include "script/script_binding.h"
#include "script/script_function.h"

namespace {



void makeFinite(flash::matrix& matrix) {
    for (auto& row : matrix.m_)
        for (float& value : row) value = flash::finite_or_zero(value);
}

void makeFinite(flash::cxform& colour) {
    for (auto& row : colour.m_)
        for (float& value : row) value = flash::finite_or_zero(value);
}

}  // namespace

BaseElement::BaseElement(int kind, const std::string& name, const std::string& targetName)
    : levels::ClipOwner(Kind::Element), m_kind(kind), m_name(name), m_targetName(targetName) {}

BaseElement::BaseElement(const BaseElement& other)
    : script::BoundObject(other),
      levels::ClipOwner(other),
      m_kind(other.m_kind),
      m_name(other.m_name),
      m_targetName(other.m_targetName),
      m_extra(other.m_extra),
      m_scripts(other.m_scripts),
      m_level(other.m_level),
      m_character(other.m_character),
      m_transforms(other.m_transforms),
      m_ownsCharacter(other.m_ownsCharacter) {
    for (const auto& animation : other.m_animations)
        m_animations.push_back(std::make_unique<ElementAnimation>(*animation));
    if (other.m_listenerRef >= 0 && other.m_listenerGeneration == script::stateGeneration()) {
        m_listenerRef = ScriptBinding::copyRef(other.m_listenerRef);
        m_listenerGeneration = other.m_listenerGeneration;
    }
}

BaseElement::~BaseElement() {
    stopEffect();
    flash::character* ch = getCharacter();
    if (ch) {
        // A clip that still names this element as its owner forgets it.
        if (ClipOwner::elementOf(ch) == this) setOwnerOf(ch, nullptr);
        if (m_ownsCharacter) {
            if (flash::character* parent = ch->get_parent()) parent->remove_display_object(ch);
        }
    }
    if (m_listenerRef >= 0 && m_listenerGeneration == script::stateGeneration() && currentScriptState())
        ScriptBinding::unref(m_listenerRef);
}

bool BaseElement::setScriptCallback(int eventId, const std::string& text) {
    if (eventId < 0 || eventId >= kScriptCount) return false;
    m_scripts[static_cast<size_t>(eventId)] = text;
    return true;
}

const std::string& BaseElement::getScript(int eventId) const {
    static const std::string kNone;
    if (eventId < 0 || eventId >= kScriptCount) return kNone;
    return m_scripts[static_cast<size_t>(eventId)];
}

bool BaseElement::runScript(int eventId) const {
    if (eventId < 0 || eventId >= eiUpdate) return false;
    const std::string& text = m_scripts[static_cast<size_t>(eventId)];
    if (text.empty() || !currentScriptState()) return false;
    runScriptBuffer(text.c_str(), text.size(), m_name.c_str());
    return true;
}

void BaseElement::setCharacter(flash::character* ch) {
    m_character = ch;
    if (!ch) return;
    ch->m_stop_callback = &BaseElement::endAnimCallback;
    setOwnerOf(ch, this);
}

void BaseElement::onEffectDone(void* context, particle::fxParticleEffect2D* effect) {
    auto* element = static_cast<BaseElement*>(context);
    if (element->m_effect == effect) element->m_effect = nullptr;
}

void BaseElement::stopEffect() {
    particle::fxParticleEffect2D* effect = m_effect;
    m_effect = nullptr;
    if (!effect) return;
    effect->setCompletionCallback(nullptr, nullptr);
    effect->setHolder(nullptr);
    effect->stopEmission(false);
    effect->stop();
}

void BaseElement::setEffect(const std::string& name) {
    stopEffect();
    flash::character* ch = getCharacter();
    particle::fxParticleEffectMgr* effects = particle::fxParticleEffectMgr::instance();
    if (name.empty() || !ch || !effects) return;
    const flash::matrix world = ch->get_world_matrix();
    // Unmanaged: the level steps and draws it.
    m_effect = effects->startEffect(world.m_[0][2] * flash::pixels_per_twip, world.m_[1][2] * flash::pixels_per_twip, name, true, false);
    if (!m_effect) return;
    m_effect->setCompletionCallback(this, &BaseElement::onEffectDone);
    // The effect nulls the field when it goes, whoever stops it.
    m_effect->setHolder(&m_effect);
}

void BaseElement::addAnimation(ElementAnimation* animation) {
    if (animation) m_animations.emplace_back(animation);
}

bool BaseElement::updateAnimation(float dt) {
    flash::character* ch = getCharacter();
    if (m_animations.empty() || !ch) return false;
    ElementAnimation& animation = *m_animations.front();
    const float startX = animation.startMatrix.m_[0][2];
    const float startY = animation.startMatrix.m_[1][2];
    if (animation.deltasFromTarget) {
        animation.dx = animation.targetMatrix.m_[0][2] - startX;
        animation.dy = animation.targetMatrix.m_[1][2] - startY;
        animation.deltasFromTarget = false;
    }
    animation.elapsed = std::min(animation.elapsed + dt, animation.duration);
    const float t = animation.duration > 0.0f ? animation.elapsed / animation.duration : 1.0f;

    flash::matrix matrix = ch->get_matrix();
    if (animation.dx != 0.0f || animation.dy != 0.0f) {
        matrix.m_[0][2] = startX + t * animation.dx;
        matrix.m_[1][2] = startY + t * animation.dy;
    }
    if (animation.rotationDelta != 0.0f || animation.scaleDelta != 0.0f) {
        const float scale = animation.startMatrix.get_x_scale() + t * animation.scaleDelta;
        matrix.set_scale_rotation(scale, scale, animation.startMatrix.get_rotation() + t * animation.rotationDelta);
    }
    makeFinite(matrix);
    ch->set_matrix(matrix);
    if (animation.colourAnimation) {
        flash::cxform colour;
        for (int channel = 0; channel < 4; ++channel)
            for (int term = 0; term < 2; ++term) {
                const float from = animation.startColour.m_[channel][term];
                colour.m_[channel][term] = from + (animation.targetColour.m_[channel][term] - from) * t;
            }
        makeFinite(colour);
        ch->set_cxform(colour);
    }
    if (m_effect) {
        const flash::matrix world = ch->get_world_matrix();
        m_effect->setPosition({world.m_[0][2] * flash::pixels_per_twip, world.m_[1][2] * flash::pixels_per_twip});
    }

    if (animation.elapsed >= animation.duration) {
        // Taken off the queue before the script runs: the script may queue the next one.
        std::unique_ptr<ElementAnimation> finished = std::move(m_animations.front());
        m_animations.pop_front();
        if (!finished->endScript.empty() && currentScriptState())
            runScriptBuffer(finished->endScript.c_str(), finished->endScript.size(), m_name.c_str());
        // The script may have removed the clip or the queue's records.
        if (!m_animations.empty()) {
            if (flash::character* now = getCharacter()) m_animations.front()->startMatrix = now->get_matrix();
        }
    }
    return true;
}

void BaseElement::updateFollowers(float dt) {
    flash::character* ch = getCharacter();
    if (m_effect && ch) {
        const flash::matrix& local = ch->get_matrix();
        m_effect->setPosition({local.m_[0][2] * flash::pixels_per_twip, local.m_[1][2] * flash::pixels_per_twip});
    }
    const std::string& function = m_scripts[eiUpdate];
    if (!function.empty() && currentScriptState()) {
        script::Function<void> hook;
        hook.bind(function.c_str());
        hook(this, dt);
    }
}

void BaseElement::fadeCarried(bool show) {
    flash::character* ch = getCharacter();
    if (!ch) return;
    auto* fade = new ElementAnimation();
    fade->startMatrix = ch->get_matrix();
    fade->targetMatrix = fade->startMatrix;
    fade->startColour = ch->get_cxform();
    fade->targetColour = fade->startColour;
    fade->targetColour.m_[3][0] = show ? 1.0f : 0.0f;
    fade->colourAnimation = true;
    fade->duration = MouseCursor::kFadeSeconds;
    addAnimation(fade);
}

void BaseElement::pushScriptObject(lua_State* L) { ScriptBinding::push(L, this); }

void BaseElement::endAnimCallback(flash::character* ch) {
    if (BaseElement* element = ClipOwner::elementOf(ch)) {
        element->runScript(eiPlayingEnd);
        return;
    }
    Tov::LogLine("WARNING") << "in " << "endAnimCallback" << " not found element: " << (ch ? ch->get_name().c_str() : "");
}
