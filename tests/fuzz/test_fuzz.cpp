// The fuzz targets' drivers in the normal suite: every input that ever broke the service, or
// sits at the edges the fuzzers probe, replayed with the codes it must give; and the seed
// corpora, which must reach the device (written out for the fuzzers when UGOKI_FUZZ_CORPUS
// names a folder).
#include "fuzz_drivers.h"
#include "media/service/commands/command_parser.h"
#include "toolkit/dialogs.h"

#include <QtTest>
#include <sstream>

using Codes = std::vector<std::int32_t>;

namespace {

fuzzing::Outcome run(const std::string& bytes, bool commands = true) {
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    return commands ? fuzzing::runCommands(data, bytes.size())
                    : fuzzing::runVideoFile(data, bytes.size());
}

} // namespace

class FuzzTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() {
        toolkit::setBeepHandler([] {});
        fuzzing::Stage::instance();
    }

    void regressions_data() {
        QTest::addColumn<bool>("open");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<Codes>("codes");
        const auto& stage = fuzzing::Stage::instance();
        const QString video = QString::fromStdString(stage.videoPath());
        const QString update = QStringLiteral("update avfile hdc %1").arg(stage.targetHandle());
        const auto row = [](const char* name, bool open, const QStringList& lines, Codes codes) {
            QTest::newRow(name) << open << lines << codes;
        };
        row("unterminated quote", true, {"open \"x.avi alias b"}, {258});
        row("empty line", false, {""}, {257});
        row("verb alone", true, {"step"}, {259});
        row("seek before the start", true, {"seek avfile to -1"}, {269});
        row("seek past the end", true, {"seek avfile to 9", "seek avfile to 8"}, {269, 0});
        row("destination far larger than a screen", true,
            {"put avfile destination at 0 0 100000 100000",
             "put avfile destination at 0 0 320 4097", update,
             "put avfile destination at 0 0 4096 4096", update},
            {258, 258, 0, 0, 0});
        row("destination of negative size", true,
            {"put avfile destination at 0 0 -320 -240", update, "play avfile window", update},
            {258, 0, 0, 0});
        row("destination of no size", true, {"put avfile destination at 5 5 0 0", update},
            {258, 0});
        row("steps by the extremes", true,
            {"step avfile by 2147483647", "step avfile reverse by 2147483647",
             "step avfile reverse by -2147483648", update},
            {0, 0, 258, 0});
        row("a window handle given as a drawing target", true,
            {QStringLiteral("update avfile hdc %1").arg(stage.parentHandle()),
             "update avfile hdc 0", "update avfile hdc -7"},
            {268, 268, 268});
        row("a parent that does not exist", false,
            {"open " + video + " alias other style child parent 999999", "close other"},
            {267, 260});
        row("the same alias twice", true, {"open " + video + " alias avfile"}, {261});
        row("everything closed while playing", true,
            {"play avfile window", "close all", "status avfile position"}, {0, 0, 260});
    }
    void regressions() {
        QFETCH(bool, open);
        QFETCH(QStringList, lines);
        QFETCH(Codes, codes);
        std::string bytes(1, open ? '\x01' : '\x00');
        for (const QString& line : lines)
            bytes += line.toStdString() + '\n';
        QCOMPARE(run(bytes).codes, codes);
    }

    // Command seeds are well formed and succeed on an open device; on none, the first three
    // find nothing and the open makes the rest succeed. Video seeds open and step.
    void seedsReachTheDevice() {
        for (const fuzzing::Seed& seed : fuzzing::commandSeeds()) {
            std::istringstream lines(seed.bytes.substr(1));
            for (std::string line; std::getline(lines, line);)
                QVERIFY2(media::service::parseCommand(line).code == 0, line.c_str());
            const auto outcome = run(seed.bytes);
            const Codes expected =
                seed.bytes[0] & 1 ? Codes(outcome.codes.size(), 0) : Codes{260, 260, 260, 0, 0, 0};
            QVERIFY2(outcome.codes == expected && outcome.codes.size() >= 4, seed.name.c_str());
        }
        std::string error;
        const auto videos = fuzzing::videoSeeds(&error);
        QVERIFY2(videos.size() >= 5, error.c_str());
        for (const fuzzing::Seed& seed : videos) {
            const auto outcome = run(seed.bytes, false);
            QVERIFY2(outcome.openCode == 0 && outcome.codes.size() > 10, seed.name.c_str());
            QCOMPARE(outcome.codes, Codes(outcome.codes.size(), 0));
        }
        if (const QString corpus = qEnvironmentVariable("UGOKI_FUZZ_CORPUS"); !corpus.isEmpty()) {
            QVERIFY(fuzzing::writeSeeds(fuzzing::commandSeeds(),
                                        corpus.toStdString() + "/commands-seed"));
            QVERIFY(fuzzing::writeSeeds(videos, corpus.toStdString() + "/file-seed"));
        }
    }
};

QTEST_MAIN(FuzzTest)
#include "test_fuzz.moc"
