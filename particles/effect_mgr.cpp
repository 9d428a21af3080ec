#include "particles/effect_mgr.h"

#include <algorithm>

#include "core/attr_xml.h"
#include "core/log_stream.h"
#include "particles/internal/attr_read.h"

namespace particle {

fxParticleEffectMgr::fxParticleEffectMgr() : m_pool(new ParticleSystem[kPoolSize]) {
    m_free.reserve(kPoolSize);
    m_used.reserve(kPoolSize);
    for (uint32_t i = 0; i < kPoolSize; ++i) m_free.push_back(&m_pool[i]);
}

fxParticleEffectMgr::~fxParticleEffectMgr() {
    // Effects still in play hold systems of the pool that is about to go.
    clearEffects();
    m_batcher.releaseTexture();
}

void fxParticleEffectMgr::destroy() {
    clearEffects();
    delete this;
}

fxParticleEffect2D* fxParticleEffectMgr::getEffect(const std::string& name, bool managed, bool newInstance) {
    if (!newInstance) {
        for (fxParticleEffect2D* effect : m_active) {
            if (!effect->m_stopped && effect->name() == name) return effect;
        }
    }
    const std::string fileName = name + ".effect";
    Attr::AttributePtr root = Attr::loadDocument(fileName);
    if (!root || root->typeId() != Attr::TYPE_OBJECT) {
        Tov::LogLine("ERROR") << "fxParticleEffectMgr::getEffect : file not found " << fileName;
        return nullptr;
    }
    const std::string className = readString(root, "classname", "fxSingleEffect");
    if (className != "fxSingleEffect") {
        Tov::LogLine("ERROR") << "error in fxParticleEffect2D::create " << name << " (class " << className << ")";
        return nullptr;
    }
    fxSingleEffect* effect = new fxSingleEffect(name, managed);
    if (!effect->load(root)) {
        delete effect;
        Tov::LogLine("ERROR") << "error in fxParticleEffect2D::create " << name;
        return nullptr;
    }
    m_active.push_back(effect);
    return effect;
}

fxParticleEffect2D* fxParticleEffectMgr::startEffect(float x, float y, const std::string& name, bool newInstance,
                                                     bool managed, int) {
    fxParticleEffect2D* effect = getEffect(name, managed, newInstance);
    if (!effect) return nullptr;
    effect->setPosition({x, y});
    effect->start();
    return effect;
}

void fxParticleEffectMgr::update(float dt) {
    size_t i = 0;
    // Callbacks may stop any effect, this one included: after each step the same place is
    // looked at again unless it still holds the effect just handled.
    auto stillAt = [this](size_t place, const fxParticleEffect2D* effect) {
        return place < m_active.size() && m_active[place] == effect;
    };
    while (i < m_active.size()) {
        fxParticleEffect2D* effect = m_active[i];
        if (effect->isFinished()) {
            effect->stop();
            if (stillAt(i, effect)) ++i;
            continue;
        }
        if (effect->isManaged()) {
            effect->update(dt);
            if (!stillAt(i, effect)) continue;
        }
        if (effect->frameStep()) {
            if (stillAt(i, effect)) ++i;
            continue;
        }
        ++i;
    }
}

void fxParticleEffectMgr::draw() {
    for (size_t i = 0; i < m_active.size(); ++i) {
        if (m_active[i]->isManaged()) m_active[i]->draw();
    }
}

void fxParticleEffectMgr::removeEffect(fxParticleEffect2D* effect) {
    auto it = std::find(m_active.begin(), m_active.end(), effect);
    if (it == m_active.end()) return;
    *it = m_active.back();
    m_active.pop_back();
}

void fxParticleEffectMgr::clearEffects() {
    while (!m_active.empty()) {
        fxParticleEffect2D* effect = m_active.front();
        effect->stop();
        if (!m_active.empty() && m_active.front() == effect) removeEffect(effect);
    }
}

void fxParticleEffectMgr::stopEffectByName(const std::string& name) {
    for (fxParticleEffect2D* effect : m_active) {
        if (effect->name() == name) {
            effect->stop();
            return;
        }
    }
}

bool fxParticleEffectMgr::isActive(const fxParticleEffect2D* effect) const {
    return std::find(m_active.begin(), m_active.end(), effect) != m_active.end();
}

uint32_t fxParticleEffectMgr::getParticleCount() const {
    uint32_t total = 0;
    for (const fxParticleEffect2D* effect : m_active) {
        for (const auto& entry : effect->systems()) total += entry.system->particleCount();
    }
    return total;
}

uint32_t fxParticleEffectMgr::getSystemCount() const {
    uint32_t total = 0;
    for (const fxParticleEffect2D* effect : m_active) total += static_cast<uint32_t>(effect->systems().size());
    return total;
}

ParticleSystem* fxParticleEffectMgr::allocMemory() {
    if (m_free.empty()) {
        Tov::LogLine("ERROR") << "allocMemory FAILED. Out of memory";
        return nullptr;
    }
    ParticleSystem* system = m_free.back();
    m_free.pop_back();
    m_used.push_back(system);
    return system;
}

ParticleSystem* fxParticleEffectMgr::CreateParticleSystem() {
    ParticleSystem* system = allocMemory();
    if (!system) {
        Tov::LogLine("ERROR") << "particle::fxParticleEffectMgr::CreateParticleSystem" << " Couldn't allocate memory.";
        return nullptr;
    }
    system->clear();
    return system;
}

void fxParticleEffectMgr::releaseParticleSystem(ParticleSystem* system) {
    auto it = std::find(m_used.begin(), m_used.end(), system);
    if (it == m_used.end()) return;
    m_free.push_back(system);
    m_used.erase(it);
}

}  // namespace particle
