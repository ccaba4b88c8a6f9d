#include "engine/preferences.h"

#include <cmath>

#include "picture/picture.h"

int32_t levelCount(const Preferences& prefs) {
    return static_cast<int32_t>(std::pow(2.0, prefs.depthBits));
}

void storeDepthBits(Preferences& prefs, int32_t depthBits) {
    prefs.depthBits = depthBits;
    prefs.depthStep = 256 / levelCount(prefs);
}

int32_t channelsKept(const Preferences& prefs) {
    return prefs.colour ? ColourChannels : GreyChannels;
}

bool decodesTolerantly(DecoderChoice choice, bool fromLossyFile) {
    switch (choice) {
        case DecoderChoice::Exact: return false;
        case DecoderChoice::Tolerant: return true;
        case DecoderChoice::Automatic: break;
    }
    return fromLossyFile;
}
