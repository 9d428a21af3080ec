// The Direct3D handler's textures: formats, sizes, creation from images on any thread, the
// optional dumps to disk and the clearing by movie name.
#include <cstdio>
#include <string>
#include <vector>

#include "core/cvar_catalogue.h"
#include "flash/base/log.h"
#include "flash/render/d3d/render_handler_d3d.h"
#include "flash/render/d3d/texture_sizing.h"
#include "platform/graphics/d3dx9.h"

namespace flash {

namespace {

constexpr uint8_t opaque_byte = 255;
constexpr int argb_bytes = 4;
constexpr const char* separator = "-------------------------------------------------------------------\n";

bool supported(IDirect3D9* d3d, const D3DCAPS9& caps, D3DFORMAT display, D3DFORMAT format) {
    return SUCCEEDED(d3d->CheckDeviceFormat(caps.AdapterOrdinal, caps.DeviceType, display, 0, D3DRTYPE_TEXTURE, format));
}

// The first format of the list the device can hold, else A8R8G8B8.
template <size_t N>
D3DFORMAT first_supported(IDirect3D9* d3d, const D3DCAPS9& caps, D3DFORMAT display, const D3DFORMAT (&formats)[N]) {
    for (D3DFORMAT f : formats)
        if (supported(d3d, caps, display, f)) return f;
    return D3DFMT_A8R8G8B8;
}

bool logs_textures() { return !d_NoLogTextures->value.b; }

}  // namespace

void render_handler_d3d::choose_formats() {
    std::lock_guard<std::mutex> lock(m_device_mutex);
    if (!m_device) return;
    IDirect3D9* d3d = nullptr;
    D3DCAPS9 caps{};
    D3DDISPLAYMODE mode{};
    if (FAILED(m_device->GetDirect3D(&d3d)) || !d3d) return;
    if (SUCCEEDED(m_device->GetDeviceCaps(&caps)) && SUCCEEDED(m_device->GetDisplayMode(0, &mode))) {
        static const D3DFORMAT opaque[] = {D3DFMT_DXT1, D3DFMT_R8G8B8, D3DFMT_A8R8G8B8};
        static const D3DFORMAT with_alpha[] = {D3DFMT_DXT5, D3DFMT_A8R8G8B8};
        static const D3DFORMAT alpha_map[] = {D3DFMT_A8, D3DFMT_A8L8, D3DFMT_A8P8, D3DFMT_A8R8G8B8};
        m_format_opaque = first_supported(d3d, caps, mode.Format, opaque);
        m_format_alpha = first_supported(d3d, caps, mode.Format, with_alpha);
        m_format_alpha_map = first_supported(d3d, caps, mode.Format, alpha_map);
    }
    d3d->Release();
}

bitmap_info* render_handler_d3d::create_bitmap_info_empty(const bx_string&) { return nullptr; }

bitmap_info* render_handler_d3d::create_bitmap_info_alpha(int width, int height, const uint8_t* data,
                                                          const bx_string& owner_name) {
    if (!data) {
        log_error("error: create_bitmap_info_alpha without pixels\n");
        return new (std::nothrow) bitmap_info_d3d(texture_ticket{}, 0, 0);
    }
    return create_texture(texture_kind::alpha_map, width, height, data, width, D3DFMT_A8, owner_name);
}

bitmap_info* render_handler_d3d::create_bitmap_info_rgb(image::rgb* img, const bx_string& owner_name) {
    if (!img || !img->m_data) return new (std::nothrow) bitmap_info_d3d(texture_ticket{}, 0, 0);
    // The device reads 32-bit pixels: b, g, r, 255 each.
    const int w = img->m_width, h = img->m_height;
    std::vector<uint8_t> argb(static_cast<size_t>(w) * h * argb_bytes);
    for (int y = 0; y < h; ++y) {
        const uint8_t* src = img->row(y);
        uint8_t* dst = argb.data() + static_cast<size_t>(y) * w * argb_bytes;
        for (int x = 0; x < w; ++x, src += image::rgb::bytes_per_pixel, dst += argb_bytes) {
            dst[0] = src[2];
            dst[1] = src[1];
            dst[2] = src[0];
            dst[3] = opaque_byte;
        }
    }
    return create_texture(texture_kind::opaque, w, h, argb.data(), w * argb_bytes, D3DFMT_A8R8G8B8, owner_name);
}

bitmap_info* render_handler_d3d::create_bitmap_info_rgba(image::rgba* img, const bx_string& owner_name) {
    if (!img || !img->m_data) return new (std::nothrow) bitmap_info_d3d(texture_ticket{}, 0, 0);
    return create_texture(texture_kind::with_alpha, img->m_width, img->m_height, img->m_data, img->m_pitch,
                          D3DFMT_A8B8G8R8, owner_name);
}

bitmap_info* render_handler_d3d::create_texture(texture_kind kind, int width, int height, const uint8_t* pixels,
                                                int pitch, D3DFORMAT source_format, const bx_string& owner_name) {
    if (width <= 0 || height <= 0 || pitch <= 0) {
        log_error("error: can't create texture of %dx%d\n", width, height);
        return new (std::nothrow) bitmap_info_d3d(texture_ticket{}, 0, 0);
    }
    const texture_size size = fit_texture_size(width, height, texture_size_rules_from_settings(m_resize_textures));
    const bool plain = size.plain_format && kind != texture_kind::alpha_map;
    const texture_ticket ticket = m_textures->reserve();
    auto* bitmap = new (std::nothrow) bitmap_info_d3d(ticket, width, height, m_textures);
    if (kind != texture_kind::alpha_map && logs_textures())
        log_msg("create texture %s alpha: %dx%d => %dx%d, id = %d\n",
                kind == texture_kind::opaque ? "without" : "with", width, height, size.width, size.height, ticket.id);

    // Loader threads make textures too: the device may be let go meanwhile, so hold it here.
    IDirect3DDevice9* device = nullptr;
    D3DFORMAT format = D3DFMT_A8R8G8B8;
    {
        std::lock_guard<std::mutex> lock(m_device_mutex);
        device = m_device;
        if (device) device->AddRef();
        if (!plain) format = kind == texture_kind::opaque      ? m_format_opaque
                             : kind == texture_kind::with_alpha ? m_format_alpha
                                                                : m_format_alpha_map;
    }
    IDirect3DTexture9* texture = nullptr;
    const auto tw = static_cast<UINT>(size.width), th = static_cast<UINT>(size.height);
    HRESULT hr = device ? device->CreateTexture(tw, th, 1, 0, format, D3DPOOL_MANAGED, &texture, nullptr)
                        : D3DERR_INVALIDCALL;
    if (FAILED(hr) && device && kind != texture_kind::alpha_map && format != D3DFMT_A8R8G8B8)
        hr = device->CreateTexture(tw, th, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr);
    if (device) device->Release();
    if (FAILED(hr) || !texture) {
        log_error("error: can't create texture %s %dx%d\n", "bitmap_info_d3d::bitmap_info_d3d", size.width,
                  size.height);
        m_textures->fill(ticket, nullptr, owner_name.c_str());
        return bitmap;
    }
    IDirect3DSurface9* surface = nullptr;
    if (FAILED(texture->GetSurfaceLevel(0, &surface)) || !surface) {
        log_error("error: can't get surface\n");
    } else {
        const RECT source{0, 0, width, height};
        hr = D3DXLoadSurfaceFromMemory(surface, nullptr, nullptr, pixels, source_format, static_cast<UINT>(pitch),
                                       nullptr, &source, D3DX_DEFAULT, 0);
        if (FAILED(hr)) log_error("error: can't load surface from memory, result = %d\n", static_cast<int>(hr));
        if (kind != texture_kind::alpha_map && d_NeedSaveTextures->value.b)
            save_texture(surface, kind, ticket.id, size.plain_format);
        surface->Release();
    }
    m_textures->fill(ticket, texture, owner_name.c_str());
    return bitmap;
}

void render_handler_d3d::save_texture(IDirect3DSurface9* surface, texture_kind kind, int id, bool plain_format) {
    char name[64];
    std::snprintf(name, sizeof name, kind == texture_kind::opaque ? "image_noa_%d.%s" : "image_a_%d.%s", id,
                  plain_format ? "bmp" : "dds");
    const std::string path = std::string(d_pathSaveTextures->text) + name;
    if (FAILED(D3DXSaveSurfaceToFileA(path.c_str(), plain_format ? D3DXIFF_BMP : D3DXIFF_DDS, surface, nullptr,
                                      nullptr)))
        log_error("error: can't save texture %s\n", path.c_str());
}

void render_handler_d3d::clear_textures(const bx_string& owner_name) {
    std::vector<int> destroyed;
    if (!m_textures->clear_owner(owner_name.c_str(), destroyed)) return;
    log_msg("%s", separator);
    log_msg("clear textures for swf: %s\n", owner_name.c_str());
    if (logs_textures())
        for (int id : destroyed) log_msg("destroy texture: id = %d\n", id);
    log_msg("%s", separator);
}

}  // namespace flash
