// The road of one measurement on the bundled projectile sample, from the file dialog to the
// printed accelerations, which must be the sample's true ones within what a click to the
// nearest pixel can change; and the sample tool's videos against their documented motion.
#include "common/number_format.h"
#include "disc_finder.h"
#include "graphs/chart_drawing.h"
#include "graphs/form2.h"
#include "graphs/form3.h"
#include "graphs/least_squares.h"
#include "graphs/time_series.h"
#include "main_window/measuring_dialogs.h"
#include "media/mci_commands.h"
#include "moving_disc.h"
#include "samples/sample_scenes.h"
#include "support/media_stage.h"
#include "support/support.h"
#include "support/window_driver.h"
#include "toolkit/command_button.h"
#include "toolkit/picture_box.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <cmath>

namespace {

// How much the fitted slope can move per unit length of error in the marks: it is linear in
// the positions, so the worst case puts every mark's error at its limit.
double slopeChangePerUnitError(const QList<int>& gaps) {
    const auto slope = [&](int moved) {
        std::vector<double> t, v;
        double frames = 0;
        for (int i = 0; i < gaps.size(); ++i) {
            const double dt = gaps[i] / samples::kFramesPerSecond;
            v.push_back(((i + 1 == moved) - (i == moved)) / dt);
            t.push_back(frames / samples::kFramesPerSecond + dt / 2);
            frames += gaps[i];
        }
        double st = 0, stt = 0, sv = 0, stv = 0;
        for (std::size_t i = 0; i < t.size(); ++i)
            st += t[i], stt += t[i] * t[i], sv += v[i], stv += t[i] * v[i];
        const double n = double(t.size());
        return (stv - sv * st / n) / (stt - st * st / n);
    };
    double sum = 0;
    for (int mark = 0; mark <= gaps.size(); ++mark)
        sum += std::abs(slope(mark));
    return sum;
}

// Half a pixel of rounding to the pixel under the pointer, plus how far the centre found in
// the picture may lie from the true one; and far more than the fit's float sums lose.
constexpr double kClickError = 0.5 + e2etest::kCentreTolerance;
constexpr double kRoundingAllowance = 1e-3;

} // namespace

class MeasurementTest : public QObject {
    Q_OBJECT
    std::unique_ptr<windowtest::Driver> d_;

    // Transfers the frame shown now and clicks the ball where it is seen.
    void transferAndClickBall() {
        d_->run("transfer");
        const std::optional<QPointF> ball = e2etest::findRedDisc(d_->form().Picture3->image());
        QVERIFY2(ball, "no ball in the measuring area");
        d_->click(std::round(ball->x()), std::round(ball->y()));
    }
    void markAlong(const QList<int>& gaps) {
        transferAndClickBall();
        for (int gap : gaps) {
            d_->run(QStringLiteral("step %1").arg(gap));
            transferAndClickBall();
        }
    }
    // Presses the window's fit button: the slopes and the printed readout.
    void checkFit(graphs::GraphFrame& chart, bool yDown, double tolerance) {
        const QPointF truth = samples::projectile().motion.acceleration;
        // x grows to the left unless flipped; y grows upwards unless flipped.
        const double ax = -samples::unitsPerSecondSquared(truth.x());
        const double ay = samples::unitsPerSecondSquared(truth.y()) * (yDown ? 1 : -1);
        QTest::mouseClick(chart.Cmd_最小2乗法, Qt::LeftButton);
        qInfo("%s: ax %.4f, ay %.4f", qPrintable(chart.windowTitle()), chart.Saisyo_ax,
              chart.Saisyo_ay);
        QVERIFY2(std::abs(chart.Saisyo_ax - ax) <= tolerance,
                 qPrintable(QString::number(chart.Saisyo_ax)));
        QVERIFY2(std::abs(chart.Saisyo_ay - ay) <= tolerance,
                 qPrintable(QString::number(chart.Saisyo_ay)));
        const QColor ink(10, 0, 0);
        const std::pair<QPointF, QString> readout[] = {
            {{450, 10}, "加速度aｘ="},
            {{515, 10}, common::formatNumber(chart.Saisyo_ax, "####.0")},
            {{555, 10}, "単位長／ｓｓ"},
            {{450, 28}, "加速度aｙ="},
            {{515, 28}, common::formatNumber(chart.Saisyo_ay, "####.0")},
            {{555, 28}, "単位長／ｓｓ"}};
        for (const auto& [at, text] : readout)
            QVERIFY2(support::showsText(*chart.Picture1, at, text, ink), qPrintable(text));
    }

  private slots:
    void init() { d_ = std::make_unique<windowtest::Driver>(); }
    void cleanup() { d_.reset(); }

    void accelerationsOfTheProjectile_data() {
        QTest::addColumn<QList<int>>("gaps");
        QTest::addColumn<bool>("yDown");
        QTest::addColumn<QString>("remake"); // a script run after marking
        QTest::addColumn<QList<int>>("measured");
        const QList<int> tens(9, 10);
        QTest::newRow("10 marks, 10 frames apart") << tens << false << "" << tens;
        const QList<int> uneven{6, 8, 10, 7, 9, 11, 8, 10, 9, 6, 10};
        QTest::newRow("12 marks, uneven gaps") << uneven << false << "" << uneven;
        QTest::newRow("y axis down first") << QList<int>(8, 12) << true << "" << QList<int>(8, 12);
        // Erasing gives the steps back: stepping back to an erased mark and clicking again
        // makes the same gaps.
        QTest::newRow("last three erased and re-made")
            << tens << false
            << "eraseLast; eraseLast; eraseLast; back 20; ball; step 10; ball; step 10; ball"
            << tens;
        QTest::newRow("all erased, re-made 11 frames apart")
            << tens << false << "eraseAll; rewind" << QList<int>(9, 11);
    }
    void accelerationsOfTheProjectile() {
        QFETCH(QList<int>, gaps);
        QFETCH(bool, yDown);
        QFETCH(QString, remake);
        QFETCH(QList<int>, measured);
        Form1& f = d_->form();
        QString startFolder;
        toolkit::setOpenFileHandler([&](const QString& folder, const QString&) {
            startFolder = folder;
            return std::optional<QString>(QDir(folder).filePath(QStringLiteral("projectile.avi")));
        });
        f.mnuopen->trigger(); // the dialog opens in the samples folder
        QCOMPARE(QDir::cleanPath(startFolder), QDir::cleanPath(QStringLiteral(UGOKI_SAMPLES_DIR)));
        d_->run(yDown ? "play; pause; rewind; flipY" : "play; pause; rewind");
        markAlong(gaps);
        for (const QString& step : remake.split(u';', Qt::SkipEmptyParts))
            step.trimmed() == u"ball" ? transferAndClickBall() : d_->run(step);
        if (remake.contains(u"eraseAll"))
            markAlong(measured);
        QCOMPARE(int(Module1::MarkCount), measured.size() + 1);
        for (int i = 0; i < measured.size(); ++i)
            QCOMPARE(int(Module1::FrameGap[i + 1]), measured[i]);

        d_->run("st; vt");
        Form3* st = f.positionTimeWindow();
        Form2* vt = f.velocityTimeWindow();
        QVERIFY(st && vt && QTest::qWaitForWindowActive(vt));
        const double tolerance =
            slopeChangePerUnitError(measured) * kClickError / samples::kPixelsPerUnit +
            kRoundingAllowance;
        checkFit(*st, yDown, tolerance);
        checkFit(*vt, yDown, tolerance);
        // The y axis turned after marking: both windows, brought to the front and asked
        // again, read the same motion with the other sign.
        d_->run("flipY; st");
        QVERIFY(QTest::qWaitForWindowActive(st));
        checkFit(*st, !yDown, tolerance);
        d_->run("vt");
        QVERIFY(QTest::qWaitForWindowActive(vt));
        checkFit(*vt, !yDown, tolerance);
    }

    // A ball dropped beside a metre stick, filmed at 30, 60 and 240 frames per second (the
    // last a phone's slow motion that plays at 30) and as a phone's portrait video: the user
    // answers the question at opening, clicks the stick's ends for the reference and marks
    // the ball; the velocity chart reads g in m/s² to within 1 %.
    void gravityInMetres_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("fps");     // as the file plays
        QTest::addColumn<double>("rate"); // as it was filmed
        QTest::addColumn<int>("gap");     // frames between marks
        QTest::addColumn<bool>("portrait");
        QTest::newRow("30 fps, AVI") << "drop30.avi" << 30 << 30.0 << 1 << false;
        QTest::newRow("60 fps, MP4") << "drop60.mp4" << 60 << 60.0 << 2 << false;
        QTest::newRow("240 fps slow motion") << "drop240.mp4" << 30 << 240.0 << 8 << false;
        QTest::newRow("portrait, 60 fps") << "drop-portrait.mp4" << 60 << 60.0 << 3 << true;
    }
    void gravityInMetres() {
        QFETCH(QString, file);
        QFETCH(int, fps);
        QFETCH(double, rate);
        QFETCH(int, gap);
        QFETCH(bool, portrait);
        samples::Sample drop = samples::droppedBall();
        drop.filmedRate = rate;
        drop.video.fpsNum = fps;
        drop.video.captureRate = rate == fps ? 0 : int(rate);
        drop.video.codec = file.endsWith(".avi") ? videogen::Codec::Mjpeg : drop.video.codec;
        // Until the ball nears the table.
        drop.video.frames = int(std::sqrt(2 * 186.0 / drop.motion.acceleration.y()) * rate) + 1;
        if (portrait) { // stored lying, shown upright at three quarters in the middle
            drop.video.width = 320;
            drop.video.height = 180;
            drop.video.rotation = -90;
            drop.displayScale = 0.75;
            drop.displayOffset = QPointF(92, 0);
            drop.stickTop.rx() = drop.stickBottom.rx() = 110;
            drop.motion.start.rx() = 180;
        }
        const QString path = QDir(d_->folder()).filePath(file);
        QCOMPARE(videogen::writeVideo(path.toStdString(), samples::videoSettings(drop)),
                 std::string());
        d_->open(path);
        QCOMPARE(d_->questions.size(), rate == 30 ? 0 : 1);
        d_->run(QStringLiteral("play; pause; rewind; length %1 %2 %3 %4 1 m")
                    .arg(drop.stickTop.x())
                    .arg(drop.stickTop.y())
                    .arg(drop.stickBottom.x())
                    .arg(drop.stickBottom.y()));
        QCOMPARE(d_->differences("scale=1_単位長_=_20_cm boxes=0"), QString());
        markAlong(QList<int>((drop.video.frames - 1) / gap, gap));
        d_->run("vt");
        Form2* vt = d_->form().velocityTimeWindow();
        QVERIFY(vt && QTest::qWaitForWindowActive(vt));
        QTest::mouseClick(vt->Cmd_最小2乗法, Qt::LeftButton);
        const double metresPerUnit = 0.2;
        const double g = -vt->Saisyo_ay * metresPerUnit;
        qInfo("%s: g = %.4f m/s²", qPrintable(file), g);
        QVERIFY2(std::abs(g / samples::kGravity - 1) < 0.01, qPrintable(QString::number(g)));
        const QString printed = graphs::siAccelerationText(vt->Saisyo_ay, metresPerUnit);
        QVERIFY(support::showsText(*vt->Picture1,
                                   {std::floor(446 - vt->Picture1->textWidth(printed)), 28},
                                   printed, QColor(10, 0, 0)));
    }

    // One mark by hand, then the rest by itself: every automatic mark lies within half a
    // pixel of the disc's true middle (0.7 blurred), and where it cannot be sure (the disc
    // leaves the picture, goes behind a box) tracking stops with a message and no wrong
    // mark; the accelerations of a whole track are within 1 %.
    void trackingFollowsTheDisc_data() {
        QTest::addColumn<QString>("scene");
        QTest::addColumn<int>("gap");
        QTest::addColumn<double>("tolerance");
        QTest::addColumn<int>("least");    // automatic marks
        QTest::addColumn<QString>("ends"); // what the message says, empty for none
        QTest::newRow("throw, 30 fps") << "throw" << 1 << 0.5 << 39 << "";
        QTest::newRow("throw, 60 fps, every 2nd") << "throw60" << 2 << 0.5 << 39 << "";
        QTest::newRow("a disc of 5 pixels") << "small" << 1 << 0.5 << 39 << "";
        QTest::newRow("motion blur") << "blur" << 1 << 0.7 << 39 << "";
        QTest::newRow("a pendulum bob that turns, the light changing")
            << "pendulum" << 1 << 0.5 << 44 << "";
        QTest::newRow("a disc of the same colour far off") << "twin" << 1 << 0.5 << 39 << "";
        QTest::newRow("portrait, display matrix") << "portrait" << 1 << 0.5 << 39 << "";
        QTest::newRow("leaving the picture") << "leaves" << 1 << 0.5 << 20 << "画面の外に出ました";
        QTest::newRow("behind a box") << "box" << 1 << 0.5 << 15 << "見失いました";
        QTest::newRow("up to 100 marks") << "slow" << 1 << 0.5 << 99 << "";
    }
    void trackingFollowsTheDisc() {
        QFETCH(QString, scene);
        QFETCH(int, gap);
        QFETCH(double, tolerance);
        QFETCH(int, least);
        QFETCH(QString, ends);
        e2etest::MovingDisc disc;
        videogen::VideoSettings stored{.codec = videogen::Codec::Mjpeg, .frames = 41};
        disc.centre = [](double t) { return QPointF(30.5 + 90 * t, 200.5 - 100 * t + 75 * t * t); };
        QPointF acceleration(0, 150); // of the throws, in source pixels
        if (scene == "throw60") {
            disc.fps = 60;
            stored.frames = 81;
        } else if (scene == "small") {
            disc.radius = 2.5;
        } else if (scene == "blur") {
            disc.exposure = 1 / 60.0;
        } else if (scene == "pendulum") {
            const auto swing = [](double t) { return 0.5 * std::cos(2 * M_PI * t / 1.5); };
            disc.centre = [swing](double t) {
                return QPointF(160.5, 20.5) + 150 * QPointF(std::sin(swing(t)), std::cos(swing(t)));
            };
            disc.radius = 10;
            disc.turn = swing;
            disc.light = [](double t) { return 1 - 0.25 * t / 1.5; };
            stored.frames = 46;
        } else if (scene == "twin") {
            disc.twin = QPointF(280.5, 40.5);
        } else if (scene == "portrait") { // stored lying, shown upright at 3/4 in the middle
            disc.upright = QSize(180, 320);
            disc.centre = [](double t) {
                return QPointF(20.5 + 60 * t, 280.5 - 200 * t + 120 * t * t);
            };
            acceleration = QPointF(0, 240);
            stored = {.codec = videogen::Codec::H264,
                      .width = 320,
                      .height = 180,
                      .frames = 41,
                      .gop = 12,
                      .maxBFrames = 2,
                      .rotation = -90};
        } else if (scene == "leaves") {
            disc.centre = [](double t) { return QPointF(200.5 + 150 * t, 120.5); };
        } else if (scene == "box") {
            disc.box = QRectF(100, 0, 24, 240);
        } else if (scene == "slow") { // longer than 100 marks
            disc.centre = [](double t) { return QPointF(40.5 + 50 * t, 120.5); };
            stored.frames = 130;
        }
        const bool portrait = scene == "portrait";
        const double scale = portrait ? 0.75 : 1.0;
        const QPointF offset = portrait ? QPointF(92, 0) : QPointF();
        const auto shown = [&](int frame) {
            return disc.centre(frame / disc.fps) * scale + offset;
        };
        const QString path = QDir(d_->folder()).filePath(scene + (portrait ? ".mp4" : ".avi"));
        QCOMPARE(videogen::writeVideo(path.toStdString(), e2etest::discVideo(disc, stored)),
                 std::string());
        d_->open(path);
        const QPointF first = shown(0) - QPointF(0.5, 0.5);
        d_->run(QStringLiteral("play; pause; rewind; transfer; mark %1 %2; track %3")
                    .arg(std::round(first.x()))
                    .arg(std::round(first.y()))
                    .arg(gap));
        Form1& f = d_->form();
        QVERIFY2(Module1::MarkCount - 1 >= least, qPrintable(QString::number(Module1::MarkCount)));
        QCOMPARE(d_->messages.size(), ends.isEmpty() ? 0 : 1);
        QVERIFY(ends.isEmpty() || d_->messages.front().text.contains(ends));
        int frame = 0;
        double worst = 0;
        for (int i = 2; i <= Module1::MarkCount; ++i) {
            frame += Module1::FrameGap[i - 1];
            QCOMPARE(Module1::FrameGap[i - 1], gap);
            const QPointF off = QPointF(f.PixX[i] + 0.5, f.PixY[i] + 0.5) - shown(frame);
            worst = std::max(worst, std::hypot(off.x(), off.y()));
            QVERIFY2(std::hypot(off.x(), off.y()) <= tolerance,
                     qPrintable(QStringLiteral("mark %1 (frame %2) %3 px off")
                                    .arg(i)
                                    .arg(frame)
                                    .arg(std::hypot(off.x(), off.y()))));
        }
        qInfo("%d automatic marks, the worst %.2f px off", Module1::MarkCount - 1, worst);
        if (!disc.turn && ends.isEmpty() && scene != "slow") { // a whole throw
            const int marks = Module1::MarkCount;
            std::array<float, Module1::kTableSize> vx{}, vy{}, t{};
            graphs::intervalVelocities(marks, Module1::FrameGap, Module1::PosX, Module1::PosY, vx,
                                       vy, t, disc.fps);
            const auto span = [marks](const auto& a) { return std::span(a).subspan(1, marks - 1); };
            const auto ax = graphs::fitLine(span(t), span(vx));
            const auto ay = graphs::fitLine(span(t), span(vy));
            QVERIFY(ax && ay);
            const double truth = -acceleration.y() * scale / samples::kPixelsPerUnit;
            qInfo("ax %.4f ay %.4f (truth %.4f)", ax->a, ay->a, truth);
            QVERIFY(std::abs(ax->a) < 0.01 * std::abs(truth));
            QVERIFY(std::abs(ay->a / truth - 1) < 0.01);
        }
    }

    // Stopped from its window (Esc), tracking keeps the marks made and makes no more; it
    // offers the gap between the last two marks.
    void trackingStopsWhenAsked() {
        e2etest::MovingDisc disc;
        disc.centre = [](double t) { return QPointF(40.5 + 50 * t, 120.5); };
        const QString path = QDir(d_->folder()).filePath("stop.avi");
        QCOMPARE(
            videogen::writeVideo(path.toStdString(), e2etest::discVideo(disc, {.frames = 200})),
            std::string());
        d_->open(path);
        d_->run("play; pause; rewind; transfer; mark 40 120; step 3; transfer; mark 45 120");
        Form1& f = d_->form();
        int offered = 0;
        d_->dialogAnswer = [&offered](QDialog& d) {
            auto& dialog = dynamic_cast<TrackGapDialog&>(d);
            offered = dialog.frames->value();
            dialog.buttons->button(QDialogButtonBox::Ok)->click();
            return dialog.result();
        };
        f.mnutrack_Click();
        QCOMPARE(offered, 3);
        while (f.isTracking() && Module1::MarkCount < 5) // a mark each time round
            QCoreApplication::processEvents();
        auto* progress = f.findChild<TrackingProgress*>();
        QVERIFY(progress && progress->isVisible());
        QTest::keyClick(progress, Qt::Key_Escape);
        QVERIFY(!f.isTracking());
        const int made = Module1::MarkCount;
        QCoreApplication::processEvents();
        QCOMPARE(int(Module1::MarkCount), made);
        QVERIFY(made < 10 && d_->messages.isEmpty());
        QCOMPARE(Module1::FrameGap[made - 1], 3);
    }

    // The sample tool writes every sample; each shows the disc where its documented motion
    // puts it, every fourth frame and the last; the folder's README states the accelerations
    // a user reads.
    void sampleVideos() {
        QTemporaryDir dir;
        QProcess tool;
        tool.start(QStringLiteral(UGOKI_SAMPLES_TOOL), {dir.path()});
        QVERIFY(tool.waitForFinished(60000) && tool.exitCode() == 0);
        const QString readme =
            QString::fromUtf8(support::readFile(QStringLiteral(UGOKI_SAMPLES_README)));
        QStringList names;
        mediatest::Stage stage;
        for (const samples::Sample& sample : samples::allSamples()) {
            const QString name = QString::fromStdString(sample.fileName);
            names << name;
            QCOMPARE(stage.open(dir.filePath(name).toStdString()).code, 0);
            QCOMPARE(media::readNumericReply(mediatest::send(media::statusLengthCommand()).text),
                     sample.video.frames);
            std::vector<QPointF> offsets; // found minus documented
            const int last = sample.video.frames - 1;
            for (int n = 0; n <= last; n = n == last ? last + 1 : std::min(n + 3, last)) {
                mediatest::send(media::seekCommand(n));
                stage.target().clear();
                mediatest::send(media::updateCommand(stage.targetHandle()));
                const std::optional<QPointF> found = e2etest::findRedDisc(stage.target().image());
                QVERIFY2(found,
                         qPrintable(QStringLiteral("%1: no disc in frame %2").arg(name).arg(n)));
                offsets.push_back(*found - sample.atFrame(n));
            }
            // A shift common to every frame (where the codec places its colour samples) moves
            // no velocity; what differs from frame to frame is what a measurement feels.
            QPointF common;
            for (QPointF offset : offsets)
                common += offset / double(offsets.size());
            QVERIFY2(std::hypot(common.x(), common.y()) <= e2etest::kCommonShiftLimit,
                     qPrintable(name));
            for (QPointF offset : offsets)
                QVERIFY2(std::hypot(offset.x() - common.x(), offset.y() - common.y()) <=
                             e2etest::kCentreTolerance,
                         qPrintable(name));
            const auto units = [](double v) {
                return QString::number(v == 0 ? 0.0 : -v / 40.0, 'f', 2);
            };
            const QString row =
                readme.section(QStringLiteral("| `%1` |").arg(name), 1, 1).section(u'\n', 0, 0);
            QVERIFY2(row.contains(QStringLiteral("ax = %1, ay = %2")
                                      .arg(units(sample.motion.acceleration.x()),
                                           units(sample.motion.acceleration.y()))),
                     qPrintable(row));
            QVERIFY2(row.contains(QStringLiteral("| %1 |").arg(sample.video.frames)),
                     qPrintable(row));
        }
        names.sort();
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files, QDir::Name), names);
    }
};

QTEST_MAIN(MeasurementTest)
#include "test_measurement.moc"
