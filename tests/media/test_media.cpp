// The media service on videos generated at test time: exact frames whatever the codec's
// decode order, what it makes of files and containers, and its answers to commands.
#include "media/mci_channel.h"
#include "media/mci_commands.h"
#include "media/service/decode_worker.h"
#include "media/service/error_codes.h"
#include "support/media_stage.h"
#include "support/support.h"
#include "toolkit/dialogs.h"
#include "videogen/plain_decoder.h"

#include <QDir>
#include <QRandomGenerator>
#include <QtTest>
#include <atomic>
#include <map>
#include <numeric>
#include <set>

extern "C" {
#include <libavformat/avformat.h>
}

Q_DECLARE_METATYPE(videogen::VideoSettings)

using mediatest::send;
using mediatest::Stage;
using videogen::Codec;
using namespace media::service;

class MediaTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    std::map<QString, videogen::VideoSettings> walks_; // name -> settings, written as name.avi
    std::string plain_;
    int beeps_ = 0;

    std::string path(const QString& name) const { return dir_.filePath(name).toStdString(); }
    std::string write(const QString& name, const videogen::VideoSettings& settings) {
        return mediatest::writeVideo(dir_.path(), name.toStdString(), settings);
    }
    void addWalks() {
        QTest::addColumn<QString>("name");
        for (const auto& [name, settings] : walks_)
            QTest::newRow(qPrintable(name)) << name;
    }

  private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        toolkit::setBeepHandler([this] { ++beeps_; });
        plain_ = write("plain.avi", {.frames = 20});
        // Long GOPs with B-frames: decode order differs from display order, and a keyframe
        // can be stored before pictures displayed ahead of it.
        const std::pair<const char*, videogen::VideoSettings> walks[] = {
            {"mjpeg", {.codec = Codec::Mjpeg}},
            {"raw", {.codec = Codec::RawVideo}},
            {"mpeg4", {.codec = Codec::Mpeg4, .gop = 40, .maxBFrames = 2}},
            {"h264", {.codec = Codec::H264, .gop = 40, .maxBFrames = 3}}};
        for (auto [name, settings] : walks) {
            settings.width = 160;
            settings.height = 120;
            settings.frames = 170;
            if (videogen::encoderAvailable(settings.codec) &&
                !write(name + QString(".avi"), settings).empty())
                walks_[name] = settings;
        }
    }
    void init() { beeps_ = 0; }

    // Each keyframe and the frames around it, sought from far away on a fresh device, then
    // their neighbours by a step each way.
    void seeksAroundEveryKeyframe_data() { addWalks(); }
    void seeksAroundEveryKeyframe() {
        QFETCH(QString, name);
        const videogen::VideoSettings& s = walks_.at(name);
        const int gop = s.codec == Codec::Mpeg4 || s.codec == Codec::H264 ? s.gop : 16;
        Stage stage;
        QCOMPARE(stage.open(path(name + ".avi")).code, 0);
        QCOMPARE(media::readNumericReply(send(media::statusLengthCommand()).text), s.frames);
        for (int keyframe = 0; keyframe < s.frames; keyframe += gop) {
            for (int n = std::max(keyframe - 3, 0); n <= std::min(keyframe + 3, s.frames - 1);
                 ++n) {
                QCOMPARE(stage.open(path(name + ".avi")).code, 0);
                const int far = n + 85 < s.frames ? n + 85 : n - 85;
                send(media::seekCommand(far));
                QCOMPARE(stage.shownFrame(), far);
                QCOMPARE(send(media::seekCommand(n)).code, 0);
                QCOMPARE(stage.position(), n);
                QCOMPARE(stage.shownFrame(), n);
                if (n > 0) {
                    send(media::stepReverseCommand());
                    QCOMPARE(stage.shownFrame(), n - 1);
                    send(media::stepCommand());
                }
                send(media::stepCommand());
                QCOMPARE(stage.shownFrame(), std::min(n + 1, s.frames - 1));
            }
        }
    }

    void randomWalk_data() { addWalks(); }
    void randomWalk() {
        QFETCH(QString, name);
        const int last = walks_.at(name).frames - 1;
        Stage stage;
        QCOMPARE(stage.open(path(name + ".avi")).code, 0);
        QRandomGenerator random(20240611);
        int expected = 0;
        for (int move = 0; move < 120; ++move) {
            const int kind = random.bounded(10);
            if (kind < 4) {
                send(media::stepCommand());
                expected = std::min(expected + 1, last);
            } else if (kind < 8) {
                send(media::stepReverseCommand());
                expected = std::max(expected - 1, 0);
            } else {
                expected = random.bounded(last + 1);
                send(media::seekCommand(expected));
            }
            QCOMPARE(stage.position(), expected);
            if (move % 3 != 1) // steps also pile up without an update between them
                QCOMPARE(stage.shownFrame(), expected);
        }
    }

    // Every frame from the last back to the first and forward again; both ends hold.
    void stepsBackAcrossKeyframes_data() { addWalks(); }
    void stepsBackAcrossKeyframes() {
        QFETCH(QString, name);
        const int last = walks_.at(name).frames - 1;
        Stage stage;
        QCOMPARE(stage.open(path(name + ".avi")).code, 0);
        send(media::seekCommand(last));
        for (int n = last; n >= 0; --n) {
            QCOMPARE(stage.shownFrame(), n);
            send(media::stepReverseCommand());
        }
        QCOMPARE(stage.shownFrame(), 0);
        for (int n = 1; n <= last + 1; ++n) {
            send(media::stepCommand());
            QCOMPARE(stage.shownFrame(), std::min(n, last));
        }
        QCOMPARE(stage.position(), last);
    }

    void playThenPauseLandsOnAnExactFrame_data() { addWalks(); }
    void playThenPauseLandsOnAnExactFrame() {
        QFETCH(QString, name);
        Stage stage;
        QCOMPARE(stage.open(path(name + ".avi")).code, 0);
        send(media::seekCommand(5));
        QCOMPARE(send(media::playCommand()).code, 0);
        QTRY_VERIFY(stage.position() > 12);
        QCOMPARE(send(media::pauseCommand()).code, 0);
        const int paused = stage.position();
        QCOMPARE(stage.shownFrame(), paused);
        send(media::stepCommand());
        QCOMPARE(stage.shownFrame(), paused + 1);
        send(media::stepReverseCommand());
        send(media::stepReverseCommand());
        QCOMPARE(stage.shownFrame(), paused - 1);
    }

    // What the generator writes, read with plain libavformat/libavcodec: every frame's
    // number in display order, empty chunks for dropped frames, the aspect ratio, and
    // B-frames exactly when asked for.
    void theGeneratorWritesWhatItSays_data() {
        QTest::addColumn<videogen::VideoSettings>("settings");
        const std::vector<int> drops{5, 6, 17, 59};
        QTest::newRow("mjpeg, drops")
            << videogen::VideoSettings{.frames = 60, .droppedFrames = drops};
        QTest::newRow("huffyuv") << videogen::VideoSettings{.codec = Codec::HuffYuv, .frames = 60};
        QTest::newRow("raw, wide") << videogen::VideoSettings{
            .codec = Codec::RawVideo, .width = 160, .frames = 60, .sarNum = 8, .sarDen = 9};
        QTest::newRow("mpeg4, B, drops") << videogen::VideoSettings{.codec = Codec::Mpeg4,
                                                                    .frames = 60,
                                                                    .gop = 25,
                                                                    .maxBFrames = 2,
                                                                    .droppedFrames = drops};
        QTest::newRow("mpeg4, anamorphic") << videogen::VideoSettings{.codec = Codec::Mpeg4,
                                                                      .width = 352,
                                                                      .height = 288,
                                                                      .frames = 60,
                                                                      .gop = 25,
                                                                      .maxBFrames = 2,
                                                                      .sarNum = 16,
                                                                      .sarDen = 11};
        QTest::newRow("h264, anamorphic") << videogen::VideoSettings{.codec = Codec::H264,
                                                                     .width = 352,
                                                                     .height = 288,
                                                                     .frames = 60,
                                                                     .gop = 25,
                                                                     .maxBFrames = 3,
                                                                     .sarNum = 12,
                                                                     .sarDen = 11};
    }
    void theGeneratorWritesWhatItSays() {
        QFETCH(videogen::VideoSettings, settings);
        if (!videogen::encoderAvailable(settings.codec))
            QSKIP("this FFmpeg has no such encoder");
        const std::string file = write("generated.avi", settings);
        QVERIFY(!file.empty());
        const std::vector<int>& dropped = settings.droppedFrames;
        std::vector<int> kept(60);
        std::iota(kept.begin(), kept.end(), 0);
        std::erase_if(kept, [&](int n) { return std::count(dropped.begin(), dropped.end(), n); });
        videogen::PlainDecoder decoder;
        QCOMPARE(decoder.open(file), std::string());
        QCOMPARE(int(decoder.stream()->nb_frames), 60);
        const AVRational streamSar = decoder.stream()->sample_aspect_ratio;
        QCOMPARE(streamSar.num * settings.sarDen, streamSar.den * settings.sarNum);
        std::vector<int> codes;
        bool sawB = false;
        while (const AVFrame* frame = decoder.nextFrame()) {
            codes.push_back(videogen::PlainDecoder::frameNumber(frame));
            sawB |= frame->pict_type == AV_PICTURE_TYPE_B;
        }
        QCOMPARE(codes, kept);
        QCOMPARE(sawB, settings.maxBFrames > 0);
        // A picture's timestamp is its place in the file, empty chunks counted.
        QCOMPARE(decoder.packetDts(), std::vector<std::int64_t>(kept.begin(), kept.end()));
        std::string error;
        const auto index = videogen::readAviVideoIndex(file, &error);
        QCOMPARE(int(index.size()), 60);
        const bool longGop = settings.maxBFrames > 0;
        int keyframes = 0;
        for (int n = 0; n < 60; ++n) {
            QCOMPARE(index[n].size == 0, !std::count(kept.begin(), kept.end(), n));
            keyframes += index[n].size > 0 && index[n].keyframe;
        }
        QVERIFY(index[0].keyframe);
        QCOMPARE(keyframes, longGop ? 3 : int(kept.size())); // every 25 frames, or every one
    }

    // Paths with blanks and Japanese names, and one that is gone.
    void pathsOpen() {
        Stage stage;
        for (const char* relative : {"my videos/ball throw.avi", "動画/落下実験.avi",
                                     "授業 の 動画/ボール 投げ上げ.avi"}) {
            const QString file = dir_.filePath(QString::fromUtf8(relative));
            QVERIFY(QDir().mkpath(QFileInfo(file).path()));
            QVERIFY(QFile::copy(QString::fromStdString(plain_), file) || QFile::exists(file));
            QCOMPARE(stage.open(file.toStdString()).code, 0);
            send(media::seekCommand(13));
            QCOMPARE(stage.shownFrame(), 13);
        }
        const std::string missing = path("nowhere/gone.avi");
        QCOMPARE(Module1::GetShortName(missing), std::string());
        QCOMPARE(stage.open(missing).code, kErrMissingFileName);
        QCOMPARE(send("open " + missing + " alias avfile").code, kErrFileNotFound);
        QCOMPARE(send("open " + dir_.path().toStdString() + " alias avfile").code,
                 kErrFileNotFound);
    }

    // 40,000 tiny frames: the length and positions past 16 bits, a square picture
    // pillarboxed; dropped frames take their place and show the picture before them.
    void lengthsAndDroppedFrames() {
        const std::string longer = write("long.avi", {.width = 16, .height = 16, .frames = 40000});
        Stage stage;
        QCOMPARE(stage.open(longer).code, 0);
        QCOMPARE(send(media::statusLengthCommand()).text, std::string("40000"));
        const QRect square(40, 0, 240, 240);
        send(media::seekCommand(39999));
        QCOMPARE(stage.shownFrame(square), 39999);
        send(media::stepReverseCommand());
        QCOMPARE(stage.shownFrame(square), 39998);
        send(media::seekCommand(32768));
        send(media::stepCommand());
        QCOMPARE(send(media::statusPositionCommand()).text, std::string("32769"));
        QCOMPARE(stage.shownFrame(square), 32769);

        QCOMPARE(
            stage.open(write("dropped.avi", {.frames = 16, .droppedFrames = {3, 4, 10, 15}})).code,
            0);
        QCOMPARE(send(media::statusLengthCommand()).text, std::string("16"));
        for (const auto& [at, picture] :
             {std::pair{2, 2}, {3, 2}, {4, 2}, {5, 5}, {10, 9}, {15, 14}}) {
            send(media::seekCommand(at));
            QCOMPARE(stage.position(), at);
            QCOMPARE(stage.shownFrame(), picture);
        }
        send(media::seekCommand(2));
        for (int picture : {2, 2, 5, 6}) {
            send(media::stepCommand());
            QCOMPARE(stage.shownFrame(), picture);
        }
    }

    // Frames are counted in display order whatever timestamps another container holds.
    void otherContainers_data() {
        QTest::addColumn<int>("codec");
        QTest::addColumn<QString>("extension");
        QTest::newRow("MJPEG in Matroska") << int(Codec::Mjpeg) << "mkv";
        QTest::newRow("MJPEG in QuickTime") << int(Codec::Mjpeg) << "mov";
        QTest::newRow("MPEG-4 B-frames in MP4") << int(Codec::Mpeg4) << "mp4";
        QTest::newRow("H.264 B-frames in Matroska") << int(Codec::H264) << "mkv";
    }
    void otherContainers() {
        QFETCH(int, codec);
        QFETCH(QString, extension);
        if (!videogen::encoderAvailable(Codec(codec)))
            QSKIP("this FFmpeg has no such encoder");
        const std::string avi = write(
            "container.avi", {.codec = Codec(codec), .frames = 60, .gop = 25, .maxBFrames = 2});
        const std::string other = path("container." + extension);
        QCOMPARE(mediatest::remuxVideo(avi, other), std::string());
        Stage stage;
        QCOMPARE(stage.open(other).code, 0);
        QCOMPARE(send(media::statusLengthCommand()).text, std::string("60"));
        for (int n : {0, 1, 24, 25, 26, 27, 51, 59, 33}) {
            send(media::seekCommand(n));
            QCOMPARE(stage.shownFrame(), n);
        }
        send(media::stepReverseCommand());
        QCOMPARE(stage.shownFrame(), 32);
    }

    // Scaled to the video area keeping the display aspect ratio, black bars elsewhere.
    void picturesKeepTheirShape_data() {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QSize>("sar");
        QTest::addColumn<QRect>("displayed");
        QTest::newRow("4:3 fills") << QSize(320, 240) << QSize(1, 1) << QRect(0, 0, 320, 240);
        QTest::newRow("16:9 letterboxed")
            << QSize(320, 180) << QSize(1, 1) << QRect(0, 30, 320, 180);
        QTest::newRow("wide by sample aspect")
            << QSize(240, 180) << QSize(4, 3) << QRect(0, 30, 320, 180);
        QTest::newRow("portrait pillarboxed")
            << QSize(180, 240) << QSize(1, 1) << QRect(70, 0, 180, 240);
    }
    void picturesKeepTheirShape() {
        QFETCH(QSize, size);
        QFETCH(QSize, sar);
        QFETCH(QRect, displayed);
        Stage stage;
        QCOMPARE(stage
                     .open(write("shape.avi", {.width = size.width(),
                                               .height = size.height(),
                                               .frames = 8,
                                               .sarNum = sar.width(),
                                               .sarDen = sar.height()}))
                     .code,
                 0);
        send(media::seekCommand(5));
        QCOMPARE(stage.shownFrame(displayed), 5);
        const QImage& image = stage.target().image();
        const auto black = [&](int x, int y) { return qGray(image.pixel(x, y)) < 16; };
        QCOMPARE(black(160, displayed.top() / 2), displayed.top() > 0);
        QCOMPARE(black(displayed.left() / 2, 120), displayed.left() > 0);
        QVERIFY(!black(displayed.left() + 2, displayed.top() + 2));
    }

    // The video window: a child at the parent's top-left, at the file's own size until a
    // destination is put (at most as large as a screen, whatever the file claims), gone with
    // the device. The parent may go first.
    void theVideoWindow() {
        Stage stage;
        QCOMPARE(send(media::openCommand(Module1::GetShortName(plain_), stage.parentHandle())).code,
                 0);
        QWidget* window = stage.video().clientArea()->findChild<QWidget*>();
        QVERIFY(window && window->isVisible());
        QCOMPARE(window->geometry(), QRect(0, 0, 320, 240));
        QCOMPARE(send(media::putDestinationCommand(160, 120)).code, 0);
        QCOMPARE(window->geometry(), QRect(0, 0, 160, 120));
        send(media::seekCommand(9));
        QTRY_COMPARE(videogen::readFrameCode(window->grab().toImage(), QRect(0, 0, 160, 120)), 9);
        send(media::closeCommand());
        QVERIFY(stage.video().clientArea()->findChildren<QWidget*>().isEmpty());

        QByteArray bytes = support::readFile(QString::fromStdString(write(
            "aspect.avi", {.width = 32, .height = 24, .frames = 4, .sarNum = 4, .sarDen = 3})));
        // The video properties header: a frame aspect of 65535:1 (denominator low).
        const qsizetype aspect = bytes.indexOf("vprp") + 8 + 20;
        QVERIFY(aspect > 28);
        bytes.replace(aspect, 4, QByteArray("\x01\x00\xff\xff", 4));
        QVERIFY(support::writeFile(dir_.filePath("absurd.avi"), bytes));
        QCOMPARE(send(media::openCommand(path("absurd.avi"), stage.parentHandle())).code, 0);
        QCOMPARE(stage.video().clientArea()->findChild<QWidget*>()->size(), QSize(4096, 1));
        QCOMPARE(send(media::updateCommand(stage.targetHandle())).code, 0);

        auto parent = std::make_unique<toolkit::PictureBox>();
        QCOMPARE(stage.open(plain_).code, 0);
        send(media::closeCommand());
        QCOMPARE(send(media::openCommand(Module1::GetShortName(plain_), parent->hWnd())).code, 0);
        send(media::playCommand());
        parent.reset();
        send(media::pauseCommand());
        send(media::seekCommand(4));
        QCOMPARE(stage.shownFrame(), 4);
    }

    // One B-frame no other picture refers to, overwritten with noise: the decoder gives no
    // picture for it, and the frames after it keep their numbers.
    void damagedPictures() {
        const std::string source = write("bframes.avi", {.codec = Codec::Mpeg4,
                                                         .width = 160,
                                                         .height = 120,
                                                         .frames = 90,
                                                         .gop = 40,
                                                         .maxBFrames = 2});
        QByteArray bytes = support::readFile(QString::fromStdString(source));
        std::string error;
        const auto index = videogen::readAviVideoIndex(source, &error);
        QVERIFY2(!index.empty(), error.c_str());
        // A B-frame's picture header: the VOP start code, then coding type 2 in the top bits.
        const auto damaged = std::find_if(index.begin() + 55, index.end(), [&](const auto& e) {
            const QByteArray payload = bytes.mid(qsizetype(e.offset), e.size);
            const qsizetype vop = payload.indexOf(QByteArray("\0\0\1\xb6", 4));
            return vop >= 0 && vop + 4 < payload.size() && (quint8(payload[vop + 4]) >> 6) == 2;
        });
        QVERIFY(damaged != index.end());
        QRandomGenerator noise(5);
        for (quint32 i = 0; i < damaged->size; ++i)
            bytes[qsizetype(damaged->offset + i)] = char(noise.bounded(256));
        QVERIFY(support::writeFile(dir_.filePath("rejected.avi"), bytes));
        Stage stage;
        QCOMPARE(stage.open(path("rejected.avi")).code, 0);
        std::map<int, std::set<int>> shown; // frame -> what showed for it, seeking and stepping
        for (int n = 0; n < 90; ++n) {
            send(media::seekCommand(n));
            shown[n].insert(stage.shownFrame());
        }
        send(media::seekCommand(0));
        for (int n = 1; n < 90; ++n) {
            send(media::stepCommand());
            shown[n].insert(stage.shownFrame());
        }
        for (int n = 88; n >= 0; --n) {
            send(media::stepReverseCommand());
            shown[n].insert(stage.shownFrame());
        }
        int wrong = 0;
        for (const auto& [n, pictures] : shown) {
            if (pictures == std::set<int>{n})
                continue;
            ++wrong;
            for (int picture : pictures)
                QVERIFY2(picture == n - 1 || picture == n + 1,
                         qPrintable(QStringLiteral("frame %1 showed %2").arg(n).arg(picture)));
        }
        QCOMPARE(wrong, 1);
    }

    // A picture the worker cannot scale is given up: it does not decode the same pictures
    // again and again while the user pauses.
    void anUnscalablePictureIsGivenUp() {
        std::atomic<int> idle = 0;
        struct Planted {
            explicit Planted(std::atomic<int>& idle) {
                workerSeams() = {[] { return true; }, [&idle] { ++idle; }};
            }
            ~Planted() { workerSeams() = {}; }
        };
        const std::string file = write(
            "unscalable.avi", {.codec = Codec::Mpeg4, .frames = 60, .gop = 30, .maxBFrames = 2});
        {
            const Planted fault(idle);
            Stage stage;
            QCOMPARE(stage.open(file).code, 0);
            send(media::seekCommand(20));
            QCOMPARE(stage.shownFrame(), -1); // black
            QTRY_VERIFY(idle > 0);
        }
        Stage stage;
        QCOMPARE(stage.open(file).code, 0);
        send(media::seekCommand(20));
        QCOMPARE(stage.shownFrame(), 20);
    }

    // A command the device refuses beeps once, gives its text and changes nothing; the
    // length is the end position, showing the last frame.
    void deviceErrors() {
        Stage stage;
        QCOMPARE(stage.open(plain_).code, 0);
        const std::string plain = plain_;
        const std::pair<std::string, int> rows[] = {
            {"seek avfile to  21", kErrOutOfRange},
            {"update avfile hdc 99999", kErrBadDeviceContext},
            {"status video position", kErrNoDevice},
            {"open " + plain + " alias avfile", kErrAliasInUse},
            {"open " + plain + " alias other parent 99999", kErrBadWindow},
            {"step avfile by x", kErrBadParameter}};
        for (const auto& [command, code] : rows) {
            send(media::seekCommand(6));
            beeps_ = 0;
            const mediatest::Reply reply = send(command);
            QCOMPARE(reply.code, code);
            QCOMPARE(reply.text, std::string(errorMessage(code)));
            QCOMPARE(beeps_, 1);
            QCOMPARE(stage.position(), 6);
            QCOMPARE(stage.shownFrame(), 6);
        }
        QCOMPARE(send(media::seekCommand(20)).code, 0);
        QCOMPARE(stage.position(), 20);
        QCOMPARE(stage.shownFrame(), 19);
        send(media::stepCommand());
        QCOMPARE(stage.position(), 20);
        send(media::stepReverseCommand());
        QCOMPARE(stage.position(), 19);
        // Left open on purpose: the service closes it when the application goes away.
        auto* parent = new toolkit::PictureBox;
        QCOMPARE(
            send("open " + plain + " alias leftopen parent " + std::to_string(parent->hWnd())).code,
            0);
        QCOMPARE(send("play leftopen window").code, 0);
    }
};

QTEST_MAIN(MediaTest)
#include "test_media.moc"
