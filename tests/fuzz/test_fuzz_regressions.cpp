// Command lists and files that once broke the service, or sit at the edges the fuzzers
// probe: each is replayed through the fuzz targets' own drivers and must give these codes.
#include "fuzz_inputs.h"
#include "fuzz_stage.h"
#include "toolkit/dialogs.h"

#include <QtTest>

Q_DECLARE_METATYPE(std::vector<std::int32_t>)

namespace {

std::string device(bool open, const QStringList& lines) {
    std::string bytes(1, open ? '\x01' : '\x00');
    for (const QString& line : lines)
        bytes += line.toStdString() + '\n';
    return bytes;
}

} // namespace

class FuzzRegressionsTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void commands_data();
    void commands();
};

void FuzzRegressionsTest::initTestCase() {
    toolkit::setBeepHandler([] {});
    fuzzing::Stage::instance();
}

void FuzzRegressionsTest::commands_data() {
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<std::vector<std::int32_t>>("codes");
    const auto row = [](const char* name, bool open, const QStringList& lines,
                        std::vector<std::int32_t> codes) {
        QTest::newRow(name) << QByteArray::fromStdString(device(open, lines)) << codes;
    };
    row("unterminated quote", true, {"open \"x.avi alias b"}, {258});
    row("empty line", false, {""}, {257});
    row("verb alone", true, {"step"}, {259});
    row("seek before the start", true, {"seek avfile to -1"}, {269});
}

void FuzzRegressionsTest::commands() {
    QFETCH(QByteArray, input);
    QFETCH(std::vector<std::int32_t>, codes);
    const auto outcome = fuzzing::runCommands(
        reinterpret_cast<const std::uint8_t*>(input.constData()), std::size_t(input.size()));
    QCOMPARE(outcome.codes, codes);
}

QTEST_MAIN(FuzzRegressionsTest)
#include "test_fuzz_regressions.moc"
