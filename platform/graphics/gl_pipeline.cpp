// The drawing pipeline of the GL device. Draws of pre-transformed vertices are converted on the
// CPU and gathered into one batch while the pipeline state stays the same (the texture factor
// travels with each vertex, so changing it does not end a batch); the batch goes to GL when state
// changes or the picture is needed, and only GL state that differs from what GL has is sent.
#include "platform/graphics/internal/gl_device_impl.h"

namespace platform::gfx {

namespace {

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

// Half a pixel, less 1/256 of a pixel: GL's subpixel grid is at least that fine, and the rounding
// of the transform stays far below it.
constexpr float kCentreNudge = 0.5f - 1.0f / 256.0f;

}  // namespace

// ---- deferred work and state application ----

void DeviceImpl::processPending() {
    ensureCurrent();
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
    ensureCurrent();
    PipelineState want = desiredState();
    applyState(want, !m_appliedValid);
    // Batches are appended to one streaming buffer, renewed only when full: renewing it for
    // every small batch costs more than the draw on a software rasteriser.
    constexpr size_t kStreamVertices = 1 << 16;
    size_t count = m_batch.size();
    size_t first = 0;
    if (count > kStreamVertices) {
        m_gl.glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(count * sizeof(BatchVertex)), m_batch.data(),
                          GL_STREAM_DRAW);
        m_vboUsed = kStreamVertices;  // the next batch renews it at its usual size
    } else {
        if (m_vboUsed == 0 || m_vboUsed + count > kStreamVertices) {
            m_gl.glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(kStreamVertices * sizeof(BatchVertex)), nullptr,
                              GL_STREAM_DRAW);
            m_vboUsed = 0;
        }
        first = m_vboUsed;
        m_gl.glBufferSubData(GL_ARRAY_BUFFER, static_cast<GLintptr>(first * sizeof(BatchVertex)),
                             static_cast<GLsizeiptr>(count * sizeof(BatchVertex)), m_batch.data());
        m_vboUsed += count;
    }
    m_gl.glDrawArrays(m_batchMode, static_cast<GLint>(first), static_cast<GLsizei>(count));
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
    auto* bound = static_cast<TextureImpl*>(m_textures[0]);
    if (bound && !bound->glTexture()) {
        if (!m_batch.empty()) flush();
        bound->upload(m_gl);  // never unlocked yet, or a render target not drawn into
        m_applied.texture = kUnknownName;
    }

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
        // Direct3D 9 samples at integer pixel positions, GL at half pixels. The extra nudge up and
        // left by one step of subpixel precision settles edges lying exactly on pixel centres the
        // Direct3D way, which rounding in the transform would otherwise leave to chance: a centre on
        // a top or left edge is drawn and reads the first texel, one on a bottom or right edge is not.
        b.pos[0] = ((p[0] + kCentreNudge) * 2.0f / static_cast<float>(tw) - 1.0f) * w;
        b.pos[1] = ((p[1] + kCentreNudge) * 2.0f / static_cast<float>(th) - 1.0f) * w;
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

}  // namespace platform::gfx
