#include "graphics/d3d_enumeration.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "core/mmgr.h"

// ---- ArrayList ----

ArrayList::ArrayList(Kind kind, UINT elementSize)
    : m_kind(kind), m_elementSize(kind == AL_REFERENCE ? sizeof(void*) : elementSize) {}

ArrayList::~ArrayList() {
    if (m_data) Mem_Free(m_data);
}

HRESULT ArrayList::add(const void* element) {
    if (m_elementSize == 0) return E_FAIL;
    if (!m_data || m_count + 1 > m_capacity) {
        UINT capacity = m_capacity == 0 ? 16 : m_capacity * 2;
        uint64_t bytes = static_cast<uint64_t>(capacity) * m_elementSize;
        if (bytes > 0x7FFFFFFF) return E_OUTOFMEMORY;
        void* data = Mem_Alloc(static_cast<int>(bytes));
        if (!data) return E_OUTOFMEMORY;
        if (m_data) {
            std::memcpy(data, m_data, static_cast<size_t>(m_count) * m_elementSize);
            Mem_Free(m_data);
        }
        m_data = data;
        m_capacity = capacity;
    }
    auto* slot = static_cast<uint8_t*>(m_data) + static_cast<size_t>(m_count) * m_elementSize;
    if (m_kind == AL_REFERENCE) {
        std::memcpy(slot, &element, sizeof(void*));
    } else {
        std::memcpy(slot, element, m_elementSize);
    }
    ++m_count;
    return S_OK;
}

void ArrayList::removeAt(UINT index) {
    if (index >= m_count) return;
    auto* base = static_cast<uint8_t*>(m_data);
    std::memmove(base + static_cast<size_t>(index) * m_elementSize, base + static_cast<size_t>(index + 1) * m_elementSize,
                 static_cast<size_t>(m_count - index - 1) * m_elementSize);
    --m_count;
}

void* ArrayList::at(UINT index) const {
    if (index >= m_count) return nullptr;
    auto* slot = static_cast<uint8_t*>(m_data) + static_cast<size_t>(index) * m_elementSize;
    if (m_kind == AL_REFERENCE) {
        void* p;
        std::memcpy(&p, slot, sizeof p);
        return p;
    }
    return slot;
}

bool ArrayList::contains(const void* element) const {
    for (UINT i = 0; i < m_count; ++i) {
        if (m_kind == AL_REFERENCE) {
            if (at(i) == element) return true;
        } else if (std::memcmp(at(i), element, m_elementSize) == 0) {
            return true;
        }
    }
    return false;
}

// ---- the lists' owners ----

D3DAdapterInfo::~D3DAdapterInfo() {
    for (UINT i = 0; i < deviceInfos.count(); ++i) delete static_cast<D3DDeviceInfo*>(deviceInfos.at(i));
}

D3DDeviceInfo::~D3DDeviceInfo() {
    for (UINT i = 0; i < deviceCombos.count(); ++i) delete static_cast<D3DDeviceCombo*>(deviceCombos.at(i));
}

// ---- format bits ----

UINT CD3DEnumeration::ColorChannelBits(D3DFORMAT f) {
    switch (f) {
        case D3DFMT_R8G8B8:
        case D3DFMT_A8R8G8B8:
        case D3DFMT_X8R8G8B8: return 8;
        case D3DFMT_R5G6B5:
        case D3DFMT_X1R5G5B5:
        case D3DFMT_A1R5G5B5: return 5;
        case D3DFMT_A4R4G4B4:
        case D3DFMT_X4R4G4B4: return 4;
        case D3DFMT_R3G3B2:
        case D3DFMT_A8R3G3B2: return 2;
        case D3DFMT_A2B10G10R10:
        case D3DFMT_A2R10G10B10: return 10;
        default: return 0;
    }
}

UINT CD3DEnumeration::AlphaChannelBits(D3DFORMAT f) {
    switch (f) {
        case D3DFMT_A8R8G8B8:
        case D3DFMT_A8R3G3B2: return 8;
        case D3DFMT_A1R5G5B5: return 1;
        case D3DFMT_A4R4G4B4: return 4;
        case D3DFMT_A2B10G10R10:
        case D3DFMT_A2R10G10B10: return 2;
        default: return 0;
    }
}

UINT CD3DEnumeration::DepthBits(D3DFORMAT f) {
    switch (f) {
        case D3DFMT_D32: return 32;
        case D3DFMT_D15S1: return 15;
        case D3DFMT_D24S8:
        case D3DFMT_D24X8:
        case D3DFMT_D24X4S4: return 24;
        case D3DFMT_D16: return 16;
        default: return 0;
    }
}

UINT CD3DEnumeration::StencilBits(D3DFORMAT f) {
    switch (f) {
        case D3DFMT_D15S1: return 1;
        case D3DFMT_D24S8: return 8;
        case D3DFMT_D24X4S4: return 4;
        default: return 0;
    }
}

// ---- enumeration ----

CD3DEnumeration::CD3DEnumeration() = default;

CD3DEnumeration::~CD3DEnumeration() { clearAdapters(); }

void CD3DEnumeration::clearAdapters() {
    for (UINT i = 0; i < m_pAdapterInfoList.count(); ++i) delete static_cast<D3DAdapterInfo*>(m_pAdapterInfoList.at(i));
    m_pAdapterInfoList.clear();
}

HRESULT CD3DEnumeration::Enumerate() {
    if (!m_pD3D) return E_FAIL;
    clearAdapters();
    m_pAllowedAdapterFormatList.clear();
    const D3DFORMAT allowed[] = {D3DFMT_X8R8G8B8, D3DFMT_X1R5G5B5, D3DFMT_R5G6B5, D3DFMT_A2R10G10B10};
    for (D3DFORMAT f : allowed) {
        HRESULT hr = m_pAllowedAdapterFormatList.add(&f);
        if (FAILED(hr)) return hr;
    }
    UINT adapters = m_pD3D->GetAdapterCount();
    for (UINT ordinal = 0; ordinal < adapters; ++ordinal) {
        auto* info = new (std::nothrow) D3DAdapterInfo;
        if (!info) return E_OUTOFMEMORY;
        info->AdapterOrdinal = static_cast<int>(ordinal);
        m_pD3D->GetAdapterIdentifier(ordinal, 0, &info->AdapterIdentifier);
        ArrayList adapterFormats(ArrayList::AL_VALUE, sizeof(D3DFORMAT));
        for (UINT fi = 0; fi < m_pAllowedAdapterFormatList.count(); ++fi) {
            D3DFORMAT format = *static_cast<D3DFORMAT*>(m_pAllowedAdapterFormatList.at(fi));
            UINT modes = m_pD3D->GetAdapterModeCount(ordinal, format);
            for (UINT mi = 0; mi < modes; ++mi) {
                D3DDISPLAYMODE mode;
                if (FAILED(m_pD3D->EnumAdapterModes(ordinal, format, mi, &mode))) continue;
                bool fallback = AppFallbackFullscreenWidth != 0 && mode.Width == AppFallbackFullscreenWidth &&
                                mode.Height == AppFallbackFullscreenHeight;
                if ((!fallback && (mode.Width < AppMinFullscreenWidth || mode.Height < AppMinFullscreenHeight)) ||
                    ColorChannelBits(mode.Format) < AppMinColorChannelBits)
                    continue;
                HRESULT hr = info->displayModes.add(&mode);
                if (SUCCEEDED(hr) && !adapterFormats.contains(&mode.Format)) hr = adapterFormats.add(&mode.Format);
                if (FAILED(hr)) {
                    delete info;
                    return hr;
                }
            }
        }
        // Width, then height, then format, then refresh rate, each ascending.
        auto* modes = static_cast<D3DDISPLAYMODE*>(info->displayModes.count() ? info->displayModes.at(0) : nullptr);
        if (modes)
            std::sort(modes, modes + info->displayModes.count(), [](const D3DDISPLAYMODE& a, const D3DDISPLAYMODE& b) {
                if (a.Width != b.Width) return a.Width < b.Width;
                if (a.Height != b.Height) return a.Height < b.Height;
                if (a.Format != b.Format) return a.Format < b.Format;
                return a.RefreshRate < b.RefreshRate;
            });
        HRESULT hr = EnumerateDevices(info, &adapterFormats);
        if (FAILED(hr)) {
            delete info;
            return hr;
        }
        if (info->deviceInfos.count() == 0) {
            delete info;
            continue;
        }
        hr = m_pAdapterInfoList.add(info);
        if (FAILED(hr)) {
            delete info;
            return hr;
        }
    }
    return S_OK;
}

HRESULT CD3DEnumeration::EnumerateDevices(D3DAdapterInfo* adapterInfo, ArrayList* adapterFormatList) {
    const D3DDEVTYPE types[] = {D3DDEVTYPE_HAL, D3DDEVTYPE_SW, D3DDEVTYPE_REF};
    for (D3DDEVTYPE type : types) {
        auto* info = new (std::nothrow) D3DDeviceInfo;
        if (!info) return E_OUTOFMEMORY;
        info->AdapterOrdinal = adapterInfo->AdapterOrdinal;
        info->DevType = type;
        if (FAILED(m_pD3D->GetDeviceCaps(static_cast<UINT>(adapterInfo->AdapterOrdinal), type, &info->Caps))) {
            delete info;
            continue;
        }
        HRESULT hr = EnumerateDeviceCombos(info, adapterFormatList);
        if (FAILED(hr)) {
            delete info;
            return hr;
        }
        if (info->deviceCombos.count() == 0) {
            delete info;
            continue;
        }
        hr = adapterInfo->deviceInfos.add(info);
        if (FAILED(hr)) {
            delete info;
            return hr;
        }
    }
    return S_OK;
}

HRESULT CD3DEnumeration::EnumerateDeviceCombos(D3DDeviceInfo* deviceInfo, ArrayList* adapterFormatList) {
    const D3DFORMAT backBufferFormats[] = {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_A2R10G10B10,
                                           D3DFMT_R5G6B5,   D3DFMT_A1R5G5B5, D3DFMT_X1R5G5B5};
    for (UINT ai = 0; ai < adapterFormatList->count(); ++ai) {
        D3DFORMAT adapterFormat = *static_cast<D3DFORMAT*>(adapterFormatList->at(ai));
        for (D3DFORMAT backBufferFormat : backBufferFormats) {
            if (AlphaChannelBits(backBufferFormat) < AppMinAlphaChannelBits) continue;
            for (bool windowed : {false, true}) {
                if (!windowed && AppRequiresWindowed) continue;
                if (windowed && AppRequiresFullscreen) continue;
                if (FAILED(m_pD3D->CheckDeviceType(static_cast<UINT>(deviceInfo->AdapterOrdinal), deviceInfo->DevType,
                                                   adapterFormat, backBufferFormat, windowed)))
                    continue;
                auto* combo = new (std::nothrow) D3DDeviceCombo;
                if (!combo) return E_OUTOFMEMORY;
                combo->AdapterOrdinal = deviceInfo->AdapterOrdinal;
                combo->DevType = deviceInfo->DevType;
                combo->AdapterFormat = adapterFormat;
                combo->BackBufferFormat = backBufferFormat;
                combo->IsWindowed = windowed;
                HRESULT hr = S_OK;
                if (AppUsesDepthBuffer) {
                    hr = BuildDepthStencilFormatList(combo);
                    if (SUCCEEDED(hr) && combo->depthStencilFormats.count() == 0) {
                        delete combo;
                        continue;
                    }
                }
                if (SUCCEEDED(hr)) hr = BuildMultiSampleTypeList(combo);
                if (SUCCEEDED(hr) && combo->multiSampleTypes.count() == 0) {
                    delete combo;
                    continue;
                }
                if (SUCCEEDED(hr)) hr = BuildDSMSConflictList(combo);
                if (SUCCEEDED(hr)) hr = BuildVertexProcessingTypeList(deviceInfo, combo);
                if (SUCCEEDED(hr) && combo->vertexProcessingTypes.count() == 0) {
                    delete combo;
                    continue;
                }
                if (SUCCEEDED(hr)) hr = BuildPresentIntervalList(deviceInfo, combo);
                if (SUCCEEDED(hr)) hr = deviceInfo->deviceCombos.add(combo);
                if (FAILED(hr)) {
                    delete combo;
                    return hr;
                }
            }
        }
    }
    return S_OK;
}

HRESULT CD3DEnumeration::BuildDepthStencilFormatList(D3DDeviceCombo* combo) {
    const D3DFORMAT formats[] = {D3DFMT_D16, D3DFMT_D15S1, D3DFMT_D24X8, D3DFMT_D24S8, D3DFMT_D24X4S4, D3DFMT_D32};
    for (D3DFORMAT f : formats) {
        if (DepthBits(f) < AppMinDepthBits || StencilBits(f) < AppMinStencilBits) continue;
        UINT adapter = static_cast<UINT>(combo->AdapterOrdinal);
        if (SUCCEEDED(m_pD3D->CheckDeviceFormat(adapter, combo->DevType, combo->AdapterFormat, D3DUSAGE_DEPTHSTENCIL,
                                                D3DRTYPE_SURFACE, f)) &&
            SUCCEEDED(m_pD3D->CheckDepthStencilMatch(adapter, combo->DevType, combo->AdapterFormat,
                                                     combo->BackBufferFormat, f))) {
            HRESULT hr = combo->depthStencilFormats.add(&f);
            if (FAILED(hr)) return hr;
        }
    }
    return S_OK;
}

HRESULT CD3DEnumeration::BuildMultiSampleTypeList(D3DDeviceCombo* combo) {
    for (UINT t = 0; t <= 16; ++t) {
        auto type = static_cast<D3DMULTISAMPLE_TYPE>(t);
        DWORD qualities = 0;
        if (SUCCEEDED(m_pD3D->CheckDeviceMultiSampleType(static_cast<UINT>(combo->AdapterOrdinal), combo->DevType,
                                                         combo->BackBufferFormat, combo->IsWindowed, type,
                                                         &qualities))) {
            HRESULT hr = combo->multiSampleTypes.add(&type);
            if (SUCCEEDED(hr)) hr = combo->multiSampleQualities.add(&qualities);
            if (FAILED(hr)) return hr;
        }
    }
    return S_OK;
}

HRESULT CD3DEnumeration::BuildDSMSConflictList(D3DDeviceCombo* combo) {
    for (UINT d = 0; d < combo->depthStencilFormats.count(); ++d) {
        D3DFORMAT ds = *static_cast<D3DFORMAT*>(combo->depthStencilFormats.at(d));
        for (UINT m = 0; m < combo->multiSampleTypes.count(); ++m) {
            auto ms = *static_cast<D3DMULTISAMPLE_TYPE*>(combo->multiSampleTypes.at(m));
            if (FAILED(m_pD3D->CheckDeviceMultiSampleType(static_cast<UINT>(combo->AdapterOrdinal), combo->DevType, ds,
                                                          combo->IsWindowed, ms, nullptr))) {
                D3DDSMSConflict conflict{ds, ms};
                HRESULT hr = combo->DSMSConflicts.add(&conflict);
                if (FAILED(hr)) return hr;
            }
        }
    }
    return S_OK;
}

HRESULT CD3DEnumeration::BuildVertexProcessingTypeList(D3DDeviceInfo* deviceInfo, D3DDeviceCombo* combo) {
    auto offer = [&](VertexProcessingType type) -> HRESULT {
        if (ConfirmDeviceCallback && !ConfirmDeviceCallback(&deviceInfo->Caps, type, combo->BackBufferFormat))
            return S_OK;
        return combo->vertexProcessingTypes.add(&type);
    };
    HRESULT hr = S_OK;
    if (deviceInfo->Caps.DevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT) {
        if (deviceInfo->Caps.DevCaps & D3DDEVCAPS_PUREDEVICE) hr = offer(PURE_HARDWARE_VP);
        if (SUCCEEDED(hr)) hr = offer(HARDWARE_VP);
        if (SUCCEEDED(hr) && AppUsesMixedVP) hr = offer(MIXED_VP);
    }
    if (SUCCEEDED(hr)) hr = offer(SOFTWARE_VP);
    return hr;
}

HRESULT CD3DEnumeration::BuildPresentIntervalList(D3DDeviceInfo* deviceInfo, D3DDeviceCombo* combo) {
    const UINT intervals[] = {D3DPRESENT_INTERVAL_IMMEDIATE, D3DPRESENT_INTERVAL_DEFAULT, D3DPRESENT_INTERVAL_ONE,
                              D3DPRESENT_INTERVAL_TWO,       D3DPRESENT_INTERVAL_THREE,   D3DPRESENT_INTERVAL_FOUR};
    for (UINT interval : intervals) {
        if (combo->IsWindowed && (interval == D3DPRESENT_INTERVAL_TWO || interval == D3DPRESENT_INTERVAL_THREE ||
                                  interval == D3DPRESENT_INTERVAL_FOUR))
            continue;
        if (interval != D3DPRESENT_INTERVAL_DEFAULT && !(deviceInfo->Caps.PresentationIntervals & interval)) continue;
        HRESULT hr = combo->presentIntervals.add(&interval);
        if (FAILED(hr)) return hr;
    }
    return S_OK;
}
