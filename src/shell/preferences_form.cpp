#include "shell/preferences_form.h"

#include "texts/user_texts.h"

namespace {

std::string unsignedText(int32_t value) {
    return std::to_string(static_cast<uint32_t>(value));
}

bool depthBitsAllowed(int32_t depthBits) {
    return depthBits >= 1 && depthBits <= 8;
}

bool repeatCountAllowed(const Workspace& ws, int32_t repeatCount) {
    return repeatCount >= 3 && repeatCount <= ws.imageWidth / 10;
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

int32_t readFieldNumber(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    uint64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + static_cast<uint64_t>(text[i] - '0');
        if (value > 0xFFFFFFFFu) return 0;
    }
    return static_cast<int32_t>(static_cast<uint32_t>(value));
}

bool confirmPreferences(Workspace& ws, const PreferencesForm& form, WindowHandle dialog) {
    const int32_t depthBits = readFieldNumber(form.depthBits);
    const int32_t repeatCount = readFieldNumber(form.repeatCount);
    if (!depthBitsAllowed(depthBits)) {
        showMessage(dialog, BadDepthBitsText, PreferencesWarningCaption);
        return false;
    }
    if (!repeatCountAllowed(ws, repeatCount)) {
        showMessage(dialog, BadRepeatCountRangeText, PreferencesWarningCaption);
        return false;
    }
    Preferences& prefs = ws.preferences;
    if (repeatCount != prefs.repeatCount && ws.pattern.pixels != nullptr) {
        showMessage(dialog, PatternWidthChangedText, WarningCaption);
        releaseGreyImage(ws.pattern);
    }
    prefs.minMatch = readFieldNumber(form.minMatch);
    prefs.searchRange = readFieldNumber(form.searchRange);
    prefs.repeatCount = repeatCount;
    prefs.depthBits = depthBits;
    prefs.depthStep = 256 / levelCount(prefs);
    prefs.wallEyed = form.wallEyed;
    prefs.randomFill = form.randomFill;
    prefs.unresolvedPolicy = policyOf(form, prefs.unresolvedPolicy);
    return true;
}
