// The Direct3D 9 device on OpenGL 3.3 core. Draws of pre-transformed vertices are converted on
// the CPU and gathered into one batch while the pipeline state stays the same (the texture factor
// travels with each vertex, so changing it does not end a batch); the batch goes to GL when state
// changes or the picture is needed. The back buffer is an offscreen framebuffer that Present copies
// to the window, flipped, because our rows run top to bottom in every render target.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/graphics/gl_device.h"
#include "platform/graphics/window.h"
#include "platform/graphics/window_impl.h"
#include "platform/log_sink.h"

namespace platform::gfx {

bool textureFormatSupported(D3DFORMAT format, DWORD usage);

namespace {

constexpr int kStages = 8;
constexpr GLuint kUnknownName = 0xFFFFFFFFu;  // a binding the shadow state no longer knows
constexpr int kSamplers = 16;

struct BatchVertex {
    float pos[4];
    uint8_t diffuse[4];  // r, g, b, a
    uint8_t factor[4];   // r, g, b, a of the texture factor at the draw
    float uv[2];
};

const char* kVertexShader = R"(#version 330 core
layout(location = 0) in vec4 aPos;
layout(location = 1) in vec4 aDiffuse;
layout(location = 2) in vec4 aFactor;
layout(location = 3) in vec2 aUV;
out vec4 vDiffuse;
out vec4 vFactor;
out vec2 vUV;
void main() {
    vDiffuse = aDiffuse;
    vFactor = aFactor;
    vUV = aUV;
    gl_Position = aPos;
}
)";

// Stage 0 of the fixed-function texture blending, and the alpha test.
const char* kFragmentShader = R"(#version 330 core
in vec4 vDiffuse;
in vec4 vFactor;
in vec2 vUV;
out vec4 fragColor;
uniform sampler2D uTex;
uniform ivec4 uColor;   // op, arg1, arg2, unused
uniform ivec4 uAlpha;   // op, arg1, arg2, unused
uniform ivec4 uTest;    // enabled, function, reference, unused
vec4 arg(int a, vec4 t) {
    int sel = a & 15;
    vec4 v = vDiffuse;
    if (sel == 2) v = t;
    else if (sel == 3) v = vFactor;
    if ((a & 16) != 0) v = vec4(1.0) - v;
    if ((a & 32) != 0) v = vec4(v.a);
    return v;
}
vec4 combine(int op, vec4 a1, vec4 a2) {
    if (op == 2) return a1;
    if (op == 3) return a2;
    if (op == 4) return a1 * a2;
    if (op == 5) return min(a1 * a2 * 2.0, vec4(1.0));
    if (op == 6) return min(a1 * a2 * 4.0, vec4(1.0));
    if (op == 7) return min(a1 + a2, vec4(1.0));
    if (op == 8) return clamp(a1 + a2 - vec4(0.5), 0.0, 1.0);
    if (op == 10) return max(a1 - a2, vec4(0.0));
    return vDiffuse;
}
bool passes(int f, int a, int r) {
    if (f == 1) return false;
    if (f == 2) return a < r;
    if (f == 3) return a == r;
    if (f == 4) return a <= r;
    if (f == 5) return a > r;
    if (f == 6) return a != r;
    if (f == 7) return a >= r;
    return true;
}
void main() {
    vec4 t = texture(uTex, vUV);
    vec4 c = vDiffuse;
    if (uColor.x != 1) {
        c.rgb = combine(uColor.x, arg(uColor.y, t), arg(uColor.z, t)).rgb;
        if (uAlpha.x != 1) c.a = combine(uAlpha.x, arg(uAlpha.y, t), arg(uAlpha.z, t)).a;
    }
    if (uTest.x != 0 && !passes(uTest.y, int(floor(c.a * 255.0 + 0.5)), uTest.z)) discard;
    fragColor = c;
}
)";

GLenum glBlend(DWORD b, bool& usesConstant) {
    switch (b) {
        case D3DBLEND_ZERO: return GL_ZERO;
        case D3DBLEND_ONE: return GL_ONE;
        case D3DBLEND_SRCCOLOR: return GL_SRC_COLOR;
        case D3DBLEND_INVSRCCOLOR: return GL_ONE_MINUS_SRC_COLOR;
        case D3DBLEND_SRCALPHA: return GL_SRC_ALPHA;
        case D3DBLEND_INVSRCALPHA: return GL_ONE_MINUS_SRC_ALPHA;
        case D3DBLEND_DESTALPHA: return GL_DST_ALPHA;
        case D3DBLEND_INVDESTALPHA: return GL_ONE_MINUS_DST_ALPHA;
        case D3DBLEND_DESTCOLOR: return GL_DST_COLOR;
        case D3DBLEND_INVDESTCOLOR: return GL_ONE_MINUS_DST_COLOR;
        case D3DBLEND_SRCALPHASAT: return GL_SRC_ALPHA_SATURATE;
        case D3DBLEND_BLENDFACTOR: usesConstant = true; return GL_CONSTANT_COLOR;
        case D3DBLEND_INVBLENDFACTOR: usesConstant = true; return GL_ONE_MINUS_CONSTANT_COLOR;
        default: return GL_ONE;
    }
}

GLenum glBlendOp(DWORD op) {
    switch (op) {
        case D3DBLENDOP_SUBTRACT: return GL_FUNC_SUBTRACT;
        case D3DBLENDOP_REVSUBTRACT: return GL_FUNC_REVERSE_SUBTRACT;
        case D3DBLENDOP_MIN: return GL_MIN;
        case D3DBLENDOP_MAX: return GL_MAX;
        default: return GL_FUNC_ADD;
    }
}

GLenum glCompare(DWORD f) {
    switch (f) {
        case D3DCMP_NEVER: return GL_NEVER;
        case D3DCMP_LESS: return GL_LESS;
        case D3DCMP_EQUAL: return GL_EQUAL;
        case D3DCMP_LESSEQUAL: return GL_LEQUAL;
        case D3DCMP_GREATER: return GL_GREATER;
        case D3DCMP_NOTEQUAL: return GL_NOTEQUAL;
        case D3DCMP_GREATEREQUAL: return GL_GEQUAL;
        default: return GL_ALWAYS;
    }
}

GLenum glStencilOpOf(DWORD op) {
    switch (op) {
        case D3DSTENCILOP_ZERO: return GL_ZERO;
        case D3DSTENCILOP_REPLACE: return GL_REPLACE;
        case D3DSTENCILOP_INCRSAT: return GL_INCR;
        case D3DSTENCILOP_DECRSAT: return GL_DECR;
        case D3DSTENCILOP_INVERT: return GL_INVERT;
        case D3DSTENCILOP_INCR: return GL_INCR_WRAP;
        case D3DSTENCILOP_DECR: return GL_DECR_WRAP;
        default: return GL_KEEP;
    }
}

GLenum glAddress(DWORD a) {
    switch (a) {
        case D3DTADDRESS_MIRROR: return GL_MIRRORED_REPEAT;
        case D3DTADDRESS_CLAMP: return GL_CLAMP_TO_EDGE;
        case D3DTADDRESS_BORDER: return GL_CLAMP_TO_BORDER;
        case D3DTADDRESS_MIRRORONCE: return GL_CLAMP_TO_EDGE;
        default: return GL_REPEAT;
    }
}

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

}  // namespace

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

// ---- creation ----

DeviceImpl::DeviceImpl(IDirect3D9* d3d, const AdapterDesc& adapter, UINT ordinal, D3DDEVTYPE type, HWND window)
    : m_d3d(d3d), m_adapter(adapter), m_ordinal(ordinal), m_type(type), m_window(window),
      m_thread(std::this_thread::get_id()) {
    m_d3d->AddRef();
    for (int i = 0; i < 256; ++i) m_gamma.red[i] = m_gamma.green[i] = m_gamma.blue[i] = static_cast<WORD>(i * 257);
}

HRESULT DeviceImpl::init(const D3DPRESENT_PARAMETERS& params) {
    m_params = params;
    if (!m_window || !m_window->sdl) return D3DERR_INVALIDCALL;
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    m_context = SDL_GL_CreateContext(m_window->sdl);
    if (!m_context) {
        platform::log("ERROR", std::string("IDirect3D9::CreateDevice: no OpenGL 3.3 context: ") + SDL_GetError());
        return D3DERR_NOTAVAILABLE;
    }
    SDL_GL_MakeCurrent(m_window->sdl, m_context);
    if (!m_gl.load()) return D3DERR_NOTAVAILABLE;
    SDL_GL_SetSwapInterval(params.PresentationInterval == D3DPRESENT_INTERVAL_IMMEDIATE ? 0 : 1);

    auto compile = [&](GLenum kind, const char* source) -> GLuint {
        GLuint s = m_gl.glCreateShader(kind);
        m_gl.glShaderSource(s, 1, &source, nullptr);
        m_gl.glCompileShader(s);
        GLint ok = 0;
        m_gl.glGetShaderiv(s, GL_COMPILE_STATUS, &ok);
        if (!ok) {
            char info[1024] = {};
            m_gl.glGetShaderInfoLog(s, sizeof info - 1, nullptr, info);
            platform::log("ERROR", std::string("IDirect3D9::CreateDevice: shader: ") + info);
        }
        return s;
    };
    GLuint vs = compile(GL_VERTEX_SHADER, kVertexShader);
    GLuint fs = compile(GL_FRAGMENT_SHADER, kFragmentShader);
    m_program = m_gl.glCreateProgram();
    m_gl.glAttachShader(m_program, vs);
    m_gl.glAttachShader(m_program, fs);
    m_gl.glLinkProgram(m_program);
    m_gl.glDeleteShader(vs);
    m_gl.glDeleteShader(fs);
    GLint linked = 0;
    m_gl.glGetProgramiv(m_program, GL_LINK_STATUS, &linked);
    if (!linked) {
        platform::log("ERROR", "IDirect3D9::CreateDevice: the drawing program does not link");
        return D3DERR_NOTAVAILABLE;
    }
    m_gl.glUseProgram(m_program);
    m_gl.glUniform1i(m_gl.glGetUniformLocation(m_program, "uTex"), 0);
    m_uColor = m_gl.glGetUniformLocation(m_program, "uColor");
    m_uAlpha = m_gl.glGetUniformLocation(m_program, "uAlpha");
    m_uTest = m_gl.glGetUniformLocation(m_program, "uTest");

    m_gl.glGenVertexArrays(1, &m_vao);
    m_gl.glBindVertexArray(m_vao);
    m_gl.glGenBuffers(1, &m_vbo);
    m_gl.glBindBuffer(GL_ARRAY_BUFFER, m_vbo);
    const GLsizei stride = sizeof(BatchVertex);
    m_gl.glVertexAttribPointer(0, 4, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(offsetof(BatchVertex, pos)));
    m_gl.glVertexAttribPointer(1, 4, GL_UNSIGNED_BYTE, GL_TRUE, stride,
                               reinterpret_cast<void*>(offsetof(BatchVertex, diffuse)));
    m_gl.glVertexAttribPointer(2, 4, GL_UNSIGNED_BYTE, GL_TRUE, stride,
                               reinterpret_cast<void*>(offsetof(BatchVertex, factor)));
    m_gl.glVertexAttribPointer(3, 2, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(offsetof(BatchVertex, uv)));
    for (GLuint i = 0; i < 4; ++i) m_gl.glEnableVertexAttribArray(i);

    m_gl.glGenSamplers(1, &m_sampler);
    m_gl.glBindSampler(0, m_sampler);
    m_gl.glActiveTexture(GL_TEXTURE0);
    // A stage without a texture reads opaque white.
    m_gl.glGenTextures(1, &m_white);
    m_gl.glBindTexture(GL_TEXTURE_2D, m_white);
    const uint8_t white[4] = {255, 255, 255, 255};
    m_gl.glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, white);
    m_gl.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);

    D3DFORMAT bbFormat = params.BackBufferFormat == D3DFMT_UNKNOWN ? D3DFMT_X8R8G8B8 : params.BackBufferFormat;
    m_params.BackBufferFormat = bbFormat;
    m_backBuffer = new SurfaceImpl(this, SurfaceImpl::Kind::BackBuffer, nullptr, 0, params.BackBufferWidth,
                                   params.BackBufferHeight, bbFormat, D3DPOOL_DEFAULT, D3DUSAGE_RENDERTARGET);
    if (!makeBackBuffer(params.BackBufferWidth, params.BackBufferHeight)) return D3DERR_OUTOFVIDEOMEMORY;
    applyPresentation(m_params);
    m_target = m_backBuffer;
    m_target->AddRef();
    setDefaultStates();
    m_gl.glEnable(GL_SCISSOR_TEST);
    return D3D_OK;
}

DeviceImpl::~DeviceImpl() {
    bool glUsable = m_context && onDrawingThread();
    unbindAll();
    if (m_target) m_target->Release();
    if (!glUsable && m_context)
        platform::log("ERROR", "IDirect3DDevice9::Release: the device went away off its drawing thread");
    if (glUsable) {
        SDL_GL_MakeCurrent(m_window->sdl, m_context);
        processPending();
        GLuint textures[] = {m_white};
        m_gl.glDeleteTextures(1, textures);
        if (m_sampler) m_gl.glDeleteSamplers(1, &m_sampler);
        if (m_vbo) m_gl.glDeleteBuffers(1, &m_vbo);
        if (m_vao) m_gl.glDeleteVertexArrays(1, &m_vao);
        if (m_program) m_gl.glDeleteProgram(m_program);
        if (m_bbFramebuffer) m_gl.glDeleteFramebuffers(1, &m_bbFramebuffer);
        GLuint rbs[] = {m_bbColor, m_bbDepth};
        m_gl.glDeleteRenderbuffers(2, rbs);
        SDL_GL_MakeCurrent(m_window->sdl, nullptr);
        SDL_GL_DeleteContext(m_context);
    }
    delete m_backBuffer;
    m_d3d->Release();
}

bool DeviceImpl::makeBackBuffer(UINT width, UINT height) {
    if (width == 0 || height == 0 || width > 16384 || height > 16384) return false;
    if (!m_bbFramebuffer) {
        m_gl.glGenFramebuffers(1, &m_bbFramebuffer);
        m_gl.glGenRenderbuffers(1, &m_bbColor);
        m_gl.glGenRenderbuffers(1, &m_bbDepth);
    }
    m_gl.glBindRenderbuffer(GL_RENDERBUFFER, m_bbColor);
    m_gl.glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, static_cast<GLsizei>(width), static_cast<GLsizei>(height));
    m_gl.glBindRenderbuffer(GL_RENDERBUFFER, m_bbDepth);
    m_gl.glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, static_cast<GLsizei>(width),
                               static_cast<GLsizei>(height));
    m_gl.glBindFramebuffer(GL_FRAMEBUFFER, m_bbFramebuffer);
    m_gl.glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, m_bbColor);
    m_gl.glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, m_bbDepth);
    bool ok = m_gl.glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    if (!ok) platform::log("ERROR", "IDirect3DDevice9: the back buffer cannot be made");
    m_appliedValid = false;
    m_backBuffer->resize(width, height, m_params.BackBufferFormat);
    return ok;
}

void DeviceImpl::applyPresentation(const D3DPRESENT_PARAMETERS& params) {
    HWND w = m_window;
    w->backBufferWidth = static_cast<int>(params.BackBufferWidth);
    w->backBufferHeight = static_cast<int>(params.BackBufferHeight);
    if (params.Windowed) {
        if (w->fullScreen) SDL_SetWindowFullscreen(w->sdl, 0);
        w->fullScreen = false;
        w->letterboxed = false;
        return;
    }
    // Switch the display mode where the display offers the size, else cover the desktop and
    // letterbox the picture.
    SDL_DisplayMode want{SDL_PIXELFORMAT_UNKNOWN, static_cast<int>(params.BackBufferWidth),
                         static_cast<int>(params.BackBufferHeight), static_cast<int>(params.FullScreen_RefreshRateInHz),
                         nullptr};
    SDL_DisplayMode got;
    int display = SDL_GetWindowDisplayIndex(w->sdl);
    if (display >= 0 && SDL_GetClosestDisplayMode(display, &want, &got) && got.w == want.w && got.h == want.h &&
        SDL_SetWindowDisplayMode(w->sdl, &got) == 0 && SDL_SetWindowFullscreen(w->sdl, SDL_WINDOW_FULLSCREEN) == 0) {
        w->fullScreen = true;
        w->letterboxed = false;
        return;
    }
    if (SDL_SetWindowFullscreen(w->sdl, SDL_WINDOW_FULLSCREEN_DESKTOP) == 0) {
        w->fullScreen = true;
        w->letterboxed = true;
        return;
    }
    platform::log("ERROR", std::string("IDirect3DDevice9: cannot go full screen: ") + SDL_GetError());
    w->fullScreen = false;
    w->letterboxed = false;
}

void DeviceImpl::unbindAll() {
    for (auto& t : m_textures) {
        if (t) t->Release();
        t = nullptr;
    }
    if (m_stream) m_stream->Release();
    m_stream = nullptr;
}

void DeviceImpl::setDefaultStates() {
    std::fill(std::begin(m_rs), std::end(m_rs), 0u);
    m_rs[D3DRS_ZENABLE] = m_params.EnableAutoDepthStencil ? D3DZB_TRUE : D3DZB_FALSE;
    m_rs[D3DRS_FILLMODE] = 3;
    m_rs[D3DRS_SHADEMODE] = 2;
    m_rs[D3DRS_ZWRITEENABLE] = TRUE;
    m_rs[D3DRS_LASTPIXEL] = TRUE;
    m_rs[D3DRS_SRCBLEND] = D3DBLEND_ONE;
    m_rs[D3DRS_DESTBLEND] = D3DBLEND_ZERO;
    m_rs[D3DRS_CULLMODE] = D3DCULL_CCW;
    m_rs[D3DRS_ZFUNC] = D3DCMP_LESSEQUAL;
    m_rs[D3DRS_ALPHAFUNC] = D3DCMP_ALWAYS;
    m_rs[D3DRS_STENCILFAIL] = m_rs[D3DRS_STENCILZFAIL] = m_rs[D3DRS_STENCILPASS] = D3DSTENCILOP_KEEP;
    m_rs[D3DRS_STENCILFUNC] = D3DCMP_ALWAYS;
    m_rs[D3DRS_STENCILMASK] = m_rs[D3DRS_STENCILWRITEMASK] = 0xFFFFFFFF;
    m_rs[D3DRS_TEXTUREFACTOR] = 0xFFFFFFFF;
    m_rs[D3DRS_LIGHTING] = TRUE;
    m_rs[D3DRS_COLORVERTEX] = TRUE;
    m_rs[D3DRS_COLORWRITEENABLE] = 0xF;
    m_rs[D3DRS_BLENDOP] = D3DBLENDOP_ADD;
    m_rs[D3DRS_BLENDFACTOR] = 0xFFFFFFFF;
    for (int s = 0; s < kStages; ++s) {
        std::fill(std::begin(m_tss[s]), std::end(m_tss[s]), 0u);
        m_tss[s][D3DTSS_COLOROP] = s == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
        m_tss[s][D3DTSS_COLORARG1] = D3DTA_TEXTURE;
        m_tss[s][D3DTSS_COLORARG2] = D3DTA_CURRENT;
        m_tss[s][D3DTSS_ALPHAOP] = s == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
        m_tss[s][D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
        m_tss[s][D3DTSS_ALPHAARG2] = D3DTA_CURRENT;
        m_tss[s][D3DTSS_TEXCOORDINDEX] = static_cast<DWORD>(s);
        m_tss[s][D3DTSS_TEXTURETRANSFORMFLAGS] = D3DTTFF_DISABLE;
    }
    for (auto& s : m_ss) {
        std::fill(std::begin(s), std::end(s), 0u);
        s[D3DSAMP_ADDRESSU] = s[D3DSAMP_ADDRESSV] = s[D3DSAMP_ADDRESSW] = D3DTADDRESS_WRAP;
        s[D3DSAMP_MAGFILTER] = s[D3DSAMP_MINFILTER] = D3DTEXF_POINT;
        s[D3DSAMP_MIPFILTER] = D3DTEXF_NONE;
        s[D3DSAMP_MAXANISOTROPY] = 1;
    }
    D3DMATRIX identity{};
    for (int i = 0; i < 4; ++i) identity.m[i][i] = 1.0f;
    m_world = m_view = m_projection = identity;
    m_material = D3DMATERIAL9{};
    m_fvf = 0;
    unbindAll();
    if (m_target != m_backBuffer) {
        if (m_target) m_target->Release();
        m_target = m_backBuffer;
        m_target->AddRef();
    }
    m_viewport = D3DVIEWPORT9{0, 0, m_backBuffer->width(), m_backBuffer->height(), 0.0f, 1.0f};
    m_appliedValid = false;
}

// ---- deferred work and state application ----

void DeviceImpl::processPending() {
    std::vector<TextureImpl*> uploads;
    std::vector<GLuint> deadTextures, deadFramebuffers;
    std::unique_lock<std::mutex> lock(m_mutex);
    if (m_uploads.empty() && m_deadTextures.empty() && m_deadFramebuffers.empty()) return;
    if (!m_batch.empty()) {
        // The pending batch was recorded against the old contents.
        lock.unlock();
        flush();
        lock.lock();
    }
    deadTextures.swap(m_deadTextures);
    deadFramebuffers.swap(m_deadFramebuffers);
    // Uploads run under the lock: a loader thread cannot free or refill a texture meanwhile.
    for (TextureImpl* t : m_uploads) {
        t->queued = false;
        t->upload(m_gl);
        ++m_stats.textureUploads;
    }
    m_uploads.clear();
    lock.unlock();
    if (!deadFramebuffers.empty())
        m_gl.glDeleteFramebuffers(static_cast<GLsizei>(deadFramebuffers.size()), deadFramebuffers.data());
    if (!deadTextures.empty()) m_gl.glDeleteTextures(static_cast<GLsizei>(deadTextures.size()), deadTextures.data());
    m_applied.texture = kUnknownName;  // uploads moved the texture binding
}

bool DeviceImpl::targetOf(SurfaceImpl* s, GLuint& fbo, int& w, int& h) {
    if (!s) return false;
    if (s->kind() == SurfaceImpl::Kind::BackBuffer) {
        fbo = m_bbFramebuffer;
    } else if (s->kind() == SurfaceImpl::Kind::TextureLevel && s->parent()->isRenderTarget()) {
        if (!s->parent()->framebuffer()) {
            // Making it moves the framebuffer and texture bindings.
            m_applied.framebuffer = kUnknownName;
            m_applied.texture = kUnknownName;
        }
        if (!s->parent()->ensureFramebuffer(m_gl, m_bbDepth)) return false;
        fbo = s->parent()->framebuffer();
    } else {
        return false;
    }
    w = static_cast<int>(s->width());
    h = static_cast<int>(s->height());
    return true;
}

PipelineState DeviceImpl::desiredState() {
    PipelineState p;
    targetOf(m_target, p.framebuffer, p.targetW, p.targetH);
    int vx = static_cast<int>(m_viewport.X), vy = static_cast<int>(m_viewport.Y);
    p.scissor[0] = vx;
    p.scissor[1] = vy;
    p.scissor[2] = std::max(0, std::min(static_cast<int>(m_viewport.Width), p.targetW - vx));
    p.scissor[3] = std::max(0, std::min(static_cast<int>(m_viewport.Height), p.targetH - vy));
    bool constant = false;
    p.blend = m_rs[D3DRS_ALPHABLENDENABLE] != 0;
    if (p.blend) {
        DWORD src = m_rs[D3DRS_SRCBLEND], dst = m_rs[D3DRS_DESTBLEND];
        if (src == D3DBLEND_BOTHSRCALPHA) {
            src = D3DBLEND_SRCALPHA;
            dst = D3DBLEND_INVSRCALPHA;
        } else if (src == D3DBLEND_BOTHINVSRCALPHA) {
            src = D3DBLEND_INVSRCALPHA;
            dst = D3DBLEND_SRCALPHA;
        }
        p.src = glBlend(src, constant);
        p.dst = glBlend(dst, constant);
        p.equation = glBlendOp(m_rs[D3DRS_BLENDOP]);
        if (constant) p.blendColor = m_rs[D3DRS_BLENDFACTOR];
    }
    p.depthTest = m_rs[D3DRS_ZENABLE] != 0;
    p.depthWrite = m_rs[D3DRS_ZWRITEENABLE] != 0;
    p.depthFunc = glCompare(m_rs[D3DRS_ZFUNC]);
    p.stencil = m_rs[D3DRS_STENCILENABLE] != 0;
    if (p.stencil) {
        p.stencilFunc = glCompare(m_rs[D3DRS_STENCILFUNC]);
        p.stencilRef = static_cast<GLint>(m_rs[D3DRS_STENCILREF] & 0xFF);
        p.stencilMask = m_rs[D3DRS_STENCILMASK] & 0xFF;
        p.stencilWriteMask = m_rs[D3DRS_STENCILWRITEMASK] & 0xFF;
        p.sfail = glStencilOpOf(m_rs[D3DRS_STENCILFAIL]);
        p.zfail = glStencilOpOf(m_rs[D3DRS_STENCILZFAIL]);
        p.zpass = glStencilOpOf(m_rs[D3DRS_STENCILPASS]);
    }
    p.colorMask = m_rs[D3DRS_COLORWRITEENABLE] & 0xF;
    // Our rows run top down, so a triangle that is clockwise on screen is counter-clockwise to GL.
    p.cull = m_rs[D3DRS_CULLMODE] == D3DCULL_CCW ? GL_BACK : m_rs[D3DRS_CULLMODE] == D3DCULL_CW ? GL_FRONT : 0;
    auto* tex = static_cast<TextureImpl*>(m_textures[0]);
    p.texture = tex && tex->glTexture() ? tex->glTexture() : m_white;
    const DWORD* s = m_ss[0];
    p.wrapS = glAddress(s[D3DSAMP_ADDRESSU]);
    p.wrapT = glAddress(s[D3DSAMP_ADDRESSV]);
    if (s[D3DSAMP_ADDRESSU] == D3DTADDRESS_BORDER || s[D3DSAMP_ADDRESSV] == D3DTADDRESS_BORDER)
        p.border = s[D3DSAMP_BORDERCOLOR];
    bool linearMag = s[D3DSAMP_MAGFILTER] >= D3DTEXF_LINEAR;
    bool linearMin = s[D3DSAMP_MINFILTER] >= D3DTEXF_LINEAR;
    p.magFilter = linearMag ? GL_LINEAR : GL_NEAREST;
    bool mips = tex && tex->GetLevelCount() > 1 && s[D3DSAMP_MIPFILTER] != D3DTEXF_NONE;
    if (!mips) {
        p.minFilter = linearMin ? GL_LINEAR : GL_NEAREST;
    } else if (s[D3DSAMP_MIPFILTER] == D3DTEXF_POINT) {
        p.minFilter = linearMin ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
    } else {
        p.minFilter = linearMin ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
    }
    const DWORD* t = m_tss[0];
    p.color[0] = static_cast<int>(t[D3DTSS_COLOROP]);
    p.color[1] = static_cast<int>(t[D3DTSS_COLORARG1]);
    p.color[2] = static_cast<int>(t[D3DTSS_COLORARG2]);
    p.alpha[0] = static_cast<int>(t[D3DTSS_ALPHAOP]);
    p.alpha[1] = static_cast<int>(t[D3DTSS_ALPHAARG1]);
    p.alpha[2] = static_cast<int>(t[D3DTSS_ALPHAARG2]);
    p.test[0] = m_rs[D3DRS_ALPHATESTENABLE] ? 1 : 0;
    p.test[1] = static_cast<int>(m_rs[D3DRS_ALPHAFUNC]);
    p.test[2] = static_cast<int>(m_rs[D3DRS_ALPHAREF] & 0xFF);
    return p;
}

void DeviceImpl::applyState(const PipelineState& w, bool force) {
    PipelineState& a = m_applied;
    uint64_t& n = m_stats.glStateChanges;
    auto toggle = [&](GLenum cap, bool on) { on ? m_gl.glEnable(cap) : m_gl.glDisable(cap); };
    if (force || a.framebuffer != w.framebuffer) m_gl.glBindFramebuffer(GL_FRAMEBUFFER, w.framebuffer), ++n;
    if (force || a.targetW != w.targetW || a.targetH != w.targetH)
        m_gl.glViewport(0, 0, w.targetW, w.targetH), ++n;
    if (force || !std::equal(a.scissor, a.scissor + 4, w.scissor))
        m_gl.glScissor(w.scissor[0], w.scissor[1], w.scissor[2], w.scissor[3]), ++n;
    if (force || a.blend != w.blend) toggle(GL_BLEND, w.blend), ++n;
    if (force || a.src != w.src || a.dst != w.dst) m_gl.glBlendFunc(w.src, w.dst), ++n;
    if (force || a.equation != w.equation) m_gl.glBlendEquation(w.equation), ++n;
    if (force || a.blendColor != w.blendColor) {
        DWORD c = w.blendColor;
        m_gl.glBlendColor(((c >> 16) & 0xFF) / 255.0f, ((c >> 8) & 0xFF) / 255.0f, (c & 0xFF) / 255.0f,
                          (c >> 24) / 255.0f);
        ++n;
    }
    if (force || a.depthTest != w.depthTest) toggle(GL_DEPTH_TEST, w.depthTest), ++n;
    if (force || a.depthWrite != w.depthWrite) m_gl.glDepthMask(w.depthWrite ? GL_TRUE : GL_FALSE), ++n;
    if (force || a.depthFunc != w.depthFunc) m_gl.glDepthFunc(w.depthFunc), ++n;
    if (force || a.stencil != w.stencil) toggle(GL_STENCIL_TEST, w.stencil), ++n;
    if (force || a.stencilFunc != w.stencilFunc || a.stencilRef != w.stencilRef || a.stencilMask != w.stencilMask)
        m_gl.glStencilFunc(w.stencilFunc, w.stencilRef, w.stencilMask), ++n;
    if (force || a.stencilWriteMask != w.stencilWriteMask) m_gl.glStencilMask(w.stencilWriteMask), ++n;
    if (force || a.sfail != w.sfail || a.zfail != w.zfail || a.zpass != w.zpass)
        m_gl.glStencilOp(w.sfail, w.zfail, w.zpass), ++n;
    if (force || a.colorMask != w.colorMask) {
        m_gl.glColorMask(w.colorMask & 1 ? GL_TRUE : GL_FALSE, w.colorMask & 2 ? GL_TRUE : GL_FALSE,
                         w.colorMask & 4 ? GL_TRUE : GL_FALSE, w.colorMask & 8 ? GL_TRUE : GL_FALSE);
        ++n;
    }
    if (force || a.cull != w.cull) {
        if (w.cull) {
            m_gl.glEnable(GL_CULL_FACE);
            m_gl.glCullFace(w.cull);
        } else {
            m_gl.glDisable(GL_CULL_FACE);
        }
        ++n;
    }
    if (force || a.texture != w.texture) m_gl.glBindTexture(GL_TEXTURE_2D, w.texture), ++n;
    if (force || a.wrapS != w.wrapS) m_gl.glSamplerParameteri(m_sampler, GL_TEXTURE_WRAP_S, GLint(w.wrapS)), ++n;
    if (force || a.wrapT != w.wrapT) m_gl.glSamplerParameteri(m_sampler, GL_TEXTURE_WRAP_T, GLint(w.wrapT)), ++n;
    if (force || a.minFilter != w.minFilter)
        m_gl.glSamplerParameteri(m_sampler, GL_TEXTURE_MIN_FILTER, GLint(w.minFilter)), ++n;
    if (force || a.magFilter != w.magFilter)
        m_gl.glSamplerParameteri(m_sampler, GL_TEXTURE_MAG_FILTER, GLint(w.magFilter)), ++n;
    if (force || a.border != w.border) {
        DWORD c = w.border;
        float f[4] = {((c >> 16) & 0xFF) / 255.0f, ((c >> 8) & 0xFF) / 255.0f, (c & 0xFF) / 255.0f, (c >> 24) / 255.0f};
        m_gl.glSamplerParameterfv(m_sampler, GL_TEXTURE_BORDER_COLOR, f);
        ++n;
    }
    if (force || !std::equal(a.color, a.color + 3, w.color)) m_gl.glUniform4i(m_uColor, w.color[0], w.color[1], w.color[2], 0), ++n;
    if (force || !std::equal(a.alpha, a.alpha + 3, w.alpha)) m_gl.glUniform4i(m_uAlpha, w.alpha[0], w.alpha[1], w.alpha[2], 0), ++n;
    if (force || !std::equal(a.test, a.test + 3, w.test)) m_gl.glUniform4i(m_uTest, w.test[0], w.test[1], w.test[2], 0), ++n;
    m_applied = w;
    m_appliedValid = true;
}

void DeviceImpl::flush() {
    if (m_batch.empty()) return;
    PipelineState want = desiredState();
    applyState(want, !m_appliedValid);
    m_gl.glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(m_batch.size() * sizeof(BatchVertex)), m_batch.data(),
                      GL_STREAM_DRAW);
    m_gl.glDrawArrays(m_batchMode, 0, static_cast<GLsizei>(m_batch.size()));
    ++m_stats.glDrawCalls;
    m_batch.clear();
}

// ---- drawing ----

HRESULT DeviceImpl::appendDraw(D3DPRIMITIVETYPE type, UINT count, const uint8_t* vertices, size_t available,
                               UINT stride, const uint8_t* indices, bool index32, UINT minIndex, UINT numVertices) {
    ++m_stats.drawCalls;
    if (!onDrawingThread()) {
        platform::log("ERROR", "IDirect3DDevice9::DrawPrimitive: called off the drawing thread");
        return D3DERR_INVALIDCALL;
    }
    if (m_lost) return D3D_OK;  // a lost device draws nothing and reports nothing
    if (!(m_fvf & D3DFVF_XYZRHW)) {
        platform::log("ERROR", "IDirect3DDevice9::DrawPrimitive: only pre-transformed vertices are drawn");
        return D3DERR_INVALIDCALL;
    }
    if (count == 0) return D3D_OK;
    UINT perPrim = 0, extra = 0;
    GLenum mode = GL_TRIANGLES;
    switch (type) {
        case D3DPT_POINTLIST: perPrim = 1; mode = GL_POINTS; break;
        case D3DPT_LINELIST: perPrim = 2; mode = GL_LINES; break;
        case D3DPT_LINESTRIP: perPrim = 1; extra = 1; mode = GL_LINES; break;
        case D3DPT_TRIANGLELIST: perPrim = 3; break;
        case D3DPT_TRIANGLESTRIP:
        case D3DPT_TRIANGLEFAN: perPrim = 1; extra = 2; break;
        default: return D3DERR_INVALIDCALL;
    }
    uint64_t needed = static_cast<uint64_t>(count) * perPrim + extra;
    if (needed > (1u << 24)) return D3DERR_INVALIDCALL;
    UINT vsize = 16 + ((m_fvf & D3DFVF_DIFFUSE) ? 4 : 0) + ((m_fvf & D3DFVF_SPECULAR) ? 4 : 0);
    UINT texCount = (m_fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT;
    vsize += texCount * 8;
    if (stride < vsize) return D3DERR_INVALIDCALL;
    UINT sourceCount = indices ? minIndex + numVertices : static_cast<UINT>(needed);
    if (!vertices || static_cast<uint64_t>(sourceCount - (sourceCount ? 1 : 0)) * stride + vsize > available)
        return D3DERR_INVALIDCALL;

    processPending();
    if (!m_batch.empty() && m_batchMode != mode) flush();
    m_batchMode = mode;

    // Convert each source vertex once.
    int tw = 1, th = 1;
    GLuint fbo;
    if (!targetOf(m_target, fbo, tw, th)) return D3DERR_INVALIDCALL;
    DWORD tf = m_rs[D3DRS_TEXTUREFACTOR];
    uint8_t factor[4] = {uint8_t(tf >> 16), uint8_t(tf >> 8), uint8_t(tf), uint8_t(tf >> 24)};
    m_scratch.resize(sourceCount);
    UINT diffuseAt = 16;
    UINT texAt = 16 + ((m_fvf & D3DFVF_DIFFUSE) ? 4 : 0) + ((m_fvf & D3DFVF_SPECULAR) ? 4 : 0);
    for (UINT i = 0; i < sourceCount; ++i) {
        const uint8_t* v = vertices + static_cast<size_t>(i) * stride;
        float p[4];
        std::memcpy(p, v, 16);
        BatchVertex& b = m_scratch[i];
        float w = (p[3] != 0.0f && std::isfinite(p[3])) ? 1.0f / p[3] : 1.0f;
        // Direct3D 9 samples at integer pixel positions, GL at half pixels.
        b.pos[0] = ((p[0] + 0.5f) * 2.0f / static_cast<float>(tw) - 1.0f) * w;
        b.pos[1] = ((p[1] + 0.5f) * 2.0f / static_cast<float>(th) - 1.0f) * w;
        b.pos[2] = (p[2] * 2.0f - 1.0f) * w;
        b.pos[3] = w;
        DWORD c = 0xFFFFFFFF;
        if (m_fvf & D3DFVF_DIFFUSE) std::memcpy(&c, v + diffuseAt, 4);
        b.diffuse[0] = uint8_t(c >> 16);
        b.diffuse[1] = uint8_t(c >> 8);
        b.diffuse[2] = uint8_t(c);
        b.diffuse[3] = uint8_t(c >> 24);
        std::memcpy(b.factor, factor, 4);
        if (texCount > 0) {
            std::memcpy(b.uv, v + texAt, 8);
        } else {
            b.uv[0] = b.uv[1] = 0.0f;
        }
    }
    auto indexAt = [&](UINT k) -> UINT {
        if (!indices) return k;
        if (index32) {
            uint32_t x;
            std::memcpy(&x, indices + static_cast<size_t>(k) * 4, 4);
            return x;
        }
        uint16_t x;
        std::memcpy(&x, indices + static_cast<size_t>(k) * 2, 2);
        return x;
    };
    auto push = [&](UINT k) -> bool {
        UINT i = indexAt(k);
        if (i >= sourceCount) return false;
        m_batch.push_back(m_scratch[i]);
        return true;
    };
    size_t before = m_batch.size();
    bool ok = true;
    switch (type) {
        case D3DPT_TRIANGLESTRIP:
            for (UINT t = 0; t < count && ok; ++t) {
                // Every second triangle of a strip is wound the other way; restore its order.
                if (t & 1) ok = push(t + 1) && push(t) && push(t + 2);
                else ok = push(t) && push(t + 1) && push(t + 2);
            }
            break;
        case D3DPT_TRIANGLEFAN:
            for (UINT t = 0; t < count && ok; ++t) ok = push(0) && push(t + 1) && push(t + 2);
            break;
        case D3DPT_LINESTRIP:
            for (UINT t = 0; t < count && ok; ++t) ok = push(t) && push(t + 1);
            break;
        default:
            for (UINT k = 0; k < needed && ok; ++k) ok = push(k);
            break;
    }
    if (!ok) {
        m_batch.resize(before);
        platform::log("ERROR", "IDirect3DDevice9::DrawIndexedPrimitiveUP: an index lies outside the vertices");
        return D3DERR_INVALIDCALL;
    }
    return D3D_OK;
}

HRESULT DeviceImpl::DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount) {
    if (!m_stream) return D3DERR_INVALIDCALL;
    const auto& bytes = m_stream->bytes();
    size_t start = m_streamOffset + static_cast<size_t>(startVertex) * m_streamStride;
    if (start > bytes.size()) return D3DERR_INVALIDCALL;
    return appendDraw(type, primitiveCount, bytes.data() + start, bytes.size() - start, m_streamStride, nullptr,
                      false, 0, 0);
}

HRESULT DeviceImpl::DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount, const void* vertices, UINT stride) {
    // The caller's array holds exactly the vertices the primitives need.
    UINT per = type == D3DPT_TRIANGLELIST ? 3 : type == D3DPT_LINELIST ? 2 : 1;
    UINT extra = (type == D3DPT_TRIANGLESTRIP || type == D3DPT_TRIANGLEFAN) ? 2 : type == D3DPT_LINESTRIP ? 1 : 0;
    size_t available = (static_cast<size_t>(primitiveCount) * per + extra) * stride;
    return appendDraw(type, primitiveCount, static_cast<const uint8_t*>(vertices), available, stride, nullptr, false,
                      0, 0);
}

HRESULT DeviceImpl::DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, UINT minIndex, UINT numVertices,
                                           UINT primitiveCount, const void* indices, D3DFORMAT indexFormat,
                                           const void* vertices, UINT stride) {
    if (!indices || (indexFormat != D3DFMT_INDEX16 && indexFormat != D3DFMT_INDEX32)) return D3DERR_INVALIDCALL;
    if (numVertices == 0 || static_cast<uint64_t>(minIndex) + numVertices > (1u << 24)) return D3DERR_INVALIDCALL;
    size_t available = static_cast<size_t>(minIndex + numVertices) * stride;
    return appendDraw(type, primitiveCount, static_cast<const uint8_t*>(vertices), available, stride,
                      static_cast<const uint8_t*>(indices), indexFormat == D3DFMT_INDEX32, minIndex, numVertices);
}

HRESULT DeviceImpl::SetStreamSource(UINT stream, IDirect3DVertexBuffer9* buffer, UINT offset, UINT stride) {
    if (stream != 0) return D3DERR_INVALIDCALL;
    auto* vb = static_cast<VertexBufferImpl*>(buffer);
    if (vb) vb->AddRef();
    if (m_stream) m_stream->Release();
    m_stream = vb;
    m_streamOffset = offset;
    m_streamStride = stride;
    return D3D_OK;
}

// ---- state ----

HRESULT DeviceImpl::SetRenderState(D3DRENDERSTATETYPE state, DWORD value) {
    ++m_stats.renderStateCalls;
    if (state >= D3DRS_COUNT) return D3DERR_INVALIDCALL;
    if (m_rs[state] == value) return D3D_OK;
    // The texture factor rides with each vertex; everything else ends the batch.
    if (state != D3DRS_TEXTUREFACTOR) pipelineChanging();
    m_rs[state] = value;
    return D3D_OK;
}

HRESULT DeviceImpl::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) {
    ++m_stats.stageStateCalls;
    if (stage >= kStages || type >= D3DTSS_COUNT) return D3DERR_INVALIDCALL;
    if (m_tss[stage][type] == value) return D3D_OK;
    if (stage == 0) pipelineChanging();
    m_tss[stage][type] = value;
    return D3D_OK;
}

HRESULT DeviceImpl::SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) {
    ++m_stats.samplerStateCalls;
    if (sampler >= kSamplers || type >= D3DSAMP_COUNT) return D3DERR_INVALIDCALL;
    if (m_ss[sampler][type] == value) return D3D_OK;
    if (sampler == 0) pipelineChanging();
    m_ss[sampler][type] = value;
    return D3D_OK;
}

HRESULT DeviceImpl::SetTexture(DWORD stage, IDirect3DBaseTexture9* texture) {
    if (stage >= kStages) return D3DERR_INVALIDCALL;
    if (m_textures[stage] == texture) return D3D_OK;
    if (texture && texture->GetType() != D3DRTYPE_TEXTURE) return D3DERR_INVALIDCALL;
    if (stage == 0) pipelineChanging();
    if (texture) texture->AddRef();
    if (m_textures[stage]) m_textures[stage]->Release();
    m_textures[stage] = texture;
    return D3D_OK;
}

HRESULT DeviceImpl::SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) {
    ++m_stats.transformCalls;
    if (!matrix) return D3DERR_INVALIDCALL;
    // Only pre-transformed vertices are drawn; the transforms are kept for readers.
    if (state == D3DTS_WORLD) m_world = *matrix;
    else if (state == D3DTS_VIEW) m_view = *matrix;
    else if (state == D3DTS_PROJECTION) m_projection = *matrix;
    return D3D_OK;
}

HRESULT DeviceImpl::GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) {
    if (!matrix) return D3DERR_INVALIDCALL;
    *matrix = state == D3DTS_WORLD ? m_world : state == D3DTS_VIEW ? m_view : m_projection;
    return D3D_OK;
}

HRESULT DeviceImpl::SetViewport(const D3DVIEWPORT9* viewport) {
    if (!viewport) return D3DERR_INVALIDCALL;
    if (viewport->X + static_cast<uint64_t>(viewport->Width) > m_target->width() ||
        viewport->Y + static_cast<uint64_t>(viewport->Height) > m_target->height())
        return D3DERR_INVALIDCALL;
    if (std::memcmp(&m_viewport, viewport, sizeof m_viewport) == 0) return D3D_OK;
    pipelineChanging();
    m_viewport = *viewport;
    return D3D_OK;
}

HRESULT DeviceImpl::SetRenderTarget(DWORD index, IDirect3DSurface9* target) {
    if (index != 0 || !target) return D3DERR_INVALIDCALL;
    auto* s = static_cast<SurfaceImpl*>(target);
    if (s->kind() != SurfaceImpl::Kind::BackBuffer &&
        !(s->kind() == SurfaceImpl::Kind::TextureLevel && s->parent()->isRenderTarget()))
        return D3DERR_INVALIDCALL;
    if (!onDrawingThread()) return D3DERR_INVALIDCALL;
    pipelineChanging();
    s->AddRef();
    m_target->Release();
    m_target = s;
    // As Direct3D 9 does, a new render target resets the viewport to the whole target.
    m_viewport = D3DVIEWPORT9{0, 0, s->width(), s->height(), 0.0f, 1.0f};
    return D3D_OK;
}

HRESULT DeviceImpl::Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z, DWORD stencil) {
    if (!onDrawingThread()) return D3DERR_INVALIDCALL;
    if ((flags & (D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)) == 0) return D3DERR_INVALIDCALL;
    if (count > 0 && !rects) return D3DERR_INVALIDCALL;
    if (m_lost) return D3D_OK;
    processPending();
    flush();
    PipelineState want = desiredState();
    applyState(want, !m_appliedValid);
    // Clearing ignores the write masks, as Direct3D 9 does.
    m_gl.glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    m_gl.glDepthMask(GL_TRUE);
    m_gl.glStencilMask(0xFF);
    m_gl.glClearColor(((color >> 16) & 0xFF) / 255.0f, ((color >> 8) & 0xFF) / 255.0f, (color & 0xFF) / 255.0f,
                      (color >> 24) / 255.0f);
    m_gl.glClearDepth(std::clamp(z, 0.0f, 1.0f));
    m_gl.glClearStencil(static_cast<GLint>(stencil & 0xFF));
    GLbitfield bits = 0;
    if (flags & D3DCLEAR_TARGET) bits |= GL_COLOR_BUFFER_BIT;
    if (flags & D3DCLEAR_ZBUFFER) bits |= GL_DEPTH_BUFFER_BIT;
    if (flags & D3DCLEAR_STENCIL) bits |= GL_STENCIL_BUFFER_BIT;
    const int* vp = want.scissor;
    auto clearRect = [&](int x1, int y1, int x2, int y2) {
        x1 = std::max(x1, vp[0]);
        y1 = std::max(y1, vp[1]);
        x2 = std::min(x2, vp[0] + vp[2]);
        y2 = std::min(y2, vp[1] + vp[3]);
        if (x2 <= x1 || y2 <= y1) return;
        m_gl.glScissor(x1, y1, x2 - x1, y2 - y1);
        m_gl.glClear(bits);
    };
    if (count == 0) {
        clearRect(vp[0], vp[1], vp[0] + vp[2], vp[1] + vp[3]);
    } else {
        for (DWORD i = 0; i < count; ++i) clearRect(rects[i].x1, rects[i].y1, rects[i].x2, rects[i].y2);
    }
    // Put back what the state shadow says.
    m_applied.colorMask = 0xF;
    m_applied.depthWrite = true;
    m_applied.stencilWriteMask = 0xFF;
    m_applied.scissor[0] = -1;
    return D3D_OK;
}

HRESULT DeviceImpl::StretchRect(IDirect3DSurface9* source, const RECT* sourceRect, IDirect3DSurface9* dest,
                                const RECT* destRect, D3DTEXTUREFILTERTYPE filter) {
    if (!source || !dest || source == dest || !onDrawingThread()) return D3DERR_INVALIDCALL;
    GLuint srcFbo, dstFbo;
    int sw, sh, dw, dh;
    processPending();
    flush();
    if (!targetOf(static_cast<SurfaceImpl*>(source), srcFbo, sw, sh) ||
        !targetOf(static_cast<SurfaceImpl*>(dest), dstFbo, dw, dh))
        return D3DERR_INVALIDCALL;
    RECT s = sourceRect ? *sourceRect : RECT{0, 0, sw, sh};
    RECT d = destRect ? *destRect : RECT{0, 0, dw, dh};
    if (s.left < 0 || s.top < 0 || s.right > sw || s.bottom > sh || s.left >= s.right || s.top >= s.bottom ||
        d.left < 0 || d.top < 0 || d.right > dw || d.bottom > dh || d.left >= d.right || d.top >= d.bottom)
        return D3DERR_INVALIDCALL;
    if (m_lost) return D3D_OK;
    m_gl.glDisable(GL_SCISSOR_TEST);
    m_gl.glBindFramebuffer(GL_READ_FRAMEBUFFER, srcFbo);
    m_gl.glBindFramebuffer(GL_DRAW_FRAMEBUFFER, dstFbo);
    m_gl.glBlitFramebuffer(s.left, s.top, s.right, s.bottom, d.left, d.top, d.right, d.bottom, GL_COLOR_BUFFER_BIT,
                           filter >= D3DTEXF_LINEAR ? GL_LINEAR : GL_NEAREST);
    m_gl.glEnable(GL_SCISSOR_TEST);
    m_applied.framebuffer = kUnknownName;
    return D3D_OK;
}

HRESULT DeviceImpl::Present(const RECT*, const RECT*, HWND, const void*) {
    if (!onDrawingThread()) return D3DERR_INVALIDCALL;
    if (m_lost) return D3DERR_DEVICELOST;
    processPending();
    flush();
    int ww = 0, wh = 0;
    SDL_GL_GetDrawableSize(m_window->sdl, &ww, &wh);
    int box[4];
    int bw = static_cast<int>(m_backBuffer->width()), bh = static_cast<int>(m_backBuffer->height());
    letterbox(ww, wh, bw, bh, box);
    if (!m_window->letterboxed) box[0] = box[1] = 0, box[2] = ww, box[3] = wh;
    m_gl.glDisable(GL_SCISSOR_TEST);
    m_gl.glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    if (box[2] != ww || box[3] != wh) {
        m_gl.glClearColor(0, 0, 0, 1);
        m_gl.glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        m_gl.glClear(GL_COLOR_BUFFER_BIT);
    }
    m_gl.glBindFramebuffer(GL_READ_FRAMEBUFFER, m_bbFramebuffer);
    // Our row 0 is the top; the window's row 0 is the bottom.
    m_gl.glBlitFramebuffer(0, 0, bw, bh, box[0], box[1] + box[3], box[0] + box[2], box[1], GL_COLOR_BUFFER_BIT,
                           (box[2] == bw && box[3] == bh) ? GL_NEAREST : GL_LINEAR);
    m_gl.glEnable(GL_SCISSOR_TEST);
    m_applied.framebuffer = kUnknownName;
    m_applied.colorMask = 0xF;
    SDL_GL_SwapWindow(m_window->sdl);
    return D3D_OK;
}

HRESULT DeviceImpl::Reset(D3DPRESENT_PARAMETERS* params) {
    if (!params || !onDrawingThread()) return D3DERR_INVALIDCALL;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        for (ResourceBase* r : m_defaultPool) {
            // The device's own bindings do not keep a resource alive; the reset drops them.
            ULONG bound = 0;
            for (auto* t : m_textures) bound += (t && dynamic_cast<ResourceBase*>(t) == r) ? 1 : 0;
            if (m_stream && static_cast<ResourceBase*>(m_stream) == r) ++bound;
            if (m_target && m_target->kind() == SurfaceImpl::Kind::TextureLevel &&
                static_cast<ResourceBase*>(m_target->parent()) == r)
                ++bound;
            if (r->references() <= bound) continue;
            platform::log("ERROR", "IDirect3DDevice9::Reset: a default-pool resource is still alive: " + r->describe());
            return D3DERR_INVALIDCALL;
        }
    }
    // References the caller holds on the back buffer also keep the device from resetting; the
    // device's own and the render target binding account for two.
    ULONG own = 1 + (m_target == m_backBuffer ? 1 : 0);
    if (m_backBuffer->refCount() > own) {
        platform::log("ERROR", "IDirect3DDevice9::Reset: a default-pool resource is still alive: " +
                                   m_backBuffer->describe());
        return D3DERR_INVALIDCALL;
    }
    if (FAILED(faults().resetResult)) return faults().resetResult;
    if (params->BackBufferWidth == 0 || params->BackBufferHeight == 0) return D3DERR_INVALIDCALL;
    m_batch.clear();
    D3DPRESENT_PARAMETERS p = *params;
    if (p.BackBufferFormat == D3DFMT_UNKNOWN) p.BackBufferFormat = D3DFMT_X8R8G8B8;
    m_params = p;
    if (!makeBackBuffer(p.BackBufferWidth, p.BackBufferHeight)) return D3DERR_OUTOFVIDEOMEMORY;
    applyPresentation(p);
    SDL_GL_SetSwapInterval(p.PresentationInterval == D3DPRESENT_INTERVAL_IMMEDIATE ? 0 : 1);
    setDefaultStates();
    m_inScene = false;
    m_lost = false;
    return D3D_OK;
}

HRESULT DeviceImpl::CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                  IDirect3DTexture9** out, void*) {
    if (!out) return D3DERR_INVALIDCALL;
    *out = nullptr;
    if (width == 0 || height == 0 || width > 8192 || height > 8192) return D3DERR_INVALIDCALL;
    if (!textureFormatSupported(format, usage)) return D3DERR_INVALIDCALL;
    if ((usage & D3DUSAGE_RENDERTARGET) && pool != D3DPOOL_DEFAULT) return D3DERR_INVALIDCALL;
    if (pool == D3DPOOL_SCRATCH && (usage & D3DUSAGE_RENDERTARGET)) return D3DERR_INVALIDCALL;
    *out = new TextureImpl(this, width, height, levels, usage, format, pool);
    return D3D_OK;
}

HRESULT DeviceImpl::CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                       IDirect3DVertexBuffer9** out, void*) {
    if (!out) return D3DERR_INVALIDCALL;
    *out = nullptr;
    if (length == 0 || length > (256u << 20)) return D3DERR_INVALIDCALL;
    *out = new VertexBufferImpl(this, length, usage, fvf, pool);
    return D3D_OK;
}

HRESULT DeviceImpl::CreateOffscreenPlainSurface(UINT width, UINT height, D3DFORMAT format, D3DPOOL pool,
                                                IDirect3DSurface9** out, void*) {
    if (!out) return D3DERR_INVALIDCALL;
    *out = nullptr;
    if (width == 0 || height == 0 || width > 8192 || height > 8192 || formatBytes(format) == 0)
        return D3DERR_INVALIDCALL;
    *out = new SurfaceImpl(this, SurfaceImpl::Kind::Plain, nullptr, 0, width, height, format, pool, 0);
    return D3D_OK;
}

bool DeviceImpl::readPixels(IDirect3DSurface9* surface, Image& out) {
    if (!onDrawingThread() || m_lost) return false;
    auto* s = surface ? static_cast<SurfaceImpl*>(surface) : m_target;
    processPending();
    flush();
    GLuint fbo;
    int w, h;
    if (!targetOf(s, fbo, w, h)) return false;
    out.width = w;
    out.height = h;
    out.pixels.assign(static_cast<size_t>(w) * h * 4, 0);
    m_gl.glBindFramebuffer(GL_READ_FRAMEBUFFER, fbo);
    m_gl.glPixelStorei(GL_PACK_ALIGNMENT, 1);
    m_gl.glReadPixels(0, 0, w, h, GL_BGRA, GL_UNSIGNED_BYTE, out.pixels.data());
    return true;
}

// ---- glue ----

HRESULT createDevice(IDirect3D9* d3d, const AdapterDesc& adapter, UINT ordinal, D3DDEVTYPE type, HWND window,
                     DWORD, D3DPRESENT_PARAMETERS* params, IDirect3DDevice9** out) {
    auto* device = new DeviceImpl(d3d, adapter, ordinal, type, window);
    HRESULT hr = device->init(*params);
    if (FAILED(hr)) {
        device->Release();
        return hr;
    }
    *out = device;
    return D3D_OK;
}

DeviceImpl* asDeviceImpl(IDirect3DDevice9* device) { return dynamic_cast<DeviceImpl*>(device); }
void deviceTrack(DeviceImpl* d, ResourceBase* r, bool defaultPool) { d->track(r, defaultPool); }
void deviceForget(DeviceImpl* d, ResourceBase* r) { d->forget(r); }
void deviceQueueUpload(DeviceImpl* d, TextureImpl* t) { d->queueUpload(t); }
void deviceRetireTexture(DeviceImpl* d, TextureImpl* t) { d->retireTexture(t); }
void deviceAddRef(DeviceImpl* d) { d->AddRef(); }
void deviceRelease(DeviceImpl* d) { d->Release(); }
IDirect3DDevice9* deviceInterface(DeviceImpl* d) { return d; }

void setDeviceLost(IDirect3DDevice9* device, bool lost) {
    if (DeviceImpl* d = asDeviceImpl(device)) d->setLost(lost);
}

DeviceStats deviceStats(IDirect3DDevice9* device) {
    DeviceImpl* d = asDeviceImpl(device);
    return d ? d->stats() : DeviceStats{};
}

void resetStats(IDirect3DDevice9* device) {
    if (DeviceImpl* d = asDeviceImpl(device)) d->stats() = DeviceStats{};
}

bool readRenderTarget(IDirect3DDevice9* device, IDirect3DSurface9* surface, Image& out) {
    DeviceImpl* d = asDeviceImpl(device);
    return d && d->readPixels(surface, out);
}

}  // namespace platform::gfx
