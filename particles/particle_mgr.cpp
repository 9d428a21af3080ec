#include "particles/particle_mgr.h"

#include "core/string_utils.h"

namespace particle {

ParticleMgr::~ParticleMgr() { clear(); }

ParticleSystemInfoPtr ParticleMgr::find(const std::string& name) const {
    if (name.empty()) return ParticleSystemInfoPtr();
    std::string key;
    toLower(name, key);
    auto it = m_byName.find(key);
    return it == m_byName.end() ? ParticleSystemInfoPtr() : it->second;
}

void ParticleMgr::add(const ParticleSystemInfoPtr& info, const std::string& name) {
    std::string key;
    toLower(name, key);
    m_byName.emplace(key, info);
}

void ParticleMgr::clear() {
    for (auto& entry : m_byName) entry.second->unload();
    m_byName.clear();
}

ParticleSystemInfoPtr ParticleMgr::getOrCreate(const std::string& name) {
    if (name.empty()) return ParticleSystemInfoPtr();
    ParticleSystemInfoPtr found = find(name);
    if (found) return found->isLoaded() ? found : ParticleSystemInfoPtr();
    ParticleSystemInfoPtr info(new ParticleSystemInfo(name));
    add(info, name);
    info->load(true, 0);
    if (!info->isLoaded()) return ParticleSystemInfoPtr();
    return info;
}

}  // namespace particle
