// The arithmetic behind the charts: magnification steps, times and velocities, the
// mapping onto the chart and the least-squares line, with their single-precision edges.
#include "graphs/chart_labels.h"
#include "graphs/chart_mapping.h"
#include "graphs/least_squares.h"
#include "graphs/magnification.h"
#include "graphs/time_series.h"

#include <QTest>
#include <array>
#include <cmath>
#include <limits>
#include <vector>

using namespace graphs;

namespace {
using Gaps = std::array<std::int32_t, 101>;
using Floats = std::array<float, 101>;

Gaps gapsOf(const std::vector<int>& gaps) {
    Gaps frameGap{};
    std::copy(gaps.begin(), gaps.end(), frameGap.begin() + 1);
    return frameGap;
}
} // namespace

class GraphMathTest : public QObject {
    Q_OBJECT
  private slots:
    void horizontalSteps_data() {
        QTest::addColumn<int>("step");
        QTest::addColumn<float>("bairitu");
        QTest::addColumn<QString>("text");
        QTest::newRow("1") << 1 << 1.0f << "1";
        QTest::newRow("3") << 3 << 3.0f << "3";
        QTest::newRow("0") << 0 << 0.5f << "1/2";
        QTest::newRow("-1") << -1 << float(1.0 / 3) << "1/3";
        QTest::newRow("-2") << -2 << 0.25f << "1/4";
        QTest::newRow("lowest") << int(kMinYokoStep) << float(1.0 / 32767) << "1/32767";
    }
    void horizontalSteps() {
        QFETCH(int, step);
        QFETCH(float, bairitu);
        QFETCH(QString, text);
        const auto s = static_cast<std::int16_t>(step);
        QCOMPARE(yokoBairitu(s), bairitu);
        QCOMPARE(yokoText(s, yokoBairitu(s)), text);
    }

    // The ends of both ranges: the press is refused, the auto-fit stops.
    void limits() {
        QVERIFY(canStepYoko(kMaxYokoStep - 1, +1) && !canStepYoko(kMaxYokoStep, +1));
        QVERIFY(canStepYoko(kMinYokoStep + 1, -1) && !canStepYoko(kMinYokoStep, -1));
        QCOMPARE(tateLarger(128.0f).redraw, true);
        QCOMPARE(tateLarger(256.0f).redraw, false);
        QCOMPARE(tateSmaller(0.125f).bairitu, 0.125f);
        QCOMPARE(tateText(tateSmaller(0.25f).bairitu), QStringLiteral("0.125"));
        QCOMPARE(fitTimeAxis(1.0e6f, 1, 1.0f).step, kMinYokoStep);
    }

    // Mark times are frames / 30 rounded to a float: 20/30 rounds up and lands just right
    // of the plot, so the time axis shrinks.
    void markTimesAndAutoFit_data() {
        QTest::addColumn<int>("frames");
        QTest::addColumn<int>("fittedStep");
        QTest::newRow("19 frames stays") << 19 << 1;
        QTest::newRow("20 frames shrinks") << 20 << 0;
        QTest::newRow("41 frames to 1/3") << 41 << -1;
    }
    void markTimesAndAutoFit() {
        QFETCH(int, frames);
        QFETCH(int, fittedStep);
        Floats t{};
        markTimes(3, gapsOf({frames - 5, 5}), t);
        QCOMPARE(t[1], 0.0f);
        QCOMPARE(t[3], float(frames / 30.0));
        QCOMPARE(int(fitTimeAxis(t[3], 1, 1.0f).step), fittedStep);
    }

    void intervalSeries_data() {
        QTest::addColumn<std::vector<int>>("gaps");
        QTest::addColumn<std::vector<float>>("xs");
        QTest::addColumn<std::vector<float>>("velX");
        QTest::addColumn<std::vector<float>>("times");
        QTest::newRow("3 frames, 0 to 1") << std::vector<int>{3} << std::vector<float>{0, 1}
                                          << std::vector<float>{10} << std::vector<float>{0.05f};
        QTest::newRow("4 then 6 frames")
            << std::vector<int>{4, 6} << std::vector<float>{0, 2, 2} << std::vector<float>{15, 0}
            << std::vector<float>{float(2 / 30.0), float(7 / 30.0)};
        QTest::newRow("15 frames, 0 5 15")
            << std::vector<int>{15, 15} << std::vector<float>{0, 5, 15}
            << std::vector<float>{10, 20} << std::vector<float>{0.25f, 0.75f};
    }
    void intervalSeries() {
        QFETCH(std::vector<int>, gaps);
        QFETCH(std::vector<float>, xs);
        QFETCH(std::vector<float>, velX);
        QFETCH(std::vector<float>, times);
        Floats posX{}, posY{}, vx{}, vy{}, t{};
        std::copy(xs.begin(), xs.end(), posX.begin() + 1);
        std::fill(posY.begin(), posY.end(), 3.0f);
        vx[xs.size()] = -7.0f; // past the last interval: must stay untouched
        intervalVelocities(static_cast<int>(xs.size()), gapsOf(gaps), posX, posY, vx, vy, t);
        for (std::size_t i = 0; i < velX.size(); ++i) {
            QCOMPARE(vx[i + 1], velX[i]);
            QCOMPARE(vy[i + 1], 0.0f);
            QCOMPARE(t[i + 1], times[i]);
        }
        QCOMPARE(vx[xs.size()], -7.0f);
    }

    void chartMapping() {
        QCOMPARE(float(chartX(0.05f, 1.0f)), 91.25f);
        QCOMPARE(velocityY(10.0, 1.0f), 212.0);
        QCOMPARE(positionY(-1.0, 1.0f), double(kPlotBottom));
        QVERIFY(dotInsidePlot(50, 410) && !dotInsidePlot(600.00002, 200));
        QVERIFY(!dotInsidePlot(300, std::numeric_limits<double>::quiet_NaN()));
        QVERIFY(!pixelInsidePlot(50, 200) && pixelInsidePlot(50.001f, 409.9f));
    }

    void labels() {
        QCOMPARE(timeLabel(0, 0.5f), QStringLiteral("0.0"));
        QCOMPARE(timeLabel(10, 0.5f), QStringLiteral("40.0"));
        QCOMPARE(velocityLabel(0, 1.0f), QStringLiteral("-100.0"));
        QCOMPARE(velocityLabel(10, 256.0f), QStringLiteral("0.4"));
        QCOMPARE(accelerationLabel(20.0f), QStringLiteral("20.0"));
    }

    // x = 0, 5, 15 at 15-frame steps: a = 20, b = 5, and the position curve from mark 1
    // meets all three marks.
    void fitThroughThreeMarks() {
        const std::vector<float> t{0.25f, 0.75f};
        const std::vector<float> v{10.0f, 20.0f};
        const auto line = fitLine(t, v);
        QVERIFY(line);
        QCOMPARE(line->a, 20.0f);
        QCOMPARE(line->b, 5.0f);
        QCOMPARE(fittedPosition(*line, 0.0f, 0.5), 5.0);
        QCOMPARE(fittedPosition(*line, 0.0f, 1.0), 15.0);
        QCOMPARE(fittedPosition(*line, 2.0f, 0.0), 2.0);
    }

    void fitRefused_data() {
        QTest::addColumn<std::vector<float>>("t");
        QTest::addColumn<std::vector<float>>("v");
        const float inf = std::numeric_limits<float>::infinity();
        QTest::newRow("no point") << std::vector<float>{} << std::vector<float>{};
        QTest::newRow("one point") << std::vector<float>{0.1f} << std::vector<float>{3};
        QTest::newRow("equal times")
            << std::vector<float>{0.3f, 0.3f, 0.3f} << std::vector<float>{1, 2, 4};
        QTest::newRow("infinite velocity")
            << std::vector<float>{0.1f, 0.2f} << std::vector<float>{1, inf};
    }
    void fitRefused() {
        QFETCH(std::vector<float>, t);
        QFETCH(std::vector<float>, v);
        QVERIFY(!fitLine(t, v));
    }
};

QTEST_APPLESS_MAIN(GraphMathTest)
#include "test_graph_math.moc"
