// The main window driven as a user drives it: scripts of actions with the state that must
// follow, and the pixels of the measuring and ruler areas where the picture is the point.
#include "common/number_format.h"
#include "common/palette.h"
#include "graphs/chart_drawing.h"
#include "graphs/form2.h"
#include "graphs/form3.h"
#include "media/mci_channel.h"
#include "media/mci_commands.h"
#include "support/support.h"
#include "support/window_driver.h"
#include "toolkit/activation.h"
#include "toolkit/command_button.h"
#include "toolkit/picture_box.h"
#include "videogen/videogen.h"

#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cmath>

Q_DECLARE_METATYPE(videogen::VideoSettings)

using common::QBColor;
using windowtest::Driver;

namespace {

// Three marks, at frames 0, 2 and 7 of a 30-frame video.
const QString kThree = QStringLiteral(
    "open 30; play; pause; rewind; transfer; mark 36 36; step 2; transfer; mark 76 56; step 5; "
    "transfer; mark 156 116");
const QString kAll = QStringLiteral(
    "play,pause,step,back,eraseAll,slider,rewind,eraseLast,vt,st,transfer,flipX,flipY");

bool deviceIsOpen() {
    std::string reply;
    return Module1::SendMciCommand(media::statusLengthCommand(), reply) == 0;
}

std::string deviceMode() {
    std::string reply;
    Module1::SendMciCommand("status avfile mode", reply);
    return reply;
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
    std::unique_ptr<Driver> d_;

  private slots:
    void initTestCase() { d_ = std::make_unique<Driver>(); }
    void init() { d_->restart(); }
    void cleanupTestCase() { d_.reset(); }

    void scenarios_data() {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("state");
        const auto row = [](const char* name, const QString& script, const QString& state) {
            QTest::newRow(name) << script << state;
        };
        row("start-up", "", "marks=0 counter=0 enabled=flipX,flipY timer=off played=off max=32767");
        // Opening, playing and closing the video.
        row("first open", "open 45",
            "beeps=1 enabled=play,flipX,flipY timer=on max=45 marks=0 file=clip45.avi");
        row("play enables all", "open 30; play", "enabled=" + kAll + " played=on");
        row("play with no video", "play", "beeps=1 played=on enabled=" + kAll);
        row("second open", "open 45 first.avi; play; pause; transfer; mark 100 100; open 20 b.avi",
            "marks=0 played=on max=20 file=b.avi enabled=play,transfer,flipX,flipY x=-");
        row("cancelled open", "open 150; play; pause; transfer; play; cancel",
            "beeps=2 enabled=play,transfer,flipX,flipY x=- timer=on file=clip150.avi");
        row("close", "open 30; play; pause; transfer; mark 50 60; tick; close",
            "label=フレーム enabled=flipX,flipY marks=0 played=off timer=off x=- file=-");
        row("close with nothing open", "close", "beeps=1 label=フレーム");
        row("exit", "open 30; exit", "timer=off");
        // A video named on the command line or dropped onto the window opens as if chosen.
        row("a file given", "given 30",
            "beeps=1 enabled=play,flipX,flipY timer=on max=30 "
            "file=clip30.avi boxes=0");
        row("a missing file given", "open 20; play; given missing gone.mp4",
            "beeps=2 boxes=1 timer=off file=clip20.avi enabled=play,transfer,flipX,flipY "
            "played=on");
        row("a file refused", "given junk notes.mp4", "beeps=2 boxes=1 timer=off file=-");
        row("a drop", "open 20; play; pause; transfer; mark 50 50; drop 30",
            "marks=0 played=on max=30 file=clip30.avi enabled=play,transfer,flipX,flipY x=-");
        row("two files dropped", "open 20; drop two", "beeps=2 max=20 file=clip20.avi");
        row("a web address dropped", "open 20; drop url", "beeps=2 max=20 file=clip20.avi");
        // The transport and the step counter.
        row("net steps", "open 40; play; pause; rewind; step 2; back", "counter=1 position=1");
        row("back past frame 0", "open 40; play; pause; rewind; back 3", "counter=-3 position=0");
        row("play, rewind and slider leave the counter",
            "open 40; play; pause; rewind; step 2; play; pause; rewind; drag 17; tick",
            "counter=2 slider=17 position=17");
        row("steps move one frame", "open 40; play; pause; rewind; step 5; back; transfer",
            "frame=4 position=4");
        row("rewind", "open 40; play; pause; drag 30; tick; rewind", "slider=30 position=0");
        row("rewind at the next tick",
            "open 40; play; pause; drag 30; tick; rewind; tick; transfer",
            "slider=0 frame=0 label=フレーム\\n\\r____0");
        row("timer shows the position", "open 40; play; pause; rewind; step 7; tick",
            "slider=7 label=フレーム\\n\\r____7");
        row("slider drags", "open 40; play; pause; drag 12; drag 3; drag 39; transfer",
            "frame=39 timer=on");
        row("slider end", "open 40; play; pause; drag 40; tick; transfer",
            "slider=40 position=40 frame=39 beeps=1");
        // Marking: play first, then a net step forward before each further mark.
        row("no mark before play", "open 30; transfer; mark 100 100", "marks=0 x=-");
        row("first mark", "open 30; play; pause; mark 100 100", "marks=1 gaps=0 x=5.40 y=3.40");
        row("same frame, or a step there and back",
            "open 30; play; pause; mark 100 100; "
            "mark 110 100; step; back; mark 110 100",
            "marks=1 counter=0");
        row("three steps on",
            "open 30; play; pause; mark 100 100; step 3; back; step; mark 120 100",
            "marks=2 gaps=0,3 counter=0");
        row("any button", "open 30; play; pause; rmark 100 100; step; mark 110 100", "marks=2");
        row("(36, 36)", "open 30; play; pause; mark 36 36", "x=7.00 y=5.00");
        row("a unit from the corner", "open 30; play; pause; mark 276 196", "x=1.00 y=1.00");
        row("rounded", "open 30; play; pause; mark 157 3", "x=3.98 y=5.83");
        row("2.675 rounds up", "open 30; play; pause; mark 209 36", "x=2.68");
        row("beyond the corner", "open 30; play; pause; mark 318 238", "x=-0.05 y=-0.05");
        // Erasing and the axis directions.
        row("erase the last of three", kThree + "; step; eraseLast",
            "marks=2 x=6.00 y=4.50 counter=6 frame=8");
        row("its gap comes back", kThree + "; step; eraseLast; mark 160 120", "marks=3 gaps=0,2,6");
        row("erase the only mark", "open 30; play; pause; transfer; mark 36 36; step; eraseLast",
            "marks=0 x=- y=- counter=1");
        row("erase with none", "open 30; play; pause; step 4; eraseLast", "marks=0 x=- counter=4");
        row("erase all", kThree + "; eraseAll", "marks=0 counter=0 x=- enabled=" + kAll);
        row("after erase all", kThree + "; eraseAll; mark 50 50", "marks=1");
        row("flip x", kThree + "; flipX", "x=4 y=3.00");
        row("flip y", kThree + "; flipY", "y=3 x=4.00");
        row("flip with no mark", "flipX; flipY", "x=0 y=0");
        // The measuring menu: how long a frame lasts and a length reference, for the video
        // that is open; a value that cannot be used is refused with a message.
        const QString tenCm = "length 10 100 110 100 50 cm";
        row("measuring menu without a video", "", "menu=- rate=30 scale=-");
        row("measuring menu with one", "open 30", "menu=1コマの時間,長さの基準 rate=30");
        row("following needs a mark", "open 30; play; pause; mark 50 50",
            "menu=1コマの時間,長さの基準,自動追跡");
        row("a typed rate", "open 30; frametime typed 120", "rate=120 boxes=0");
        row("full-width digits", "open 30; frametime typed １２０", "rate=120");
        row("rates refused",
            "open 30; frametime typed 0; frametime typed -5; frametime typed abc; "
            "frametime typed 100001; frametime typed",
            "rate=30 boxes=5");
        row("back to 1/30 s", "open 30; frametime typed 60; frametime counted", "rate=30");
        row("a length reference", "open 30; " + tenCm,
            "scale=1_単位長_=_20_cm menu=1コマの時間,長さの基準,長さの基準を消す boxes=0");
        row("lengths refused",
            "open 30; length 10 100 110 100 0 cm; length 10 100 110 100 x mm; "
            "length 10 100 110 100 1001 m",
            "scale=- boxes=3");
        row("two clicks on one pixel", "open 30; play; length 10 100 10.6 100.4 5 cm; mark 110 100",
            "scale=1_単位長_=_2_cm boxes=1 marks=0");
        row("Esc ends the clicks", "open 30; play; pause; length; mark 50 50; escape; mark 60 60",
            "marks=1 scale=-");
        row("erasing keeps the reference",
            "open 30; play; pause; " + tenCm + "; mark 50 50; eraseLast; eraseAll",
            "scale=1_単位長_=_20_cm marks=0");
        row("the reference taken away", "open 30; " + tenCm + "; lengthclear",
            "scale=- menu=1コマの時間,長さの基準");
        row("closing forgets both", "open 30; " + tenCm + "; frametime typed 60; close",
            "scale=- rate=30 menu=-");
        row("opening forgets both", "open 30; " + tenCm + "; frametime typed 60; open 20",
            "scale=- rate=30 menu=1コマの時間,長さの基準");
    }
    void scenarios() {
        QFETCH(QString, script);
        QFETCH(QString, state);
        d_->run(script);
        const QString wrong = d_->differences(state);
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong));
    }

    // The window's outer frame centred, the three picture areas at their sizes, the measuring
    // area in front, and the rulers drawn by the first activation.
    void startUp() {
        Form1& f = d_->form();
        const QRect frame = f.frameGeometry();
        QCOMPARE(frame.size(), QSize(821, 526));
        QVERIFY((frame.center() - f.screen()->geometry().center()).manhattanLength() <= 2);
        QCOMPARE(f.Picture2->clientSize() - f.Picture3->image().size(), QSize(50, 50));
        QCOMPARE(f.centralWidget()->childAt(QPoint(500, 100)), f.Picture3->clientArea());
        QCOMPARE(f.AreaW, std::int16_t{316});
        QCOMPARE(f.AreaH, std::int16_t{236});
        QCOMPARE(f.Picture2->pixelColor(316, 100), QBColor(0));
        // Back from another window of the program, the rulers are drawn again.
        f.Picture2->clear();
        QWidget other;
        toolkit::watchActivation(&other, [] {});
        QVERIFY(support::showActive(&other));
        QCOMPARE(f.Picture2->pixelColor(316, 100), QBColor(15));
        QVERIFY(support::showActive(&f));
        QCOMPARE(f.Picture2->pixelColor(316, 100), QBColor(0));
    }

    // Each tick's last ink and the paper beyond it; the frame is 2 pixels wide, not filled.
    void rulerPixels_data() {
        QTest::addColumn<QPoint>("ink");
        QTest::addColumn<QPoint>("paper");
        QTest::newRow("leftmost small bottom tick") << QPoint(4, 249) << QPoint(4, 250);
        QTest::newRow("half-unit bottom tick") << QPoint(296, 253) << QPoint(296, 254);
        QTest::newRow("unit bottom tick, 22 long") << QPoint(36, 257) << QPoint(36, 258);
        QTest::newRow("topmost small right tick") << QPoint(329, 4) << QPoint(330, 4);
        QTest::newRow("half-unit right tick") << QPoint(335, 216) << QPoint(336, 216);
        QTest::newRow("unit right tick, 23 long") << QPoint(338, 36) << QPoint(339, 36);
        QTest::newRow("between bottom ticks") << QPoint(4, 240) << QPoint(3, 240);
        QTest::newRow("frame, right") << QPoint(315, 100) << QPoint(314, 100);
        QTest::newRow("frame, bottom") << QPoint(102, 235) << QPoint(102, 237);
        QTest::newRow("frame, left") << QPoint(0, 100) << QPoint(100, 100);
    }
    void rulerPixels() {
        QFETCH(QPoint, ink);
        QFETCH(QPoint, paper);
        QCOMPARE(d_->form().Picture2->pixelColor(ink.x(), ink.y()), QBColor(0));
        QCOMPARE(d_->form().Picture2->pixelColor(paper.x(), paper.y()), QBColor(15));
    }

    // The labels where the ruler layout puts them, in both directions; scale_draw draws
    // over what is there and leaves the ruler area in plain copy mode.
    void rulerLabels() {
        Form1& f = d_->form();
        for (bool flipped : {false, true}) {
            f.XAxisRight = f.YAxisDown = toVbBool(flipped);
            f.Picture2->clear();
            f.Picture2->setDrawMode(toolkit::DrawMode::XorPen);
            f.Picture2->setDrawWidth(3);
            f.scale_draw();
            for (int i = 0; i < 8; ++i)
                QVERIFY(support::showsText(*f.Picture2, {314.0 - 40 * i, 266},
                                           QString::number(flipped ? 8 - i : i)));
            for (int i = 0; i < 6; ++i)
                QVERIFY(support::showsText(*f.Picture2, {346, 231.0 - 40 * i},
                                           QString::number(flipped ? 6 - i : i)));
            QVERIFY(!support::showsText(*f.Picture2, {314, 266}, flipped ? "0" : "8"));
            QCOMPARE(f.Picture2->drawMode(), toolkit::DrawMode::CopyPen);
            QCOMPARE(f.Picture2->drawWidth(), 1);
        }
    }

    // The mark's light-yellow dot, and its projections: black and light blue on the rulers.
    void aMarkIsDrawnAndProjected() {
        Form1& f = d_->form();
        d_->run("open 30; play; pause; transfer; mark 150 90");
        QCOMPARE(f.Picture3->pixelColor(153, 90), QBColor(14));
        QCOMPARE(f.Picture3->pixelColor(150, 87), QBColor(14));
        QVERIFY(f.Picture3->pixelColor(154, 90) != QBColor(14)); // radius 3
        QCOMPARE(f.Picture2->pixelColor(151, 253), QBColor(0));
        QCOMPARE(f.Picture2->pixelColor(332, 91), QBColor(9));
        QCOMPARE(f.Picture2->drawMode(), toolkit::DrawMode::XorPen);
        d_->run("step; mark 36.25 36.75");
        QCOMPARE(f.PixX[2], 36.25f);
        QCOMPARE(f.Text1->text(), QStringLiteral("6.99"));
    }

    // A transfer paints the current frame, the light-blue corner pixel and every mark's dot.
    void transferRedrawsEveryDot() {
        Form1& f = d_->form();
        d_->run("open 30; play; pause; rewind; transfer");
        QCOMPARE(support::countPixels(f.Picture3->image(), QBColor(14)), 0);
        QCOMPARE(f.Picture3->pixelColor(0, 0), QBColor(9));
        d_->run("mark 20 20; step 4; transfer; mark 60 60; step 5; transfer");
        QCOMPARE(d_->frameInMeasuringArea(), 9);
        QCOMPARE(f.Picture3->pixelColor(20, 20), QBColor(14));
        QCOMPARE(f.Picture3->pixelColor(60, 60), QBColor(14));
        QCOMPARE(f.Picture3->pixelColor(0, 0), QBColor(9));
    }

    // The 101st click is refused with a message; nothing is written or drawn.
    void aHundredMarksAtMost() {
        Form1& f = d_->form();
        d_->run("open 30; play; pause");
        for (int i = 0; i < 100; ++i) {
            f.FramesSinceMark = 1;
            d_->click(10 + i * 3, 100);
        }
        QCOMPARE(Module1::MarkCount, std::int16_t{100});
        QVERIFY(d_->messages.isEmpty());
        const QImage rulers = f.Picture2->image();
        const QImage area = f.Picture3->image();
        Module1::PosX[100] = 5.5f;
        f.FramesSinceMark = 1;
        d_->click(300, 200);
        QCOMPARE(Module1::MarkCount, std::int16_t{100});
        QCOMPARE(d_->messages.size(), 1);
        QCOMPARE(d_->messages[0].text, QStringLiteral("マークは100個までです。"));
        QCOMPARE(d_->messages[0].icon, toolkit::MessageIcon::Exclamation);
        QCOMPARE(Module1::PosX[100], 5.5f);
        QCOMPARE(f.FramesSinceMark, 1);
        QCOMPARE(f.Picture2->image(), rulers);
        QCOMPARE(f.Picture3->image(), area);
    }

    // Erasing the last mark takes its ruler dots away pixel for pixel, also where they
    // overlap others and after a flip redrew them; the measuring area shows the rest.
    void erasingRestoresTheRulers() {
        Form1& f = d_->form();
        d_->run("open 30; play; pause; transfer; mark 36.4 36.6; step; mark 38 37");
        const QImage withTwo = f.Picture2->image();
        d_->run("step; mark 40.5 38.5");
        QVERIFY(f.Picture2->image() != withTwo);
        d_->run("eraseLast");
        QCOMPARE(f.Picture2->image(), withTwo);

        d_->restart();
        Form1& g = d_->form();
        d_->run(kThree + "; flipX");
        QCOMPARE(g.Picture2->pixelColor(157, 253), QBColor(0)); // copy-pen dots
        QCOMPARE(g.Picture2->pixelColor(332, 117), QBColor(9));
        d_->run("eraseLast");
        QCOMPARE(g.Picture2->pixelColor(157, 253), QBColor(15));
        QCOMPARE(g.Picture2->pixelColor(332, 117), QBColor(15));
        QCOMPARE(g.Picture2->pixelColor(77, 253), QBColor(0)); // mark 2 stays
        QCOMPARE(g.Picture3->pixelColor(76, 56), QBColor(14));
        QVERIFY(g.Picture3->pixelColor(156, 116) != QBColor(14));
        d_->run("eraseAll");
        QCOMPARE(g.Picture3->pixelColor(76, 56), QBColor(15));
        QCOMPARE(g.Picture2->pixelColor(77, 253), QBColor(15));
        QCOMPARE(g.Picture2->pixelColor(316, 100), QBColor(0));
    }

    // A flip recomputes its own coordinate only; twice, it restores every position. Its
    // dots lie on the ticks (x) or under them (y).
    void flips() {
        Form1& f = d_->form();
        d_->run(kThree);
        const auto posX = Module1::PosX, posY = Module1::PosY;
        const auto gaps = Module1::FrameGap;
        d_->run("flipX");
        QCOMPARE(Module1::PosX[1], 1.f); // (36 + 4) / 40
        QCOMPARE(Module1::PosY, posY);
        QCOMPARE(Module1::FrameGap, gaps);
        QCOMPARE(f.Picture2->pixelColor(330, 36), QBColor(9));
        d_->run("flipX; flipY");
        QCOMPARE(Module1::PosX, posX);
        QCOMPARE(Module1::PosY[3], 3.f); // (116 + 4) / 40
        QCOMPARE(f.Picture2->pixelColor(330, 36), QBColor(0));
        QCOMPARE(f.Picture2->pixelColor(332, 37), QBColor(9));
        d_->run("flipY");
        QCOMPARE(Module1::PosY, posY);
    }

    // The timer follows the device by itself, also after a cancelled open; holding the
    // thumb lets the video play on; arrow and track clicks send nothing.
    void theSliderFollowsTheVideo() {
        Form1& f = d_->form();
        d_->run("open 60; play; cancel");
        QTRY_VERIFY(f.HScroll1->value() > 3);
        f.HScroll1->setSliderDown(true);
        const int held = f.HScroll1->value();
        QTRY_VERIFY(f.HScroll1->value() > held + 3);
        QCOMPARE(deviceMode(), "playing");
        f.HScroll1->setSliderDown(false);
        QCOMPARE(deviceMode(), "playing");
        QTRY_COMPARE(deviceMode(), "stopped"); // played through to the end position
        QTRY_COMPARE(f.HScroll1->value(), 60);
        f.Timer1->stop();
        f.HScroll1->triggerAction(QAbstractSlider::SliderSingleStepSub);
        f.HScroll1->triggerAction(QAbstractSlider::SliderPageStepSub);
        QCOMPARE(mediatestPosition(), 60);
        f.Timer1_Timer();
        QCOMPARE(f.HScroll1->value(), 60);
    }

    // The dialog opens in the folder of the last file, one given on the command line or
    // dropped included; its first filter takes every video, the second AVI files.
    void theFileDialog() {
        d_->run("cancel");
        QVERIFY(d_->lastFilter().endsWith(
            QStringLiteral("*.wmv|AVIファイル (*.avi)|*.avi|すべてのファイル (*)|*")));
        d_->run("open 10; cancel");
        QCOMPARE(QDir(d_->lastStartFolder()), QDir(d_->folder()));
        QTemporaryDir other;
        for (const char* how : {"given", "drop"}) {
            d_->run(QStringLiteral("%1 missing %2/%1.avi; cancel").arg(how, other.path()));
            QCOMPARE(QDir(d_->lastStartFolder()), QDir(other.path()));
            d_->run("open 10; cancel");
        }
    }

    // A video filmed at another rate than 30 frames per second (by its timestamps, or as a
    // phone's slow motion records it) asks as it opens whether to count its frames at that
    // rate; はい does, いいえ keeps 1/30 s. 30 and 29.97 open without a question. The dialog
    // offers the rate the file plays at, and the one it was filmed at where it records one.
    void frameRateQuestion_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<videogen::VideoSettings>("settings");
        QTest::addColumn<QString>("asked"); // the rate asked about, empty for none
        QTest::addColumn<bool>("yes");
        QTest::addColumn<QString>("rate"); // counted at after the answer
        const auto row = [](const char* file, videogen::VideoSettings settings, const char* asked,
                            bool yes, const char* rate) {
            settings.width = settings.height = 32;
            settings.frames = 24;
            QTest::newRow(file) << QString(file) << settings << QString(asked) << yes
                                << QString(rate);
        };
        row("30.avi", {}, "", true, "30");
        row("29.97.mp4", {.codec = videogen::Codec::Mpeg4, .fpsNum = 30000, .fpsDen = 1001}, "",
            true, "30");
        row("60.mp4", {.codec = videogen::Codec::Mpeg4, .fpsNum = 60}, "60", true, "60");
        row("15.avi", {.fpsNum = 15}, "15", false, "30");
        row("240.mkv", {.fpsNum = 240}, "240", true, "240");
        row("25.ts", {.codec = videogen::Codec::Mpeg2, .fpsNum = 25}, "25", true, "25");
        row("slow-motion.mp4", {.codec = videogen::Codec::Mpeg4, .captureRate = 120}, "120", true,
            "120");
    }
    void frameRateQuestion() {
        QFETCH(QString, file);
        QFETCH(videogen::VideoSettings, settings);
        QFETCH(QString, asked);
        QFETCH(bool, yes);
        QFETCH(QString, rate);
        const QString path = QDir(d_->folder()).filePath(file);
        QCOMPARE(videogen::writeVideo(path.toStdString(), settings), std::string());
        d_->answer = yes;
        d_->open(path);
        const QString opened = d_->differences("boxes=0 file=" + file + " rate=" + rate);
        QVERIFY2(opened.isEmpty(), qPrintable(opened));
        QCOMPARE(d_->questions.size(), asked.isEmpty() ? 0 : 1);
        for (const QString& part :
             {QStringLiteral("1 秒間に %1 コマ"), QStringLiteral("1 コマを 1/%1 秒")})
            QVERIFY(asked.isEmpty() || d_->questions[0].contains(part.arg(asked)));
        const QString playsAt = file.startsWith(u"29.97")                 ? "29.97"
                                : asked.isEmpty() || settings.captureRate ? "30"
                                                                          : asked;
        d_->run("frametime file");
        QCOMPARE(d_->differences("rate=" + playsAt), QString());
        d_->run("frametime filmed");
        QCOMPARE(d_->differences("rate=" + (settings.captureRate ? asked : playsAt)), QString());
    }

    // The time per frame and a length reference reach the open graph windows at once: the
    // fit is converted, the time axis says how long a frame lasts, the readout and the copied
    // tables give metres; taking the reference away leaves nothing of it behind.
    void graphsFollowTheMeasuringMenu() {
        Form1& f = d_->form();
        d_->run(kThree + "; length 36 36 36 236 1 m; st; vt"); // 200 pixels: 0.2 m a unit
        QCOMPARE(d_->differences("scale=1_単位長_=_20_cm"), QString());
        const std::array<graphs::GraphFrame*, 2> charts{f.positionTimeWindow(),
                                                        f.velocityTimeWindow()};
        for (graphs::GraphFrame* w : charts)
            QTest::mouseClick(w->Cmd_最小2乗法, Qt::LeftButton);
        const float ax = charts[1]->Saisyo_ax;
        const float by = charts[1]->Saisyo_by;
        d_->run("frametime typed 60");
        const QColor ink(10, 0, 0);
        for (graphs::GraphFrame* w : charts) {
            QCOMPARE(w->Saisyo_ax, ax * 4);
            QCOMPARE(w->Saisyo_by, by * 2);
            toolkit::PictureBox& chart = *w->Picture1;
            const QString caption = QStringLiteral("×1/60秒");
            const double captionAt =
                std::floor(570 + chart.textWidth("×1/30秒") - chart.textWidth(caption));
            QVERIFY(support::showsText(chart, {captionAt, 440}, caption));
            const QString metres = graphs::siAccelerationText(w->Saisyo_ay, 0.2);
            QVERIFY(support::showsText(chart, {std::floor(446 - chart.textWidth(metres)), 28},
                                       metres, ink));
            w->mnuCopyData_Click();
            const QString table = QGuiApplication::clipboard()->text();
            QVERIFY2(table.startsWith("1 秒間のコマ数\t60\n1コマの時間 [s]\t0.01666667\n"
                                      "1 単位長 [m]\t0.2\n\n"),
                     qPrintable(table));
            QVERIFY(table.contains(QStringLiteral("\tx [m]\ty [m]\n")) ||
                    table.contains(QStringLiteral("\tvx [m/s]\tvy [m/s]\n")));
            QVERIFY(table.contains("加速度 ax [m/s²]\t" + common::plainText(float(ax * 4 * 0.2))));
        }
        d_->run("lengthclear; frametime counted");
        for (graphs::GraphFrame* w : charts) {
            QCOMPARE(w->Saisyo_ax, ax);
            QCOMPARE(support::countPixels(w->Picture1->image(), Qt::white, QRect(386, 6, 60, 40)),
                     60 * 40);
            w->mnuCopyData_Click();
            QVERIFY(!QGuiApplication::clipboard()->text().contains(u'm'));
        }
    }

    // The reference's segment lies on the frame transferred, under the marks; the marks'
    // dots on the rulers come and go as before.
    void theReferenceOnTheMeasuringArea() {
        Form1& f = d_->form();
        d_->run("open 30; play; pause; transfer");
        const QImage rulers = f.Picture2->image().copy();
        d_->run("length 20 200 120 200 10 cm; mark 70 200");
        const QColor magenta = QBColor(common::LightMagenta);
        QCOMPARE(f.Picture3->pixelColor(40, 200), magenta);
        QCOMPARE(f.Picture3->pixelColor(70, 200), QBColor(common::LightYellow));
        d_->run("step; transfer; eraseLast");
        QCOMPARE(f.Picture3->pixelColor(70, 200), magenta);
        QCOMPARE(f.Picture3->pixelColor(120, 197), magenta); // the end's cross
        QCOMPARE(f.Picture2->image(), rulers);
    }

    // Ending the program, by the menu or by the window's close box, closes the device and
    // the graph windows.
    void ending() {
        Form1& f = d_->form();
        d_->run("open 30; play; pause; transfer; mark 50 60; st");
        QPointer<Form3> graph = f.positionTimeWindow();
        QVERIFY(graph);
        d_->run("exit");
        QCOMPARE(d_->endRequests, 1);
        QVERIFY(!graph && !deviceIsOpen());
        d_->restart();
        d_->form().close(); // with nothing open: "close avfile" still goes out
        QCOMPARE(d_->endRequests, 1);
        QCOMPARE(d_->beeps, 1);
    }

    // This program runs again at 200 % (QT_SCALE_FACTOR=2): a click marks the logical pixel
    // under the pointer, and the window is drawn whole at the device pixel ratio, the video
    // and the measuring area showing one picture.
    void theWindowScalesAsAWhole() {
        Form1& f = d_->form();
        d_->run("open 30; play; pause; transfer");
        QTest::mouseClick(f.Picture3->clientArea(), Qt::LeftButton, {}, QPoint(36, 36));
        QCOMPARE(f.Text1->text(), QStringLiteral("7.00"));
        const qreal scale = qEnvironmentVariableIsSet("QT_SCALE_FACTOR") ? 2.0 : 1.0;
        QCOMPARE(f.devicePixelRatioF(), scale);
        auto* video = f.Picture1->clientArea()->findChild<QWidget*>();
        QVERIFY(video);
        // The video window is handed its picture through the event loop.
        QTRY_COMPARE(video->grab().toImage().pixelColor(QPoint(1, 1) * scale),
                     f.Picture3->pixelColor(1, 1));
        const QImage window = f.grab().toImage();
        const QImage shown = video->grab().toImage();
        QCOMPARE(window.size(), f.size() * scale);
        for (int y = 1; y < 236; y += 7) {
            for (int x = 1; x < 316; x += 7) {
                const QColor measured = f.Picture3->pixelColor(x, y);
                const QPoint at = f.Picture3->clientArea()->mapTo(&f, QPoint(x, y)) * scale;
                QCOMPARE(window.pixelColor(at), measured);
                if (std::hypot(x - 36, y - 36) > 4) // not under the mark's dot
                    QCOMPARE(shown.pixelColor(QPoint(x, y) * scale), measured);
            }
        }
    }

  private:
    static int mediatestPosition() {
        std::string reply;
        Module1::SendMciCommand(media::statusPositionCommand(), reply);
        return media::readNumericReply(reply);
    }
};

QTEST_MAIN(MainWindowTest)
#include "test_main_window.moc"
