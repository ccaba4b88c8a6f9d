// The program's texts are UTF-8; Qt takes QString.
#pragma once

#include <QString>

QString fromUtf8(const char* text);

// A text for a widget that would read '&' as a mnemonic (menus, buttons,
// labels with a buddy): each '&' is shown as itself, so no letter is
// underlined and no key is bound.
QString withoutMnemonic(const char* text);
