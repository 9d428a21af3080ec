#pragma once
// Characters and Windows virtual-key codes of DirectInput scan codes. The layout map follows the
// keyboard language (German or the US table for every other language) and is rebuilt when the
// window's input language changes.
#include <cstdint>
#include <map>

// Key of the shifted character in the layout map: scan code + kShiftedKey.
constexpr uint32_t kShiftedKey = 0x10000;
// The character of a key that the layout does not give.
constexpr char16_t kNoKeyChar = 0xFFFF;

class KeyTables {
public:
    // Fills the process-wide layout map for a language id (1031 German; any other: US).
    static void buildKeyboardLayout(uint16_t languageId);
    // The character of a key, or 0xFFFF when the layout has none.
    static char16_t getChar(int scanCode, bool shift);
    static const std::map<uint32_t, char16_t>& layoutMap();
};

// Fills the layout map for the language of the current keyboard layout.
void buildKeyboardLayout();

// The virtual-key code of a scan code from the editing-keys map (backspace, end, home, the
// arrows, delete) or from the full map; 0 when the code is absent.
uint32_t scanCodeToVirtualKey(int scanCode, bool editingKeysOnly);
