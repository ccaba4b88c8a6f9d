// The Qt side of the shell's own requests (shell/shell_platform.h).
#include <QDir>
#include <QFileDialog>
#include <QStringList>

#include <iterator>

#include "shell/file_dialogs.h"
#include "shell/qt/main_window.h"
#include "shell/qt/preferences_dialog.h"
#include "shell/qt/qt_texts.h"
#include "shell/qt/text_depth_dialog.h"
#include "shell/shell_platform.h"

namespace {

// Runs one of the file-name dialogs, with its platform's default title,
// starting in the current directory, offering the filters from `first` to
// `last` with `selected` chosen; false when it was cancelled. The platform's
// own dialog is used where the desktop provides one.
bool chooseFile(WindowHandle owner, QFileDialog::AcceptMode acceptMode, QFileDialog::FileMode fileMode,
                const FileFilter* first, const FileFilter* last, const FileFilter& selected,
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
    for (const FileFilter* filter = first; filter != last; ++filter) {
        filters << fromUtf8(filterInBothCases(*filter).c_str());
    }
    dialog->setNameFilters(filters);
    dialog->selectNameFilter(fromUtf8(filterInBothCases(selected).c_str()));
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
    return chooseFile(owner, QFileDialog::AcceptOpen, QFileDialog::ExistingFile, std::begin(FileFilters),
                      std::end(FileFilters), FileFilters[OpenDialogFilter], fileName);
}

bool chooseFileToSave(WindowHandle owner, std::filesystem::path& fileName)
{
    return chooseFile(owner, QFileDialog::AcceptSave, QFileDialog::AnyFile, std::begin(FileFilters),
                      std::end(FileFilters), FileFilters[SaveDialogFilter], fileName);
}

bool chooseModelToOpen(WindowHandle owner, std::filesystem::path& fileName)
{
    return chooseFile(owner, QFileDialog::AcceptOpen, QFileDialog::ExistingFile, std::begin(ModelFileFilters),
                      std::end(ModelFileFilters), ModelFileFilters[0], fileName);
}

bool askForTextDepthMap(WindowHandle owner, TextDepthRequest& request)
{
    return showTextDepthDialog(request, widgetOf(owner));
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
