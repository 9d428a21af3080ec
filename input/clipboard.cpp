#include "input/clipboard.h"

#include "platform/input/clipboard.h"

bool Clipboard::putText(const std::string& text) { return platform::setClipboardText(text); }

bool Clipboard::getText(std::string& text) { return platform::getClipboardText(text); }
