// The shape's mesh cache by tolerance band, the curve error setting and the cache record.
#include <gtest/gtest.h>

#include <cmath>

#include "flash/base/bx_file.h"
#include "flash/shape/cache_reader.h"
#include "shape_fixture.h"
#include "tests/support/largest_allocation.h"

namespace {

using shapetest::read_shape;
using shapetest::solid_shape;

flash::matrix scaled(float s) {
    flash::matrix m;
    m.concatenate_scale(s);
    return m;
}

std::vector<float> tolerances(const flash::shape_character_def& def) {
    std::vector<float> out;
    for (const auto& set : def.get_cached_meshes()) out.push_back(set->get_tolerance());
    return out;
}

TEST(MeshCache, ToleranceBandsInOrder) {
    flash::set_curve_max_pixel_error(1.0f);
    auto def = read_shape(solid_shape(swf::ShapePath().fill0(1).circle(0, 0, 2000)));
    struct Step {
        float scale;
        std::vector<float> cache_after;
    };
    const Step steps[] = {
        {1.0f, {15.0f}},                 // first display: built at 0.75 of 20 twips
        {1.2f, {15.0f}},                 // reused: 15 is finer than 16.7 and not three times finer
        {0.5f, {15.0f}},                 // reused: 15 * 3 is not below 40
        {2.0f, {15.0f, 7.5f}},           // 15 is too coarse for 10: a finer one after it
        {0.4f, {37.5f, 15.0f, 7.5f}},    // 15 * 3 is below 50: a coarser one before it
        {0.0f, {37.5f, 15.0f, 7.5f}},    // scale 0 builds nothing
    };
    for (const Step& s : steps) {
        const flash::mesh_set* set = def->get_mesh_set(scaled(s.scale), 1.0f);
        EXPECT_EQ(set == nullptr, s.scale == 0.0f) << s.scale;
        std::vector<float> got = tolerances(*def);
        ASSERT_EQ(got.size(), s.cache_after.size()) << "after scale " << s.scale;
        for (size_t i = 0; i < got.size(); ++i) EXPECT_FLOAT_EQ(got[i], s.cache_after[i]) << "after scale " << s.scale;
    }
    def->invalidate_cache();
    EXPECT_TRUE(def->get_cached_meshes().empty());
}

TEST(MeshCache, VertexExportBuildsAtFifteenTwips) {
    auto def = read_shape(solid_shape(swf::ShapePath().fill0(1).rect(0, 0, 200, 100)));
    std::vector<flash::point> v;
    ASSERT_TRUE(def->get_vertices(&v));
    EXPECT_EQ(v.size(), 4u);
    EXPECT_EQ(tolerances(*def), std::vector<float>{15.0f});
}

TEST(CurveError, ClampsTheSetting) {
    struct Case {
        float in, stored;
    };
    const Case cases[] = {{0.0f, 1e-6f}, {-3.0f, 1e-6f}, {5e6f, 1e6f}, {std::nanf(""), 1e6f}, {2.5f, 2.5f}};
    for (const Case& c : cases) {
        flash::set_curve_max_pixel_error(c.in);
        EXPECT_FLOAT_EQ(flash::get_curve_max_pixel_error(), c.stored) << c.in;
    }
    // At the clamps a display still finishes.
    auto def = read_shape(solid_shape(swf::ShapePath().fill0(1).circle(0, 0, 2000)));
    for (float error : {0.0f, 1e9f}) {
        flash::set_curve_max_pixel_error(error);
        EXPECT_NE(def->get_mesh_set(scaled(1.0f), 1.0f), nullptr);
    }
    flash::set_curve_max_pixel_error(1.0f);
}

TEST(MeshCache, CacheRecordRoundTrip) {
    flash::set_curve_max_pixel_error(1.0f);
    swf::Shape s = solid_shape(swf::ShapePath().fill0(1).line(1).circle(0, 0, 2000));
    s.lines.push_back(swf::LineStyle::solid(20, {}));
    auto def = read_shape(s);
    def->get_mesh_set(scaled(1.0f), 1.0f);
    def->get_mesh_set(scaled(4.0f), 1.0f);
    flash::bx_file out(flash::memory_buffer);
    def->output_cached_data(&out);
    const int size = out.get_position();
    out.set_position(0);
    std::vector<uint8_t> bytes(size);
    ASSERT_EQ(out.read_bytes(bytes.data(), size), size);

    flash::bx_file in(flash::memory_buffer, size, bytes.data());
    flash::cache_reader reader(&in);
    flash::smart_ptr<flash::shape_character_def> copy(new flash::shape_character_def);
    ASSERT_TRUE(copy->input_cached_data(&reader));
    EXPECT_EQ(reader.bytes_left(), 0);
    ASSERT_EQ(tolerances(*copy), tolerances(*def));
    for (size_t k = 0; k < def->get_cached_meshes().size(); ++k) {
        const auto& a = def->get_cached_meshes()[k]->get_layers();
        const auto& b = copy->get_cached_meshes()[k]->get_layers();
        ASSERT_EQ(a.size(), b.size());
        ASSERT_EQ(a[0].m_meshes.size(), b[0].m_meshes.size());
        EXPECT_EQ(a[0].m_meshes[0]->m_triangle_strip, b[0].m_meshes[0]->m_triangle_strip);
        ASSERT_EQ(a[0].m_line_strips.size(), b[0].m_line_strips.size());
        EXPECT_EQ(a[0].m_line_strips[0]->m_coords, b[0].m_line_strips[0]->m_coords);
    }

    // Every cut of the record is reported as cut short and leaves the meshes the shape had.
    for (int cut = 0; cut < size; ++cut) {
        flash::bx_file part(flash::memory_buffer, cut, bytes.data());
        flash::cache_reader part_reader(&part);
        EXPECT_FALSE(copy->input_cached_data(&part_reader)) << cut;
        EXPECT_EQ(part_reader.get_status(), flash::cache_reader::CUT_SHORT) << cut;
        EXPECT_EQ(tolerances(*copy), tolerances(*def)) << cut;
    }
}

// One mesh set record: the tolerance, one layer of one mesh holding a strip and a list, no lines.
void write_set(flash::bx_file* out, float tolerance, const std::vector<int32_t>& strip,
               const std::vector<int32_t>& list) {
    out->write_float32(tolerance);
    out->write_le32(1);
    out->write_le32(1);
    out->write_byte(1);
    for (const std::vector<int32_t>* values : {&strip, &list}) {
        out->write_le32(static_cast<uint32_t>(values->size()));
        for (int32_t v : *values) out->write_le32(static_cast<uint32_t>(v));
    }
    out->write_le32(0);
}

std::vector<uint8_t> taken(flash::bx_file* out) {
    const int size = out->get_position();
    out->set_position(0);
    std::vector<uint8_t> bytes(size);
    out->read_bytes(bytes.data(), size);
    return bytes;
}

TEST(MeshCache, ARecordReadsBackCoarsestFirstAndListVerticesInPixels) {
    flash::bx_file out(flash::memory_buffer);
    out.write_le32(3);
    write_set(&out, 7.5f, {}, {20, 40, 60, 80, -100, 0});
    write_set(&out, 30.0f, {}, {});
    write_set(&out, 15.0f, {200, 400, 600, 800}, {1, 2, 3, 4, 5, 6});
    std::vector<uint8_t> bytes = taken(&out);
    flash::bx_file in(flash::memory_buffer, static_cast<int>(bytes.size()), bytes.data());
    flash::cache_reader reader(&in);
    flash::smart_ptr<flash::shape_character_def> def(new flash::shape_character_def);
    ASSERT_TRUE(def->input_cached_data(&reader));
    EXPECT_EQ(tolerances(*def), (std::vector<float>{30.0f, 15.0f, 7.5f}));
    // A list's vertices come in pixels, a strip's in twips; only the first mesh with any counts.
    std::vector<flash::point> v;
    ASSERT_TRUE(def->get_cached_meshes()[2]->get_vertices(&v));
    ASSERT_EQ(v.size(), 3u);
    EXPECT_FLOAT_EQ(v[0].m_x, 1.0f);
    EXPECT_FLOAT_EQ(v[1].m_y, 4.0f);
    EXPECT_FLOAT_EQ(v[2].m_x, -5.0f);
    v.clear();
    ASSERT_TRUE(def->get_cached_meshes()[1]->get_vertices(&v));
    ASSERT_EQ(v.size(), 2u);
    EXPECT_FLOAT_EQ(v[1].m_x, 600.0f);
    v.clear();
    EXPECT_FALSE(def->get_cached_meshes()[0]->get_vertices(&v));
    EXPECT_TRUE(v.empty());
}

// A record whose counts claim more than the file holds, or more than any shape has, is refused
// before anything of that size is allocated, and the shape keeps no part of it.
TEST(MeshCache, ImpossibleCountsAreRefusedBeforeAllocating) {
    struct Case {
        const char* what;
        std::vector<uint8_t> record;
        flash::cache_reader::status expected;
    };
    const Case cases[] = {
        {"mesh set count past the limit", {0x01, 0x10, 0, 0}, flash::cache_reader::MALFORMED},
        {"negative mesh set count", {0xFF, 0xFF, 0xFF, 0xFF}, flash::cache_reader::MALFORMED},
        {"more mesh sets than bytes", {0x10, 0, 0, 0, 0, 0, 0x70, 0x41}, flash::cache_reader::CUT_SHORT},
        {"huge layer count", {1, 0, 0, 0, 0, 0, 0x70, 0x41, 0xFF, 0xFF, 0, 0}, flash::cache_reader::CUT_SHORT},
        {"integer count past the file",
         {1, 0, 0, 0, 0, 0, 0x70, 0x41, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0xFE, 0xFF, 0xFF, 0x03},
         flash::cache_reader::CUT_SHORT},
        {"odd coordinate count",
         {1, 0, 0, 0, 0, 0, 0x70, 0x41, 1, 0, 0, 0, 1, 0, 0, 0, 1, 1, 0, 0, 0, 7, 0, 0, 0},
         flash::cache_reader::MALFORMED},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> bytes = c.record;
        flash::bx_file in(flash::memory_buffer, static_cast<int>(bytes.size()), bytes.data());
        flash::cache_reader reader(&in);
        flash::smart_ptr<flash::shape_character_def> def(new flash::shape_character_def);
        testsupport::LargestAllocation largest;
        EXPECT_FALSE(def->input_cached_data(&reader)) << c.what;
        if (testsupport::LargestAllocation::available()) {
            EXPECT_LT(largest.bytes(), 4096u) << c.what;
        }
        EXPECT_EQ(reader.get_status(), c.expected) << c.what;
        EXPECT_TRUE(def->get_cached_meshes().empty()) << c.what;
    }
}

}  // namespace
