#pragma once
// The Direct3D 9 objects on OpenGL (internal to the graphics platform layer).
#include <SDL.h>

#include <atomic>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/graphics/d3d9.h"
#include "platform/graphics/gfx_control.h"
#include "platform/graphics/internal/gl_api.h"

namespace platform::gfx {

class DeviceImpl;
class TextureImpl;

// Bytes a pixel of the formats textures and surfaces may hold; 0 for formats we do not store.
UINT formatBytes(D3DFORMAT format);
// A resource the device tracks (for the default-pool check of Reset and for deferred GL work).
class ResourceBase {
public:
    virtual ~ResourceBase() = default;
    virtual std::string describe() const = 0;
    virtual ULONG references() const = 0;
};

class SurfaceImpl final : public IDirect3DSurface9, public ResourceBase {
public:
    enum class Kind { BackBuffer, TextureLevel, Plain };
    SurfaceImpl(DeviceImpl* device, Kind kind, TextureImpl* parent, UINT level, UINT width, UINT height,
                D3DFORMAT format, D3DPOOL pool, DWORD usage);
    ~SurfaceImpl() override;

    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT GetDevice(IDirect3DDevice9** device) override;
    D3DRESOURCETYPE GetType() override { return D3DRTYPE_SURFACE; }
    HRESULT GetDesc(D3DSURFACE_DESC* desc) override;
    HRESULT LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override;
    HRESULT UnlockRect() override;
    std::string describe() const override;

    Kind kind() const { return m_kind; }
    TextureImpl* parent() const { return m_parent; }
    UINT level() const { return m_level; }
    UINT width() const { return m_width; }
    UINT height() const { return m_height; }
    D3DFORMAT format() const { return m_format; }
    // CPU pixels of a plain surface or texture level; null for render targets.
    uint8_t* bits();
    UINT pitch() const { return m_width * formatBytes(m_format); }
    void resize(UINT width, UINT height, D3DFORMAT format);  // back buffer after a reset
    ULONG refCount() const { return m_refs.load(); }
    ULONG references() const override { return m_refs.load(); }

private:
    DeviceImpl* m_device;
    Kind m_kind;
    TextureImpl* m_parent;
    UINT m_level;
    UINT m_width, m_height;
    D3DFORMAT m_format;
    D3DPOOL m_pool;
    DWORD m_usage;
    std::vector<uint8_t> m_bits;  // plain surfaces only
    std::atomic<ULONG> m_refs{1};
    bool m_locked = false;
};

class TextureImpl final : public IDirect3DTexture9, public ResourceBase {
public:
    struct Level {
        UINT width, height;
        std::vector<uint8_t> bits;  // empty for render targets
    };
    TextureImpl(DeviceImpl* device, UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool);
    ~TextureImpl() override;

    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT GetDevice(IDirect3DDevice9** device) override;
    D3DRESOURCETYPE GetType() override { return D3DRTYPE_TEXTURE; }
    DWORD GetLevelCount() override { return static_cast<DWORD>(m_levels.size()); }
    HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) override;
    HRESULT GetSurfaceLevel(UINT level, IDirect3DSurface9** surface) override;
    HRESULT LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override;
    HRESULT UnlockRect(UINT level) override;
    std::string describe() const override;

    bool isRenderTarget() const { return (m_usage & D3DUSAGE_RENDERTARGET) != 0; }
    D3DFORMAT format() const { return m_format; }
    D3DPOOL pool() const { return m_pool; }
    std::vector<Level>& levels() { return m_levels; }
    void markDirty();  // an unlock published new pixels: upload them before the next draw
    ULONG references() const override { return m_refs.load(); }

    // Drawing thread only.
    GLuint glTexture() const { return m_gl; }
    GLuint framebuffer() const { return m_fbo; }
    // Sends the CPU copy to GL, or only makes the GL texture while a level is locked: the pixels
    // are then being written, and the unlock queues the upload again.
    void upload(gl::Api& gl);
    bool ensureFramebuffer(gl::Api& gl, GLuint depthStencil);
    void takeGlNames(std::vector<GLuint>& textures, std::vector<GLuint>& framebuffers);
    bool queued = false;  // in the device's upload list (guarded by the device's mutex)

private:
    DeviceImpl* m_device;
    DWORD m_usage;
    D3DFORMAT m_format;
    D3DPOOL m_pool;
    std::vector<Level> m_levels;
    std::vector<SurfaceImpl*> m_surfaces;
    std::atomic<ULONG> m_refs{1};
    // Guards the CPU copy's lock state; the pixels themselves are written only while their level
    // is locked and read by the upload only while no level is.
    std::mutex m_cpuMutex;
    std::vector<bool> m_levelLocked;
    GLuint m_gl = 0;
    GLuint m_fbo = 0;
    bool m_storageMade = false;
};

class VertexBufferImpl final : public IDirect3DVertexBuffer9, public ResourceBase {
public:
    VertexBufferImpl(DeviceImpl* device, UINT length, DWORD usage, DWORD fvf, D3DPOOL pool);
    ~VertexBufferImpl() override;
    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT GetDevice(IDirect3DDevice9** device) override;
    D3DRESOURCETYPE GetType() override { return D3DRTYPE_VERTEXBUFFER; }
    HRESULT Lock(UINT offset, UINT size, void** data, DWORD flags) override;
    HRESULT Unlock() override;
    HRESULT GetDesc(D3DVERTEXBUFFER_DESC* desc) override;
    std::string describe() const override;
    const std::vector<uint8_t>& bytes() const { return m_bytes; }
    ULONG references() const override { return m_refs.load(); }

private:
    DeviceImpl* m_device;
    DWORD m_usage;
    DWORD m_fvf;
    D3DPOOL m_pool;
    std::vector<uint8_t> m_bytes;
    std::atomic<ULONG> m_refs{1};
};

// Creates the device object; defined with the device.
[[nodiscard]] HRESULT createDevice(IDirect3D9* d3d, const AdapterDesc& adapter, UINT ordinal, D3DDEVTYPE type, HWND window,
                     DWORD behaviorFlags, D3DPRESENT_PARAMETERS* params, IDirect3DDevice9** out);
DeviceImpl* asDeviceImpl(IDirect3DDevice9* device);

// Resource bookkeeping calls from the resources into their device.
void deviceTrack(DeviceImpl* device, ResourceBase* resource, bool defaultPool);
void deviceForget(DeviceImpl* device, ResourceBase* resource);
void deviceQueueUpload(DeviceImpl* device, TextureImpl* texture);
void deviceRetireTexture(DeviceImpl* device, TextureImpl* texture);
void deviceAddRef(DeviceImpl* device);
void deviceRelease(DeviceImpl* device);
IDirect3DDevice9* deviceInterface(DeviceImpl* device);

}  // namespace platform::gfx
