#pragma once
// A headless frame and device as the application makes them, with the device wrapper, a file
// system over a fresh folder, the texture container, the log in a file, and helpers to draw a
// texture and read the picture back.
#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "core/log_stream.h"
#include "graphics/d3d_application.h"
#include "graphics/d3d_device.h"
#include "graphics/texture_container.h"
#include "platform/graphics/gfx_control.h"
#include "tests/graphics/fake_adapters.h"
#include "tests/support/gl_fixture.h"
#include "tests/support/temp_dir.h"
#include "vfs/vfs_manager.h"

namespace texturetest {

class TextureTest : public ::testing::Test {
protected:
    void SetUp() override {
        gfxtest::headless();
        logPath = (dir.path() / "textures.log").string();
        Tov::LogStream::setFile(logPath, false);
        std::filesystem::create_directories(dir.path() / "data");
        vfs = std::make_unique<VFS::VFSManager>();
        ASSERT_TRUE(vfs->mount("filesystem", (dir.path() / "data").string()));
        app = std::make_unique<CMyD3DApplication>(false);
        ASSERT_EQ(app->Create(nullptr, nullptr), S_OK);
        device = app->getDevice();
        wrapper = std::make_unique<CD3DDevice>();
        ASSERT_EQ(wrapper->setDevice(device), D3D_OK);
        textures = std::make_unique<TextureContainer>();
    }
    void TearDown() override {
        textures.reset();
        wrapper.reset();
        app.reset();
        vfs.reset();
    }

    // Writes a data file and lists it in the file system.
    void addFile(const std::string& name, const std::string& bytes) {
        testsupport::writeFile(dir.path() / "data" / name, bytes);
        vfs->rescan((dir.path() / "data").string());
    }

    // The text of the log lines of one level written since the last call.
    std::vector<std::string> newLines(const std::string& level = "ERROR") {
        std::istringstream in(testsupport::readFile(logPath));
        std::vector<std::string> out;
        std::string line;
        size_t n = 0;
        while (std::getline(in, line)) {
            if (n++ < seenLines) continue;
            std::string tag = "\t" + level + "\t";
            size_t at = line.find(tag);
            if (at != std::string::npos) out.push_back(line.substr(at + tag.size()));
        }
        seenLines = n;
        return out;
    }

    // Draws the texture 1:1 at (x, y) with point sampling, its texels passed straight through.
    void drawTexture(IDirect3DBaseTexture9* texture, float x, float y, UINT w, UINT h) {
        gfxtest::Vertex v[4] = {{x - 0.5f, y - 0.5f, 0, 1, 0xFFFFFFFF, 0, 0},
                                {x + w - 0.5f, y - 0.5f, 0, 1, 0xFFFFFFFF, 1, 0},
                                {x - 0.5f, y + h - 0.5f, 0, 1, 0xFFFFFFFF, 0, 1},
                                {x + w - 0.5f, y + h - 0.5f, 0, 1, 0xFFFFFFFF, 1, 1}};
        device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
        device->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
        device->SetRenderState(D3DRS_ZENABLE, FALSE);
        device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        device->SetRenderState(D3DRS_LIGHTING, FALSE);
        device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_POINT);
        device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
        device->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_NONE);
        device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
        device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
        device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
        device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
        device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
        device->SetTexture(0, texture);
        device->SetFVF(gfxtest::kFvf);
        device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(gfxtest::Vertex));
        device->SetTexture(0, nullptr);
    }
    void begin(D3DCOLOR clear = 0xFF000000) {
        device->Clear(0, nullptr, D3DCLEAR_TARGET, clear, 1.0f, 0);
        device->BeginScene();
    }
    platform::gfx::Image end() {
        device->EndScene();
        platform::gfx::Image image;
        EXPECT_TRUE(platform::gfx::readRenderTarget(device, nullptr, image));
        return image;
    }

    testsupport::TempDir dir;
    std::string logPath;
    size_t seenLines = 0;
    std::unique_ptr<VFS::VFSManager> vfs;
    std::unique_ptr<CMyD3DApplication> app;
    std::unique_ptr<CD3DDevice> wrapper;
    std::unique_ptr<TextureContainer> textures;
    IDirect3DDevice9* device = nullptr;
};

// Per-channel comparison of 0xAARRGGBB colours (alpha ignored) within a tolerance.
using gfxtest::near;

}  // namespace texturetest
