#include "toolkit/raster.h"

#include <QTest>
#include <set>

using namespace toolkit;
using namespace toolkit::raster;

namespace {

std::set<std::pair<int, int>> asSet(const Pixels& pixels) {
    std::set<std::pair<int, int>> s;
    for (const QPoint& p : pixels) {
        s.insert({p.x(), p.y()});
    }
    return s;
}

} // namespace

class TestRaster : public QObject {
    Q_OBJECT
  private slots:
    void snapRoundsHalvesUp_data();
    void snapRoundsHalvesUp();
    void linesLeaveOutTheirLastPixel_data();
    void linesLeaveOutTheirLastPixel();
    void dottedLinesRunThreeOnThreeOff();
    void wideLinesCoverTheirWidth();
    void boxOutlineIsClosed();
    void discs_data();
    void discs();
    void outlineIsTheDiscsEdge();
};

void TestRaster::snapRoundsHalvesUp_data() {
    QTest::addColumn<QPointF>("point");
    QTest::addColumn<QPoint>("pixel");
    QTest::newRow("whole") << QPointF(36, 36) << QPoint(36, 36);
    QTest::newRow("below half") << QPointF(36.49, 10.2) << QPoint(36, 10);
    QTest::newRow("half") << QPointF(91.5, 212.5) << QPoint(92, 213);
    QTest::newRow("negative half") << QPointF(-0.5, -1.5) << QPoint(0, -1);
    QTest::newRow("600.00002 stays 600") << QPointF(600.00002, 50) << QPoint(600, 50);
}

void TestRaster::snapRoundsHalvesUp() {
    QFETCH(QPointF, point);
    QFETCH(QPoint, pixel);
    QCOMPARE(snap(point), pixel);
}

void TestRaster::linesLeaveOutTheirLastPixel_data() {
    QTest::addColumn<QPoint>("a");
    QTest::addColumn<QPoint>("b");
    QTest::addColumn<int>("count");
    QTest::newRow("vertical tick of 22") << QPoint(316, 236) << QPoint(316, 258) << 22;
    QTest::newRow("horizontal tick of 23") << QPoint(316, 196) << QPoint(339, 196) << 23;
    QTest::newRow("backwards") << QPoint(10, 5) << QPoint(0, 5) << 10;
    QTest::newRow("diagonal") << QPoint(0, 0) << QPoint(5, 5) << 5;
    QTest::newRow("steep") << QPoint(0, 0) << QPoint(2, 9) << 9;
    QTest::newRow("a point") << QPoint(3, 3) << QPoint(3, 3) << 0;
}

void TestRaster::linesLeaveOutTheirLastPixel() {
    QFETCH(QPoint, a);
    QFETCH(QPoint, b);
    QFETCH(int, count);
    const Pixels pixels = line(a, b, 1, LineStyle::Solid);
    QCOMPARE(static_cast<int>(pixels.size()), count);
    const auto set = asSet(pixels);
    QCOMPARE(static_cast<int>(set.size()), count); // no pixel twice
    QCOMPARE(set.count({b.x(), b.y()}), std::size_t{0});
    if (count > 0) {
        QCOMPARE(pixels.front(), a);
    }
}

void TestRaster::dottedLinesRunThreeOnThreeOff() {
    const auto set = asSet(line({50, 10}, {62, 10}, 1, LineStyle::Dot));
    const std::set<std::pair<int, int>> expected = {{50, 10}, {51, 10}, {52, 10},
                                                    {56, 10}, {57, 10}, {58, 10}};
    QCOMPARE(set, expected);
}

void TestRaster::wideLinesCoverTheirWidth() {
    const auto set = asSet(line({10, 10}, {10, 13}, 2, LineStyle::Solid));
    // Width 2 reaches one pixel to the left of the line's own column.
    for (int y = 10; y < 13; ++y) {
        QVERIFY(set.count({9, y}) && set.count({10, y}));
    }
    QCOMPARE(set.count({11, 11}), std::size_t{0});
}

void TestRaster::boxOutlineIsClosed() {
    const Pixels pixels = boxOutline({0, 0}, {4, 3}, 1);
    const auto set = asSet(pixels);
    QCOMPARE(static_cast<int>(set.size()), 2 * 5 + 2 * 2); // a 5 x 4 ring
    for (auto corner : {std::pair{0, 0}, {4, 0}, {4, 3}, {0, 3}}) {
        QVERIFY(set.count(corner));
    }
    QCOMPARE(set.count({2, 1}), std::size_t{0});
    QCOMPARE(static_cast<int>(boxInterior({0, 0}, {4, 3}).size()), 3 * 2);
}

void TestRaster::discs_data() {
    QTest::addColumn<double>("radius");
    QTest::addColumn<int>("across");
    QTest::addColumn<int>("count");
    QTest::newRow("mark dot, radius 3") << 3.0 << 7 << 37;
    QTest::newRow("graph dot, radius 2") << 2.0 << 5 << 21;
    QTest::newRow("radius 0 is one pixel") << 0.0 << 1 << 1;
}

void TestRaster::discs() {
    QFETCH(double, radius);
    QFETCH(int, across);
    QFETCH(int, count);
    const Pixels pixels = disc({20, 20}, radius);
    QCOMPARE(static_cast<int>(pixels.size()), count);
    int minX = 1000, maxX = -1000, minY = 1000, maxY = -1000;
    for (const QPoint& p : pixels) {
        minX = std::min(minX, p.x());
        maxX = std::max(maxX, p.x());
        minY = std::min(minY, p.y());
        maxY = std::max(maxY, p.y());
    }
    QCOMPARE(maxX - minX + 1, across);
    QCOMPARE(maxY - minY + 1, across);
    QCOMPARE(minX + maxX, 40); // symmetric about the centre
    QCOMPARE(minY + maxY, 40);
}

void TestRaster::outlineIsTheDiscsEdge() {
    const auto outline = asSet(discOutline({0, 0}, 3));
    const auto full = asSet(disc({0, 0}, 3));
    QVERIFY(std::includes(full.begin(), full.end(), outline.begin(), outline.end()));
    QVERIFY(outline.count({3, 0}) && outline.count({0, -3}) && outline.count({2, 2}));
    QCOMPARE(outline.count({0, 0}), std::size_t{0});
    QCOMPARE(outline.count({2, 1}), std::size_t{0}); // inside: all four neighbours in the disc
}

QTEST_APPLESS_MAIN(TestRaster)
#include "test_raster.moc"
