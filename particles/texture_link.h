#pragma once
// Where the particle code meets the texture registry and the device: the one file that knows how
// a texture is found by name, how big it is, how it is bound and which device draws.
#include <functional>
#include <memory>
#include <string>

#include "platform/graphics/d3d9.h"

namespace particle {

// A texture as a sprite keeps it: the Direct3D texture, its size in pixels and whatever keeps it
// alive.
struct SpriteTexture {
    std::shared_ptr<void> owner;
    IDirect3DBaseTexture9* texture = nullptr;
    float width = 0.0f;
    float height = 0.0f;

    bool valid() const { return texture != nullptr && width > 0.0f && height > 0.0f; }
    bool operator==(const SpriteTexture& other) const { return texture == other.texture; }
};

// Looks a texture up by file name; false when there is none.
bool findSpriteTexture(const std::string& name, SpriteTexture& out);
// Binds the texture to stage 0 of the drawing device.
void bindSpriteTexture(const SpriteTexture& texture);
// The device the batches are drawn on; null while there is none.
IDirect3DDevice9* drawingDevice();

// Test seams: a texture lookup and a device that replace the program's own.
using TextureLookup = std::function<bool(const std::string& name, SpriteTexture& out)>;
void setTextureLookup(TextureLookup lookup);
void setDrawingDevice(IDirect3DDevice9* device);

}  // namespace particle
