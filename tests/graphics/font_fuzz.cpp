#include "tests/graphics/font_fuzz.h"

#include <climits>
#include <cstdlib>
#include <string>
#include <utility>

#include "core/attr_xml.h"
#include "graphics/font.h"
#include "tests/support/fuzz_target.h"

namespace fonttest {

namespace {
// The longest run measured: enough glyphs of the largest bounded advance (16384 pixels) to pass
// INT32_MAX.
constexpr int64_t kLongestRun = 140000;
constexpr size_t kMaxInputText = 4096;
volatile int32_t g_sink;

// The glyph whose pen advance is largest either way, and that advance.
std::pair<char16_t, int64_t> widestGlyph(const Font& font) {
    std::pair<char16_t, int64_t> widest{u' ', 0};
    for (const auto& [code, g] : font.glyphs) {
        const int64_t advance = font.texFormat ? int64_t(g.advance)
                                               : int64_t(g.leftSpacing) + g.width + g.rightSpacing;
        if (std::abs(advance) > std::abs(widest.second)) widest = {static_cast<char16_t>(code), advance};
    }
    return widest;
}
}  // namespace

int readFontBytes(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    Attr::AttributePtr top = Attr::parseDocument(text.c_str());
    if (!top) return -1;
    Font font(top->name());
    if (!font.readDescription(top)) return -1;
    std::u16string glyphs, bytes;
    for (const auto& [code, glyph] : font.glyphs) glyphs.push_back(static_cast<char16_t>(code));
    for (size_t i = 0; i < size && i < kMaxInputText; ++i) bytes.push_back(static_cast<char16_t>(data[i]));
    int32_t sum = font.getHeight();
    sum ^= font.getTextWidth(glyphs);
    sum ^= font.getTextWidth(bytes);
    // A run of the widest glyph just long enough to add up past 32 bits, when that is not too long.
    const auto [widest, advance] = widestGlyph(font);
    const int64_t run = advance ? INT32_MAX / std::abs(advance) + 2 : kLongestRun + 1;
    if (run <= kLongestRun) sum ^= font.getTextWidth(std::u16string(static_cast<size_t>(run), widest));
    font.replaceMissingGlyphs(bytes, u'_');
    g_sink = sum;
    return static_cast<int>(font.glyphs.size());
}

}  // namespace fonttest

TOV_FUZZ_TARGET(fonttest::readFontBytes(data, size))
