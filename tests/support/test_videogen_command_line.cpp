#include "videogen/command_line.h"

#include <QtTest>

class TestVideogenCommandLine : public QObject {
    Q_OBJECT
  private slots:
    void readsOptions();
    void keepsDefaultsForUnsetOptions();
    void rejectsBadArguments_data();
    void rejectsBadArguments();
};

void TestVideogenCommandLine::readsOptions() {
    const auto line = videogen::parseCommandLine(
        {"--codec", "h264", "--size", "1280x720", "--frames", "300", "--fps", "30000/1001", "--gop",
         "250", "--bframes", "2", "--sar", "4:3", "--drop", "7,9", "out.avi"});
    QCOMPARE(line.error, std::string());
    QCOMPARE(line.path, std::string("out.avi"));
    QVERIFY(line.settings.codec == videogen::Codec::H264);
    QCOMPARE(line.settings.width, 1280);
    QCOMPARE(line.settings.height, 720);
    QCOMPARE(line.settings.frames, 300);
    QCOMPARE(line.settings.fpsNum, 30000);
    QCOMPARE(line.settings.fpsDen, 1001);
    QCOMPARE(line.settings.gop, 250);
    QCOMPARE(line.settings.maxBFrames, 2);
    QCOMPARE(line.settings.sarNum, 4);
    QCOMPARE(line.settings.sarDen, 3);
    QCOMPARE(line.settings.droppedFrames, std::vector<int>({7, 9}));
}

void TestVideogenCommandLine::keepsDefaultsForUnsetOptions() {
    const auto line = videogen::parseCommandLine({"--fps", "25", "a.avi"});
    QCOMPARE(line.error, std::string());
    QCOMPARE(line.settings.fpsNum, 25);
    QCOMPARE(line.settings.fpsDen, 1);
    const videogen::VideoSettings defaults;
    QVERIFY(line.settings.codec == defaults.codec);
    QCOMPARE(line.settings.width, defaults.width);
    QCOMPARE(line.settings.frames, defaults.frames);
    QVERIFY(line.settings.droppedFrames.empty());
}

void TestVideogenCommandLine::rejectsBadArguments_data() {
    QTest::addColumn<QStringList>("args");
    QTest::newRow("no output") << QStringList{"--frames", "10"};
    QTest::newRow("two outputs") << QStringList{"a.avi", "b.avi"};
    QTest::newRow("unknown codec") << QStringList{"--codec", "vp9", "a.avi"};
    QTest::newRow("unknown option") << QStringList{"--colour", "red", "a.avi"};
    QTest::newRow("missing value") << QStringList{"a.avi", "--frames"};
    QTest::newRow("size without x") << QStringList{"--size", "640", "a.avi"};
    QTest::newRow("number with junk") << QStringList{"--frames", "10k", "a.avi"};
    QTest::newRow("empty drop item") << QStringList{"--drop", "3,,4", "a.avi"};
}

void TestVideogenCommandLine::rejectsBadArguments() {
    QFETCH(QStringList, args);
    std::vector<std::string> list;
    for (const QString& arg : args)
        list.push_back(arg.toStdString());
    QVERIFY(!videogen::parseCommandLine(list).error.empty());
}

QTEST_GUILESS_MAIN(TestVideogenCommandLine)
#include "test_videogen_command_line.moc"
