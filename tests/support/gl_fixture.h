#pragma once
// A headless window and device for drawing tests, with helpers to draw quads and read pixels.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/graphics/d3d9.h"
#include "platform/graphics/gfx_control.h"
#include "platform/graphics/window.h"
#include "platform/log_sink.h"
#include "tests/support/environment.h"

namespace gfxtest {

struct Vertex {
    float x, y, z, rhw;
    D3DCOLOR color;
    float u, v;
};
constexpr DWORD kFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;

inline std::vector<std::string>& capturedLog() {
    static std::vector<std::string> lines;
    return lines;
}

inline void captureSink(const char* level, const std::string& text) {
    capturedLog().push_back(std::string(level) + "\t" + text);
}

// A window and a windowed device on it with a 32-bit back buffer, opened without a display.
struct HeadlessDevice {
    // Fatal failures return early; callers wrap the call in ASSERT_NO_FATAL_FAILURE when it matters.
    void open(UINT width, UINT height, bool depthBuffer) {
        testsupport::useHeadlessDrivers();
        window = CreateWindowExA(0, "test", "test", WS_VISIBLE, 0, 0, static_cast<int>(width),
                                 static_cast<int>(height), nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(window, nullptr);
        d3d = Direct3DCreate9(D3D_SDK_VERSION);
        ASSERT_NE(d3d, nullptr);
        D3DPRESENT_PARAMETERS pp{};
        pp.BackBufferWidth = width;
        pp.BackBufferHeight = height;
        pp.BackBufferFormat = D3DFMT_X8R8G8B8;
        pp.BackBufferCount = 1;
        pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
        pp.hDeviceWindow = window;
        pp.Windowed = TRUE;
        if (depthBuffer) {
            pp.EnableAutoDepthStencil = TRUE;
            pp.AutoDepthStencilFormat = D3DFMT_D24S8;
        }
        pp.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
        params = pp;
        ASSERT_EQ(
            d3d->CreateDevice(0, D3DDEVTYPE_HAL, window, D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp, &device),
            D3D_OK);
    }
    // Releases everything opened; returns the references left on the device (0 when none was made).
    ULONG close() {
        ULONG left = device ? device->Release() : 0;
        device = nullptr;
        if (d3d) d3d->Release();
        d3d = nullptr;
        if (window) DestroyWindow(window);
        window = nullptr;
        return left;
    }

    HWND window = nullptr;
    IDirect3D9* d3d = nullptr;
    IDirect3DDevice9* device = nullptr;
    D3DPRESENT_PARAMETERS params{};
};

class GlDevice : public ::testing::Test, protected HeadlessDevice {
protected:
    void open(UINT width, UINT height) {
        capturedLog().clear();
        platform::setLogSink(&captureSink);
        ASSERT_NO_FATAL_FAILURE(HeadlessDevice::open(width, height, true));
        device->SetRenderState(D3DRS_LIGHTING, FALSE);
        device->SetRenderState(D3DRS_ZENABLE, FALSE);
        device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    }
    void TearDown() override {
        if (device) {
            EXPECT_EQ(close(), 0u);
        }
        close();
        platform::gfx::resetFaults();
        platform::setLogSink(nullptr);
    }

    // A quad over [x0, x1) x [y0, y1) in pixels, covering exactly those pixels.
    void quad(float x0, float y0, float x1, float y1, D3DCOLOR color, float u0 = 0, float v0 = 0,
              float u1 = 1, float v1 = 1) {
        Vertex v[4] = {{x0 - 0.5f, y0 - 0.5f, 0, 1, color, u0, v0},
                       {x1 - 0.5f, y0 - 0.5f, 0, 1, color, u1, v0},
                       {x0 - 0.5f, y1 - 0.5f, 0, 1, color, u0, v1},
                       {x1 - 0.5f, y1 - 0.5f, 0, 1, color, u1, v1}};
        device->SetFVF(kFvf);
        ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(Vertex)), D3D_OK);
    }
    // Stage 0 passes the vertex colour through.
    void diffuseOnly() {
        device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
        device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
        device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
        device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
    }
    platform::gfx::Image read(IDirect3DSurface9* surface = nullptr) {
        platform::gfx::Image image;
        EXPECT_TRUE(platform::gfx::readRenderTarget(device, surface, image));
        return image;
    }
    bool logHas(const std::string& text) const {
        for (const auto& l : capturedLog())
            if (l.find(text) != std::string::npos) return true;
        return false;
    }
};

// Per-channel comparison with a tolerance, reporting the colours in hex.
inline ::testing::AssertionResult near(uint32_t actual, uint32_t expected, int tolerance = 1,
                                       bool alpha = false) {
    for (int shift = 0; shift < (alpha ? 32 : 24); shift += 8) {
        int a = (actual >> shift) & 0xFF, e = (expected >> shift) & 0xFF;
        if (std::abs(a - e) > tolerance) {
            char text[64];
            std::snprintf(text, sizeof text, "0x%08X vs expected 0x%08X", actual, expected);
            return ::testing::AssertionFailure() << text;
        }
    }
    return ::testing::AssertionSuccess();
}

}  // namespace gfxtest
