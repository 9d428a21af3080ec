#pragma once
// The effect manager: the effects in play (which double as the cache that getEffect searches), the
// fixed pool of 300 particle systems and the quad batcher every particle is drawn through.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/singleton.h"
#include "particles/particle_effect.h"
#include "particles/particle_system.h"
#include "particles/quad_batcher.h"

namespace particle {

class fxParticleEffectMgr : public Tov::Singleton<fxParticleEffectMgr> {
public:
    static constexpr uint32_t kPoolSize = 300;

    fxParticleEffectMgr();
    ~fxParticleEffectMgr() override;

    // The effect of that name in play, unless `newInstance`; else one loaded from name + ".effect"
    // and added to the list. Null, with an ERROR, when the file is missing or does not load.
    fxParticleEffect2D* getEffect(const std::string& name, bool managed, bool newInstance);
    // getEffect, then places the effect at (x, y) and starts it. The sixth argument is not read.
    fxParticleEffect2D* startEffect(float x, float y, const std::string& name, bool newInstance, bool managed,
                                    int unused = 0);

    void update(float dt);
    void draw();
    void removeEffect(fxParticleEffect2D* effect);
    void clearEffects();
    void stopEffectByName(const std::string& name);
    uint32_t getEffectCount() const { return static_cast<uint32_t>(m_active.size()); }
    fxParticleEffect2D* getLastEffect() const { return m_active.empty() ? nullptr : m_active.back(); }
    bool isActive(const fxParticleEffect2D* effect) const;
    fxParticleEffect2D* effectAt(uint32_t i) const { return i < m_active.size() ? m_active[i] : nullptr; }
    uint32_t getParticleCount() const;
    uint32_t getSystemCount() const;

    // A zeroed system from the pool; null, with an ERROR, when all 300 are in use.
    ParticleSystem* CreateParticleSystem();
    ParticleSystem* allocMemory();
    void releaseParticleSystem(ParticleSystem* system);
    uint32_t freeSystemCount() const { return static_cast<uint32_t>(m_free.size()); }
    uint32_t usedSystemCount() const { return static_cast<uint32_t>(m_used.size()); }

    // At shutdown: stops every effect and deletes the manager.
    void destroy();

    QuadBatcher& batcher() { return m_batcher; }
    void addEffect(fxParticleEffect2D* effect) { m_active.push_back(effect); }

private:
    std::vector<ParticleSystem*> m_free;
    std::vector<ParticleSystem*> m_used;
    std::unique_ptr<ParticleSystem[]> m_pool;
    QuadBatcher m_batcher;
    std::vector<fxParticleEffect2D*> m_active;
};

}  // namespace particle
