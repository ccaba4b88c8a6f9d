// The program's own tables of its menu commands and dialog controls,
// as tavrelic_expected prints them (menu-table, dialog-fields). The
// scenarios call a command, a menu or a control by the program's name for
// it; the driver turns the name into what Win32 knows it by.
#pragma once

#include <string>
#include <vector>

struct MenuCommand {
    int id = 0;
    std::string name;
    std::string menu;  // the title of the menu that holds it
};

struct PreferencesControl {
    int id = 0;
    std::string name;
    std::string kind;  // number, text, check, radio or button
};

struct ProgramTables {
    std::vector<MenuCommand> commands;          // in the menu bar's order
    std::vector<PreferencesControl> controls;  // in the dialog's order
};

// Reads the two tables, each a line a row of tab-separated columns:
// ID NAME MENU ITEM for the menu, ID NAME KIND LABEL for the Preferences.
// False with the reason for a file that cannot be read or a row of another
// shape.
bool readProgramTables(const std::string& menuFile, const std::string& controlsFile, ProgramTables& tables,
                       std::string& error);

// The command's id for WM_COMMAND.
bool commandId(const ProgramTables& tables, const std::string& name, int& id, std::string& failure);

// The place of the menu with this title in the menu bar, 1 for the first.
bool menuPosition(const ProgramTables& tables, const std::string& title, int& position, std::string& failure);

// The control id of a field or push button of the Preferences or the text
// depth map dialog.
bool preferencesControlId(const ProgramTables& tables, const std::string& name, int& id, std::string& failure);

// The name of the dialog's first field that takes typed text (a number or
// a text).
bool firstTextField(const ProgramTables& tables, std::string& name, std::string& failure);
