#include "platform/graphics/d3dx9.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/graphics/gfx_control.h"
#include "platform/graphics/internal/gl_device.h"
#include "platform/log_sink.h"

using platform::gfx::SurfaceImpl;

namespace {

struct Rgba {
    float r, g, b, a;
};

bool readPixel(D3DFORMAT f, const uint8_t* p, Rgba& out) {
    switch (f) {
        case D3DFMT_A8R8G8B8: out = {p[2] / 255.f, p[1] / 255.f, p[0] / 255.f, p[3] / 255.f}; return true;
        case D3DFMT_X8R8G8B8: out = {p[2] / 255.f, p[1] / 255.f, p[0] / 255.f, 1.f}; return true;
        case D3DFMT_A8B8G8R8: out = {p[0] / 255.f, p[1] / 255.f, p[2] / 255.f, p[3] / 255.f}; return true;
        case D3DFMT_X8B8G8R8: out = {p[0] / 255.f, p[1] / 255.f, p[2] / 255.f, 1.f}; return true;
        case D3DFMT_A8: out = {0.f, 0.f, 0.f, p[0] / 255.f}; return true;
        case D3DFMT_L8: out = {p[0] / 255.f, p[0] / 255.f, p[0] / 255.f, 1.f}; return true;
        case D3DFMT_A8L8: out = {p[0] / 255.f, p[0] / 255.f, p[0] / 255.f, p[1] / 255.f}; return true;
        default: return false;
    }
}

uint8_t toByte(float v) { return static_cast<uint8_t>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f)); }

bool writePixel(D3DFORMAT f, const Rgba& c, uint8_t* p) {
    switch (f) {
        case D3DFMT_A8R8G8B8:
        case D3DFMT_X8R8G8B8:
            p[0] = toByte(c.b), p[1] = toByte(c.g), p[2] = toByte(c.r), p[3] = f == D3DFMT_X8R8G8B8 ? 255 : toByte(c.a);
            return true;
        case D3DFMT_A8B8G8R8:
        case D3DFMT_X8B8G8R8:
            p[0] = toByte(c.r), p[1] = toByte(c.g), p[2] = toByte(c.b), p[3] = f == D3DFMT_X8B8G8R8 ? 255 : toByte(c.a);
            return true;
        case D3DFMT_A8: p[0] = toByte(c.a); return true;
        case D3DFMT_L8: p[0] = toByte((c.r + c.g + c.b) / 3.0f); return true;
        case D3DFMT_A8L8: p[0] = toByte((c.r + c.g + c.b) / 3.0f), p[1] = toByte(c.a); return true;
        case D3DFMT_R5G6B5: {
            uint16_t v = static_cast<uint16_t>((toByte(c.r) >> 3) << 11 | (toByte(c.g) >> 2) << 5 | (toByte(c.b) >> 3));
            std::memcpy(p, &v, 2);
            return true;
        }
        case D3DFMT_A1R5G5B5:
        case D3DFMT_X1R5G5B5: {
            uint16_t a = (f == D3DFMT_X1R5G5B5 || c.a >= 0.5f) ? 1 : 0;
            uint16_t v = static_cast<uint16_t>(a << 15 | (toByte(c.r) >> 3) << 10 | (toByte(c.g) >> 3) << 5 |
                                               (toByte(c.b) >> 3));
            std::memcpy(p, &v, 2);
            return true;
        }
        case D3DFMT_A4R4G4B4: {
            uint16_t v = static_cast<uint16_t>((toByte(c.a) >> 4) << 12 | (toByte(c.r) >> 4) << 8 |
                                               (toByte(c.g) >> 4) << 4 | (toByte(c.b) >> 4));
            std::memcpy(p, &v, 2);
            return true;
        }
        default: return false;
    }
}

UINT sourceBytes(D3DFORMAT f) {
    switch (f) {
        case D3DFMT_A8R8G8B8:
        case D3DFMT_X8R8G8B8:
        case D3DFMT_A8B8G8R8:
        case D3DFMT_X8B8G8R8: return 4;
        case D3DFMT_A8L8: return 2;
        case D3DFMT_A8:
        case D3DFMT_L8: return 1;
        default: return 0;
    }
}

}  // namespace

HRESULT D3DXCreateTexture(IDirect3DDevice9* device, UINT width, UINT height, UINT mipLevels, DWORD usage,
                          D3DFORMAT format, D3DPOOL pool, IDirect3DTexture9** texture) {
    if (!device || !texture) return D3DERR_INVALIDCALL;
    if (width == 0 || width == D3DX_DEFAULT) width = 256;
    if (height == 0 || height == D3DX_DEFAULT) height = 256;
    if (mipLevels == D3DX_DEFAULT) mipLevels = 0;
    if (format == D3DFMT_UNKNOWN) format = D3DFMT_A8R8G8B8;
    return device->CreateTexture(width, height, mipLevels, usage, format, pool, texture, nullptr);
}

HRESULT D3DXLoadSurfaceFromMemory(IDirect3DSurface9* dest, const PALETTEENTRY*, const RECT* destRect,
                                  const void* source, D3DFORMAT sourceFormat, UINT sourcePitch, const PALETTEENTRY*,
                                  const RECT* sourceRect, DWORD filter, D3DCOLOR) {
    if (!dest || !source || !sourceRect) return D3DERR_INVALIDCALL;
    UINT sbpp = sourceBytes(sourceFormat);
    if (sbpp == 0) return D3DXERR_INVALIDDATA;
    D3DSURFACE_DESC desc;
    dest->GetDesc(&desc);
    RECT d = destRect ? *destRect : RECT{0, 0, static_cast<LONG>(desc.Width), static_cast<LONG>(desc.Height)};
    const RECT& s = *sourceRect;
    int sw = s.right - s.left, sh = s.bottom - s.top, dw = d.right - d.left, dh = d.bottom - d.top;
    if (sw <= 0 || sh <= 0 || dw <= 0 || dh <= 0 || s.left < 0 || s.top < 0 || d.left < 0 || d.top < 0 ||
        d.right > static_cast<LONG>(desc.Width) || d.bottom > static_cast<LONG>(desc.Height) ||
        static_cast<uint64_t>(s.right) * sbpp > sourcePitch)
        return D3DERR_INVALIDCALL;
    UINT dbpp = platform::gfx::formatBytes(desc.Format);
    D3DLOCKED_RECT locked;
    if (dbpp == 0 || FAILED(dest->LockRect(&locked, &d, 0))) return D3DERR_INVALIDCALL;
    const auto* src = static_cast<const uint8_t*>(source);
    auto texel = [&](int x, int y) {
        x = std::clamp(x, 0, sw - 1);
        y = std::clamp(y, 0, sh - 1);
        Rgba c{};
        readPixel(sourceFormat, src + static_cast<size_t>(s.top + y) * sourcePitch + static_cast<size_t>(s.left + x) * sbpp, c);
        return c;
    };
    bool point = sw == dw && sh == dh ? true : (filter & 0xFF) == D3DX_FILTER_POINT || (filter & 0xFF) == D3DX_FILTER_NONE;
    HRESULT hr = D3D_OK;
    for (int y = 0; y < dh && hr == D3D_OK; ++y) {
        auto* row = static_cast<uint8_t*>(locked.pBits) + static_cast<size_t>(y) * locked.Pitch;
        for (int x = 0; x < dw; ++x) {
            Rgba c;
            float fx = (x + 0.5f) * sw / dw - 0.5f, fy = (y + 0.5f) * sh / dh - 0.5f;
            if (point) {
                c = texel(static_cast<int>((static_cast<int64_t>(x) * sw) / dw),
                          static_cast<int>((static_cast<int64_t>(y) * sh) / dh));
            } else {
                int x0 = static_cast<int>(std::floor(fx)), y0 = static_cast<int>(std::floor(fy));
                float ax = fx - x0, ay = fy - y0;
                Rgba c00 = texel(x0, y0), c10 = texel(x0 + 1, y0), c01 = texel(x0, y0 + 1), c11 = texel(x0 + 1, y0 + 1);
                auto mix = [&](float a, float b, float cc, float dd) {
                    return (a * (1 - ax) + b * ax) * (1 - ay) + (cc * (1 - ax) + dd * ax) * ay;
                };
                c = {mix(c00.r, c10.r, c01.r, c11.r), mix(c00.g, c10.g, c01.g, c11.g), mix(c00.b, c10.b, c01.b, c11.b),
                     mix(c00.a, c10.a, c01.a, c11.a)};
            }
            if (!writePixel(desc.Format, c, row + static_cast<size_t>(x) * dbpp)) {
                hr = D3DERR_INVALIDCALL;
                break;
            }
        }
    }
    dest->UnlockRect();
    return hr;
}

HRESULT D3DXSaveSurfaceToFileA(const char* path, D3DXIMAGE_FILEFORMAT format, IDirect3DSurface9* surface,
                               const PALETTEENTRY*, const RECT* sourceRect) {
    if (!path || !surface) return D3DERR_INVALIDCALL;
    if (format != D3DXIFF_BMP && format != D3DXIFF_DDS) {
        platform::log("ERROR", std::string("D3DXSaveSurfaceToFileA: only bitmaps and DDS files are written: ") + path);
        return D3DERR_INVALIDCALL;
    }
    platform::gfx::Image image;
    auto* s = static_cast<SurfaceImpl*>(surface);
    if (const uint8_t* bits = s->bits()) {
        image.width = static_cast<int>(s->width());
        image.height = static_cast<int>(s->height());
        image.pixels.resize(static_cast<size_t>(image.width) * image.height * 4);
        UINT bpp = platform::gfx::formatBytes(s->format());
        for (size_t i = 0; i < static_cast<size_t>(image.width) * image.height; ++i) {
            Rgba c{};
            readPixel(s->format(), bits + i * bpp, c);
            writePixel(D3DFMT_A8R8G8B8, c, image.pixels.data() + i * 4);
        }
    } else {
        IDirect3DDevice9* device = nullptr;
        surface->GetDevice(&device);
        bool ok = platform::gfx::readRenderTarget(device, surface, image);
        device->Release();
        if (!ok) return D3DERR_INVALIDCALL;
    }
    if (sourceRect) {
        const RECT& r = *sourceRect;
        if (r.left < 0 || r.top < 0 || r.right > image.width || r.bottom > image.height || r.left >= r.right ||
            r.top >= r.bottom)
            return D3DERR_INVALIDCALL;
        platform::gfx::Image cut;
        cut.width = r.right - r.left;
        cut.height = r.bottom - r.top;
        for (int y = r.top; y < r.bottom; ++y) {
            const uint8_t* row = image.pixels.data() + (static_cast<size_t>(y) * image.width + r.left) * 4;
            cut.pixels.insert(cut.pixels.end(), row, row + static_cast<size_t>(cut.width) * 4);
        }
        image = std::move(cut);
    }
    const bool saved = format == D3DXIFF_DDS ? platform::gfx::saveDds32(path, image) : platform::gfx::saveBmp24(path, image);
    if (!saved) {
        platform::log("ERROR", std::string("D3DXSaveSurfaceToFileA: cannot write ") + path);
        return E_FAIL;
    }
    return D3D_OK;
}
