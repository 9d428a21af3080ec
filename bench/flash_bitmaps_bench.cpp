// Decoding one 1024 x 768 bitmap per call: a DefineBitsJPEG2 body through the engine's JPEG
// reader against libjpeg decoding the same bytes from memory, and a DefineBitsLossless2 body
// (32-bit pixels) through the lossless reader against one zlib uncompress of the same data.
// Bytes processed are the decoded pixels, so MB/s compare directly.
#include <benchmark/benchmark.h>
#include <jpeglib.h>
#include <zlib.h>

#include <cstdio>
#include <memory>
#include <random>
#include <vector>

#include "flash/base/bx_file.h"
#include "flash/render/jpeg_input.h"
#include "flash/render/lossless.h"
#include "flash/swf/swf_stream.h"
#include "tools/swfwriter/bitmaps.h"

namespace {

constexpr int width = 1024;
constexpr int height = 768;
constexpr int jpeg_quality = 85;
constexpr size_t lossless_header = 7;  // id, format, width, height

// Smooth gradients with some noise, as photographs and painted backgrounds are.
swf::Image picture() {
    std::mt19937 random(5);
    swf::Image img = swf::Image::filled(width, height, {});
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const int n = static_cast<int>(random() % 8);
            img.at(x, y) = {static_cast<uint8_t>(x / 4 + n), static_cast<uint8_t>(y / 3 + n),
                            static_cast<uint8_t>((x + y) / 8 + n), static_cast<uint8_t>(255 - y / 3)};
        }
    }
    return img;
}

const swf::Image& the_picture() {
    static const swf::Image img = picture();
    return img;
}

const swf::Bytes& jpeg_data() {
    static const swf::Bytes data = swf::encode_jpeg(the_picture(), jpeg_quality);
    return data;
}

// The deflated pixels of a Lossless2 body (after its header).
const swf::Bytes& lossless_data() {
    static const swf::Bytes data = [] {
        const swf::Bytes body = swf::define_bits_lossless_body(1, the_picture(), swf::lossless_argb, true);
        return swf::Bytes(body.begin() + lossless_header, body.end());
    }();
    return data;
}

void BM_EngineJpeg2(benchmark::State& state) {
    swf::Bytes data = jpeg_data();
    for (auto _ : state) {
        flash::bx_file file(flash::memory_buffer, static_cast<int>(data.size()), data.data());
        flash::swf_stream in(&file);
        std::unique_ptr<flash::image::rgb> img(
            flash::jpeg::read_swf_jpeg2(&in, static_cast<int>(data.size())));
        benchmark::DoNotOptimize(img.get());
    }
    state.SetBytesProcessed(state.iterations() * width * height * 3);
}
BENCHMARK(BM_EngineJpeg2)->Unit(benchmark::kMillisecond);

void BM_LibjpegAlone(benchmark::State& state) {
    const swf::Bytes& data = jpeg_data();
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * 3);
    for (auto _ : state) {
        jpeg_decompress_struct cinfo;
        jpeg_error_mgr err;
        cinfo.err = jpeg_std_error(&err);
        jpeg_create_decompress(&cinfo);
        jpeg_mem_src(&cinfo, data.data(), static_cast<unsigned long>(data.size()));
        jpeg_read_header(&cinfo, TRUE);
        cinfo.out_color_space = JCS_RGB;
        jpeg_start_decompress(&cinfo);
        while (cinfo.output_scanline < cinfo.output_height) {
            JSAMPROW row = pixels.data() + static_cast<size_t>(cinfo.output_scanline) * width * 3;
            jpeg_read_scanlines(&cinfo, &row, 1);
        }
        jpeg_finish_decompress(&cinfo);
        jpeg_destroy_decompress(&cinfo);
        benchmark::DoNotOptimize(pixels.data());
    }
    state.SetBytesProcessed(state.iterations() * width * height * 3);
}
BENCHMARK(BM_LibjpegAlone)->Unit(benchmark::kMillisecond);

void BM_EngineLossless2(benchmark::State& state) {
    swf::Bytes data = lossless_data();
    for (auto _ : state) {
        flash::bx_file file(flash::memory_buffer, static_cast<int>(data.size()), data.data());
        flash::swf_stream in(&file);
        in.set_stream_end(static_cast<int>(data.size()));
        std::unique_ptr<flash::image::rgba> img(
            flash::lossless::read_rgba(&in, flash::lossless::ARGB, width, height));
        benchmark::DoNotOptimize(img.get());
    }
    state.SetBytesProcessed(state.iterations() * width * height * 4);
}
BENCHMARK(BM_EngineLossless2)->Unit(benchmark::kMillisecond);

void BM_ZlibAlone(benchmark::State& state) {
    const swf::Bytes& data = lossless_data();
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * 4);
    for (auto _ : state) {
        uLongf size = static_cast<uLongf>(pixels.size());
        uncompress(pixels.data(), &size, data.data(), static_cast<uLong>(data.size()));
        benchmark::DoNotOptimize(pixels.data());
    }
    state.SetBytesProcessed(state.iterations() * width * height * 4);
}
BENCHMARK(BM_ZlibAlone)->Unit(benchmark::kMillisecond);

}  // namespace
