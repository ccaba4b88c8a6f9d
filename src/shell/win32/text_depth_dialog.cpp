#include "shell/win32/text_depth_dialog.h"

#include <string>
#include <vector>

#include "shell/text_depth_dialog.h"
#include "shell/win32/dialog_template.h"
#include "shell/win32/text_conversion.h"
#include "texts/user_texts.h"

namespace {

// In dialog units: a label and its field a row each, the buttons below.
constexpr int32_t Margin = 7;
constexpr int32_t LabelWidth = 45;
constexpr int32_t RowHeight = 14;
constexpr int32_t RowStep = 20;
constexpr int32_t TextFieldWidth = 170;
constexpr int32_t NumberFieldWidth = 50;
constexpr int32_t ButtonWidth = 50;
constexpr int32_t FieldX = Margin + LabelWidth + 4;
constexpr int32_t DialogWidth = FieldX + TextFieldWidth + Margin;
constexpr int32_t ButtonsY = Margin + static_cast<int32_t>(TextDepthFieldCount) * RowStep + 4;
constexpr int32_t DialogHeight = ButtonsY + RowHeight + Margin;

void addField(DialogTemplate& dialog, const TextDepthControl& control, int32_t row)
{
    const int32_t y = Margin + row * RowStep;
    addItem(dialog, StaticClass, SS_LEFT | SS_CENTERIMAGE, DialogRect{Margin, y, LabelWidth, RowHeight}, -1,
            control.label);
    const bool number = control.kind == TextDepthControlKind::Number;
    const DWORD style = (number ? ES_NUMBER | ES_RIGHT : ES_LEFT | ES_AUTOHSCROLL) | WS_BORDER | WS_TABSTOP;
    addItem(dialog, EditClass, style, DialogRect{FieldX, y, number ? NumberFieldWidth : TextFieldWidth, RowHeight},
            control.controlId, "");
}

// The fields in the Tab key's order, each after its label, then OK (the
// default button, which Enter presses) and Anuluj.
std::vector<uint8_t> textDepthTemplate()
{
    DialogTemplate dialog;
    beginDialog(dialog, DialogRect{0, 0, DialogWidth, DialogHeight}, TextDepthDialogTitle);
    int32_t buttonX = DialogWidth - Margin - 2 * ButtonWidth - 4;
    for (size_t i = 0; i < TextDepthControlCount; ++i) {
        const TextDepthControl& control = TextDepthControls[i];
        if (control.kind != TextDepthControlKind::Button) {
            addField(dialog, control, static_cast<int32_t>(i));
            continue;
        }
        const DWORD kind = control.controlId == TextDepthOkId ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
        addItem(dialog, ButtonClass, kind | WS_TABSTOP, DialogRect{buttonX, ButtonsY, ButtonWidth, RowHeight},
                control.controlId, control.label);
        buttonX += ButtonWidth + 4;
    }
    return finishDialog(dialog);
}

TextDepthRequest& requestOf(HWND dialog)
{
    return *reinterpret_cast<TextDepthRequest*>(GetWindowLongPtrW(dialog, DWLP_USER));
}

INT_PTR onInitDialog(HWND dialog, LPARAM request)
{
    SetWindowLongPtrW(dialog, DWLP_USER, request);
    const TextDepthForm form = textDepthFormFrom(requestOf(dialog));
    for (size_t i = 0; i < TextDepthFieldCount; ++i)
        SetDlgItemTextW(dialog, TextDepthControls[i].controlId, widen(form.texts[i].c_str()).c_str());
    return TRUE;  // the focus goes to the text
}

void onConfirm(HWND dialog)
{
    TextDepthForm form;
    for (size_t i = 0; i < TextDepthFieldCount; ++i) form.texts[i] = dialogItemText(dialog, TextDepthControls[i].controlId);
    if (confirmTextDepthForm(form, requestOf(dialog), dialog)) EndDialog(dialog, 1);
}

INT_PTR CALLBACK textDepthDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        return onInitDialog(dialog, lParam);
    case WM_COMMAND:
        if (LOWORD(wParam) == TextDepthOkId || LOWORD(wParam) == IDOK) {
            onConfirm(dialog);
        } else if (LOWORD(wParam) == TextDepthCancelId || LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, 0);
        }
        return TRUE;
    case WM_CLOSE:
        EndDialog(dialog, 0);
        return TRUE;
    default:
        return FALSE;
    }
}

}  // namespace

bool showTextDepthDialog(HINSTANCE instance, HWND owner, TextDepthRequest& request)
{
    const std::vector<uint8_t> dialog = textDepthTemplate();
    // The dialog works on a copy: a cancelled one changes nothing.
    TextDepthRequest edited = request;
    const INT_PTR result = DialogBoxIndirectParamW(instance, reinterpret_cast<LPCDLGTEMPLATEW>(dialog.data()), owner,
                                                   textDepthDialogProc, reinterpret_cast<LPARAM>(&edited));
    if (result != 1) return false;
    request = edited;
    return true;
}
