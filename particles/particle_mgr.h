#pragma once
// The registry of particle system descriptions: each is loaded once and shared by every effect
// that names it.
#include <string>

#include "core/singleton.h"
#include "graphics/resource_mgr.h"
#include "particles/particle_system_info.h"

namespace particle {

class ParticleMgr : public ResourceMgr<ParticleSystemInfo>, public Tov::Singleton<ParticleMgr> {
public:
    ParticleMgr() = default;
    ~ParticleMgr() override = default;

    // The description of that name, loaded on first request; empty for an empty name and for a
    // description that failed to load (which stays registered and keeps failing).
    ParticleSystemInfoPtr getOrCreate(const std::string& name);
};

}  // namespace particle
