// The road of one measurement, end to end: the bundled projectile sample opened through the
// file menu, played, paused, rewound and stepped by the media service, the ball found by eye
// in the measuring area and clicked, both graph windows opened and their least-squares
// buttons pressed. The accelerations they print must be the sample's true ones, within what
// a click to the nearest pixel can change.
#include "common/number_format.h"
#include "disc_finder.h"
#include "form1_fixture.h"
#include "graphs/form2.h"
#include "graphs/form3.h"
#include "measurement/measurement_table.h"
#include "samples/sample_scenes.h"
#include "toolkit/command_button.h"
#include "toolkit/fonts.h"
#include "toolkit/picture_box.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QScrollBar>
#include <QTest>
#include <cmath>
#include <memory>

namespace {

enum class Remake { None, LastThree, All };

// How much the fitted acceleration (unit lengths per second squared) can move per unit
// length of error in the marks: the slope is linear in the mark positions, so the worst
// case puts every mark's error at its limit with the sign of its coefficient.
double slopeChangePerUnitError(const QList<int>& gaps) {
    const int marks = static_cast<int>(gaps.size()) + 1;
    auto slope = [&](const std::vector<double>& positions) {
        std::vector<double> t, v;
        double frames = 0;
        for (int i = 0; i + 1 < marks; ++i) {
            const double dt = gaps[i] / samples::kFramesPerSecond;
            v.push_back((positions[i + 1] - positions[i]) / dt);
            t.push_back(frames / samples::kFramesPerSecond + dt / 2);
            frames += gaps[i];
        }
        const double n = static_cast<double>(t.size());
        double st = 0, stt = 0, sv = 0, stv = 0;
        for (size_t i = 0; i < t.size(); ++i) {
            st += t[i];
            stt += t[i] * t[i];
            sv += v[i];
            stv += t[i] * v[i];
        }
        return (stv - sv * st / n) / (stt - st * st / n);
    };
    double sum = 0;
    for (int j = 0; j < marks; ++j) {
        std::vector<double> unit(marks, 0.0);
        unit[j] = 1.0;
        sum += std::abs(slope(unit));
    }
    return sum;
}

// The error a click may carry: half a pixel of rounding to the pixel under the pointer,
// plus how far the centre found in the picture may be from the true one.
constexpr double kClickError = 0.5 + e2etest::kCentreTolerance;
// Far above what the 32-bit sums of the fit lose on a dozen points of this size.
constexpr double kRoundingAllowance = 1e-3;

// The readout above the chart: from the first label to the right edge, above the plot.
const QRect kReadout(450, 0, 187, 50);

QImage readoutOf(const toolkit::PictureBox& chart) {
    return chart.image().copy(kReadout);
}

// The six items of the readout printed the way a chart prints text, on white.
QImage expectedReadout(const toolkit::PictureBox& chart, const QString& ax, const QString& ay) {
    toolkit::PictureBox reference;
    reference.setFont(chart.font());
    reference.setOuterSize(chart.outerWidth(), chart.outerHeight());
    reference.setUserScale(0, 0, 637, 461);
    reference.clear();
    reference.setFontSize(10);
    reference.setForeColor(QColor(10, 0, 0));
    const struct {
        double x, y;
        QString text;
    } items[] = {
        {450, 10, QStringLiteral("加速度aｘ=")},
        {515, 10, ax},
        {555, 10, QStringLiteral("単位長／ｓｓ")},
        {450, 28, QStringLiteral("加速度aｙ=")},
        {515, 28, ay},
        {555, 28, QStringLiteral("単位長／ｓｓ")},
    };
    for (const auto& item : items) {
        reference.setCurrentX(item.x);
        reference.setCurrentY(item.y);
        reference.printText(item.text);
    }
    return readoutOf(reference);
}

bool isBlank(const QImage& image) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != qRgb(255, 255, 255))
                return false;
    return true;
}

} // namespace

Q_DECLARE_METATYPE(Remake)

class MeasurementRoadTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { toolkit::installFontSubstitutions(); }
    void init() { h_ = std::make_unique<form1test::Harness>(); }
    void cleanup() { h_.reset(); }

    void accelerationsOfTheProjectile_data() {
        QTest::addColumn<QList<int>>("gaps");
        QTest::addColumn<bool>("yDown");
        QTest::addColumn<Remake>("remake");
        QTest::addColumn<QList<int>>("remadeGaps");
        const QList<int> tens{10, 10, 10, 10, 10, 10, 10, 10, 10};
        QTest::newRow("10 marks, 10 frames apart") << tens << false << Remake::None << tens;
        QTest::newRow("12 marks, uneven gaps") << QList<int>{6, 8, 10, 7, 9, 11, 8, 10, 9, 6, 10}
                                               << false << Remake::None << QList<int>{};
        QTest::newRow("9 marks, y axis down before marking")
            << QList<int>{12, 12, 12, 12, 12, 12, 12, 12} << true << Remake::None << QList<int>{};
        QTest::newRow("last three erased and re-made")
            << tens << false << Remake::LastThree << QList<int>{};
        QTest::newRow("all erased, re-made 11 frames apart")
            << tens << false << Remake::All << QList<int>{11, 11, 11, 11, 11, 11, 11, 11, 11};
    }

    void accelerationsOfTheProjectile() {
        QFETCH(QList<int>, gaps);
        QFETCH(bool, yDown);
        QFETCH(Remake, remake);
        QFETCH(QList<int>, remadeGaps);
        Form1& f = h_->form();

        openProjectileFromSamplesFolder();
        press(f.Command1); // play
        QTest::qWait(200);
        press(f.Command2); // pause
        press(f.Cmd_巻き戻し);
        if (yDown)
            press(f.Cmd_Ychange);

        markAlong(gaps);
        QList<int> measured = gaps;
        switch (remake) {
        case Remake::None:
            break;
        case Remake::LastThree:
            remakeLastThree(gaps);
            break;
        case Remake::All:
            press(f.Command6);
            QCOMPARE(int(Module1::MarkCount), 0);
            press(f.Cmd_巻き戻し);
            markAlong(remadeGaps);
            measured = remadeGaps;
            break;
        }
        for (int i = 0; i < measured.size(); ++i)
            QCOMPARE(int(Module1::FrameGap[i + 1]), measured[i]);

        press(f.Cmd_st);
        Form3* st = f.positionTimeWindow();
        QVERIFY(st && QTest::qWaitForWindowActive(st));
        press(f.Cmd_vt);
        Form2* vt = f.velocityTimeWindow();
        QVERIFY(vt && QTest::qWaitForWindowActive(vt));

        const double tolerance =
            slopeChangePerUnitError(measured) * kClickError / samples::kPixelsPerUnit +
            kRoundingAllowance;
        qInfo("tolerance %.4f unit lengths/s^2 over %lld marks", tolerance,
              static_cast<long long>(measured.size() + 1));
        for (graphs::GraphFrame* chart :
             {static_cast<graphs::GraphFrame*>(st), static_cast<graphs::GraphFrame*>(vt)}) {
            checkFit(*chart, yDown, tolerance);
        }

        // The y axis turned the other way after marking: both windows, brought to the front
        // again and asked once more, read the same motion with the other sign.
        press(f.Cmd_Ychange);
        QCOMPARE(f.YAxisDown == VbTrue, !yDown);
        press(f.Cmd_st);
        QVERIFY(QTest::qWaitForWindowActive(st));
        QTRY_VERIFY(isBlank(readoutOf(*st->Picture1))); // the activation redrew without fit
        checkFit(*st, !yDown, tolerance);
        press(f.Cmd_vt);
        QVERIFY(QTest::qWaitForWindowActive(vt));
        QTRY_VERIFY(isBlank(readoutOf(*vt->Picture1)));
        checkFit(*vt, !yDown, tolerance);
    }

  private:
    void press(QAbstractButton* button) {
        QVERIFY2(button->isEnabled(), qPrintable(button->text()));
        QTest::mouseClick(button, Qt::LeftButton);
    }

    // The file dialog opens in the samples folder; the user picks the projectile there.
    void openProjectileFromSamplesFolder() {
        QString startFolder;
        toolkit::setOpenFileHandler([&startFolder](const QString& folder, const QString&) {
            startFolder = folder;
            return std::optional<QString>(QDir(folder).filePath(QStringLiteral("projectile.avi")));
        });
        h_->form().mnuopen->trigger();
        QCOMPARE(QDir::cleanPath(startFolder), QDir::cleanPath(QStringLiteral(UGOKI_SAMPLES_DIR)));
        QVERIFY(h_->messages.isEmpty());
        QVERIFY(h_->form().Command1->isEnabled());
        QCOMPARE(h_->form().HScroll1->maximum(), samples::projectile().video.frames);
    }

    // Transfer the frame shown now and click the ball where it is seen, to the nearest pixel.
    void transferAndClickBall() {
        Form1& f = h_->form();
        press(f.Cmd_trans);
        const std::optional<QPointF> ball = e2etest::findRedDisc(f.Picture3->image());
        QVERIFY2(ball, "no ball in the measuring area");
        const int before = Module1::MarkCount;
        h_->click(std::round(ball->x()), std::round(ball->y()));
        QCOMPARE(int(Module1::MarkCount), before + 1);
    }

    void step(QAbstractButton* button, int times) {
        for (int i = 0; i < times; ++i)
            press(button);
    }

    // A mark on the frame shown now, then one after each gap.
    void markAlong(const QList<int>& gaps) {
        transferAndClickBall();
        for (int gap : gaps) {
            step(h_->form().Command3, gap);
            transferAndClickBall();
        }
    }

    // Erasing gives the steps back, so stepping back to each erased mark's frame and
    // clicking there again makes the same marks with the same gaps.
    void remakeLastThree(const QList<int>& gaps) {
        Form1& f = h_->form();
        const int marks = Module1::MarkCount;
        const std::vector<float> pixX(f.PixX.begin() + marks - 2, f.PixX.begin() + marks + 1);
        step(f.Cmd_Reset, 3);
        QCOMPARE(int(Module1::MarkCount), marks - 3);
        const qsizetype n = gaps.size();
        step(f.Command4, gaps[n - 1] + gaps[n - 2]);
        transferAndClickBall();
        step(f.Command3, gaps[n - 2]);
        transferAndClickBall();
        step(f.Command3, gaps[n - 1]);
        transferAndClickBall();
        QCOMPARE(int(Module1::MarkCount), marks);
        for (int i = 0; i < 3; ++i)
            QCOMPARE(f.PixX[marks - 2 + i], pixX[i]);
    }

    // Presses the window's least-squares button and reads what it prints.
    void checkFit(graphs::GraphFrame& chart, bool yDown, double tolerance) {
        const QPointF truth = samples::projectile().motion.acceleration;
        // x grows to the left unless flipped; y grows upwards unless flipped.
        const double expectedAx = -samples::unitsPerSecondSquared(truth.x());
        const double expectedAy = samples::unitsPerSecondSquared(truth.y()) * (yDown ? 1 : -1);

        QVERIFY(isBlank(readoutOf(*chart.Picture1)));
        QTest::mouseClick(chart.Cmd_最小2乗法, Qt::LeftButton);
        QVERIFY(chart.Saisyo_flag == VbTrue);
        qInfo("%s: ax %.4f, ay %.4f", qPrintable(chart.windowTitle()), chart.Saisyo_ax,
              chart.Saisyo_ay);
        QVERIFY2(std::abs(chart.Saisyo_ax - expectedAx) <= tolerance,
                 qPrintable(QString::number(chart.Saisyo_ax)));
        QVERIFY2(std::abs(chart.Saisyo_ay - expectedAy) <= tolerance,
                 qPrintable(QString::number(chart.Saisyo_ay)));

        const QString ax = common::formatNumber(chart.Saisyo_ax, "####.0");
        const QString ay = common::formatNumber(chart.Saisyo_ay, "####.0");
        QVERIFY2(std::abs(ax.toDouble() - expectedAx) <= tolerance + 0.05, qPrintable(ax));
        QVERIFY2(std::abs(ay.toDouble() - expectedAy) <= tolerance + 0.05, qPrintable(ay));
        QCOMPARE(readoutOf(*chart.Picture1), expectedReadout(*chart.Picture1, ax, ay));
    }

    std::unique_ptr<form1test::Harness> h_;
};

QTEST_MAIN(MeasurementRoadTest)
#include "test_measurement_road.moc"
