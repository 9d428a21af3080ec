#pragma once
// Controls of the graphics layer beyond the Direct3D surface: the adapter table behind the
// Direct3D object's queries (replaceable, so the enumeration can run over any machine), switches
// that make the layer fail or lose its device on purpose, counters of the work that reached GL,
// and the read-back of a render target.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/graphics/d3d9.h"

namespace platform::gfx {

struct AdapterDesc {
    std::string description;
    D3DDISPLAYMODE desktop{};
    std::vector<D3DDISPLAYMODE> modes;  // every full-screen mode, any format
    D3DCAPS9 caps{};                    // of the HAL device
    bool hasReference = false;          // a reference device exists beside the HAL one
    std::vector<D3DFORMAT> backBufferFormats;  // accepted by CheckDeviceType
    std::vector<D3DFORMAT> depthStencilFormats;
    std::vector<D3DFORMAT> textureFormats;
};

struct AdapterTable {
    std::vector<AdapterDesc> adapters;
};

// The table the layer builds from SDL's displays.
AdapterTable systemAdapterTable();
// Replaces the table that new Direct3D objects answer from; an empty function restores the system's.
void setAdapterQuery(std::function<AdapterTable()> query);

// Failure switches, cleared by resetFaults().
struct Faults {
    bool failDirect3DCreate = false;
    HRESULT createDeviceResult = D3D_OK;  // a failure code makes CreateDevice fail with it
    HRESULT resetResult = D3D_OK;         // a failure code makes Reset fail with it
};
Faults& faults();
void resetFaults();

// Makes a device report itself lost: Present gives D3DERR_DEVICELOST and TestCooperativeLevel
// D3DERR_DEVICENOTRESET until a successful Reset.
void setDeviceLost(IDirect3DDevice9* device, bool lost);

// What reached GL. Counted per device since creation (or since resetStats).
struct DeviceStats {
    uint64_t drawCalls = 0;        // Draw* calls of the caller
    uint64_t glDrawCalls = 0;      // batched draws sent to GL
    uint64_t glStateChanges = 0;   // GL state calls made for changed Direct3D state
    uint64_t textureUploads = 0;
    uint64_t renderStateCalls = 0;     // SetRenderState calls of the caller
    uint64_t samplerStateCalls = 0;    // SetSamplerState calls of the caller
    uint64_t stageStateCalls = 0;      // SetTextureStageState calls of the caller
    uint64_t transformCalls = 0;       // SetTransform calls of the caller
};
DeviceStats deviceStats(IDirect3DDevice9* device);
void resetStats(IDirect3DDevice9* device);

// A picture read back from a render target, top row first, 4 bytes a pixel in the byte order
// B, G, R, A (the memory order of D3DFMT_A8R8G8B8).
struct Image {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;
    uint32_t argb(int x, int y) const;
};

// Reads a render target: the back buffer or a render-target texture's surface; null reads the
// current render target. Must run on the drawing thread. False on a lost device or a surface that
// is not a render target.
[[nodiscard]] bool readRenderTarget(IDirect3DDevice9* device, IDirect3DSurface9* surface, Image& out);
// Writes a 24-bit bottom-up Windows bitmap, atomically.
bool saveBmp24(const std::string& path, const Image& image);
// Writes an uncompressed 32-bit A8R8G8B8 DDS file, atomically.
bool saveDds32(const std::string& path, const Image& image);
// Writes a PNG (RGB, or RGBA with withAlpha), atomically.
bool savePng(const std::string& path, const Image& image, bool withAlpha);

}  // namespace platform::gfx
