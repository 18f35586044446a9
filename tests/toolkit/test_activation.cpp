#include "toolkit/activation.h"

#include <QApplication>
#include <QTest>
#include <QWidget>

namespace {

void activate(QWidget& w) {
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
}

void leaveTheApplication() {
    QApplicationStateChangeEvent inactive(Qt::ApplicationInactive);
    QApplication::sendEvent(qApp, &inactive);
    QApplication::setActiveWindow(nullptr);
}

} // namespace

class TestActivation : public QObject {
    Q_OBJECT
  private slots:
    void runsOnFirstActivationAndOnReturnFromAnotherWindow();
    void doesNotRunOnReturnFromAnotherApplication();
};

void TestActivation::runsOnFirstActivationAndOnReturnFromAnotherWindow() {
    QWidget main;
    QWidget other;
    int runs = 0;
    toolkit::watchActivation(&main, [&] { ++runs; });
    main.show();
    activate(main);
    QCOMPARE(runs, 1);
    other.show();
    activate(other);
    QCOMPARE(runs, 1);
    activate(main);
    QCOMPARE(runs, 2);
}

void TestActivation::doesNotRunOnReturnFromAnotherApplication() {
    QWidget main;
    QWidget other;
    int mainRuns = 0;
    int otherRuns = 0;
    toolkit::watchActivation(&main, [&] { ++mainRuns; });
    toolkit::watchActivation(&other, [&] { ++otherRuns; });
    main.show();
    activate(main);
    QCOMPARE(mainRuns, 1);
    other.show();
    activate(other);
    QCOMPARE(otherRuns, 1);
    activate(main);
    QCOMPARE(mainRuns, 2);

    leaveTheApplication();
    activate(main);
    QCOMPARE(mainRuns, 2); // back from elsewhere: the rulers are still there

    leaveTheApplication();
    activate(other); // back through the other window: it does not run either
    QCOMPARE(otherRuns, 1);
    activate(main); // but moving between our own windows does
    QCOMPARE(mainRuns, 3);
}

QTEST_MAIN(TestActivation)
#include "test_activation.moc"
