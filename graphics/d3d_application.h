#pragma once
// The frame that owns the game's window and its Direct3D device: enumeration, choice of the
// windowed and full-screen settings, window, device creation, reset, the windowed/full-screen
// switch and the fatal error boxes. CMyD3DApplication is the game's 1024 by 768 frame.
#include "core/singleton.h"
#include "graphics/d3d_enumeration.h"
#include "platform/graphics/d3d9.h"
#include "platform/graphics/window.h"

// Framework error codes.
constexpr HRESULT D3DAPPERR_NODIRECT3D = static_cast<HRESULT>(0x82000001u);
constexpr HRESULT D3DAPPERR_NOCOMPATIBLEDEVICES = static_cast<HRESULT>(0x82000003u);
constexpr HRESULT D3DAPPERR_NOWINDOWABLEDEVICES = static_cast<HRESULT>(0x82000004u);
constexpr HRESULT D3DAPPERR_NOHARDWAREDEVICE = static_cast<HRESULT>(0x82000005u);
constexpr HRESULT D3DAPPERR_HALNOTCOMPATIBLE = static_cast<HRESULT>(0x82000006u);
constexpr HRESULT D3DAPPERR_NOWINDOWEDHAL = static_cast<HRESULT>(0x82000007u);
constexpr HRESULT D3DAPPERR_NODESKTOPHAL = static_cast<HRESULT>(0x82000008u);
constexpr HRESULT D3DAPPERR_NOHALTHISMODE = static_cast<HRESULT>(0x82000009u);
constexpr HRESULT D3DAPPERR_NONZEROREFCOUNT = static_cast<HRESULT>(0x8200000Au);
constexpr HRESULT D3DAPPERR_MEDIANOTFOUND = static_cast<HRESULT>(0x8200000Bu);
constexpr HRESULT D3DAPPERR_RESETFAILED = static_cast<HRESULT>(0x8200000Cu);
constexpr HRESULT D3DAPPERR_NULLREFDEVICE = static_cast<HRESULT>(0x8200000Du);
// A missing file as a result code (the Win32 ERROR_FILE_NOT_FOUND as an HRESULT).
constexpr HRESULT E_FILE_NOT_FOUND = static_cast<HRESULT>(0x80070002u);

enum APPMSGTYPE { MSG_NONE = 0, MSGERR_APPMUSTEXIT = 1, MSGWARN_SWITCHEDTOREF = 2 };

// One side (windowed or full screen) of the chosen settings.
struct D3DModeSettings {
    D3DAdapterInfo* pAdapterInfo = nullptr;
    D3DDeviceInfo* pDeviceInfo = nullptr;
    D3DDeviceCombo* pDeviceCombo = nullptr;
    D3DDISPLAYMODE DisplayMode{};
    D3DFORMAT DepthStencilBufferFormat = D3DFMT_UNKNOWN;
    D3DMULTISAMPLE_TYPE MultisampleType = D3DMULTISAMPLE_NONE;
    DWORD MultisampleQuality = 0;
    VertexProcessingType vertexProcessingType = SOFTWARE_VP;
    UINT PresentInterval = 0;
};

struct D3DSettings {
    bool IsWindowed = false;
    D3DModeSettings Windowed_Settings;
    D3DModeSettings Fullscreen_Settings;

    D3DModeSettings& current() { return IsWindowed ? Windowed_Settings : Fullscreen_Settings; }
    D3DAdapterInfo* PAdapterInfo() { return current().pAdapterInfo; }
    D3DDeviceInfo* PDeviceInfo() { return current().pDeviceInfo; }
    D3DDeviceCombo* PDeviceCombo() { return current().pDeviceCombo; }
    int AdapterOrdinal() { return current().pDeviceCombo ? current().pDeviceCombo->AdapterOrdinal : 0; }
    D3DDEVTYPE DevType() { return current().pDeviceInfo ? current().pDeviceInfo->DevType : D3DDEVTYPE_HAL; }
};

class CD3DApplication {
public:
    CD3DApplication();
    virtual ~CD3DApplication();
    CD3DApplication(const CD3DApplication&) = delete;
    CD3DApplication& operator=(const CD3DApplication&) = delete;

    virtual HRESULT checkDeviceCaps(D3DCAPS9* caps, DWORD behaviorFlags, D3DFORMAT format);
    virtual HRESULT OneTimeSceneInit() { return S_OK; }
    virtual HRESULT InitDeviceObjects() { return S_OK; }
    virtual HRESULT RestoreDeviceObjects() { return S_OK; }
    virtual HRESULT InvalidateDeviceObjects() { return S_OK; }
    virtual HRESULT DeleteDeviceObjects() { return S_OK; }
    virtual HRESULT FinalCleanup() { return S_OK; }
    virtual HRESULT Create(HINSTANCE instance, WNDPROC windowProc);
    virtual HRESULT applyWindowStyle();

    HRESULT Reset3DEnvironment();
    HRESULT changeResolution();
    HRESULT toggleFullscreen() { return changeResolution(); }
    void buildPresentParameters();
    HRESULT Initialize3DEnvironment();
    void Cleanup3DEnvironment();
    HRESULT showError(HRESULT hr, APPMSGTYPE type);
    HRESULT ChooseInitialD3DSettings();
    bool findWindowedSetting(bool requireReference);
    bool findFullScreenSetting(UINT width, UINT height);

    int getWidth() const { return m_width; }
    int getHeight() const { return m_height; }
    IDirect3DDevice9* getDevice() const { return m_pd3dDevice; }
    HWND getWindow() const { return m_hWnd; }
    bool isWindowed() const { return m_bWindowed; }
    bool isActive() const { return m_bActive; }
    bool showsCursorWhenFullscreen() const { return m_bShowCursorWhenFullscreen; }
    void setActive(bool active) { m_bActive = active; }
    const D3DSettings& settings() const { return m_d3dSettings; }
    const char* deviceStats() const { return m_strDeviceStats; }
    const D3DSURFACE_DESC& backBufferDesc() const { return m_d3dsdBackBuffer; }
    const D3DPRESENT_PARAMETERS& presentParameters() const { return m_d3dpp; }
    CD3DEnumeration& enumeration() { return m_d3dEnumeration; }

    // Whether a fatal error box has been shown in this run (after which no box is shown).
    static bool fatalErrorShown();
    static void setFatalErrorShown(bool shown);

protected:
    CD3DEnumeration m_d3dEnumeration;
    D3DSettings m_d3dSettings;
    bool m_bWindowed = true;
    bool m_bActive = false;
    bool m_bDeviceObjectsInited = false;
    bool m_bDeviceObjectsRestored = false;
    int m_width = 0;
    int m_height = 0;
    int m_desktopWidth = 0;
    int m_desktopHeight = 0;
    D3DPRESENT_PARAMETERS m_d3dpp{};
    HWND m_hWnd = nullptr;
    HWND m_hWndFocus = nullptr;
    HMENU m_hMenu = nullptr;
    IDirect3D9* m_pD3D = nullptr;
    IDirect3DDevice9* m_pd3dDevice = nullptr;
    D3DCAPS9 m_d3dCaps{};
    D3DSURFACE_DESC m_d3dsdBackBuffer{};
    DWORD m_dwWindowStyle = 0;
    RECT m_rcWindowBounds{};
    RECT m_rcWindowClient{};
    float m_fAspectRatio = 1.0f;
    char m_strDeviceStats[90] = {};
    char m_strFrameStats[90] = {};
    const char* m_strWindowTitle = "D3D9 Application";
    int m_dwCreationWidth = 400;
    int m_dwCreationHeight = 300;
    bool m_bShowCursorWhenFullscreen = false;
    bool m_bClipCursorWhenFullscreen = true;
    bool m_bStartFullscreen = false;
    bool m_bOwnWindow = false;  // the frame made the window and destroys it
    bool m_bDeviceOutlived = false;  // a released device lives on in others' references

private:
    void placeWindowAtBounds();
    void clipCursor();
    // Fills one side of the settings from a chosen combination: its first depth-stencil format and
    // multisample type, quality 0.
    void takeSetting(D3DModeSettings& side, D3DAdapterInfo* adapter, D3DDeviceInfo* device, D3DDeviceCombo* combo,
                     const D3DDISPLAYMODE& mode, VertexProcessingType vertexProcessing, UINT presentInterval);
};

class CMyD3DApplication : public CD3DApplication, public Tov::Singleton<CMyD3DApplication> {
public:
    explicit CMyD3DApplication(bool startFullScreen);
    ~CMyD3DApplication() override;

    HRESULT checkDeviceCaps(D3DCAPS9* caps, DWORD behaviorFlags, D3DFORMAT format) override;
    HRESULT OneTimeSceneInit() override;
    HRESULT InitDeviceObjects() override;
    HRESULT RestoreDeviceObjects() override;
    HRESULT InvalidateDeviceObjects() override;
    HRESULT DeleteDeviceObjects() override;
    HRESULT FinalCleanup() override { return S_OK; }

    bool hasShaders() const { return m_bShaders; }

private:
    bool m_bShaders = false;
};

// Maps a vertex-processing type to the creation flags and asks the frame's checkDeviceCaps.
bool ConfirmDeviceHelper(D3DCAPS9* caps, VertexProcessingType vertexProcessingType, D3DFORMAT format);
