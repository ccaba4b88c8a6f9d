// Dialogs made at run time: an in-memory DLGTEMPLATEEX, the header and
// then each item on a 4-byte boundary, every string UTF-16 with its
// terminating zero, for DialogBoxIndirectParamW.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "shell/preferences_layout.h"

// The predefined window classes of a dialog template, by their atoms.
constexpr WORD ButtonClass = 0x0080;
constexpr WORD EditClass = 0x0081;
constexpr WORD StaticClass = 0x0082;

struct DialogTemplate {
    std::vector<uint8_t> bytes;
    WORD itemCount = 0;
};

// A modal frame with a caption and no system menu, so no close box, in the
// shell's font.
void beginDialog(DialogTemplate& dialog, const DialogRect& rect, const char* title);

// A child control; a label takes the id -1.
void addItem(DialogTemplate& dialog, WORD windowClass, DWORD style, const DialogRect& rect, int32_t id,
             const char* text);

// The template's bytes, with the count of its items.
std::vector<uint8_t> finishDialog(DialogTemplate& dialog);

// The whole text of a dialog's item, however long it was typed or pasted,
// as UTF-8.
std::string dialogItemText(HWND dialog, int id);
