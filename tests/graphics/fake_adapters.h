#pragma once
// Adapter tables for the enumeration and the frame, and a scoped switch that installs one.
#include <cstdlib>
#include <vector>

#include "platform/graphics/gfx_control.h"
#include "platform/graphics/window.h"

namespace gfxtest {

inline D3DDISPLAYMODE mode(UINT w, UINT h, UINT hz, D3DFORMAT f = D3DFMT_X8R8G8B8) { return {w, h, hz, f}; }

inline platform::gfx::AdapterDesc adapter(std::vector<D3DDISPLAYMODE> modes,
                                          D3DDISPLAYMODE desktop = mode(1024, 768, 60)) {
    platform::gfx::AdapterDesc a;
    a.description = "fake adapter";
    a.desktop = desktop;
    a.modes = std::move(modes);
    a.caps.DevCaps = D3DDEVCAPS_HWTRANSFORMANDLIGHT | D3DDEVCAPS_PUREDEVICE;
    a.caps.VertexProcessingCaps = 1;
    a.caps.PresentationIntervals = D3DPRESENT_INTERVAL_ONE | D3DPRESENT_INTERVAL_IMMEDIATE;
    a.caps.PixelShaderVersion = 0xFFFF0200;
    a.backBufferFormats = {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_R5G6B5};
    a.depthStencilFormats = {D3DFMT_D24S8, D3DFMT_D24X8, D3DFMT_D16};
    a.textureFormats = {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_A8B8G8R8, D3DFMT_A8};
    return a;
}

class ScopedAdapters {
public:
    explicit ScopedAdapters(std::vector<platform::gfx::AdapterDesc> adapters) {
        platform::gfx::AdapterTable table{std::move(adapters)};
        platform::gfx::setAdapterQuery([table] { return table; });
    }
    ~ScopedAdapters() { platform::gfx::setAdapterQuery(nullptr); }
};

inline void headless() {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    platform::gfx::setMessageBoxesHeadless(true);
}

}  // namespace gfxtest
