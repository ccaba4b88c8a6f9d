// The main window of the Linux program and the record of its state: the
// picture on show, the two bars, the progress counter. Qt asks for two
// subclasses (the picture's paint; the window's close and the files dropped
// on it); each override hands its event to one function below.
#pragma once

#include <QImage>
#include <QMainWindow>
#include <QWidget>

#include <filesystem>

#include "platform/platform.h"
#include "shell/outside_files.h"
#include "shell/progress_counter.h"
#include "workspace/workspace.h"

class QCloseEvent;
class QDragEnterEvent;
class QDropEvent;
class QLabel;
class QPaintEvent;
class QProgressBar;
struct MainWindowRecord;

class PictureArea : public QWidget {
public:
    PictureArea(MainWindowRecord& record, QWidget* parent) : QWidget(parent), record(record) {}

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    MainWindowRecord& record;
};

class MainWindowFrame : public QMainWindow {
public:
    explicit MainWindowFrame(MainWindowRecord& record) : record(record) {}

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    MainWindowRecord& record;
};

struct MainWindowRecord {
    Workspace* workspace = nullptr;
    MainWindowFrame* window = nullptr;
    // The client area below the menu bar: the picture, then the strip.
    QWidget* client = nullptr;
    PictureArea* pictureArea = nullptr;
    QLabel* statusBar = nullptr;
    QProgressBar* progressBar = nullptr;
    // The offscreen picture, one pixel for each device pixel of the screen.
    QImage picture;
    // The bar is told the counter's position only when it is shown.
    ProgressCounter progress;
};

// Makes the window's menu, its white picture and its bars in `frame`, and
// fits it to the image of the record's workspace. False when the picture
// could not be made.
bool buildMainWindow(MainWindowRecord& record, MainWindowFrame& frame);

// Draws the picture at the top left of the image area, one pixel for each
// device pixel.
void paintPicture(MainWindowRecord& record, PictureArea& area);

// The close box and "Koniec": the buffers are released and the event loop
// asked to end with 0; the window itself stays until the program ends.
void closeMainWindow(MainWindowRecord& record, QCloseEvent& event);

// A drag that carries one local file may be dropped on the window.
void acceptFileDrag(QDragEnterEvent& event);

// The dropped file loads as a file named on the command line
// (openOutsideFile), once the drop has ended.
void dropFile(MainWindowRecord& record, QDropEvent& event);

// Loads a file from outside once the event loop runs: the window is shown
// then, and the drop or the start that brought the file has ended before
// a box can keep it waiting.
void openFileWhenIdle(MainWindowRecord& record, const std::filesystem::path& file, FileKindChoice kind);

// Shows a text in the status bar, which a screen reader reads by its name.
void showStatusText(MainWindowRecord& record, const char* text);

// Marks a widget for painting once the event loop runs again: when the
// command has returned, or when a box opens. Marked at once, it would be
// painted by every repaint of the bars that follows within the command,
// and apart from what else the command marked.
void updateWhenIdle(QWidget* widget);

// A widget as the core names a window, and back.
inline WindowHandle handleOf(QWidget* widget)
{
    return widget;
}

inline QWidget* widgetOf(WindowHandle handle)
{
    return static_cast<QWidget*>(handle);
}

// The record of the main window, for the platform calls that name no
// window (the bars, the fit); null before the window is built.
MainWindowRecord* mainWindowRecord();
