#include "particles/particle_mgr.h"

namespace particle {

ParticleSystemInfoPtr ParticleMgr::getOrCreate(const std::string& name) {
    if (name.empty()) return ParticleSystemInfoPtr();
    ParticleSystemInfoPtr found = find(name);
    // A description that failed once is not drawn and not read again.
    if (found) return found->loaded ? found : ParticleSystemInfoPtr();
    ParticleSystemInfoPtr info(new ParticleSystemInfo(name));
    add(info, name);
    info->load(true, 0);
    if (!info->loaded) return ParticleSystemInfoPtr();
    return info;
}

}  // namespace particle
