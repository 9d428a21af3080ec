#pragma once
// The D3DX 9 helpers the game calls, on top of the Direct3D layer.
#include "platform/graphics/d3d9.h"

constexpr UINT D3DX_DEFAULT = 0xFFFFFFFFu;
constexpr UINT D3DX_FROM_FILE = 0xFFFFFFFDu;
constexpr DWORD D3DX_FILTER_NONE = 1;
constexpr DWORD D3DX_FILTER_POINT = 2;
constexpr DWORD D3DX_FILTER_LINEAR = 3;
constexpr DWORD D3DX_FILTER_BOX = 5;
constexpr DWORD D3DX_FILTER_MIRROR = 0x70000;
constexpr DWORD D3DX_FILTER_DITHER = 0x80000;

enum D3DXIMAGE_FILEFORMAT : uint32_t { D3DXIFF_BMP = 0, D3DXIFF_JPG = 1, D3DXIFF_PNG = 3, D3DXIFF_DDS = 4 };

struct PALETTEENTRY {
    BYTE peRed, peGreen, peBlue, peFlags;
};

HRESULT D3DXCreateTexture(IDirect3DDevice9* device, UINT width, UINT height, UINT mipLevels, DWORD usage,
                          D3DFORMAT format, D3DPOOL pool, IDirect3DTexture9** texture);
// Converts and scales pixels into a lockable surface (texture levels and plain surfaces). Sources:
// A8R8G8B8, X8R8G8B8, A8B8G8R8, X8B8G8R8, A8, L8, A8L8. Equal sizes copy texel for texel; other
// sizes filter with point sampling for D3DX_FILTER_POINT/NONE, else bilinearly.
HRESULT D3DXLoadSurfaceFromMemory(IDirect3DSurface9* dest, const PALETTEENTRY* destPalette, const RECT* destRect,
                                  const void* source, D3DFORMAT sourceFormat, UINT sourcePitch,
                                  const PALETTEENTRY* sourcePalette, const RECT* sourceRect, DWORD filter,
                                  D3DCOLOR colorKey);
// Writes a surface as a 24-bit Windows bitmap or an uncompressed 32-bit DDS file (the only file
// formats written); render targets are read back from the device, so this must run on the drawing
// thread for them.
HRESULT D3DXSaveSurfaceToFileA(const char* path, D3DXIMAGE_FILEFORMAT format, IDirect3DSurface9* surface,
                               const PALETTEENTRY* palette, const RECT* sourceRect);
