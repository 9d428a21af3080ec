// Textures, surfaces and vertex buffers: CPU copies recorded on any thread, GL objects made and
// filled on the drawing thread only.
#include <algorithm>
#include <cstring>
#include <sstream>

#include "platform/graphics/internal/gl_device.h"
#include "platform/log_sink.h"

namespace platform::gfx {

namespace {

struct GlFormat {
    GLenum internal, format, type;
    GLint swizzle[4];
};

bool glFormatOf(D3DFORMAT f, GlFormat& out) {
    const GLint rgba[4] = {GL_RED, GL_GREEN, GL_BLUE, GL_ALPHA};
    auto set = [&](GLenum i, GLenum fm, GLenum t, const GLint* s) {
        out.internal = i;
        out.format = fm;
        out.type = t;
        std::copy(s, s + 4, out.swizzle);
        return true;
    };
    const GLint opaque[4] = {GL_RED, GL_GREEN, GL_BLUE, GL_ONE};
    const GLint alphaOnly[4] = {GL_ZERO, GL_ZERO, GL_ZERO, GL_RED};
    const GLint lum[4] = {GL_RED, GL_RED, GL_RED, GL_ONE};
    const GLint lumAlpha[4] = {GL_RED, GL_RED, GL_RED, GL_GREEN};
    switch (f) {
        case D3DFMT_A8R8G8B8: return set(GL_RGBA8, GL_BGRA, GL_UNSIGNED_BYTE, rgba);
        case D3DFMT_X8R8G8B8: return set(GL_RGBA8, GL_BGRA, GL_UNSIGNED_BYTE, opaque);
        case D3DFMT_A8B8G8R8: return set(GL_RGBA8, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
        case D3DFMT_X8B8G8R8: return set(GL_RGBA8, GL_RGBA, GL_UNSIGNED_BYTE, opaque);
        case D3DFMT_A8: return set(GL_R8, GL_RED, GL_UNSIGNED_BYTE, alphaOnly);
        case D3DFMT_L8: return set(GL_R8, GL_RED, GL_UNSIGNED_BYTE, lum);
        case D3DFMT_A8L8: return set(GL_RG8, GL_RG, GL_UNSIGNED_BYTE, lumAlpha);
        case D3DFMT_R5G6B5: return set(GL_RGB8, GL_RGB, GL_UNSIGNED_SHORT_5_6_5, opaque);
        case D3DFMT_A1R5G5B5: return set(GL_RGBA8, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV, rgba);
        case D3DFMT_X1R5G5B5: return set(GL_RGBA8, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV, opaque);
        case D3DFMT_A4R4G4B4: return set(GL_RGBA8, GL_BGRA, GL_UNSIGNED_SHORT_4_4_4_4_REV, rgba);
        default: return false;
    }
}

bool isRenderTargetFormat(D3DFORMAT f) {
    return f == D3DFMT_A8R8G8B8 || f == D3DFMT_X8R8G8B8 || f == D3DFMT_A8B8G8R8 || f == D3DFMT_X8B8G8R8;
}

}  // namespace

UINT formatBytes(D3DFORMAT format) {
    switch (format) {
        case D3DFMT_A8R8G8B8:
        case D3DFMT_X8R8G8B8:
        case D3DFMT_A8B8G8R8:
        case D3DFMT_X8B8G8R8: return 4;
        case D3DFMT_A8L8:
        case D3DFMT_R5G6B5:
        case D3DFMT_A1R5G5B5:
        case D3DFMT_X1R5G5B5:
        case D3DFMT_A4R4G4B4: return 2;
        case D3DFMT_A8:
        case D3DFMT_L8: return 1;
        default: return 0;
    }
}

bool textureFormatSupported(D3DFORMAT format, DWORD usage) {
    GlFormat g;
    if (!glFormatOf(format, g)) return false;
    return !(usage & D3DUSAGE_RENDERTARGET) || isRenderTargetFormat(format);
}

// ---- surfaces ----

SurfaceImpl::SurfaceImpl(DeviceImpl* device, Kind kind, TextureImpl* parent, UINT level, UINT width, UINT height,
                         D3DFORMAT format, D3DPOOL pool, DWORD usage)
    : m_device(device), m_kind(kind), m_parent(parent), m_level(level), m_width(width), m_height(height),
      m_format(format), m_pool(pool), m_usage(usage) {
    if (kind == Kind::Plain) {
        m_bits.assign(static_cast<size_t>(width) * height * formatBytes(format), 0);
        deviceAddRef(m_device);
        deviceTrack(m_device, this, pool == D3DPOOL_DEFAULT);
    }
}

SurfaceImpl::~SurfaceImpl() = default;

ULONG SurfaceImpl::AddRef() {
    if (m_kind == Kind::TextureLevel) return m_parent->AddRef();
    return ++m_refs;
}

ULONG SurfaceImpl::Release() {
    if (m_kind == Kind::TextureLevel) return m_parent->Release();
    ULONG left = --m_refs;
    if (left == 0) {
        // The back buffer belongs to its device, which holds the first reference.
        if (m_kind == Kind::Plain) {
            DeviceImpl* device = m_device;
            deviceForget(device, this);
            delete this;
            deviceRelease(device);
        }
    }
    return left;
}

HRESULT SurfaceImpl::GetDevice(IDirect3DDevice9** device) {
    if (!device) return D3DERR_INVALIDCALL;
    *device = deviceInterface(m_device);
    (*device)->AddRef();
    return D3D_OK;
}

HRESULT SurfaceImpl::GetDesc(D3DSURFACE_DESC* desc) {
    if (!desc) return D3DERR_INVALIDCALL;
    *desc = D3DSURFACE_DESC{m_format, D3DRTYPE_SURFACE, m_usage, m_pool, D3DMULTISAMPLE_NONE, 0, m_width, m_height};
    return D3D_OK;
}

uint8_t* SurfaceImpl::bits() {
    if (m_kind == Kind::Plain) return m_bits.empty() ? nullptr : m_bits.data();
    if (m_kind == Kind::TextureLevel) {
        auto& lv = m_parent->levels()[m_level];
        return lv.bits.empty() ? nullptr : lv.bits.data();
    }
    return nullptr;
}

HRESULT SurfaceImpl::LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) {
    if (m_kind == Kind::TextureLevel) return m_parent->LockRect(m_level, locked, rect, flags);
    uint8_t* data = bits();
    if (!locked || !data || m_locked) return D3DERR_INVALIDCALL;
    UINT bpp = formatBytes(m_format);
    size_t offset = 0;
    if (rect) {
        if (rect->left < 0 || rect->top < 0 || rect->right > LONG(m_width) || rect->bottom > LONG(m_height) ||
            rect->left >= rect->right || rect->top >= rect->bottom)
            return D3DERR_INVALIDCALL;
        offset = static_cast<size_t>(rect->top) * pitch() + static_cast<size_t>(rect->left) * bpp;
    }
    locked->Pitch = static_cast<int>(pitch());
    locked->pBits = data + offset;
    m_locked = true;
    return D3D_OK;
}

HRESULT SurfaceImpl::UnlockRect() {
    if (m_kind == Kind::TextureLevel) return m_parent->UnlockRect(m_level);
    if (!m_locked) return D3DERR_INVALIDCALL;
    m_locked = false;
    return D3D_OK;
}

void SurfaceImpl::resize(UINT width, UINT height, D3DFORMAT format) {
    m_width = width;
    m_height = height;
    m_format = format;
}

std::string SurfaceImpl::describe() const {
    std::ostringstream s;
    s << (m_kind == Kind::BackBuffer ? "back buffer " : "surface ") << m_width << "x" << m_height << " format "
      << m_format << " pool " << m_pool;
    return s.str();
}

// ---- textures ----

TextureImpl::TextureImpl(DeviceImpl* device, UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                         D3DPOOL pool)
    : m_device(device), m_usage(usage), m_format(format), m_pool(pool) {
    UINT w = width, h = height;
    UINT chain = 1;
    for (UINT a = std::max(w, h); a > 1; a >>= 1) ++chain;
    // 0 asks for the whole chain; more levels than the chain holds (D3DX_DEFAULT among them) would
    // only repeat 1x1 levels, so the chain is the most a texture gets.
    UINT count = levels == 0 ? chain : std::min(levels, chain);
    if (isRenderTarget()) count = 1;
    for (UINT i = 0; i < count; ++i) {
        Level lv{w, h, {}};
        if (!isRenderTarget()) lv.bits.assign(static_cast<size_t>(w) * h * formatBytes(format), 0);
        m_levels.push_back(std::move(lv));
        m_surfaces.push_back(new SurfaceImpl(device, SurfaceImpl::Kind::TextureLevel, this, i, w, h, format, pool,
                                             usage));
        w = std::max(1u, w / 2);
        h = std::max(1u, h / 2);
    }
    m_levelLocked.assign(m_levels.size(), false);
    deviceAddRef(m_device);
    deviceTrack(m_device, this, pool == D3DPOOL_DEFAULT);
    // Nothing is queued yet: a loader fills the texture next, and the upload follows its unlock,
    // so the drawing thread never reads the pixels while the loader writes them. A texture drawn
    // before any unlock is made on the spot (see appendDraw).
}

TextureImpl::~TextureImpl() {
    for (SurfaceImpl* s : m_surfaces) delete s;
}

ULONG TextureImpl::AddRef() { return ++m_refs; }

ULONG TextureImpl::Release() {
    ULONG left = --m_refs;
    if (left == 0) {
        DeviceImpl* device = m_device;
        deviceRetireTexture(device, this);
        deviceForget(device, this);
        delete this;
        deviceRelease(device);
    }
    return left;
}

HRESULT TextureImpl::GetDevice(IDirect3DDevice9** device) {
    if (!device) return D3DERR_INVALIDCALL;
    *device = deviceInterface(m_device);
    (*device)->AddRef();
    return D3D_OK;
}

HRESULT TextureImpl::GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) {
    if (level >= m_levels.size()) return D3DERR_INVALIDCALL;
    return m_surfaces[level]->GetDesc(desc);
}

HRESULT TextureImpl::GetSurfaceLevel(UINT level, IDirect3DSurface9** surface) {
    if (!surface || level >= m_levels.size()) return D3DERR_INVALIDCALL;
    *surface = m_surfaces[level];
    AddRef();
    return D3D_OK;
}

HRESULT TextureImpl::LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD) {
    if (!locked || level >= m_levels.size() || isRenderTarget()) return D3DERR_INVALIDCALL;
    Level& lv = m_levels[level];
    UINT bpp = formatBytes(m_format);
    size_t pitch = static_cast<size_t>(lv.width) * bpp;
    size_t offset = 0;
    if (rect) {
        if (rect->left < 0 || rect->top < 0 || rect->right > LONG(lv.width) || rect->bottom > LONG(lv.height) ||
            rect->left >= rect->right || rect->top >= rect->bottom)
            return D3DERR_INVALIDCALL;
        offset = static_cast<size_t>(rect->top) * pitch + static_cast<size_t>(rect->left) * bpp;
    }
    {
        std::lock_guard<std::mutex> lock(m_cpuMutex);
        if (m_levelLocked[level]) return D3DERR_INVALIDCALL;
        m_levelLocked[level] = true;
    }
    locked->Pitch = static_cast<int>(pitch);
    locked->pBits = lv.bits.data() + offset;
    return D3D_OK;
}

HRESULT TextureImpl::UnlockRect(UINT level) {
    if (level >= m_levels.size() || isRenderTarget()) return D3DERR_INVALIDCALL;
    {
        std::lock_guard<std::mutex> lock(m_cpuMutex);
        if (!m_levelLocked[level]) return D3DERR_INVALIDCALL;
        m_levelLocked[level] = false;
    }
    // Queued only now, once the pixels are complete.
    markDirty();
    return D3D_OK;
}

void TextureImpl::markDirty() { deviceQueueUpload(m_device, this); }

std::string TextureImpl::describe() const {
    std::ostringstream s;
    s << "texture " << (m_levels.empty() ? 0 : m_levels[0].width) << "x" << (m_levels.empty() ? 0 : m_levels[0].height)
      << " format " << m_format << " usage 0x" << std::hex << m_usage << std::dec << " pool " << m_pool;
    return s.str();
}

void TextureImpl::upload(gl::Api& gl) {
    GlFormat f;
    if (!glFormatOf(m_format, f)) return;
    if (!m_gl) gl.glGenTextures(1, &m_gl);
    gl.glBindTexture(GL_TEXTURE_2D, m_gl);
    gl.glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    if (!m_storageMade) {
        gl.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, 0);
        gl.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, static_cast<GLint>(m_levels.size()) - 1);
        gl.glTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_RGBA, f.swizzle);
    }
    // Held while GL reads the pixels, so no lock can begin meanwhile.
    std::lock_guard<std::mutex> lock(m_cpuMutex);
    bool writing = std::find(m_levelLocked.begin(), m_levelLocked.end(), true) != m_levelLocked.end();
    for (size_t i = 0; i < m_levels.size(); ++i) {
        const Level& lv = m_levels[i];
        const void* data = (lv.bits.empty() || writing) ? nullptr : lv.bits.data();
        auto w = static_cast<GLsizei>(lv.width), h = static_cast<GLsizei>(lv.height);
        if (!m_storageMade)
            gl.glTexImage2D(GL_TEXTURE_2D, static_cast<GLint>(i), static_cast<GLint>(f.internal), w, h, 0, f.format,
                            f.type, data);
        else if (data)
            gl.glTexSubImage2D(GL_TEXTURE_2D, static_cast<GLint>(i), 0, 0, w, h, f.format, f.type, data);
    }
    m_storageMade = true;
}

bool TextureImpl::ensureFramebuffer(gl::Api& gl, GLuint depthStencil) {
    if (m_fbo) return true;
    if (!m_storageMade) upload(gl);
    gl.glGenFramebuffers(1, &m_fbo);
    gl.glBindFramebuffer(GL_FRAMEBUFFER, m_fbo);
    gl.glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, m_gl, 0);
    if (depthStencil)
        gl.glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, depthStencil);
    if (gl.glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        platform::log("ERROR", "IDirect3DDevice9::SetRenderTarget: incomplete framebuffer for " + describe());
        return false;
    }
    return true;
}

void TextureImpl::takeGlNames(std::vector<GLuint>& textures, std::vector<GLuint>& framebuffers) {
    if (m_gl) textures.push_back(m_gl);
    if (m_fbo) framebuffers.push_back(m_fbo);
    m_gl = m_fbo = 0;
}

// ---- vertex buffers ----

VertexBufferImpl::VertexBufferImpl(DeviceImpl* device, UINT length, DWORD usage, DWORD fvf, D3DPOOL pool)
    : m_device(device), m_usage(usage), m_fvf(fvf), m_pool(pool), m_bytes(length, 0) {
    deviceAddRef(m_device);
    deviceTrack(m_device, this, pool == D3DPOOL_DEFAULT);
}

VertexBufferImpl::~VertexBufferImpl() = default;

ULONG VertexBufferImpl::AddRef() { return ++m_refs; }

ULONG VertexBufferImpl::Release() {
    ULONG left = --m_refs;
    if (left == 0) {
        DeviceImpl* device = m_device;
        deviceForget(device, this);
        delete this;
        deviceRelease(device);
    }
    return left;
}

HRESULT VertexBufferImpl::GetDevice(IDirect3DDevice9** device) {
    if (!device) return D3DERR_INVALIDCALL;
    *device = deviceInterface(m_device);
    (*device)->AddRef();
    return D3D_OK;
}

HRESULT VertexBufferImpl::Lock(UINT offset, UINT size, void** data, DWORD) {
    if (!data || offset > m_bytes.size()) return D3DERR_INVALIDCALL;
    if (size != 0 && size > m_bytes.size() - offset) return D3DERR_INVALIDCALL;
    *data = m_bytes.data() + offset;
    return D3D_OK;
}

HRESULT VertexBufferImpl::Unlock() { return D3D_OK; }

HRESULT VertexBufferImpl::GetDesc(D3DVERTEXBUFFER_DESC* desc) {
    if (!desc) return D3DERR_INVALIDCALL;
    *desc = D3DVERTEXBUFFER_DESC{D3DFMT_UNKNOWN, D3DRTYPE_VERTEXBUFFER, m_usage, m_pool,
                                 static_cast<UINT>(m_bytes.size()), m_fvf};
    return D3D_OK;
}

std::string VertexBufferImpl::describe() const {
    std::ostringstream s;
    s << "vertex buffer " << m_bytes.size() << " bytes fvf 0x" << std::hex << m_fvf << std::dec << " pool " << m_pool;
    return s.str();
}

}  // namespace platform::gfx
