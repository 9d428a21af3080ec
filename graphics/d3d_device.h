#pragma once
// The program-wide holder of the device: gamma, texture binding and a small cache of render,
// stage and sampler states and the world transform, so that a state reaches the device only when
// it changes and can be sent again after a reset.
#include <vector>

#include "core/singleton.h"
#include "graphics/texture.h"
#include "platform/graphics/d3d9.h"

class CD3DDevice : public Tov::Singleton<CD3DDevice> {
public:
    static constexpr DWORD kUnknown = 0x7FFFFFFF;  // a cached state whose value is not known
    static constexpr int kCachedStages = 3;

    CD3DDevice();
    ~CD3DDevice() override;

    HRESULT setDevice(IDirect3DDevice9* device);
    IDirect3DDevice9* getDevice() const { return m_device; }
    HRESULT restoreGamma();
    void setGammaFactor(float factor) { m_gammaFactor = factor; }
    void setGammaOffset(float offset) { m_gammaOffset = offset; }
    float getGammaFactor() const { return m_gammaFactor; }
    float getGammaOffset() const { return m_gammaOffset; }

    // Binds a texture (null for an empty pointer) on the cache's device.
    HRESULT setTexture(DWORD stage, TexturePtr texture);
    HRESULT setRenderStateDirect(D3DRENDERSTATETYPE state, DWORD value);

    // The cache. Its device is the frame's while device objects exist (null otherwise); every call
    // made without one returns D3DERR_INVALIDCALL and does nothing.
    static void setCacheDevice(IDirect3DDevice9* device);
    static IDirect3DDevice9* cacheDevice();
    static IDirect3DDevice9* textureDevice();  // the device the texture code creates on
    static void resetWorldTransform(IDirect3DDevice9* device);
    // Leaves stage 0 as the sprite and movie drawing expects it after a font or particle draw:
    // the texture selected, the texture factor as the second argument.
    static void restoreStageDefaults(IDirect3DDevice9* device);
    static HRESULT setWorldTransform(const D3DMATRIX& matrix);
    static bool isWorldTransform(const D3DMATRIX& matrix);
    static HRESULT setRenderStateCached(D3DRENDERSTATETYPE state, DWORD value);
    static HRESULT setTextureStageStateCached(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value);
    static HRESULT setSamplerStateCached(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value);
    // After a reset: sends every known value again (samplers only where the device differs).
    static HRESULT reapplyStates(bool renderStates, bool stageStates, bool samplerStates);
    // Forgets every cached value (the device's own state is left alone).
    static void forgetStates();
    static DWORD cachedRenderState(D3DRENDERSTATETYPE state);
    static bool statesDirty();

    // Thin forwarders to the cache's device.
    static HRESULT SetTexture(DWORD stage, IDirect3DBaseTexture9* texture);
    static HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value);
    static HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix);
    static HRESULT SetMaterial(const D3DMATERIAL9* material);

    static const D3DMATRIX& identityMatrix();
    static const float* zeroVector();
    static bool equals8(const float* a, const float* b);

private:
    IDirect3DDevice9* m_device = nullptr;  // not owned
    D3DGAMMARAMP m_gamma{};
    float m_gammaFactor = 1.0f;
    float m_gammaOffset = 0.0f;
};
