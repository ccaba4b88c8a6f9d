// What tavrelic-cli tells on standard error: the window's boxes as lines,
// each whole even when several workers tell at once, and, on a terminal
// only, one progress line redrawn in place.
#pragma once

#include <filesystem>
#include <mutex>
#include <string>

#include "picture/outcome.h"

struct CliReport {
    std::mutex lock;
    bool toTerminal = false;
    int total = 0;
    int done = 0;
};

// "tavrelic-cli: TEXT" on a line of its own.
void reportLine(CliReport& report, const std::string& text);

// A box the window would show about an input: "tavrelic-cli: INPUT:
// caption: text", or the text alone when the caption is empty.
void reportMessage(CliReport& report, const std::filesystem::path& input, const Message& message);

// One more input finished; the progress line shows how many.
void reportInputDone(CliReport& report);

// Ends the progress line, if there is one.
void finishReport(CliReport& report);

// Whether standard error is a terminal.
bool standardErrorIsTerminal();
