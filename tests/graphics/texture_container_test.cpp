#include "graphics/texture_container.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/graphics/d3dx9_texture_loading.h"
#include "tests/graphics/texture_fixture.h"
#include "tests/support/image_writer.h"

using namespace imagetest;
using texturetest::near;

namespace {

class Textures : public texturetest::TextureTest {};

std::string block(uint16_t colour, bool dxt5) {
    std::string alpha = dxt5 ? std::string("\xFF\xFF\0\0\0\0\0\0", 8) : std::string();
    std::string c(8, '\0');
    c[0] = c[2] = static_cast<char>(colour & 0xFF);
    c[1] = c[3] = static_cast<char>(colour >> 8);
    return alpha + c;
}

// 8x8 DXT: four 4x4 blocks, red, green, blue, white, like `quadrants`.
std::string dxtQuadrants(bool dxt5) {
    return block(0xF800, dxt5) + block(0x07E0, dxt5) + block(0x001F, dxt5) + block(0xFFFF, dxt5);
}

// A DDS level of 8x8 in quadrants for a 32-bit, 16-bit or 8-bit format.
std::string plainQuadrants(int bpp, uint32_t red, uint32_t green, uint32_t blue, uint32_t white) {
    std::string out;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            uint32_t v = y < 4 ? (x < 4 ? red : green) : (x < 4 ? blue : white);
            for (int b = 0; b < bpp; ++b) out.push_back(static_cast<char>((v >> (8 * b)) & 0xFF));
        }
    return out;
}

struct Kind {
    const char* name;
    std::string bytes;
    UINT width, height, levels;
    D3DFORMAT format;
    Texture::Kind kind;
    uint32_t expected[4];  // drawn colours of the four quadrants; 0 skips the drawing check
    int tolerance;
};

}  // namespace

TEST_F(Textures, EveryImageKindLoadsWithItsSizeFormatLevelsAndPixels) {
    std::string mips = plainQuadrants(4, 0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF) +
                       pixels32(std::vector<uint32_t>(16 + 4 + 1, 0xFF808080));
    std::string cube;
    for (int f = 0; f < 6; ++f) cube += pixels32(std::vector<uint32_t>(16, 0xFF000000u | f));
    const Kind kinds[] = {
        {"argb.dds", dds(8, 8, 1, ddsArgb(), plainQuadrants(4, 0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF)), 8, 8,
         1, D3DFMT_A8R8G8B8, Texture::KIND_2D, {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF}, 0},
        {"xrgb.dds", dds(8, 8, 1, ddsXrgb(), plainQuadrants(4, 0xFF0000, 0xFF00, 0xFF, 0xFFFFFF)), 8, 8, 1,
         D3DFMT_X8R8G8B8, Texture::KIND_2D, {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF}, 0},
        {"rgb565.dds", dds(8, 8, 1, ddsRgb565(), plainQuadrants(2, 0xF800, 0x07E0, 0x001F, 0xFFFF)), 8, 8, 1,
         D3DFMT_R5G6B5, Texture::KIND_2D, {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF}, 0},
        {"l8.dds", dds(8, 8, 1, ddsL8(), plainQuadrants(1, 0x00, 0x40, 0x80, 0xFF)), 8, 8, 1, D3DFMT_L8,
         Texture::KIND_2D, {0x010101, 0x404040, 0x808080, 0xFFFFFF}, 1},
        {"a8l8.dds", dds(8, 8, 1, ddsA8L8(), plainQuadrants(2, 0xFF10, 0xFF40, 0xFF80, 0xFFFF)), 8, 8, 1, D3DFMT_A8L8,
         Texture::KIND_2D, {0x101010, 0x404040, 0x808080, 0xFFFFFF}, 0},
        {"a8.dds", dds(8, 8, 1, ddsA8(), plainQuadrants(1, 0x10, 0x40, 0x80, 0xFF)), 8, 8, 1, D3DFMT_A8,
         Texture::KIND_2D, {0, 0, 0, 0}, 0},
        {"dxt1.dds", dds(8, 8, 1, ddsFourCC("DXT1"), dxtQuadrants(false)), 8, 8, 1, D3DFMT_DXT1, Texture::KIND_2D,
         {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF}, 2},
        {"dxt3.dds", dds(8, 8, 1, ddsFourCC("DXT3"),
                         std::string(8, '\xFF') + block(0xF800, false) + std::string(8, '\xFF') + block(0x07E0, false) +
                             std::string(8, '\xFF') + block(0x001F, false) + std::string(8, '\xFF') +
                             block(0xFFFF, false)),
         8, 8, 1, D3DFMT_DXT3, Texture::KIND_2D, {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF}, 2},
        {"dxt5.dds", dds(8, 8, 1, ddsFourCC("DXT5"), dxtQuadrants(true)), 8, 8, 1, D3DFMT_DXT5, Texture::KIND_2D,
         {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF}, 2},
        {"mips.dds", dds(8, 8, 4, ddsArgb(), mips), 8, 8, 4, D3DFMT_A8R8G8B8, Texture::KIND_2D,
         {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF}, 0},
        {"cube.dds", dds(4, 4, 1, ddsArgb(), cube, CAPS2_CUBE_ALL), 4, 4, 1, D3DFMT_A8R8G8B8, Texture::KIND_CUBE,
         {0, 0, 0, 0}, 0},
        {"rgba.png", png(8, 8, 4, quadrants(8, 8, 4)), 8, 8, 1, D3DFMT_A8R8G8B8, Texture::KIND_2D,
         {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF}, 0},
        {"rgb.png", png(8, 8, 3, quadrants(8, 8, 3)), 8, 8, 1, D3DFMT_R8G8B8, Texture::KIND_2D,
         {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF}, 0},
        {"picture.bmp", bmp(8, 8, 3, quadrants(8, 8, 3)), 8, 8, 1, D3DFMT_R8G8B8, Texture::KIND_2D,
         {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF}, 0},
        {"picture.tga", tga(8, 8, 4, quadrants(8, 8, 4)), 8, 8, 1, D3DFMT_A8R8G8B8, Texture::KIND_2D,
         {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF}, 0},
        {"photo.jpg", jpg(16, 16, 3, quadrants(16, 16, 3)), 16, 16, 1, D3DFMT_X8R8G8B8, Texture::KIND_2D,
         {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF}, 12},
    };
    for (const Kind& k : kinds) addFile(k.name, k.bytes);
    for (const Kind& k : kinds) {
        SCOPED_TRACE(k.name);
        TexturePtr t = textures->getTexture(k.name, D3DFMT_UNKNOWN);
        ASSERT_TRUE(t);
        EXPECT_TRUE(t->loaded);
        EXPECT_EQ(t->width, k.width);
        EXPECT_EQ(t->height, k.height);
        EXPECT_EQ(t->mipLevels, k.levels);
        EXPECT_EQ(t->format, k.format);
        EXPECT_EQ(t->pool, D3DPOOL_MANAGED);
        EXPECT_EQ(t->getKind(), k.kind);
        EXPECT_EQ(t->size, static_cast<int>(k.width * k.height * 4));
        EXPECT_EQ(t->getTexture()->GetLevelCount(), k.levels);
        if (k.expected[3] == 0) continue;
        begin();
        drawTexture(t->getTexture(), 10, 10, k.width, k.height);
        platform::gfx::Image image = end();
        UINT q = k.width / 4;
        EXPECT_TRUE(near(image.argb(10 + q, 10 + q), k.expected[0], k.tolerance));
        EXPECT_TRUE(near(image.argb(10 + 3 * q, 10 + q), k.expected[1], k.tolerance));
        EXPECT_TRUE(near(image.argb(10 + q, 10 + 3 * q), k.expected[2], k.tolerance));
        EXPECT_TRUE(near(image.argb(10 + 3 * q, 10 + 3 * q), k.expected[3], k.tolerance));
    }
    EXPECT_TRUE(newLines().empty());
}

TEST_F(Textures, AGivenFormatReplacesTheFilesAndLevelsGrowFromTheFile) {
    addFile("red.png", png(8, 8, 3, quadrants(8, 8, 3)));
    TexturePtr t = textures->getTexture("red.png", D3DFMT_A8R8G8B8);
    ASSERT_TRUE(t);
    EXPECT_EQ(t->format, D3DFMT_R8G8B8);  // the source's, as D3DX reports it
    D3DSURFACE_DESC desc;
    static_cast<IDirect3DTexture9*>(t->getTexture())->GetLevelDesc(0, &desc);
    EXPECT_EQ(desc.Format, D3DFMT_A8R8G8B8);

    // A chain asked for beyond the file's one level is box-filtered down to 1x1.
    std::string file = png(8, 8, 3, quadrants(8, 8, 3));
    IDirect3DTexture9* chain = nullptr;
    D3DXIMAGE_INFO info{};
    ASSERT_EQ(D3DXCreateTextureFromFileInMemoryEx(device, file.data(), static_cast<UINT>(file.size()), 0, 0, 0, 0,
                                                  D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT, 0, &info,
                                                  nullptr, &chain),
              D3D_OK);
    EXPECT_EQ(chain->GetLevelCount(), 4u);
    EXPECT_EQ(info.MipLevels, 1u);
    EXPECT_EQ(info.ImageFileFormat, D3DXIFF_PNG);
    D3DLOCKED_RECT locked;
    ASSERT_EQ(chain->LockRect(3, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    const uint8_t* p = static_cast<const uint8_t*>(locked.pBits);  // the average of the four quadrants
    EXPECT_NEAR(p[0], 128, 1);
    EXPECT_NEAR(p[1], 128, 1);
    EXPECT_NEAR(p[2], 128, 1);
    chain->UnlockRect(3);
    chain->Release();
}

TEST_F(Textures, BadInputGivesTheEmptyPointerAndTheLogLines) {
    std::string good = dds(8, 8, 1, ddsArgb(), pixels32(std::vector<uint32_t>(64, 0xFFFFFFFF)));
    std::string picture = png(16, 16, 4, quadrants(16, 16, 4));
    addFile("volume.dds", dds(4, 4, 1, ddsArgb(), pixels32(std::vector<uint32_t>(32, 0)), CAPS2_VOLUME, 2));
    addFile("cut.dds", good.substr(0, good.size() - 10));
    addFile("header.dds", good.substr(0, 60));
    addFile("cut.png", picture.substr(0, picture.size() / 2));
    addFile("junk.png", "not a picture at all");
    addFile("header.tga", tgaHeader(2, 2048, 2048, 32));  // no pixels at all
    const std::string targa = tga(16, 16, 4, quadrants(16, 16, 4)), bitmap = bmp(16, 16, 3, quadrants(16, 16, 3));
    addFile("cut.tga", targa.substr(0, targa.size() - 64));
    addFile("cut.bmp", bitmap.substr(0, bitmap.size() - 48));
    addFile("empty.png", "");
    addFile("noext", good);
    const std::string invalid = "Load texture error = D3DXERR_INVALIDDATA";
    const std::string cannot = "Cannot load texture (not automatic settings) ";
    struct Case {
        const char* name;
        std::vector<std::string> lines;
    } cases[] = {
        {"volume.dds", {cannot + "volume.dds"}},
        {"cut.dds", {invalid, cannot + "cut.dds"}},
        {"header.dds", {invalid, cannot + "header.dds"}},
        {"cut.png", {invalid, cannot + "cut.png"}},
        {"junk.png", {invalid, cannot + "junk.png"}},
        {"header.tga", {invalid, cannot + "header.tga"}},
        {"cut.tga", {invalid, cannot + "cut.tga"}},
        {"cut.bmp", {invalid, cannot + "cut.bmp"}},
        {"empty.png", {"Load texture error = D3DERR_INVALIDCALL", cannot + "empty.png"}},
        {"missing.dds", {}},
        {"noext", {}},
        {"", {}},
    };
    newLines();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_TRUE(textures->getTexture(c.name, D3DFMT_UNKNOWN).isNull());
        EXPECT_EQ(newLines(), c.lines);
    }
    // Names without an extension are not even registered; the others stay, failed.
    EXPECT_TRUE(textures->find("noext").isNull());
    EXPECT_FALSE(textures->find("cut.dds")->loaded);
}

TEST_F(Textures, ANameThatFailedIsNotTriedAgainUntilReleased) {
    addFile("later.dds", "broken");
    EXPECT_TRUE(textures->getTexture("Later.DDS", D3DFMT_UNKNOWN).isNull());
    EXPECT_EQ(newLines().size(), 2u);
    addFile("later.dds", dds(1, 1, 1, ddsArgb(), pixels32({0xFF00FF00})));
    EXPECT_TRUE(textures->getTexture("later.dds", D3DFMT_UNKNOWN).isNull());
    EXPECT_TRUE(newLines().empty());  // no second attempt, nothing logged
    textures->releaseTexture("LATER.dds");
    TexturePtr t = textures->getTexture("later.dds", D3DFMT_UNKNOWN);
    ASSERT_TRUE(t);
    EXPECT_EQ(t->id, 2u);
}

TEST_F(Textures, TheRenderTargetSurvivesUnloadResetReload) {
    TexturePtr target = textures->createTexture("render_target", 1024, 768, 1, 1, D3DFMT_A8B8G8R8,
                                                D3DUSAGE_RENDERTARGET, D3DPOOL_DEFAULT);
    ASSERT_TRUE(target);
    auto check = [&] {
        EXPECT_TRUE(target->loaded);
        ASSERT_NE(target->getTexture(), nullptr);
        EXPECT_EQ(target->width, 1024u);
        EXPECT_EQ(target->height, 768u);
        EXPECT_EQ(target->format, D3DFMT_A8B8G8R8);
        EXPECT_EQ(target->usage, D3DUSAGE_RENDERTARGET);
        EXPECT_EQ(target->pool, D3DPOOL_DEFAULT);
        EXPECT_EQ(target->getKind(), Texture::KIND_2D);
        EXPECT_EQ(textures->getTexture("RENDER_TARGET", D3DFMT_UNKNOWN).get(), target.get());
    };
    check();
    // A reset with the default-pool texture alive fails; unloaded first, it succeeds.
    EXPECT_NE(app->Reset3DEnvironment(), D3D_OK);
    newLines();  // the frame's own report of the failed reset
    textures->unloadDefaultPool();
    EXPECT_EQ(target->getTexture(), nullptr);
    EXPECT_TRUE(textures->getTexture("render_target", D3DFMT_UNKNOWN).isNull());
    EXPECT_EQ(app->Reset3DEnvironment(), D3D_OK);
    textures->reloadDefaultPool();
    check();
    // The application asks for it again after the reset: the same texture, untouched.
    EXPECT_EQ(textures->createTexture("render_target", 1024, 768, 1, 1, D3DFMT_A8B8G8R8, D3DUSAGE_RENDERTARGET,
                                      D3DPOOL_DEFAULT)
                  .get(),
              target.get());
    EXPECT_EQ(target->id, 1u);

    // It can be drawn into and copied from.
    TexturePtr copy = textures->createTexture("copy", 1024, 768, 1, 1, D3DFMT_A8B8G8R8, D3DUSAGE_RENDERTARGET,
                                              D3DPOOL_DEFAULT);
    ASSERT_TRUE(copy);
    EXPECT_EQ(target->copyTo(*copy), D3D_OK);
    EXPECT_TRUE(newLines().empty());
}

TEST_F(Textures, AParameterTextureThatFailedIsNotLoadedAndIsTriedAgain) {
    CD3DDevice::setCacheDevice(nullptr);
    wrapper.reset();  // no device published to the texture code
    EXPECT_TRUE(textures->createTexture("rt", 64, 64, 1, 1, D3DFMT_A8R8G8B8, D3DUSAGE_RENDERTARGET, D3DPOOL_DEFAULT)
                    .isNull());
    EXPECT_EQ(newLines(), (std::vector<std::string>{"Load texture error = D3DERR_INVALIDCALL",
                                                     "Wrong Texture in Texture::CreateFromTexture"}));
    TexturePtr failed = textures->find("rt");
    ASSERT_TRUE(failed);
    EXPECT_FALSE(failed->loaded);
    wrapper = std::make_unique<CD3DDevice>();
    ASSERT_EQ(wrapper->setDevice(device), D3D_OK);
    textures->reloadDefaultPool();
    EXPECT_TRUE(failed->loaded);
    EXPECT_NE(failed->getTexture(), nullptr);
    // A format the device cannot render to fails the same way and stays registered.
    EXPECT_TRUE(textures->createTexture("bad", 64, 64, 1, 1, D3DFMT_L8, D3DUSAGE_RENDERTARGET, D3DPOOL_DEFAULT)
                    .isNull());
    EXPECT_EQ(newLines().size(), 2u);
    EXPECT_TRUE(textures->find("bad"));
}

TEST_F(Textures, FiftyTexturesMadeOnALoaderThreadWhileTheMainThreadDraws) {
    constexpr int kCount = 50;
    for (int i = 0; i < kCount; ++i) {
        uint32_t colour = 0xFF000000u | static_cast<uint32_t>(i * 5) << 16 | static_cast<uint32_t>(255 - i * 5);
        addFile("t" + std::to_string(i) + ".dds", dds(4, 4, 1, ddsArgb(), pixels32(std::vector<uint32_t>(16, colour))));
    }
    addFile("busy.png", png(4, 4, 3, quadrants(4, 4, 3)));
    TexturePtr busy = textures->getTexture("busy.png", D3DFMT_UNKNOWN);
    ASSERT_TRUE(busy);
    platform::gfx::resetStats(device);

    // The loader owns the container while it runs; the main thread only draws.
    std::vector<TexturePtr> made(kCount);
    std::atomic<bool> done{false};
    std::thread loader([&] {
        for (int i = 0; i < kCount; ++i) made[i] = textures->getTexture("t" + std::to_string(i) + ".dds", D3DFMT_UNKNOWN);
        done = true;
    });
    int frames = 0;
    while (!done || frames < 3) {
        begin();
        drawTexture(busy->getTexture(), 0, 0, 4, 4);
        device->EndScene();
        device->Present(nullptr, nullptr, nullptr, nullptr);
        ++frames;
    }
    loader.join();

    begin();
    for (int i = 0; i < kCount; ++i) {
        ASSERT_TRUE(made[i]) << i;
        drawTexture(made[i]->getTexture(), static_cast<float>((i % 10) * 8), static_cast<float>((i / 10) * 8), 4, 4);
    }
    platform::gfx::Image image = end();
    for (int i = 0; i < kCount; ++i) {
        uint32_t colour = static_cast<uint32_t>(i * 5) << 16 | static_cast<uint32_t>(255 - i * 5);
        EXPECT_TRUE(near(image.argb((i % 10) * 8 + 1, (i / 10) * 8 + 1), colour, 0)) << i;
    }
    EXPECT_EQ(textures->count(), static_cast<size_t>(kCount + 1));
    // The layer reports any GL work attempted off the drawing thread as an ERROR.
    EXPECT_TRUE(newLines().empty());
}
