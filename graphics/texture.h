#pragma once
// The texture resource as far as the device wrapper needs it: the Direct3D texture it holds.
// The texture container extends this class with loading from files and parameters.
#include "core/shared_ptr.h"
#include "platform/graphics/d3d9.h"

class Texture {
public:
    Texture() = default;
    explicit Texture(IDirect3DBaseTexture9* texture) : m_texture(texture) {}
    virtual ~Texture() {
        if (m_texture) m_texture->Release();
    }
    Texture(const Texture&) = delete;
    Texture& operator=(const Texture&) = delete;

    // Null while not loaded.
    IDirect3DBaseTexture9* getTexture() const { return m_texture; }

protected:
    IDirect3DBaseTexture9* m_texture = nullptr;  // owned
};

typedef SharedPtr<Texture> TexturePtr;
