#include "particles/texture_link.h"

#include "graphics/d3d_device.h"
#include "graphics/texture_container.h"

namespace particle {

bool findSpriteTexture(const std::string& name, SpriteTexture& out) {
    out = SpriteTexture();
    TextureContainer* container = TextureContainer::instance();
    if (!container || name.empty()) return false;
    TexturePtr texture = container->getTexture(name, D3DFMT_UNKNOWN);
    // Texture coordinates are divided by the size: a texture without one cannot be used.
    if (!texture || !texture->getTexture() || texture->getWidth() == 0 || texture->getHeight() == 0) return false;
    out.texture = texture;
    out.width = static_cast<float>(texture->getWidth());
    out.height = static_cast<float>(texture->getHeight());
    return true;
}

void bindSpriteTexture(const SpriteTexture& texture) {
    if (CD3DDevice* device = CD3DDevice::instance()) device->setTexture(0, texture.texture);
    else CD3DDevice::SetTexture(0, texture.d3d());
}

IDirect3DDevice9* drawingDevice() { return CD3DDevice::cacheDevice(); }

}  // namespace particle
