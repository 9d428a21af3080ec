#pragma once
// Where the particle code meets the texture container and the device wrapper: how a sprite's
// texture is found by name, how big it is, how it is bound and which device draws the batches.
#include <string>

#include "graphics/texture.h"
#include "platform/graphics/d3d9.h"

namespace particle {

// A texture as a sprite keeps it, with its size in pixels.
struct SpriteTexture {
    TexturePtr texture;
    float width = 0.0f;
    float height = 0.0f;

    IDirect3DBaseTexture9* d3d() const { return texture ? texture->getTexture() : nullptr; }
    bool operator==(const SpriteTexture& other) const { return texture.get() == other.texture.get(); }
};

// Looks the texture up in the texture container; false when it is missing, not loaded or has no
// size.
bool findSpriteTexture(const std::string& name, SpriteTexture& out);
// Binds the texture to stage 0 through the device wrapper.
void bindSpriteTexture(const SpriteTexture& texture);
// The device the batches are drawn on (the wrapper's current device); null while there is none.
IDirect3DDevice9* drawingDevice();

}  // namespace particle
