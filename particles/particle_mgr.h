#pragma once
// The registry of particle system descriptions: each is loaded once and shared by every effect
// that names it.
#include <map>
#include <string>

#include "core/singleton.h"
#include "particles/particle_system_info.h"

namespace particle {

class ParticleMgr : public Tov::Singleton<ParticleMgr> {
public:
    ParticleMgr() = default;
    ~ParticleMgr() override;

    // The description of that name, loaded on first request; empty for an empty name and for a
    // description that failed to load (which stays registered and keeps failing).
    ParticleSystemInfoPtr getOrCreate(const std::string& name);

    ParticleSystemInfoPtr find(const std::string& name) const;
    void add(const ParticleSystemInfoPtr& info, const std::string& name);
    void clear();
    size_t size() const { return m_byName.size(); }

private:
    std::map<std::string, ParticleSystemInfoPtr> m_byName;
};

}  // namespace particle
