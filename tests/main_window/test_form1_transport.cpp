#include "form1_fixture.h"

#include "media/mci_channel.h"
#include "media/mci_commands.h"
#include "toolkit/caption_label.h"
#include "toolkit/command_button.h"
#include "toolkit/picture_box.h"

#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <memory>

using form1test::Harness;

namespace {

std::int32_t devicePosition() {
    std::string reply;
    Module1::SendMciCommand(media::statusPositionCommand(), reply);
    return media::readNumericReply(reply);
}

std::string deviceMode() {
    std::string reply;
    Module1::SendMciCommand("status avfile mode", reply);
    return reply;
}

// What the user does when dragging the slider's thumb to `value`.
void dragThumbTo(QScrollBar* slider, int value) {
    slider->setSliderDown(true);
    slider->setSliderPosition(value);
    slider->setSliderDown(false);
}

} // namespace

class TestForm1Transport : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { harness_ = std::make_unique<Harness>(); }
    void init();
    void cleanupTestCase() { harness_.reset(); }

    void stepsCountNetFramesSinceTheMark();
    void playRewindAndSliderLeaveTheCounterAlone();
    void stepButtonsMoveExactlyOneFrame();
    void rewindShowsFrameZeroAtTheNextTick();
    void timerTickShowsTheDevicePosition();
    void draggingTheSliderShowsThatFrame();
    void holdingTheThumbLetsTheVideoPlayOn();
    void theSliderEndIsTheLastPosition();
    void arrowAndTrackClicksSendNothing();
    void playWithNoVideoBeepsYetEnablesEverything();
    void stepCounterNeverWraps();
    void longVideoOpensCompletely();

  private:
    std::unique_ptr<Harness> harness_;
};

void TestForm1Transport::init() {
    harness_->restart();
    harness_->open(harness_->video(40));
    harness_->playAndPause();
    harness_->form().Cmd_巻き戻し_Click();
    harness_->beeps = 0;
}

void TestForm1Transport::stepsCountNetFramesSinceTheMark() {
    Form1& f = harness_->form();
    f.FramesSinceMark = 0;
    f.Command3_Click();
    f.Command3_Click();
    f.Command4_Click();
    QCOMPARE(f.FramesSinceMark, 1);
    f.Command4_Click();
    f.Command4_Click();
    QCOMPARE(f.FramesSinceMark, -1); // it may go below zero
    QCOMPARE(devicePosition(), 0);   // the step back past frame 0 counts all the same
}

void TestForm1Transport::playRewindAndSliderLeaveTheCounterAlone() {
    Form1& f = harness_->form();
    f.Command3_Click();
    f.Command3_Click();
    f.Command1_Click();
    f.Command2_Click();
    f.Cmd_巻き戻し_Click();
    dragThumbTo(f.HScroll1, 17);
    f.Timer1_Timer();
    QCOMPARE(f.FramesSinceMark, 2);
}

void TestForm1Transport::stepButtonsMoveExactlyOneFrame() {
    Form1& f = harness_->form();
    for (int i = 0; i < 5; ++i) {
        f.Command3_Click();
    }
    f.Command4_Click();
    f.Cmd_trans_Click();
    QCOMPARE(harness_->frameInMeasuringArea(), 4);
    QCOMPARE(devicePosition(), 4);
}

void TestForm1Transport::rewindShowsFrameZeroAtTheNextTick() {
    Form1& f = harness_->form();
    dragThumbTo(f.HScroll1, 30);
    f.Timer1_Timer();
    QCOMPARE(f.HScroll1->value(), 30);
    f.Cmd_巻き戻し_Click();
    QCOMPARE(f.HScroll1->value(), 30); // rewinding does not touch the slider
    f.Timer1_Timer();
    QCOMPARE(f.HScroll1->value(), 0);
    f.Cmd_trans_Click();
    QCOMPARE(harness_->frameInMeasuringArea(), 0);
}

void TestForm1Transport::timerTickShowsTheDevicePosition() {
    Form1& f = harness_->form();
    for (int i = 0; i < 7; ++i) {
        f.Command3_Click();
    }
    f.Timer1_Timer();
    QCOMPARE(f.HScroll1->value(), 7);
    QCOMPARE(f.Label2->caption(), QStringLiteral("フレーム\n\r    7"));
    // The timer itself does this every 100 ms.
    QCOMPARE(f.Timer1->interval(), 100);
    f.Command3_Click();
    QTRY_COMPARE_WITH_TIMEOUT(f.HScroll1->value(), 8, 1000);
}

void TestForm1Transport::draggingTheSliderShowsThatFrame() {
    Form1& f = harness_->form();
    for (int frame : {12, 3, 39, 25}) {
        dragThumbTo(f.HScroll1, frame);
        QVERIFY(f.Timer1->isActive()); // restarted after the seek
        f.Cmd_trans_Click();
        QCOMPARE(harness_->frameInMeasuringArea(), frame);
    }
}

void TestForm1Transport::holdingTheThumbLetsTheVideoPlayOn() {
    Form1& f = harness_->form();
    f.Command1_Click();
    f.HScroll1->setSliderDown(true); // pressed on the thumb and held still
    QTRY_VERIFY(f.HScroll1->value() >= 3);
    QCOMPARE(deviceMode(), "playing");
    f.HScroll1->setSliderDown(false); // and released
    QCOMPARE(deviceMode(), "playing");
}

void TestForm1Transport::theSliderEndIsTheLastPosition() {
    Form1& f = harness_->form();
    dragThumbTo(f.HScroll1, f.HScroll1->maximum());
    f.Timer1_Timer();
    QCOMPARE(f.HScroll1->value(), 40);
    QCOMPARE(devicePosition(), 40);
    f.Cmd_trans_Click();
    QCOMPARE(harness_->frameInMeasuringArea(), 39);
    QCOMPARE(harness_->beeps, 0);
    // Played through, the video stops there too.
    f.Cmd_巻き戻し_Click();
    f.Command1_Click();
    QTRY_COMPARE(deviceMode(), "stopped");
    QCOMPARE(devicePosition(), 40);
}

void TestForm1Transport::arrowAndTrackClicksSendNothing() {
    Form1& f = harness_->form();
    f.Timer1->stop();
    f.HScroll1->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    f.HScroll1->triggerAction(QAbstractSlider::SliderPageStepAdd);
    f.HScroll1->setValue(20);
    QCOMPARE(devicePosition(), 0);
    f.Timer1_Timer(); // and the next tick puts the thumb back
    QCOMPARE(f.HScroll1->value(), 0);
}

void TestForm1Transport::playWithNoVideoBeepsYetEnablesEverything() {
    Form1& f = harness_->form();
    f.mnuclose_Click();
    QCOMPARE(f.PlayStarted, VbFalse);
    harness_->beeps = 0;
    f.Command1_Click();
    QCOMPARE(harness_->beeps, 1);
    QCOMPARE(f.PlayStarted, VbTrue);
    for (QWidget* w : {static_cast<QWidget*>(f.Command1), static_cast<QWidget*>(f.Command2),
                       static_cast<QWidget*>(f.Command3), static_cast<QWidget*>(f.Command4),
                       static_cast<QWidget*>(f.Command6), static_cast<QWidget*>(f.HScroll1),
                       static_cast<QWidget*>(f.Cmd_巻き戻し), static_cast<QWidget*>(f.Cmd_Reset),
                       static_cast<QWidget*>(f.Cmd_vt), static_cast<QWidget*>(f.Cmd_st),
                       static_cast<QWidget*>(f.Cmd_trans)}) {
        QVERIFY(w->isEnabled());
    }
}

void TestForm1Transport::stepCounterNeverWraps() {
    Form1& f = harness_->form();
    f.FramesSinceMark = 32767;
    f.Command3_Click();
    QCOMPARE(f.FramesSinceMark, 32768); // past the old 16-bit limit
    f.FramesSinceMark = std::numeric_limits<Module1::FrameCount>::max();
    f.Command3_Click();
    QCOMPARE(f.FramesSinceMark, std::numeric_limits<Module1::FrameCount>::max());
    f.FramesSinceMark = std::numeric_limits<Module1::FrameCount>::min();
    f.Command4_Click();
    QCOMPARE(f.FramesSinceMark, std::numeric_limits<Module1::FrameCount>::min());
}

void TestForm1Transport::longVideoOpensCompletely() {
    Form1& f = harness_->form();
    // Tiny square frames keep the file small; they show as a 240 x 240 square, centred.
    const QString path = harness_->video(40000, QStringLiteral("long.avi"), QSize(16, 16));
    harness_->open(path);
    QVERIFY(harness_->messages.isEmpty());
    QVERIFY(f.Timer1->isActive());
    QCOMPARE(f.HScroll1->maximum(), 40000);
    QCOMPARE(f.Label1->text(), path);
    f.Command1_Click();
    f.Command2_Click();
    dragThumbTo(f.HScroll1, 39999);
    f.Cmd_trans_Click();
    QCOMPARE(harness_->frameInMeasuringArea(QRect(40, 0, 240, 240)), 39999);
    f.Timer1_Timer();
    QCOMPARE(f.HScroll1->value(), 39999);
    QCOMPARE(f.Label2->caption(), QStringLiteral("フレーム\n\r    39999"));
}

QTEST_MAIN(TestForm1Transport)
#include "test_form1_transport.moc"
