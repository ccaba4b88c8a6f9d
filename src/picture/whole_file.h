// A whole file in one block of the runtime's, for the readers that work
// from memory; and a file name's extension as the program tells formats
// by it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <istream>
#include <string>

#include "picture/bytes.h"
#include "picture/outcome.h"
#include "picture/runtime.h"

// The `length` bytes of an open file from its first. Null, with the
// outcome saying why, when they do not fit: refused with `tooLargeText`
// (caption "Błąd") when more than `largest`, before anything is allocated;
// out of memory; refused silently when fewer came (the file shrank after
// its length was taken).
OwnedBytes readWholeFile(Runtime& runtime, std::istream& file, uint64_t length, uint64_t largest,
                         const char* tooLargeText, Outcome& outcome);

// The name's extension with its dot, in lower case (".png" for
// "Kule.PNG"); empty when it has none.
std::string lowerCaseExtension(const std::filesystem::path& fileName);
