#pragma once
// The bitmap-font registry: every ".font" description that the file system lists, registered
// under its top object's lower-cased name at start-up and looked up case-insensitively afterwards.
#include <string>

#include "core/attr_tree.h"
#include "core/singleton.h"
#include "graphics/font.h"
#include "graphics/resource_mgr.h"

class FontManager : public ResourceMgr<Font>, public Tov::Singleton<FontManager> {
public:
    FontManager() = default;
    ~FontManager() override;

    // Reads every file whose name ends in the extension (".font"), in the file table's order.
    void loadFonts(const std::string& extension);
    // A new registered font, or the empty pointer when the name is taken.
    SharedPtr<Font> createFont(const std::string& name);
    // Registers the font the description's top object names. A duplicate name or a description
    // that cannot be read is skipped with an ERROR; false then.
    bool loadFontDescription(const Attr::AttributePtr& top);
    // The registry keeps the font alive; null when unknown.
    Font* find(const std::string& name) const;
};

// The font of that name (any letter case) from the registry; null when unknown or when there is
// no registry.
Font* getFontByName(const std::string& name);
// Draws with the named font; -1 for an empty text or an unknown font, else the font's height.
int32_t drawTextWithFont(const std::string& fontName, int x, int y, const std::u16string& text, D3DCOLOR color);
