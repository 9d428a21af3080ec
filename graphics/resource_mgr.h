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

class ResourceMgr {
public:
    ResourceMgr() = default;
    virtual ~ResourceMgr();
    ResourceMgr(const ResourceMgr&) = delete;
    ResourceMgr& operator=(const ResourceMgr&) = delete;

    ResourcePtr find(const std::string& name) const;
    // Registers under the lower-cased name. A name already present keeps its first resource; the
    // new one is then neither registered nor given an id.
    void add(const ResourcePtr& resource, const std::string& name);
    void remove(const ResourcePtr& resource);
    ResourcePtr findById(uint32_t id) const;
    void unloadAll();
    // Resources that only the registry holds (its two references).
    void unloadUnused();
    void removeUnused();
    void clear();

    size_t count() const { return byName.size(); }
    uint32_t peekNextId() const { return nextId; }

protected:
    std::map<uint32_t, ResourcePtr> byId;
    std::map<std::string, ResourcePtr> byName;
    uint32_t nextId = 1;
};
