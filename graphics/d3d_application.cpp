#include "graphics/d3d_application.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "core/log_stream.h"
#include "graphics/d3d_device.h"

namespace {

bool g_fatalShown = false;
CD3DApplication* g_frame = nullptr;  // where the confirm-device callback finds the frame

constexpr DWORD kWindowedStyle = WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

DWORD behaviorFlagsOf(int vertexProcessingType) {
    switch (vertexProcessingType) {
        case SOFTWARE_VP: return D3DCREATE_SOFTWARE_VERTEXPROCESSING;
        case MIXED_VP: return D3DCREATE_MIXED_VERTEXPROCESSING;
        case HARDWARE_VP: return D3DCREATE_HARDWARE_VERTEXPROCESSING;
        case PURE_HARDWARE_VP: return D3DCREATE_HARDWARE_VERTEXPROCESSING | D3DCREATE_PUREDEVICE;
        default: return 0;
    }
}

const char* errorText(HRESULT hr) {
    switch (hr) {
        case D3DAPPERR_NODIRECT3D:
            return "Could not initialize Direct3D. You may\nwant to check that the latest version of\nDirectX is "
                   "correctly installed on your\nsystem.  Also make sure that this program\nwas compiled with header "
                   "files that match\nthe installed DirectX DLLs.";
        case D3DAPPERR_NOCOMPATIBLEDEVICES: return "Could not find any compatible Direct3D\ndevices.";
        case D3DAPPERR_NOWINDOWABLEDEVICES:
            return "This sample cannot run in a desktop\nwindow with the current display settings.\nPlease change your "
                   "desktop settings to a\n16- or 32-bit display mode and re-run this\nsample.";
        case D3DAPPERR_NOHARDWAREDEVICE: return "No hardware-accelerated Direct3D devices\nwere found.";
        case D3DAPPERR_HALNOTCOMPATIBLE:
            return "This sample requires functionality that is\nnot available on your Direct3D hardware\naccelerator.";
        case D3DAPPERR_NOWINDOWEDHAL:
            return "Your Direct3D hardware accelerator cannot\nrender into a window.\nPress F2 while the app is running "
                   "to see a\nlist of available devices and modes.";
        case D3DAPPERR_NODESKTOPHAL:
            return "Your Direct3D hardware accelerator cannot\nrender into a window with the current\ndesktop display "
                   "settings.\nPress F2 while the app is running to see a\nlist of available devices and modes.";
        case D3DAPPERR_NOHALTHISMODE:
            return "This sample requires functionality that is\nnot available on your Direct3D hardware\naccelerator "
                   "with the current desktop display\nsettings.\nPress F2 while the app is running to see a\nlist of "
                   "available devices and modes.";
        case D3DAPPERR_NONZEROREFCOUNT:
            return "A D3D object has a non-zero reference\ncount (meaning things were not properly\ncleaned up).";
        case D3DAPPERR_MEDIANOTFOUND:
        case E_FILE_NOT_FOUND: return "Could not load required media.";
        case D3DAPPERR_RESETFAILED: return "Could not reset the Direct3D device.";
        case D3DAPPERR_NULLREFDEVICE:
            return "Warning: Nothing will be rendered.\nThe reference rendering device was selected, but your\ncomputer "
                   "only has a reduced-functionality reference device\ninstalled.  Install the DirectX SDK to get the "
                   "full\nreference device.\n";
        case E_OUTOFMEMORY: return "Not enough memory.";
        case D3DERR_OUTOFVIDEOMEMORY: return "Not enough video memory.";
        default: return "Generic application error. Enable\ndebug output for detailed information.";
    }
}

const char* deviceErrorName(HRESULT hr) {
    if (hr == D3DERR_DEVICELOST) return "D3DERR_DEVICELOST";
    if (hr == D3DERR_INVALIDCALL) return "D3DERR_INVALIDCALL";
    if (hr == D3DERR_NOTAVAILABLE) return "D3DERR_NOTAVAILABLE";
    if (hr == D3DERR_OUTOFVIDEOMEMORY) return "D3DERR_OUTOFVIDEOMEMORY";
    return "";
}

template <class T>
void safeRelease(T*& p) {
    if (p) p->Release();
    p = nullptr;
}

}  // namespace

bool ConfirmDeviceHelper(D3DCAPS9* caps, VertexProcessingType vertexProcessingType, D3DFORMAT format) {
    if (!g_frame) return false;
    return SUCCEEDED(g_frame->checkDeviceCaps(caps, behaviorFlagsOf(vertexProcessingType), format));
}

bool CD3DApplication::fatalErrorShown() { return g_fatalShown; }
void CD3DApplication::setFatalErrorShown(bool shown) { g_fatalShown = shown; }

CD3DApplication::CD3DApplication() { g_frame = this; }

CD3DApplication::~CD3DApplication() {
    // A failed Create has released these already; each object is released once.
    safeRelease(m_pd3dDevice);
    safeRelease(m_pD3D);
    if (g_frame == this) g_frame = nullptr;
}

HRESULT CD3DApplication::checkDeviceCaps(D3DCAPS9*, DWORD, D3DFORMAT) { return S_OK; }

HRESULT CD3DApplication::Create(HINSTANCE instance, WNDPROC windowProc) {
    RECT desktop{};
    GetWindowRect(GetDesktopWindow(), &desktop);
    m_desktopWidth = desktop.right - desktop.left;
    m_desktopHeight = desktop.bottom - desktop.top;

    m_pD3D = Direct3DCreate9(D3D_SDK_VERSION);
    if (!m_pD3D) {
        Tov::LogLine("MESSAGE") << "CD3DApplication::Create" << " m_pD3D == NULL";
        return showError(D3DAPPERR_NODIRECT3D, MSGERR_APPMUSTEXIT);
    }

    // Every later set-up failure is logged, gives up Direct3D and ends the run with a fatal box.
    auto failCreate = [this](const char* what, HRESULT result) {
        Tov::LogLine("MESSAGE") << "CD3DApplication::Create" << what;
        safeRelease(m_pD3D);
        return showError(result, MSGERR_APPMUSTEXIT);
    };
    m_d3dEnumeration.SetD3D(m_pD3D);
    m_d3dEnumeration.ConfirmDeviceCallback = ConfirmDeviceHelper;
    HRESULT hr = m_d3dEnumeration.Enumerate();
    if (FAILED(hr)) return failCreate(" FAILED(hr = m_d3dEnumeration.Enumerate())", hr);

    if (!m_hWnd) {
        WNDCLASSA wc{0, windowProc, 0, 0, instance, LoadIconA(instance, 101), LoadCursorA(nullptr, IDC_ARROW),
                     GetStockObject(BLACK_BRUSH), nullptr, "D3D Window"};
        RegisterClassA(&wc);
        m_dwWindowStyle = kWindowedStyle;
        RECT rc{0, 0, m_dwCreationWidth, m_dwCreationHeight};
        AdjustWindowRect(&rc, m_dwWindowStyle, FALSE);
        int w = rc.right - rc.left, h = rc.bottom - rc.top;
        int x = GetSystemMetrics(SM_CXSCREEN) / 2 - w / 2;
        int y = GetSystemMetrics(SM_CYSCREEN) / 2 - h / 2;
        m_hWnd = CreateWindowExA(WS_EX_APPWINDOW, "D3D Window", m_strWindowTitle, m_dwWindowStyle, x, y, w, h, nullptr,
                                 nullptr, instance, nullptr);
        m_bOwnWindow = m_hWnd != nullptr;
    }
    if (!m_hWndFocus) m_hWndFocus = m_hWnd;
    m_dwWindowStyle = static_cast<DWORD>(GetWindowLongA(m_hWnd, GWL_STYLE));
    GetWindowRect(m_hWnd, &m_rcWindowBounds);
    GetClientRect(m_hWnd, &m_rcWindowClient);

    hr = ChooseInitialD3DSettings();
    if (FAILED(hr)) return failCreate(" FAILED(hr = ChooseInitialD3DSettings())", hr);
    hr = OneTimeSceneInit();
    if (FAILED(hr)) return failCreate(" FAILED(hr = OneTimeSceneInit())", hr);
    hr = Initialize3DEnvironment();
    if (FAILED(hr)) return failCreate(" FAILED(hr = Initialize3DEnvironment())", hr);
    // The reported size is the back buffer's, which follows every create and reset.
    m_width = static_cast<int>(m_d3dsdBackBuffer.Width);
    m_height = static_cast<int>(m_d3dsdBackBuffer.Height);
    m_fAspectRatio = m_height ? static_cast<float>(m_width) / static_cast<float>(m_height) : 1.0f;
    return S_OK;
}

HRESULT CD3DApplication::ChooseInitialD3DSettings() {
    bool fullScreen = findFullScreenSetting(1024, 768) || findFullScreenSetting(1280, 720);
    bool windowed = findWindowedSetting(false);
    if (m_bStartFullscreen && fullScreen) m_d3dSettings.IsWindowed = false;
    if (!windowed && fullScreen) m_d3dSettings.IsWindowed = false;
    if (!fullScreen && !windowed) return D3DAPPERR_NOCOMPATIBLEDEVICES;
    return S_OK;
}

void CD3DApplication::takeSetting(D3DModeSettings& side, D3DAdapterInfo* adapter, D3DDeviceInfo* device,
                                  D3DDeviceCombo* combo, const D3DDISPLAYMODE& mode,
                                  VertexProcessingType vertexProcessing, UINT presentInterval) {
    side.pAdapterInfo = adapter;
    side.pDeviceInfo = device;
    side.pDeviceCombo = combo;
    side.DisplayMode = mode;
    if (m_d3dEnumeration.AppUsesDepthBuffer && combo->depthStencilFormats.count())
        side.DepthStencilBufferFormat = *static_cast<D3DFORMAT*>(combo->depthStencilFormats.at(0));
    side.MultisampleType = *static_cast<D3DMULTISAMPLE_TYPE*>(combo->multiSampleTypes.at(0));
    side.MultisampleQuality = 0;
    side.vertexProcessingType = vertexProcessing;
    side.PresentInterval = presentInterval;
}

bool CD3DApplication::findWindowedSetting(bool requireReference) {
    D3DDISPLAYMODE desktop{};
    m_pD3D->GetAdapterDisplayMode(0, &desktop);
    D3DAdapterInfo* bestAdapter = nullptr;
    D3DDeviceInfo* bestDevice = nullptr;
    D3DDeviceCombo* bestCombo = nullptr;
    ArrayList& adapters = m_d3dEnumeration.m_pAdapterInfoList;
    for (UINT a = 0; a < adapters.count(); ++a) {
        auto* adapter = static_cast<D3DAdapterInfo*>(adapters.at(a));
        for (UINT d = 0; d < adapter->deviceInfos.count(); ++d) {
            auto* device = static_cast<D3DDeviceInfo*>(adapter->deviceInfos.at(d));
            if (requireReference && device->DevType != D3DDEVTYPE_REF) continue;
            for (UINT c = 0; c < device->deviceCombos.count(); ++c) {
                auto* combo = static_cast<D3DDeviceCombo*>(device->deviceCombos.at(c));
                if (!combo->IsWindowed || combo->AdapterFormat != desktop.Format) continue;
                bool halMatch = combo->DevType == D3DDEVTYPE_HAL && combo->BackBufferFormat == combo->AdapterFormat;
                if (!bestCombo || (bestCombo->DevType != D3DDEVTYPE_HAL && combo->DevType == D3DDEVTYPE_HAL) ||
                    halMatch) {
                    bestAdapter = adapter;
                    bestDevice = device;
                    bestCombo = combo;
                    if (halMatch) goto found;
                }
            }
        }
    }
found:
    if (!bestCombo) return false;
    takeSetting(m_d3dSettings.Windowed_Settings, bestAdapter, bestDevice, bestCombo, desktop, HARDWARE_VP,
                bestCombo->presentIntervals.count() ? *static_cast<UINT*>(bestCombo->presentIntervals.at(0)) : 0);
    m_d3dSettings.IsWindowed = true;
    return true;
}

bool CD3DApplication::findFullScreenSetting(UINT width, UINT height) {
    D3DAdapterInfo* bestAdapter = nullptr;
    D3DDeviceInfo* bestDevice = nullptr;
    D3DDeviceCombo* bestCombo = nullptr;
    D3DDISPLAYMODE bestDesktop{};
    ArrayList& adapters = m_d3dEnumeration.m_pAdapterInfoList;
    for (UINT a = 0; a < adapters.count(); ++a) {
        auto* adapter = static_cast<D3DAdapterInfo*>(adapters.at(a));
        D3DDISPLAYMODE desktop{};
        m_pD3D->GetAdapterDisplayMode(static_cast<UINT>(adapter->AdapterOrdinal), &desktop);
        for (UINT d = 0; d < adapter->deviceInfos.count(); ++d) {
            auto* device = static_cast<D3DDeviceInfo*>(adapter->deviceInfos.at(d));
            for (UINT c = 0; c < device->deviceCombos.count(); ++c) {
                auto* combo = static_cast<D3DDeviceCombo*>(device->deviceCombos.at(c));
                if (combo->IsWindowed) continue;
                bool hal = combo->DevType == D3DDEVTYPE_HAL;
                bool adapterMatchesDesktop = combo->AdapterFormat == desktop.Format;
                bool take = !bestCombo || (bestCombo->DevType != D3DDEVTYPE_HAL && hal) ||
                            (hal && bestCombo->AdapterFormat != bestDesktop.Format && adapterMatchesDesktop) ||
                            (hal && adapterMatchesDesktop && combo->BackBufferFormat == combo->AdapterFormat &&
                             desktop.Width == width && desktop.Height == height);
                if (!take) continue;
                bestAdapter = adapter;
                bestDevice = device;
                bestCombo = combo;
                bestDesktop = desktop;
                if (hal && adapterMatchesDesktop && combo->BackBufferFormat == combo->AdapterFormat) goto found;
            }
        }
    }
found:
    if (!bestCombo) return false;
    D3DDISPLAYMODE best{};
    bool haveMode = false;
    for (UINT m = 0; m < bestAdapter->displayModes.count(); ++m) {
        auto* mode = static_cast<D3DDISPLAYMODE*>(bestAdapter->displayModes.at(m));
        if (mode->Format != bestCombo->AdapterFormat || mode->Width != width || mode->Height != height) continue;
        if (!haveMode || mode->RefreshRate > best.RefreshRate) {
            best = *mode;
            haveMode = true;
        }
    }
    if (!haveMode) return false;
    takeSetting(m_d3dSettings.Fullscreen_Settings, bestAdapter, bestDevice, bestCombo, best,
                *static_cast<VertexProcessingType*>(bestCombo->vertexProcessingTypes.at(0)),
                D3DPRESENT_INTERVAL_IMMEDIATE);
    m_d3dSettings.IsWindowed = false;
    return true;
}

void CD3DApplication::buildPresentParameters() {
    D3DModeSettings& side = m_d3dSettings.current();
    m_d3dpp = D3DPRESENT_PARAMETERS{};
    m_d3dpp.Windowed = m_d3dSettings.IsWindowed;
    m_d3dpp.BackBufferCount = 1;
    m_d3dpp.MultiSampleType = side.MultisampleType;
    m_d3dpp.MultiSampleQuality = side.MultisampleQuality;
    m_d3dpp.SwapEffect = D3DSWAPEFFECT_DISCARD;
    m_d3dpp.hDeviceWindow = m_hWnd;
    m_d3dpp.EnableAutoDepthStencil = m_d3dEnumeration.AppUsesDepthBuffer;
    if (m_d3dEnumeration.AppUsesDepthBuffer) {
        m_d3dpp.Flags = D3DPRESENTFLAG_DISCARD_DEPTHSTENCIL;
        m_d3dpp.AutoDepthStencilFormat = side.DepthStencilBufferFormat;
    }
    D3DFORMAT backBufferFormat = side.pDeviceCombo ? side.pDeviceCombo->BackBufferFormat : D3DFMT_X8R8G8B8;
    if (m_bWindowed) {
        m_d3dpp.BackBufferWidth = static_cast<UINT>(m_rcWindowClient.right - m_rcWindowClient.left);
        m_d3dpp.BackBufferHeight = static_cast<UINT>(m_rcWindowClient.bottom - m_rcWindowClient.top);
        m_d3dpp.BackBufferFormat = backBufferFormat;
        m_d3dpp.FullScreen_RefreshRateInHz = 0;
    } else {
        m_d3dpp.BackBufferWidth = side.DisplayMode.Width;
        m_d3dpp.BackBufferHeight = side.DisplayMode.Height;
        m_d3dpp.BackBufferFormat = backBufferFormat;
        m_d3dpp.FullScreen_RefreshRateInHz = side.DisplayMode.RefreshRate;
    }
    m_d3dpp.PresentationInterval = side.PresentInterval;
}

void CD3DApplication::placeWindowAtBounds() {
    SetWindowPos(m_hWnd, HWND_NOTOPMOST, m_rcWindowBounds.left, m_rcWindowBounds.top,
                 m_rcWindowBounds.right - m_rcWindowBounds.left, m_rcWindowBounds.bottom - m_rcWindowBounds.top,
                 SWP_SHOWWINDOW);
}

void CD3DApplication::clipCursor() {
    if (!m_bClipCursorWhenFullscreen) return;
    if (!m_bWindowed) {
        RECT rc;
        GetClientRect(m_hWnd, &rc);
        ClipCursor(&rc);
    } else {
        ClipCursor(nullptr);
    }
}

HRESULT CD3DApplication::Initialize3DEnvironment() {
    D3DAdapterInfo* adapterInfo = m_d3dSettings.PAdapterInfo();
    D3DDeviceInfo* deviceInfo = m_d3dSettings.PDeviceInfo();
    if (!adapterInfo || !deviceInfo) return D3DAPPERR_NOCOMPATIBLEDEVICES;
    m_bWindowed = m_d3dSettings.IsWindowed;
    applyWindowStyle();
    buildPresentParameters();

    if (deviceInfo->Caps.PrimitiveMiscCaps & D3DPMISCCAPS_NULLREFERENCE) {
        Tov::LogLine("MESSAGE") << "CD3DApplication::Initialize3DEnvironment"
                                << " pDeviceInfo->Caps.PrimitiveMiscCaps & D3DPMISCCAPS_NULLREFERENCE";
        showError(D3DAPPERR_NULLREFDEVICE, MSG_NONE);
    }
    DWORD flags = behaviorFlagsOf(m_d3dSettings.current().vertexProcessingType);
    if (deviceInfo->Caps.VertexProcessingCaps == 0) flags = D3DCREATE_SOFTWARE_VERTEXPROCESSING;
    flags |= D3DCREATE_MULTITHREADED;

    HRESULT hr = m_pD3D->CreateDevice(static_cast<UINT>(m_d3dSettings.AdapterOrdinal()), deviceInfo->DevType,
                                      m_hWndFocus, flags, &m_d3dpp, &m_pd3dDevice);
    if (SUCCEEDED(hr)) {
        if (m_bWindowed) placeWindowAtBounds();
        m_pd3dDevice->GetDeviceCaps(&m_d3dCaps);
        // The device description (deviceStats): device type, vertex processing and adapter name.
        std::string stats = deviceInfo->DevType == D3DDEVTYPE_REF   ? "REF"
                            : deviceInfo->DevType == D3DDEVTYPE_HAL ? "HAL"
                            : deviceInfo->DevType == D3DDEVTYPE_SW  ? "SW"
                                                                    : "";
        bool hal = deviceInfo->DevType == D3DDEVTYPE_HAL;
        if ((flags & D3DCREATE_HARDWARE_VERTEXPROCESSING) && (flags & D3DCREATE_PUREDEVICE))
            stats += hal ? " (pure hw vp)" : " (simulated pure hw vp)";
        else if (flags & D3DCREATE_HARDWARE_VERTEXPROCESSING)
            stats += hal ? " (hw vp)" : " (simulated hw vp)";
        else if (flags & D3DCREATE_MIXED_VERTEXPROCESSING)
            stats += hal ? " (mixed vp)" : " (simulated mixed vp)";
        else if (flags & D3DCREATE_SOFTWARE_VERTEXPROCESSING)
            stats += " (sw vp)";
        if (hal) stats += std::string(": ") + adapterInfo->AdapterIdentifier.Description;
        std::snprintf(m_strDeviceStats, sizeof m_strDeviceStats, "%s", stats.c_str());

        IDirect3DSurface9* back = nullptr;
        if (SUCCEEDED(m_pd3dDevice->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back))) {
            back->GetDesc(&m_d3dsdBackBuffer);
            back->Release();
        }
        if (m_bShowCursorWhenFullscreen && !m_bWindowed) m_pd3dDevice->ShowCursor(TRUE);
        clipCursor();

        hr = InitDeviceObjects();
        if (FAILED(hr)) {
            Tov::LogLine("MESSAGE") << "CD3DApplication::Initialize3DEnvironment"
                                    << " FAILED(InitDeviceObjects()): hr = " << hr;
            DeleteDeviceObjects();
            Cleanup3DEnvironment();
        } else {
            m_bDeviceObjectsInited = true;
            hr = RestoreDeviceObjects();
            if (FAILED(hr)) {
                Tov::LogLine("MESSAGE") << "CD3DApplication::Initialize3DEnvironment"
                                        << " FAILED(RestoreDeviceObjects()): hr = " << hr;
                InvalidateDeviceObjects();
                Cleanup3DEnvironment();
            } else {
                m_bDeviceObjectsRestored = true;
                m_width = static_cast<int>(m_d3dsdBackBuffer.Width);
                m_height = static_cast<int>(m_d3dsdBackBuffer.Height);
                m_fAspectRatio = m_bWindowed ? static_cast<float>(m_width) / static_cast<float>(m_height ? m_height : 1)
                                             : static_cast<float>(m_desktopWidth) /
                                                   static_cast<float>(m_desktopHeight ? m_desktopHeight : 1);
                return S_OK;
            }
        }
    } else {
        Tov::LogLine("MESSAGE") << "CD3DApplication::Initialize3DEnvironment" << "m_pD3D->CreateDevice: "
                                << deviceErrorName(hr) << ", m_d3dSettings.AdapterOrdinal(): "
                                << m_d3dSettings.AdapterOrdinal() << ", pDeviceInfo->DevType: " << deviceInfo->DevType
                                << " behaviorFlags: " << flags;
        if (!m_hWndFocus) Tov::LogLine("MESSAGE") << "CD3DApplication::Initialize3DEnvironment" << "!!!!!!! !m_hWndFocus !!!!!!!!";
    }

    if (hr != D3DAPPERR_MEDIANOTFOUND && hr != E_FILE_NOT_FOUND &&
        deviceInfo->DevType == D3DDEVTYPE_HAL && findWindowedSetting(true)) {
        // Fall back to a windowed reference device.
        m_bWindowed = true;
        applyWindowStyle();
        placeWindowAtBounds();
        showError(hr, MSGWARN_SWITCHEDTOREF);
        return Initialize3DEnvironment();
    }
    return hr;
}

HRESULT CD3DApplication::Reset3DEnvironment() {
    if (!m_pd3dDevice) return D3DERR_INVALIDCALL;
    if (m_bDeviceObjectsRestored) {
        m_bDeviceObjectsRestored = false;
        InvalidateDeviceObjects();
    }
    HRESULT hr = m_pd3dDevice->Reset(&m_d3dpp);
    if (FAILED(hr)) {
        Tov::LogLine("ERROR") << "Can't reset device";
        return hr;
    }
    IDirect3DSurface9* back = nullptr;
    if (SUCCEEDED(m_pd3dDevice->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back))) {
        back->GetDesc(&m_d3dsdBackBuffer);
        back->Release();
    }
    m_width = static_cast<int>(m_d3dsdBackBuffer.Width);
    m_height = static_cast<int>(m_d3dsdBackBuffer.Height);
    if (m_bShowCursorWhenFullscreen && !m_bWindowed) m_pd3dDevice->ShowCursor(TRUE);
    clipCursor();
    hr = RestoreDeviceObjects();
    if (FAILED(hr)) {
        InvalidateDeviceObjects();
        return hr;
    }
    m_bDeviceObjectsRestored = true;
    return S_OK;
}

HRESULT CD3DApplication::changeResolution() {
    if (m_bWindowed && !m_d3dSettings.Fullscreen_Settings.pDeviceInfo) {
        // Nothing to switch to: stay in the window.
        Tov::LogLine("ERROR") << "CD3DApplication::changeResolution" << ": no full-screen setting exists";
        return D3DERR_NOTAVAILABLE;
    }
    if (!m_bWindowed && !m_d3dSettings.Windowed_Settings.pDeviceInfo) {
        Tov::LogLine("ERROR") << "CD3DApplication::changeResolution" << ": no windowed setting exists";
        return D3DERR_NOTAVAILABLE;
    }
    D3DDISPLAYMODE kept = m_d3dSettings.current().DisplayMode;
    if (m_bWindowed) {
        GetWindowRect(m_hWnd, &m_rcWindowBounds);
        GetClientRect(m_hWnd, &m_rcWindowClient);
    }
    m_bWindowed = !m_bWindowed;
    Tov::LogLine("WARNING") << "CD3DApplication::changeResolution" << " " << -1 << " " << -1 << " " << "true";
    UINT width = m_bWindowed ? 1024 : m_d3dSettings.Fullscreen_Settings.DisplayMode.Width;
    UINT height = m_bWindowed ? 768 : m_d3dSettings.Fullscreen_Settings.DisplayMode.Height;
    Tov::LogLine("WARNING") << "CD3DApplication::changeResolution" << " " << width << " " << height << " " << -1 << " "
                            << "true";
    int oldOrdinal = m_d3dSettings.AdapterOrdinal();
    D3DDEVTYPE oldType = m_d3dSettings.DevType();
    m_d3dSettings.IsWindowed = m_bWindowed;
    D3DDISPLAYMODE& mode = m_d3dSettings.current().DisplayMode;
    mode = D3DDISPLAYMODE{width, height, kept.RefreshRate, kept.Format};
    applyWindowStyle();

    HRESULT hr;
    if (oldOrdinal == m_d3dSettings.AdapterOrdinal() && oldType == m_d3dSettings.DevType()) {
        buildPresentParameters();
        hr = Reset3DEnvironment();
    } else {
        Cleanup3DEnvironment();
        hr = Initialize3DEnvironment();
    }
    if (FAILED(hr)) {
        if (hr != D3DERR_OUTOFVIDEOMEMORY) hr = D3DAPPERR_RESETFAILED;
        if (!m_bWindowed) {
            m_bWindowed = true;
            m_d3dSettings.IsWindowed = true;
            applyWindowStyle();
            placeWindowAtBounds();
        }
        return showError(hr, MSGERR_APPMUSTEXIT);
    }
    if (m_bWindowed) placeWindowAtBounds();
    return S_OK;
}

HRESULT CD3DApplication::applyWindowStyle() {
    if (!m_hWnd) return S_OK;
    if (m_bWindowed) {
        SetWindowLongA(m_hWnd, GWL_STYLE, static_cast<LONG>(m_dwWindowStyle));
        if (m_hMenu) {
            SetMenu(m_hWnd, m_hMenu);
            m_hMenu = nullptr;
        }
    } else {
        SetWindowLongA(m_hWnd, GWL_STYLE, static_cast<LONG>(WS_POPUP | WS_VISIBLE));
        if (!m_hMenu) {
            m_hMenu = GetMenu(m_hWnd);
            SetMenu(m_hWnd, nullptr);
        }
    }
    return S_OK;
}

void CD3DApplication::Cleanup3DEnvironment() {
    if (!m_pd3dDevice) return;
    if (m_bDeviceObjectsRestored) {
        m_bDeviceObjectsRestored = false;
        Tov::LogLine("WARNING") << "CD3DApplication::Cleanup3DEnvironment" << " InvalidateDeviceObjects";
        InvalidateDeviceObjects();
    }
    if (m_bDeviceObjectsInited) {
        m_bDeviceObjectsInited = false;
        Tov::LogLine("WARNING") << "CD3DApplication::Cleanup3DEnvironment" << " DeleteDeviceObjects";
        DeleteDeviceObjects();
    }
    Tov::LogLine("WARNING") << "CD3DApplication::Cleanup3DEnvironment" << " m_pd3dDevice->Release";
    if (m_pd3dDevice->Release() > 0) {
        Tov::LogLine("ERROR") << "D3DDevice not released!!!";
        m_bDeviceOutlived = true;
    }
    m_pd3dDevice = nullptr;
}

HRESULT CD3DApplication::showError(HRESULT hr, APPMSGTYPE type) {
    if (g_fatalShown) return hr;
    std::string text = errorText(hr);
    if (type == MSGERR_APPMUSTEXIT) {
        g_fatalShown = true;
        text += "\n\nThis sample will now exit.";
        MessageBoxA(nullptr, text.c_str(), m_strWindowTitle, MB_ICONERROR);
        if (m_hWnd) SendMessageA(m_hWnd, WM_CLOSE, 0, 0);
    } else if (type == MSGWARN_SWITCHEDTOREF) {
        text += "\n\nSwitching to the reference rasterizer,\na software device that implements the entire\nDirect3D "
                "feature set, but runs very slowly.";
        MessageBoxA(nullptr, text.c_str(), m_strWindowTitle, MB_ICONWARNING);
    } else {
        MessageBoxA(nullptr, text.c_str(), m_strWindowTitle, MB_ICONWARNING);
    }
    return hr;
}

// ---- the game's frame ----

CMyD3DApplication::CMyD3DApplication(bool startFullScreen) {
    m_dwCreationWidth = 1024;
    m_dwCreationHeight = 768;
    m_d3dEnumeration.AppMinFullscreenWidth = 1024;
    m_d3dEnumeration.AppMinFullscreenHeight = 768;
    m_d3dEnumeration.AppFallbackFullscreenWidth = 1280;
    m_d3dEnumeration.AppFallbackFullscreenHeight = 720;
    m_strWindowTitle = "Orlimand";
    m_d3dEnumeration.AppUsesDepthBuffer = true;
    m_d3dEnumeration.AppMinDepthBits = 24;
    m_d3dEnumeration.AppMinStencilBits = 8;
    m_bStartFullscreen = startFullScreen;
    m_bShaders = false;
}

CMyD3DApplication::~CMyD3DApplication() {
    Tov::LogLine("WARNING") << "CMyD3DApplication::~CMyD3DApplication" << " Cleanup3DEnvironment";
    Cleanup3DEnvironment();
    Tov::LogLine("WARNING") << "CMyD3DApplication::~CMyD3DApplication" << " FinalCleanup";
    FinalCleanup();
    // On this platform the frame's own window goes with it, unless a device that outlived its
    // release still draws into it.
    if (m_bOwnWindow && m_hWnd && !m_bDeviceOutlived) DestroyWindow(m_hWnd);
    m_hWnd = nullptr;
    m_hWndFocus = nullptr;
    Tov::LogLine("WARNING") << "CMyD3DApplication::~CMyD3DApplication" << " m_pD3D";
    if (m_pD3D) m_pD3D->Release();
    m_pD3D = nullptr;
}

HRESULT CMyD3DApplication::checkDeviceCaps(D3DCAPS9* caps, DWORD, D3DFORMAT) {
    m_bShaders = caps && caps->PixelShaderVersion >= 0xFFFF0200u;
    return S_OK;
}

HRESULT CMyD3DApplication::OneTimeSceneInit() {
    if (m_hWnd) SendMessageA(m_hWnd, WM_PAINT, 0, 0);
    return S_OK;
}

HRESULT CMyD3DApplication::InitDeviceObjects() {
    CD3DDevice::resetWorldTransform(m_pd3dDevice);
    return S_OK;
}

HRESULT CMyD3DApplication::RestoreDeviceObjects() {
    CD3DDevice::resetWorldTransform(m_pd3dDevice);
    return S_OK;
}

HRESULT CMyD3DApplication::InvalidateDeviceObjects() {
    if (m_pd3dDevice)
        for (DWORD stage = 0; stage < 8; ++stage) m_pd3dDevice->SetTexture(stage, nullptr);
    CD3DDevice::setCacheDevice(nullptr);
    return S_OK;
}

HRESULT CMyD3DApplication::DeleteDeviceObjects() {
    if (m_pd3dDevice)
        for (DWORD stage = 0; stage < 8; ++stage) m_pd3dDevice->SetTexture(stage, nullptr);
    return S_OK;
}
