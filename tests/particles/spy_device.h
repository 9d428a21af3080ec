#pragma once
// A test double of the Direct3D device: records the states, textures and draws the particle code
// sends, and answers everything else with success.
#include <map>
#include <utility>
#include <vector>

#include "particles/particle_vertex.h"
#include "platform/graphics/d3d9.h"

namespace particletest {

class SpyTexture : public IDirect3DTexture9 {
public:
    SpyTexture(UINT width_ = 64, UINT height_ = 32) : width(width_), height(height_) {}
    ULONG AddRef() override { return ++refs; }
    ULONG Release() override { return --refs; }
    HRESULT GetDevice(IDirect3DDevice9** device) override {
        *device = nullptr;
        return D3D_OK;
    }
    D3DRESOURCETYPE GetType() override { return D3DRTYPE_TEXTURE; }
    DWORD GetLevelCount() override { return 1; }
    HRESULT GetLevelDesc(UINT, D3DSURFACE_DESC* desc) override {
        *desc = D3DSURFACE_DESC{D3DFMT_A8R8G8B8, D3DRTYPE_SURFACE, 0, D3DPOOL_MANAGED, D3DMULTISAMPLE_NONE, 0,
                                width, height};
        return D3D_OK;
    }
    HRESULT GetSurfaceLevel(UINT, IDirect3DSurface9**) override { return D3DERR_INVALIDCALL; }
    HRESULT LockRect(UINT, D3DLOCKED_RECT*, const RECT*, DWORD) override { return D3DERR_INVALIDCALL; }
    HRESULT UnlockRect(UINT) override { return D3DERR_INVALIDCALL; }
    UINT width, height;
    ULONG refs = 1;
};

struct DrawCall {
    D3DPRIMITIVETYPE type;
    UINT minIndex, numVertices, primitiveCount;
    D3DFORMAT indexFormat;
    UINT stride;
    DWORD fvf;
    IDirect3DBaseTexture9* texture;
    std::vector<uint16_t> indices;
    std::vector<particle::ParticleVertex> vertices;
    std::map<DWORD, DWORD> states;                      // render states at the draw
    std::map<std::pair<DWORD, DWORD>, DWORD> stages;    // stage states at the draw
};

class SpyDevice : public IDirect3DDevice9 {
public:
    std::map<DWORD, DWORD> renderStates;
    std::map<std::pair<DWORD, DWORD>, DWORD> stageStates;
    std::vector<IDirect3DBaseTexture9*> boundTextures;  // every SetTexture on stage 0
    std::vector<DrawCall> draws;
    DWORD fvf = 0x42;
    IDirect3DBaseTexture9* stage0 = nullptr;
    bool recordDraws = true;  // off: draws are only counted
    size_t drawCount = 0;

    DWORD stage(DWORD type) const {
        auto it = stageStates.find({0, type});
        return it == stageStates.end() ? 0xDEADu : it->second;
    }
    DWORD state(DWORD type) const {
        auto it = renderStates.find(type);
        return it == renderStates.end() ? 0xDEADu : it->second;
    }

    ULONG AddRef() override { return 1; }
    ULONG Release() override { return 1; }
    HRESULT TestCooperativeLevel() override { return D3D_OK; }
    HRESULT GetDirect3D(IDirect3D9**) override { return D3DERR_INVALIDCALL; }
    HRESULT GetDeviceCaps(D3DCAPS9*) override { return D3DERR_INVALIDCALL; }
    HRESULT GetDisplayMode(UINT, D3DDISPLAYMODE*) override { return D3DERR_INVALIDCALL; }
    HRESULT SetCursorProperties(UINT, UINT, IDirect3DSurface9*) override { return D3D_OK; }
    BOOL ShowCursor(BOOL) override { return FALSE; }
    HRESULT Reset(D3DPRESENT_PARAMETERS*) override { return D3D_OK; }
    HRESULT Present(const RECT*, const RECT*, HWND, const void*) override { return D3D_OK; }
    HRESULT GetBackBuffer(UINT, UINT, D3DBACKBUFFER_TYPE, IDirect3DSurface9**) override { return D3DERR_INVALIDCALL; }
    void SetGammaRamp(UINT, DWORD, const D3DGAMMARAMP*) override {}
    void GetGammaRamp(UINT, D3DGAMMARAMP*) override {}
    HRESULT CreateTexture(UINT, UINT, UINT, DWORD, D3DFORMAT, D3DPOOL, IDirect3DTexture9**, void*) override {
        return D3DERR_INVALIDCALL;
    }
    HRESULT CreateVertexBuffer(UINT, DWORD, DWORD, D3DPOOL, IDirect3DVertexBuffer9**, void*) override {
        return D3DERR_INVALIDCALL;
    }
    HRESULT CreateOffscreenPlainSurface(UINT, UINT, D3DFORMAT, D3DPOOL, IDirect3DSurface9**, void*) override {
        return D3DERR_INVALIDCALL;
    }
    HRESULT StretchRect(IDirect3DSurface9*, const RECT*, IDirect3DSurface9*, const RECT*,
                        D3DTEXTUREFILTERTYPE) override {
        return D3D_OK;
    }
    HRESULT SetRenderTarget(DWORD, IDirect3DSurface9*) override { return D3D_OK; }
    HRESULT GetRenderTarget(DWORD, IDirect3DSurface9**) override { return D3DERR_INVALIDCALL; }
    HRESULT BeginScene() override { return D3D_OK; }
    HRESULT EndScene() override { return D3D_OK; }
    HRESULT Clear(DWORD, const D3DRECT*, DWORD, D3DCOLOR, float, DWORD) override { return D3D_OK; }
    HRESULT SetTransform(D3DTRANSFORMSTATETYPE, const D3DMATRIX*) override { return D3D_OK; }
    HRESULT GetTransform(D3DTRANSFORMSTATETYPE, D3DMATRIX*) override { return D3D_OK; }
    HRESULT SetViewport(const D3DVIEWPORT9*) override { return D3D_OK; }
    HRESULT GetViewport(D3DVIEWPORT9*) override { return D3D_OK; }
    HRESULT SetMaterial(const D3DMATERIAL9*) override { return D3D_OK; }
    HRESULT SetRenderState(D3DRENDERSTATETYPE type, DWORD value) override {
        renderStates[type] = value;
        return D3D_OK;
    }
    HRESULT GetRenderState(D3DRENDERSTATETYPE type, DWORD* value) override {
        *value = state(type);
        return D3D_OK;
    }
    HRESULT GetTexture(DWORD, IDirect3DBaseTexture9** texture) override {
        *texture = stage0;
        return D3D_OK;
    }
    HRESULT SetTexture(DWORD index, IDirect3DBaseTexture9* texture) override {
        if (index == 0) {
            stage0 = texture;
            boundTextures.push_back(texture);
        }
        return D3D_OK;
    }
    HRESULT GetTextureStageState(DWORD index, D3DTEXTURESTAGESTATETYPE type, DWORD* value) override {
        *value = index == 0 ? stage(type) : 0;
        return D3D_OK;
    }
    HRESULT SetTextureStageState(DWORD index, D3DTEXTURESTAGESTATETYPE type, DWORD value) override {
        stageStates[{index, type}] = value;
        return D3D_OK;
    }
    HRESULT GetSamplerState(DWORD, D3DSAMPLERSTATETYPE, DWORD* value) override {
        *value = 0;
        return D3D_OK;
    }
    HRESULT SetSamplerState(DWORD, D3DSAMPLERSTATETYPE, DWORD) override { return D3D_OK; }
    HRESULT DrawPrimitive(D3DPRIMITIVETYPE, UINT, UINT) override { return D3D_OK; }
    HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE, UINT, const void*, UINT) override { return D3D_OK; }
    HRESULT DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, UINT minIndex, UINT numVertices, UINT primitiveCount,
                                   const void* indices, D3DFORMAT indexFormat, const void* vertices,
                                   UINT stride) override {
        ++drawCount;
        if (!recordDraws) return D3D_OK;
        DrawCall call{type, minIndex, numVertices, primitiveCount, indexFormat, stride, fvf, stage0, {}, {}, renderStates,
                      stageStates};
        const uint16_t* index = static_cast<const uint16_t*>(indices);
        call.indices.assign(index, index + primitiveCount * 3);
        const auto* vertex = static_cast<const particle::ParticleVertex*>(vertices);
        call.vertices.assign(vertex, vertex + numVertices);
        draws.push_back(std::move(call));
        return D3D_OK;
    }
    HRESULT SetVertexShader(IDirect3DVertexShader9*) override { return D3D_OK; }
    HRESULT SetPixelShader(IDirect3DPixelShader9*) override { return D3D_OK; }
    HRESULT SetFVF(DWORD value) override {
        fvf = value;
        return D3D_OK;
    }
    HRESULT GetFVF(DWORD* value) override {
        *value = fvf;
        return D3D_OK;
    }
    HRESULT SetStreamSource(UINT, IDirect3DVertexBuffer9*, UINT, UINT) override { return D3D_OK; }
};

}  // namespace particletest
