#pragma once
// The size a bitmap's texture gets from the image's size and the console variables: sides rounded
// to powers of two (up, down, or kept, by the rule), scaled by the resize factor and, while
// fitting is on, shrunk into the maximum size keeping the image's aspect ratio.
namespace flash {

struct texture_size_rules {
    float max_width = 0.0f;   // 0 or less: no limit
    float max_height = 0.0f;  // 0 or less: no limit
    float power_rule = 1.0f;  // > 0 rounds up to a power of two, 0 down, < 0 keeps the size
    float shrink = 1.0f;      // applied once when fitting meets a texture over the maximum
    float resize_factor = 1.0f;
    bool fit = false;
};

// Largest side a texture is given, whatever the settings ask; the device makes none larger.
constexpr int max_texture_side = 8192;

struct texture_size {
    int width = 1;
    int height = 1;
    bool plain_format = false;  // the power rule keeps sizes: textures are made as A8R8G8B8
};

// Both sides at least 1 and at most max_texture_side, whatever the settings or a broken image.
texture_size fit_texture_size(int image_width, int image_height, const texture_size_rules& rules);

// The rules as the console variables stand now.
texture_size_rules texture_size_rules_from_settings(bool fit);

}  // namespace flash
