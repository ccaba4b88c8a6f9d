// The Qt side of the shell's own requests (shell/shell_platform.h).
#include <QDir>
#include <QFileDialog>
#include <QStringList>

#include "shell/file_dialogs.h"
#include "shell/qt/main_window.h"
#include "shell/qt/preferences_dialog.h"
#include "shell/qt/qt_texts.h"
#include "shell/shell_platform.h"

namespace {

// Runs one of the two file-name dialogs, with its platform's default title,
// starting in the current directory; false when it was cancelled. The
// platform's own dialog is used where the desktop provides one.
bool chooseFile(WindowHandle owner, QFileDialog::AcceptMode acceptMode, QFileDialog::FileMode fileMode,
                std::filesystem::path& fileName)
{
    // Taken apart by the event loop once the command is over, so that a
    // load does not wait for the dialog's own clearing up.
    auto* dialog = new QFileDialog(widgetOf(owner));
    dialog->deleteLater();
    dialog->setAcceptMode(acceptMode);
    dialog->setFileMode(fileMode);
    // An existing file is replaced without a question; no extension is
    // added to a name typed without one.
    dialog->setOption(QFileDialog::DontConfirmOverwrite);
    QStringList filters;
    for (const FileFilter& filter : FileFilters) {
        filters << fromUtf8(filterInBothCases(filter).c_str());
    }
    dialog->setNameFilters(filters);
    dialog->selectNameFilter(filters[static_cast<int>(acceptMode == QFileDialog::AcceptOpen ? OpenDialogFilter
                                                                                          : SaveDialogFilter)]);
    dialog->setDirectory(QDir::currentPath());
    if (dialog->exec() != QDialog::Accepted) {
        return false;
    }
    const QStringList chosen = dialog->selectedFiles();
    if (chosen.isEmpty()) {
        return false;
    }
    fileName = std::filesystem::u8path(chosen.constFirst().toStdString());
    enterFolderOf(fileName);
    return true;
}

}  // namespace

bool chooseFileToOpen(WindowHandle owner, std::filesystem::path& fileName)
{
    return chooseFile(owner, QFileDialog::AcceptOpen, QFileDialog::ExistingFile, fileName);
}

bool chooseFileToSave(WindowHandle owner, std::filesystem::path& fileName)
{
    return chooseFile(owner, QFileDialog::AcceptSave, QFileDialog::AnyFile, fileName);
}

void runPreferencesDialog(Workspace& ws, WindowHandle owner)
{
    showPreferencesDialog(ws, widgetOf(owner));
}

void requestClose(WindowHandle owner)
{
    widgetOf(owner)->close();
}

// Together with the picture the load put on show: one paint, not two.
void repaintWithErase(WindowHandle owner)
{
    updateWhenIdle(widgetOf(owner));
}
