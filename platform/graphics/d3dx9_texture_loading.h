#pragma once
// The D3DX 9 calls that make textures from image files held in memory, and the image-info query.
// Pixels are decoded on the CPU (platform/image): DDS by our own reader, with DXT blocks expanded
// to A8R8G8B8 so every driver shows the same texels; PNG, JPEG, BMP and TGA through stb_image.
// Cube textures live on the CPU side only: they are made, typed and locked, not drawn.
#include "platform/graphics/d3dx9.h"

constexpr D3DXIMAGE_FILEFORMAT D3DXIFF_TGA = static_cast<D3DXIMAGE_FILEFORMAT>(2);
constexpr UINT D3DX_DEFAULT_NONPOW2 = 0xFFFFFFFEu;
constexpr D3DFORMAT D3DFMT_FROM_FILE = static_cast<D3DFORMAT>(0xFFFFFFFDu);
constexpr D3DFORMAT D3DFMT_DXT2 = static_cast<D3DFORMAT>(0x32545844u);
constexpr D3DFORMAT D3DFMT_DXT3 = static_cast<D3DFORMAT>(0x33545844u);
constexpr D3DFORMAT D3DFMT_DXT4 = static_cast<D3DFORMAT>(0x34545844u);

struct D3DXIMAGE_INFO {
    UINT Width;
    UINT Height;
    UINT Depth;
    UINT MipLevels;
    D3DFORMAT Format;  // as the file stores it
    D3DRESOURCETYPE ResourceType;
    D3DXIMAGE_FILEFORMAT ImageFileFormat;
};

enum D3DCUBEMAP_FACES : uint32_t {
    D3DCUBEMAP_FACE_POSITIVE_X = 0,
    D3DCUBEMAP_FACE_NEGATIVE_X = 1,
    D3DCUBEMAP_FACE_POSITIVE_Y = 2,
    D3DCUBEMAP_FACE_NEGATIVE_Y = 3,
    D3DCUBEMAP_FACE_POSITIVE_Z = 4,
    D3DCUBEMAP_FACE_NEGATIVE_Z = 5,
};

class IDirect3DCubeTexture9 : public IDirect3DBaseTexture9 {
public:
    virtual HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) = 0;
    virtual HRESULT LockRect(D3DCUBEMAP_FACES face, UINT level, D3DLOCKED_RECT* locked, const RECT* rect,
                             DWORD flags) = 0;
    virtual HRESULT UnlockRect(D3DCUBEMAP_FACES face, UINT level) = 0;
};

// D3DXERR_INVALIDDATA for data no reader knows or a header that does not hold.
HRESULT D3DXGetImageInfoFromFileInMemory(const void* data, UINT size, D3DXIMAGE_INFO* info);

// Width, height: 0, D3DX_DEFAULT, D3DX_DEFAULT_NONPOW2 or D3DX_FROM_FILE take the image's (other
// sizes scale it). Levels: 0 or D3DX_DEFAULT make a full chain, D3DX_FROM_FILE the file's count;
// levels the file lacks are box-filtered from the one above. Format: D3DFMT_UNKNOWN or
// D3DFMT_FROM_FILE take the file's, where the device cannot hold it (DXT, 24-bit) the nearest
// 32-bit format. The colour key and palette are not used. Cube files give their first face; volume
// files and malformed data give D3DXERR_INVALIDDATA.
HRESULT D3DXCreateTextureFromFileInMemoryEx(IDirect3DDevice9* device, const void* data, UINT dataSize, UINT width,
                                            UINT height, UINT mipLevels, DWORD usage, D3DFORMAT format,
                                            D3DPOOL pool, DWORD filter, DWORD mipFilter, D3DCOLOR colorKey,
                                            D3DXIMAGE_INFO* sourceInfo, PALETTEENTRY* palette,
                                            IDirect3DTexture9** texture);
// The same for a cube map file (a plain picture is refused with D3DXERR_INVALIDDATA); `edge` is
// the face size.
HRESULT D3DXCreateCubeTextureFromFileInMemoryEx(IDirect3DDevice9* device, const void* data, UINT dataSize, UINT edge,
                                                UINT mipLevels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                                DWORD filter, DWORD mipFilter, D3DCOLOR colorKey,
                                                D3DXIMAGE_INFO* sourceInfo, PALETTEENTRY* palette,
                                                IDirect3DCubeTexture9** texture);
