#pragma once
// The clipboard's 8-bit text (Windows-1252), for the console's paste and copy.
#include <string>

class Clipboard {
public:
    // Puts the text (up to its first NUL), whether or not the clipboard held text before; a
    // failing step ends it, and the result is false.
    static bool putText(const std::string& text);
    // Copies the clipboard's text into `text`; when the clipboard holds no text or cannot be
    // read, `text` is left unchanged and the result is false.
    static bool getText(std::string& text);
};
