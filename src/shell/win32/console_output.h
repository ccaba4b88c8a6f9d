// Text for the console the program was started from. A program of the
// Windows subsystem has no console of its own: it writes to the standard
// handles it was given (a file or a pipe when the caller redirected them;
// under Wine, the Unix standard output and error), and else to the console
// of the process that started it, if that has one.
#pragma once

#include <string>

// Writes UTF-8 text to standard output or standard error: to a console as
// UTF-16, so that every letter shows whatever its code page, and to a file
// or pipe as the UTF-8 bytes. False when there is nowhere to write.
bool printToStartingConsole(const std::string& text, bool toStandardError);
