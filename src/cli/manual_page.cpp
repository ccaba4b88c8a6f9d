// tavrelic_manual_page TEMPLATE PAGE: writes tavrelic-cli's manual page
// from its template, with the entries of the Preferences options (made
// from the Preferences table) where the line @PREFERENCE_OPTIONS@ stands.
// The build runs it for the Linux package.
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "cli/cli_options.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: tavrelic_manual_page TEMPLATE PAGE\n");
        return 2;
    }
    std::ifstream source(argv[1]);
    std::stringstream page;
    for (std::string line; std::getline(source, line);)
        page << (line == "@PREFERENCE_OPTIONS@" ? manualPreferenceOptions() : line + "\n");
    std::ofstream out(argv[2], std::ios::binary);
    out << page.str();
    out.close();
    return source.eof() && out ? 0 : 1;
}
