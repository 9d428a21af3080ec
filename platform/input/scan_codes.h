#pragma once
// SDL scan codes to the DirectInput key codes (the PC set-1 scan codes, extended keys with bit 7).

namespace platform {

// DIK codes the game names.
constexpr int DIK_ESCAPE = 0x01;
constexpr int DIK_RETURN = 0x1C;
constexpr int DIK_LCONTROL = 0x1D;
constexpr int DIK_LSHIFT = 0x2A;
constexpr int DIK_RSHIFT = 0x36;
constexpr int DIK_LMENU = 0x38;
constexpr int DIK_NUMPADENTER = 0x9C;
constexpr int DIK_RCONTROL = 0x9D;
constexpr int DIK_SYSRQ = 0xB7;  // Print screen
constexpr int DIK_RMENU = 0xB8;

// The DIK code of an SDL_Scancode value, or 0 when the key has none.
int scanCodeToDik(int sdlScancode);

}  // namespace platform
