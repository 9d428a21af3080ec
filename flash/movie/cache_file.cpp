// Writing and reading a movie's cache file.
#include "flash/movie/cache_file.h"

#include <atomic>

#include "flash/base/bx_file.h"
#include "flash/base/log.h"
#include "flash/movie/movie_def_impl.h"
#include "flash/movie/movie_root.h"
#include "flash/movie/sound_handler.h"
#include "flash/movie/sprite_instance.h"
#include "flash/render/bitmap_info.h"
#include "flash/shape/cache_reader.h"

namespace flash {

namespace {

constexpr uint8_t cache_signature[] = {'g', 's', 'c'};
constexpr int cache_header_size = 4;

std::atomic<bool> g_use_cache_files{false};

// The play-through advances by this much a step, and pushes a stopped movie on at most this often
// in a row.
constexpr float precompute_step = 0.010f;
constexpr int max_kicks = 10;
// However its frames come, a play-through ends after this many steps.
constexpr int max_precompute_steps = 1 << 20;

// Takes the render and sound handlers away while it lives, so a play-through draws and plays
// nothing, and puts back exactly what was installed.
class quiet_handlers {
public:
    quiet_handlers() : m_render(get_render_handler()), m_sound(get_installed_sound_handler()) {
        set_render_handler(nullptr);
        set_sound_handler(nullptr);
    }
    ~quiet_handlers() {
        set_render_handler(m_render);
        set_sound_handler(m_sound);
    }
    quiet_handlers(const quiet_handlers&) = delete;
    quiet_handlers& operator=(const quiet_handlers&) = delete;

private:
    render_handler* m_render;
    sound_handler* m_sound;
};

}  // namespace

void set_use_cache_files(bool on) { g_use_cache_files.store(on); }

bool get_use_cache_files() { return g_use_cache_files.load(); }

void movie_def_impl::output_cached_data(bx_file* out) {
    const uint8_t header[cache_header_size] = {cache_signature[0], cache_signature[1], cache_signature[2],
                                               static_cast<uint8_t>(cache_file_version)};
    out->write_bytes(header, cache_header_size);
    for (auto it = m_characters.begin(); it != m_characters.end(); ++it) {
        out->write_le16(static_cast<uint16_t>(it.get_key()));
        if (character_def* def = it.get_value().get_ptr()) def->write_cache_record(out);
    }
    out->write_le16(static_cast<uint16_t>(cache_end_marker));
}

void movie_def_impl::input_cached_data(bx_file* in) {
    uint8_t header[cache_header_size] = {};
    in->read_bytes(header, cache_header_size);
    if (header[0] != cache_signature[0] || header[1] != cache_signature[1] || header[2] != cache_signature[2]) {
        log_error("cache file does not have the correct format; skipping\n");
        return;
    }
    if (header[3] != cache_file_version) {
        log_error("cached data is version %d, but we require version %d; skipping\n", header[3], cache_file_version);
        return;
    }
    cache_reader reader(in);
    for (;;) {
        if (in->get_error() != bx_file::NO_ERROR || reader.get_status() == cache_reader::MALFORMED) {
            log_error("error reading cache file (characters); skipping\n");
            return;
        }
        if (reader.bytes_left() == 0 || !reader.good()) {
            log_error("unexpected eof reading cache file (characters); skipping\n");
            return;
        }
        uint16_t id = 0;
        if (!reader.read_u16(&id)) continue;
        if (id == cache_end_marker) return;
        smart_ptr<character_def> def;
        if (!m_characters.get(id, &def)) {
            log_error("sync error in cache file (reading characters)!  Skipping rest of cache data.\n");
            return;
        }
        // A record that fails without the reader knowing why is taken as malformed.
        if (def && !def->read_cache_record(&reader) && reader.good()) reader.fail(cache_reader::MALFORMED);
    }
}

void precompute_cached_data(movie_def_impl* m) {
    if (!m) return;
    quiet_handlers quiet;
    smart_ptr<root> r(m->get_player() ? m->create_instance() : nullptr);
    smart_ptr<sprite_instance> top(r ? cast_to<sprite_instance>(r->get_root_movie()) : nullptr);
    if (!top) {
        log_error("error: precompute_cached_data can't create instance of movie\n");
        return;
    }
    const int last = m->get_frame_count() - 1;
    int kicks = 0;
    for (int step = 0; step < max_precompute_steps; ++step) {
        const int last_frame = top->get_current_frame();
        r->advance(precompute_step);
        // Drawing with no handler installed builds the meshes and shows nothing.
        if (top->get_visible()) top->display();
        if (top->get_current_frame() == last) break;
        if (top->get_play_state() == character::STOP) {
            top->goto_frame(last_frame + 1);
            top->set_play_state(character::PLAY, false);
            if (++kicks > max_kicks) break;
        } else if (top->get_current_frame() < last_frame) {
            log_error("loop back; jumping to frame %d\n", last_frame);
            top->goto_frame(last_frame + 1);
        } else {
            kicks = 0;
        }
    }
    r->set_root_movie(nullptr);
}

}  // namespace flash
