#include "shell/win32/dialog_template.h"

#include <cstring>

#include "shell/win32/text_conversion.h"

namespace {

template <class Value>
void append(DialogTemplate& dialog, Value value)
{
    const size_t at = dialog.bytes.size();
    dialog.bytes.resize(at + sizeof value);
    std::memcpy(dialog.bytes.data() + at, &value, sizeof value);
}

void appendText(DialogTemplate& dialog, const char* utf8)
{
    for (wchar_t c : widen(utf8)) append(dialog, static_cast<WORD>(c));
    append(dialog, WORD{0});
}

void alignToFour(DialogTemplate& dialog)
{
    while (dialog.bytes.size() % 4 != 0) dialog.bytes.push_back(0);
}

void appendRect(DialogTemplate& dialog, const DialogRect& rect)
{
    append(dialog, static_cast<short>(rect.x));
    append(dialog, static_cast<short>(rect.y));
    append(dialog, static_cast<short>(rect.width));
    append(dialog, static_cast<short>(rect.height));
}

// The place of the item count in the header, filled in once all are made.
constexpr size_t ItemCountOffset = 16;

}  // namespace

void beginDialog(DialogTemplate& dialog, const DialogRect& rect, const char* title)
{
    append(dialog, WORD{1});       // dlgVer
    append(dialog, WORD{0xFFFF});  // signature
    append(dialog, DWORD{0});      // helpID
    append(dialog, DWORD{0});      // exStyle
    append(dialog, static_cast<DWORD>(DS_MODALFRAME | DS_SHELLFONT | WS_POPUP | WS_CAPTION));
    append(dialog, WORD{0});  // the item count
    appendRect(dialog, rect);
    append(dialog, WORD{0});  // no menu
    append(dialog, WORD{0});  // the dialog's own class
    appendText(dialog, title);
    append(dialog, WORD{8});    // points
    append(dialog, WORD{0});    // weight
    append(dialog, BYTE{0});    // not italic
    append(dialog, BYTE{1});    // the default character set
    appendText(dialog, "MS Shell Dlg 2");
}

void addItem(DialogTemplate& dialog, WORD windowClass, DWORD style, const DialogRect& rect, int32_t id,
             const char* text)
{
    alignToFour(dialog);
    append(dialog, DWORD{0});  // helpID
    append(dialog, DWORD{0});  // exStyle
    append(dialog, static_cast<DWORD>(style | WS_CHILD | WS_VISIBLE));
    appendRect(dialog, rect);
    append(dialog, static_cast<DWORD>(id));
    append(dialog, WORD{0xFFFF});
    append(dialog, windowClass);
    appendText(dialog, text);
    append(dialog, WORD{0});  // no creation data
    ++dialog.itemCount;
}

std::vector<uint8_t> finishDialog(DialogTemplate& dialog)
{
    std::memcpy(dialog.bytes.data() + ItemCountOffset, &dialog.itemCount, sizeof dialog.itemCount);
    alignToFour(dialog);
    return dialog.bytes;
}

std::string dialogItemText(HWND dialog, int id)
{
    HWND field = GetDlgItem(dialog, id);
    const int length = GetWindowTextLengthW(field);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    GetWindowTextW(field, &text[0], length + 1);
    return narrow(text.c_str());
}
