#include "cache_fixture.h"

#include "flash/base/bx_file.h"
#include "flash/movie/movie_def_impl.h"
#include "flash/movie/shape_def.h"
#include "flash/movie/tag_loaders.h"
#include "flash/render/shape_drawing.h"
#include "flash/shape/cache_reader.h"
#include "tools/swfwriter/movie_writer.h"
#include "tools/swfwriter/shape.h"

namespace movietest {

namespace cache_movie {

namespace {

constexpr float larger_scale = 4.0f;
constexpr int cache_header_bytes = 4;
constexpr int record_id_bytes = 2;

struct scene {
    bytes data;
    std::vector<uint16_t> ids;
};

const scene& the_scene() {
    static const scene s = [] {
        scene made;
        swf::MovieWriter w(8);
        made.ids.push_back(w.define_shape(swf::filled_rect(0, 0, 2000, 1000, {200, 40, 40, 255})));
        swf::Shape stroked;
        stroked.lines = {swf::LineStyle::solid(40, {0, 0, 0, 255})};
        stroked.path.line(1).move_to(0, 0).line_to(3000, 500).line_to(100, 2000);
        made.ids.push_back(w.define_shape(stroked));
        swf::Shape curved;
        curved.fills = {swf::FillStyle::solid({20, 200, 20, 255})};
        curved.lines = {swf::LineStyle::solid(20, {0, 0, 0, 255})};
        curved.path.fill0(1).line(1).circle(1500, 1500, 1200);
        made.ids.push_back(w.define_shape(curved));
        w.show_frame();
        w.end();
        made.data = w.finish_fws();
        return made;
    }();
    return s;
}

}  // namespace

const bytes& movie() { return the_scene().data; }

const std::vector<uint16_t>& shape_ids() { return the_scene().ids; }

void build_meshes(flash::movie_def_impl* def) {
    for (uint16_t id : shape_ids()) {
        auto* shape = dynamic_cast<flash::shape_def*>(def->get_character_def(id));
        if (!shape) continue;
        flash::matrix m;
        shape->get_shape()->get_mesh_set(m, 1.0f);
        m.concatenate_scale(larger_scale);
        shape->get_shape()->get_mesh_set(m, 1.0f);
    }
}

bytes write(flash::movie_def_impl* def) {
    flash::bx_file out(flash::memory_buffer);
    def->output_cached_data(&out);
    const int size = out.get_position();
    out.set_position(0);
    bytes data(static_cast<size_t>(size));
    if (size > 0 && out.read_bytes(data.data(), size) != size) data.clear();
    return data;
}

flash::smart_ptr<flash::movie_def_impl> load_alone() {
    flash::register_tag_loaders();
    flash::smart_ptr<flash::movie_def_impl> def(new flash::movie_def_impl(nullptr, true));
    auto* file = new flash::bx_file(flash::memory_buffer);
    file->write_bytes(movie().data(), static_cast<int>(movie().size()));
    file->set_position(0);
    if (!def->read(file)) return nullptr;
    return def;
}

bytes good_cache() {
    flash::smart_ptr<flash::movie_def_impl> def = load_alone();
    if (!def) return {};
    build_meshes(def.get_ptr());
    return write(def.get_ptr());
}

size_t record_end(const bytes& cache, int index) {
    bytes copy = cache;
    flash::bx_file in(flash::memory_buffer, static_cast<int>(copy.size()), copy.data());
    in.set_position(cache_header_bytes);
    flash::cache_reader reader(&in);
    for (int i = 0; i <= index; ++i) {
        uint16_t id = 0;
        if (!reader.read_u16(&id)) break;
        flash::smart_ptr<flash::shape_character_def> scratch(new flash::shape_character_def);
        if (!scratch->input_cached_data(&reader)) break;
    }
    return copy.size() - static_cast<size_t>(reader.bytes_left());
}

size_t shapes_with_meshes(flash::movie_def_impl* def) {
    size_t count = 0;
    for (uint16_t id : shape_ids()) {
        auto* shape = dynamic_cast<flash::shape_def*>(def->get_character_def(id));
        if (shape && !shape->get_shape()->get_cached_meshes().empty()) ++count;
    }
    return count;
}

}  // namespace cache_movie

int read_cache_bytes(const uint8_t* data, size_t size) {
    flash::smart_ptr<flash::movie_def_impl> def = cache_movie::load_alone();
    if (!def) return 0;
    bytes copy(data, data + size);
    flash::bx_file in(flash::memory_buffer, static_cast<int>(copy.size()), copy.data());
    def->input_cached_data(&in);
    // Everything read is drawn (with no handler installed) and exported, so every strip and
    // style index is walked.
    int sets = 0;
    for (uint16_t id : cache_movie::shape_ids()) {
        auto* shape = dynamic_cast<flash::shape_def*>(def->get_character_def(id));
        if (!shape) continue;
        flash::matrix m;
        for (const auto& set : shape->get_shape()->get_cached_meshes()) {
            flash::array<flash::fill_style> fills = shape->get_shape()->get_fill_styles();
            flash::display_mesh_set(*set, m, flash::cxform(), fills, shape->get_shape()->get_line_styles(), nullptr);
            std::vector<flash::point> vertices;
            (void)set->get_vertices(&vertices);
            ++sets;
        }
        (void)shape->get_shape()->get_mesh_set(m, 1.0f);
    }
    return sets;
}

}  // namespace movietest
