#include "toolkit/activation.h"

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QWidget>
#include <QtGui/qevent.h>

namespace toolkit {

namespace {

// Remembers whether the program lost the focus to another application, so that coming
// back from there is not taken for a move between the program's own windows.
class ApplicationFocusTracker : public QObject {
  public:
    static ApplicationFocusTracker& instance() {
        static auto* tracker = new ApplicationFocusTracker(qApp);
        return *tracker;
    }

    // True once per activation that should run the window's handler.
    bool takeActivation() {
        const bool fromInside = !returningFromOutside_;
        returningFromOutside_ = false;
        return fromInside;
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == qApp && event->type() == QEvent::ApplicationStateChange &&
            static_cast<QApplicationStateChangeEvent*>(event)->applicationState() !=
                Qt::ApplicationActive) {
            returningFromOutside_ = true;
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    explicit ApplicationFocusTracker(QObject* parent) : QObject(parent) {
        qApp->installEventFilter(this);
    }
    bool returningFromOutside_ = false;
};

class ActivationWatch : public QObject {
  public:
    ActivationWatch(QWidget* window, std::function<void()> onActivate)
        : QObject(window), onActivate_(std::move(onActivate)) {
        window->installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == parent() && event->type() == QEvent::WindowActivate &&
            ApplicationFocusTracker::instance().takeActivation()) {
            onActivate_();
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    std::function<void()> onActivate_;
};

} // namespace

void watchActivation(QWidget* window, std::function<void()> onActivate) {
    ApplicationFocusTracker::instance();
    new ActivationWatch(window, std::move(onActivate));
}

} // namespace toolkit
