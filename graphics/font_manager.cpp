#include "graphics/font_manager.h"

#include "core/attr_xml.h"
#include "core/log_stream.h"
#include "vfs/vfs_manager.h"

FontManager::~FontManager() { clear(); }

void FontManager::loadFonts(const std::string& extension) {
    VFS::VFSManager* vfs = VFS::VFSManager::instance();
    if (!vfs) return;
    VFS::FileList files;
    if (vfs->findFilesByExtension(extension, files, VFS::VFSManager::kByName) == 0) return;
    for (const VFS::FilePtr& file : files) {
        Attr::AttributePtr top = Attr::loadDocument(file->name(), std::string());
        if (!top) {
            Tov::LogLine("ERROR") << "FontManager::loadFonts" << ": cannot read the font description " << file->name();
            continue;
        }
        loadFontDescription(top);
    }
}

SharedPtr<Font> FontManager::createFont(const std::string& name) {
    if (ResourceMgr<Font>::find(name)) return SharedPtr<Font>();
    SharedPtr<Font> font(new Font(name));
    add(font, name);
    return font;
}

bool FontManager::loadFontDescription(const Attr::AttributePtr& top) {
    if (!top) return false;
    std::string name = resourceKey(top->name());
    if (ResourceMgr<Font>::find(name)) {
        Tov::LogLine("ERROR") << "FontManager::loadFontDescription" << ": font " << name
                              << " is already registered, the second description is skipped";
        return false;
    }
    // Read first and register only a complete font, so a broken description leaves no empty one.
    SharedPtr<Font> font(new Font(name));
    if (!font->readDescription(top)) return false;
    add(font, name);
    return true;
}

Font* FontManager::find(const std::string& name) const { return ResourceMgr<Font>::find(name).get(); }

Font* getFontByName(const std::string& name) {
    FontManager* fonts = FontManager::instance();
    return fonts ? fonts->find(name) : nullptr;
}

int32_t drawTextWithFont(const std::string& fontName, int x, int y, const std::u16string& text, D3DCOLOR color) {
    if (text.empty()) return -1;
    Font* font = getFontByName(fontName);
    if (!font) return -1;
    font->drawText(static_cast<float>(x), static_cast<float>(y), color, text, nullptr, -1.0f, 0xFF000000);
    return font->getHeight();
}
