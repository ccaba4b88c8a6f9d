#include "workspace/preferences_table.h"

#include "texts/user_texts.h"

Outcome checkDepthBits(int32_t depthBits) {
    if (depthBits >= 1 && depthBits <= 8) return doneOutcome();
    return refusedOutcome(BadDepthBitsText, PreferencesWarningCaption);
}

Outcome checkRepeatCount(int32_t imageWidth, int32_t repeatCount) {
    if (repeatCount >= 3 && repeatCount <= imageWidth / 10) return doneOutcome();
    return refusedOutcome(BadRepeatCountRangeText, PreferencesWarningCaption);
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
