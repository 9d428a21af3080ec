#pragma once
// Bitmap fonts: one texture holds the glyph images, a ".font" description says where each
// character lies in it and how far the pen moves. Texts are one line of 16-bit characters drawn
// in screen pixels as textured quads straight through the device.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "core/attr_tree.h"
#include "graphics/resource_mgr.h"
#include "platform/graphics/d3d9.h"

struct Glyph {
    int32_t code = -1;
    float u = 0, v = 0, du = 0, dv = 0;
    int32_t width = 0;
    int32_t height = 0;
    int32_t advance = 0;  // seven-number layout
    int32_t offsetX = 0;  // seven-number layout
    int32_t offsetY = 0;  // seven-number layout
    int32_t leftSpacing = 0;   // six-number layout
    int32_t rightSpacing = 0;  // six-number layout
};

// The vertex of a glyph quad: D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1.
struct FontVertex {
    float x = 0, y = 0, z = 0;
    float rhw = 1.0f;
    D3DCOLOR color = 0xFFFFFFFF;
    float u = 0, v = 0;
};
static_assert(sizeof(FontVertex) == 28, "the device reads 28-byte font vertices");
constexpr DWORD kFontVertexFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;

// The one vertex array every pass builds into; it keeps its storage from pass to pass.
std::vector<FontVertex>& fontVertices();

class Font : public Resource {
public:
    // No glyph number (position, size, offset, spacing, advance) lies beyond the largest texture
    // side in pixels; a description that says otherwise is malformed.
    static constexpr int32_t kMaxGlyphMetric = 16384;

    explicit Font(const std::string& name) : Resource(name) {}
    ~Font() override;

    // A font is complete once its description is read; it never loads or unloads anything.
    void load(bool, int) override {}
    void unload() override {}

    // Fills the font from the top attribute of its description. False (with an ERROR) when the
    // description lacks "TextureSize" (or one of its numbers) or "Symbols"; glyph entries with too
    // few numbers, or with a number beyond kMaxGlyphMetric either way, are skipped with an ERROR.
    bool readDescription(const Attr::AttributePtr& top);

    int32_t getHeight() const;
    // Saturates at the int32 limits.
    int32_t getTextWidth(const std::u16string& text) const;
    // Overwrites every character without a glyph with the replacement (' ' when the font lacks
    // the replacement too). True when every character had a glyph.
    bool replaceMissingGlyphs(std::u16string& text, char16_t replacement) const;
    // Draws one line with its pen at (x, y), y being the top of the glyph images; an outline size
    // above 0 first draws four passes shifted by it in the outline colour (with the text's alpha).
    // False when the font's texture cannot be had.
    bool drawText(float x, float y, D3DCOLOR color, const std::u16string& text,
                  const std::vector<D3DCOLOR>* colors = nullptr, float outlineSize = -1.0f,
                  D3DCOLOR outlineColor = 0xFF000000) const;
    // One pass: the quads of the text into fontVertices and one draw call. Returns the number of
    // glyph quads drawn.
    int drawPass(IDirect3DDevice9* device, float x, float y, D3DCOLOR color, const std::u16string& text,
                 const std::vector<D3DCOLOR>* colors) const;

    const Glyph* findGlyph(int32_t code) const;

    int32_t textureWidth = 0;
    int32_t textureHeight = 0;
    std::map<int32_t, Glyph> glyphs;
    bool needFilter = false;
    bool texFormat = false;  // seven-number glyph layout
    int32_t fontHeight = 0;
};

// A font with no description of its own; nothing in the game makes one.
class MultyFont : public Font {
public:
    MultyFont() : Font("tmp") {}
    ~MultyFont() override = default;
};
