// What the tolerant decoder and its width detection share: the levels a
// decoding goes by.
#pragma once

#include <algorithm>
#include <cstdint>

#include "engine/preferences.h"

// 2^depthBits, with depthBits held to 0 .. 8, so that no setting asks for
// more candidate separations than a picture can have levels.
inline int32_t tolerantLevelCount(const Preferences& prefs) {
    return 1 << std::min(std::max(prefs.depthBits, 0), 8);
}
