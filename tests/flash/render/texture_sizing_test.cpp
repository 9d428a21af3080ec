// Texture sizes from image sizes and the settings: the power-of-two rule, the resize factor and
// fitting into a maximum size with the image's aspect ratio kept.
#include "flash/render/d3d/texture_sizing.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "core/cvar_catalogue.h"

namespace {

using flash::fit_texture_size;
using flash::texture_size_rules;

texture_size_rules rules(float rule, float factor = 1.0f) {
    texture_size_rules r;
    r.power_rule = rule;
    r.resize_factor = factor;
    return r;
}

texture_size_rules fitting(float max_w, float max_h, float rule = 1.0f, float shrink = 1.0f) {
    texture_size_rules r = rules(rule);
    r.max_width = max_w;
    r.max_height = max_h;
    r.shrink = shrink;
    r.fit = true;
    return r;
}

struct size_case {
    const char* name;
    int w, h;
    texture_size_rules rules;
    int tw, th;
    bool plain;
};

const float nan = std::numeric_limits<float>::quiet_NaN();

const size_case size_cases[] = {
    {"defaults round up", 100, 60, rules(1), 128, 64, false},
    {"rule 0 rounds down", 100, 60, rules(0), 64, 32, false},
    {"negative rule keeps the size", 100, 60, rules(-1), 100, 60, true},
    {"256 stays, rule 1", 256, 256, rules(1), 256, 256, false},
    {"256 stays, rule 0", 256, 1, rules(0), 256, 1, false},
    {"256 stays, rule -1", 256, 3, rules(-1), 256, 3, true},
    {"factor halves", 100, 60, rules(1, 0.5f), 64, 32, false},
    {"factor 0 leaves one pixel", 100, 60, rules(1, 0.0f), 1, 1, false},
    {"factor NaN leaves one pixel", 100, 60, rules(1, nan), 1, 1, false},
    {"huge factor stops at the largest side", 100, 60, rules(1, 1e30f), flash::max_texture_side,
     flash::max_texture_side, false},
    {"fitting off ignores the maximum", 1000, 500, [] { auto r = fitting(256, 256); r.fit = false; return r; }(),
     1024, 512, false},
    {"fit into a square", 1000, 500, fitting(256, 256), 256, 128, false},
    {"fit shrinks first", 2048, 1024, fitting(512, 512, 1, 0.5f), 512, 256, false},
    {"fit a small texture untouched", 100, 60, fitting(256, 256), 128, 64, false},
    {"fit by height only, the width made whole", 60, 100, fitting(0, 64, -1), 36, 60, true},
    {"broken image size", 0, -5, rules(1), 1, 1, false},
};

TEST(TextureSizing, Table) {
    for (const size_case& c : size_cases) {
        SCOPED_TRACE(c.name);
        const flash::texture_size s = fit_texture_size(c.w, c.h, c.rules);
        EXPECT_EQ(s.width, c.tw);
        EXPECT_EQ(s.height, c.th);
        EXPECT_EQ(s.plain_format, c.plain);
    }
}

TEST(TextureSizing, FittingHoldsTheMaximumAndTheAspectRatio) {
    const int maxima[][2] = {{100, 0}, {0, 90}, {300, 200}, {77, 77}, {1000, 33}};
    for (int w = 37; w < 2000; w += 97)
        for (int h = 23; h < 2000; h += 131)
            for (const auto& m : maxima) {
                SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h) + " into " + std::to_string(m[0]) + "x" +
                             std::to_string(m[1]));
                const flash::texture_size s = fit_texture_size(w, h, fitting(float(m[0]), float(m[1]), -1));
                if (m[0] > 0) {
                    EXPECT_LE(s.width, m[0]);
                }
                if (m[1] > 0) {
                    EXPECT_LE(s.height, m[1]);
                }
                EXPECT_GE(s.width, 1);
                EXPECT_GE(s.height, 1);
                const bool fitted = (m[0] > 0 && w > m[0]) || (m[1] > 0 && h > m[1]);
                // The side following from the other by the image's ratio is within a tenth of a
                // pixel of a whole number (unless it would be under one pixel: sides stay positive).
                const double ratio = double(w) / h;
                if (fitted && s.width > 1 && s.height > 1) {
                    EXPECT_LE(std::min(std::fabs(s.width / ratio - s.height), std::fabs(s.height * ratio - s.width)),
                              0.1 + 1e-9)
                        << s.width << "x" << s.height;
                }
            }
}

TEST(TextureSizing, RulesComeFromTheConsoleVariables) {
    const flash::texture_size_rules r = flash::texture_size_rules_from_settings(true);
    EXPECT_EQ(r.max_width, 0.0f);
    EXPECT_EQ(r.max_height, 0.0f);
    EXPECT_EQ(r.power_rule, 1.0f);
    EXPECT_EQ(r.shrink, 1.0f);
    EXPECT_EQ(r.resize_factor, 1.0f);
    EXPECT_TRUE(r.fit);
}

}  // namespace
