#include "graphics/texture_container.h"

#include "core/string_utils.h"

TextureContainer::~TextureContainer() { clear(); }

TexturePtr TextureContainer::getTexture(const std::string& name, D3DFORMAT format) {
    if (name.empty()) return TexturePtr();
    TexturePtr found = find(name);
    if (found) return found->getTexture() ? found : TexturePtr();
    std::string extension;
    splitPath(name, nullptr, nullptr, &extension);
    if (extension.size() <= 1) return TexturePtr();  // "" or a lone "."
    TexturePtr texture(new Texture(name, format));
    texture->pool = D3DPOOL_MANAGED;
    add(texture, name);
    texture->load(true, 0);
    // A failed texture stays registered: later requests give the empty pointer at once.
    return texture->loaded ? texture : TexturePtr();
}

TexturePtr TextureContainer::createTexture(const std::string& name, UINT width, UINT height, UINT, UINT mipLevels,
                                           D3DFORMAT format, DWORD usage, D3DPOOL pool) {
    TexturePtr found = find(name);
    if (found) {
        if (found->fromParameters && !found->loaded) found->load(true, 0);
        return found->loaded || !found->fromParameters ? found : TexturePtr();
    }
    TexturePtr texture(new Texture(name, width, height, mipLevels, format, usage, pool));
    add(texture, name);
    texture->load(true, 0);
    return texture->loaded ? texture : TexturePtr();
}

void TextureContainer::releaseTexture(const std::string& name) {
    TexturePtr found = find(name);
    if (found) remove(found);
}

void TextureContainer::unloadDefaultPool() {
    for (auto& entry : byName)
        if (entry.second->pool == D3DPOOL_DEFAULT) entry.second->unload();
}

void TextureContainer::reloadDefaultPool() {
    for (auto& entry : byName)
        if (entry.second->pool == D3DPOOL_DEFAULT) entry.second->load(false, 0);
}
