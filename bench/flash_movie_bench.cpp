// Reading a 5 MB movie of mixed tags (shapes, 50 JPEG and 50 lossless bitmaps, sprites with
// display-list tags) as a plain "FWS" file, as a compressed "CWS" file, and one plain zlib
// inflate of the compressed body for comparison: the compressed load should stay within 1.5
// times the plain load plus that inflate. Then a hostile movie: 4 MiB of data before a
// DefineButton2 whose 8,000 action offsets each step the reader back by two bytes, plain and
// compressed; compressed, it once inflated the movie again at every step (21.7 s).
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <random>

#include "flash/base/bx_file.h"
#include "flash/base/log.h"
#include "flash/movie/movie_def_impl.h"
#include "flash/movie/player.h"
#include "flash/movie/tag_loaders.h"
#include "tools/swfwriter/movie_writer.h"

namespace {

constexpr int bitmap_count = 50;
constexpr size_t jpeg_bytes = 30000;
constexpr int lossless_side = 110;
constexpr int shape_count = 750;
constexpr size_t shape_bytes = 1500;
constexpr int sprite_count = 100;

swf::Bytes random_bytes(std::mt19937& random, size_t n) {
    swf::Bytes out(n);
    for (uint8_t& b : out) b = static_cast<uint8_t>(random());
    return out;
}

// Smooth pixel rows that compress somewhat, as real bitmaps do.
swf::Bytes lossless_body(uint16_t id, std::mt19937& random) {
    swf::Bytes pixels(static_cast<size_t>(lossless_side) * lossless_side * 4);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<uint8_t>((i / 7 + random() % 16) & 0xFF);
    uLongf packed_size = compressBound(static_cast<uLong>(pixels.size()));
    swf::Bytes packed(packed_size);
    compress(packed.data(), &packed_size, pixels.data(), static_cast<uLong>(pixels.size()));
    packed.resize(packed_size);
    swf::BitWriter w;
    w.u16(id);
    w.u8(5);
    w.u16(lossless_side);
    w.u16(lossless_side);
    w.bytes(packed);
    return w.take();
}

swf::Bytes mixed_movie() {
    std::mt19937 random(77);
    swf::MovieWriter m(8);
    for (int i = 0; i < shape_count; ++i) {
        swf::BitWriter w;
        w.u16(m.next_id());
        w.bytes(random_bytes(random, shape_bytes));
        m.tag(32, w.take());
    }
    for (int i = 0; i < bitmap_count; ++i) {
        swf::BitWriter w;
        w.u16(m.next_id());
        w.bytes(random_bytes(random, jpeg_bytes));
        m.tag(21, w.take());
        m.tag(36, lossless_body(m.next_id(), random));
    }
    for (int i = 0; i < sprite_count; ++i) {
        swf::SpriteWriter s = m.sprite();
        for (int frame = 0; frame < 10; ++frame) {
            swf::PlaceObject p = swf::PlaceObject::place(static_cast<uint16_t>(frame + 1), 1);
            p.matrix = swf::Matrix::translation(frame * 20, frame * 40);
            s.place_object2(p);
            s.show_frame();
        }
        s.end();
        m.define_sprite(s);
    }
    m.show_frame();
    m.end();
    return m.finish_fws();
}

const swf::Bytes& fws_movie() {
    static const swf::Bytes bytes = mixed_movie();
    return bytes;
}

const swf::Bytes& cws_movie() {
    static const swf::Bytes bytes = swf::to_cws(fws_movie());
    return bytes;
}

void quiet(bool, const char*) {}

void load(benchmark::State& state, const swf::Bytes& file_bytes, const swf::Bytes& plain) {
    flash::register_log_callback(quiet);
    flash::register_tag_loaders();
    flash::smart_ptr<flash::player> owner(new flash::player);
    for (auto _ : state) {
        flash::bx_file* file = new flash::bx_file(flash::memory_buffer, static_cast<int>(file_bytes.size()),
                                                  const_cast<uint8_t*>(file_bytes.data()));
        flash::smart_ptr<flash::movie_def_impl> def(new flash::movie_def_impl(owner.get_ptr(), false));
        if (!def->read(file)) state.SkipWithError("the movie was refused");
        benchmark::DoNotOptimize(def->get_frame_count());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(plain.size()));
    state.counters["file_bytes"] = static_cast<double>(file_bytes.size());
}

void BM_LoadFws(benchmark::State& state) { load(state, fws_movie(), fws_movie()); }
void BM_LoadCws(benchmark::State& state) { load(state, cws_movie(), fws_movie()); }

void BM_InflateBodyOnce(benchmark::State& state) {
    const swf::Bytes& cws = cws_movie();
    swf::Bytes out(fws_movie().size());
    for (auto _ : state) {
        uLongf size = static_cast<uLongf>(out.size());
        uncompress(out.data(), &size, cws.data() + swf::swf_header_size,
                   static_cast<uLong>(cws.size() - swf::swf_header_size));
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(out.size()));
}

swf::Bytes stepping_button_movie() {
    constexpr int records = 8000;
    std::mt19937 random(3);
    swf::MovieWriter m(8);
    m.tag(87, random_bytes(random, 4 << 20));  // DefineBinaryData, read by no loader
    swf::BitWriter w;
    w.u16(1);  // id
    w.u8(0);   // menu flag
    w.u16(3);  // action offset: just past the empty record list
    w.u8(0);   // end of the records
    for (int i = 0; i < records; ++i) w.u16(2);
    w.u16(0);
    w.u16(8);
    w.u8(0);
    m.tag(34, w.take());
    m.show_frame();
    m.end();
    return m.finish_fws();
}

const swf::Bytes& stepping_fws() {
    static const swf::Bytes bytes = stepping_button_movie();
    return bytes;
}

void BM_LoadSteppingButtonFws(benchmark::State& state) { load(state, stepping_fws(), stepping_fws()); }
void BM_LoadSteppingButtonCws(benchmark::State& state) {
    static const swf::Bytes cws = swf::to_cws(stepping_fws());
    load(state, cws, stepping_fws());
}

BENCHMARK(BM_LoadFws)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadCws)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InflateBodyOnce)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadSteppingButtonFws)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadSteppingButtonCws)->Unit(benchmark::kMillisecond);

}  // namespace
