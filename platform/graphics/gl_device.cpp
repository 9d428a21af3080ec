// The Direct3D 9 device on OpenGL 3.3 core: creation, reset, presentation, resources and state.
// The back buffer is an offscreen framebuffer that Present copies to the window, flipped, because
// our rows run top to bottom in every render target.
#include "platform/graphics/internal/gl_device_impl.h"

namespace platform::gfx {

namespace {

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

}  // namespace

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
    // New buffers start black, at the far depth and with a clear stencil, as Direct3D's do.
    m_gl.glDisable(GL_SCISSOR_TEST);
    m_gl.glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    m_gl.glDepthMask(GL_TRUE);
    m_gl.glStencilMask(0xFF);
    m_gl.glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    m_gl.glClearDepth(1.0);
    m_gl.glClearStencil(0);
    m_gl.glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    m_gl.glEnable(GL_SCISSOR_TEST);
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
    ensureCurrent();
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
