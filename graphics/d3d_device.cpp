#include "graphics/d3d_device.h"

#include <cstring>

namespace {

struct Cache {
    IDirect3DDevice9* device = nullptr;
    IDirect3DDevice9* textureDevice = nullptr;
    std::vector<DWORD> renderStates = std::vector<DWORD>(D3DRS_COUNT, CD3DDevice::kUnknown);
    std::vector<DWORD> stageStates[CD3DDevice::kCachedStages];
    std::vector<DWORD> samplerStates[CD3DDevice::kCachedStages];
    bool dirty = false;
    D3DMATRIX world{};
    bool worldDirty = false;
    Cache() {
        for (auto& v : stageStates) v.assign(D3DTSS_COUNT, CD3DDevice::kUnknown);
        for (auto& v : samplerStates) v.assign(D3DSAMP_COUNT, CD3DDevice::kUnknown);
        world = CD3DDevice::identityMatrix();
    }
};

Cache& cache() {
    static Cache c;
    return c;
}

}  // namespace

CD3DDevice::CD3DDevice() = default;

CD3DDevice::~CD3DDevice() {
    if (cache().textureDevice == m_device) cache().textureDevice = nullptr;
}

HRESULT CD3DDevice::setDevice(IDirect3DDevice9* device) {
    m_device = device;
    cache().textureDevice = device;
    if (!device) return D3DERR_INVALIDCALL;
    device->GetGammaRamp(0, &m_gamma);
    return D3D_OK;
}

HRESULT CD3DDevice::restoreGamma() {
    if (!m_device) return D3DERR_INVALIDCALL;
    m_device->SetGammaRamp(0, D3DSGR_CALIBRATE, &m_gamma);
    return D3D_OK;
}

HRESULT CD3DDevice::setTexture(DWORD stage, TexturePtr texture) {
    IDirect3DDevice9* d = cache().device;
    if (!d) return D3DERR_INVALIDCALL;
    return d->SetTexture(stage, texture ? texture->getTexture() : nullptr);
}

HRESULT CD3DDevice::setRenderStateDirect(D3DRENDERSTATETYPE state, DWORD value) {
    IDirect3DDevice9* d = cache().device;
    if (!d) return D3DERR_INVALIDCALL;
    return d->SetRenderState(state, value);
}

void CD3DDevice::setCacheDevice(IDirect3DDevice9* device) { cache().device = device; }
IDirect3DDevice9* CD3DDevice::cacheDevice() { return cache().device; }
IDirect3DDevice9* CD3DDevice::textureDevice() { return cache().textureDevice; }

void CD3DDevice::resetWorldTransform(IDirect3DDevice9* device) {
    cache().device = device;
    cache().world = identityMatrix();
    cache().worldDirty = false;
}

void CD3DDevice::restoreStageDefaults(IDirect3DDevice9* device) {
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_TFACTOR);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_TFACTOR);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
}

HRESULT CD3DDevice::setWorldTransform(const D3DMATRIX& matrix) {
    Cache& c = cache();
    if (!c.device) return D3DERR_INVALIDCALL;
    if (std::memcmp(&matrix, &c.world, sizeof matrix) == 0) return D3D_OK;
    c.world = matrix;
    HRESULT hr = c.device->SetTransform(D3DTS_WORLD, &c.world);
    c.worldDirty = false;
    return hr;
}

bool CD3DDevice::isWorldTransform(const D3DMATRIX& matrix) {
    return std::memcmp(&matrix, &cache().world, sizeof matrix) == 0;
}

HRESULT CD3DDevice::setRenderStateCached(D3DRENDERSTATETYPE state, DWORD value) {
    Cache& c = cache();
    if (!c.device || state >= D3DRS_COUNT) return D3DERR_INVALIDCALL;
    // A value equal to the unknown marker cannot be told from "not known": it is always sent.
    if (value != kUnknown && c.renderStates[state] == value) return D3D_OK;
    HRESULT hr = c.device->SetRenderState(state, value);
    if (SUCCEEDED(hr)) c.renderStates[state] = value;
    c.dirty = false;
    return hr;
}

HRESULT CD3DDevice::setTextureStageStateCached(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) {
    Cache& c = cache();
    if (!c.device) return D3DERR_INVALIDCALL;
    if (stage >= kCachedStages || type >= D3DTSS_COUNT) return c.device->SetTextureStageState(stage, type, value);
    if (value != kUnknown && c.stageStates[stage][type] == value) return D3D_OK;
    HRESULT hr = c.device->SetTextureStageState(stage, type, value);
    if (SUCCEEDED(hr)) c.stageStates[stage][type] = value;
    c.dirty = false;
    return hr;
}

HRESULT CD3DDevice::setSamplerStateCached(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) {
    Cache& c = cache();
    if (!c.device) return D3DERR_INVALIDCALL;
    DWORD current = 0;
    HRESULT hr = c.device->GetSamplerState(sampler, type, &current);
    if (FAILED(hr)) return hr;
    if (sampler < kCachedStages && type < D3DSAMP_COUNT) c.samplerStates[sampler][type] = value;
    if (current == value) return D3D_OK;
    hr = c.device->SetSamplerState(sampler, type, value);
    c.dirty = false;
    return hr;
}

HRESULT CD3DDevice::reapplyStates(bool renderStates, bool stageStates, bool samplerStates) {
    Cache& c = cache();
    if (!c.device) return D3DERR_INVALIDCALL;
    if (renderStates) {
        for (DWORD s = 0; s < c.renderStates.size(); ++s)
            if (c.renderStates[s] != kUnknown)
                c.device->SetRenderState(static_cast<D3DRENDERSTATETYPE>(s), c.renderStates[s]);
    }
    if (stageStates) {
        for (DWORD stage = 0; stage < kCachedStages; ++stage)
            for (DWORD t = 0; t < c.stageStates[stage].size(); ++t)
                if (c.stageStates[stage][t] != kUnknown)
                    c.device->SetTextureStageState(stage, static_cast<D3DTEXTURESTAGESTATETYPE>(t),
                                                   c.stageStates[stage][t]);
    }
    if (samplerStates) {
        for (DWORD sampler = 0; sampler < kCachedStages; ++sampler)
            for (DWORD t = 0; t < c.samplerStates[sampler].size(); ++t) {
                DWORD want = c.samplerStates[sampler][t];
                if (want == kUnknown) continue;
                DWORD current = 0;
                auto type = static_cast<D3DSAMPLERSTATETYPE>(t);
                if (SUCCEEDED(c.device->GetSamplerState(sampler, type, &current)) && current != want)
                    c.device->SetSamplerState(sampler, type, want);
            }
    }
    c.dirty = false;
    return D3D_OK;
}

void CD3DDevice::forgetStates() {
    Cache& c = cache();
    std::fill(c.renderStates.begin(), c.renderStates.end(), kUnknown);
    for (auto& v : c.stageStates) std::fill(v.begin(), v.end(), kUnknown);
    for (auto& v : c.samplerStates) std::fill(v.begin(), v.end(), kUnknown);
}

DWORD CD3DDevice::cachedRenderState(D3DRENDERSTATETYPE state) {
    return state < D3DRS_COUNT ? cache().renderStates[state] : kUnknown;
}

bool CD3DDevice::statesDirty() { return cache().dirty; }

HRESULT CD3DDevice::SetTexture(DWORD stage, IDirect3DBaseTexture9* texture) {
    IDirect3DDevice9* d = cache().device;
    return d ? d->SetTexture(stage, texture) : D3DERR_INVALIDCALL;
}

HRESULT CD3DDevice::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) {
    IDirect3DDevice9* d = cache().device;
    return d ? d->SetTextureStageState(stage, type, value) : D3DERR_INVALIDCALL;
}

HRESULT CD3DDevice::SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) {
    IDirect3DDevice9* d = cache().device;
    return d ? d->SetTransform(state, matrix) : D3DERR_INVALIDCALL;
}

HRESULT CD3DDevice::SetMaterial(const D3DMATERIAL9* material) {
    IDirect3DDevice9* d = cache().device;
    return d ? d->SetMaterial(material) : D3DERR_INVALIDCALL;
}

const D3DMATRIX& CD3DDevice::identityMatrix() {
    static const D3DMATRIX identity = [] {
        D3DMATRIX m{};
        for (int i = 0; i < 4; ++i) m.m[i][i] = 1.0f;
        return m;
    }();
    return identity;
}

const float* CD3DDevice::zeroVector() {
    static const float zero[3] = {0.0f, 0.0f, 0.0f};
    return zero;
}

bool CD3DDevice::equals8(const float* a, const float* b) {
    for (int i = 0; i < 8; ++i)
        if (!(a[i] == b[i])) return false;
    return true;
}
