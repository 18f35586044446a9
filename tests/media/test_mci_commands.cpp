// The exact bytes of every command string, and how numbers are written into commands and
// read back from replies.
#include "media/mci_commands.h"

#include <QtTest>
#include <limits>

class MciCommandsTest : public QObject {
    Q_OBJECT

  private slots:
    void commandBytes_data();
    void commandBytes();
    void spacedNumbers_data();
    void spacedNumbers();
    void plainNumbers();
    void numericReplies_data();
    void numericReplies();
};

void MciCommandsTest::commandBytes_data() {
    QTest::addColumn<QByteArray>("composed");
    QTest::addColumn<QByteArray>("expected");
    const auto row = [](const char* name, const std::string& composed, const char* expected) {
        QTest::newRow(name) << QByteArray::fromStdString(composed) << QByteArray(expected);
    };
    row("close", media::closeCommand(), "close avfile");
    row("open", media::openCommand("/home/u/ball.avi", 3),
        "open /home/u/ball.avi alias avfile style child parent 3");
    row("open quoted", media::openCommand("\"/home/u/my ball.avi\"", 12),
        "open \"/home/u/my ball.avi\" alias avfile style child parent 12");
    row("open without a name", media::openCommand("", 3),
        "open  alias avfile style child parent 3");
    row("destination", media::putDestinationCommand(320, 240),
        "put avfile destination at 0 0  320 240");
    row("length", media::statusLengthCommand(), "status avfile length");
    row("position", media::statusPositionCommand(), "status avfile position");
    row("play", media::playCommand(), "play avfile window");
    row("pause", media::pauseCommand(), "pause avfile");
    row("step", media::stepCommand(), "step avfile");
    row("step back", media::stepReverseCommand(), "step avfile reverse");
    row("rewind", media::seekCommand(0), "seek avfile to  0");
    row("seek", media::seekCommand(32767), "seek avfile to  32767");
    row("seek past 16 bits", media::seekCommand(40000), "seek avfile to  40000");
    row("stop", media::stopCommand(), "stop avfile");
    row("update", media::updateCommand(7), "update avfile hdc 7");
}

void MciCommandsTest::commandBytes() {
    QFETCH(QByteArray, composed);
    QFETCH(QByteArray, expected);
    QCOMPARE(composed, expected);
}

void MciCommandsTest::spacedNumbers_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("zero") << 0.0 << QByteArray(" 0");
    QTest::newRow("width") << 320.0 << QByteArray(" 320");
    QTest::newRow("negative") << -5.0 << QByteArray("-5");
    QTest::newRow("fraction") << 2.5 << QByteArray(" 2.5");
    QTest::newRow("negative fraction") << -0.25 << QByteArray("-0.25");
}

void MciCommandsTest::spacedNumbers() {
    QFETCH(double, value);
    QFETCH(QByteArray, expected);
    QCOMPARE(QByteArray::fromStdString(media::spacedNumber(value)), expected);
    if (value == static_cast<std::int32_t>(value))
        QCOMPARE(QByteArray::fromStdString(media::spacedNumber(static_cast<std::int32_t>(value))),
                 expected);
}

void MciCommandsTest::plainNumbers() {
    QCOMPARE(media::plainNumber(0), std::string("0"));
    QCOMPARE(media::plainNumber(17), std::string("17"));
    QCOMPARE(media::plainNumber(-3), std::string("-3"));
    QCOMPARE(media::plainNumber(std::numeric_limits<std::int32_t>::max()),
             std::string("2147483647"));
}

void MciCommandsTest::numericReplies_data() {
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<int>("expected");
    QTest::newRow("frame count") << QByteArray("300") << 300;
    QTest::newRow("leading blanks") << QByteArray("   42") << 42;
    QTest::newRow("leading tab") << QByteArray("\t7") << 7;
    QTest::newRow("trailing text") << QByteArray("12 frames") << 12;
    QTest::newRow("empty") << QByteArray("") << 0;
    QTest::newRow("error text") << QByteArray("指定されたデバイスは開かれていません。") << 0;
    QTest::newRow("word first") << QByteArray("frame 12") << 0;
    QTest::newRow("sign only") << QByteArray("-") << 0;
    QTest::newRow("negative") << QByteArray("-15") << -15;
    QTest::newRow("plus") << QByteArray("+8") << 8;
    QTest::newRow("half down to even") << QByteArray("2.5") << 2;
    QTest::newRow("half up to even") << QByteArray("3.5") << 4;
    QTest::newRow("negative half") << QByteArray("-2.5") << -2;
    QTest::newRow("above half") << QByteArray("2.51") << 3;
    QTest::newRow("exponent") << QByteArray("1e3") << 1000;
    QTest::newRow("point first") << QByteArray(".5") << 0;
    QTest::newRow("long video") << QByteArray("40000") << 40000;
    QTest::newRow("saturates high") << QByteArray("99999999999") << 2147483647;
    QTest::newRow("saturates low") << QByteArray("-99999999999") << (-2147483647 - 1);
    QTest::newRow("huge exponent") << QByteArray("1e999") << 2147483647;
    QTest::newRow("tiny exponent") << QByteArray("1e-999") << 0;
    QTest::newRow("not hex") << QByteArray("0x1F") << 0;
    QTest::newRow("not inf") << QByteArray("inf") << 0;
}

void MciCommandsTest::numericReplies() {
    QFETCH(QByteArray, reply);
    QFETCH(int, expected);
    QCOMPARE(media::readNumericReply(reply.toStdString()), expected);
}

QTEST_MAIN(MciCommandsTest)
#include "test_mci_commands.moc"
