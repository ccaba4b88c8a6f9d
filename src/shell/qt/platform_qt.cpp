// The Qt side of the platform layer (platform/platform.h).
#include <QAbstractButton>
#include <QCoreApplication>
#include <QIcon>
#include <QLabel>
#include <QLayout>
#include <QMessageBox>
#include <QProgressBar>

#include <algorithm>
#include <utility>

#include "platform/platform.h"
#include "shell/progress_counter.h"
#include "shell/qt/main_window.h"
#include "shell/qt/qt_texts.h"
#include "shell/window_layout.h"

namespace {

// Shows the bar at the counter's position now: a long operation keeps the
// event loop waiting, so the repaint cannot be left to the loop. The bar
// repaints itself at once when a new value changes its look (and not for a
// move of less than one of its chunks); a second repaint would paint it
// twice.
void showProgressNow(MainWindowRecord& record)
{
    record.progressBar->setValue(record.progress.position);
    progressShownUntil(record.progress, monotonicMs());
}

void place(QWidget& widget, const BarRect& rect)
{
    widget.setGeometry(rect.x, rect.y, rect.width, rect.height);
}

}  // namespace

void showMessage(WindowHandle owner, const char* text, const char* caption)
{
    QMessageBox box(QMessageBox::NoIcon, fromUtf8(caption), fromUtf8(text), QMessageBox::Ok, widgetOf(owner));
    box.setTextFormat(Qt::PlainText);
    // No icon on the box's one button either, whatever the style's habit.
    box.button(QMessageBox::Ok)->setIcon(QIcon());
    box.exec();
}

void requestQuit(int32_t exitCode)
{
    QCoreApplication::exit(exitCode);
}

void setStatusText(const char* text)
{
    MainWindowRecord* record = mainWindowRecord();
    if (record == nullptr) {
        return;
    }
    showStatusText(*record, text);
    // Long operations do not return to the event loop: every text is
    // painted now.
    record->statusBar->repaint();
}

void stepProgress()
{
    MainWindowRecord* record = mainWindowRecord();
    if (record == nullptr) {
        return;
    }
    if (stepProgressCounter(record->progress, monotonicMs())) {
        showProgressNow(*record);
    }
}

void resetProgress()
{
    MainWindowRecord* record = mainWindowRecord();
    if (record == nullptr) {
        return;
    }
    resetProgressCounter(record->progress, monotonicMs());
    showProgressNow(*record);
}

// The image area is the picture's size in device pixels; the strip's sizes
// grow with the screen's logical dpi. The window manager's frame lies
// outside the client area, so the bars are exactly as wide as the image.
void fitWindowToImage(int32_t width, int32_t height)
{
    MainWindowRecord* record = mainWindowRecord();
    if (record == nullptr) {
        return;
    }
    MainWindowFrame& window = *record->window;
    const double ratio = window.devicePixelRatioF();
    const StripMetrics strip = stripMetricsAt(window.logicalDpiY());
    const int32_t areaWidth = logicalSizeHolding(width, ratio);
    const int32_t areaHeight = logicalSizeHolding(height, ratio);
    const int32_t clientHeight = areaHeight + strip.height;
    record->pictureArea->setGeometry(0, 0, areaWidth, areaHeight);
    record->client->setFixedSize(areaWidth, clientHeight);
    const BarPlaces places = placeBars(strip, areaWidth, clientHeight);
    place(*record->statusBar, places.status);
    place(*record->progressBar, places.progress);

    setProgressRange(record->progress, height);
    // A range of 0 to 0 would turn the bar into a busy indicator; below 10
    // rows the position stays 0 all the same.
    record->progressBar->setRange(0, std::max(record->progress.maximum, 1));
    // The window takes its new size now rather than when the event loop
    // next lays it out, and comes to the front.
    window.layout()->activate();
    window.raise();
}

// The picture is the main window's, whichever window is named. The rows of
// a 32-bit QImage are exactly its pixels, with no gaps.
uint32_t* pictureBuffer(WindowHandle, int32_t width, int32_t height)
{
    MainWindowRecord* record = mainWindowRecord();
    if (record == nullptr) {
        return nullptr;
    }
    if (record->picture.width() != width || record->picture.height() != height) {
        QImage resized(width, height, QImage::Format_RGB32);
        if (resized.isNull()) {
            return nullptr;  // the last picture stays on show
        }
        record->picture = std::move(resized);
    }
    return reinterpret_cast<uint32_t*>(record->picture.bits());
}

// Painted once the command is over: a batch chooses ten pictures, and the
// screen shows the last.
void showPicture(WindowHandle, int32_t, int32_t)
{
    MainWindowRecord* record = mainWindowRecord();
    if (record != nullptr) {
        updateWhenIdle(record->pictureArea);
    }
}
