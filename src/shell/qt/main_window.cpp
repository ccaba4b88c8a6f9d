#include "shell/qt/main_window.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QAction>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QMetaObject>
#include <QMimeData>
#include <QPainter>
#include <QProgressBar>
#include <QTimer>
#include <QUrl>
#include <QWindow>

#include <utility>

#include "operations/operations.h"
#include "shell/commands.h"
#include "shell/menu_table.h"
#include "shell/window_picture.h"
#include "shell/qt/qt_texts.h"
#include "tavrelic_version.h"
#include "texts/user_texts.h"

namespace {

// A caption with the system menu, the minimise and the close box; no
// maximise box, since the window's size follows the image.
constexpr Qt::WindowFlags MainWindowFlags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                            Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                                            Qt::WindowCloseButtonHint;

// The one main window. The platform calls that name no window reach its
// record through it.
MainWindowRecord* theMainWindow = nullptr;

bool makeWhitePicture(MainWindowRecord& record)
{
    QImage picture(record.workspace->imageWidth, record.workspace->imageHeight, QImage::Format_RGB32);
    if (picture.isNull()) {
        return false;
    }
    picture.fill(WhitePixel);
    record.picture = std::move(picture);
    return true;
}

// Each item makes one call: the command, carried out before the event loop
// takes the next event. No item has a shortcut, a check mark or a grey state.
void addMenuItem(MainWindowRecord& record, QMenu& menu, const MenuItem& item)
{
    if (isSeparator(item)) {
        menu.addSeparator();
        return;
    }
    QAction* action = menu.addAction(withoutMnemonic(item.text));
    // Keeps macOS from moving "About" into its application menu.
    action->setMenuRole(QAction::NoRole);
    const CommandId command = item.command;
    QObject::connect(action, &QAction::triggered, record.window,
                     [&record, command] { handleCommand(*record.workspace, handleOf(record.window), command); });
}

void buildMenuBar(MainWindowRecord& record)
{
    for (const Menu& menu : MenuBar) {
        QMenu* popup = record.window->menuBar()->addMenu(withoutMnemonic(menu.title));
        for (size_t i = 0; i < menu.itemCount; ++i) {
            addMenuItem(record, *popup, menu.items[i]);
        }
    }
}

// The status bar is a label, which Qt would offer a screen reader as a
// piece of static text; this factory gives it the role of the window's
// status bar, named by the status text. The label is known by its object
// name, which it has before Qt first asks for its interface.
const char StatusBarObjectName[] = "statusBar";

QAccessibleInterface* statusBarInterface(const QString& className, QObject* object)
{
    auto* label = qobject_cast<QLabel*>(object);
    if (className != QStringLiteral("QLabel") || label == nullptr ||
        label->objectName() != QLatin1String(StatusBarObjectName)) {
        return nullptr;
    }
    return new QAccessibleWidget(label, QAccessible::StatusBar);
}

// The status bar first, then the progress bar in front of it;
// fitWindowToImage places both.
void createBars(MainWindowRecord& record)
{
    QAccessible::installFactory(statusBarInterface);
    record.statusBar = new QLabel;
    record.statusBar->setObjectName(QLatin1String(StatusBarObjectName));
    record.statusBar->setParent(record.client);
    record.statusBar->setTextFormat(Qt::PlainText);
    showStatusText(record, ReadyText);
    record.statusBar->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    record.statusBar->setAccessibleDescription(fromUtf8(StatusBarDescription));
    record.progressBar = new QProgressBar(record.client);
    record.progressBar->setTextVisible(false);
    record.progressBar->setValue(0);
    record.progressBar->setAccessibleName(fromUtf8(ProgressBarName));
}

}  // namespace

void PictureArea::paintEvent(QPaintEvent*)
{
    paintPicture(record, *this);
}

void MainWindowFrame::closeEvent(QCloseEvent* event)
{
    closeMainWindow(record, *event);
}

void MainWindowFrame::dragEnterEvent(QDragEnterEvent* event)
{
    acceptFileDrag(*event);
}

void MainWindowFrame::dropEvent(QDropEvent* event)
{
    dropFile(record, *event);
}

bool buildMainWindow(MainWindowRecord& record, MainWindowFrame& frame)
{
    record.window = &frame;
    if (!makeWhitePicture(record)) {
        return false;
    }
    frame.setWindowTitle(fromUtf8(TAVRELIC_NAME));
    frame.setWindowFlags(MainWindowFlags);
    frame.setAcceptDrops(true);
    buildMenuBar(record);
    record.client = new QWidget(&frame);
    frame.setCentralWidget(record.client);
    record.pictureArea = new PictureArea(record, record.client);
    record.pictureArea->setAccessibleName(fromUtf8(PictureAreaName));
    createBars(record);
    // The window takes the size of its menu bar and client area, and the
    // user cannot change it.
    frame.layout()->setSizeConstraint(QLayout::SetFixedSize);
    theMainWindow = &record;

    // The native window now, so that the fit sees the device pixel ratio of
    // the screen it is on; a move to a screen of another ratio refits it.
    frame.winId();
    QObject::connect(frame.windowHandle(), &QWindow::screenChanged, &frame, [&record] {
        fitWindowToImage(record.workspace->imageWidth, record.workspace->imageHeight);
    });
    fitWindowToImage(record.workspace->imageWidth, record.workspace->imageHeight);
    return true;
}

void paintPicture(MainWindowRecord& record, PictureArea& area)
{
    showChosenPicture(*record.workspace, handleOf(record.window));
    if (record.picture.isNull()) {
        return;  // released by the close
    }
    // Given the widget's ratio, the picture's logical size covers exactly
    // its pixels in device pixels: drawn unscaled, one for one.
    record.picture.setDevicePixelRatio(area.devicePixelRatioF());
    QPainter painter(&area);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(QPointF(0, 0), record.picture);
}

void closeMainWindow(MainWindowRecord& record, QCloseEvent& event)
{
    record.picture = QImage();
    closeWorkspace(*record.workspace);
    event.ignore();
}

namespace {

// The one local file that a drag carries, in the file system's encoding;
// empty when it carries anything else.
std::filesystem::path draggedFile(const QMimeData* data)
{
    if (data == nullptr || !data->hasUrls() || data->urls().size() != 1 || !data->urls().constFirst().isLocalFile()) {
        return {};
    }
    return std::filesystem::path(QFile::encodeName(data->urls().constFirst().toLocalFile()).toStdString());
}

}  // namespace

void acceptFileDrag(QDragEnterEvent& event)
{
    if (!draggedFile(event.mimeData()).empty()) {
        event.acceptProposedAction();
    }
}

void dropFile(MainWindowRecord& record, QDropEvent& event)
{
    const std::filesystem::path file = draggedFile(event.mimeData());
    if (file.empty()) {
        return;
    }
    event.acceptProposedAction();
    openFileWhenIdle(record, file, FileKindChoice::Detect);
}

void openFileWhenIdle(MainWindowRecord& record, const std::filesystem::path& file, FileKindChoice kind)
{
    QTimer::singleShot(0, record.window, [&record, file, kind] {
        openOutsideFile(*record.workspace, handleOf(record.window), file, kind);
    });
}

void updateWhenIdle(QWidget* widget)
{
    QMetaObject::invokeMethod(widget, [widget] { widget->update(); }, Qt::QueuedConnection);
}

void showStatusText(MainWindowRecord& record, const char* text)
{
    const QString shown = fromUtf8(text);
    record.statusBar->setText(shown);
    record.statusBar->setAccessibleName(shown);
}

MainWindowRecord* mainWindowRecord()
{
    return theMainWindow;
}
