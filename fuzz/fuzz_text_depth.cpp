// Feeds arbitrary bytes as the text to raise, and checks what is drawn:
// ground 0, the letters from their edge (50) to their face (200).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "models/text_depth.h"
#include "test_runtime.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Picture depth;
    const std::string text(reinterpret_cast<const char*>(data), size);
    if (renderTextDepthMap(testRuntime(), text, 64, 40, depth).kind != OutcomeKind::Done) return 0;
    for (size_t i = 0; i < static_cast<size_t>(depth.width) * depth.height; ++i)
        if (depth.pixels[i] != 0 && (depth.pixels[i] < 50 || depth.pixels[i] > 200)) std::abort();
    return 0;
}
