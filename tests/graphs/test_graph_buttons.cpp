// The main window's two graph buttons and its exit, as they reach the graph windows.
#include "graphs/form2.h"
#include "graphs/form3.h"
#include "main_window/form1.h"
#include "toolkit/command_button.h"
#include "toolkit/fonts.h"

#include <QPointer>
#include <QTest>

class GraphButtonsTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { toolkit::installFontSubstitutions(); }

    // No mark: nothing opens. One mark: each button opens its own window, both stay open
    // beside the main window, and exit takes them along.
    void buttonsOpenWindowsAndExitClosesThem() {
        Form1 main;
        main.show();
        QVERIFY(QTest::qWaitForWindowActive(&main));
        main.Cmd_st->setEnabled(true); // as after play
        main.Cmd_vt->setEnabled(true);
        QTest::mouseClick(main.Cmd_st, Qt::LeftButton);
        QTest::mouseClick(main.Cmd_vt, Qt::LeftButton);
        QVERIFY(!main.positionTimeWindow() && !main.velocityTimeWindow());

        Module1::MarkCount = 1;
        QTest::mouseClick(main.Cmd_st, Qt::LeftButton);
        QPointer<Form3> st = main.positionTimeWindow();
        QVERIFY(st && QTest::qWaitForWindowActive(st));
        QTest::mouseClick(main.Cmd_vt, Qt::LeftButton);
        QPointer<Form2> vt = main.velocityTimeWindow();
        QVERIFY(vt && QTest::qWaitForWindowActive(vt));
        QVERIFY(st->isVisible() && vt->isVisible() && main.isVisible());

        main.close();
        QTRY_VERIFY(st.isNull() && vt.isNull());
    }
};

QTEST_MAIN(GraphButtonsTest)
#include "test_graph_buttons.moc"
