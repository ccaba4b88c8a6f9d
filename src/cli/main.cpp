// tavrelic-cli: the program's core on the command line, with no window.
//
//   tavrelic-cli generate DEPTH... -o OUT [options]
//   tavrelic-cli decode STEREOGRAM... -o OUT [options]
//   tavrelic-cli batch DEPTH... -o OUT [options]
//   tavrelic-cli info FILE...
//   tavrelic-cli --help | --version
//
// Each output file is what the window saves after the same commands from
// a fresh start; --help says more.
#include <cstdio>
#include <string>
#include <vector>

#if defined(_WIN32)
#include <windows.h>
#endif

#include "cli/cli_options.h"
#include "cli/cli_run.h"
#include "tavrelic_version.h"
#include "texts/user_texts.h"
#include "picture/runtime.h"

namespace {

int runWith(const std::vector<std::string>& arguments) {
    CliRequest request;
    std::string error;
    if (!parseCliArguments(arguments, request, error)) {
        std::fprintf(stderr, "tavrelic-cli: %s\n%s\n", error.c_str(), CliSeeHelpText);
        return CliBadUsage;
    }
    switch (request.command) {
        case CliCommand::Help:
            std::fputs(cliUsageText().c_str(), stdout);
            return CliAllWritten;
        case CliCommand::Version:
            std::printf("tavrelic-cli %s\n", TAVRELIC_VERSION_TEXT);
            return CliAllWritten;
        default:
            break;
    }
    Runtime runtime(threadsNamedByEnvironment());
    return runCliRequest(runtime, request);
}

}  // namespace

#if defined(_WIN32)
// The arguments as Windows gives them, in UTF-16, so that any file name
// comes through; the texts go to the console as UTF-8.
std::string utf8Of(const wchar_t* text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string bytes(size > 0 ? static_cast<size_t>(size) : 1, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, &bytes[0], size, nullptr, nullptr);
    bytes.resize(bytes.size() - 1);
    return bytes;
}

int wmain(int argc, wchar_t* argv[]) {
    SetConsoleOutputCP(CP_UTF8);
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i) arguments.push_back(utf8Of(argv[i]));
    return runWith(arguments);
}
#else
int main(int argc, char* argv[]) {
    return runWith(std::vector<std::string>(argv + 1, argv + argc));
}
#endif
