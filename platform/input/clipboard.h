#pragma once
// The system clipboard's 8-bit text. The game's 8-bit text is Windows-1252; the desktop's
// clipboard holds UTF-8, so the text is converted on the way in and out. Needs SDL's video
// subsystem; without it every call fails.
#include <string>
#include <string_view>

namespace platform {

bool clipboardHasText();
// Starts and stops SDL's video subsystem for the clipboard alone (headless tests; the game's window
// starts it otherwise).
[[nodiscard]] bool startClipboardVideo();
void stopClipboardVideo();
// The clipboard's text as the desktop holds it (UTF-8); empty when it holds none or cannot be read.
std::string clipboardUtf8();
// Puts UTF-8 text as it is; false when the clipboard cannot be written.
[[nodiscard]] bool setClipboardUtf8(const char* utf8);
// False (and `text` unchanged) when the clipboard holds no text or cannot be read. Characters
// that Windows-1252 lacks become '?'.
[[nodiscard]] bool getClipboardText(std::string& text);
// Puts the text up to its first NUL; false when the clipboard cannot be written.
[[nodiscard]] bool setClipboardText(const std::string& text);

std::string cp1252ToUtf8(std::string_view text);
// Invalid UTF-8 bytes and characters outside Windows-1252 become '?'.
std::string utf8ToCp1252(std::string_view text);

}  // namespace platform
