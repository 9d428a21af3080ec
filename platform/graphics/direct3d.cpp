// The Direct3D object: answers the enumeration's queries from an adapter table (SDL's displays,
// or a table a test supplies) and creates GL devices.
#include <algorithm>
#include <atomic>
#include <cstring>
#include <mutex>

#include "platform/graphics/internal/gl_device.h"
#include "platform/graphics/window.h"
#include "platform/graphics/internal/window_impl.h"
#include "platform/log_sink.h"

namespace platform::gfx {

bool textureFormatSupported(D3DFORMAT format, DWORD usage);

namespace {

std::mutex g_queryMutex;
std::function<AdapterTable()> g_query;
Faults g_faults;

D3DFORMAT formatOfSdl(Uint32 format) {
    if (format == SDL_PIXELFORMAT_UNKNOWN) return D3DFMT_X8R8G8B8;
    int bits = SDL_BITSPERPIXEL(format);
    if (bits == 16) return D3DFMT_R5G6B5;
    if (bits == 15) return D3DFMT_X1R5G5B5;
    if (bits == 30 || format == SDL_PIXELFORMAT_ARGB2101010) return D3DFMT_A2R10G10B10;
    return D3DFMT_X8R8G8B8;
}

template <class T>
bool contains(const std::vector<T>& v, T x) {
    return std::find(v.begin(), v.end(), x) != v.end();
}

class Direct3D9Impl final : public IDirect3D9 {
public:
    explicit Direct3D9Impl(AdapterTable table) : m_table(std::move(table)) {}
    ULONG AddRef() override { return ++m_refs; }
    ULONG Release() override {
        ULONG left = --m_refs;
        if (left == 0) delete this;
        return left;
    }
    UINT GetAdapterCount() override { return static_cast<UINT>(m_table.adapters.size()); }
    HRESULT GetAdapterIdentifier(UINT adapter, DWORD, D3DADAPTER_IDENTIFIER9* id) override {
        const AdapterDesc* a = get(adapter);
        if (!a || !id) return D3DERR_INVALIDCALL;
        std::memset(id, 0, sizeof *id);
        std::strncpy(id->Driver, "OpenGL 3.3", sizeof id->Driver - 1);
        std::strncpy(id->Description, a->description.c_str(), sizeof id->Description - 1);
        std::strncpy(id->DeviceName, "display", sizeof id->DeviceName - 1);
        return D3D_OK;
    }
    UINT GetAdapterModeCount(UINT adapter, D3DFORMAT format) override {
        const AdapterDesc* a = get(adapter);
        if (!a) return 0;
        return static_cast<UINT>(std::count_if(a->modes.begin(), a->modes.end(),
                                               [&](const D3DDISPLAYMODE& m) { return m.Format == format; }));
    }
    HRESULT EnumAdapterModes(UINT adapter, D3DFORMAT format, UINT index, D3DDISPLAYMODE* out) override {
        const AdapterDesc* a = get(adapter);
        if (!a || !out) return D3DERR_INVALIDCALL;
        for (const auto& m : a->modes) {
            if (m.Format != format) continue;
            if (index-- == 0) {
                *out = m;
                return D3D_OK;
            }
        }
        return D3DERR_INVALIDCALL;
    }
    HRESULT GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) override {
        const AdapterDesc* a = get(adapter);
        if (!a || !mode) return D3DERR_INVALIDCALL;
        *mode = a->desktop;
        return D3D_OK;
    }
    HRESULT CheckDeviceType(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, D3DFORMAT backBufferFormat,
                            BOOL windowed) override {
        const AdapterDesc* a = device(adapter, type);
        if (!a) return D3DERR_NOTAVAILABLE;
        bool adapterOk = windowed ? adapterFormat == a->desktop.Format
                                  : std::any_of(a->modes.begin(), a->modes.end(), [&](const D3DDISPLAYMODE& m) {
                                        return m.Format == adapterFormat;
                                    });
        return adapterOk && contains(a->backBufferFormats, backBufferFormat) ? D3D_OK : D3DERR_NOTAVAILABLE;
    }
    HRESULT CheckDeviceFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT, DWORD usage, D3DRESOURCETYPE resourceType,
                              D3DFORMAT format) override {
        const AdapterDesc* a = device(adapter, type);
        if (!a) return D3DERR_NOTAVAILABLE;
        if (usage & D3DUSAGE_DEPTHSTENCIL)
            return contains(a->depthStencilFormats, format) ? D3D_OK : D3DERR_NOTAVAILABLE;
        if (resourceType == D3DRTYPE_TEXTURE || resourceType == D3DRTYPE_SURFACE)
            return contains(a->textureFormats, format) && textureFormatSupported(format, usage) ? D3D_OK
                                                                                                : D3DERR_NOTAVAILABLE;
        return D3DERR_NOTAVAILABLE;
    }
    HRESULT CheckDeviceMultiSampleType(UINT adapter, D3DDEVTYPE type, D3DFORMAT, BOOL, D3DMULTISAMPLE_TYPE multiSample,
                                       DWORD* quality) override {
        if (!device(adapter, type)) return D3DERR_NOTAVAILABLE;
        if (multiSample != D3DMULTISAMPLE_NONE) return D3DERR_NOTAVAILABLE;
        if (quality) *quality = 1;
        return D3D_OK;
    }
    HRESULT CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE type, D3DFORMAT, D3DFORMAT,
                                   D3DFORMAT depthStencil) override {
        const AdapterDesc* a = device(adapter, type);
        return a && contains(a->depthStencilFormats, depthStencil) ? D3D_OK : D3DERR_NOTAVAILABLE;
    }
    HRESULT GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS9* caps) override {
        const AdapterDesc* a = device(adapter, type);
        if (!a || !caps) return D3DERR_NOTAVAILABLE;
        *caps = a->caps;
        caps->DeviceType = type;
        caps->AdapterOrdinal = adapter;
        return D3D_OK;
    }
    HRESULT CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focus, DWORD flags, D3DPRESENT_PARAMETERS* params,
                         IDirect3DDevice9** out) override {
        if (!out || !params) return D3DERR_INVALIDCALL;
        *out = nullptr;
        if (FAILED(g_faults.createDeviceResult)) return g_faults.createDeviceResult;
        const AdapterDesc* a = device(adapter, type);
        if (!a) return D3DERR_NOTAVAILABLE;
        HWND window = params->hDeviceWindow ? params->hDeviceWindow : focus;
        if (!window || window->desktop) return D3DERR_INVALIDCALL;
        if (params->Windowed && (params->BackBufferWidth == 0 || params->BackBufferHeight == 0)) {
            RECT r;
            GetClientRect(window, &r);
            params->BackBufferWidth = static_cast<UINT>(r.right);
            params->BackBufferHeight = static_cast<UINT>(r.bottom);
        }
        if (params->BackBufferWidth == 0 || params->BackBufferHeight == 0) return D3DERR_INVALIDCALL;
        return createDevice(this, *a, adapter, type, window, flags, params, out);
    }

private:
    const AdapterDesc* get(UINT adapter) const {
        return adapter < m_table.adapters.size() ? &m_table.adapters[adapter] : nullptr;
    }
    const AdapterDesc* device(UINT adapter, D3DDEVTYPE type) const {
        const AdapterDesc* a = get(adapter);
        if (!a) return nullptr;
        if (type == D3DDEVTYPE_HAL || (type == D3DDEVTYPE_REF && a->hasReference)) return a;
        return nullptr;
    }

    std::atomic<ULONG> m_refs{1};
    AdapterTable m_table;
};

}  // namespace

Faults& faults() { return g_faults; }
void resetFaults() { g_faults = Faults{}; }

void setAdapterQuery(std::function<AdapterTable()> query) {
    std::lock_guard<std::mutex> lock(g_queryMutex);
    g_query = std::move(query);
}

AdapterTable systemAdapterTable() {
    AdapterTable table;
    if (!initVideo()) return table;
    int displays = SDL_GetNumVideoDisplays();
    for (int d = 0; d < displays; ++d) {
        AdapterDesc a;
        const char* name = SDL_GetDisplayName(d);
        a.description = std::string("OpenGL display ") + (name ? name : "");
        SDL_DisplayMode desktop;
        if (SDL_GetDesktopDisplayMode(d, &desktop) != 0) continue;
        a.desktop = D3DDISPLAYMODE{static_cast<UINT>(desktop.w), static_cast<UINT>(desktop.h),
                                   static_cast<UINT>(desktop.refresh_rate), formatOfSdl(desktop.format)};
        int n = SDL_GetNumDisplayModes(d);
        for (int i = 0; i < n; ++i) {
            SDL_DisplayMode m;
            if (SDL_GetDisplayMode(d, i, &m) != 0 || m.w <= 0 || m.h <= 0) continue;
            D3DDISPLAYMODE mode{static_cast<UINT>(m.w), static_cast<UINT>(m.h), static_cast<UINT>(m.refresh_rate),
                                formatOfSdl(m.format)};
            a.modes.push_back(mode);
        }
        // A display that lists no modes (headless drivers) still offers its desktop mode.
        bool hasDesktop = std::any_of(a.modes.begin(), a.modes.end(), [&](const D3DDISPLAYMODE& m) {
            return m.Width == a.desktop.Width && m.Height == a.desktop.Height && m.Format == a.desktop.Format;
        });
        if (!hasDesktop) a.modes.push_back(a.desktop);
        a.caps.DevCaps = D3DDEVCAPS_HWTRANSFORMANDLIGHT | D3DDEVCAPS_PUREDEVICE;
        a.caps.VertexProcessingCaps = 0x7B;
        a.caps.PresentationIntervals = D3DPRESENT_INTERVAL_ONE | D3DPRESENT_INTERVAL_IMMEDIATE;
        a.caps.PixelShaderVersion = 0xFFFF0300;
        a.caps.VertexShaderVersion = 0xFFFE0300;
        a.caps.MaxTextureWidth = a.caps.MaxTextureHeight = 8192;
        a.caps.MaxSimultaneousTextures = 1;
        a.caps.MaxAnisotropy = 1;
        a.backBufferFormats = {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8};
        a.depthStencilFormats = {D3DFMT_D24S8, D3DFMT_D24X8, D3DFMT_D16};
        a.textureFormats = {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_A8B8G8R8, D3DFMT_X8B8G8R8, D3DFMT_A8,
                            D3DFMT_L8,       D3DFMT_A8L8,     D3DFMT_R5G6B5,   D3DFMT_A1R5G5B5, D3DFMT_X1R5G5B5,
                            D3DFMT_A4R4G4B4};
        table.adapters.push_back(std::move(a));
    }
    return table;
}

}  // namespace platform::gfx

IDirect3D9* Direct3DCreate9(UINT sdkVersion) {
    using namespace platform::gfx;
    if (sdkVersion != D3D_SDK_VERSION || g_faults.failDirect3DCreate) return nullptr;
    std::function<AdapterTable()> query;
    {
        std::lock_guard<std::mutex> lock(g_queryMutex);
        query = g_query;
    }
    if (!initVideo()) return nullptr;
    return new Direct3D9Impl(query ? query() : systemAdapterTable());
}
