#include "graphics/resource_mgr.h"

#include "core/string_utils.h"

namespace {

std::string lowered(const std::string& name) {
    std::string out;
    return toLower(name, out);
}

// Held by the registry alone: once in each map.
constexpr int kRegistryRefs = 2;

}  // namespace

ResourceMgr::~ResourceMgr() { clear(); }

ResourcePtr ResourceMgr::find(const std::string& name) const {
    if (name.empty()) return ResourcePtr();
    auto it = byName.find(lowered(name));
    return it == byName.end() ? ResourcePtr() : it->second;
}

void ResourceMgr::add(const ResourcePtr& resource, const std::string& name) {
    if (!resource) return;
    auto inserted = byName.emplace(lowered(name), resource);
    if (!inserted.second) return;
    resource->id = nextId++;
    byId.emplace(resource->id, resource);
}

void ResourceMgr::remove(const ResourcePtr& resource) {
    if (!resource) return;
    // Keep the resource alive while its entries go: the caller's pointer may be one of them.
    ResourcePtr keep = resource;
    keep->unload();
    auto named = byName.find(lowered(keep->name));
    if (named != byName.end() && named->second.get() == keep.get()) byName.erase(named);
    auto numbered = byId.find(keep->id);
    if (numbered != byId.end() && numbered->second.get() == keep.get()) byId.erase(numbered);
}

ResourcePtr ResourceMgr::findById(uint32_t id) const {
    auto it = byId.find(id);
    return it == byId.end() ? ResourcePtr() : it->second;
}

void ResourceMgr::unloadAll() {
    for (auto& [name, resource] : byName) resource->unload();
}

void ResourceMgr::unloadUnused() {
    for (auto& [name, resource] : byName)
        if (resource.useCount() == kRegistryRefs) resource->unload();
}

void ResourceMgr::removeUnused() {
    unloadUnused();
    for (auto it = byName.begin(); it != byName.end();) {
        if (it->second.useCount() == kRegistryRefs) {
            byId.erase(it->second->id);
            it = byName.erase(it);
        } else {
            ++it;
        }
    }
}

void ResourceMgr::clear() {
    unloadAll();
    byName.clear();
    byId.clear();
}
