#pragma once
// Named resources (textures, fonts, particle descriptions) loaded once and shared: a registry keeps
// each under its lower-cased name and under an id that counts up from 1 and is never reused.
#include <cstdint>
#include <map>
#include <string>

#include "core/shared_ptr.h"

class Resource {
public:
    explicit Resource(const std::string& name) : name(name) {}
    virtual ~Resource() = default;
    Resource(const Resource&) = delete;
    Resource& operator=(const Resource&) = delete;

    // Each class loads itself; the arguments are not used by the resources of the graphics layer.
    virtual void load(bool now, int flags) = 0;
    virtual void unload() {}
    virtual int getSize() const { return size; }
    virtual void ensureLoaded() {
        if (!loaded) load(false, 0);
    }
    virtual void destroy() { delete this; }
    virtual bool isValid() const { return true; }

    std::string name;  // as given when made (case kept)
    uint32_t id = 0;
    bool loaded = false;
    int size = 0;
};

using ResourcePtr = SharedPtr<Resource>;

// Lower-cased copy of a resource name (the registry's key).
std::string resourceKey(const std::string& name);

// The registry, typed by the kind of resource it keeps (a Resource subclass), so that lookups hand
// out pointers of that kind sharing the registry's counts.
template <class T = Resource>
class ResourceMgr {
public:
    using Ptr = SharedPtr<T>;

    ResourceMgr() = default;
    virtual ~ResourceMgr() { clear(); }
    ResourceMgr(const ResourceMgr&) = delete;
    ResourceMgr& operator=(const ResourceMgr&) = delete;

    // Empty for an empty or unknown name; names are compared lower-cased.
    Ptr find(const std::string& name) const {
        if (name.empty()) return Ptr();
        auto it = byName.find(resourceKey(name));
        return it == byName.end() ? Ptr() : it->second;
    }
    // Registers under the lower-cased name. A name already present keeps its first resource; the
    // new one is then neither registered nor given an id.
    void add(const Ptr& resource, const std::string& name) {
        if (!resource) return;
        if (!byName.emplace(resourceKey(name), resource).second) return;
        resource->id = nextId++;
        byId.emplace(resource->id, resource);
    }
    // Unloads the resource and drops the registry's references. Only the entries that hold this
    // very resource go: removing an unregistered namesake leaves the registered one alone.
    void remove(const Ptr& resource) {
        if (!resource) return;
        Ptr keep = resource;  // the caller's pointer may be one of the entries
        keep->unload();
        auto named = byName.find(resourceKey(keep->name));
        if (named != byName.end() && named->second.get() == keep.get()) byName.erase(named);
        auto numbered = byId.find(keep->id);
        if (numbered != byId.end() && numbered->second.get() == keep.get()) byId.erase(numbered);
    }
    Ptr findById(uint32_t id) const {
        auto it = byId.find(id);
        return it == byId.end() ? Ptr() : it->second;
    }
    void unloadAll() {
        for (auto& entry : byName) entry.second->unload();
    }
    // Resources that only the registry holds (its two references).
    void unloadUnused() {
        for (auto& entry : byName)
            if (entry.second.useCount() == kRegistryRefs) entry.second->unload();
    }
    void removeUnused() {
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
    void clear() {
        unloadAll();
        byName.clear();
        byId.clear();
    }

    size_t count() const { return byName.size(); }
    uint32_t peekNextId() const { return nextId; }

protected:
    static constexpr int kRegistryRefs = 2;

    std::map<uint32_t, Ptr> byId;
    std::map<std::string, Ptr> byName;
    uint32_t nextId = 1;
};
