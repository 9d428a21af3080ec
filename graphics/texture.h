#pragma once
// A Direct3D texture made from an image file found through the file system or from explicit
// parameters (render targets), registered by name in the texture container.
#include <string>

#include "core/shared_ptr.h"
#include "graphics/resource_mgr.h"
#include "platform/graphics/d3d9.h"

class Texture : public Resource {
public:
    enum Kind { KIND_2D = 0, KIND_VOLUME = 1, KIND_CUBE = 2, KIND_NONE = 3 };

    Texture() : Resource(std::string()) {}
    // Wraps a texture that exists already (owning its reference): size, format, pool and usage
    // come from level 0 and the texture counts as loaded.
    explicit Texture(IDirect3DBaseTexture9* texture);
    // From a file: the name is looked up in the file system; format 0 keeps the file's.
    Texture(const std::string& name, D3DFORMAT format);
    // From parameters.
    Texture(const std::string& name, UINT width, UINT height, UINT mipLevels, D3DFORMAT format, DWORD usage,
            D3DPOOL pool);
    ~Texture() override;

    void load(bool now, int flags) override;
    void unload() override;

    // Null while not loaded.
    IDirect3DBaseTexture9* getTexture() const { return m_texture; }
    Kind getKind() const;
    // Copies level 0 into another texture's level 0, filtered (StretchRect).
    HRESULT copyTo(const Texture& destination) const;

    UINT getWidth() const { return width; }
    UINT getHeight() const { return height; }

    UINT width = 0;
    UINT height = 0;
    D3DFORMAT format = D3DFMT_UNKNOWN;
    D3DPOOL pool = D3DPOOL_MANAGED;
    DWORD usage = 0;
    UINT mipLevels = 0;
    bool fromParameters = false;

protected:
    IDirect3DBaseTexture9* m_texture = nullptr;  // owned

private:
    void loadFromParameters(IDirect3DDevice9* device);
    void loadFromFile(IDirect3DDevice9* device);
};

typedef SharedPtr<Texture> TexturePtr;

// Logs the error line of a failed texture call ("Load texture error = ...").
void logTextureError(HRESULT result);
