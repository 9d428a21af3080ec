#include "frame_camera.h"

#include <cstdio>
#include <cstdlib>

#include "flash/render/d3d/render_handler_d3d.h"
#include "platform/graphics/gfx_control.h"
#include "platform/graphics/window.h"

namespace swfrun {

namespace {

// The device starts this small; the movie's size follows once it is read.
constexpr UINT first_side = 16;
constexpr int largest_side = 4096;

bool ends_with(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

}  // namespace

frame_camera::~frame_camera() {
    flash::set_render_handler(nullptr);
    m_handler.reset();
    if (m_device) m_device->Release();
    if (m_d3d) m_d3d->Release();
    if (m_window) DestroyWindow(m_window);
}

bool frame_camera::open() {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    HWND window = CreateWindowExA(0, "swfrun", "swfrun", WS_VISIBLE, 0, 0, static_cast<int>(first_side),
                                  static_cast<int>(first_side), nullptr, nullptr, nullptr, nullptr);
    m_window = window;
    m_d3d = Direct3DCreate9(D3D_SDK_VERSION);
    if (!window || !m_d3d) {
        std::fprintf(stderr, "swfrun: no headless window for --shot\n");
        return false;
    }
    m_params.BackBufferWidth = first_side;
    m_params.BackBufferHeight = first_side;
    m_params.BackBufferFormat = D3DFMT_X8R8G8B8;
    m_params.BackBufferCount = 1;
    m_params.SwapEffect = D3DSWAPEFFECT_DISCARD;
    m_params.hDeviceWindow = window;
    m_params.Windowed = TRUE;
    m_params.EnableAutoDepthStencil = TRUE;
    m_params.AutoDepthStencilFormat = D3DFMT_D24S8;
    m_params.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
    D3DPRESENT_PARAMETERS params = m_params;
    if (m_d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window, D3DCREATE_HARDWARE_VERTEXPROCESSING, &params,
                            &m_device) != D3D_OK) {
        std::fprintf(stderr, "swfrun: no headless device for --shot\n");
        return false;
    }
    m_handler.reset(flash::create_render_handler_d3d(m_device));
    flash::set_render_handler(m_handler.get());
    return m_handler != nullptr;
}

bool frame_camera::resize(int width, int height) {
    if (!m_device || width <= 0 || height <= 0 || width > largest_side || height > largest_side) {
        std::fprintf(stderr, "swfrun: cannot take a picture of %dx%d pixels\n", width, height);
        return false;
    }
    m_params.BackBufferWidth = static_cast<UINT>(width);
    m_params.BackBufferHeight = static_cast<UINT>(height);
    flash::release_render_handler_d3d(m_handler.get());
    D3DPRESENT_PARAMETERS params = m_params;
    const bool reset = m_device->Reset(&params) == D3D_OK;
    flash::reset_render_handler_d3d(m_device, m_handler.get());
    if (!reset) std::fprintf(stderr, "swfrun: the device cannot take the movie's size\n");
    return reset;
}

bool frame_camera::save(const std::string& path) {
    platform::gfx::Image picture;
    if (!m_device || !platform::gfx::readRenderTarget(m_device, nullptr, picture)) {
        std::fprintf(stderr, "swfrun: the frame cannot be read back\n");
        return false;
    }
    const bool saved = ends_with(path, ".bmp") ? platform::gfx::saveBmp24(path, picture)
                                               : platform::gfx::savePng(path, picture, false);
    if (!saved) std::fprintf(stderr, "swfrun: cannot write '%s'\n", path.c_str());
    return saved;
}

}  // namespace swfrun
