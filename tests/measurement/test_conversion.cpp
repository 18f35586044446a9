#include "measurement/conversion.h"
#include "measurement/measurement_table.h"

#include <QTest>

using namespace measurement;

class TestConversion : public QObject {
    Q_OBJECT
  private slots:
    void toUnitLengths_data();
    void toUnitLengths();
    void inverseFindsThePixelAgain_data();
    void inverseFindsThePixelAgain();
    void storedInSinglePrecision();
    void resetClearsEveryArray();
};

void TestConversion::toUnitLengths_data() {
    QTest::addColumn<float>("px");
    QTest::addColumn<float>("py");
    QTest::addColumn<bool>("flipped");
    QTest::addColumn<float>("x");
    QTest::addColumn<float>("y");
    // The measuring area's inner size is 316 x 236.
    QTest::newRow("one unit from the bottom-right corner") << 276.f << 196.f << false << 1.f << 1.f;
    QTest::newRow("top-left corner flipped") << 0.f << 0.f << true << 0.1f << 0.1f;
    QTest::newRow("x = 36 from the right") << 36.f << 36.f << false << 7.f << 5.f;
    QTest::newRow("x = 36 flipped") << 36.f << 36.f << true << 1.f << 1.f;
    QTest::newRow("the corner itself") << 316.f << 236.f << false << 0.f << 0.f;
    QTest::newRow("fraction kept") << 275.5f << 195.5f << false << 1.0125f << 1.0125f;
    QTest::newRow("beyond the area goes negative") << 320.f << 240.f << false << -0.1f << -0.1f;
}

void TestConversion::toUnitLengths() {
    QFETCH(float, px);
    QFETCH(float, py);
    QFETCH(bool, flipped);
    QFETCH(float, x);
    QFETCH(float, y);
    const VbBool flag = toVbBool(flipped);
    QCOMPARE(positionX(px, flag, 316), x);
    QCOMPARE(positionY(py, flag, 236), y);
}

void TestConversion::inverseFindsThePixelAgain_data() {
    QTest::addColumn<float>("pixel");
    QTest::addColumn<bool>("flipped");
    for (float p : {0.f, 36.f, 157.5f, 276.f, 315.f}) {
        QTest::newRow(qPrintable(QStringLiteral("%1 default").arg(p))) << p << false;
        QTest::newRow(qPrintable(QStringLiteral("%1 flipped").arg(p))) << p << true;
    }
}

void TestConversion::inverseFindsThePixelAgain() {
    QFETCH(float, pixel);
    QFETCH(bool, flipped);
    const VbBool flag = toVbBool(flipped);
    // A ruler dot is found again from the stored position to well within half a pixel.
    QVERIFY(qAbs(pixelFromPositionX(positionX(pixel, flag, 316), flag, 316) - pixel) < 1e-4);
    QVERIFY(qAbs(pixelFromPositionY(positionY(pixel, flag, 236), flag, 236) - pixel) < 1e-4);
}

void TestConversion::storedInSinglePrecision() {
    // (316 - 1) / 40 = 7.875 exactly; (316 - 3) / 40 = 7.825 is rounded to the nearest float.
    QCOMPARE(positionX(1.f, VbFalse, 316), 7.875f);
    QCOMPARE(positionX(3.f, VbFalse, 316), static_cast<float>(313.0 / 40.0));
}

void TestConversion::resetClearsEveryArray() {
    Module1::MarkCount = 3;
    Module1::FrameGap[100] = 7;
    Module1::PosX[1] = 1.5f;
    Module1::TimeT[50] = 2.f;
    Module1::resetTable();
    QCOMPARE(Module1::MarkCount, std::int16_t{0});
    QCOMPARE(Module1::FrameGap[100], 0);
    QCOMPARE(Module1::PosX[1], 0.f);
    QCOMPARE(Module1::TimeT[50], 0.f);
    QCOMPARE(static_cast<int>(Module1::PosY.size()), 101);
}

QTEST_APPLESS_MAIN(TestConversion)
#include "test_conversion.moc"
