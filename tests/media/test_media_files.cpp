// What the service makes of files: damaged and foreign files are refused with a text, paths
// with blanks and Japanese names open, long videos keep their length, dropped frames repeat
// the picture before them, and pictures keep their shape.
#include "media/mci_channel.h"
#include "media/mci_commands.h"
#include "media/media_fixture.h"
#include "media/remux.h"
#include "media/service/decode_worker.h"
#include "media/service/error_codes.h"
#include "toolkit/dialogs.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QtTest>
#include <atomic>
#include <map>
#include <set>

using mediatest::Stage;
using videogen::Codec;
using namespace media::service;

namespace {

QByteArray readAll(const std::string& path) {
    QFile file(QString::fromStdString(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// A one-second 8 kHz mono WAV: sound and no picture.
QByteArray waveFile() {
    const quint32 samples = 8000;
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out.writeRawData("RIFF", 4);
    out << quint32(36 + samples * 2);
    out.writeRawData("WAVEfmt ", 8);
    out << quint32(16) << quint16(1) << quint16(1) << quint32(8000) << quint32(16000) << quint16(2)
        << quint16(16);
    out.writeRawData("data", 4);
    out << quint32(samples * 2);
    for (quint32 i = 0; i < samples; ++i)
        out << qint16((i % 40) * 500 - 10000);
    return bytes;
}

} // namespace

class MediaFilesTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void init();
    void cleanup();
    void badFilesAreRefused_data();
    void badFilesAreRefused();
    void damagedPicturesNeitherCrashNorHang();
    void aRejectedPictureKeepsTheFramesAfterIt();
    void aPictureThatCannotBeScaledIsGivenUp();
    void anAbsurdAspectRatioStaysOnScreen();
    void pathsWithBlanksAndJapaneseOpen_data();
    void pathsWithBlanksAndJapaneseOpen();
    void aMissingFileHasNoShortNameAndFailsToOpen();
    void videosPastSixteenBitsKeepTheirLength();
    void droppedFramesRepeatThePictureBefore();
    void otherContainersOpen_data();
    void otherContainersOpen();
    void picturesKeepTheirShape_data();
    void picturesKeepTheirShape();
    void theVideoWindowIsAChildAtTheTopLeft();
    void theParentMayGoWhileTheVideoIsOpen();
    void deviceErrors_data();
    void deviceErrors();
    void aDeviceLeftOpenClosesAtExit();

  private:
    std::string write(const std::string& name, const videogen::VideoSettings& settings);
    QTemporaryDir dir_;
    std::string plain_;
    int beeps_ = 0;
};

std::string MediaFilesTest::write(const std::string& name,
                                  const videogen::VideoSettings& settings) {
    std::string error;
    const std::string path = mediatest::writeVideo(dir_, name, settings, error);
    if (path.empty())
        qWarning("%s", error.c_str());
    return path;
}

void MediaFilesTest::initTestCase() {
    QVERIFY(dir_.isValid());
    videogen::VideoSettings settings;
    settings.frames = 20;
    plain_ = write("plain.avi", settings);
    QVERIFY(!plain_.empty());
}

void MediaFilesTest::init() {
    beeps_ = 0;
    toolkit::setBeepHandler([this] { ++beeps_; });
}

void MediaFilesTest::cleanup() {
    toolkit::setBeepHandler(nullptr);
}

void MediaFilesTest::badFilesAreRefused_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("code");
    const QByteArray good = readAll(plain_);
    QByteArray noise(64 * 1024, '\0');
    QRandomGenerator random(99);
    for (char& byte : noise)
        byte = char(random.bounded(256));
    QTest::newRow("zero bytes") << "empty.avi" << QByteArray() << kErrCorruptFile;
    QTest::newRow("text renamed")
        << "notes.avi"
        << QByteArray("これは動画ではありません。\nただのテキストです。\n").repeated(40)
        << kErrNotVideo;
    QTest::newRow("sound only") << "sound.avi" << waveFile() << kErrNotVideo;
    QTest::newRow("cut in half") << "half.avi" << good.left(good.size() / 2) << kErrCorruptFile;
    QTest::newRow("header only") << "header.avi" << good.left(2048) << kErrCorruptFile;
    QTest::newRow("random bytes") << "noise.avi" << noise << kErrNotVideo;
}

void MediaFilesTest::badFilesAreRefused() {
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(int, code);
    const QString path = dir_.filePath(name);
    QVERIFY(writeAll(path, bytes));
    Stage stage;
    beeps_ = 0;
    const mediatest::Reply reply = stage.open(path.toStdString());
    QCOMPARE(reply.code, code);
    QCOMPARE(beeps_, 2); // the close before it finds nothing open, then the open itself
    QCOMPARE(reply.text, std::string(errorMessage(code)));
    // Nothing stays open.
    QCOMPARE(mediatest::send(media::statusLengthCommand()).code, kErrNoDevice);
    // A good file opens after it.
    QCOMPARE(stage.open(plain_).code, 0);
}

void MediaFilesTest::damagedPicturesNeitherCrashNorHang() {
    videogen::VideoSettings settings;
    settings.codec = Codec::Mpeg4;
    settings.frames = 60;
    settings.gop = 20;
    settings.maxBFrames = 2;
    const std::string source = write("damage-source.avi", settings);
    QVERIFY(!source.empty());
    QByteArray bytes = readAll(source);
    // Overwrite a stretch of picture data in the middle, leaving header and index alone.
    for (int i = bytes.size() * 2 / 5; i < bytes.size() * 3 / 5; i += 3)
        bytes[i] = char(0xff);
    const QString path = dir_.filePath("damaged.avi");
    QVERIFY(writeAll(path, bytes));
    Stage stage;
    QCOMPARE(stage.open(path.toStdString()).code, 0);
    for (int n = 0; n < settings.frames; n += 7) {
        QCOMPARE(mediatest::send(media::seekCommand(n)).code, 0);
        QCOMPARE(mediatest::send(media::updateCommand(stage.targetHandle())).code, 0);
        mediatest::send(media::stepReverseCommand());
        QCOMPARE(mediatest::send(media::updateCommand(stage.targetHandle())).code, 0);
    }
    // The undamaged start still reads right.
    mediatest::send(media::seekCommand(2));
    QCOMPARE(stage.shownFrame(), 2);
}

// One B-frame of a long GOP, which no other picture refers to, overwritten with noise: the
// decoder gives out no picture for it, and the frames after it must keep their numbers.
void MediaFilesTest::aRejectedPictureKeepsTheFramesAfterIt() {
    const videogen::VideoSettings settings{.codec = Codec::Mpeg4,
                                           .width = 160,
                                           .height = 120,
                                           .frames = 90,
                                           .gop = 40,
                                           .maxBFrames = 2};
    const std::string source = write("bframes.avi", settings);
    QVERIFY(!source.empty());
    QByteArray bytes = readAll(source);
    std::string error;
    const auto index = videogen::readAviVideoIndex(source, &error);
    QVERIFY2(!index.empty(), error.c_str());
    // A B-frame's picture header: the VOP start code, then coding type 2 in the top bits.
    const auto isBFrame = [&](const videogen::AviIndexEntry& e) {
        const QByteArray payload = bytes.mid(qsizetype(e.offset), e.size);
        const qsizetype vop = payload.indexOf(QByteArray("\0\0\1\xb6", 4));
        return vop >= 0 && vop + 4 < payload.size() && (quint8(payload[vop + 4]) >> 6) == 2;
    };
    const auto damaged = std::find_if(index.begin() + 55, index.end(), isBFrame);
    QVERIFY(damaged != index.end());
    QRandomGenerator noise(5);
    for (quint32 i = 0; i < damaged->size; ++i)
        bytes[qsizetype(damaged->offset + i)] = char(noise.bounded(256));
    const QString path = dir_.filePath("rejected.avi");
    QVERIFY(writeAll(path, bytes));

    Stage stage;
    QCOMPARE(stage.open(path.toStdString()).code, 0);
    // frame -> what was shown for it, by seek, by steps forwards and by steps back
    std::map<int, std::set<int>> shown;
    for (int n = 0; n < settings.frames; n += 1) {
        mediatest::send(media::seekCommand(n));
        shown[n].insert(stage.shownFrame());
    }
    mediatest::send(media::seekCommand(0));
    for (int n = 1; n < settings.frames; ++n) {
        mediatest::send(media::stepCommand());
        shown[n].insert(stage.shownFrame());
    }
    for (int n = settings.frames - 2; n >= 0; --n) {
        mediatest::send(media::stepReverseCommand());
        shown[n].insert(stage.shownFrame());
    }
    int wrong = 0;
    for (const auto& [n, pictures] : shown) {
        if (pictures == std::set<int>{n})
            continue;
        ++wrong; // the damaged picture: a neighbour stands in for it
        for (int picture : pictures)
            QVERIFY2(picture == n - 1 || picture == n + 1,
                     qPrintable(QStringLiteral("frame %1 showed %2").arg(n).arg(picture)));
    }
    QCOMPARE(wrong, 1);
}

// A picture the worker cannot scale is given up: it does not decode the same pictures
// again and again while the user pauses.
void MediaFilesTest::aPictureThatCannotBeScaledIsGivenUp() {
    const videogen::VideoSettings settings{.codec = Codec::Mpeg4,
                                           .width = 160,
                                           .height = 120,
                                           .frames = 60,
                                           .gop = 30,
                                           .maxBFrames = 2};
    const std::string path = write("unscalable.avi", settings);
    QVERIFY(!path.empty());
    std::atomic<int> idle = 0;
    struct Planted {
        explicit Planted(std::atomic<int>& idle) {
            media::service::workerSeams() = {[] { return true; }, [&idle] { ++idle; }};
        }
        ~Planted() { media::service::workerSeams() = {}; }
    };
    {
        const Planted fault(idle);
        Stage stage;
        QCOMPARE(stage.open(path).code, 0);
        mediatest::send(media::seekCommand(20));
        QCOMPARE(stage.shownFrame(), -1); // black
        QTRY_VERIFY(idle > 0);
        mediatest::send(media::closeCommand());
    }
    Stage stage;
    QCOMPARE(stage.open(path).code, 0);
    mediatest::send(media::seekCommand(20));
    QCOMPARE(stage.shownFrame(), 20);
}

// A file may claim any aspect ratio in its headers; until a destination is put, the picture
// is shown at the file's shape, at most as large as a screen.
void MediaFilesTest::anAbsurdAspectRatioStaysOnScreen() {
    const videogen::VideoSettings settings{
        .width = 32, .height = 24, .frames = 4, .sarNum = 4, .sarDen = 3};
    QByteArray bytes = readAll(write("aspect.avi", settings));
    // The video properties header: a frame aspect of 65535:1 (denominator in the low word).
    const qsizetype aspect = bytes.indexOf("vprp") + 8 + 20;
    QVERIFY(aspect > 28);
    bytes.replace(aspect, 4, QByteArray("\x01\x00\xff\xff", 4));
    const std::string path = dir_.filePath("absurd-aspect.avi").toStdString();
    QVERIFY(writeAll(QString::fromStdString(path), bytes));
    Stage stage;
    QCOMPARE(
        mediatest::send(media::openCommand(Module1::GetShortName(path), stage.parentHandle())).code,
        0);
    const auto* window = stage.video().clientArea()->findChild<QWidget*>();
    QVERIFY(window);
    QCOMPARE(window->size(), QSize(4096, 1));
    QCOMPARE(mediatest::send(media::updateCommand(stage.targetHandle())).code, 0);
    QCOMPARE(mediatest::send(media::putDestinationCommand(320, 240)).code, 0);
    mediatest::send(media::seekCommand(2));
    QCOMPARE(mediatest::send(media::statusPositionCommand()).text, std::string("2"));
}

void MediaFilesTest::pathsWithBlanksAndJapaneseOpen_data() {
    QTest::addColumn<QString>("relative");
    QTest::newRow("blanks") << "my videos/ball throw.avi";
    QTest::newRow("Japanese") << "動画/落下実験.avi";
    QTest::newRow("both") << "授業 の 動画/ボール 投げ上げ.avi";
}

void MediaFilesTest::pathsWithBlanksAndJapaneseOpen() {
    QFETCH(QString, relative);
    const QString path = dir_.filePath(relative);
    QVERIFY(QDir().mkpath(QFileInfo(path).path()));
    QVERIFY(QFile::copy(QString::fromStdString(plain_), path));
    Stage stage;
    QCOMPARE(stage.open(path.toStdString()).code, 0);
    QCOMPARE(media::readNumericReply(mediatest::send(media::statusLengthCommand()).text), 20);
    mediatest::send(media::seekCommand(13));
    QCOMPARE(stage.shownFrame(), 13);
}

void MediaFilesTest::aMissingFileHasNoShortNameAndFailsToOpen() {
    const std::string missing = dir_.filePath("nowhere/gone.avi").toStdString();
    QCOMPARE(Module1::GetShortName(missing), std::string());
    Stage stage;
    beeps_ = 0;
    const mediatest::Reply reply = stage.open(missing);
    QCOMPARE(reply.code, kErrMissingFileName);
    QCOMPARE(reply.text, std::string(errorMessage(kErrMissingFileName)));
    QCOMPARE(beeps_, 2);
    // Named directly, the same file is reported as not found.
    QCOMPARE(mediatest::send("open " + missing + " alias avfile").code, kErrFileNotFound);
    QCOMPARE(mediatest::send("open " + dir_.path().toStdString() + " alias avfile").code,
             kErrFileNotFound);
}

void MediaFilesTest::videosPastSixteenBitsKeepTheirLength() {
    videogen::VideoSettings settings;
    settings.width = 16;
    settings.height = 16;
    settings.frames = 40000;
    const std::string path = write("long.avi", settings);
    QVERIFY(!path.empty());
    Stage stage;
    QCOMPARE(stage.open(path).code, 0);
    const auto length = mediatest::send(media::statusLengthCommand());
    QCOMPARE(length.text, std::string("40000"));
    const QRect square(40, 0, 240, 240); // a square picture, pillarboxed
    mediatest::send(media::seekCommand(39999));
    QCOMPARE(stage.position(), 39999);
    QCOMPARE(stage.shownFrame(square), 39999);
    mediatest::send(media::stepReverseCommand());
    QCOMPARE(stage.shownFrame(square), 39998);
    mediatest::send(media::seekCommand(32768));
    QCOMPARE(stage.shownFrame(square), 32768);
    mediatest::send(media::stepCommand());
    QCOMPARE(mediatest::send(media::statusPositionCommand()).text, std::string("32769"));
    QCOMPARE(stage.shownFrame(square), 32769);
}

void MediaFilesTest::droppedFramesRepeatThePictureBefore() {
    videogen::VideoSettings settings;
    settings.frames = 16;
    settings.droppedFrames = {3, 4, 10, 15};
    const std::string path = write("dropped.avi", settings);
    QVERIFY(!path.empty());
    Stage stage;
    QCOMPARE(stage.open(path).code, 0);
    QCOMPARE(mediatest::send(media::statusLengthCommand()).text, std::string("16"));
    // position -> the picture shown there
    const std::vector<std::pair<int, int>> expected = {{2, 2},  {3, 2},   {4, 2},   {5, 5},  {9, 9},
                                                       {10, 9}, {11, 11}, {14, 14}, {15, 14}};
    for (const auto& [position, picture] : expected) {
        mediatest::send(media::seekCommand(position));
        QCOMPARE(stage.position(), position);
        QCOMPARE(stage.shownFrame(), picture);
    }
    // Steps count the empty positions too.
    mediatest::send(media::seekCommand(2));
    const std::vector<int> forward = {2, 2, 5, 6};
    for (int picture : forward) {
        mediatest::send(media::stepCommand());
        QCOMPARE(stage.shownFrame(), picture);
    }
    QCOMPARE(stage.position(), 6);
}

void MediaFilesTest::otherContainersOpen_data() {
    QTest::addColumn<int>("codec");
    QTest::addColumn<QString>("extension");
    QTest::newRow("MJPEG in Matroska") << int(Codec::Mjpeg) << "mkv";
    QTest::newRow("MJPEG in QuickTime") << int(Codec::Mjpeg) << "mov";
    QTest::newRow("MPEG-4 B-frames in MP4") << int(Codec::Mpeg4) << "mp4";
    QTest::newRow("H.264 B-frames in Matroska") << int(Codec::H264) << "mkv";
}

void MediaFilesTest::otherContainersOpen() {
    QFETCH(int, codec);
    QFETCH(QString, extension);
    videogen::VideoSettings settings;
    settings.codec = static_cast<Codec>(codec);
    if (!videogen::encoderAvailable(settings.codec))
        QSKIP("this FFmpeg has no such encoder");
    settings.frames = 60;
    settings.gop = 25;
    settings.maxBFrames = 2;
    const std::string name = "container-" + std::to_string(codec) + "-" + extension.toStdString();
    const std::string avi = write(name + ".avi", settings);
    QVERIFY(!avi.empty());
    const std::string other =
        dir_.filePath(QString::fromStdString(name) + "." + extension).toStdString();
    QCOMPARE(mediatest::remuxVideo(avi, other), std::string());
    Stage stage;
    QCOMPARE(stage.open(other).code, 0);
    QCOMPARE(mediatest::send(media::statusLengthCommand()).text, std::string("60"));
    // Frames are counted in display order, whatever timestamps the container holds.
    for (int n : {0, 1, 24, 25, 26, 27, 51, 59, 33}) {
        mediatest::send(media::seekCommand(n));
        QCOMPARE(stage.shownFrame(), n);
    }
    mediatest::send(media::stepReverseCommand());
    QCOMPARE(stage.shownFrame(), 32);
    mediatest::send(media::stepCommand());
    mediatest::send(media::stepCommand());
    QCOMPARE(stage.shownFrame(), 34);
}

void MediaFilesTest::picturesKeepTheirShape_data() {
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("sarNum");
    QTest::addColumn<int>("sarDen");
    QTest::addColumn<QRect>("displayed");
    QTest::newRow("4:3 fills") << 320 << 240 << 1 << 1 << QRect(0, 0, 320, 240);
    QTest::newRow("16:9 letterboxed") << 320 << 180 << 1 << 1 << QRect(0, 30, 320, 180);
    QTest::newRow("wide by sample aspect") << 240 << 180 << 4 << 3 << QRect(0, 30, 320, 180);
    QTest::newRow("portrait pillarboxed") << 180 << 240 << 1 << 1 << QRect(70, 0, 180, 240);
}

void MediaFilesTest::picturesKeepTheirShape() {
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, sarNum);
    QFETCH(int, sarDen);
    QFETCH(QRect, displayed);
    videogen::VideoSettings settings;
    settings.width = width;
    settings.height = height;
    settings.sarNum = sarNum;
    settings.sarDen = sarDen;
    settings.frames = 8;
    const std::string path =
        write("shape" + std::to_string(width) + "x" + std::to_string(sarNum) + ".avi", settings);
    QVERIFY(!path.empty());
    Stage stage;
    QCOMPARE(stage.open(path).code, 0);
    mediatest::send(media::seekCommand(5));
    QCOMPARE(stage.shownFrame(displayed), 5);
    const QImage& image = stage.target().image();
    // Black bars where the shapes differ, picture (grey field) inside.
    const auto isBlack = [&](int x, int y) { return qGray(image.pixel(x, y)) < 16; };
    if (displayed.top() > 0) {
        QVERIFY(isBlack(160, displayed.top() / 2));
        QVERIFY(isBlack(160, displayed.bottom() + 3));
    }
    if (displayed.left() > 0) {
        QVERIFY(isBlack(displayed.left() / 2, 120));
        QVERIFY(isBlack(displayed.right() + 3, 120));
    }
    QVERIFY(!isBlack(displayed.left() + 2, displayed.top() + 2));
    // The measuring area is 316 x 236 inside its border: what does not fit is cut off.
    QCOMPARE(image.size(), QSize(316, 236));
}

void MediaFilesTest::theVideoWindowIsAChildAtTheTopLeft() {
    Stage stage;
    QCOMPARE(
        mediatest::send(media::openCommand(Module1::GetShortName(plain_), stage.parentHandle()))
            .code,
        0);
    const QList<QWidget*> children =
        stage.video().clientArea()->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    QCOMPARE(children.size(), 1);
    QWidget* window = children.front();
    QCOMPARE(window->geometry(), QRect(0, 0, 320, 240)); // the file's own size at first
    QCOMPARE(mediatest::send(media::putDestinationCommand(160, 120)).code, 0);
    QCOMPARE(window->geometry(), QRect(0, 0, 160, 120));
    QVERIFY(window->isVisible());
    mediatest::send(media::seekCommand(9));
    QTRY_COMPARE(videogen::readFrameCode(window->grab().toImage(), QRect(0, 0, 160, 120)), 9);
    mediatest::send(media::closeCommand());
    QVERIFY(stage.video().clientArea()->findChildren<QWidget*>().isEmpty());
}

void MediaFilesTest::theParentMayGoWhileTheVideoIsOpen() {
    Stage stage;
    auto parent = std::make_unique<toolkit::PictureBox>();
    parent->setOuterSize(320, 240);
    QCOMPARE(
        mediatest::send(media::openCommand(Module1::GetShortName(plain_), parent->hWnd())).code, 0);
    mediatest::send(media::playCommand());
    parent.reset();
    QTest::qWait(50);
    mediatest::send(media::pauseCommand());
    mediatest::send(media::seekCommand(4));
    QCOMPARE(stage.shownFrame(), 4);
    QCOMPARE(mediatest::send(media::closeCommand()).code, 0);
}

void MediaFilesTest::deviceErrors_data() {
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<int>("code");
    QTest::newRow("past the end") << QByteArray("seek avfile to  21") << kErrOutOfRange;
    QTest::newRow("unknown surface")
        << QByteArray("update avfile hdc 99999") << kErrBadDeviceContext;
    QTest::newRow("another alias") << QByteArray("status video position") << kErrNoDevice;
    QTest::newRow("alias in use") << QByteArray("open " + QByteArray::fromStdString(plain_) +
                                                " alias avfile")
                                  << kErrAliasInUse;
    QTest::newRow("unknown parent")
        << QByteArray("open " + QByteArray::fromStdString(plain_) + " alias other parent 99999")
        << kErrBadWindow;
    QTest::newRow("malformed step") << QByteArray("step avfile by x") << kErrBadParameter;
}

void MediaFilesTest::deviceErrors() {
    QFETCH(QByteArray, command);
    QFETCH(int, code);
    Stage stage;
    QCOMPARE(stage.open(plain_).code, 0);
    mediatest::send(media::seekCommand(6));
    beeps_ = 0;
    const mediatest::Reply reply = mediatest::send(command.toStdString());
    QCOMPARE(reply.code, code);
    QCOMPARE(reply.text, std::string(errorMessage(code)));
    QCOMPARE(beeps_, 1);
    // The device goes on as before.
    QCOMPARE(stage.position(), 6);
    QCOMPARE(stage.shownFrame(), 6);
    // The last position is the length, shown as the last frame.
    QCOMPARE(mediatest::send(media::seekCommand(20)).code, 0);
    QCOMPARE(stage.shownFrame(), 19);
}

void MediaFilesTest::aDeviceLeftOpenClosesAtExit() {
    // Left open on purpose: the service closes it when the application goes away, and the
    // test executable must then end cleanly.
    toolkit::PictureBox* parent = new toolkit::PictureBox;
    parent->setOuterSize(320, 240);
    parent->show();
    QCOMPARE(mediatest::send("open " + plain_ + " alias leftopen style child parent " +
                             std::to_string(parent->hWnd()))
                 .code,
             0);
    QCOMPARE(mediatest::send("play leftopen window").code, 0);
}

QTEST_MAIN(MediaFilesTest)
#include "test_media_files.moc"
