#include "cli/cli_report.h"

#include <cstdio>

#if defined(_WIN32)
#include <io.h>
#else
#include <unistd.h>
#endif

#include "texts/user_texts.h"

namespace {

// Clears the progress line so that a message takes the whole line.
void clearProgress(const CliReport& report) {
    if (report.toTerminal && report.done > 0) std::fputs("\r\033[K", stderr);
}

void drawProgress(const CliReport& report) {
    if (!report.toTerminal || report.done == 0) return;
    std::fprintf(stderr, "\r");
    std::fprintf(stderr, CliProgressFormat, report.done, report.total);
    std::fflush(stderr);
}

}  // namespace

void reportLine(CliReport& report, const std::string& text) {
    std::lock_guard<std::mutex> hold(report.lock);
    clearProgress(report);
    std::fprintf(stderr, "tavrelic-cli: %s\n", text.c_str());
    drawProgress(report);
}

void reportMessage(CliReport& report, const std::filesystem::path& input, const Message& message) {
    std::string text = input.u8string() + ": ";
    if (message.caption != nullptr && message.caption[0] != '\0') text += std::string(message.caption) + ": ";
    reportLine(report, text + message.text);
}

void reportInputDone(CliReport& report) {
    std::lock_guard<std::mutex> hold(report.lock);
    ++report.done;
    drawProgress(report);
}

void finishReport(CliReport& report) {
    std::lock_guard<std::mutex> hold(report.lock);
    clearProgress(report);
    std::fflush(stderr);
}

bool standardErrorIsTerminal() {
#if defined(_WIN32)
    return _isatty(_fileno(stderr)) != 0;
#else
    return isatty(fileno(stderr)) != 0;
#endif
}
