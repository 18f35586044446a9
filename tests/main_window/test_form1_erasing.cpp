#include "form1_fixture.h"

#include "common/palette.h"
#include "toolkit/command_button.h"
#include "toolkit/picture_box.h"

#include <QLineEdit>
#include <QTest>
#include <memory>

using common::QBColor;
using form1test::Harness;

class TestForm1Erasing : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { harness_ = std::make_unique<Harness>(); }
    void init();
    void cleanupTestCase() { harness_.reset(); }

    void eraseLastOfThree();
    void eraseLastOfOne();
    void eraseLastWithNone();
    void eraseLastRestoresTheRulersPixelForPixel();
    void eraseAll();
    void flipXTwiceRestoresPositionsAndLabels();
    void flipsRecomputeOnlyTheirOwnCoordinate();
    void flipWithNoMarkWritesZero();
    void flippedDotsAreStillErasedByEraseLast();
    void dotsAndTicksLayerAsEachFlipDrawsThem();

  private:
    // Three marks at frames 0, 2 and 7.
    void markThree();
    std::unique_ptr<Harness> harness_;
};

void TestForm1Erasing::init() {
    harness_->restart();
    harness_->open(harness_->video(30));
    harness_->playAndPause();
    harness_->form().Cmd_巻き戻し_Click();
}

void TestForm1Erasing::markThree() {
    Form1& f = harness_->form();
    f.Cmd_trans_Click();
    harness_->click(36, 36);
    f.Command3_Click();
    f.Command3_Click();
    f.Cmd_trans_Click();
    harness_->click(76, 56);
    for (int i = 0; i < 5; ++i) {
        f.Command3_Click();
    }
    f.Cmd_trans_Click();
    harness_->click(156, 116);
    QCOMPARE(Module1::MarkCount, std::int16_t{3});
}

void TestForm1Erasing::eraseLastOfThree() {
    Form1& f = harness_->form();
    markThree();
    f.Command3_Click(); // one more step after the third mark
    f.Cmd_Reset_Click();
    QCOMPARE(Module1::MarkCount, std::int16_t{2});
    QCOMPARE(f.Text1->text(), QStringLiteral("6.00"));
    QCOMPARE(f.Text2->text(), QStringLiteral("4.50"));
    QCOMPARE(f.FramesSinceMark, 1 + 5); // the erased mark's frame gap comes back
    // The measuring area shows the current frame again, with the dots of marks 1 and 2.
    QCOMPARE(harness_->frameInMeasuringArea(), 8);
    QCOMPARE(f.Picture3->pixelColor(36, 36), QBColor(14));
    QCOMPARE(f.Picture3->pixelColor(76, 56), QBColor(14));
    QVERIFY(f.Picture3->pixelColor(156, 116) != QBColor(14));
    QCOMPARE(f.Picture3->pixelColor(0, 0), QBColor(9));

    // A click on the same frame records the same gap the erased mark had.
    harness_->click(160, 120);
    QCOMPARE(Module1::FrameGap[2], 6);
}

void TestForm1Erasing::eraseLastOfOne() {
    Form1& f = harness_->form();
    f.Cmd_trans_Click();
    harness_->click(36, 36);
    f.Command3_Click();
    f.Cmd_Reset_Click();
    QCOMPARE(Module1::MarkCount, std::int16_t{0});
    QCOMPARE(f.Text1->text(), QString());
    QCOMPARE(f.Text2->text(), QString());
    QCOMPARE(f.FramesSinceMark, 1); // FrameGap(0) is 0: unchanged
}

void TestForm1Erasing::eraseLastWithNone() {
    Form1& f = harness_->form();
    f.Cmd_trans_Click();
    const QImage area = f.Picture3->image();
    const QImage rulers = f.Picture2->image();
    f.Text1->setText(QStringLiteral("x"));
    f.Text2->setText(QStringLiteral("y"));
    f.FramesSinceMark = 4;
    f.Cmd_Reset_Click();
    QCOMPARE(f.Text1->text(), QString());
    QCOMPARE(f.Text2->text(), QString());
    QCOMPARE(f.Picture3->image(), area);
    QCOMPARE(f.Picture2->image(), rulers);
    QCOMPARE(f.FramesSinceMark, 4);
    QCOMPARE(Module1::MarkCount, std::int16_t{0});
}

void TestForm1Erasing::eraseLastRestoresTheRulersPixelForPixel() {
    Form1& f = harness_->form();
    f.Cmd_trans_Click();
    harness_->click(36.4, 36.6);
    f.Command3_Click();
    harness_->click(38, 37); // dots overlapping the first ones
    const QImage withTwo = f.Picture2->image();
    f.Command3_Click();
    harness_->click(40.5, 38.5);
    QVERIFY(f.Picture2->image() != withTwo);
    f.Cmd_Reset_Click();
    QCOMPARE(f.Picture2->image(), withTwo);
}

void TestForm1Erasing::eraseAll() {
    Form1& f = harness_->form();
    markThree();
    f.Command6_Click();
    QCOMPARE(Module1::MarkCount, std::int16_t{0});
    QCOMPARE(f.FramesSinceMark, 0);
    QCOMPARE(f.Text1->text(), QString());
    QCOMPARE(f.Picture3->pixelColor(36, 36), QBColor(15));
    QCOMPARE(f.Picture3->pixelColor(0, 0), QBColor(15));
    QCOMPARE(f.Picture2->pixelColor(37, 253), QBColor(15)); // dot gone
    QCOMPARE(f.Picture2->pixelColor(316, 100), QBColor(0)); // rulers back
    QCOMPARE(f.Picture2->drawMode(), toolkit::DrawMode::CopyPen);
    QVERIFY(f.Cmd_Xchange->isEnabled() && f.Cmd_Ychange->isEnabled());
    // The next click needs only that play was pressed.
    harness_->click(50, 50);
    QCOMPARE(Module1::MarkCount, std::int16_t{1});
}

void TestForm1Erasing::flipXTwiceRestoresPositionsAndLabels() {
    Form1& f = harness_->form();
    markThree();
    const auto before = Module1::PosX;
    f.Cmd_Xchange_Click();
    QCOMPARE(f.XAxisRight, VbTrue);
    QCOMPARE(Module1::PosX[1], 1.f);                // (36 + 4) / 40
    QCOMPARE(Module1::PosX[3], 4.f);                // (156 + 4) / 40
    QCOMPARE(f.Text1->text(), QStringLiteral("4")); // plain text, not "4.00"
    f.Cmd_Xchange_Click();
    QCOMPARE(f.XAxisRight, VbFalse);
    for (int i = 1; i <= 3; ++i) {
        QCOMPARE(Module1::PosX[i], before[i]);
    }
    QCOMPARE(f.Text1->text(), QStringLiteral("4"));
}

void TestForm1Erasing::flipsRecomputeOnlyTheirOwnCoordinate() {
    Form1& f = harness_->form();
    markThree();
    const auto posY = Module1::PosY;
    const auto gaps = Module1::FrameGap;
    const auto pixX = f.PixX;
    f.Cmd_Xchange_Click();
    QCOMPARE(Module1::PosY, posY);
    QCOMPARE(Module1::FrameGap, gaps);
    QCOMPARE(f.PixX, pixX);
    f.Cmd_Ychange_Click();
    QCOMPARE(Module1::PosY[3], 3.f); // (116 + 4) / 40
    QCOMPARE(f.Text2->text(), QStringLiteral("3"));
    f.Cmd_Ychange_Click();
    QCOMPARE(Module1::PosY, posY);
}

void TestForm1Erasing::flipWithNoMarkWritesZero() {
    Form1& f = harness_->form();
    f.Cmd_Xchange_Click();
    QCOMPARE(f.Text1->text(), QStringLiteral("0"));
    f.Cmd_Ychange_Click();
    QCOMPARE(f.Text2->text(), QStringLiteral("0"));
}

void TestForm1Erasing::flippedDotsAreStillErasedByEraseLast() {
    Form1& f = harness_->form();
    markThree();
    f.Cmd_Xchange_Click();
    // The copy-pen dots show the same colours as the XOR dots on white.
    QCOMPARE(f.Picture2->pixelColor(157, 253), QBColor(0));
    QCOMPARE(f.Picture2->pixelColor(332, 117), QBColor(9));
    f.Cmd_Reset_Click();
    QCOMPARE(f.Picture2->pixelColor(157, 253), QBColor(15));
    QCOMPARE(f.Picture2->pixelColor(332, 117), QBColor(15));
    QCOMPARE(f.Picture2->pixelColor(77, 253), QBColor(0)); // mark 2 stays
    QCOMPARE(f.Text1->text(), QStringLiteral("2.00"));     // mark 2 at (76 + 4) / 40
}

void TestForm1Erasing::dotsAndTicksLayerAsEachFlipDrawsThem() {
    Form1& f = harness_->form();
    f.Cmd_trans_Click();
    harness_->click(36, 36); // its right-ruler dot covers the tick row y = 36
    f.Cmd_Xchange_Click();   // dots over ticks: the tick pixel inside the dot is light blue
    QCOMPARE(f.Picture2->pixelColor(330, 36), QBColor(9));
    f.Cmd_Xchange_Click();
    f.Cmd_Ychange_Click(); // ticks over dots: the tick row shows black through the dot
    QCOMPARE(f.Picture2->pixelColor(330, 36), QBColor(0));
    QCOMPARE(f.Picture2->pixelColor(332, 37), QBColor(9));
}

QTEST_MAIN(TestForm1Erasing)
#include "test_form1_erasing.moc"
