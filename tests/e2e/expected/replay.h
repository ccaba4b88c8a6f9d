// What the silent platform layer of the expected-files tool asks of the
// replayed script.
#pragma once

#include <filesystem>

// The answer to the next file dialog: the name of the script's next
// choose-file step (true), or false for a cancel-file step or when the
// script has no further answer.
bool nextFileChoice(std::filesystem::path& fileName);
