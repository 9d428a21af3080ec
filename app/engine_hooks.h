#pragma once
// Where the game's later layers plug into the engine callbacks: the effect callback's start and
// stop go through the current level (which owns the effects it starts), and the text callback
// finds its fonts through a lookup that tests may replace with a recording font.
#include <cstdint>
#include <functional>
#include <string>

namespace flash {
class character;
}

namespace app {

struct EffectHooks {
    // Drops the current level's running effect of that name.
    std::function<void(const std::string& name)> stop;
    // Starts the named effect on the character's clip in the current level; the effect's name, or
    // empty when none started.
    std::function<std::string(flash::character* ch, const std::string& name)> start;
};
// Empty hooks (no level yet) stop and start nothing.
void setEffectHooks(EffectHooks hooks);
// The effect the character runs, as the effect callback keeps it (empty when none).
std::string runningEffectName(flash::character* ch);
void forgetRunningEffects();

// A font as the text callback uses it.
class TextFont {
public:
    virtual ~TextFont() = default;
    // The line height: the value the font reports for its first glyph.
    virtual int lineHeight() const = 0;
    virtual int textWidth(const std::u16string& text) const = 0;
    virtual void draw(float x, float y, uint32_t argb, const std::u16string& text, float outlineWidth,
                      uint32_t outlineArgb) = 0;
};
// The font of a name, or null; by default the font manager's fonts.
using TextFontLookup = std::function<TextFont*(const std::string& name)>;
// An empty function restores the font manager's lookup.
void setTextFontLookup(TextFontLookup lookup);

}  // namespace app
