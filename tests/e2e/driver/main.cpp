// tavrelic_driver: runs the scenario scripts of the end-to-end tests against
// tavrelic.exe and prints one line per scenario, "PASS name" or
// "FAIL name: what differed". Exits with 0 when every scenario passed.
//
//   tavrelic_driver SCRIPT PROGRAM [SCENARIO]
//
// A script is a list of steps (see steps.cpp), one a line, in scenarios
// that each begin with "scenario NAME" and start the program afresh; with
// SCENARIO only that one runs. The first failing step ends its scenario;
// the program is then ended too. The steps call commands, menus and
// Preferences controls by the program's own names, which the driver looks
// up in the program's tables: the files that TAVRELIC_MENU_TABLE and
// TAVRELIC_DIALOG_FIELDS name (tavrelic_expected menu-table and
// dialog-fields write them; tests/e2e/session.sh does so).
#include <windows.h>

#include <shellapi.h>

#include <string>
#include <vector>

#include "program_windows.h"
#include "script.h"
#include "steps.h"

namespace {

void printLine(const std::string& text) {
    const std::string line = text + "\n";
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), line.data(), static_cast<DWORD>(line.size()), &written,
              nullptr);
}

struct Scenario {
    std::string name;
    std::string failure;  // empty while every step passed
};

void finishScenario(Session& session, const Scenario& scenario, int& failures) {
    endProgram(session);
    if (scenario.name.empty()) return;
    if (scenario.failure.empty()) {
        printLine("PASS " + scenario.name);
    } else {
        printLine("FAIL " + scenario.name + ": " + scenario.failure);
        ++failures;
    }
}

int runScript(const std::vector<ScriptLine>& lines, const std::wstring& programPath, const ProgramTables& tables,
              const std::string& only) {
    Session session;
    session.programPath = programPath;
    session.tables = tables;
    Scenario scenario;
    int failures = 0;
    bool skipping = false;
    for (const ScriptLine& line : lines) {
        if (line.words[0] == "scenario") {
            finishScenario(session, scenario, failures);
            scenario = Scenario();
            const std::string name = line.words.size() > 1 ? line.words[1] : "unnamed";
            skipping = !only.empty() && name != only;
            if (!skipping) scenario.name = name;
            session.waitMs = DefaultWaitMs;
            continue;
        }
        if (skipping) continue;
        if (scenario.name.empty()) {
            printLine("FAIL script: line " + std::to_string(line.number) + " comes before any scenario");
            return 1;
        }
        if (!scenario.failure.empty()) continue;
        std::vector<std::string> words = line.words;
        std::string failure;
        if (!expandArguments(words, failure) || !performStep(session, words, failure))
            scenario.failure = "line " + std::to_string(line.number) + " (" + words[0] + "): " + failure;
    }
    finishScenario(session, scenario, failures);
    return failures == 0 ? 0 : 1;
}

bool readTablesNamedByEnvironment(ProgramTables& tables, std::string& error) {
    std::string menuFile, controlsFile;
    return expandVariables("%TAVRELIC_MENU_TABLE%", menuFile, error) &&
           expandVariables("%TAVRELIC_DIALOG_FIELDS%", controlsFile, error) &&
           readProgramTables(menuFile, controlsFile, tables, error);
}

}  // namespace

int main() {
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (arguments == nullptr || count < 3 || count > 4) {
        printLine("usage: tavrelic_driver SCRIPT PROGRAM [SCENARIO]");
        return 2;
    }
    std::vector<ScriptLine> lines;
    std::string error;
    const std::string scriptName = narrow(arguments[1]);
    const std::wstring programPath = arguments[2];
    const std::string only = count == 4 ? narrow(arguments[3]) : std::string();
    LocalFree(arguments);
    if (!readScript(scriptName, lines, error)) {
        printLine("FAIL script: " + error);
        return 2;
    }
    ProgramTables tables;
    if (!readTablesNamedByEnvironment(tables, error)) {
        printLine("FAIL script: cannot read the program's tables: " + error);
        return 2;
    }
    return runScript(lines, programPath, tables, only);
}
