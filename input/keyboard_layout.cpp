#include "input/keyboard_layout.h"

#include <utility>

#include "platform/input/keyboard_language.h"

namespace {

std::map<uint32_t, char16_t> s_layout;

constexpr uint16_t kGerman = 1031;

// Scan codes of the letter keys in US order a..z.
constexpr int kLetterCodes[26] = {0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17, 0x24, 0x25, 0x26, 0x32,
                                  0x31, 0x18, 0x19, 0x10, 0x13, 0x1F, 0x14, 0x16, 0x2F, 0x11, 0x2D, 0x15, 0x2C};

void put(uint32_t key, char16_t c) { s_layout[key] = c; }
void putShifted(int code, char16_t c) { s_layout[kShiftedKey + static_cast<uint32_t>(code)] = c; }

void putRow(int firstCode, const char16_t* chars, bool shifted) {
    for (int i = 0; chars[i]; ++i)
        shifted ? putShifted(firstCode + i, chars[i]) : put(static_cast<uint32_t>(firstCode + i), chars[i]);
}

void putLetters(bool german) {
    for (int i = 0; i < 26; ++i) {
        int code = kLetterCodes[i];
        // QWERTZ swaps the Y and Z keys.
        if (german && code == 0x15)
            code = 0x2C;
        else if (german && code == 0x2C)
            code = 0x15;
        put(static_cast<uint32_t>(code), static_cast<char16_t>(u'a' + i));
        putShifted(code, static_cast<char16_t>(u'A' + i));
    }
}

void putPairs(std::initializer_list<std::pair<uint32_t, char16_t>> pairs) {
    for (const auto& [key, c] : pairs) put(key, c);
}

}  // namespace

void KeyTables::buildKeyboardLayout(uint16_t languageId) {
    const bool german = languageId == kGerman;
    s_layout.clear();

    putRow(0x02, u"1234567890", false);
    putShifted(0x39, u' ');
    putLetters(german);

    if (german) {
        // The umlaut keys give the plain vowels and the sharp-s key gives '?'.
        putPairs({{0x0C, u'?'}, {0x0D, 0x60}, {0x1A, u'u'}, {0x1B, u'+'}, {0x27, u'o'}, {0x28, u'a'}, {0x29, u'^'},
                  {0x2B, u'#'}, {0x33, u','}, {0x34, u'.'}, {0x35, u'-'}, {0x37, u'*'}, {0x39, u' '}});
        putRow(0x02, u"!\"\u00A7$%&/()=", true);
        putPairs({{0x1000C, u'?'}, {0x1000D, 0x60}, {0x1001A, u'U'}, {0x1001B, u'*'}, {0x10027, u'O'},
                  {0x10028, u'A'}, {0x10029, u'~'}, {0x1002B, 0x60}, {0x10033, u';'}, {0x10034, u':'},
                  {0x10035, u'_'}, {0x10037, u'*'}});
    } else {
        putPairs({{0x0C, u'-'}, {0x0D, u'='}, {0x1A, u'['}, {0x1B, u']'}, {0x27, u';'}, {0x28, 0x60}, {0x29, 0x60},
                  {0x2B, u'\\'}, {0x33, u','}, {0x34, u'.'}, {0x35, u'/'}, {0x37, u'*'}, {0x39, u' '}});
        putRow(0x02, u"!@#$%^&*()_+", true);
        putPairs({{0x1001A, u'{'}, {0x1001B, u'}'}, {0x10027, u':'}, {0x10028, u'"'}, {0x10029, u'~'},
                  {0x1002B, u'|'}, {0x10033, u'<'}, {0x10034, u'>'}, {0x10035, u'?'}, {0x10037, u'*'}});
    }

    // The numeric pad and a few keys, in both branches.
    putPairs({{0x4F, u'1'}, {0x50, u'2'}, {0x51, u'3'}, {0x4B, u'4'}, {0x4C, u'5'}, {0x4D, u'6'}, {0x47, u'7'},
              {0x48, u'8'}, {0x49, u'9'}, {0x52, u'0'}, {0x4A, u'-'}, {0x4E, u'+'}, {0x53, german ? u',' : u'.'},
              {0x8D, u'='}, {0x91, u'@'}, {0x92, u':'}, {0x93, u':'}, {0xB3, u':'}, {0xB5, u'/'}});
}

char16_t KeyTables::getChar(int scanCode, bool shift) {
    if (scanCode < 0) return kNoKeyChar;
    const auto it = s_layout.find(static_cast<uint32_t>(scanCode) + (shift ? kShiftedKey : 0));
    return it == s_layout.end() ? kNoKeyChar : it->second;
}

const std::map<uint32_t, char16_t>& KeyTables::layoutMap() { return s_layout; }

void buildKeyboardLayout() { KeyTables::buildKeyboardLayout(platform::keyboardLanguageId()); }

namespace {

using VirtualKeyMap = std::map<int, uint32_t>;

const VirtualKeyMap& editingKeys() {
    static const VirtualKeyMap map = {{0x0E, 0x08}, {0xCF, 0x23}, {0xC7, 0x24}, {0xCB, 0x25},
                                      {0xC8, 0x26}, {0xCD, 0x27}, {0xD0, 0x28}, {0xD3, 0x2E}};
    return map;
}

const VirtualKeyMap& allKeys() {
    static const VirtualKeyMap map = [] {
        VirtualKeyMap m = editingKeys();
        for (int i = 0; i < 26; ++i) m[kLetterCodes[i]] = 0x41 + static_cast<uint32_t>(i);
        m[0x0B] = 0x30;
        for (int code = 0x02; code <= 0x0A; ++code) m[code] = 0x31 + static_cast<uint32_t>(code - 0x02);
        const int pad[10] = {0x52, 0x4F, 0x50, 0x51, 0x4B, 0x4C, 0x4D, 0x47, 0x48, 0x49};
        for (int i = 0; i < 10; ++i) m[pad[i]] = 0x60 + static_cast<uint32_t>(i);
        for (int code = 0x3B; code <= 0x44; ++code) m[code] = 0x70 + static_cast<uint32_t>(code - 0x3B);
        m[0x57] = 0x7A, m[0x58] = 0x7B, m[0x64] = 0x7C, m[0x65] = 0x7D, m[0x66] = 0x7E;
        m[0x39] = 0x20;
        m[0x27] = 0xBA, m[0x0D] = 0xBB, m[0x0C] = 0xBD, m[0x35] = 0xBF, m[0x1A] = 0xDB, m[0x1B] = 0xDD,
        m[0x2B] = 0xDC;
        return m;
    }();
    return map;
}

}  // namespace

uint32_t scanCodeToVirtualKey(int scanCode, bool editingKeysOnly) {
    const VirtualKeyMap& map = editingKeysOnly ? editingKeys() : allKeys();
    const auto it = map.find(scanCode);
    return it == map.end() ? 0 : it->second;
}
