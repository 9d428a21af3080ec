#include "input/clipboard.h"

#include "platform/input/clipboard.h"

void Clipboard::putText(const std::string& text) { platform::setClipboardText(text); }

void Clipboard::getText(std::string& text) { platform::getClipboardText(text); }
