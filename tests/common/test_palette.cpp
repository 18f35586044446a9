#include "common/palette.h"

#include <QTest>

class TestPalette : public QObject {
    Q_OBJECT
  private slots:
    void colours_data();
    void colours();
    void indexesOutsideTheRangeWrap();
};

void TestPalette::colours_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<QColor>("expected");
    const int rgb[16][3] = {{0, 0, 0},       {0, 0, 128},   {0, 128, 0},   {0, 128, 128},
                            {128, 0, 0},     {128, 0, 128}, {128, 128, 0}, {192, 192, 192},
                            {128, 128, 128}, {0, 0, 255},   {0, 255, 0},   {0, 255, 255},
                            {255, 0, 0},     {255, 0, 255}, {255, 255, 0}, {255, 255, 255}};
    for (int n = 0; n < 16; ++n) {
        QTest::newRow(qPrintable(QString::number(n)))
            << n << QColor(rgb[n][0], rgb[n][1], rgb[n][2]);
    }
}

void TestPalette::colours() {
    QFETCH(int, index);
    QFETCH(QColor, expected);
    QCOMPARE(common::QBColor(index), expected);
}

void TestPalette::indexesOutsideTheRangeWrap() {
    QCOMPARE(common::QBColor(16), common::QBColor(0));
    QCOMPARE(common::QBColor(-1), common::QBColor(15));
    QCOMPARE(common::formBackground(), QColor(192, 192, 192));
}

QTEST_APPLESS_MAIN(TestPalette)
#include "test_palette.moc"
