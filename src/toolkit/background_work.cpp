#include "toolkit/background_work.h"

#include <QApplication>
#include <QEventLoop>
#include <QProgressDialog>
#include <QTimer>
#include <atomic>
#include <memory>
#include <thread>

namespace toolkit {

namespace {
constexpr int kQuietMs = 500;
constexpr int kProgressMs = 50;
} // namespace

void runInBackground(const std::function<void()>& work, const std::function<int()>& permille,
                     const std::function<void()>& cancel, const QString& label, QWidget* parent) {
    if (!QCoreApplication::instance()) {
        work();
        return;
    }
    QEventLoop loop;
    std::atomic<bool> done = false;
    std::thread worker([&] {
        work();
        done = true;
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    std::unique_ptr<QProgressDialog> dialog;
    QTimer progress;
    QObject::connect(&progress, &QTimer::timeout, [&] {
        if (!dialog) { // half a second has gone by
            dialog = std::make_unique<QProgressDialog>(label, QStringLiteral("キャンセル"), 0, 1000,
                                                       parent);
            dialog->setWindowModality(Qt::ApplicationModal);
            dialog->setMinimumDuration(0);
            dialog->setAutoReset(false);
            dialog->setAutoClose(false);
            QObject::connect(dialog.get(), &QProgressDialog::canceled, [&] { cancel(); });
            dialog->show();
            progress.start(kProgressMs);
            loop.quit(); // from now on with the user's input
        }
        const int share = permille();
        if (share < 0)
            dialog->setRange(0, 0); // moving to and fro: how far it is is not known
        else
            dialog->setValue(std::min(share, 1000));
    });
    progress.setSingleShot(false);
    progress.start(kQuietMs);
    // Until the dialog is up, input waits as it would for work done in place.
    while (!done && !dialog)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    while (!done)
        loop.exec();
    worker.join();
    progress.stop();
}

} // namespace toolkit
