#include "shell/win32/preferences_dialog.h"

#include <string>

#include "shell/preferences_fields.h"
#include "shell/preferences_form.h"
#include "shell/resources/resource_ids.h"
#include "shell/win32/text_conversion.h"
#include "workspace/workspace.h"

namespace {

Workspace& workspaceOf(HWND dialog)
{
    return *reinterpret_cast<Workspace*>(GetWindowLongPtrW(dialog, DWLP_USER));
}

void setField(HWND dialog, int id, const std::string& text)
{
    SetDlgItemTextW(dialog, id, widen(text.c_str()).c_str());
}

// The whole text, however long it was typed or pasted.
std::string fieldText(HWND dialog, int id)
{
    HWND field = GetDlgItem(dialog, id);
    int length = GetWindowTextLengthW(field);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    GetWindowTextW(field, &text[0], length + 1);
    return narrow(text.c_str());
}

void tickIf(HWND dialog, int id, bool on)
{
    if (on) {
        CheckDlgButton(dialog, id, BST_CHECKED);
    }
}

bool isTicked(HWND dialog, int id)
{
    return IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

// A radio button makes itself a Tab stop whenever it is checked; the
// dialog keeps all three out of the Tab order.
void keepRadiosOutOfTabOrder(HWND dialog)
{
    for (const PreferencesField& field : PreferencesFields) {
        if (field.kind != FieldKind::RadioButton) {
            continue;
        }
        HWND radio = GetDlgItem(dialog, field.controlId);
        LONG_PTR style = GetWindowLongPtrW(radio, GWL_STYLE);
        SetWindowLongPtrW(radio, GWL_STYLE, style & ~static_cast<LONG_PTR>(WS_TABSTOP));
    }
}

void fillControls(HWND dialog, const PreferencesForm& form)
{
    for (const PreferencesField& field : PreferencesFields) {
        if (holdsText(field)) {
            setField(dialog, field.controlId, form.*field.text);
        } else {
            tickIf(dialog, field.controlId, form.*field.ticked);
        }
    }
    keepRadiosOutOfTabOrder(dialog);
}

PreferencesForm readControls(HWND dialog)
{
    PreferencesForm form;
    for (const PreferencesField& field : PreferencesFields) {
        if (holdsText(field)) {
            form.*field.text = fieldText(dialog, field.controlId);
        } else {
            form.*field.ticked = isTicked(dialog, field.controlId);
        }
    }
    return form;
}

INT_PTR onInitDialog(HWND dialog, LPARAM workspace)
{
    SetWindowLongPtrW(dialog, DWLP_USER, workspace);
    fillControls(dialog, preferencesFormFrom(workspaceOf(dialog).preferences));
    return TRUE;  // the focus goes to the first Tab stop
}

void onConfirm(HWND dialog)
{
    if (confirmPreferences(workspaceOf(dialog), readControls(dialog), dialog)) {
        EndDialog(dialog, 1);
    }
}

// Only the two push buttons act. The standard IDOK and IDCANCEL, sent for
// Enter and Esc, are ignored like every other command.
INT_PTR onCommand(HWND dialog, int commandId)
{
    switch (commandId) {
    case PREFERENCES_OK:
        onConfirm(dialog);
        return TRUE;
    case PREFERENCES_CANCEL:
        SendMessageW(dialog, WM_CLOSE, 0, 0);
        return TRUE;
    case PREFERENCES_KEEP_PREVIOUS:
    case PREFERENCES_RANDOM_VALUE:
    case PREFERENCES_BACKGROUND_VALUE:
        keepRadiosOutOfTabOrder(dialog);
        return TRUE;
    default:
        return TRUE;
    }
}

}  // namespace

INT_PTR CALLBACK preferencesDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        return onInitDialog(dialog, lParam);
    case WM_COMMAND:
        return onCommand(dialog, LOWORD(wParam));
    case WM_CLOSE:
        EndDialog(dialog, 0);
        return TRUE;
    default:
        return FALSE;
    }
}
