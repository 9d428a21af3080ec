#include "platform/graphics/d3dx9.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "platform/graphics/gfx_control.h"
#include "platform/graphics/internal/gl_device.h"
#include "platform/log_sink.h"

using platform::gfx::SurfaceImpl;

namespace {

// Pixels travel between formats as four bytes: r, g, b, a.
constexpr int kChannels = 4;
using Rgba8 = uint8_t[kChannels];

bool readPixel(D3DFORMAT f, const uint8_t* p, uint8_t* out) {
    switch (f) {
        case D3DFMT_A8R8G8B8: out[0] = p[2], out[1] = p[1], out[2] = p[0], out[3] = p[3]; return true;
        case D3DFMT_X8R8G8B8: out[0] = p[2], out[1] = p[1], out[2] = p[0], out[3] = 255; return true;
        case D3DFMT_A8B8G8R8: out[0] = p[0], out[1] = p[1], out[2] = p[2], out[3] = p[3]; return true;
        case D3DFMT_X8B8G8R8: out[0] = p[0], out[1] = p[1], out[2] = p[2], out[3] = 255; return true;
        case D3DFMT_A8: out[0] = out[1] = out[2] = 0, out[3] = p[0]; return true;
        case D3DFMT_L8: out[0] = out[1] = out[2] = p[0], out[3] = 255; return true;
        case D3DFMT_A8L8: out[0] = out[1] = out[2] = p[0], out[3] = p[1]; return true;
        default: return false;
    }
}

// The rounded mean of the colour channels.
uint8_t luminance(const uint8_t* c) { return static_cast<uint8_t>((c[0] + c[1] + c[2] + 1) / 3); }

bool writePixel(D3DFORMAT f, const uint8_t* c, uint8_t* p) {
    switch (f) {
        case D3DFMT_A8R8G8B8:
        case D3DFMT_X8R8G8B8:
            p[0] = c[2], p[1] = c[1], p[2] = c[0], p[3] = f == D3DFMT_X8R8G8B8 ? 255 : c[3];
            return true;
        case D3DFMT_A8B8G8R8:
        case D3DFMT_X8B8G8R8:
            p[0] = c[0], p[1] = c[1], p[2] = c[2], p[3] = f == D3DFMT_X8B8G8R8 ? 255 : c[3];
            return true;
        case D3DFMT_A8: p[0] = c[3]; return true;
        case D3DFMT_L8: p[0] = luminance(c); return true;
        case D3DFMT_A8L8: p[0] = luminance(c), p[1] = c[3]; return true;
        case D3DFMT_R5G6B5: {
            uint16_t v = static_cast<uint16_t>((c[0] >> 3) << 11 | (c[1] >> 2) << 5 | (c[2] >> 3));
            std::memcpy(p, &v, 2);
            return true;
        }
        case D3DFMT_A1R5G5B5:
        case D3DFMT_X1R5G5B5: {
            uint16_t a = (f == D3DFMT_X1R5G5B5 || c[3] >= 128) ? 1 : 0;
            uint16_t v = static_cast<uint16_t>(a << 15 | (c[0] >> 3) << 10 | (c[1] >> 3) << 5 | (c[2] >> 3));
            std::memcpy(p, &v, 2);
            return true;
        }
        case D3DFMT_A4R4G4B4: {
            uint16_t v = static_cast<uint16_t>((c[3] >> 4) << 12 | (c[0] >> 4) << 8 | (c[1] >> 4) << 4 | (c[2] >> 4));
            std::memcpy(p, &v, 2);
            return true;
        }
        default: return false;
    }
}

// r, g, b, a to b, g, r, a (and back), four bytes at a time.
void swapRedBlue(const uint8_t* __restrict from, int count, uint8_t* __restrict to) {
    for (int i = 0; i < count; ++i) {
        uint32_t v;
        std::memcpy(&v, from + static_cast<size_t>(i) * kChannels, kChannels);
        v = (v & 0xFF00FF00u) | ((v & 0xFFu) << 16) | ((v >> 16) & 0xFFu);
        std::memcpy(to + static_cast<size_t>(i) * kChannels, &v, kChannels);
    }
}

// Whole rows, with the format chosen once per row.
void readRow(D3DFORMAT f, const uint8_t* src, UINT sbpp, int count, uint8_t* out) {
    if (f == D3DFMT_A8B8G8R8) {
        std::memcpy(out, src, static_cast<size_t>(count) * kChannels);
        return;
    }
    if (f == D3DFMT_A8R8G8B8) {
        swapRedBlue(src, count, out);
        return;
    }
    for (int i = 0; i < count; ++i, src += sbpp, out += kChannels) readPixel(f, src, out);
}

bool writeRow(D3DFORMAT f, const uint8_t* c, int count, uint8_t* dst, UINT dbpp) {
    if (f == D3DFMT_A8B8G8R8) {
        std::memcpy(dst, c, static_cast<size_t>(count) * kChannels);
        return true;
    }
    if (f == D3DFMT_A8R8G8B8) {
        swapRedBlue(c, count, dst);
        return true;
    }
    for (int i = 0; i < count; ++i, c += kChannels, dst += dbpp)
        if (!writePixel(f, c, dst)) return false;
    return true;
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

// Bilinear weights in 1/256: a destination texel's centre mapped into the source, the source
// texel at or left of it (clamped into the picture) and the weight of the next one.
constexpr int kWeightBits = 8;
constexpr int kWeightOne = 1 << kWeightBits;
struct Tap {
    int first = 0;
    int second = 0;
    int weight = 0;  // of the second, 0 .. kWeightOne - 1
};

Tap bilinearTap(int d, int sourceSize, int destSize) {
    // (d + 0.5) * s / n - 0.5, in 1/256.
    const int64_t at = ((2 * static_cast<int64_t>(d) + 1) * sourceSize * (kWeightOne / 2)) / destSize - kWeightOne / 2;
    const int64_t whole = at >= 0 ? at / kWeightOne : -((-at + kWeightOne - 1) / kWeightOne);
    Tap t;
    t.weight = static_cast<int>(at - whole * kWeightOne);
    t.first = static_cast<int>(std::clamp<int64_t>(whole, 0, sourceSize - 1));
    t.second = static_cast<int>(std::clamp<int64_t>(whole + 1, 0, sourceSize - 1));
    return t;
}

// (a * wa + b * wb) / 256, rounded, byte by byte (wa + wb = 256).
void blendRows(const uint8_t* __restrict a, const uint8_t* __restrict b, int wa, int wb, size_t n,
               uint8_t* __restrict out) {
    for (size_t i = 0; i < n; ++i)
        out[i] = static_cast<uint8_t>((a[i] * wa + b[i] * wb + kWeightOne / 2) >> kWeightBits);
}

int pointTap(int d, int sourceSize, int destSize) {
    return static_cast<int>((static_cast<int64_t>(d) * sourceSize) / destSize);
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
    auto sourceRow = [&](int y) { return src + static_cast<size_t>(s.top + y) * sourcePitch + static_cast<size_t>(s.left) * sbpp; };
    const bool point = sw == dw && sh == dh ? true : (filter & 0xFF) == D3DX_FILTER_POINT || (filter & 0xFF) == D3DX_FILTER_NONE;
    std::vector<uint8_t> out(static_cast<size_t>(dw) * kChannels);
    HRESULT hr = D3D_OK;
    if (point) {
        std::vector<uint8_t> line(static_cast<size_t>(sw) * kChannels);
        std::vector<int> column(static_cast<size_t>(dw));
        for (int x = 0; x < dw; ++x) column[x] = pointTap(x, sw, dw);
        int lineOf = -1;
        for (int y = 0; y < dh && hr == D3D_OK; ++y) {
            const int sy = pointTap(y, sh, dh);
            if (sy != lineOf) readRow(sourceFormat, sourceRow(sy), sbpp, sw, line.data()), lineOf = sy;
            const uint8_t* from = line.data();
            if (sw != dw) {
                for (int x = 0; x < dw; ++x) std::memcpy(&out[static_cast<size_t>(x) * kChannels], &line[static_cast<size_t>(column[x]) * kChannels], kChannels);
                from = out.data();
            }
            auto* row = static_cast<uint8_t*>(locked.pBits) + static_cast<size_t>(y) * locked.Pitch;
            if (!writeRow(desc.Format, from, dw, row, dbpp)) hr = D3DERR_INVALIDCALL;
        }
    } else {
        // Two source rows blended by the row weight (in 1/256), then across by the column taps.
        std::vector<uint8_t> upper(static_cast<size_t>(sw) * kChannels), lower(upper.size());
        std::vector<uint16_t> blend(upper.size());
        std::vector<Tap> columns(static_cast<size_t>(dw));
        for (int x = 0; x < dw; ++x) columns[x] = bilinearTap(x, sw, dw);
        int upperOf = -1, lowerOf = -1;
        const size_t n = upper.size();
        for (int y = 0; y < dh && hr == D3D_OK; ++y) {
            const Tap r = bilinearTap(y, sh, dh);
            if (r.first != upperOf) {
                if (r.first == lowerOf) {
                    upper.swap(lower);
                    std::swap(upperOf, lowerOf);
                } else {
                    readRow(sourceFormat, sourceRow(r.first), sbpp, sw, upper.data());
                    upperOf = r.first;
                }
            }
            if (r.second != lowerOf) {
                readRow(sourceFormat, sourceRow(r.second), sbpp, sw, lower.data());
                lowerOf = r.second;
            }
            const int wl = r.weight, wu = kWeightOne - wl;
            constexpr int round = 1 << (2 * kWeightBits - 1);
            if (sw == dw) {
                // No columns to blend: the rows' blend, rounded, is the texel.
                if (wl == 0) std::memcpy(out.data(), upper.data(), n);
                else blendRows(upper.data(), lower.data(), wu, wl, n, out.data());
            } else {
                for (size_t i = 0; i < n; ++i) blend[i] = static_cast<uint16_t>(upper[i] * wu + lower[i] * wl);
                for (int x = 0; x < dw; ++x) {
                    const Tap& c = columns[x];
                    const uint16_t* a = &blend[static_cast<size_t>(c.first) * kChannels];
                    const uint16_t* b = &blend[static_cast<size_t>(c.second) * kChannels];
                    uint8_t* o = &out[static_cast<size_t>(x) * kChannels];
                    for (int k = 0; k < kChannels; ++k)
                        o[k] = static_cast<uint8_t>((a[k] * (kWeightOne - c.weight) + b[k] * c.weight + round) >> (2 * kWeightBits));
                }
            }
            auto* row = static_cast<uint8_t*>(locked.pBits) + static_cast<size_t>(y) * locked.Pitch;
            if (!writeRow(desc.Format, out.data(), dw, row, dbpp)) hr = D3DERR_INVALIDCALL;
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
            Rgba8 c{};
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
