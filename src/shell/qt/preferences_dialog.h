// The Preferences dialog of the Linux program, made from the shared field
// table. Qt asks for a subclass to hear the keys, for Esc and Enter must
// not close it as they close other dialogs; its one override hands the key
// to handlePreferencesKey.
#pragma once

#include <QDialog>

#include "workspace/workspace.h"

class QKeyEvent;

class PreferencesDialogFrame : public QDialog {
public:
    explicit PreferencesDialogFrame(QWidget* owner) : QDialog(owner) {}

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

// Shows the dialog modally over `owner`, filled from the workspace's
// preferences; OK stores them through confirmPreferences, whose refusals
// the dialog owns; Anuluj and the close request store nothing.
void showPreferencesDialog(Workspace& ws, QWidget* owner);

// Esc does nothing; Enter presses the push button that has the focus and
// does nothing in a field.
void handlePreferencesKey(QDialog& dialog, QKeyEvent& event);
