// The entry point of the Linux program: makes the main window for a
// workspace of the start size (640 x 480) and runs the event loop.
//
// The exit code: 0 after the main window was closed and -1 after an
// operation ran out of memory (the quit request's code; the shell sees
// 255); 1 when the window's picture could not be made, with nothing shown.
#include <QApplication>
#include <QIcon>
#include <QPixmapCache>

#include "engine/parallel_rows.h"
#include "shell/qt/main_window.h"
#include "workspace/workspace.h"

namespace {

constexpr int FailureExitCode = 1;

}  // namespace

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    // The icon of every window, and the desktop entry that names the program.
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/tavrelic.png")));
    QGuiApplication::setDesktopFileName(QStringLiteral("org.tavrelic.Tavrelic"));
    // No pixmap cache. Qt's own file dialog makes its icons afresh each time
    // it is shown, and the cache would keep every painted one under a key
    // that no later dialog asks for: some 20 KB a dialog, up to the cache's
    // limit of 10 MB. The program's few widgets paint quickly without it.
    QPixmapCache::setCacheLimit(0);
    setDefaultEngineThreads(threadsNamedByEnvironment());
    Workspace workspace;
    workspace.imageWidth = StartImageWidth;
    workspace.imageHeight = StartImageHeight;
    MainWindowRecord record;
    record.workspace = &workspace;
    MainWindowFrame frame(record);
    if (!buildMainWindow(record, frame)) {
        return FailureExitCode;
    }
    frame.show();
    return application.exec();
}
