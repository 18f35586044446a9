// The command channel: one beep per failed command, the error text in place of the reply,
// replies cut at the first NUL of a 256-byte buffer, and the short form of a path.
#include "media/mci_channel.h"
#include "media/service/error_codes.h"
#include "toolkit/dialogs.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <cstring>

namespace {

// A scripted service standing in for the media service.
struct Script {
    std::int32_t code = 0;
    std::string reply;            // written with its NUL when it fits
    bool fillWholeBuffer = false; // write `size` bytes with no NUL at all
    std::string errorText;
    std::string receivedCommand;
    bool bufferWasClear = false;
    int bufferSize = 0;
    int errorTextCalls = 0;
    std::int32_t errorCodeAsked = 0;
    char* sendBuffer = nullptr;
    char* errorBuffer = nullptr;
};
Script script;

void write(const std::string& text, bool fill, char* buffer, int size) {
    if (fill) {
        std::memset(buffer, 'x', static_cast<std::size_t>(size));
        return;
    }
    const std::size_t length = std::min(text.size(), static_cast<std::size_t>(size - 1));
    std::memcpy(buffer, text.data(), length);
    buffer[length] = '\0';
}

std::int32_t scriptedSend(const char* command, char* buffer, int size) {
    script.receivedCommand = command;
    script.bufferSize = size;
    script.sendBuffer = buffer;
    script.bufferWasClear = std::all_of(buffer, buffer + size, [](char c) { return c == '\0'; });
    write(script.reply, script.fillWholeBuffer && script.code == 0, buffer, size);
    return script.code;
}

void scriptedErrorText(std::int32_t code, char* buffer, int size) {
    ++script.errorTextCalls;
    script.errorCodeAsked = code;
    script.errorBuffer = buffer;
    write(script.errorText, script.fillWholeBuffer, buffer, size);
}

} // namespace

class MciChannelTest : public QObject {
    Q_OBJECT

  private slots:
    void init();
    void cleanup();
    void successKeepsQuiet_data();
    void successKeepsQuiet();
    void failureBeepsOnceAndGivesTheErrorText();
    void repliesAreCutAt255Characters_data();
    void repliesAreCutAt255Characters();
    void aBufferWithoutNulLeavesTheReply();
    void theRealServiceRefusesCommandsWithoutADevice_data();
    void theRealServiceRefusesCommandsWithoutADevice();
    void shortNames_data();
    void shortNames();

  private:
    int beeps_ = 0;
};

void MciChannelTest::init() {
    script = Script{};
    beeps_ = 0;
    toolkit::setBeepHandler([this] { ++beeps_; });
    media::setCommandService({&scriptedSend, &scriptedErrorText});
}

void MciChannelTest::cleanup() {
    toolkit::setBeepHandler(nullptr);
    media::setCommandService({});
}

void MciChannelTest::successKeepsQuiet_data() {
    QTest::addColumn<QByteArray>("serviceReply");
    QTest::newRow("no reply") << QByteArray();
    QTest::newRow("a number") << QByteArray("300");
    QTest::newRow("Japanese") << QByteArray("再生中");
}

void MciChannelTest::successKeepsQuiet() {
    QFETCH(QByteArray, serviceReply);
    script.reply = serviceReply.toStdString();
    std::string reply = "left over";
    QCOMPARE(Module1::SendMciCommand("status avfile length", reply), 0);
    QCOMPARE(QByteArray::fromStdString(reply), serviceReply);
    QCOMPARE(beeps_, 0);
    QCOMPARE(script.errorTextCalls, 0);
    QCOMPARE(script.receivedCommand, std::string("status avfile length"));
    QCOMPARE(script.bufferSize, 256);
    QVERIFY2(script.bufferWasClear, "the reply buffer starts all NUL");
}

void MciChannelTest::failureBeepsOnceAndGivesTheErrorText() {
    script.code = 263;
    script.reply = "a reply that must not come back";
    script.errorText = "指定されたファイルが見つかりません。";
    std::string reply;
    QCOMPARE(Module1::SendMciCommand("open nothing.avi alias avfile", reply), 263);
    QCOMPARE(beeps_, 1);
    QCOMPARE(script.errorTextCalls, 1);
    QCOMPARE(script.errorCodeAsked, 263);
    QCOMPARE(script.errorBuffer, script.sendBuffer);
    QCOMPARE(reply, script.errorText);
    // Every call has its own beep: a second failure beeps once more.
    Module1::SendMciCommand("pause avfile", reply);
    QCOMPARE(beeps_, 2);
}

void MciChannelTest::repliesAreCutAt255Characters_data() {
    QTest::addColumn<int>("code");
    QTest::newRow("reply") << 0;
    QTest::newRow("error text") << 258;
}

void MciChannelTest::repliesAreCutAt255Characters() {
    QFETCH(int, code);
    script.code = code;
    script.reply = std::string(400, 'r');
    script.errorText = std::string(400, 'e');
    std::string reply;
    QCOMPARE(Module1::SendMciCommand("status avfile mode", reply), code);
    QCOMPARE(reply.size(), std::size_t(255));
    QCOMPARE(reply.front(), code == 0 ? 'r' : 'e');
}

void MciChannelTest::aBufferWithoutNulLeavesTheReply() {
    script.fillWholeBuffer = true;
    std::string reply = "before";
    QCOMPARE(Module1::SendMciCommand("status avfile position", reply), 0);
    QCOMPARE(reply, std::string("before"));
    script.code = 260;
    QCOMPARE(Module1::SendMciCommand("status avfile position", reply), 260);
    QCOMPARE(reply, std::string("before"));
    QCOMPARE(beeps_, 1);
}

void MciChannelTest::theRealServiceRefusesCommandsWithoutADevice_data() {
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<int>("code");
    using namespace media::service;
    QTest::newRow("close") << QByteArray("close avfile") << kErrNoDevice;
    QTest::newRow("pause") << QByteArray("pause avfile") << kErrNoDevice;
    QTest::newRow("position") << QByteArray("status avfile position") << kErrNoDevice;
    QTest::newRow("unknown verb") << QByteArray("rewind avfile") << kErrUnknownCommand;
    QTest::newRow("empty") << QByteArray("") << kErrUnknownCommand;
}

void MciChannelTest::theRealServiceRefusesCommandsWithoutADevice() {
    QFETCH(QByteArray, command);
    QFETCH(int, code);
    media::setCommandService({});
    std::string reply = "0";
    QCOMPARE(Module1::SendMciCommand(command.toStdString(), reply), code);
    QCOMPARE(beeps_, 1);
    QCOMPARE(reply, std::string(media::service::errorMessage(code)));
    QVERIFY(!reply.empty());
}

void MciChannelTest::shortNames_data() {
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<bool>("create");
    QTest::addColumn<bool>("quoted");
    QTest::newRow("plain") << "ball.avi" << true << false;
    QTest::newRow("blanks") << "my ball.avi" << true << true;
    QTest::newRow("Japanese") << "落下の実験.avi" << true << false;
    QTest::newRow("Japanese and blanks") << "ボール 投げ上げ.avi" << true << true;
    QTest::newRow("missing") << "gone.avi" << false << false;
    QTest::newRow("a quote") << "say \"hi\".avi" << true << false;
}

void MciChannelTest::shortNames() {
    QFETCH(QString, fileName);
    QFETCH(bool, create);
    QFETCH(bool, quoted);
    QTemporaryDir dir;
    const QString path = dir.filePath(fileName);
    if (create) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    const std::string utf8 = path.toStdString();
    const std::string shortName = Module1::GetShortName(utf8);
    if (!create || fileName.contains('"'))
        QCOMPARE(shortName, std::string());
    else if (quoted)
        QCOMPARE(shortName, '"' + utf8 + '"');
    else
        QCOMPARE(shortName, utf8);
}

QTEST_MAIN(MciChannelTest)
#include "test_mci_channel.moc"
