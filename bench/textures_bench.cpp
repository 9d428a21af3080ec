// One frame's worth of text: 1,000 short texts measured and drawn with a bitmap font on a
// headless device; and the image decoders on typical texture sizes.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/attr_xml.h"
#include "graphics/d3d_application.h"
#include "graphics/d3d_device.h"
#include "graphics/font_manager.h"
#include "graphics/texture_container.h"
#include "platform/graphics/window.h"
#include "platform/image/image.h"
#include "tests/support/image_writer.h"
#include "tests/support/temp_dir.h"
#include "vfs/vfs_manager.h"
#include "tests/support/environment.h"

namespace {

struct Scene {
    Scene() {
        testsupport::useHeadlessDrivers();
        platform::gfx::setMessageBoxesHeadless(true);
        std::string symbols;
        std::vector<uint8_t> px(256 * 64 * 4, 255);
        for (int c = 32; c < 128; ++c) {
            int i = c - 32;
            symbols += "<string name=\"" + std::to_string(c) + "\" value=\"" + std::to_string((i % 16) * 16) + "|" +
                       std::to_string((i / 16) * 10) + "|9|10|0|1\"/>";
        }
        testsupport::writeFile(dir.path() / "data" / "bench.font",
                               "<root><object name=\"Bench\"><string name=\"TextureSize\" value=\"256|64\"/>"
                               "<object name=\"Symbols\">" + symbols + "</object></object></root>");
        testsupport::writeFile(dir.path() / "data" / "bench.png", imagetest::png(256, 64, 4, px));
        vfs = std::make_unique<VFS::VFSManager>();
        vfs->mount("filesystem", (dir.path() / "data").string());
        app = std::make_unique<CMyD3DApplication>(false);
        app->Create(nullptr, nullptr);
        wrapper = std::make_unique<CD3DDevice>();
        wrapper->setDevice(app->getDevice());
        textures = std::make_unique<TextureContainer>();
        fonts = std::make_unique<FontManager>();
        fonts->loadFonts(".font");
        font = getFontByName("bench");
    }
    ~Scene() {
        fonts.reset();
        textures.reset();
        wrapper.reset();
        app.reset();
        vfs.reset();
    }
    testsupport::TempDir dir{false};
    std::unique_ptr<VFS::VFSManager> vfs;
    std::unique_ptr<CMyD3DApplication> app;
    std::unique_ptr<CD3DDevice> wrapper;
    std::unique_ptr<TextureContainer> textures;
    std::unique_ptr<FontManager> fonts;
    Font* font = nullptr;
};

void BM_MeasureAndDraw1000Texts(benchmark::State& state) {
    Scene scene;
    if (!scene.font) {
        state.SkipWithError("no font");
        return;
    }
    IDirect3DDevice9* device = scene.app->getDevice();
    std::vector<std::u16string> texts;
    for (int i = 0; i < 1000; ++i) texts.push_back(u"Score " + std::u16string(1, char16_t(u'0' + i % 10)) + u" pts");
    for (auto _ : state) {
        device->BeginScene();
        int32_t total = 0;
        for (int i = 0; i < 1000; ++i) {
            total += scene.font->getTextWidth(texts[i]);
            scene.font->drawText(static_cast<float>(i % 40) * 25, static_cast<float>(i / 40) * 30, 0xFFFFFFFF, texts[i]);
        }
        device->EndScene();
        device->Present(nullptr, nullptr, nullptr, nullptr);
        benchmark::DoNotOptimize(total);
    }
    state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(BM_MeasureAndDraw1000Texts)->Unit(benchmark::kMillisecond);

void BM_MeasureOnly1000Texts(benchmark::State& state) {
    Scene scene;
    std::u16string text = u"Score 7 pts";
    for (auto _ : state) {
        int32_t total = 0;
        for (int i = 0; i < 1000; ++i) total += scene.font->getTextWidth(text);
        benchmark::DoNotOptimize(total);
    }
    state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(BM_MeasureOnly1000Texts)->Unit(benchmark::kMicrosecond);

void BM_DecodeDxt5_512(benchmark::State& state) {
    std::string blocks;
    for (int i = 0; i < 128 * 128; ++i) blocks += std::string("\xFF\x00\x49\x92\x24\x49\x92\x24\x00\xF8\x1F\x00\xE4\xE4\xE4\xE4", 16);
    std::string file = imagetest::dds(512, 512, 1, imagetest::ddsFourCC("DXT5"), blocks);
    platform::image::Image image;
    for (auto _ : state) {
        if (platform::image::decode(reinterpret_cast<const uint8_t*>(file.data()), file.size(), image) !=
            platform::image::Result::Ok) {
            state.SkipWithError("the test image does not decode");
            return;
        }
        benchmark::DoNotOptimize(image.surfaces.data());
    }
    state.SetBytesProcessed(state.iterations() * 512 * 512 * 4);
}
BENCHMARK(BM_DecodeDxt5_512)->Unit(benchmark::kMillisecond);

void BM_DecodePng_512(benchmark::State& state) {
    std::string file = imagetest::png(512, 512, 4, imagetest::quadrants(512, 512, 4));
    platform::image::Image image;
    for (auto _ : state) {
        if (platform::image::decode(reinterpret_cast<const uint8_t*>(file.data()), file.size(), image) !=
            platform::image::Result::Ok) {
            state.SkipWithError("the test image does not decode");
            return;
        }
        benchmark::DoNotOptimize(image.surfaces.data());
    }
    state.SetBytesProcessed(state.iterations() * 512 * 512 * 4);
}
BENCHMARK(BM_DecodePng_512)->Unit(benchmark::kMillisecond);

}  // namespace
