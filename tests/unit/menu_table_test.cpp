#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "shell/menu_table.h"

namespace {

struct ExpectedItem {
    std::string text;  // "-" for a separator
    int32_t command;
};

struct ExpectedMenu {
    std::string title;
    std::vector<ExpectedItem> items;
};

const std::vector<ExpectedMenu> ExpectedMenuBar = {
    {"Plik",
     {{"Ładuj mapę głębokości", 40001},
      {"Ładuj stereogram", 40020},
      {"Ładuj wzorzec", 40011},
      {"Ładuj model 3D (STL, OBJ, PLY)", 40025},
      {"Mapa głębokości z tekstu...", 40026},
      {"Zapisz aktualny obrazek", 40016},
      {"Zapisz parę stereo (patrzenie równoległe)", 40023},
      {"Zapisz parę stereo (patrzenie zezem)", 40024},
      {"-", 0},
      {"Preferencje", 40007},
      {"-", 0},
      {"Koniec", 40003}}},
    {"Akcja",
     {{"Generuj wzorzec", 40010},
      {"Generuj stereogram", 40002},
      {"Dekoduj stereogram", 40018},
      {"5 * kodowanie+dekodowanie", 40021}}},
    {"Pokaż",
     {{"SIRDS + punkty kontrolne", 40004},
      {"SIRDS bez punktów kontrolnych", 40005},
      {"Mapę głębokości (przeskalowaną)", 40006},
      {"Mapę głębokości (oryginalną)", 40009},
      {"Wzorzec (jeden pasek)", 40012},
      {"Wzorzec (powielony)", 40013},
      {"-", 0},
      {"Anaglif (czerwony/cyjan)", 40022},
      {"Pewność dekodowania", 40027}}},
    {"Info", {{"Picture Info", 40015}, {"-", 0}, {"About", 40014}}},
};

std::vector<ExpectedMenu> menuBarAsTable() {
    std::vector<ExpectedMenu> menus;
    for (const Menu& menu : MenuBar) {
        ExpectedMenu read{menu.title, {}};
        for (size_t i = 0; i < menu.itemCount; ++i) {
            const MenuItem& item = menu.items[i];
            read.items.push_back(isSeparator(item) ? ExpectedItem{"-", 0} : ExpectedItem{item.text, item.command});
        }
        menus.push_back(read);
    }
    return menus;
}

TEST(MenuTable, MenusItemsTextsAndCommandsInOrder) {
    const std::vector<ExpectedMenu> menus = menuBarAsTable();
    ASSERT_EQ(menus.size(), ExpectedMenuBar.size());
    for (size_t m = 0; m < menus.size(); ++m) {
        SCOPED_TRACE(ExpectedMenuBar[m].title);
        EXPECT_EQ(menus[m].title, ExpectedMenuBar[m].title);
        ASSERT_EQ(menus[m].items.size(), ExpectedMenuBar[m].items.size());
        for (size_t i = 0; i < menus[m].items.size(); ++i) {
            EXPECT_EQ(menus[m].items[i].text, ExpectedMenuBar[m].items[i].text) << "item " << i;
            EXPECT_EQ(menus[m].items[i].command, ExpectedMenuBar[m].items[i].command) << "item " << i;
        }
    }
}

// An ampersand would become a mnemonic (an underlined letter and a key) in
// either window; no item has one, and every command is reached once.
TEST(MenuTable, NoMnemonicsAndEveryCommandOnce) {
    std::set<int32_t> commands;
    size_t items = 0;
    for (const Menu& menu : MenuBar) {
        EXPECT_EQ(std::string(menu.title).find('&'), std::string::npos) << menu.title;
        for (size_t i = 0; i < menu.itemCount; ++i) {
            if (isSeparator(menu.items[i])) continue;
            EXPECT_EQ(std::string(menu.items[i].text).find('&'), std::string::npos) << menu.items[i].text;
            commands.insert(menu.items[i].command);
            ++items;
        }
    }
    EXPECT_EQ(items, 24u);
    EXPECT_EQ(commands.size(), items);
}

}  // namespace
