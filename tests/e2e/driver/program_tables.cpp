#include "program_tables.h"

#include <algorithm>
#include <fstream>

#include "program_windows.h"
#include "script.h"

namespace {

constexpr size_t TableColumns = 4;

std::vector<std::string> splitColumns(const std::string& line) {
    std::vector<std::string> columns;
    size_t start = 0;
    while (true) {
        const size_t tab = line.find('\t', start);
        columns.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
        if (tab == std::string::npos) return columns;
        start = tab + 1;
    }
}

// The rows of a table file: four columns each, the first a number, the
// second a name.
bool readRows(const std::string& fileName, const char* shape, std::vector<std::vector<std::string>>& rows,
              std::string& error) {
    std::ifstream file(widen(fileName).c_str(), std::ios::binary);
    if (!file) {
        error = "cannot read " + fileName;
        return false;
    }
    std::string line;
    for (int number = 1; std::getline(file, line); ++number) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        std::vector<std::string> columns = splitColumns(line);
        long long id = 0;
        if (columns.size() != TableColumns || !parseInteger(columns[0], id) || columns[1].empty()) {
            error = fileName + ":" + std::to_string(number) + ": expected " + shape + ", found " + quoted(line);
            return false;
        }
        rows.push_back(columns);
    }
    return true;
}

int idOf(const std::vector<std::string>& row) {
    long long id = 0;
    parseInteger(row[0], id);
    return static_cast<int>(id);
}

}  // namespace

bool readProgramTables(const std::string& menuFile, const std::string& controlsFile, ProgramTables& tables,
                       std::string& error) {
    std::vector<std::vector<std::string>> menuRows, controlRows;
    if (!readRows(menuFile, "ID<TAB>NAME<TAB>MENU<TAB>ITEM", menuRows, error) ||
        !readRows(controlsFile, "ID<TAB>NAME<TAB>KIND<TAB>LABEL", controlRows, error))
        return false;
    tables = ProgramTables();
    for (const auto& row : menuRows) tables.commands.push_back(MenuCommand{idOf(row), row[1], row[2]});
    for (const auto& row : controlRows) tables.controls.push_back(PreferencesControl{idOf(row), row[1], row[2]});
    return true;
}

bool commandId(const ProgramTables& tables, const std::string& name, int& id, std::string& failure) {
    for (const MenuCommand& command : tables.commands) {
        if (command.name != name) continue;
        id = command.id;
        return true;
    }
    failure = "the program's menu table has no command " + name;
    return false;
}

bool menuPosition(const ProgramTables& tables, const std::string& title, int& position, std::string& failure) {
    std::vector<std::string> titles;
    for (const MenuCommand& command : tables.commands) {
        if (std::find(titles.begin(), titles.end(), command.menu) == titles.end()) titles.push_back(command.menu);
    }
    const auto found = std::find(titles.begin(), titles.end(), title);
    if (found != titles.end()) {
        position = static_cast<int>(found - titles.begin()) + 1;
        return true;
    }
    failure = "the program's menu table has no menu " + quoted(title);
    return false;
}

bool preferencesControlId(const ProgramTables& tables, const std::string& name, int& id, std::string& failure) {
    for (const PreferencesControl& control : tables.controls) {
        if (control.name != name) continue;
        id = control.id;
        return true;
    }
    failure = "the program's dialogs have no control " + name;
    return false;
}

bool firstTextField(const ProgramTables& tables, std::string& name, std::string& failure) {
    for (const PreferencesControl& control : tables.controls) {
        if (control.kind != "number" && control.kind != "text") continue;
        name = control.name;
        return true;
    }
    failure = "the program's Preferences table has no number or text field";
    return false;
}
