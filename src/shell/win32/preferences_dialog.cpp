#include "shell/win32/preferences_dialog.h"

#include <string>
#include <vector>

#include "shell/preferences_form.h"
#include "shell/preferences_layout.h"
#include "shell/win32/dialog_template.h"
#include "shell/win32/text_conversion.h"
#include "texts/user_texts.h"

namespace {

const char* const NoText = "";

void addControl(DialogTemplate& dialog, const PreferencesControl& control, const DialogRect& rect)
{
    switch (control.kind) {
    case ControlKind::Number:
        addItem(dialog, EditClass, ES_NUMBER | ES_RIGHT | WS_BORDER | WS_TABSTOP, rect, control.controlId, NoText);
        return;
    case ControlKind::Text:
        addItem(dialog, EditClass, ES_LEFT | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, rect, control.controlId,
                NoText);
        return;
    case ControlKind::CheckBox:
        addItem(dialog, ButtonClass, BS_AUTOCHECKBOX | WS_TABSTOP, rect, control.controlId, control.label);
        return;
    case ControlKind::RadioButton:
        break;
    }
    // The first radio button of a choice starts a group, which runs to the
    // next one's: the buttons of one choice exclude each other.
    const DWORD group = control.choice == 0 ? WS_GROUP : 0;
    addItem(dialog, ButtonClass, BS_AUTORADIOBUTTON | group, rect, control.controlId, control.label);
}

// The items in the order of the Tab key (which visits them in the
// template's order), the labels before their fields so that each names
// its field; then the frames; then the radio buttons, which are no Tab
// stops, each choice's in a group of its own.
std::vector<uint8_t> preferencesTemplate()
{
    const PreferencesLayout layout = layOutPreferences();
    const std::vector<PreferencesControl>& controls = preferencesControls();
    DialogTemplate dialog;
    beginDialog(dialog, layout.dialog, PreferencesItem);
    for (int32_t id : preferencesTabOrder()) {
        for (size_t b = 0; b < PreferencesButtonCount; ++b)
            if (PreferencesButtons[b].controlId == id)
                addItem(dialog, ButtonClass, BS_PUSHBUTTON | WS_TABSTOP, layout.buttons[b], id,
                        PreferencesButtons[b].label);
        for (size_t i = 0; i < controls.size(); ++i) {
            if (controls[i].controlId != id) continue;
            if (holdsText(controls[i]))
                addItem(dialog, StaticClass, SS_LEFT | SS_CENTERIMAGE, layout.labels[i], -1, controls[i].label);
            addControl(dialog, controls[i], layout.controls[i]);
        }
    }
    for (size_t f = 0; f < PreferencesFrameCount; ++f)
        addItem(dialog, ButtonClass, BS_GROUPBOX, layout.frames[f], -1, PreferencesFrames[f].title);
    for (size_t i = 0; i < controls.size(); ++i)
        if (controls[i].kind == ControlKind::RadioButton) addControl(dialog, controls[i], layout.controls[i]);
    return finishDialog(dialog);
}

Workspace& workspaceOf(HWND dialog)
{
    return *reinterpret_cast<Workspace*>(GetWindowLongPtrW(dialog, DWLP_USER));
}

// A radio button makes itself a Tab stop whenever it is checked; the
// dialog keeps them all out of the Tab order.
void keepRadiosOutOfTabOrder(HWND dialog)
{
    for (const PreferencesControl& control : preferencesControls()) {
        if (control.kind != ControlKind::RadioButton) {
            continue;
        }
        HWND radio = GetDlgItem(dialog, control.controlId);
        LONG_PTR style = GetWindowLongPtrW(radio, GWL_STYLE);
        SetWindowLongPtrW(radio, GWL_STYLE, style & ~static_cast<LONG_PTR>(WS_TABSTOP));
    }
}

bool isRadioButton(int32_t id)
{
    for (const PreferencesControl& control : preferencesControls()) {
        if (control.controlId == id) {
            return control.kind == ControlKind::RadioButton;
        }
    }
    return false;
}

void fillControls(HWND dialog, const PreferencesForm& form)
{
    const std::vector<PreferencesControl>& controls = preferencesControls();
    for (size_t i = 0; i < controls.size(); ++i) {
        if (holdsText(controls[i])) {
            SetDlgItemTextW(dialog, controls[i].controlId, widen(form.texts[i].c_str()).c_str());
        } else if (form.ticks[i]) {
            CheckDlgButton(dialog, controls[i].controlId, BST_CHECKED);
        }
    }
    keepRadiosOutOfTabOrder(dialog);
}

PreferencesForm readControls(HWND dialog)
{
    PreferencesForm form;
    for (const PreferencesControl& control : preferencesControls()) {
        form.texts.push_back(holdsText(control) ? dialogItemText(dialog, control.controlId) : std::string());
        form.ticks.push_back(!holdsText(control) && IsDlgButtonChecked(dialog, control.controlId) == BST_CHECKED);
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
    if (commandId == PreferencesOkId) {
        onConfirm(dialog);
    } else if (commandId == PreferencesCancelId) {
        SendMessageW(dialog, WM_CLOSE, 0, 0);
    } else if (isRadioButton(commandId)) {
        keepRadiosOutOfTabOrder(dialog);
    }
    return TRUE;
}

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

}  // namespace

void showPreferencesDialog(HINSTANCE instance, HWND owner, Workspace& ws)
{
    const std::vector<uint8_t> dialog = preferencesTemplate();
    DialogBoxIndirectParamW(instance, reinterpret_cast<LPCDLGTEMPLATEW>(dialog.data()), owner, preferencesDialogProc,
                            reinterpret_cast<LPARAM>(&ws));
}
