#pragma once
// The registry of textures and the one place where textures are asked for by name. Textures from
// files are made and loaded on first request; the render target is made from parameters; the
// default-pool textures are unloaded before a device reset and loaded again after it.
#include <string>

#include "core/singleton.h"
#include "graphics/resource_mgr.h"
#include "graphics/texture.h"

class TextureContainer : public ResourceMgr<Texture>, public Tov::Singleton<TextureContainer> {
public:
    TextureContainer() = default;
    ~TextureContainer() override;

    // The texture of that file, loaded on first request; empty for an empty name, a name without
    // an extension, a missing or unreadable file, or a name that failed before (until released).
    TexturePtr getTexture(const std::string& name, D3DFORMAT format = D3DFMT_UNKNOWN);
    // A texture from parameters; an existing one of that name is returned as it is. Empty when
    // the texture cannot be made: it stays registered, and a later call or reloadDefaultPool tries
    // again.
    TexturePtr createTexture(const std::string& name, UINT width, UINT height, UINT count, UINT mipLevels,
                             D3DFORMAT format, DWORD usage, D3DPOOL pool);
    void releaseTexture(const std::string& name);
    void unloadDefaultPool();
    void reloadDefaultPool();

    virtual bool handles(int) const { return false; }
};
