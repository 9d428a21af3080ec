#pragma once
// What the machine offers before the device is made: adapters with their display modes, device
// types with their capabilities, and every workable combination of adapter format, back-buffer
// format and windowed or full-screen operation.
#include "platform/graphics/d3d9.h"

// A growable array of pointers (kind 1) or of fixed-size values (kind 0).
class ArrayList {
public:
    enum Kind { AL_VALUE = 0, AL_REFERENCE = 1 };
    ArrayList(Kind kind, UINT elementSize = 0);
    ~ArrayList();
    ArrayList(const ArrayList&) = delete;
    ArrayList& operator=(const ArrayList&) = delete;

    HRESULT add(const void* element);  // a pointer for a list of pointers, else the value's address
    void removeAt(UINT index);
    void* at(UINT index) const;
    bool contains(const void* element) const;
    UINT count() const { return m_count; }
    void clear() { m_count = 0; }

private:
    Kind m_kind;
    void* m_data = nullptr;
    UINT m_elementSize;
    UINT m_count = 0;
    UINT m_capacity = 0;
};

enum VertexProcessingType { SOFTWARE_VP = 0, MIXED_VP = 1, HARDWARE_VP = 2, PURE_HARDWARE_VP = 3 };

struct D3DAdapterInfo {
    int AdapterOrdinal = 0;
    D3DADAPTER_IDENTIFIER9 AdapterIdentifier{};
    ArrayList displayModes{ArrayList::AL_VALUE, sizeof(D3DDISPLAYMODE)};
    ArrayList deviceInfos{ArrayList::AL_REFERENCE};
    ~D3DAdapterInfo();
};

struct D3DDeviceInfo {
    int AdapterOrdinal = 0;
    D3DDEVTYPE DevType = D3DDEVTYPE_HAL;
    D3DCAPS9 Caps{};
    ArrayList deviceCombos{ArrayList::AL_REFERENCE};
    ~D3DDeviceInfo();
};

struct D3DDSMSConflict {
    D3DFORMAT DSFormat;
    D3DMULTISAMPLE_TYPE MSType;
};

struct D3DDeviceCombo {
    int AdapterOrdinal = 0;
    D3DDEVTYPE DevType = D3DDEVTYPE_HAL;
    D3DFORMAT AdapterFormat = D3DFMT_UNKNOWN;
    D3DFORMAT BackBufferFormat = D3DFMT_UNKNOWN;
    bool IsWindowed = false;
    ArrayList depthStencilFormats{ArrayList::AL_VALUE, sizeof(D3DFORMAT)};
    ArrayList multiSampleTypes{ArrayList::AL_VALUE, sizeof(D3DMULTISAMPLE_TYPE)};
    ArrayList multiSampleQualities{ArrayList::AL_VALUE, sizeof(DWORD)};
    ArrayList DSMSConflicts{ArrayList::AL_VALUE, sizeof(D3DDSMSConflict)};
    ArrayList vertexProcessingTypes{ArrayList::AL_VALUE, sizeof(VertexProcessingType)};
    ArrayList presentIntervals{ArrayList::AL_VALUE, sizeof(UINT)};
};

typedef bool (*ConfirmDeviceCallbackFn)(D3DCAPS9* caps, VertexProcessingType vertexProcessingType,
                                      D3DFORMAT backBufferFormat);

class CD3DEnumeration {
public:
    CD3DEnumeration();
    ~CD3DEnumeration();
    CD3DEnumeration(const CD3DEnumeration&) = delete;
    CD3DEnumeration& operator=(const CD3DEnumeration&) = delete;

    void SetD3D(IDirect3D9* d3d) { m_pD3D = d3d; }
    HRESULT Enumerate();

    IDirect3D9* m_pD3D = nullptr;  // not owned
    ArrayList m_pAdapterInfoList{ArrayList::AL_REFERENCE};
    ConfirmDeviceCallbackFn ConfirmDeviceCallback = nullptr;
    UINT AppMinFullscreenWidth = 640;
    UINT AppMinFullscreenHeight = 480;
    // One more full-screen size listed although below the minimum: the frame's fallback size,
    // which would otherwise never be found (0 by 0: none).
    UINT AppFallbackFullscreenWidth = 0;
    UINT AppFallbackFullscreenHeight = 0;
    UINT AppMinColorChannelBits = 5;
    UINT AppMinAlphaChannelBits = 5;
    UINT AppMinDepthBits = 15;
    UINT AppMinStencilBits = 0;
    bool AppUsesDepthBuffer = false;
    bool AppUsesMixedVP = false;
    bool AppRequiresWindowed = false;
    bool AppRequiresFullscreen = false;
    ArrayList m_pAllowedAdapterFormatList{ArrayList::AL_VALUE, sizeof(D3DFORMAT)};

    static UINT ColorChannelBits(D3DFORMAT format);
    static UINT AlphaChannelBits(D3DFORMAT format);
    static UINT DepthBits(D3DFORMAT format);
    static UINT StencilBits(D3DFORMAT format);

private:
    void clearAdapters();
    HRESULT EnumerateDevices(D3DAdapterInfo* adapterInfo, ArrayList* adapterFormatList);
    HRESULT EnumerateDeviceCombos(D3DDeviceInfo* deviceInfo, ArrayList* adapterFormatList);
    HRESULT BuildDepthStencilFormatList(D3DDeviceCombo* combo);
    HRESULT BuildMultiSampleTypeList(D3DDeviceCombo* combo);
    HRESULT BuildDSMSConflictList(D3DDeviceCombo* combo);
    HRESULT BuildVertexProcessingTypeList(D3DDeviceInfo* deviceInfo, D3DDeviceCombo* combo);
    HRESULT BuildPresentIntervalList(D3DDeviceInfo* deviceInfo, D3DDeviceCombo* combo);
};
