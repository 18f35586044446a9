#include "main_window/form1.h"
#include "toolkit/activation.h"
#include "toolkit/caption_label.h"
#include "toolkit/command_button.h"
#include "toolkit/fonts.h"
#include "toolkit/picture_box.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <memory>

class TestForm1Startup : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { toolkit::setApplicationFont(); }
    void init();
    void cleanup() { form_.reset(); }

    void windowIsCentredAtItsOuterSize();
    void controlsStandWhereTheLayoutPutsThem_data();
    void controlsStandWhereTheLayoutPutsThem();
    void pictureAreasHaveTheirSizes();
    void onlyTheAxisButtonsAreEnabled();
    void fieldsAndTimerStartCleared();
    void menuHasItsThreeItems();
    void textBoxesUseTheGothicFace();
    void cmdEnabled_data();
    void cmdEnabled();
    void returningFromAnotherWindowRedrawsTheRulers();

  private:
    std::unique_ptr<Form1> form_;
};

void TestForm1Startup::init() {
    Module1::MarkCount = 5; // must be reset by the load
    form_ = std::make_unique<Form1>();
    form_->show();
    form_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form_.get()));
    QCoreApplication::processEvents();
}

void TestForm1Startup::windowIsCentredAtItsOuterSize() {
    QCOMPARE(form_->windowTitle(), QStringLiteral("Ugoki"));
    const QRect frame = form_->frameGeometry();
    QCOMPARE(frame.size(), QSize(821, 526));
    const QRect screen = form_->screen()->geometry();
    QVERIFY(qAbs(frame.left() - (screen.width() - 821) / 2) <= 1);
    QVERIFY(qAbs(frame.top() - (screen.height() - 526) / 2) <= 1);
}

void TestForm1Startup::controlsStandWhereTheLayoutPutsThem_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("caption");
    QTest::newRow("Label1") << "Label1" << QRect(24, 8, 265, 17) << "";
    QTest::newRow("Picture1") << "Picture1" << QRect(32, 40, 320, 240) << "";
    QTest::newRow("Cmd_trans") << "Cmd_trans" << QRect(360, 56, 33, 217) << "画像転送→";
    QTest::newRow("Picture2") << "Picture2" << QRect(400, 40, 370, 290) << "";
    QTest::newRow("Picture3") << "Picture3" << QRect(400, 40, 320, 240) << "";
    QTest::newRow("Cmd_Xchange") << "Cmd_Xchange" << QRect(448, 0, 121, 33) << "Ｘ軸の向き変更";
    QTest::newRow("Cmd_Ychange") << "Cmd_Ychange" << QRect(584, 0, 113, 33) << "Ｙ軸の向き変更";
    QTest::newRow("Command4") << "Command4" << QRect(128, 296, 65, 33) << "コマ戻し";
    QTest::newRow("Command3") << "Command3" << QRect(192, 296, 65, 33) << "コマ送り";
    QTest::newRow("Label2") << "Label2" << QRect(264, 296, 65, 33) << "";
    QTest::newRow("HScroll1") << "HScroll1" << QRect(88, 352, 201, 25) << "";
    QTest::newRow("Cmd_巻き戻し") << "Cmd_巻き戻し" << QRect(88, 400, 73, 33) << "巻き戻し";
    QTest::newRow("Command2") << "Command2" << QRect(160, 400, 65, 33) << "一時停止";
    QTest::newRow("Command1") << "Command1" << QRect(224, 400, 65, 33) << "再生";
    QTest::newRow("Cmd_Reset") << "Cmd_Reset" << QRect(432, 360, 81, 33) << "マーク消去";
    QTest::newRow("Command6") << "Command6" << QRect(512, 360, 81, 33) << "全マーク消去";
    QTest::newRow("Cmd_vt") << "Cmd_vt" << QRect(432, 408, 81, 33) << "v-tグラフ";
    QTest::newRow("Cmd_st") << "Cmd_st" << QRect(512, 408, 81, 33) << "x,y-tグラフ";
    QTest::newRow("Label3") << "Label3" << QRect(640, 368, 41, 33) << "ｘ座標";
    QTest::newRow("Text1") << "Text1" << QRect(680, 360, 41, 25) << "";
    QTest::newRow("Label5") << "Label5" << QRect(640, 408, 57, 33) << "ｙ座標";
    QTest::newRow("Text2") << "Text2" << QRect(680, 400, 41, 25) << "";
}

void TestForm1Startup::controlsStandWhereTheLayoutPutsThem() {
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    QFETCH(QString, caption);
    const std::map<QString, QWidget*> controls = {
        {"Label1", form_->Label1},           {"Picture1", form_->Picture1},
        {"Cmd_trans", form_->Cmd_trans},     {"Picture2", form_->Picture2},
        {"Picture3", form_->Picture3},       {"Cmd_Xchange", form_->Cmd_Xchange},
        {"Cmd_Ychange", form_->Cmd_Ychange}, {"Command4", form_->Command4},
        {"Command3", form_->Command3},       {"Label2", form_->Label2},
        {"HScroll1", form_->HScroll1},       {"Cmd_巻き戻し", form_->Cmd_巻き戻し},
        {"Command2", form_->Command2},       {"Command1", form_->Command1},
        {"Cmd_Reset", form_->Cmd_Reset},     {"Command6", form_->Command6},
        {"Cmd_vt", form_->Cmd_vt},           {"Cmd_st", form_->Cmd_st},
        {"Label3", form_->Label3},           {"Text1", form_->Text1},
        {"Label5", form_->Label5},           {"Text2", form_->Text2},
    };
    QWidget* control = controls.at(name);
    QCOMPARE(control->geometry(), geometry);
    QCOMPARE(control->parentWidget(), form_->centralWidget());
    if (auto* b = qobject_cast<QPushButton*>(control)) {
        QCOMPARE(b->text(), caption);
    } else if (auto* l = qobject_cast<QLabel*>(control)) {
        QCOMPARE(l->text(), caption);
    } else if (auto* t = qobject_cast<QLineEdit*>(control)) {
        QCOMPARE(t->text(), caption);
    }
}

void TestForm1Startup::pictureAreasHaveTheirSizes() {
    QCOMPARE(form_->Picture1->clientSize(), QSize(316, 236));
    QCOMPARE(form_->Picture2->clientSize(), QSize(366, 286));
    QCOMPARE(form_->Picture3->clientSize(), QSize(316, 236));
    QCOMPARE(form_->Picture3->image().size(), QSize(316, 236));
    // The measuring area lies in front of the ruler area: a click there reaches Picture3.
    QWidget* hit = form_->centralWidget()->childAt(QPoint(500, 100));
    QCOMPARE(hit, form_->Picture3->clientArea());
    QCOMPARE(form_->Picture3->image().pixelColor(10, 10), QColor(255, 255, 255));
    QCOMPARE(form_->Picture3->accessibleName(), QStringLiteral("測定エリア"));
    QCOMPARE(form_->Picture2->accessibleName(), QStringLiteral("目盛り"));
    QCOMPARE(form_->Picture1->accessibleName(), QStringLiteral("映像"));
    QCOMPARE(form_->centralWidget()->palette().color(QPalette::Window), QColor(192, 192, 192));
}

void TestForm1Startup::onlyTheAxisButtonsAreEnabled() {
    const QList<QWidget*> disabled = {form_->Command1,     form_->Command2,  form_->Command3,
                                      form_->Command4,     form_->Command6,  form_->HScroll1,
                                      form_->Cmd_巻き戻し, form_->Cmd_Reset, form_->Cmd_vt,
                                      form_->Cmd_st,       form_->Cmd_trans};
    for (QWidget* w : disabled) {
        QVERIFY2(!w->isEnabled(), qPrintable(w->metaObject()->className()));
    }
    QVERIFY(form_->Cmd_Xchange->isEnabled());
    QVERIFY(form_->Cmd_Ychange->isEnabled());
    QVERIFY(form_->mnuopen->isEnabled() && form_->mnuclose->isEnabled() &&
            form_->mnuend->isEnabled());
}

void TestForm1Startup::fieldsAndTimerStartCleared() {
    QCOMPARE(form_->Timer1->interval(), 100);
    QVERIFY(!form_->Timer1->isActive());
    QCOMPARE(Module1::MarkCount, std::int16_t{0});
    QCOMPARE(form_->PlayStarted, VbFalse);
    QCOMPARE(form_->FramesSinceMark, 0);
    QCOMPARE(form_->XAxisRight, VbFalse);
    QCOMPARE(form_->YAxisDown, VbFalse);
    QVERIFY(form_->CommonDialog1.cancelError);
    QCOMPARE(form_->HScroll1->minimum(), 0);
    QCOMPARE(form_->HScroll1->maximum(), 32767);
    QCOMPARE(form_->HScroll1->singleStep(), 1);
    // The first activation drew the rulers and fixed the measuring area's inner size.
    QCOMPARE(form_->AreaW, std::int16_t{316});
    QCOMPARE(form_->AreaH, std::int16_t{236});
}

void TestForm1Startup::menuHasItsThreeItems() {
    const QList<QAction*> menus = form_->menuBar()->actions();
    QCOMPARE(menus.size(), 1);
    QCOMPARE(menus[0]->text(), QStringLiteral("ﾌｧｲﾙ（&F）"));
    const QList<QAction*> items = menus[0]->menu()->actions();
    QCOMPARE(items.size(), 3);
    QCOMPARE(items[0], form_->mnuopen);
    QCOMPARE(items[0]->text(), QStringLiteral("開く(&O)"));
    QCOMPARE(items[1]->text(), QStringLiteral("閉じる(&C)"));
    QCOMPARE(items[2]->text(), QStringLiteral("終了(&X)"));
}

void TestForm1Startup::textBoxesUseTheGothicFace() {
    for (QLineEdit* t : {form_->Text1, form_->Text2}) {
        const QFontInfo info(t->font());
        QCOMPARE(info.family(), QStringLiteral("IPAPGothic"));
        QVERIFY(info.bold());
        QCOMPARE(t->font().pointSize(), 12);
    }
}

void TestForm1Startup::cmdEnabled_data() {
    QTest::addColumn<bool>("b1");
    QTest::addColumn<bool>("b2");
    QTest::newRow("none") << false << false;
    QTest::newRow("play only") << true << false;
    QTest::newRow("transport only") << false << true;
    QTest::newRow("all") << true << true;
}

void TestForm1Startup::cmdEnabled() {
    QFETCH(bool, b1);
    QFETCH(bool, b2);
    form_->Cmd_Reset->setEnabled(true); // not one of cmd_enabled's controls
    form_->cmd_enabled(toVbBool(b1), toVbBool(b2));
    QCOMPARE(form_->Command1->isEnabled(), b1);
    for (QWidget* w :
         {static_cast<QWidget*>(form_->Command2), static_cast<QWidget*>(form_->Command3),
          static_cast<QWidget*>(form_->Command4), static_cast<QWidget*>(form_->Command6),
          static_cast<QWidget*>(form_->HScroll1)}) {
        QCOMPARE(w->isEnabled(), b2);
    }
    QVERIFY(form_->Cmd_Reset->isEnabled());
    QVERIFY(form_->Cmd_Xchange->isEnabled());
}

void TestForm1Startup::returningFromAnotherWindowRedrawsTheRulers() {
    // The frame's right edge runs down x = 316 of the ruler area.
    QCOMPARE(form_->Picture2->pixelColor(316, 100), QColor(0, 0, 0));
    form_->Picture2->clear();
    QCOMPARE(form_->Picture2->pixelColor(316, 100), QColor(255, 255, 255));

    QWidget other; // a graph window, say
    toolkit::watchActivation(&other, [] {});
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    QCOMPARE(form_->Picture2->pixelColor(316, 100), QColor(255, 255, 255));
    form_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form_.get()));
    QCOMPARE(form_->Picture2->pixelColor(316, 100), QColor(0, 0, 0));
}

QTEST_MAIN(TestForm1Startup)
#include "test_form1_startup.moc"
