#include "shell/preferences_form.h"

#include "texts/user_texts.h"
#include "workspace/preferences_table.h"
#include "workspace/session.h"

namespace {

std::string unsignedText(int32_t value) {
    return std::to_string(static_cast<uint32_t>(value));
}

UnresolvedPolicy policyOf(const PreferencesForm& form, UnresolvedPolicy current) {
    if (form.keepPrevious) return UnresolvedPolicy::KeepPrevious;
    if (form.randomValue) return UnresolvedPolicy::Random;
    if (form.backgroundValue) return UnresolvedPolicy::Background;
    return current;
}

}  // namespace

PreferencesForm preferencesFormFrom(const Preferences& prefs) {
    PreferencesForm form;
    form.depthBits = unsignedText(prefs.depthBits);
    form.repeatCount = unsignedText(prefs.repeatCount);
    form.minMatch = unsignedText(prefs.minMatch);
    form.searchRange = unsignedText(prefs.searchRange);
    form.wallEyed = prefs.wallEyed;
    form.randomFill = prefs.randomFill;
    form.keepPrevious = prefs.unresolvedPolicy == UnresolvedPolicy::KeepPrevious;
    form.randomValue = prefs.unresolvedPolicy == UnresolvedPolicy::Random;
    form.backgroundValue = prefs.unresolvedPolicy == UnresolvedPolicy::Background;
    return form;
}

bool confirmPreferences(Workspace& ws, const PreferencesForm& form, WindowHandle dialog) {
    const int32_t depthBits = readFieldNumber(form.depthBits);
    const int32_t repeatCount = readFieldNumber(form.repeatCount);
    // The depth is checked first: with both wrong, only its message shows.
    Outcome check = checkDepthBits(depthBits);
    if (check.kind == OutcomeKind::Done) check = checkRepeatCount(ws.imageWidth, repeatCount);
    if (check.kind != OutcomeKind::Done) {
        showMessage(dialog, check.refusal.text, check.refusal.caption);
        return false;
    }
    // The picture on show keeps what it was made of: the depth step, the
    // pattern.
    if (shownViewWaitsOn(ws, ReadsDepthStep | ReadsPattern | ReadsPatternWidth)) settleShownView(ws);
    Preferences& prefs = ws.preferences;
    if (repeatCount != prefs.repeatCount && isPresent(ws.pattern)) {
        showMessage(dialog, PatternWidthChangedText, WarningCaption);
        releasePicture(ws.pattern);
    }
    prefs.minMatch = readFieldNumber(form.minMatch);
    prefs.searchRange = readFieldNumber(form.searchRange);
    prefs.repeatCount = repeatCount;
    storeDepthBits(prefs, depthBits);
    prefs.wallEyed = form.wallEyed;
    prefs.randomFill = form.randomFill;
    prefs.unresolvedPolicy = policyOf(form, prefs.unresolvedPolicy);
    return true;
}
