// The frame, headless: creation windowed and full screen, the setting choice over adapter tables,
// the windowed/full-screen switch, device loss and reset, and the fatal error boxes.
#include "graphics/d3d_application.h"

#include <gtest/gtest.h>

#include "core/log_stream.h"
#include "graphics/d3d_device.h"
#include "tests/graphics/fake_adapters.h"
#include "tests/support/temp_dir.h"

using gfxtest::adapter;
using gfxtest::mode;

namespace {

class Frame : public ::testing::Test {
protected:
    void SetUp() override {
        gfxtest::headless();
        Tov::LogStream::setFile((dir.path() / "frame.log").string(), false);
        platform::gfx::clearRecordedMessageBoxes();
        CD3DApplication::setFatalErrorShown(false);
    }
    void TearDown() override {
        platform::gfx::resetFaults();
        CD3DApplication::setFatalErrorShown(false);
    }
    std::string log() { return testsupport::readFile(dir.path() / "frame.log"); }

    testsupport::TempDir dir;
};

TEST_F(Frame, HeadlessCreateOpensA1024x768Window) {
    CMyD3DApplication app(false);
    ASSERT_EQ(app.Create(nullptr, nullptr), S_OK);
    EXPECT_EQ(CMyD3DApplication::instance(), &app);
    EXPECT_TRUE(app.isWindowed());
    EXPECT_EQ(app.getWidth(), 1024);
    EXPECT_EQ(app.getHeight(), 768);
    ASSERT_NE(app.getDevice(), nullptr);
    EXPECT_EQ(CD3DDevice::cacheDevice(), app.getDevice());
    EXPECT_EQ(platform::gfx::sentMessages(app.getWindow()), std::vector<UINT>{WM_PAINT});
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(app.getWindow(), GWL_STYLE)), 0x10CA0000u);
    EXPECT_EQ(app.presentParameters().AutoDepthStencilFormat, D3DFMT_D24S8);
    EXPECT_EQ(app.presentParameters().Flags, D3DPRESENTFLAG_DISCARD_DEPTHSTENCIL);
    EXPECT_NE(std::string(app.deviceStats()).find("HAL (hw vp): OpenGL display"), std::string::npos);
    EXPECT_TRUE(app.hasShaders());
    EXPECT_TRUE(platform::gfx::recordedMessageBoxes().empty());
}

TEST_F(Frame, FullScreenSettingStartsFullScreen) {
    CMyD3DApplication app(true);
    ASSERT_EQ(app.Create(nullptr, nullptr), S_OK);
    EXPECT_FALSE(app.isWindowed());
    EXPECT_TRUE(platform::gfx::isFullScreen(app.getWindow()));
    EXPECT_EQ(app.getWidth(), 1024);
    EXPECT_EQ(app.presentParameters().PresentationInterval, D3DPRESENT_INTERVAL_IMMEDIATE);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(app.getWindow(), GWL_STYLE)), 0x90000000u);
    EXPECT_EQ(app.getDevice()->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
}

struct ChoiceCase {
    const char* name;
    std::vector<D3DDISPLAYMODE> modes;
    bool windowed;
    UINT width, height, refresh;
};

TEST_F(Frame, FullScreenChoiceFallsBackTo1280x720ThenToAWindow) {
    const ChoiceCase cases[] = {
        {"1024x768, highest refresh", {mode(1024, 768, 60), mode(1024, 768, 85), mode(1024, 768, 75)}, false, 1024,
         768, 85},
        {"only 1280x720", {mode(1280, 720, 60), mode(1600, 900, 60)}, false, 1280, 720, 60},
        {"neither", {mode(1600, 900, 60), mode(800, 600, 60)}, true, 1024, 768, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        gfxtest::ScopedAdapters table({adapter(c.modes)});
        CMyD3DApplication app(true);
        ASSERT_EQ(app.Create(nullptr, nullptr), S_OK);
        EXPECT_EQ(app.isWindowed(), c.windowed);
        EXPECT_EQ(app.getWidth(), static_cast<int>(c.width));
        EXPECT_EQ(app.getHeight(), static_cast<int>(c.height));
        if (!c.windowed) {
            EXPECT_EQ(app.settings().Fullscreen_Settings.DisplayMode.RefreshRate, c.refresh);
        }
    }
}

TEST_F(Frame, DeviceWithoutVertexProcessingCapsIsCreatedWithSoftwareProcessing) {
    auto a = adapter({mode(1024, 768, 60)});
    a.caps.VertexProcessingCaps = 0;
    gfxtest::ScopedAdapters table({a});
    CMyD3DApplication app(false);
    ASSERT_EQ(app.Create(nullptr, nullptr), S_OK);
    EXPECT_EQ(app.settings().Windowed_Settings.vertexProcessingType, HARDWARE_VP);
    EXPECT_NE(std::string(app.deviceStats()).find("(sw vp)"), std::string::npos);
}

TEST_F(Frame, SwitchingToFullScreenAndBackRestoresTheWindow) {
    CMyD3DApplication app(false);
    ASSERT_EQ(app.Create(nullptr, nullptr), S_OK);
    ASSERT_EQ(app.toggleFullscreen(), S_OK);
    EXPECT_FALSE(app.isWindowed());
    EXPECT_TRUE(platform::gfx::isFullScreen(app.getWindow()));
    EXPECT_EQ(app.getWidth(), 1024);
    ASSERT_EQ(app.toggleFullscreen(), S_OK);
    EXPECT_TRUE(app.isWindowed());
    EXPECT_FALSE(platform::gfx::isFullScreen(app.getWindow()));
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(app.getWindow(), GWL_STYLE)), 0x10CA0000u);
    RECT rc;
    GetClientRect(app.getWindow(), &rc);
    EXPECT_EQ(rc.right, 1024);
    EXPECT_EQ(rc.bottom, 768);
    EXPECT_NE(log().find("CD3DApplication::changeResolution 1024 768 -1 true"), std::string::npos);
}

TEST_F(Frame, SwitchingWithoutAFullScreenSettingStaysWindowed) {
    gfxtest::ScopedAdapters table({adapter({mode(1600, 900, 60)})});
    CMyD3DApplication app(true);
    ASSERT_EQ(app.Create(nullptr, nullptr), S_OK);
    ASSERT_TRUE(app.isWindowed());
    EXPECT_EQ(app.toggleFullscreen(), D3DERR_NOTAVAILABLE);
    EXPECT_TRUE(app.isWindowed());
    EXPECT_EQ(app.getWidth(), 1024);
    EXPECT_NE(log().find("ERROR\tCD3DApplication::changeResolution: no full-screen setting exists"), std::string::npos);
    EXPECT_TRUE(platform::gfx::recordedMessageBoxes().empty());
    EXPECT_FALSE(CD3DApplication::fatalErrorShown());
}

TEST_F(Frame, LostDeviceIsResetOnceDefaultPoolTexturesAreGone) {
    CMyD3DApplication app(false);
    ASSERT_EQ(app.Create(nullptr, nullptr), S_OK);
    IDirect3DDevice9* device = app.getDevice();
    platform::gfx::setDeviceLost(device, true);
    EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
    EXPECT_EQ(device->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);

    IDirect3DTexture9* target = nullptr;
    ASSERT_EQ(device->CreateTexture(1024, 768, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8B8G8R8, D3DPOOL_DEFAULT, &target,
                                    nullptr),
              D3D_OK);
    EXPECT_EQ(app.Reset3DEnvironment(), D3DERR_INVALIDCALL);
    EXPECT_NE(log().find("ERROR\tCan't reset device"), std::string::npos);
    // Between the invalidation and a good reset the wrapper has no device and does nothing.
    CD3DDevice wrapper;
    EXPECT_EQ(wrapper.setRenderStateDirect(D3DRS_ALPHABLENDENABLE, TRUE), D3DERR_INVALIDCALL);
    EXPECT_EQ(wrapper.setTexture(0, TexturePtr()), D3DERR_INVALIDCALL);

    EXPECT_EQ(target->Release(), 0u);
    ASSERT_EQ(app.Reset3DEnvironment(), S_OK);
    EXPECT_EQ(device->TestCooperativeLevel(), D3D_OK);
    EXPECT_EQ(CD3DDevice::cacheDevice(), device);
    EXPECT_EQ(app.getWidth(), 1024);
}

TEST_F(Frame, FailingCreationShowsOneFatalBoxThenNone) {
    platform::gfx::faults().failDirect3DCreate = true;
    {
        CMyD3DApplication app(false);
        EXPECT_EQ(app.Create(nullptr, nullptr), D3DAPPERR_NODIRECT3D);
    }
    auto boxes = platform::gfx::recordedMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "Orlimand");
    EXPECT_EQ(boxes[0].type, MB_ICONERROR);
    EXPECT_NE(boxes[0].text.find("Could not initialize Direct3D."), std::string::npos);
    EXPECT_NE(boxes[0].text.find("\n\nThis sample will now exit."), std::string::npos);
    EXPECT_NE(log().find("CD3DApplication::Create m_pD3D == NULL"), std::string::npos);

    platform::gfx::resetFaults();
    platform::gfx::faults().createDeviceResult = D3DERR_NOTAVAILABLE;
    {
        CMyD3DApplication app(false);
        EXPECT_EQ(app.Create(nullptr, nullptr), D3DERR_NOTAVAILABLE);
        EXPECT_EQ(app.getDevice(), nullptr);
        EXPECT_EQ(platform::gfx::sentMessages(app.getWindow()), std::vector<UINT>{WM_PAINT});
    }
    EXPECT_EQ(platform::gfx::recordedMessageBoxes().size(), 1u);
    EXPECT_NE(log().find("m_pD3D->CreateDevice: D3DERR_NOTAVAILABLE"), std::string::npos);
}

TEST_F(Frame, FailingDeviceFallsBackToAWindowedReferenceDevice) {
    auto a = adapter({mode(1024, 768, 60)});
    a.hasReference = true;
    gfxtest::ScopedAdapters table({a});
    struct FailHalOnce : CMyD3DApplication {
        FailHalOnce() : CMyD3DApplication(false) {}
        HRESULT InitDeviceObjects() override {
            if (!failed) {
                failed = true;
                return E_FAIL;
            }
            return CMyD3DApplication::InitDeviceObjects();
        }
        bool failed = false;
    } app;
    ASSERT_EQ(app.Create(nullptr, nullptr), S_OK);
    EXPECT_EQ(app.settings().Windowed_Settings.pDeviceInfo->DevType, D3DDEVTYPE_REF);
    auto boxes = platform::gfx::recordedMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].type, MB_ICONWARNING);
    EXPECT_NE(boxes[0].text.find("Switching to the reference rasterizer"), std::string::npos);
    EXPECT_NE(log().find("FAILED(InitDeviceObjects()): hr = "), std::string::npos);
}

TEST_F(Frame, ADeviceHeldBeyondTheFrameIsReportedAndKeepsItsWindow) {
    IDirect3DTexture9* kept = nullptr;
    {
        CMyD3DApplication app(false);
        ASSERT_EQ(app.Create(nullptr, nullptr), S_OK);
        ASSERT_EQ(app.getDevice()->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &kept, nullptr), D3D_OK);
    }
    EXPECT_NE(log().find("ERROR\tD3DDevice not released!!!"), std::string::npos);
    // The texture still holds the device; its release ends both, with the window still there.
    EXPECT_EQ(kept->Release(), 0u);
}

TEST_F(Frame, ShowErrorPicksTheTextOfTheCode) {
    CMyD3DApplication app(false);
    EXPECT_EQ(app.showError(D3DAPPERR_RESETFAILED, MSG_NONE), D3DAPPERR_RESETFAILED);
    EXPECT_EQ(app.showError(E_OUTOFMEMORY, MSG_NONE), E_OUTOFMEMORY);
    EXPECT_EQ(app.showError(0x12345, MSG_NONE), 0x12345);
    auto boxes = platform::gfx::recordedMessageBoxes();
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[0].text, "Could not reset the Direct3D device.");
    EXPECT_EQ(boxes[1].text, "Not enough memory.");
    EXPECT_EQ(boxes[2].text, "Generic application error. Enable\ndebug output for detailed information.");
    EXPECT_EQ(boxes[0].type, MB_ICONWARNING);
}

}  // namespace
