#include "form1_fixture.h"

#include "common/palette.h"
#include "toolkit/command_button.h"
#include "toolkit/picture_box.h"

#include <QLineEdit>
#include <QTest>
#include <cmath>
#include <memory>

using common::QBColor;
using form1test::Harness;

class TestForm1Marking : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { harness_ = std::make_unique<Harness>(); }
    void init();
    void cleanupTestCase() { harness_.reset(); }

    void firstClickNeedsPlay();
    void laterClicksNeedANetStep();
    void anyButtonMarks();
    void clickShowsCoordinates_data();
    void clickShowsCoordinates();
    void clickDrawsTheDotAndItsProjections();
    void fractionsOfAPixelAreKept();
    void transferPaintsTheCurrentFrameAndTheDots();
    void transferWithNoMarkDrawsOnlyFrameAndCornerPixel();
    void theHundredAndFirstClickIsRefused();
    void theWindowScalesAsAWhole();

  private:
    std::unique_ptr<Harness> harness_;
};

void TestForm1Marking::init() {
    harness_->restart();
    harness_->open(harness_->video(30));
    harness_->messages.clear();
}

void TestForm1Marking::firstClickNeedsPlay() {
    Form1& f = harness_->form();
    f.Cmd_trans_Click();
    const QImage before = f.Picture3->image();
    harness_->click(100, 100);
    QCOMPARE(Module1::MarkCount, std::int16_t{0});
    QCOMPARE(f.Picture3->image(), before); // nothing drawn
    QCOMPARE(f.Text1->text(), QString());

    harness_->playAndPause();
    harness_->click(100, 100);
    QCOMPARE(Module1::MarkCount, std::int16_t{1});
    QCOMPARE(Module1::FrameGap[0], 0);
    QCOMPARE(Module1::PosX[1], (316.f - 100.f) / 40.f);
}

void TestForm1Marking::laterClicksNeedANetStep() {
    Form1& f = harness_->form();
    harness_->playAndPause();
    harness_->click(100, 100);
    harness_->click(110, 100); // same frame
    QCOMPARE(Module1::MarkCount, std::int16_t{1});
    f.Command3_Click();
    f.Command4_Click();
    harness_->click(110, 100); // one step forward and one back
    QCOMPARE(Module1::MarkCount, std::int16_t{1});
    f.Command3_Click();
    f.Command3_Click();
    f.Command3_Click();
    f.Command4_Click();
    f.Command3_Click();
    harness_->click(120, 100);
    QCOMPARE(Module1::MarkCount, std::int16_t{2});
    QCOMPARE(Module1::FrameGap[1], 3);
    QCOMPARE(f.FramesSinceMark, 0);
}

void TestForm1Marking::anyButtonMarks() {
    Form1& f = harness_->form();
    harness_->playAndPause();
    harness_->click(100, 100, Qt::RightButton);
    f.Command3_Click();
    harness_->click(110, 100, Qt::MiddleButton);
    QCOMPARE(Module1::MarkCount, std::int16_t{2});
}

void TestForm1Marking::clickShowsCoordinates_data() {
    QTest::addColumn<double>("x");
    QTest::addColumn<double>("y");
    QTest::addColumn<QString>("text1");
    QTest::addColumn<QString>("text2");
    QTest::newRow("(36, 36)") << 36.0 << 36.0 << "7.00"
                              << "5.00";
    QTest::newRow("one unit from the corner") << 276.0 << 196.0 << "1.00"
                                              << "1.00";
    QTest::newRow("rounded") << 157.0 << 3.0 << "3.98"
                             << "5.83";
    QTest::newRow("beyond the corner") << 318.0 << 238.0 << "-0.05"
                                       << "-0.05";
}

void TestForm1Marking::clickShowsCoordinates() {
    QFETCH(double, x);
    QFETCH(double, y);
    QFETCH(QString, text1);
    QFETCH(QString, text2);
    Form1& f = harness_->form();
    harness_->playAndPause();
    harness_->click(x, y);
    QCOMPARE(f.Text1->text(), text1);
    QCOMPARE(f.Text2->text(), text2);
}

void TestForm1Marking::clickDrawsTheDotAndItsProjections() {
    Form1& f = harness_->form();
    harness_->playAndPause();
    f.Cmd_trans_Click();
    harness_->click(150, 90);
    QCOMPARE(f.Picture3->pixelColor(150, 90), QBColor(14));
    QCOMPARE(f.Picture3->pixelColor(153, 90), QBColor(14));
    QCOMPARE(f.Picture3->pixelColor(150, 87), QBColor(14));
    // On the white rulers the XOR dots show black (bottom) and light blue (right).
    QCOMPARE(f.Picture2->pixelColor(151, 253), QBColor(0));
    QCOMPARE(f.Picture2->pixelColor(332, 91), QBColor(9));
    QCOMPARE(f.Picture2->drawMode(), toolkit::DrawMode::XorPen);
}

void TestForm1Marking::fractionsOfAPixelAreKept() {
    Form1& f = harness_->form();
    harness_->playAndPause();
    harness_->click(36.25, 36.75);
    QCOMPARE(f.PixX[1], 36.25f);
    QCOMPARE(f.PixY[1], 36.75f);
    QCOMPARE(Module1::PosX[1], static_cast<float>((316 - 36.25) / 40));
    QCOMPARE(f.Text1->text(), QStringLiteral("6.99"));
}

void TestForm1Marking::transferPaintsTheCurrentFrameAndTheDots() {
    Form1& f = harness_->form();
    harness_->playAndPause();
    f.Cmd_巻き戻し_Click();
    f.Cmd_trans_Click();
    QCOMPARE(harness_->frameInMeasuringArea(), 0);
    harness_->click(20, 20);
    for (int i = 0; i < 9; ++i) {
        f.Command3_Click();
    }
    f.Cmd_trans_Click();
    QCOMPARE(harness_->frameInMeasuringArea(), 9);
    QCOMPARE(f.Picture3->pixelColor(0, 0), QBColor(9));
    QCOMPARE(f.Picture3->pixelColor(20, 20), QBColor(14)); // the first mark's dot again
    QCOMPARE(Module1::MarkCount, std::int16_t{1});
    QCOMPARE(f.FramesSinceMark, 9);
}

void TestForm1Marking::transferWithNoMarkDrawsOnlyFrameAndCornerPixel() {
    Form1& f = harness_->form();
    harness_->playAndPause();
    f.Cmd_巻き戻し_Click();
    f.Cmd_Reset->setEnabled(false);
    f.Cmd_trans_Click();
    QCOMPARE(f.Picture3->pixelColor(0, 0), QBColor(9));
    QVERIFY(!f.Cmd_Reset->isEnabled()); // transfer enables nothing
    int lightYellow = 0;
    const QImage image = f.Picture3->image();
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            lightYellow += image.pixelColor(x, y) == QBColor(14);
        }
    }
    QCOMPARE(lightYellow, 0);
}

void TestForm1Marking::theHundredAndFirstClickIsRefused() {
    Form1& f = harness_->form();
    harness_->playAndPause();
    for (int i = 0; i < 100; ++i) {
        f.FramesSinceMark = 1; // as if one step had been taken
        harness_->click(10 + i * 3, 100);
    }
    QCOMPARE(Module1::MarkCount, std::int16_t{100});
    QVERIFY(harness_->messages.isEmpty());
    const QImage rulers = f.Picture2->image();
    const QImage area = f.Picture3->image();
    Module1::PosX.fill(-1.f); // anything written now would show
    Module1::PosX[100] = 5.5f;

    f.FramesSinceMark = 1;
    harness_->click(300, 200);
    QCOMPARE(Module1::MarkCount, std::int16_t{100});
    QCOMPARE(harness_->messages.size(), 1);
    QCOMPARE(harness_->messages[0].text, QStringLiteral("マークは100個までです。"));
    QCOMPARE(harness_->messages[0].caption, QStringLiteral("Ugoki"));
    QCOMPARE(harness_->messages[0].icon, toolkit::MessageIcon::Exclamation);
    QCOMPARE(Module1::PosX[100], 5.5f);
    QCOMPARE(f.FramesSinceMark, 1);
    QCOMPARE(f.Picture2->image(), rulers);
    QCOMPARE(f.Picture3->image(), area);
}

// This test program runs again at 200 % (QT_SCALE_FACTOR=2): a click marks the logical pixel
// under the pointer, and the window is drawn as a whole at the device pixel ratio, the video
// and the measuring area showing the same picture.
void TestForm1Marking::theWindowScalesAsAWhole() {
    Form1& f = harness_->form();
    harness_->playAndPause();
    f.Cmd_trans_Click();
    QTest::mouseClick(f.Picture3->clientArea(), Qt::LeftButton, {}, QPoint(36, 36));
    QCOMPARE(f.Text1->text(), QStringLiteral("7.00"));
    QCOMPARE(f.Text2->text(), QStringLiteral("5.00"));

    const qreal scale = qEnvironmentVariableIsSet("QT_SCALE_FACTOR") ? 2.0 : 1.0;
    QCOMPARE(f.devicePixelRatioF(), scale);
    const QImage window = f.grab().toImage();
    QCOMPARE(window.size(), f.size() * scale);
    auto* video = f.Picture1->clientArea()->findChild<QWidget*>();
    QVERIFY(video);
    // The video window is handed its picture through the event loop.
    QTRY_COMPARE(video->grab().toImage().pixelColor(QPoint(1, 1) * scale),
                 f.Picture3->pixelColor(1, 1));
    const QImage videoShown = video->grab().toImage();
    int compared = 0;
    for (int y = 1; y < 236; y += 7) {
        for (int x = 1; x < 316; x += 7) {
            const QColor measured = f.Picture3->pixelColor(x, y);
            const QPoint device = f.Picture3->clientArea()->mapTo(&f, QPoint(x, y)) * scale;
            QCOMPARE(window.pixelColor(device), measured);
            if (std::hypot(x - 36, y - 36) > 4) { // not under the mark's dot
                QCOMPARE(videoShown.pixelColor(QPoint(x, y) * scale), measured);
                ++compared;
            }
        }
    }
    QVERIFY(compared > 1000);
}

QTEST_MAIN(TestForm1Marking)
#include "test_form1_marking.moc"
