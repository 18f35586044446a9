// Reading command strings: blanks, quotes, keywords, numbers, and the error code of every
// malformed command.
#include "media/service/command_parser.h"
#include "media/service/error_codes.h"
#include "media/service/media_service.h"

#include <QRandomGenerator>
#include <QtTest>

using namespace media::service;

class CommandParserTest : public QObject {
    Q_OBJECT

  private slots:
    void tokens_data();
    void tokens();
    void wellFormed();
    void malformed_data();
    void malformed();
    void garbageNeverCrashes();
};

void CommandParserTest::tokens_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("single blanks")
        << "step avfile reverse" << QStringList{"step", "avfile", "reverse"};
    QTest::newRow("runs of blanks")
        << "seek avfile to  0" << QStringList{"seek", "avfile", "to", "0"};
    QTest::newRow("leading and trailing") << "  pause\tavfile  " << QStringList{"pause", "avfile"};
    QTest::newRow("quoted path") << "open \"/tmp/my ball.avi\" alias avfile"
                                 << QStringList{"open", "/tmp/my ball.avi", "alias", "avfile"};
    QTest::newRow("Japanese") << "open /tmp/落下.avi" << QStringList{"open", "/tmp/落下.avi"};
    QTest::newRow("empty quotes") << "open \"\"" << QStringList{"open", ""};
}

void CommandParserTest::tokens() {
    QFETCH(QString, command);
    QFETCH(QStringList, expected);
    std::vector<Token> tokens;
    QVERIFY(tokenize(command.toStdString(), tokens));
    QStringList texts;
    for (const Token& token : tokens)
        texts << QString::fromStdString(token.text);
    QCOMPARE(texts, expected);
}

void CommandParserTest::wellFormed() {
    auto parsed = parseCommand("open \"/tmp/a b.avi\" alias AVFile style child parent 12");
    QCOMPARE(parsed.code, kOk);
    QVERIFY(parsed.command.verb == Verb::Open);
    QCOMPARE(parsed.command.device, std::string("/tmp/a b.avi"));
    QCOMPARE(parsed.command.alias, std::string("avfile")); // aliases ignore case
    QVERIFY(parsed.command.childStyle);
    QVERIFY(parsed.command.hasParent);
    QCOMPARE(parsed.command.parent, 12);

    parsed = parseCommand("put avfile destination at 0 0  320 240");
    QCOMPARE(parsed.code, kOk);
    QVERIFY(parsed.command.hasRect);
    QCOMPARE(parsed.command.width, 320);
    QCOMPARE(parsed.command.height, 240);

    parsed = parseCommand("seek avfile to  40000");
    QCOMPARE(parsed.code, kOk);
    QCOMPARE(parsed.command.frame, 40000);
    QVERIFY(parsed.command.seekTarget == SeekTarget::Frame);

    parsed = parseCommand("STEP AVFILE REVERSE");
    QCOMPARE(parsed.code, kOk);
    QVERIFY(parsed.command.verb == Verb::Step);
    QVERIFY(parsed.command.reverse);
    QCOMPARE(parsed.command.device, std::string("avfile"));

    parsed = parseCommand("update avfile hdc 9");
    QCOMPARE(parsed.code, kOk);
    QCOMPARE(parsed.command.hdc, 9);

    parsed = parseCommand("status avfile position");
    QCOMPARE(parsed.code, kOk);
    QVERIFY(parsed.command.item == StatusItem::Position);

    QCOMPARE(parseCommand("play avfile window").code, kOk);
    QCOMPARE(parseCommand("close all").code, kOk);
    QVERIFY(parseCommand("close all").command.allDevices);
}

void CommandParserTest::malformed_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("code");
    QTest::newRow("empty") << "" << kErrUnknownCommand;
    QTest::newRow("blanks") << "    " << kErrUnknownCommand;
    QTest::newRow("unknown verb") << "rewind avfile" << kErrUnknownCommand;
    QTest::newRow("quoted verb") << "\"play\" avfile" << kErrUnknownCommand;
    QTest::newRow("no device") << "play" << kErrMissingParameter;
    QTest::newRow("open without a file") << "open" << kErrMissingFileName;
    QTest::newRow("open with an empty name")
        << "open  alias avfile style child parent 3" << kErrMissingFileName;
    QTest::newRow("open with empty quotes") << "open \"\" alias avfile" << kErrMissingFileName;
    QTest::newRow("open quote left open") << "open \"/tmp/a.avi alias avfile" << kErrBadParameter;
    QTest::newRow("alias without a name") << "open a.avi alias" << kErrMissingParameter;
    QTest::newRow("parent not a number") << "open a.avi parent x1" << kErrBadParameter;
    QTest::newRow("parent missing") << "open a.avi alias v parent" << kErrMissingParameter;
    QTest::newRow("unknown style") << "open a.avi style round" << kErrBadParameter;
    QTest::newRow("unknown open keyword") << "open a.avi colour red" << kErrBadParameter;
    QTest::newRow("put without destination") << "put avfile" << kErrMissingParameter;
    QTest::newRow("put source") << "put avfile source at 0 0 1 1" << kErrBadParameter;
    QTest::newRow("destination short")
        << "put avfile destination at 0 0 320" << kErrMissingParameter;
    QTest::newRow("destination words") << "put avfile destination at a b c d" << kErrBadParameter;
    QTest::newRow("destination empty") << "put avfile destination at 0 0 0 240" << kErrBadParameter;
    QTest::newRow("status of nothing") << "status avfile" << kErrMissingParameter;
    QTest::newRow("status unknown") << "status avfile speed" << kErrBadParameter;
    QTest::newRow("seek without to") << "seek avfile 5" << kErrBadParameter;
    QTest::newRow("seek to nothing") << "seek avfile to" << kErrMissingParameter;
    QTest::newRow("seek to a word") << "seek avfile to five" << kErrBadParameter;
    QTest::newRow("seek to a fraction") << "seek avfile to 2.5" << kErrBadParameter;
    QTest::newRow("seek before the start") << "seek avfile to -1" << kErrOutOfRange;
    QTest::newRow("seek past 32 bits") << "seek avfile to 99999999999" << kErrBadParameter;
    QTest::newRow("step sideways") << "step avfile sideways" << kErrBadParameter;
    QTest::newRow("step by nothing") << "step avfile by" << kErrMissingParameter;
    QTest::newRow("update without hdc") << "update avfile" << kErrMissingParameter;
    QTest::newRow("update hdc missing") << "update avfile hdc" << kErrMissingParameter;
    QTest::newRow("update hdc word") << "update avfile hdc seven" << kErrBadParameter;
    QTest::newRow("pause with extra") << "pause avfile now" << kErrBadParameter;
    QTest::newRow("play elsewhere") << "play avfile fullscreen" << kErrBadParameter;
}

void CommandParserTest::malformed() {
    QFETCH(QString, command);
    QFETCH(int, code);
    QCOMPARE(parseCommand(command.toStdString()).code, code);
    // Through the service entry too, with a reply buffer to write into.
    char buffer[256] = {};
    QCOMPARE(sendCommand(command.toStdString().c_str(), buffer, sizeof buffer), code);
    QCOMPARE(buffer[0], '\0');
}

void CommandParserTest::garbageNeverCrashes() {
    const std::vector<std::string> words = {
        "open",  "close",  "put",    "status",     "play",        "pause",  "stop",
        "step",  "seek",   "update", "avfile",     "to",          "hdc",    "at",
        "\"",    "-1",     "0",      "2147483648", "destination", "length", "reverse",
        "alias", "parent", "style",  "child",      "   ",         "\t"};
    QRandomGenerator random(7);
    for (int i = 0; i < 2000; ++i) {
        std::string command;
        const int count = random.bounded(7);
        for (int w = 0; w < count; ++w) {
            command += words[random.bounded(static_cast<int>(words.size()))];
            command += random.bounded(3) == 0 ? "" : " ";
        }
        char buffer[256];
        std::memset(buffer, 'x', sizeof buffer);
        const std::int32_t code = sendCommand(command.c_str(), buffer, sizeof buffer);
        // Nothing can be open here, so every command fails, and no reply is written.
        QVERIFY2(code != kOk, command.c_str());
        QVERIFY(*errorMessage(code) != '\0');
    }
}

QTEST_MAIN(CommandParserTest)
#include "test_command_parser.moc"
