#include "platform/graphics/d3dx9_texture_loading.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <vector>

#include "platform/graphics/internal/gl_device.h"
#include "platform/image/image.h"

namespace img = platform::image;

namespace {

// The texture format a file's pixels go into when the caller leaves it to the file.
D3DFORMAT deviceFormatFor(D3DFORMAT f) {
    if (platform::gfx::formatBytes(f) != 0) return f;
    return f == D3DFMT_R8G8B8 ? D3DFMT_X8R8G8B8 : D3DFMT_A8R8G8B8;
}

UINT fullChain(UINT w, UINT h) {
    UINT n = 1;
    for (UINT side = std::max(w, h); side > 1; side >>= 1) ++n;
    return n;
}

bool isDefaultSize(UINT v) { return v == 0 || v == D3DX_DEFAULT || v == D3DX_DEFAULT_NONPOW2 || v == D3DX_FROM_FILE; }

UINT levelCount(UINT requested, UINT fromFile, UINT w, UINT h) {
    UINT chain = fullChain(w, h);
    if (requested == 0 || requested == D3DX_DEFAULT) return chain;
    if (requested == D3DX_FROM_FILE) return std::min(std::max(1u, fromFile), chain);
    return std::min(requested, chain);
}

void fillInfo(const img::ImageInfo& in, D3DXIMAGE_INFO* out) {
    if (!out) return;
    out->Width = in.width;
    out->Height = in.height;
    out->Depth = in.depth;
    out->MipLevels = in.mipLevels;
    out->Format = static_cast<D3DFORMAT>(in.format);
    out->ResourceType = static_cast<D3DRESOURCETYPE>(in.resourceType);
    out->ImageFileFormat = static_cast<D3DXIMAGE_FILEFORMAT>(in.fileFormat);
}

// False for a memory format the converter does not know.
bool toArgbLevel(const img::Level& level, img::Format format, img::Level& out) {
    if (format == img::FMT_A8R8G8B8) {
        out = level;
        return true;
    }
    out.width = level.width;
    out.height = level.height;
    out.bytes.resize(static_cast<size_t>(level.width) * level.height * 4);
    return img::toArgb(format, level.bytes.data(), static_cast<size_t>(level.width) * level.height, out.bytes.data());
}

// The pixels of one target level in the target format, packed rows. Conversion and scaling go
// through a scratch surface so the texture's own levels are written only once, all together.
bool levelPixels(IDirect3DDevice9* device, const img::Level& source, img::Format sourceFormat, UINT width,
                 UINT height, D3DFORMAT target, DWORD filter, std::vector<uint8_t>& out) {
    if (static_cast<uint32_t>(target) == static_cast<uint32_t>(sourceFormat) && source.width == width &&
        source.height == height) {
        out = source.bytes;
        return true;
    }
    img::Level argb;
    if (!toArgbLevel(source, sourceFormat, argb)) return false;
    if (target == D3DFMT_A8R8G8B8 && argb.width == width && argb.height == height) {
        out = std::move(argb.bytes);
        return true;
    }
    IDirect3DSurface9* scratch = nullptr;
    if (FAILED(device->CreateOffscreenPlainSurface(width, height, target, D3DPOOL_SCRATCH, &scratch, nullptr)))
        return false;
    RECT rect{0, 0, static_cast<LONG>(argb.width), static_cast<LONG>(argb.height)};
    HRESULT hr = D3DXLoadSurfaceFromMemory(scratch, nullptr, nullptr, argb.bytes.data(), D3DFMT_A8R8G8B8,
                                           argb.width * 4, nullptr, &rect, filter, 0);
    D3DLOCKED_RECT locked;
    if (SUCCEEDED(hr) && SUCCEEDED(scratch->LockRect(&locked, nullptr, D3DLOCK_READONLY))) {
        size_t row = static_cast<size_t>(width) * platform::gfx::formatBytes(target);
        out.resize(row * height);
        for (UINT y = 0; y < height; ++y)
            std::memcpy(out.data() + y * row, static_cast<const uint8_t*>(locked.pBits) + y * size_t(locked.Pitch), row);
        scratch->UnlockRect();
    } else {
        hr = D3DERR_INVALIDCALL;
    }
    scratch->Release();
    return SUCCEEDED(hr);
}

// Every level of one face: the file's own where its size fits, else halved from the level above.
bool facePixels(IDirect3DDevice9* device, const img::Image& image, uint32_t face, UINT width, UINT height,
                UINT levels, D3DFORMAT target, DWORD filter, std::vector<std::vector<uint8_t>>& out) {
    out.assign(levels, {});
    img::Level previous;  // the previous target level as A8R8G8B8, for generated levels
    for (UINT l = 0; l < levels; ++l) {
        UINT w = std::max(1u, width >> l), h = std::max(1u, height >> l);
        bool fromFile = l < image.levels && image.surface(face, l).width == w && image.surface(face, l).height == h;
        if (l == 0 || fromFile) {
            const img::Level& src = l < image.levels ? image.surface(face, l) : image.surface(face, 0);
            if (!levelPixels(device, src, image.pixelFormat, w, h, target, filter, out[l])) return false;
            if (l + 1 < levels) {
                if (!toArgbLevel(src, image.pixelFormat, previous)) return false;
                if (previous.width != w || previous.height != h) {
                    // A scaled level 0: halve from what the texture holds, read back as A8R8G8B8.
                    std::vector<uint8_t> argb;
                    if (!levelPixels(device, src, image.pixelFormat, w, h, D3DFMT_A8R8G8B8, filter, argb)) return false;
                    previous = img::Level{w, h, std::move(argb)};
                }
            }
        } else {
            previous = img::halveArgb(previous);
            if (!levelPixels(device, previous, img::FMT_A8R8G8B8, w, h, target, filter, out[l])) return false;
        }
    }
    return true;
}

HRESULT decodeFile(const void* data, UINT size, img::Image& image) {
    if (!data || size == 0) return D3DERR_INVALIDCALL;
    img::Result r = img::decode(static_cast<const uint8_t*>(data), size, image);
    return r == img::Result::Ok ? D3D_OK : D3DXERR_INVALIDDATA;
}

D3DFORMAT chooseFormat(D3DFORMAT requested, const img::Image& image) {
    if (requested == D3DFMT_UNKNOWN || requested == D3DFMT_FROM_FILE)
        return deviceFormatFor(static_cast<D3DFORMAT>(image.info.format));
    return deviceFormatFor(requested);
}

// A cube texture kept on the CPU: six faces of levels in one format.
class CubeTexture final : public IDirect3DCubeTexture9 {
public:
    CubeTexture(IDirect3DDevice9* device, UINT edge, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool)
        : m_device(device), m_usage(usage), m_format(format), m_pool(pool) {
        m_device->AddRef();
        for (UINT l = 0; l < levels; ++l) {
            UINT side = std::max(1u, edge >> l);
            m_sides.push_back(side);
            for (int f = 0; f < 6; ++f)
                m_bits[f].emplace_back(static_cast<size_t>(side) * side * platform::gfx::formatBytes(format), 0);
        }
    }
    ULONG AddRef() override { return ++m_refs; }
    ULONG Release() override {
        ULONG left = --m_refs;
        if (left == 0) {
            IDirect3DDevice9* device = m_device;
            delete this;
            device->Release();
        }
        return left;
    }
    HRESULT GetDevice(IDirect3DDevice9** device) override {
        if (!device) return D3DERR_INVALIDCALL;
        *device = m_device;
        m_device->AddRef();
        return D3D_OK;
    }
    D3DRESOURCETYPE GetType() override { return D3DRTYPE_CUBETEXTURE; }
    DWORD GetLevelCount() override { return static_cast<DWORD>(m_sides.size()); }
    HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) override {
        if (!desc || level >= m_sides.size()) return D3DERR_INVALIDCALL;
        *desc = D3DSURFACE_DESC{m_format, D3DRTYPE_SURFACE, m_usage, m_pool, D3DMULTISAMPLE_NONE, 0, m_sides[level],
                                m_sides[level]};
        return D3D_OK;
    }
    HRESULT LockRect(D3DCUBEMAP_FACES face, UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD) override {
        if (!locked || face > D3DCUBEMAP_FACE_NEGATIVE_Z || level >= m_sides.size() || rect) return D3DERR_INVALIDCALL;
        locked->Pitch = static_cast<int>(m_sides[level] * platform::gfx::formatBytes(m_format));
        locked->pBits = m_bits[face][level].data();
        return D3D_OK;
    }
    HRESULT UnlockRect(D3DCUBEMAP_FACES face, UINT level) override {
        return face > D3DCUBEMAP_FACE_NEGATIVE_Z || level >= m_sides.size() ? D3DERR_INVALIDCALL : D3D_OK;
    }

private:
    ~CubeTexture() override = default;

    IDirect3DDevice9* m_device;
    DWORD m_usage;
    D3DFORMAT m_format;
    D3DPOOL m_pool;
    std::vector<UINT> m_sides;
    std::vector<std::vector<uint8_t>> m_bits[6];
    std::atomic<ULONG> m_refs{1};
};

}  // namespace

HRESULT D3DXGetImageInfoFromFileInMemory(const void* data, UINT size, D3DXIMAGE_INFO* info) {
    if (!data || size == 0 || !info) return D3DERR_INVALIDCALL;
    img::ImageInfo read;
    if (!img::readInfo(static_cast<const uint8_t*>(data), size, read)) return D3DXERR_INVALIDDATA;
    fillInfo(read, info);
    return D3D_OK;
}

HRESULT D3DXCreateTextureFromFileInMemoryEx(IDirect3DDevice9* device, const void* data, UINT dataSize, UINT width,
                                            UINT height, UINT mipLevels, DWORD usage, D3DFORMAT format,
                                            D3DPOOL pool, DWORD filter, DWORD, D3DCOLOR, D3DXIMAGE_INFO* sourceInfo,
                                            PALETTEENTRY*, IDirect3DTexture9** texture) {
    if (!device || !texture) return D3DERR_INVALIDCALL;
    *texture = nullptr;
    img::Image image;
    HRESULT hr = decodeFile(data, dataSize, image);
    if (FAILED(hr)) return hr;
    UINT w = isDefaultSize(width) ? image.info.width : width;
    UINT h = isDefaultSize(height) ? image.info.height : height;
    UINT levels = levelCount(mipLevels, image.levels, w, h);
    D3DFORMAT target = chooseFormat(format, image);
    IDirect3DTexture9* made = nullptr;
    hr = device->CreateTexture(w, h, levels, usage, target, pool, &made, nullptr);
    if (FAILED(hr)) return hr;
    levels = made->GetLevelCount();
    std::vector<std::vector<uint8_t>> pixels;
    if (!facePixels(device, image, 0, w, h, levels, target, filter, pixels)) {
        made->Release();
        return D3DERR_INVALIDCALL;
    }
    // Every level is written before any is unlocked: an unlock hands the texture to the upload.
    std::vector<D3DLOCKED_RECT> locked(levels);
    UINT lockedCount = 0;
    for (; lockedCount < levels; ++lockedCount)
        if (FAILED(made->LockRect(lockedCount, &locked[lockedCount], nullptr, 0))) break;
    bool ok = lockedCount == levels;
    if (ok) {
        for (UINT l = 0; l < levels; ++l) {
            UINT lh = std::max(1u, h >> l);
            size_t row = pixels[l].size() / lh;
            for (UINT y = 0; y < lh; ++y)
                std::memcpy(static_cast<uint8_t*>(locked[l].pBits) + y * size_t(locked[l].Pitch),
                            pixels[l].data() + y * row, row);
        }
    }
    for (UINT l = 0; l < lockedCount; ++l) made->UnlockRect(l);
    if (!ok) {
        made->Release();
        return D3DERR_INVALIDCALL;
    }
    fillInfo(image.info, sourceInfo);
    *texture = made;
    return D3D_OK;
}

HRESULT D3DXCreateCubeTextureFromFileInMemoryEx(IDirect3DDevice9* device, const void* data, UINT dataSize, UINT edge,
                                                UINT mipLevels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                                DWORD filter, DWORD, D3DCOLOR, D3DXIMAGE_INFO* sourceInfo,
                                                PALETTEENTRY*, IDirect3DCubeTexture9** texture) {
    if (!device || !texture) return D3DERR_INVALIDCALL;
    *texture = nullptr;
    img::Image image;
    HRESULT hr = decodeFile(data, dataSize, image);
    if (FAILED(hr)) return hr;
    if (image.faces != 6) return D3DXERR_INVALIDDATA;
    UINT side = isDefaultSize(edge) ? image.info.width : edge;
    if (side == 0 || side > img::kMaxSide) return D3DERR_INVALIDCALL;
    UINT levels = levelCount(mipLevels, image.levels, side, side);
    D3DFORMAT target = chooseFormat(format, image);
    if ((usage & D3DUSAGE_RENDERTARGET) || platform::gfx::formatBytes(target) == 0) return D3DERR_INVALIDCALL;
    auto* cube = new CubeTexture(device, side, levels, usage, target, pool);
    for (uint32_t face = 0; face < 6; ++face) {
        std::vector<std::vector<uint8_t>> pixels;
        if (!facePixels(device, image, face, side, side, levels, target, filter, pixels)) {
            cube->Release();
            return D3DERR_INVALIDCALL;
        }
        for (UINT l = 0; l < levels; ++l) {
            D3DLOCKED_RECT locked{};
            if (FAILED(cube->LockRect(static_cast<D3DCUBEMAP_FACES>(face), l, &locked, nullptr, 0))) continue;
            std::memcpy(locked.pBits, pixels[l].data(), pixels[l].size());
            cube->UnlockRect(static_cast<D3DCUBEMAP_FACES>(face), l);
        }
    }
    fillInfo(image.info, sourceInfo);
    *texture = cube;
    return D3D_OK;
}
