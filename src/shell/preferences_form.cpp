#include "shell/preferences_form.h"

#include "texts/user_texts.h"
#include "workspace/session.h"

bool confirmPreferences(Workspace& ws, const PreferencesForm& form, WindowHandle dialog) {
    // Refused in the rows' order: with both wrong, only the depth's message
    // shows.
    const Outcome check = checkPreferencesForm(form, ws.imageWidth);
    if (check.kind != OutcomeKind::Done) {
        showMessage(dialog, check.refusal.text, check.refusal.caption);
        return false;
    }
    // The picture on show keeps what it was made of: the depth step, the
    // pattern (which colour may no longer let fit).
    if (shownViewWaitsOn(ws, ReadsDepthStep | ReadsPattern | ReadsPatternWidth)) settleShownView(ws);
    const Preferences stored = preferencesFromForm(form, ws.preferences);
    if (stored.repeatCount != ws.preferences.repeatCount && isPresent(ws.pattern)) {
        showMessage(dialog, PatternWidthChangedText, WarningCaption);
        releasePicture(ws.pattern);
    }
    ws.preferences = stored;
    return true;
}
