#include "toolkit/window_geometry.h"

#include <QEvent>
#include <QMargins>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace toolkit {

namespace {

// The frame margins of the last window the window manager framed. The program's windows are
// framed alike, so a window shown later is placed right from the start, without a jump.
QMargins& lastKnownMargins() {
    static QMargins margins;
    return margins;
}

QMargins frameMarginsOf(const QWidget* window) {
    const QWindow* handle = window->windowHandle();
    return handle && window->isVisible() ? handle->frameMargins() : QMargins();
}

void placeCentred(QWidget* window, QSize outer, QMargins margins) {
    window->resize(outer.shrunkBy(margins));
    const QScreen* screen = window->screen();
    const QRect area = screen ? screen->geometry() : QRect(QPoint(0, 0), outer);
    // move() places the frame of a top-level window.
    window->move(area.left() + (area.width() - outer.width()) / 2,
                 area.top() + (area.height() - outer.height()) / 2);
}

// A window manager reports the frame's margins some time after the first show, not
// necessarily within the next turn of the event loop. Waits for them and places the window
// again, once; gives up after a second, when there is no window manager to frame it.
class PlaceWhenFramed : public QObject {
  public:
    PlaceWhenFramed(QWidget* window, QSize outer) : QObject(window), outer_(outer) {
        window->installEventFilter(this);
        poll_.setInterval(10);
        connect(&poll_, &QTimer::timeout, this, [this] { check(); });
    }

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        switch (event->type()) {
        case QEvent::Show:
            polls_ = 0;
            poll_.start();
            [[fallthrough]];
        case QEvent::Move:
        case QEvent::Resize:
            // Not from within the event itself: the window is being set up.
            QTimer::singleShot(0, this, [this] { check(); });
            break;
        default:
            break;
        }
        return false;
    }

  private:
    void check() {
        if (done_)
            return;
        auto* window = static_cast<QWidget*>(parent());
        const QMargins margins = frameMarginsOf(window);
        if (!margins.isNull()) {
            lastKnownMargins() = margins;
            placeCentred(window, outer_, margins);
            done_ = true;
        } else if (++polls_ > 100) {
            done_ = true;
        }
        if (done_)
            deleteLater();
    }

    QSize outer_;
    bool done_ = false;
    QTimer poll_;
    int polls_ = 0;
};

} // namespace

void setOuterSizeCentred(QWidget* window, int outerWidthPx, int outerHeightPx) {
    const QSize outer(outerWidthPx, outerHeightPx);
    const QMargins shown = frameMarginsOf(window);
    placeCentred(window, outer, shown.isNull() ? lastKnownMargins() : shown);
    if (!window->isVisible())
        new PlaceWhenFramed(window, outer);
}

} // namespace toolkit
