// The entry point of the Linux program: reads its command line, makes the
// main window for a workspace of the start size (640 x 480), loads the file
// the command line names, if any, and runs the event loop.
//
// The exit code: 0 after the main window was closed and -1 after an
// operation ran out of memory (the quit request's code; the shell sees
// 255); 1 when the window's picture could not be made, with nothing shown.
// --help and --version print and end with 0, a command line the program
// cannot use with 2, before Qt is started: they need no display.
#include <QApplication>
#include <QIcon>
#include <QPixmapCache>

#include <cstdio>
#include <string>
#include <vector>

#include "shell/outside_files.h"
#include "shell/qt/main_window.h"
#include "tavrelic_version.h"
#include "picture/runtime.h"
#include "workspace/workspace.h"

namespace {

constexpr int FailureExitCode = 1;

int printReply(const StartReply& reply)
{
    std::fputs(reply.text.c_str(), reply.toStandardError ? stderr : stdout);
    return reply.exitCode;
}

}  // namespace

int main(int argc, char* argv[])
{
    const StartRequest request = readStartArguments(std::vector<std::string>(argv + 1, argv + argc));
    if (request.action != StartAction::OpenWindow) {
        return printReply(replyWithoutWindow(request, TAVRELIC_VERSION_TEXT));
    }
    // Qt is given the program's name alone: every argument is the
    // program's own, and an option Qt would take has been refused above.
    int qtArgumentCount = 1;
    QApplication application(qtArgumentCount, argv);
    // The icon of every window, and the desktop entry that names the program.
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/tavrelic.png")));
    QGuiApplication::setDesktopFileName(QStringLiteral("org.tavrelic.Tavrelic"));
    // No pixmap cache. Qt's own file dialog makes its icons afresh each time
    // it is shown, and the cache would keep every painted one under a key
    // that no later dialog asks for: some 20 KB a dialog, up to the cache's
    // limit of 10 MB. The program's few widgets paint quickly without it.
    QPixmapCache::setCacheLimit(0);
    Runtime runtime(threadsNamedByEnvironment());
    Workspace workspace;
    workspace.runtime = &runtime;
    workspace.imageWidth = StartImageWidth;
    workspace.imageHeight = StartImageHeight;
    MainWindowRecord record;
    record.workspace = &workspace;
    MainWindowFrame frame(record);
    if (!buildMainWindow(record, frame)) {
        return FailureExitCode;
    }
    frame.show();
    if (!request.file.empty()) {
        openFileWhenIdle(record, std::filesystem::path(request.file), request.kind);
    }
    return application.exec();
}
