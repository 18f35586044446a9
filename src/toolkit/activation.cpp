#include "toolkit/activation.h"

#include <QEvent>
#include <QPointer>
#include <QWidget>

namespace toolkit {

namespace {

// The watched window that was active last. Leaving for another application does not change
// it, so coming back to that same window is no move within the program, while coming back
// into another of its windows is.
QPointer<QWidget>& lastActive() {
    static QPointer<QWidget> window;
    return window;
}

class ActivationWatch : public QObject {
  public:
    ActivationWatch(QWidget* window, std::function<void()> onActivate)
        : QObject(window), window_(window), onActivate_(std::move(onActivate)) {
        window->installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == window_ && event->type() == QEvent::WindowActivate &&
            lastActive() != window_) {
            lastActive() = window_;
            onActivate_();
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    QWidget* window_;
    std::function<void()> onActivate_;
};

} // namespace

void watchActivation(QWidget* window, std::function<void()> onActivate) {
    new ActivationWatch(window, std::move(onActivate));
}

} // namespace toolkit
