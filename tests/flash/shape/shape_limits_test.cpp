// What one shape may hold and what its tesselation may take: a shape whose records claim 2^24
// edges keeps nothing (and allocates little), a shape with too many styles likewise; a
// tesselation stops at each of its limits (tried small) and names it, and a shape past one
// draws nothing, with one ERROR, and stays refused.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "flash/shape/morph2_character_def.h"
#include "shape_fixture.h"
#include "tests/support/engine_log.h"
#include "tests/support/largest_allocation.h"
#include "tools/swfwriter/records.h"
#include "tools/swfwriter/styles.h"

namespace {

using shapetest::read_shape;
using shapetest::stream_over;
using testsupport::engine_log;

int lines_in(const std::string& text) { return static_cast<int>(std::count(text.begin(), text.end(), '\n')); }

// A straight horizontal edge of dx (two-bit fields).
void horizontal(swf::BitWriter& w, int dx) { w.ub(1, 1), w.ub(1, 1), w.ub(0, 4), w.ub(0, 1), w.ub(0, 1), w.sb(dx, 2); }

// A DefineShape3 body (after the id) of one solid fill whose records are `edges` one-twip
// horizontal edges, going right and back: a few bits an edge, so millions of them fit a tag.
std::vector<uint8_t> many_edges_body(int edges) {
    swf::BitWriter w;
    swf::write_rect(w, {0, 40, 0, 40});
    swf::write_fill_styles(w, {swf::FillStyle::solid({255, 0, 0, 255})}, swf::tag_define_shape3);
    swf::write_line_styles(w, {}, swf::tag_define_shape3);
    w.ub(1, 4);  // fill bits
    w.ub(0, 4);  // line bits
    // Fill style 0 = 1, then a diagonal general line and three horizontal ones: 48 bits.
    w.ub(0, 1), w.ub(0x02, 5), w.ub(1, 1);
    w.ub(1, 1), w.ub(1, 1), w.ub(0, 4), w.ub(1, 1), w.sb(1, 2), w.sb(1, 2);
    horizontal(w, 1), horizontal(w, -1), horizontal(w, 1);
    std::vector<uint8_t> body = w.take();
    // Four more horizontal edges (+1, -1, +1, -1) are 40 bits: five bytes, repeated.
    swf::BitWriter p;
    horizontal(p, -1), horizontal(p, 1), horizontal(p, -1), horizontal(p, 1);
    const std::vector<uint8_t> pattern = p.take();
    const size_t repeats = static_cast<size_t>(edges - 4) / 4;
    const size_t start = body.size();
    body.resize(start + repeats * pattern.size() + 1);
    // The pattern once, then the filled part doubled until the records are all there.
    std::copy(pattern.begin(), pattern.end(), body.begin() + static_cast<std::ptrdiff_t>(start));
    for (size_t filled = pattern.size(); filled < repeats * pattern.size(); filled *= 2) {
        const size_t n = std::min(filled, repeats * pattern.size() - filled);
        std::copy_n(body.begin() + static_cast<std::ptrdiff_t>(start), n,
                    body.begin() + static_cast<std::ptrdiff_t>(start + filled));
    }
    body.back() = 0;  // the end record
    return body;
}

TEST(ShapeLimits, AShapeClaimingMillionsOfEdgesHoldsNothing) {
    engine_log log;
    stream_over in(many_edges_body(1 << 24));
    flash::smart_ptr<flash::shape_character_def> def(new flash::shape_character_def);
    {
        testsupport::LargestAllocation largest;
        def->read(&in.in, swf::tag_define_shape3, true);
        if (testsupport::LargestAllocation::available()) {
            EXPECT_LT(largest.bytes(), 8u << 20);
        }
    }
    EXPECT_TRUE(def->is_over_limit());
    EXPECT_EQ(def->get_paths().size(), 0);
    EXPECT_EQ(log.errors(), "error: shape_character_def::read(): the shape holds more than 262144 edges; it is not drawn\n");
    EXPECT_EQ(def->get_mesh_set(flash::matrix(), 1.0f), nullptr);
    EXPECT_FALSE(def->point_test_local(10, 10));

    // Just within the bound the shape is whole.
    engine_log fine;
    stream_over within(many_edges_body(flash::shape_character_def::max_edges));
    flash::smart_ptr<flash::shape_character_def> whole(new flash::shape_character_def);
    whole->read(&within.in, swf::tag_define_shape3, true);
    EXPECT_FALSE(whole->is_over_limit());
    ASSERT_EQ(whole->get_paths().size(), 1);
    EXPECT_EQ(whole->get_paths()[0].m_edges.size(), flash::shape_character_def::max_edges);
    EXPECT_EQ(fine.errors(), "");
}

TEST(ShapeLimits, TooManyStylesHoldNothing) {
    // Style groups of 255 unknown one-byte fill styles each, until past the bound.
    swf::BitWriter w;
    swf::write_rect(w, {0, 40, 0, 40});
    auto unknown_styles = [&w] {
        w.u8(0xFF), w.u16(4000);
        for (int i = 0; i < 4000; ++i) w.u8(0x05);
        w.u8(0);  // no line styles
    };
    unknown_styles();
    w.ub(1, 4), w.ub(0, 4);
    for (int group = 0; group < 5; ++group) {
        w.ub(0, 1), w.ub(0x10, 5);  // new styles
        w.align();
        unknown_styles();
        w.ub(1, 4), w.ub(0, 4);
    }
    w.ub(0, 6);
    engine_log log;
    stream_over in(w.take());
    flash::smart_ptr<flash::shape_character_def> def(new flash::shape_character_def);
    def->read(&in.in, swf::tag_define_shape3, true);
    EXPECT_TRUE(def->is_over_limit());
    EXPECT_EQ(def->get_fill_styles().size(), 0);
    EXPECT_EQ(log.errors(), "error: shape_character_def::read(): the shape holds more than 16384 styles; it is not drawn\n");

    // One array counting more than the bound is refused before any of it is read.
    swf::BitWriter big;
    swf::write_rect(big, {0, 40, 0, 40});
    big.u8(0xFF), big.u16(0xFFFF);
    for (int i = 0; i < 0xFFFF; ++i) big.u8(0x05);
    big.u8(0), big.u8(0x10), big.u8(0);
    stream_over one(big.take());
    flash::smart_ptr<flash::shape_character_def> refused(new flash::shape_character_def);
    {
        testsupport::LargestAllocation largest;
        refused->read(&one.in, swf::tag_define_shape3, true);
        if (testsupport::LargestAllocation::available()) {
            EXPECT_LT(largest.bytes(), 64u << 10);
        }
    }
    EXPECT_TRUE(refused->is_over_limit());
}

TEST(ShapeLimits, AMorphWithTooManyStylesHoldsNothing) {
    swf::BitWriter w;
    swf::write_rect(w, {0, 40, 0, 40});
    swf::write_rect(w, {0, 40, 0, 40});
    w.u32(0);                  // offset to the end edges
    w.u8(0xFF), w.u16(20000);  // fill styles
    for (int i = 0; i < 100; ++i) w.u8(0);
    engine_log log;
    stream_over in(w.take());
    flash::smart_ptr<flash::morph2_character_def> def(new flash::morph2_character_def);
    def->read(&in.in, swf::tag_define_morph_shape);
    EXPECT_TRUE(def->is_over_limit());
    EXPECT_EQ(def->get_start().get_fill_styles().size(), 0);
    EXPECT_EQ(def->get_ratio_mesh_set(0.5f, 1.0f), nullptr);
    EXPECT_EQ(log.errors(), "error: morph2_character_def::read(): the morph holds more than 16384 styles; it is not drawn\n");
}

// A comb of `teeth` teeth one unit wide, tooth i reaching from row i down to the base: the sweep
// cuts band i into i + 1 pieces, so the trapezoids grow with the square of the teeth.
swf::ShapePath comb(int teeth, int unit, bool filled) {
    swf::ShapePath p;
    if (filled) p.fill1(1);
    p.move_to(0, (teeth + 1) * unit);
    for (int i = 0; i < teeth; ++i) {
        p.line_to(2 * i * unit, i * unit);
        p.line_to((2 * i + 1) * unit, i * unit);
        p.line_to((2 * i + 1) * unit, teeth * unit);
        p.line_to((2 * i + 2) * unit, teeth * unit);
    }
    // Back along the base in pieces a record can hold.
    constexpr int longest = 60000;
    for (int x = 2 * teeth * unit; x > 0; x = std::max(0, x - longest)) p.line_to(x, (teeth + 1) * unit);
    p.line_to(0, (teeth + 1) * unit);
    return p;
}

// Records what a tesselation hands on, and its refusal.
struct recorder : flash::tesselate::trapezoid_accepter {
    int trapezoids = 0;
    int strips = 0;
    int after_refusal = 0;
    std::string refused;
    void accept_trapezoid(int, const flash::trapezoid&) override { count(trapezoids); }
    void accept_line_strip(int, const flash::point[], int) override { count(strips); }
    void refuse_shape(const char* what, long long limit) override {
        EXPECT_TRUE(refused.empty()) << "refused twice";
        refused = std::to_string(limit) + " " + what;
    }
    void count(int& n) {
        ++n;
        if (!refused.empty()) ++after_refusal;
    }
};

// Curves that bulge far: at a tiny tolerance each flattens into about a thousand segments.
swf::ShapePath bulging_curves(int pairs) {
    swf::ShapePath curves;
    curves.fill1(1).move_to(0, 0);
    for (int i = 0; i < pairs; ++i) curves.curve_to(32000, 60000, 64000, 0).curve_to(32000, -60000, 0, 0);
    return curves;
}

TEST(ShapeLimits, ATesselationStopsAtEachLimitAndSaysWhich) {
    // The comb unstyled, beside a small filled triangle that sets the sweep going: steps
    // without trapezoids.
    swf::ShapePath unstyled = comb(60, 20, false);
    unstyled.fill1(1).move_to(0, 0).line_to(20, 0).line_to(0, 20).line_to(0, 0);
    // One limit made small in each row, the others as they are.
    auto limits = [](int segments, int trapezoids, long long steps) {
        flash::tesselate::tesselation_limits l;
        if (segments) l.segments = segments;
        if (trapezoids) l.trapezoids = trapezoids;
        if (steps) l.sweep_steps = steps;
        return l;
    };
    struct row {
        const char* name;
        swf::Shape shape;
        float tolerance;
        flash::tesselate::tesselation_limits limits;
        const char* refused;  // "" when within every limit
    };
    const row rows[] = {
        {"segments", shapetest::solid_shape(bulging_curves(2)), 0.1f, limits(1000, 0, 0), "1000 segments"},
        {"trapezoids", shapetest::solid_shape(comb(40, 20, true)), 1.0f, limits(0, 500, 0), "500 trapezoids"},
        {"sweep steps", shapetest::solid_shape(unstyled), 1.0f, limits(0, 0, 2000), "2000 sweep steps"},
        {"within", shapetest::solid_shape(comb(40, 20, true)), 1.0f, limits(0, 1000, 0), ""},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.name);
        flash::smart_ptr<flash::shape_character_def> def = read_shape(r.shape);
        const flash::array<flash::path>& paths = def->get_paths();
        ASSERT_GT(paths.size(), 0);
        recorder rec;
        flash::tesselate::tesselate_paths(&paths[0], paths.size(), def->get_fill_styles().size(),
                                          def->get_line_styles().size(), r.tolerance, &rec, r.limits);
        EXPECT_EQ(rec.refused, r.refused);
        EXPECT_EQ(rec.after_refusal, 0);
        EXPECT_LE(rec.trapezoids, r.limits.trapezoids);
        if (!r.refused[0]) {
            EXPECT_GT(rec.trapezoids, 500);
        }
    }
}

TEST(ShapeLimits, AShapePastATesselationLimitDrawsNothingWithOneError) {
    flash::smart_ptr<flash::shape_character_def> def = read_shape(shapetest::solid_shape(bulging_curves(1024)));
    ASSERT_FALSE(def->is_over_limit());
    engine_log log;
    flash::matrix huge;  // at this scale every curve flattens to about a thousand segments
    huge.m_[0][0] = huge.m_[1][1] = 1000.0f;
    EXPECT_EQ(def->get_mesh_set(huge, 1.0f), nullptr);
    EXPECT_TRUE(def->is_over_limit());
    EXPECT_TRUE(def->get_cached_meshes().empty());
    EXPECT_EQ(log.errors(), "error: shape -1 needs more than 1048576 segments to be drawn; it is not drawn\n");
    // Refused for good: no second try, no second ERROR.
    EXPECT_EQ(def->get_mesh_set(flash::matrix(), 1.0f), nullptr);
    std::vector<flash::point> vertices;
    EXPECT_FALSE(def->get_vertices(&vertices));
    EXPECT_EQ(lines_in(log.errors()), 1);

    // A comb well inside the limits is drawn.
    engine_log fine;
    flash::smart_ptr<flash::shape_character_def> small = read_shape(shapetest::solid_shape(comb(100, 20, true)));
    const flash::mesh_set* set = small->get_mesh_set(flash::matrix(), 1.0f);
    ASSERT_NE(set, nullptr);
    EXPECT_FALSE(set->is_over_limit());
    EXPECT_FALSE(set->get_layers().empty());
    EXPECT_EQ(fine.errors(), "");
}

}  // namespace
