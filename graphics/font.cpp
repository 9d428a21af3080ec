#include "graphics/font.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "core/attr_access.h"
#include "core/cvar_catalogue.h"
#include "core/log_stream.h"
#include "core/string_utils.h"
#include "graphics/d3d_application.h"
#include "graphics/d3d_device.h"
#include "graphics/texture_container.h"

std::vector<FontVertex>& fontVertices() {
    static std::vector<FontVertex>* vertices = new std::vector<FontVertex>();  // lives to the program's end
    return *vertices;
}

Font::~Font() { glyphs.clear(); }

bool Font::readDescription(const Attr::AttributePtr& top) {
    std::vector<std::string> size = splitString(Attr::stringValueOr(Attr::getStringAttribute(top, "TextureSize", false), ""), "|");
    if (size.size() < 2) {
        Tov::LogLine("ERROR") << "Font::readDescription" << ": no TextureSize width and height in font " << name;
        return false;
    }
    textureWidth = stringToInt(size[0]);
    textureHeight = stringToInt(size[1]);
    needFilter = Attr::boolValueOr(Attr::getBoolAttribute(top, "NeedFilter", false), false);
    fontHeight = Attr::scalarValueOr(Attr::getIntAttribute(top, "FontHeight", false), int32_t(0));
    texFormat = !Attr::findAttribute(top, "TexFormat").isNull();

    const Attr::AttributePtr& symbols = Attr::findAttribute(top, "Symbols");
    if (!Attr::childrenOf(symbols)) {
        Tov::LogLine("ERROR") << "Font::readDescription" << ": no Symbols in font " << name;
        return false;
    }
    const size_t needed = texFormat ? 7 : 6;
    float tw = static_cast<float>(textureWidth), th = static_cast<float>(textureHeight);
    for (auto it = Attr::attributesBegin(symbols); it != Attr::attributesEnd(symbols); ++it) {
        const Attr::AttributePtr& entry = it->second;
        std::string text;
        entry->getValue(text);
        std::vector<std::string> n = splitString(text, "|");
        if (n.size() < needed) {
            Tov::LogLine("ERROR") << "Font::readDescription" << ": glyph " << entry->name() << " of font " << name
                                  << " has " << n.size() << " numbers, " << needed << " needed";
            continue;
        }
        int32_t number[7] = {};
        bool bounded = true;
        for (size_t i = 0; i < needed; ++i) {
            number[i] = stringToInt(n[i]);
            bounded = bounded && number[i] >= -kMaxGlyphMetric && number[i] <= kMaxGlyphMetric;
        }
        if (!bounded) {
            Tov::LogLine("ERROR") << "Font::readDescription" << ": glyph " << entry->name() << " of font " << name
                                  << " has a number beyond " << kMaxGlyphMetric << " pixels";
            continue;
        }
        Glyph g;
        g.code = stringToInt(entry->name());
        g.width = number[2];
        g.height = number[3];
        g.u = static_cast<float>(number[0]) / tw;
        g.v = static_cast<float>(number[1]) / th;
        g.du = static_cast<float>(g.width) / tw;
        g.dv = static_cast<float>(g.height) / th;
        if (texFormat) {
            g.offsetX = number[4];
            g.offsetY = number[5];
            g.advance = number[6];
        } else {
            g.leftSpacing = number[4];
            g.rightSpacing = number[5];
        }
        glyphs[g.code] = g;
    }
    return true;
}

const Glyph* Font::findGlyph(int32_t code) const {
    auto it = glyphs.find(code);
    return it == glyphs.end() ? nullptr : &it->second;
}

int32_t Font::getHeight() const {
    if (fontHeight != 0) return fontHeight;
    if (glyphs.empty()) return -1;
    return glyphs.begin()->second.height;
}

bool Font::replaceMissingGlyphs(std::u16string& text, char16_t replacement) const {
    if (!findGlyph(replacement)) replacement = u' ';
    bool all = true;
    for (char16_t& c : text) {
        if (!findGlyph(c)) {
            c = replacement;
            all = false;
        }
    }
    return all;
}

int32_t Font::getTextWidth(const std::u16string& text) const {
    if (text.empty()) return 0;
    std::u16string copy = text;
    replaceMissingGlyphs(copy, u'_');
    // Bounded glyphs still add up past 32 bits over a long enough text: sum wide, then saturate.
    int64_t width = 0;
    for (char16_t c : copy) {
        const Glyph* g = findGlyph(c);
        if (!g) continue;  // neither the character, '_' nor ' '
        width += texFormat ? g->advance : g->leftSpacing + g->width + g->rightSpacing;
    }
    return static_cast<int32_t>(std::clamp<int64_t>(width, INT32_MIN, INT32_MAX));
}

int Font::drawPass(IDirect3DDevice9* device, float x, float y, D3DCOLOR color, const std::u16string& text,
                   const std::vector<D3DCOLOR>* colors) const {
    if (text.empty()) return 0;
    std::u16string copy = text;
    replaceMissingGlyphs(copy, u'_');
    float penX = 0, penY = 0;
    switch (d_Fonts5 ? d_Fonts5->value.i : 3) {
        case 0: penX = x, penY = y; break;
        case 1: penX = std::trunc(x), penY = std::trunc(y); break;
        case 2: penX = std::trunc(x + 0.5f), penY = std::trunc(y + 0.5f); break;
        case 3: penX = x + 0.5f, penY = y + 0.5f; break;
        default: break;
    }
    std::vector<FontVertex>& vertices = fontVertices();
    vertices.resize(6 * copy.size());
    size_t quads = 0;
    for (size_t i = 0; i < copy.size(); ++i) {
        const Glyph* g = findGlyph(copy[i]);
        if (!g) continue;  // skipped, not drawn as an empty entry
        penX += texFormat ? g->offsetX : g->leftSpacing;
        float dy = texFormat ? static_cast<float>(g->offsetY) : 0.0f;
        D3DCOLOR c = colors && colors->size() > i ? (*colors)[i] : color;
        float left = penX, right = penX + g->width, top = penY + dy, bottom = penY + dy + g->height;
        float u0 = g->u, u1 = g->u + g->du, v0 = g->v, v1 = g->v + g->dv;
        FontVertex* v = &vertices[6 * quads];
        auto set = [&](FontVertex& out, float px, float py, float tu, float tv) {
            out.x = px, out.y = py, out.z = 1.0f, out.rhw = 1.0f, out.color = c, out.u = tu, out.v = tv;
        };
        set(v[0], left, top, u0, v0);
        set(v[1], right, top, u1, v0);
        set(v[2], left, bottom, u0, v1);
        set(v[3], left, bottom, u0, v1);
        set(v[4], right, top, u1, v0);
        set(v[5], right, bottom, u1, v1);
        ++quads;
        penX += texFormat ? g->advance - g->offsetX : g->width + g->rightSpacing;
    }
    if (quads > 0)
        device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, static_cast<UINT>(2 * quads), vertices.data(), sizeof(FontVertex));
    return static_cast<int>(quads);
}

bool Font::drawText(float x, float y, D3DCOLOR color, const std::u16string& text, const std::vector<D3DCOLOR>* colors,
                    float outlineSize, D3DCOLOR outlineColor) const {
    IDirect3DDevice9* device = CD3DDevice::cacheDevice();
    if (!device) device = CD3DDevice::textureDevice();
    if (!device) return false;
    DWORD minFilter = D3DTEXF_NONE, magFilter = D3DTEXF_NONE;
    device->GetSamplerState(0, D3DSAMP_MINFILTER, &minFilter);
    device->GetSamplerState(0, D3DSAMP_MAGFILTER, &magFilter);

    CMyD3DApplication* frame = CMyD3DApplication::instance();
    bool filter = (d_FilterFonts && d_FilterFonts->value.b) || (needFilter && frame && frame->isWindowed());
    DWORD f = filter ? D3DTEXF_ANISOTROPIC : D3DTEXF_NONE;
    device->SetSamplerState(0, D3DSAMP_MINFILTER, f);
    device->SetSamplerState(0, D3DSAMP_MAGFILTER, f);

    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
    device->SetRenderState(D3DRS_ALPHAREF, static_cast<DWORD>(d_FontsAlphaBound ? d_FontsAlphaBound->value.i : 15));
    device->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL);

    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    device->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
    device->SetFVF(kFontVertexFvf);

    TextureContainer* textures = TextureContainer::instance();
    if (!textures) return false;
    TexturePtr texture = textures->getTexture(resourceKey(name) + ".png", D3DFMT_UNKNOWN);
    if (!texture) texture = textures->getTexture(resourceKey(name) + ".dds", D3DFMT_UNKNOWN);
    if (!texture) return false;
    device->SetTexture(0, texture->getTexture());

    if (outlineSize > 0) {
        D3DCOLOR shade = (color & 0xFF000000u) | (outlineColor & 0x00FFFFFFu);
        const float s = outlineSize;
        drawPass(device, x - s, y - s, shade, text, colors);
        drawPass(device, x + s, y - s, shade, text, colors);
        drawPass(device, x - s, y + s, shade, text, colors);
        drawPass(device, x + s, y + s, shade, text, colors);
    }
    drawPass(device, x, y, color, text, colors);

    device->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
    CD3DDevice::restoreStageDefaults(device);
    device->SetSamplerState(0, D3DSAMP_MINFILTER, minFilter);
    device->SetSamplerState(0, D3DSAMP_MAGFILTER, magFilter);
    return true;
}
