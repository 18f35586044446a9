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
    row("seek past the end", true, {"seek avfile to 9", "seek avfile to 8"}, {269, 0});
    const QString video = QString::fromStdString(fuzzing::Stage::instance().videoPath());
    const QString update =
        QStringLiteral("update avfile hdc %1").arg(fuzzing::Stage::instance().targetHandle());
    const QString parent = QString::number(fuzzing::Stage::instance().parentHandle());
    row("destination far larger than a screen", true,
        {"put avfile destination at 0 0 100000 100000", "put avfile destination at 0 0 320 4097",
         update, "put avfile destination at 0 0 4096 4096", update},
        {258, 258, 0, 0, 0});
    row("destination of negative size", true,
        {"put avfile destination at 0 0 -320 -240", update, "play avfile window", update},
        {258, 0, 0, 0});
    row("destination of no size", true, {"put avfile destination at 5 5 0 0", update}, {258, 0});
    row("steps by the extremes", true,
        {"step avfile by 2147483647", "step avfile reverse by 2147483647",
         "step avfile reverse by -2147483648", update},
        {0, 0, 258, 0});
    row("a window handle given as a drawing target", true,
        {"update avfile hdc " + parent, "update avfile hdc 0", "update avfile hdc -7"},
        {268, 268, 268});
    row("a parent that does not exist", false,
        {"open " + video + " alias other style child parent 999999", "close other"}, {267, 260});
    row("the same alias twice", true, {"open " + video + " alias avfile"}, {261});
    row("everything closed while playing", true,
        {"play avfile window", "close all", "status avfile position"}, {0, 0, 260});
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
