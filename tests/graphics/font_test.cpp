#include "graphics/font_manager.h"

#include <gtest/gtest.h>

#include "core/attr_xml.h"
#include "core/cvar_catalogue.h"
#include "tests/graphics/texture_fixture.h"
#include "tests/support/image_writer.h"

using namespace imagetest;

namespace {

std::string fontXml(const std::string& name, const std::string& entries, const std::string& symbols) {
    return "<root><object name=\"" + name + "\">" + entries + "<object name=\"Symbols\">" + symbols +
           "</object></object></root>";
}
std::string glyph(int code, const std::string& numbers) {
    return "<string name=\"" + std::to_string(code) + "\" value=\"" + numbers + "\"/>";
}
std::string textureSize(const std::string& v) { return "<string name=\"TextureSize\" value=\"" + v + "\"/>"; }

class Fonts : public ::testing::Test {
protected:
    void SetUp() override {
        logPath = (dir.path() / "fonts.log").string();
        Tov::LogStream::setFile(logPath, false);
    }
    Font* load(const std::string& xml) {
        Attr::AttributePtr top = Attr::parseDocument(xml.c_str());
        EXPECT_TRUE(top);
        if (!fonts.loadFontDescription(top)) return nullptr;
        return fonts.find(top->name());
    }
    std::vector<std::string> errors() {
        std::vector<std::string> out;
        std::istringstream in(testsupport::readFile(logPath));
        std::string line;
        while (std::getline(in, line))
            if (line.find("\tERROR\t") != std::string::npos) out.push_back(line.substr(line.find("\tERROR\t") + 7));
        return out;
    }
    testsupport::TempDir dir;
    std::string logPath;
    FontManager fonts;
};

}  // namespace

TEST_F(Fonts, MeasuringOverBothGlyphLayouts) {
    Font* six = load(fontXml("Six", textureSize("128|128"),
                             glyph('a', "0|0|10|12|1|2") + glyph('b', "10|0|8|14|0|1") + glyph('_', "20|0|6|2|0|0")));
    Font* seven = load(fontXml("Seven", textureSize("128|128") + "<boolean name=\"TexFormat\" value=\"false\"/>",
                               glyph('a', "0|0|10|12|1|3|11") + glyph('b', "10|0|8|14|0|0|9") +
                                   glyph('_', "20|0|6|2|0|0|7")));
    Font* bare = load(fontXml("Bare", textureSize("64|64"), glyph('a', "0|0|5|5|0|0")));
    ASSERT_TRUE(six && seven && bare);
    EXPECT_FALSE(six->texFormat);
    EXPECT_TRUE(seven->texFormat);  // present, whatever its value
    struct Case {
        Font* font;
        std::u16string text;
        int32_t width;
    } cases[] = {
        {six, u"", 0},      {six, u"ab", 22},   {six, u"aZ", 19},  {six, u"ba", 22},
        {seven, u"", 0},    {seven, u"ab", 20}, {seven, u"a?", 18}, {seven, u"b", 9},
        {bare, u"a", 5},    {bare, u"a#a", 10},  // neither '#', '_' nor ' ': the character counts nothing
    };
    for (const Case& c : cases) EXPECT_EQ(c.font->getTextWidth(c.text), c.width) << c.font->name;

    std::u16string text = u"a#b";
    EXPECT_FALSE(six->replaceMissingGlyphs(text, u'_'));
    EXPECT_EQ(text, u"a_b");
    text = u"a#";
    EXPECT_FALSE(bare->replaceMissingGlyphs(text, u'_'));
    EXPECT_EQ(text, u"a ");  // no '_' in the font: the replacement becomes ' '
    text = u"ab";
    EXPECT_TRUE(six->replaceMissingGlyphs(text, u'_'));
}

TEST_F(Fonts, GlyphNumbersAndHeights) {
    Font* f = load(fontXml("G", textureSize("128|128"), glyph(65, "0|0|8|16|0|1") + glyph(32, "8|0|4|11|0|0")));
    ASSERT_TRUE(f);
    const Glyph* a = f->findGlyph(65);
    ASSERT_NE(a, nullptr);
    EXPECT_FLOAT_EQ(a->u, 0.0f);
    EXPECT_FLOAT_EQ(a->v, 0.0f);
    EXPECT_FLOAT_EQ(a->du, 0.0625f);
    EXPECT_FLOAT_EQ(a->dv, 0.125f);
    EXPECT_EQ(a->width, 8);
    EXPECT_EQ(a->height, 16);
    EXPECT_EQ(a->rightSpacing, 1);
    EXPECT_EQ(f->getHeight(), 11);  // the glyph with the smallest code, 32
    Font* tall = load(fontXml("Tall", textureSize("16|16") + "<integer name=\"FontHeight\" value=\"20\"/>",
                              glyph(65, "0|0|8|8|0|0")));
    ASSERT_TRUE(tall);
    EXPECT_EQ(tall->getHeight(), 20);
    Font* empty = load(fontXml("Empty", textureSize("16|16"), ""));
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->getHeight(), -1);
    EXPECT_EQ(empty->getTextWidth(u"abc"), 0);
    EXPECT_FALSE(empty->loaded);
    EXPECT_EQ(empty->size, 0);
}

TEST_F(Fonts, BrokenDescriptionsAreSkippedWithAnError) {
    EXPECT_EQ(load(fontXml("NoSize", "", glyph(65, "0|0|8|8|0|0"))), nullptr);
    EXPECT_EQ(load(fontXml("HalfSize", textureSize("32"), glyph(65, "0|0|8|8|0|0"))), nullptr);
    EXPECT_EQ(load("<root><object name=\"NoSymbols\">" + textureSize("32|32") + "</object></root>"), nullptr);
    Font* partial = load(fontXml("Partial", textureSize("32|32"), glyph(65, "0|0|8|8|0") + glyph(66, "0|0|8|8|0|0")));
    ASSERT_NE(partial, nullptr);
    EXPECT_EQ(partial->findGlyph(65), nullptr);
    EXPECT_NE(partial->findGlyph(66), nullptr);
    Font* first = load(fontXml("Dup", textureSize("32|32"), glyph(65, "0|0|8|8|0|0")));
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(load(fontXml("DUP", textureSize("32|32"), glyph(66, "0|0|8|8|0|0"))), nullptr);
    EXPECT_EQ(fonts.find("dup"), first);
    EXPECT_NE(first->findGlyph(65), nullptr);
    EXPECT_EQ(fonts.count(), 2u);  // Partial and Dup
    EXPECT_EQ(errors(), (std::vector<std::string>{
                            "Font::readDescription: no TextureSize width and height in font nosize",
                            "Font::readDescription: no TextureSize width and height in font halfsize",
                            "Font::readDescription: no Symbols in font nosymbols",
                            "Font::readDescription: glyph 65 of font partial has 5 numbers, 6 needed",
                            "FontManager::loadFontDescription: font dup is already registered, the second description "
                            "is skipped"}));
    // createFont gives nothing for a taken name.
    EXPECT_TRUE(fonts.createFont("Partial").isNull());
    EXPECT_TRUE(fonts.createFont("fresh"));
}

// Glyph numbers are bounded when read, so no measured text can overflow: a glyph with a number
// beyond the largest texture side is skipped with an ERROR, and a very long text measures at most
// INT32_MAX.
TEST_F(Fonts, GlyphMetricsAreBoundedWhenRead) {
    const std::string max = std::to_string(Font::kMaxGlyphMetric), over = std::to_string(Font::kMaxGlyphMetric + 1);
    Font* six = load(fontXml("Six", textureSize("64|64"),
                             glyph('a', "0|0|2147483647|8|0|0") + glyph('b', "0|0|8|8|0|-2147483648") +
                                 glyph('c', "0|0|8|8|" + over + "|0") + glyph('d', "-" + over + "|0|8|8|0|0") +
                                 glyph('w', "0|0|" + max + "|8|" + max + "|" + max) + glyph('_', "0|0|1|1|0|0")));
    Font* seven = load(fontXml("Seven", textureSize("64|64") + "<string name=\"TexFormat\" value=\"\"/>",
                               glyph('a', "0|0|8|8|0|0|2147483647") + glyph('b', "0|0|8|8|0|" + over + "|9") +
                                   glyph('w', "0|0|8|8|-" + max + "|0|" + max)));
    ASSERT_TRUE(six && seven);
    for (char16_t skipped : {u'a', u'b', u'c', u'd'}) EXPECT_EQ(six->findGlyph(skipped), nullptr) << char(skipped);
    for (char16_t skipped : {u'a', u'b'}) EXPECT_EQ(seven->findGlyph(skipped), nullptr) << char(skipped);
    EXPECT_EQ(six->getTextWidth(u"aw"), 1 + 3 * Font::kMaxGlyphMetric);  // 'a' measured as '_'
    EXPECT_EQ(seven->getTextWidth(u"ww"), 2 * Font::kMaxGlyphMetric);
    // 50,000 glyphs of 3 x 16384 pixels each: far beyond 2^31, measured as INT32_MAX.
    EXPECT_EQ(six->getTextWidth(std::u16string(50000, u'w')), INT32_MAX);
    const std::vector<std::string> e = errors();
    ASSERT_EQ(e.size(), 6u);
    EXPECT_EQ(e[0], "Font::readDescription: glyph 97 of font six has a number beyond " + max + " pixels");
    EXPECT_EQ(e[5], "Font::readDescription: glyph 98 of font seven has a number beyond " + max + " pixels");
}

TEST_F(Fonts, FilesAreListedByExtensionAndFoundInAnyCase) {
    EXPECT_EQ(getFontByName("arial"), nullptr);  // no file system: nothing loaded
    auto vfs = std::make_unique<VFS::VFSManager>();
    testsupport::writeFile(dir.path() / "data" / "Arial.font", fontXml("Arial", textureSize("8|8"), glyph(65, "0|0|1|1|0|0")));
    testsupport::writeFile(dir.path() / "data" / "broken.font", "<root><object name=");
    testsupport::writeFile(dir.path() / "data" / "other.fonts", fontXml("Other", textureSize("8|8"), ""));
    ASSERT_TRUE(vfs->mount("filesystem", (dir.path() / "data").string()));
    fonts.loadFonts(".font");
    EXPECT_NE(getFontByName("ARIAL"), nullptr);
    EXPECT_EQ(getFontByName("arial")->name, "arial");
    EXPECT_EQ(getFontByName("other"), nullptr);
    EXPECT_EQ(getFontByName(""), nullptr);
    EXPECT_EQ(drawTextWithFont("unknown", 0, 0, u"x", 0xFFFFFFFF), -1);
    EXPECT_EQ(drawTextWithFont("arial", 0, 0, u"", 0xFFFFFFFF), -1);
    std::vector<std::string> e = errors();
    ASSERT_FALSE(e.empty());
    EXPECT_EQ(e.back(), "FontManager::loadFonts: cannot read the font description broken.font");
}

namespace {

// The font texture: 'A' an opaque white 8x8 box, '_' an opaque 8x2 bar, 'B' nearly transparent.
class FontDrawing : public texturetest::TextureTest {
protected:
    void SetUp() override {
        TextureTest::SetUp();
        std::vector<uint8_t> px(32 * 16 * 4, 0);
        auto fill = [&](int x0, int y0, int w, int h, uint8_t alpha) {
            for (int y = y0; y < y0 + h; ++y)
                for (int x = x0; x < x0 + w; ++x) {
                    uint8_t* p = &px[(y * 32 + x) * 4];
                    p[0] = p[1] = p[2] = 255;
                    p[3] = alpha;
                }
        };
        fill(0, 0, 8, 8, 255);
        fill(8, 6, 8, 2, 255);
        fill(16, 0, 8, 8, 10);
        addFile("test.png", png(32, 16, 4, px));
        addFile("test.font", fontXml("Test", textureSize("32|16"),
                                     glyph('A', "0|0|8|8|1|2") + glyph('_', "8|6|8|2|0|1") + glyph('B', "16|0|8|8|0|0")));
        addFile("lone.font", fontXml("Lone", textureSize("32|16"), glyph('A', "0|0|8|8|0|0")));
        addFile("lone.png", png(32, 16, 4, px));
        fonts = std::make_unique<FontManager>();
        fonts->loadFonts(".font");
        font = getFontByName("test");
        ASSERT_NE(font, nullptr);
        saved = d_Fonts5->value.i;
    }
    void TearDown() override {
        d_Fonts5->value.i = saved;
        fonts.reset();
        TextureTest::TearDown();
    }
    // Bounding box {x0, y0, x1, y1} (inclusive) of the pixels whose colour is not black.
    static std::array<int, 4> box(const platform::gfx::Image& image, uint32_t colour = 0) {
        std::array<int, 4> b{image.width, image.height, -1, -1};
        for (int y = 0; y < image.height; ++y)
            for (int x = 0; x < image.width; ++x) {
                uint32_t c = image.argb(x, y) & 0xFFFFFF;
                if (c == 0 || (colour && c != colour)) continue;
                b = {std::min(b[0], x), std::min(b[1], y), std::max(b[2], x), std::max(b[3], y)};
            }
        return b;
    }
    std::unique_ptr<FontManager> fonts;
    Font* font = nullptr;
    int saved = 3;
};

}  // namespace

TEST_F(FontDrawing, PenStartRulesOfEveryMode) {
    // 'A' has a left spacing of 1: its image starts one pixel right of the pen.
    struct Case {
        int mode;
        std::array<int, 4> expected;
    } cases[] = {
        {0, {12, 21, 19, 28}},  // (11.3, 20.3) .. (19.3, 28.3)
        {1, {11, 20, 18, 27}},  // pen truncated to (10, 20): edges on pixel centres
        {2, {11, 20, 18, 27}},  // (10.8, 20.8) truncated: the same
        {3, {12, 21, 19, 28}},  // (10.8, 20.8): image (11.8, 20.8) .. (19.8, 28.8)
        {7, {1, 0, 8, 7}},      // any other value starts at (0, 0)
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        d_Fonts5->value.i = c.mode;
        begin();
        ASSERT_TRUE(font->drawText(10.3f, 20.3f, 0xFFFFFFFF, u"A"));
        // Modes 1 and 2 put the edges exactly on pixel centres: the top and left rows are drawn,
        // the bottom and right ones not, as Direct3D's top-left rule has it.
        EXPECT_EQ(box(end()), c.expected);
    }
}

TEST_F(FontDrawing, OutlineDrawsFourShiftedPassesThenTheText) {
    d_Fonts5->value.i = 0;
    begin();
    ASSERT_TRUE(font->drawText(20.5f, 20.5f, 0xFFFF0000, u"A", nullptr, 2.0f, 0x000000FF));
    platform::gfx::Image image = end();
    // The text in place: pixels 22..29; the outline passes reach 2 pixels further each way.
    EXPECT_EQ(box(image), (std::array<int, 4>{20, 19, 31, 30}));
    EXPECT_EQ(box(image, 0xFF0000), (std::array<int, 4>{22, 21, 29, 28}));
    EXPECT_EQ(image.argb(20, 19) & 0xFFFFFF, 0x0000FFu);  // top-left pass
    EXPECT_EQ(image.argb(31, 30) & 0xFFFFFF, 0x0000FFu);  // bottom-right pass
    EXPECT_EQ(image.argb(31, 19) & 0xFFFFFF, 0x0000FFu);  // top-right pass
    // The outline takes the text's alpha: a transparent text leaves no outline either.
    begin();
    font->drawText(20.5f, 20.5f, 0x00FF0000, u"A", nullptr, 2.0f, 0xFF0000FF);
    EXPECT_EQ(box(end())[2], -1);
}

TEST_F(FontDrawing, MissingGlyphsColoursAndAlphaBound) {
    d_Fonts5->value.i = 0;
    std::vector<D3DCOLOR> colours = {0xFF00FF00, 0xFFFF0000};
    begin();
    // 'Z' is missing: drawn as '_' (8x2 at the glyph's y + 6 .. + 8, after the 11-pixel 'A').
    ASSERT_TRUE(font->drawText(10.5f, 10.5f, 0xFFFFFFFF, u"AZ", &colours));
    platform::gfx::Image image = end();
    EXPECT_EQ(box(image, 0x00FF00), (std::array<int, 4>{12, 11, 19, 18}));
    EXPECT_EQ(box(image, 0xFF0000), (std::array<int, 4>{22, 11, 29, 12}));
    // 'B' has alpha 10, below d_FontsAlphaBound 15: nothing is drawn.
    begin();
    ASSERT_TRUE(font->drawText(10.5f, 10.5f, 0xFFFFFFFF, u"B"));
    EXPECT_EQ(box(end())[2], -1);
    // A font with neither the character, '_' nor ' ': the character is skipped and only the
    // quads built are drawn.
    Font* lone = getFontByName("LONE");
    ASSERT_NE(lone, nullptr);
    begin();
    EXPECT_EQ(lone->drawPass(device, 10, 10, 0xFFFFFFFF, u"A?A", nullptr), 2);
    EXPECT_EQ(box(end()), (std::array<int, 4>{10, 10, 25, 17}));
    EXPECT_EQ(fontVertices().size(), 18u);
}

TEST_F(FontDrawing, PngIsPreferredOverDdsAndAMissingTextureFailsTheDraw) {
    d_Fonts5->value.i = 0;
    addFile("both.font", fontXml("Both", textureSize("1|1"), glyph('A', "0|0|1|1|0|0")));
    addFile("both.png", png(1, 1, 4, {255, 255, 255, 255}));
    addFile("both.dds", dds(1, 1, 1, ddsArgb(), pixels32({0xFF00FF00})));
    addFile("ddsonly.font", fontXml("DdsOnly", textureSize("1|1"), glyph('A', "0|0|1|1|0|0")));
    addFile("ddsonly.dds", dds(1, 1, 1, ddsArgb(), pixels32({0xFF00FF00})));
    addFile("none.font", fontXml("None", textureSize("1|1"), glyph('A', "0|0|1|1|0|0")));
    fonts.reset();  // the old registry clears the singleton as it goes
    fonts = std::make_unique<FontManager>();
    fonts->loadFonts(".font");
    begin();
    ASSERT_TRUE(getFontByName("both")->drawText(4.5f, 4.5f, 0xFFFFFFFF, u"A"));
    ASSERT_TRUE(getFontByName("ddsonly")->drawText(8.5f, 4.5f, 0xFFFFFFFF, u"A"));
    EXPECT_FALSE(getFontByName("none")->drawText(12.5f, 4.5f, 0xFFFFFFFF, u"A"));
    platform::gfx::Image image = end();
    EXPECT_EQ(image.argb(5, 5) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(image.argb(9, 5) & 0xFFFFFF, 0x00FF00u);
    EXPECT_EQ(box(image), (std::array<int, 4>{5, 5, 9, 5}));
    EXPECT_TRUE(textures->find("both.png"));
    EXPECT_TRUE(textures->find("both.dds").isNull());
    // Filters come back as they were; the blend states stay as the draw set them.
    device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    EXPECT_EQ(drawTextWithFont("Both", 0, 0, u"A", 0xFFFFFFFF), 1);
    DWORD minFilter = 0, blend = 0;
    device->GetSamplerState(0, D3DSAMP_MINFILTER, &minFilter);
    device->GetRenderState(D3DRS_ALPHABLENDENABLE, &blend);
    EXPECT_EQ(minFilter, static_cast<DWORD>(D3DTEXF_LINEAR));
    EXPECT_EQ(blend, static_cast<DWORD>(TRUE));
}
