// The device wrapper's state cache over a real headless device, observed through the layer's
// counters of what the caller sent.
#include "graphics/d3d_device.h"

#include <gtest/gtest.h>

#include "core/log_stream.h"
#include "graphics/d3d_application.h"
#include "tests/graphics/fake_adapters.h"
#include "tests/support/temp_dir.h"

namespace {

class Cache : public ::testing::Test {
protected:
    void SetUp() override {
        gfxtest::headless();
        Tov::LogStream::setFile((dir.path() / "cache.log").string(), false);
        app = std::make_unique<CMyD3DApplication>(false);
        ASSERT_EQ(app->Create(nullptr, nullptr), S_OK);
        device = app->getDevice();
        wrapper = std::make_unique<CD3DDevice>();
        ASSERT_EQ(wrapper->setDevice(device), D3D_OK);
        CD3DDevice::forgetStates();
        platform::gfx::resetStats(device);
    }
    void TearDown() override {
        wrapper.reset();
        app.reset();
    }
    platform::gfx::DeviceStats stats() { return platform::gfx::deviceStats(device); }

    testsupport::TempDir dir;
    std::unique_ptr<CMyD3DApplication> app;
    std::unique_ptr<CD3DDevice> wrapper;
    IDirect3DDevice9* device = nullptr;
};

TEST_F(Cache, TheSameWorldMatrixIsSentOnce) {
    D3DMATRIX m = CD3DDevice::identityMatrix();
    m.m[3][0] = 5.0f;
    EXPECT_TRUE(CD3DDevice::isWorldTransform(CD3DDevice::identityMatrix()));
    EXPECT_EQ(CD3DDevice::setWorldTransform(m), D3D_OK);
    EXPECT_EQ(CD3DDevice::setWorldTransform(m), D3D_OK);
    EXPECT_EQ(stats().transformCalls, 1u);
    EXPECT_TRUE(CD3DDevice::isWorldTransform(m));
    D3DMATRIX onDevice;
    device->GetTransform(D3DTS_WORLD, &onDevice);
    EXPECT_EQ(onDevice.m[3][0], 5.0f);
}

TEST_F(Cache, SamplerStateEqualToTheDevicesIsNotSent) {
    EXPECT_EQ(CD3DDevice::setSamplerStateCached(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT), D3D_OK);  // the default
    EXPECT_EQ(stats().samplerStateCalls, 0u);
    EXPECT_EQ(CD3DDevice::setSamplerStateCached(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR), D3D_OK);
    EXPECT_EQ(stats().samplerStateCalls, 1u);
}

TEST_F(Cache, AfterAResetOnlyKnownValuesAreSentAgain) {
    EXPECT_EQ(CD3DDevice::setRenderStateCached(D3DRS_ALPHABLENDENABLE, TRUE), D3D_OK);
    EXPECT_EQ(CD3DDevice::setRenderStateCached(D3DRS_ALPHABLENDENABLE, TRUE), D3D_OK);  // equal: not sent
    EXPECT_EQ(CD3DDevice::setRenderStateCached(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA), D3D_OK);
    EXPECT_EQ(CD3DDevice::setTextureStageStateCached(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1), D3D_OK);
    EXPECT_EQ(CD3DDevice::setSamplerStateCached(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR), D3D_OK);
    EXPECT_EQ(CD3DDevice::setSamplerStateCached(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT), D3D_OK);
    EXPECT_EQ(stats().renderStateCalls, 2u);
    EXPECT_EQ(stats().stageStateCalls, 1u);
    EXPECT_EQ(stats().samplerStateCalls, 1u);

    ASSERT_EQ(app->Reset3DEnvironment(), S_OK);  // every device state back at its default
    DWORD v = 0;
    device->GetRenderState(D3DRS_ALPHABLENDENABLE, &v);
    EXPECT_EQ(v, static_cast<DWORD>(FALSE));
    EXPECT_EQ(CD3DDevice::cachedRenderState(D3DRS_ALPHABLENDENABLE), static_cast<DWORD>(TRUE));
    EXPECT_EQ(CD3DDevice::cachedRenderState(D3DRS_ZENABLE), CD3DDevice::kUnknown);

    platform::gfx::resetStats(device);
    ASSERT_EQ(CD3DDevice::reapplyStates(true, true, true), D3D_OK);
    EXPECT_EQ(stats().renderStateCalls, 2u);
    EXPECT_EQ(stats().stageStateCalls, 1u);
    EXPECT_EQ(stats().samplerStateCalls, 1u);  // MINFILTER differs; MAGFILTER equals the default
    device->GetRenderState(D3DRS_SRCBLEND, &v);
    EXPECT_EQ(v, static_cast<DWORD>(D3DBLEND_SRCALPHA));
    device->GetSamplerState(0, D3DSAMP_MINFILTER, &v);
    EXPECT_EQ(v, static_cast<DWORD>(D3DTEXF_LINEAR));
    EXPECT_FALSE(CD3DDevice::statesDirty());
}

// 0x7FFFFFFF marks an unknown cached value, so a state set to it is sent every time, never swallowed.
TEST_F(Cache, TheUnknownMarkerAsAValueStillReachesTheDevice) {
    platform::gfx::resetStats(device);
    EXPECT_EQ(CD3DDevice::setRenderStateCached(D3DRS_STENCILMASK, CD3DDevice::kUnknown), D3D_OK);
    EXPECT_EQ(CD3DDevice::setTextureStageStateCached(0, D3DTSS_CONSTANT, CD3DDevice::kUnknown), D3D_OK);
    EXPECT_EQ(stats().renderStateCalls, 1u);
    EXPECT_EQ(stats().stageStateCalls, 1u);
    DWORD v = 0;
    device->GetRenderState(D3DRS_STENCILMASK, &v);
    EXPECT_EQ(v, CD3DDevice::kUnknown);
}

TEST_F(Cache, CallsWithoutADeviceDoNothing) {
    app->InvalidateDeviceObjects();
    EXPECT_EQ(CD3DDevice::cacheDevice(), nullptr);
    D3DMATRIX m = CD3DDevice::identityMatrix();
    m.m[0][0] = 2.0f;
    EXPECT_EQ(CD3DDevice::setWorldTransform(m), D3DERR_INVALIDCALL);
    EXPECT_EQ(CD3DDevice::setRenderStateCached(D3DRS_LIGHTING, FALSE), D3DERR_INVALIDCALL);
    EXPECT_EQ(CD3DDevice::setSamplerStateCached(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR), D3DERR_INVALIDCALL);
    EXPECT_EQ(CD3DDevice::reapplyStates(true, true, true), D3DERR_INVALIDCALL);
    EXPECT_EQ(wrapper->setRenderStateDirect(D3DRS_LIGHTING, FALSE), D3DERR_INVALIDCALL);
    EXPECT_EQ(stats().renderStateCalls + stats().samplerStateCalls + stats().transformCalls, 0u);
    app->RestoreDeviceObjects();
    EXPECT_EQ(wrapper->setRenderStateDirect(D3DRS_LIGHTING, FALSE), D3D_OK);
}

TEST_F(Cache, TextureBindingTakesTheSharedPointersTexture) {
    IDirect3DTexture9* tex = nullptr;
    ASSERT_EQ(device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &tex, nullptr), D3D_OK);
    TexturePtr ptr(new Texture(tex));
    EXPECT_EQ(wrapper->setTexture(0, ptr), D3D_OK);
    IDirect3DBaseTexture9* bound = nullptr;
    device->GetTexture(0, &bound);
    EXPECT_EQ(bound, tex);
    bound->Release();
    EXPECT_EQ(wrapper->setTexture(0, TexturePtr()), D3D_OK);
    device->GetTexture(0, &bound);
    EXPECT_EQ(bound, nullptr);
    EXPECT_EQ(ptr.useCount(), 1);
}

TEST_F(Cache, GammaRampIsSavedAndRestored) {
    D3DGAMMARAMP dark{};
    device->SetGammaRamp(0, D3DSGR_NO_CALIBRATION, &dark);
    EXPECT_EQ(wrapper->restoreGamma(), D3D_OK);
    D3DGAMMARAMP now{};
    device->GetGammaRamp(0, &now);
    EXPECT_EQ(now.red[255], 0xFFFF);
    float a[8] = {1, 2, 3, 4, 5, 6, 7, 8}, b[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_TRUE(CD3DDevice::equals8(a, b));
    b[7] = 0;
    EXPECT_FALSE(CD3DDevice::equals8(a, b));
}

}  // namespace
