// The main window's menu bar: its four menus and their items in order, each
// item with its text and its command. Both programs make their menus from
// this one table, so a menu reads the same on Windows and on Linux.
#pragma once

#include <cstddef>

#include "shell/commands.h"

// An item of a menu; a separator has no text (and no command). The name is
// the program's own word for the command, by which the test scenarios ask
// for it on either window.
struct MenuItem {
    const char* text;
    CommandId command;
    const char* name;
};

struct Menu {
    const char* title;
    const MenuItem* items;
    size_t itemCount;
};

constexpr size_t MenuBarMenuCount = 4;
extern const Menu MenuBar[MenuBarMenuCount];

bool isSeparator(const MenuItem& item);
