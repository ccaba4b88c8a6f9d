// Feeds arbitrary bytes to the PLY reader, and to the reader their content
// names, and draws every model accepted.
#include "model_fuzzing.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    readAndDraw(ModelFormat::Ply, data, size);
    return 0;
}
