#include "toolkit/activation.h"

#include <QApplication>
#include <QTest>
#include <QWidget>

class TestActivation : public QObject {
    Q_OBJECT
  private slots:
    void runsOnMovesWithinTheProgram_data();
    void runsOnMovesWithinTheProgram();
};

// Steps: A and B are watched windows, d is an unwatched one (a dialog), "out" leaves for
// another application. Expected: how often A's and B's handlers ran.
void TestActivation::runsOnMovesWithinTheProgram_data() {
    QTest::addColumn<QString>("steps");
    QTest::addColumn<int>("aRuns");
    QTest::addColumn<int>("bRuns");
    QTest::newRow("first activation") << "A" << 1 << 0;
    QTest::newRow("between the windows") << "A B A B" << 2 << 2;
    QTest::newRow("back from another application") << "A out A" << 1 << 0;
    QTest::newRow("from another application into the other window") << "A out B" << 1 << 1;
    QTest::newRow("back through another application") << "A B out A" << 2 << 1;
    QTest::newRow("back from a dialog") << "A d A" << 1 << 0;
    QTest::newRow("through a dialog to the other window") << "A d B" << 1 << 1;
}

void TestActivation::runsOnMovesWithinTheProgram() {
    QFETCH(QString, steps);
    QFETCH(int, aRuns);
    QFETCH(int, bRuns);
    QWidget a, b, dialog;
    int ranA = 0, ranB = 0;
    toolkit::watchActivation(&a, [&] { ++ranA; });
    toolkit::watchActivation(&b, [&] { ++ranB; });
    for (const QString& step : steps.split(u' ')) {
        if (step == u"out") {
            QApplicationStateChangeEvent inactive(Qt::ApplicationInactive);
            QApplication::sendEvent(qApp, &inactive);
            QApplication::setActiveWindow(nullptr);
            continue;
        }
        QWidget* w = step == u"A" ? &a : step == u"B" ? &b : &dialog;
        w->show();
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w));
    }
    QCOMPARE(ranA, aRuns);
    QCOMPARE(ranB, bRuns);
}

QTEST_MAIN(TestActivation)
#include "test_activation.moc"
