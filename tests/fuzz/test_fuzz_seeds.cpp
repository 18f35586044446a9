// The fuzzers' seed corpora reach the device rather than the parser's error paths, and are
// written out for them when UGOKI_FUZZ_CORPUS names a folder.
#include "fuzz_inputs.h"
#include "fuzz_seeds.h"
#include "fuzz_stage.h"
#include "media/service/command_parser.h"
#include "toolkit/dialogs.h"

#include <QtTest>
#include <sstream>

class FuzzSeedsTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void everySeedCommandIsWellFormed();
    void seedsForAnOpenDeviceAllSucceed();
    void seedsForNoDeviceMeetTheMissingDevice();
    void everySeedVideoOpensAndSteps();
    void seedsAreWrittenForTheFuzzers();
};

void FuzzSeedsTest::initTestCase() {
    toolkit::setBeepHandler([] {});
    fuzzing::Stage::instance();
}

void FuzzSeedsTest::everySeedCommandIsWellFormed() {
    for (const fuzzing::Seed& seed : fuzzing::commandSeeds()) {
        std::istringstream lines(seed.bytes.substr(1));
        std::string line;
        int count = 0;
        while (std::getline(lines, line)) {
            QVERIFY2(media::service::parseCommand(line).code == 0, line.c_str());
            ++count;
        }
        QVERIFY2(count >= 4, seed.name.c_str());
    }
}

void FuzzSeedsTest::seedsForAnOpenDeviceAllSucceed() {
    int seeds = 0;
    for (const fuzzing::Seed& seed : fuzzing::commandSeeds()) {
        if (!(seed.bytes[0] & 1))
            continue;
        ++seeds;
        const auto outcome = fuzzing::runCommands(
            reinterpret_cast<const std::uint8_t*>(seed.bytes.data()), seed.bytes.size());
        QCOMPARE(outcome.openCode, 0);
        QVERIFY(!outcome.codes.empty());
        for (std::size_t i = 0; i < outcome.codes.size(); ++i)
            QVERIFY2(outcome.codes[i] == 0, (seed.name + ": " + outcome.replies[i]).c_str());
    }
    QVERIFY(seeds >= 5);
}

void FuzzSeedsTest::seedsForNoDeviceMeetTheMissingDevice() {
    for (const fuzzing::Seed& seed : fuzzing::commandSeeds()) {
        if (seed.bytes[0] & 1)
            continue;
        const auto outcome = fuzzing::runCommands(
            reinterpret_cast<const std::uint8_t*>(seed.bytes.data()), seed.bytes.size());
        // close, position and play find nothing; the open succeeds, so do the rest.
        QCOMPARE(outcome.codes, (std::vector<std::int32_t>{260, 260, 260, 0, 0, 0}));
    }
}

void FuzzSeedsTest::everySeedVideoOpensAndSteps() {
    std::string error;
    const auto seeds = fuzzing::videoSeeds(&error);
    QVERIFY2(!seeds.empty(), error.c_str());
    for (const fuzzing::Seed& seed : seeds) {
        const auto outcome = fuzzing::runVideoFile(
            reinterpret_cast<const std::uint8_t*>(seed.bytes.data()), seed.bytes.size());
        QVERIFY2(outcome.openCode == 0, seed.name.c_str());
        QVERIFY(outcome.codes.size() > 10);
        for (std::size_t i = 0; i < outcome.codes.size(); ++i)
            QVERIFY2(outcome.codes[i] == 0, (seed.name + ": " + outcome.replies[i]).c_str());
    }
}

void FuzzSeedsTest::seedsAreWrittenForTheFuzzers() {
    QTemporaryDir scratch;
    QString corpus = qEnvironmentVariable("UGOKI_FUZZ_CORPUS");
    if (corpus.isEmpty())
        corpus = scratch.path();
    const std::string root = corpus.toStdString();
    std::string error;
    QVERIFY(fuzzing::writeSeeds(fuzzing::commandSeeds(), root + "/commands-seed"));
    QVERIFY(fuzzing::writeSeeds(fuzzing::videoSeeds(&error), root + "/file-seed"));
    QVERIFY(QDir(corpus + "/commands-seed").count() > 2);
    QVERIFY(QDir(corpus + "/file-seed").count() > 2);
}

QTEST_MAIN(FuzzSeedsTest)
#include "test_fuzz_seeds.moc"
