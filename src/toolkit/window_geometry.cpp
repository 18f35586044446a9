#include "toolkit/window_geometry.h"

#include <QEvent>
#include <QScreen>
#include <QTimer>
#include <QWidget>

namespace toolkit {

namespace {

void placeCentred(QWidget* window, QSize outer) {
    const QSize margins = window->frameGeometry().size() - window->geometry().size();
    window->resize(outer - margins);
    const QScreen* screen = window->screen();
    const QRect area = screen ? screen->geometry() : QRect(0, 0, outer.width(), outer.height());
    // The frame's top-left corner; move() places the frame of a top-level window.
    window->move(area.left() + (area.width() - outer.width()) / 2,
                 area.top() + (area.height() - outer.height()) / 2);
}

// Redoes the placement once the window manager has framed the window.
class PlaceAfterFirstShow : public QObject {
  public:
    PlaceAfterFirstShow(QWidget* window, QSize outer) : QObject(window), outer_(outer) {
        window->installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show) {
            auto* window = static_cast<QWidget*>(watched);
            const QSize outer = outer_;
            QTimer::singleShot(0, window, [window, outer] { placeCentred(window, outer); });
            deleteLater();
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    QSize outer_;
};

} // namespace

void setOuterSizeCentred(QWidget* window, int outerWidthPx, int outerHeightPx) {
    const QSize outer(outerWidthPx, outerHeightPx);
    placeCentred(window, outer);
    if (!window->isVisible()) {
        new PlaceAfterFirstShow(window, outer);
    }
}

} // namespace toolkit
