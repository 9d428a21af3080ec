#include "graphics/texture.h"

#include "core/log_stream.h"
#include "graphics/d3d_device.h"
#include "platform/graphics/d3dx9_texture_loading.h"
#include "vfs/vfs_manager.h"

void logTextureError(HRESULT result) {
    const char* name = "Unknown error";
    switch (result) {
        case D3DERR_NOTAVAILABLE: name = "D3DERR_NOTAVAILABLE"; break;
        case D3DERR_OUTOFVIDEOMEMORY: name = "D3DERR_OUTOFVIDEOMEMORY"; break;
        case D3DERR_INVALIDCALL: name = "D3DERR_INVALIDCALL"; break;
        case D3DXERR_INVALIDDATA: name = "D3DXERR_INVALIDDATA"; break;
        case E_OUTOFMEMORY: name = "E_OUTOFMEMORY"; break;
        default: break;
    }
    Tov::LogLine("ERROR") << "Load texture error = " << name;
}

namespace {

// Cube faces are scaled and their mip levels made with a mirrored, dithered box filter.
constexpr DWORD kCubeFilter = D3DX_FILTER_BOX | D3DX_FILTER_MIRROR | D3DX_FILTER_DITHER;

// A failed call may still have handed out a texture: it is released and the result is null.
template <class T>
HRESULT checked(HRESULT hr, T*& made) {
    if (FAILED(hr)) {
        logTextureError(hr);
        if (made) made->Release();
        made = nullptr;
    }
    return hr;
}

}  // namespace

Texture::Texture(IDirect3DBaseTexture9* texture) : Resource(std::string()), m_texture(texture) {
    if (!texture) return;
    if (texture->GetType() == D3DRTYPE_TEXTURE) {
        D3DSURFACE_DESC desc;
        if (SUCCEEDED(static_cast<IDirect3DTexture9*>(texture)->GetLevelDesc(0, &desc))) {
            width = desc.Width;
            height = desc.Height;
            format = desc.Format;
            pool = desc.Pool;
            usage = desc.Usage;
        }
    } else if (texture->GetType() == D3DRTYPE_CUBETEXTURE) {
        D3DSURFACE_DESC desc;
        if (SUCCEEDED(static_cast<IDirect3DCubeTexture9*>(texture)->GetLevelDesc(0, &desc))) {
            width = height = desc.Width;
            format = desc.Format;
            pool = desc.Pool;
            usage = desc.Usage;
        }
    }
    mipLevels = texture->GetLevelCount();
    loaded = true;
    size = static_cast<int>(width * height * 4);
}

Texture::Texture(const std::string& name, D3DFORMAT format) : Resource(name), format(format) {}

Texture::Texture(const std::string& name, UINT width, UINT height, UINT mipLevels, D3DFORMAT format, DWORD usage,
                 D3DPOOL pool)
    : Resource(name), width(width), height(height), format(format), pool(pool), usage(usage), mipLevels(mipLevels),
      fromParameters(true) {}

Texture::~Texture() {
    if (m_texture) m_texture->Release();
}

void Texture::load(bool, int) {
    if (loaded) return;
    IDirect3DDevice9* device = CD3DDevice::textureDevice();
    if (fromParameters) loadFromParameters(device);
    else loadFromFile(device);
}

void Texture::loadFromParameters(IDirect3DDevice9* device) {
    IDirect3DTexture9* made = nullptr;
    HRESULT hr = device ? D3DXCreateTexture(device, width, height, mipLevels, usage, format, pool, &made)
                        : D3DERR_INVALIDCALL;
    checked(hr, made);
    D3DSURFACE_DESC desc;
    if (!made || FAILED(made->GetLevelDesc(0, &desc))) {
        Tov::LogLine("ERROR") << "Wrong Texture in Texture::CreateFromTexture";
        if (made) made->Release();
        // Not loaded: the container reports the failure and a later reload tries again.
        return;
    }
    width = desc.Width;
    height = desc.Height;
    format = desc.Format;
    pool = desc.Pool;
    usage = desc.Usage;
    m_texture = made;
    loaded = true;
    size = static_cast<int>(width * height * 4);
}

void Texture::loadFromFile(IDirect3DDevice9* device) {
    VFS::VFSManager* vfs = VFS::VFSManager::instance();
    if (!vfs) return;
    VFS::FilePtr file = vfs->findFile(name, VFS::VFSManager::kByName);
    if (!file) file = vfs->findFile(name, VFS::VFSManager::kByPath);
    if (!file) return;

    const uint8_t* data = file->map(0, 0);
    UINT bytes = data ? file->size() : 0;
    D3DXIMAGE_INFO info{};
    HRESULT hr = D3DXGetImageInfoFromFileInMemory(data, bytes, &info);
    IDirect3DBaseTexture9* made = nullptr;
    D3DXIMAGE_INFO source{};
    if (FAILED(hr)) {
        logTextureError(hr);
    } else if (!device) {
        // No device published: nothing can be made.
    } else {
        if (info.ResourceType == D3DRTYPE_TEXTURE) {
            IDirect3DTexture9* t = nullptr;
            checked(D3DXCreateTextureFromFileInMemoryEx(device, data, bytes, info.Width ? info.Width : 1,
                                                        info.Height ? info.Height : 1, info.MipLevels, 0, format, pool,
                                                        D3DX_DEFAULT, D3DX_DEFAULT, 0, &source, nullptr, &t),
                    t);
            made = t;
        } else if (info.ResourceType == D3DRTYPE_CUBETEXTURE) {
            IDirect3DCubeTexture9* t = nullptr;
            checked(D3DXCreateCubeTextureFromFileInMemoryEx(device, data, bytes, 0,
                                                            info.MipLevels ? info.MipLevels : D3DX_FROM_FILE, 0,
                                                            D3DFMT_UNKNOWN, pool, kCubeFilter, kCubeFilter, 0, &source, nullptr,
                                                            &t),
                    t);
            made = t;
        }
    }
    file->release();
    if (!made) {
        Tov::LogLine("ERROR") << "Cannot load texture (not automatic settings) " << name;
        return;
    }
    width = source.Width;
    height = source.Height;
    format = source.Format;
    mipLevels = source.MipLevels;
    m_texture = made;
    loaded = true;
    size = static_cast<int>(width * height * 4);
}

void Texture::unload() {
    if (m_texture) m_texture->Release();
    m_texture = nullptr;
    loaded = false;
}

Texture::Kind Texture::getKind() const {
    if (!m_texture) return KIND_NONE;
    switch (m_texture->GetType()) {
        case D3DRTYPE_TEXTURE: return KIND_2D;
        case D3DRTYPE_VOLUMETEXTURE: return KIND_VOLUME;
        case D3DRTYPE_CUBETEXTURE: return KIND_CUBE;
        default: return KIND_NONE;
    }
}

HRESULT Texture::copyTo(const Texture& destination) const {
    if (getKind() != KIND_2D || destination.getKind() != KIND_2D) return D3DERR_INVALIDCALL;
    IDirect3DSurface9* from = nullptr;
    IDirect3DSurface9* to = nullptr;
    auto* source = static_cast<IDirect3DTexture9*>(m_texture);
    auto* target = static_cast<IDirect3DTexture9*>(destination.getTexture());
    HRESULT hr = source->GetSurfaceLevel(0, &from);
    if (SUCCEEDED(hr)) hr = target->GetSurfaceLevel(0, &to);
    IDirect3DDevice9* device = nullptr;
    if (SUCCEEDED(hr)) hr = m_texture->GetDevice(&device);
    if (SUCCEEDED(hr)) hr = device->StretchRect(from, nullptr, to, nullptr, D3DTEXF_LINEAR);
    if (device) device->Release();
    if (to) to->Release();
    if (from) from->Release();
    return hr;
}
