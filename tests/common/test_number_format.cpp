#include "common/number_format.h"

#include <QTest>

class TestNumberFormat : public QObject {
    Q_OBJECT
  private slots:
    void patterns_data();
    void patterns();
    void singlePrecisionRoundsItsDecimalForm();
    void plainText_data();
    void plainText();
};

void TestNumberFormat::patterns_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("expected");

    // Coordinates.
    QTest::newRow("##0.00 half") << 0.5 << "##0.00"
                                 << "0.50";
    QTest::newRow("##0.00 whole") << 7.0 << "##0.00"
                                  << "7.00";
    QTest::newRow("##0.00 negative") << -0.25 << "##0.00"
                                     << "-0.25";
    QTest::newRow("##0.00 zero") << 0.0 << "##0.00"
                                 << "0.00";
    QTest::newRow("##0.00 rounds up") << 1.005 << "##0.00"
                                      << "1.01";
    QTest::newRow("##0.00 carries") << 9.999 << "##0.00"
                                    << "10.00";
    QTest::newRow("##0.00 wider than pattern") << 12345.678 << "##0.00"
                                               << "12345.68";
    QTest::newRow("##0.00 tiny negative keeps sign") << -0.001 << "##0.00"
                                                     << "-0.00";
    // Ruler labels.
    QTest::newRow("#0 zero") << 0.0 << "#0"
                             << "0";
    QTest::newRow("#0 seven") << 7.0 << "#0"
                              << "7";
    QTest::newRow("#0 negative") << -3.0 << "#0"
                                 << "-3";
    QTest::newRow("#0 half rounds away") << 2.5 << "#0"
                                         << "3";
    QTest::newRow("#0 negative half rounds away") << -2.5 << "#0"
                                                  << "-3";
    // Graph labels.
    QTest::newRow("###0.0 zero") << 0.0 << "###0.0"
                                 << "0.0";
    QTest::newRow("###0.0 twenty") << 20.0 << "###0.0"
                                   << "20.0";
    QTest::newRow("###0.0 third") << 2.0 / 3.0 << "###0.0"
                                  << "0.7";
    QTest::newRow("##.#0 zero has no integer digit") << 0.0 << "##.#0"
                                                     << ".00";
    QTest::newRow("##.#0 minus one") << -1.0 << "##.#0"
                                     << "-1.00";
    QTest::newRow("##.#0 half") << 0.5 << "##.#0"
                                << ".50";
    QTest::newRow("##.#0 nine") << 9.0 << "##.#0"
                                << "9.00";
    QTest::newRow("##0.0 bottom of v-t") << -100.0 << "##0.0"
                                         << "-100.0";
    QTest::newRow("##0.0 zero") << 0.0 << "##0.0"
                                << "0.0";
    QTest::newRow("##0.0 fraction") << 12.5 << "##0.0"
                                    << "12.5";
    // Accelerations.
    QTest::newRow("####.0 9.8") << 9.8 << "####.0"
                                << "9.8";
    QTest::newRow("####.0 half") << 0.5 << "####.0"
                                 << ".5";
    QTest::newRow("####.0 zero") << 0.0 << "####.0"
                                 << ".0";
    QTest::newRow("####.0 negative") << -12.34 << "####.0"
                                     << "-12.3";
    QTest::newRow("####.0 twenty") << 20.0 << "####.0"
                                   << "20.0";
    QTest::newRow("####.0 tiny negative") << -1e-6 << "####.0"
                                          << "-.0";
    QTest::newRow("####.0 carries into integer") << 0.96 << "####.0"
                                                 << "1.0";
    QTest::newRow("####.0 large") << 123456.75 << "####.0"
                                  << "123456.8";
    // Values a broken computation may produce must still print something readable.
    QTest::newRow("infinite") << std::numeric_limits<double>::infinity() << "##0.00"
                              << "Inf";
    QTest::newRow("nan") << std::numeric_limits<double>::quiet_NaN() << "##0.00"
                         << "NaN";
}

void TestNumberFormat::patterns() {
    QFETCH(double, value);
    QFETCH(QString, pattern);
    QFETCH(QString, expected);
    QCOMPARE(common::formatNumber(value, pattern.toStdString()), expected);
}

void TestNumberFormat::singlePrecisionRoundsItsDecimalForm() {
    // 2.675f is 2.67499995... in binary; the user typed and sees 2.675.
    QCOMPARE(common::formatNumber(2.675f, "##0.00"), QStringLiteral("2.68"));
    QCOMPARE(common::formatNumber(2.67499f, "##0.00"), QStringLiteral("2.67"));
    // 0.1f widened to double is 0.100000001...; the float form must not grow digits.
    QCOMPARE(common::formatNumber(0.1f, "##0.00"), QStringLiteral("0.10"));
    QCOMPARE(common::formatNumber(-0.05f, "####.0"), QStringLiteral("-.1"));
}

void TestNumberFormat::plainText_data() {
    QTest::addColumn<float>("value");
    QTest::addColumn<QString>("expected");
    QTest::newRow("2.725") << 2.725f << "2.725";
    QTest::newRow("7.9") << 7.9f << "7.9";
    QTest::newRow("0.1") << 0.1f << "0.1";
    QTest::newRow("zero") << 0.0f << "0";
    QTest::newRow("negative zero") << -0.0f << "0";
    QTest::newRow("whole") << 7.0f << "7";
    QTest::newRow("negative") << -0.25f << "-0.25";
    QTest::newRow("seven digits") << 1.0f / 3.0f << "0.3333333";
    QTest::newRow("click 37 flipped") << (37.0f + 4.0f) / 40.0f << "1.025";
    QTest::newRow("large") << 123456789.0f << "1.234568E+08";
    QTest::newRow("small") << 0.00001f << "1E-05";
    QTest::newRow("magnification 0.125") << 0.125f << "0.125";
    QTest::newRow("magnification 256") << 256.0f << "256";
}

void TestNumberFormat::plainText() {
    QFETCH(float, value);
    QFETCH(QString, expected);
    QCOMPARE(common::plainText(value), expected);
}

QTEST_APPLESS_MAIN(TestNumberFormat)
#include "test_number_format.moc"
