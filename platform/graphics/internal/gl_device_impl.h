#pragma once
// The GL device's class (internal to the graphics platform layer); its drawing pipeline is in
// gl_pipeline.cpp, creation, presentation and state in gl_device.cpp.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/graphics/internal/gl_device.h"
#include "platform/graphics/window.h"
#include "platform/graphics/internal/window_impl.h"
#include "platform/log_sink.h"

namespace platform::gfx {

bool textureFormatSupported(D3DFORMAT format, DWORD usage);

constexpr int kStages = 8;
constexpr GLuint kUnknownName = 0xFFFFFFFFu;  // a binding the shadow state no longer knows
constexpr int kSamplers = 16;

struct BatchVertex {
    float pos[4];
    uint8_t diffuse[4];  // r, g, b, a
    uint8_t factor[4];   // r, g, b, a of the texture factor at the draw
    float uv[2];
};

// The GL pipeline state a batch is drawn with.
struct PipelineState {
    GLuint framebuffer = 0;
    int targetW = 0, targetH = 0;
    int scissor[4] = {0, 0, 0, 0};
    bool blend = false;
    GLenum src = GL_ONE, dst = GL_ZERO, equation = GL_FUNC_ADD;
    DWORD blendColor = 0xFFFFFFFF;
    bool depthTest = false, depthWrite = true;
    GLenum depthFunc = GL_LEQUAL;
    bool stencil = false;
    GLenum stencilFunc = GL_ALWAYS;
    GLint stencilRef = 0;
    GLuint stencilMask = 0xFF, stencilWriteMask = 0xFF;
    GLenum sfail = GL_KEEP, zfail = GL_KEEP, zpass = GL_KEEP;
    DWORD colorMask = 0xF;
    GLenum cull = 0;  // 0 none, else the face GL culls
    GLuint texture = 0;
    GLenum wrapS = GL_REPEAT, wrapT = GL_REPEAT, minFilter = GL_NEAREST, magFilter = GL_NEAREST;
    DWORD border = 0;
    int color[3] = {0, 0, 0}, alpha[3] = {0, 0, 0}, test[3] = {0, 0, 0};
};

class DeviceImpl final : public IDirect3DDevice9 {
public:
    DeviceImpl(IDirect3D9* d3d, const AdapterDesc& adapter, UINT ordinal, D3DDEVTYPE type, HWND window);
    ~DeviceImpl() override;
    HRESULT init(const D3DPRESENT_PARAMETERS& params);

    ULONG AddRef() override { return ++m_refs; }
    ULONG Release() override {
        ULONG left = --m_refs;
        if (left == 0) delete this;
        return left;
    }
    HRESULT TestCooperativeLevel() override { return m_lost ? D3DERR_DEVICENOTRESET : D3D_OK; }
    HRESULT GetDirect3D(IDirect3D9** d3d) override {
        if (!d3d) return D3DERR_INVALIDCALL;
        *d3d = m_d3d;
        m_d3d->AddRef();
        return D3D_OK;
    }
    HRESULT GetDeviceCaps(D3DCAPS9* caps) override {
        if (!caps) return D3DERR_INVALIDCALL;
        *caps = m_adapter.caps;
        caps->DeviceType = m_type;
        caps->AdapterOrdinal = m_ordinal;
        return D3D_OK;
    }
    HRESULT GetDisplayMode(UINT, D3DDISPLAYMODE* mode) override {
        if (!mode) return D3DERR_INVALIDCALL;
        *mode = m_params.Windowed ? m_adapter.desktop
                                  : D3DDISPLAYMODE{m_params.BackBufferWidth, m_params.BackBufferHeight,
                                                   m_params.FullScreen_RefreshRateInHz, m_params.BackBufferFormat};
        return D3D_OK;
    }
    HRESULT SetCursorProperties(UINT, UINT, IDirect3DSurface9* image) override {
        return image ? D3D_OK : D3DERR_INVALIDCALL;
    }
    BOOL ShowCursor(BOOL show) override {
        BOOL old = m_cursorShown;
        m_cursorShown = show;
        return old;
    }
    HRESULT Reset(D3DPRESENT_PARAMETERS* params) override;
    HRESULT Present(const RECT*, const RECT*, HWND, const void*) override;
    HRESULT GetBackBuffer(UINT swapChain, UINT index, D3DBACKBUFFER_TYPE, IDirect3DSurface9** out) override {
        if (!out || swapChain != 0 || index != 0) return D3DERR_INVALIDCALL;
        *out = m_backBuffer;
        m_backBuffer->AddRef();
        return D3D_OK;
    }
    void SetGammaRamp(UINT, DWORD, const D3DGAMMARAMP* ramp) override {
        if (ramp) m_gamma = *ramp;
    }
    void GetGammaRamp(UINT, D3DGAMMARAMP* ramp) override {
        if (ramp) *ramp = m_gamma;
    }
    HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                          IDirect3DTexture9** out, void*) override;
    HRESULT CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool, IDirect3DVertexBuffer9** out,
                               void*) override;
    HRESULT CreateOffscreenPlainSurface(UINT width, UINT height, D3DFORMAT format, D3DPOOL pool,
                                        IDirect3DSurface9** out, void*) override;
    HRESULT StretchRect(IDirect3DSurface9* source, const RECT* sourceRect, IDirect3DSurface9* dest,
                        const RECT* destRect, D3DTEXTUREFILTERTYPE filter) override;
    HRESULT SetRenderTarget(DWORD index, IDirect3DSurface9* target) override;
    HRESULT GetRenderTarget(DWORD index, IDirect3DSurface9** target) override {
        if (!target || index != 0) return D3DERR_INVALIDCALL;
        *target = m_target;
        m_target->AddRef();
        return D3D_OK;
    }
    HRESULT BeginScene() override {
        if (m_inScene) return D3DERR_INVALIDCALL;
        m_inScene = true;
        return D3D_OK;
    }
    HRESULT EndScene() override {
        if (!m_inScene) return D3DERR_INVALIDCALL;
        m_inScene = false;
        return D3D_OK;
    }
    HRESULT Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z, DWORD stencil) override;
    HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) override;
    HRESULT GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) override;
    HRESULT SetViewport(const D3DVIEWPORT9* viewport) override;
    HRESULT GetViewport(D3DVIEWPORT9* viewport) override {
        if (!viewport) return D3DERR_INVALIDCALL;
        *viewport = m_viewport;
        return D3D_OK;
    }
    HRESULT SetMaterial(const D3DMATERIAL9* material) override {
        if (!material) return D3DERR_INVALIDCALL;
        m_material = *material;
        return D3D_OK;
    }
    HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override;
    HRESULT GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) override {
        if (!value || state >= D3DRS_COUNT) return D3DERR_INVALIDCALL;
        *value = m_rs[state];
        return D3D_OK;
    }
    HRESULT GetTexture(DWORD stage, IDirect3DBaseTexture9** texture) override {
        if (!texture || stage >= kStages) return D3DERR_INVALIDCALL;
        *texture = m_textures[stage];
        if (*texture) (*texture)->AddRef();
        return D3D_OK;
    }
    HRESULT SetTexture(DWORD stage, IDirect3DBaseTexture9* texture) override;
    HRESULT GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value) override {
        if (!value || stage >= kStages || type >= D3DTSS_COUNT) return D3DERR_INVALIDCALL;
        *value = m_tss[stage][type];
        return D3D_OK;
    }
    HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) override;
    HRESULT GetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD* value) override {
        if (!value || sampler >= kSamplers || type >= D3DSAMP_COUNT) return D3DERR_INVALIDCALL;
        *value = m_ss[sampler][type];
        return D3D_OK;
    }
    HRESULT SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) override;
    HRESULT DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount) override;
    HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount, const void* vertices, UINT stride) override;
    HRESULT DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, UINT minIndex, UINT numVertices, UINT primitiveCount,
                                   const void* indices, D3DFORMAT indexFormat, const void* vertices,
                                   UINT stride) override;
    HRESULT SetVertexShader(IDirect3DVertexShader9* shader) override {
        return shader ? D3DERR_INVALIDCALL : D3D_OK;  // only the fixed function exists
    }
    HRESULT SetPixelShader(IDirect3DPixelShader9* shader) override { return shader ? D3DERR_INVALIDCALL : D3D_OK; }
    HRESULT SetFVF(DWORD fvf) override {
        m_fvf = fvf;
        return D3D_OK;
    }
    HRESULT GetFVF(DWORD* fvf) override {
        if (!fvf) return D3DERR_INVALIDCALL;
        *fvf = m_fvf;
        return D3D_OK;
    }
    HRESULT SetStreamSource(UINT stream, IDirect3DVertexBuffer9* buffer, UINT offset, UINT stride) override;

    // Layer services.
    void track(ResourceBase* r, bool defaultPool) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_resources.insert(r);
        if (defaultPool) m_defaultPool.insert(r);
    }
    void forget(ResourceBase* r) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_resources.erase(r);
        m_defaultPool.erase(r);
    }
    void queueUpload(TextureImpl* t) {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!t->queued) {
            t->queued = true;
            m_uploads.push_back(t);
        }
    }
    void retireTexture(TextureImpl* t) {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (t->queued) m_uploads.erase(std::remove(m_uploads.begin(), m_uploads.end(), t), m_uploads.end());
        t->queued = false;
        t->takeGlNames(m_deadTextures, m_deadFramebuffers);
    }
    void setLost(bool lost) { m_lost = lost; }
    DeviceStats& stats() { return m_stats; }
    bool readPixels(IDirect3DSurface9* surface, Image& out);

private:
    bool onDrawingThread() const { return std::this_thread::get_id() == m_thread; }
    // Another device's context may have become current on this thread meanwhile.
    void ensureCurrent() {
        if (SDL_GL_GetCurrentContext() != m_context) SDL_GL_MakeCurrent(m_window->sdl, m_context);
    }
    bool makeBackBuffer(UINT width, UINT height);
    void applyPresentation(const D3DPRESENT_PARAMETERS& params);
    void setDefaultStates();
    void processPending();
    void flush();
    PipelineState desiredState();
    void applyState(const PipelineState& want, bool force);
    bool targetOf(SurfaceImpl* s, GLuint& fbo, int& w, int& h);
    HRESULT appendDraw(D3DPRIMITIVETYPE type, UINT primitiveCount, const uint8_t* vertices, size_t available,
                       UINT stride, const uint8_t* indices, bool index32, UINT minIndex, UINT numVertices);
    void pipelineChanging() {
        if (!m_batch.empty()) flush();
    }
    void unbindAll();

    std::atomic<ULONG> m_refs{1};
    IDirect3D9* m_d3d;
    AdapterDesc m_adapter;
    UINT m_ordinal;
    D3DDEVTYPE m_type;
    HWND m_window;
    SDL_GLContext m_context = nullptr;
    std::thread::id m_thread;
    gl::Api m_gl;
    D3DPRESENT_PARAMETERS m_params{};
    bool m_lost = false;
    bool m_inScene = false;
    BOOL m_cursorShown = FALSE;
    D3DGAMMARAMP m_gamma{};
    DeviceStats m_stats;

    // Direct3D state.
    DWORD m_rs[D3DRS_COUNT];
    DWORD m_tss[kStages][D3DTSS_COUNT];
    DWORD m_ss[kSamplers][D3DSAMP_COUNT];
    IDirect3DBaseTexture9* m_textures[kStages] = {};
    D3DVIEWPORT9 m_viewport{};
    D3DMATERIAL9 m_material{};
    D3DMATRIX m_world{}, m_view{}, m_projection{};
    DWORD m_fvf = 0;
    VertexBufferImpl* m_stream = nullptr;
    UINT m_streamOffset = 0, m_streamStride = 0;
    SurfaceImpl* m_backBuffer = nullptr;
    SurfaceImpl* m_target = nullptr;  // holds a reference

    // GL objects.
    GLuint m_program = 0, m_vao = 0, m_vbo = 0, m_sampler = 0, m_white = 0;
    size_t m_vboUsed = 0;  // vertices written into the streaming buffer since it was last renewed
    GLint m_uColor = -1, m_uAlpha = -1, m_uTest = -1;
    GLuint m_bbFramebuffer = 0, m_bbColor = 0, m_bbDepth = 0;
    PipelineState m_applied;
    bool m_appliedValid = false;
    std::vector<BatchVertex> m_batch;
    GLenum m_batchMode = GL_TRIANGLES;
    std::vector<BatchVertex> m_scratch;

    // Shared with other threads.
    std::mutex m_mutex;
    std::set<ResourceBase*> m_resources;
    std::set<ResourceBase*> m_defaultPool;
    std::vector<TextureImpl*> m_uploads;
    std::vector<GLuint> m_deadTextures, m_deadFramebuffers;
};

}  // namespace platform::gfx
