#pragma once
// Pictures of a movie's frames for `swfrun --shot`: a headless window and device with the
// Direct3D render handler installed before the movie loads (its bitmaps become textures then),
// sized to the movie once its size is known, and the drawn frame saved as a PNG (".bmp" names
// give a 24-bit bitmap).
#include <memory>
#include <string>

#include "flash/render/bitmap_info.h"
#include "platform/graphics/d3d9.h"

namespace swfrun {

class frame_camera {
public:
    frame_camera() = default;
    ~frame_camera();
    frame_camera(const frame_camera&) = delete;
    frame_camera& operator=(const frame_camera&) = delete;

    // Opens the device and installs the handler; false (with the reason on standard error) when
    // no headless device can be made.
    [[nodiscard]] bool open();
    // Gives the back buffer the movie's size: the handler lets its device go, the device resets
    // and the handler takes it back, its textures kept.
    [[nodiscard]] bool resize(int width, int height);
    // Reads the last presented frame back and writes it.
    [[nodiscard]] bool save(const std::string& path);

private:
    HWND m_window = nullptr;
    IDirect3D9* m_d3d = nullptr;
    IDirect3DDevice9* m_device = nullptr;
    std::unique_ptr<flash::render_handler> m_handler;
    D3DPRESENT_PARAMETERS m_params{};
};

}  // namespace swfrun
