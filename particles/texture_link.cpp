#include "particles/texture_link.h"

namespace particle {

namespace {
TextureLookup& lookupHook() {
    static TextureLookup hook;
    return hook;
}
IDirect3DDevice9* s_device = nullptr;
}  // namespace

bool findSpriteTexture(const std::string& name, SpriteTexture& out) {
    out = SpriteTexture();
    if (name.empty()) return false;
    if (lookupHook()) return lookupHook()(name, out) && out.valid();
    return false;
}

void bindSpriteTexture(const SpriteTexture& texture) {
    if (IDirect3DDevice9* device = drawingDevice()) device->SetTexture(0, texture.texture);
}

IDirect3DDevice9* drawingDevice() { return s_device; }

void setTextureLookup(TextureLookup lookup) { lookupHook() = std::move(lookup); }
void setDrawingDevice(IDirect3DDevice9* device) { s_device = device; }

}  // namespace particle
