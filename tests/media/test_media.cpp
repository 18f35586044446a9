// The media service on videos generated at test time: exact frames whatever the codec's
// decode order, what it makes of files and containers, and its answers to commands.
#include "media/mci_channel.h"
#include "media/mci_commands.h"
#include "media/service/commands/error_codes.h"
#include "media/service/container/index_building.h"
#include "media/service/decode_worker.h"
#include "media/service/media_service.h"
#include "support/media_stage.h"
#include "support/reference_pictures.h"
#include "support/support.h"
#include "toolkit/dialogs.h"
#include "videogen/frame_code.h"
#include "videogen/plain_decoder.h"

#include <QApplication>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProgressDialog>
#include <QPushButton>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTimer>
#include <QtTest>
#include <atomic>
#include <map>
#include <numeric>
#include <set>
#include <thread>

extern "C" {
#include <libavformat/avformat.h>
}

Q_DECLARE_METATYPE(videogen::VideoSettings)

namespace {

// The real clips: UGOKI_REAL_CLIPS, else the shared folder beside the project.
QString realClipsFolder() {
    const QString set = qEnvironmentVariable("UGOKI_REAL_CLIPS");
    return set.isEmpty() ? QStringLiteral(UGOKI_REAL_CLIPS) : set;
}

// The frame code under a faint grain that changes with every picture: pictures of a few
// pack sizes, as a camera's are, so that a seek can land in a pack shared by two of them.
void paintCodeOnGrain(QImage& image, int n) {
    videogen::paintFrameCode(image, n);
    QRandomGenerator grain{quint32(n)};
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int d = int(grain.bounded(7)) - 3;
            const auto add = [d](int v) { return std::clamp(v + d, 0, 255); };
            row[x] = qRgb(add(qRed(row[x])), add(qGreen(row[x])), add(qBlue(row[x])));
        }
    }
}

} // namespace

using mediatest::send;
using mediatest::Stage;
using videogen::Codec;
using namespace media::service;

// A generated video that the walks step through: its pictures carry their frame numbers.
struct Walk {
    videogen::VideoSettings settings;
    std::vector<int> shows; // the frame numbers a plain decode shows, where not all written
    int length() const {
        return shows.empty() ? settings.frames - settings.cutFrames : int(shows.size());
    }
    // The frame number shown at a position.
    int code(int position) const {
        return shows.empty() ? position + settings.cutFrames
                             : shows[std::size_t(std::clamp(position, 0, length() - 1))];
    }
    // Where the upright picture sits in the video area.
    QRect displayed() const {
        const bool sideways = settings.rotation % 180 != 0;
        const QSizeF stored(settings.width * double(settings.sarNum) / settings.sarDen,
                            settings.height);
        return mediatest::placeInVideoArea(sideways ? stored.transposed() : stored);
    }
    // Positions where a keyframe's picture shows.
    std::vector<int> keyframes() const {
        const bool longGop = settings.codec != Codec::Mjpeg && settings.codec != Codec::RawVideo;
        const int gop = longGop ? settings.gop : 16;
        std::vector<int> at{0};
        for (int n = gop; n < settings.frames; n += gop)
            if (n >= settings.cutFrames && n - settings.cutFrames < length())
                at.push_back(n - settings.cutFrames);
        return at;
    }
};

// Seams planted by a test, taken out when it ends: declared before the Stage, so that the
// worker reading them has gone by then.
struct RestoredSeams {
    ~RestoredSeams() {
        workerSeams() = {};
        setPresentHook(nullptr);
    }
};

class MediaTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    std::map<QString, Walk> walks_; // by file name
    std::string plain_;
    int beeps_ = 0;

    std::string path(const QString& name) const { return dir_.filePath(name).toStdString(); }
    std::string write(const QString& name, const videogen::VideoSettings& settings) {
        return mediatest::writeVideo(dir_.path(), name.toStdString(), settings);
    }
    void addWalks() {
        QTest::addColumn<QString>("name");
        for (const auto& [name, walk] : walks_)
            QTest::newRow(qPrintable(name)) << name;
    }

  private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        toolkit::setBeepHandler([this] { ++beeps_; });
        plain_ = write("plain.avi", {.frames = 20});
        // Long GOPs with B-frames: decode order differs from display order, and a keyframe
        // can be stored before pictures displayed ahead of it. Then the shapes phones,
        // cameras and browsers write: turned and mirrored pictures, edit lists, variable
        // rates, open GOPs, transport and program streams, WebM, Matroska, ASF.
        const std::pair<const char*, videogen::VideoSettings> walks[] = {
            {"mjpeg.avi", {.codec = Codec::Mjpeg}},
            {"raw.avi", {.codec = Codec::RawVideo}},
            {"mpeg4.avi", {.codec = Codec::Mpeg4, .gop = 40, .maxBFrames = 2}},
            {"h264.avi", {.codec = Codec::H264, .gop = 40, .maxBFrames = 3}},
            {"hevc-portrait.mov",
             {.codec = Codec::Hevc,
              .width = 192,
              .height = 108,
              .frames = 90,
              .gop = 30,
              .maxBFrames = 3,
              .rotation = -90}},
            {"h264-selfie.mp4",
             {.codec = Codec::H264,
              .width = 192,
              .height = 108,
              .frames = 90,
              .gop = 25,
              .maxBFrames = 2,
              .rotation = 90,
              .mirrored = true}},
            {"h264-cut-vfr.mp4",
             {.codec = Codec::H264,
              .frames = 90,
              .gop = 30,
              .maxBFrames = 3,
              .cutFrames = 7,
              .timeJitter = 2}},
            {"h264.mts", {.codec = Codec::H264, .frames = 90, .gop = 30, .maxBFrames = 3}},
            {"mpeg2.mpg", {.codec = Codec::Mpeg2, .frames = 90, .gop = 15, .maxBFrames = 2}},
            {"mpeg2.ts", {.codec = Codec::Mpeg2, .frames = 90, .gop = 15, .maxBFrames = 2}},
            {"mpeg2-dvd.mpg",
             {.codec = Codec::Mpeg2,
              .width = 720,
              .height = 480,
              .frames = 60,
              .fpsNum = 30000,
              .fpsDen = 1001,
              .gop = 15,
              .maxBFrames = 2,
              .painter = paintCodeOnGrain}},
            {"h264-fragments.mp4",
             {.codec = Codec::H264,
              .frames = 90,
              .gop = 30,
              .maxBFrames = 2,
              .movFlags = "frag_keyframe+empty_moov+default_base_moof"}},
            // Opening indexes only the fragments a segment index leads to.
            {"h264-fragments-sidx.mp4",
             {.codec = Codec::H264,
              .frames = 90,
              .gop = 30,
              .maxBFrames = 2,
              .movFlags = "frag_keyframe+empty_moov+default_base_moof+global_sidx"}},
            {"vp9.webm", {.codec = Codec::Vp9, .frames = 90, .gop = 30}},
            {"av1.mkv", {.codec = Codec::Av1, .frames = 60, .gop = 30}},
            {"wmv2.wmv", {.codec = Codec::Wmv2, .frames = 90, .gop = 30}}};
        for (auto [name, settings] : walks) {
            if (QString(name).endsWith(".avi")) {
                settings.width = 160;
                settings.height = 120;
                settings.frames = 170;
            } else if (settings.width == videogen::VideoSettings{}.width) {
                settings.width = 160;
                settings.height = 120;
            }
            if (videogen::encoderAvailable(settings.codec) && !write(name, settings).empty())
                walks_[name] = {settings, {}};
        }
        // Cut short inside a packet near the end, as a download that stopped: a plain decode
        // shows a cut picture where the decoder makes one of it, and nothing where not.
        const std::pair<const char*, videogen::VideoSettings> cutShort[] = {
            {"h264-cut-short.mp4", {.codec = Codec::H264, .movFlags = "faststart"}},
            {"mpeg4-cut-short.mp4", {.codec = Codec::Mpeg4, .movFlags = "faststart"}},
            {"h264-fragments-cut-short.mp4",
             {.codec = Codec::H264, .movFlags = "frag_keyframe+empty_moov+default_base_moof"}}};
        for (auto [name, settings] : cutShort) {
            settings.width = 160;
            settings.height = 120;
            settings.frames = 60;
            settings.gop = 15;
            settings.maxBFrames = 2;
            const std::string file = write(name, settings);
            QVERIFY(!file.empty() &&
                    QFile::resize(QString::fromStdString(file),
                                  QFileInfo(QString::fromStdString(file)).size() * 9 / 10));
            Walk walk{settings, {}};
            videogen::PlainDecoder decoder;
            QCOMPARE(decoder.open(file), std::string());
            while (const AVFrame* frame = decoder.nextFrame())
                walk.shows.push_back(videogen::PlainDecoder::frameNumber(frame));
            QVERIFY2(walk.length() > 0 && walk.length() < settings.frames, name);
            walks_[name] = walk;
        }
    }
    void init() { beeps_ = 0; }

    // Each keyframe and the frames around it, sought from far away on a fresh device, then
    // their neighbours by a step each way.
    void seeksAroundEveryKeyframe_data() { addWalks(); }
    void seeksAroundEveryKeyframe() {
        QFETCH(QString, name);
        const Walk& walk = walks_.at(name);
        const int length = walk.length();
        const QRect shown = walk.displayed();
        Stage stage;
        QCOMPARE(stage.open(path(name)).code, 0);
        QCOMPARE(media::readNumericReply(send(media::statusLengthCommand()).text), length);
        for (int keyframe : walk.keyframes()) {
            for (int n = std::max(keyframe - 3, 0); n <= std::min(keyframe + 3, length - 1); ++n) {
                QCOMPARE(stage.open(path(name)).code, 0);
                const int far = n + length / 2 < length ? n + length / 2 : n - length / 2;
                send(media::seekCommand(far));
                QCOMPARE(stage.shownFrame(shown), walk.code(far));
                QCOMPARE(send(media::seekCommand(n)).code, 0);
                QCOMPARE(stage.position(), n);
                QCOMPARE(stage.shownFrame(shown), walk.code(n));
                if (n > 0) {
                    send(media::stepReverseCommand());
                    QCOMPARE(stage.shownFrame(shown), walk.code(n - 1));
                    send(media::stepCommand());
                }
                send(media::stepCommand());
                QCOMPARE(stage.shownFrame(shown), walk.code(std::min(n + 1, length - 1)));
            }
        }
    }

    void randomWalk_data() { addWalks(); }
    void randomWalk() {
        QFETCH(QString, name);
        const Walk& walk = walks_.at(name);
        const int last = walk.length() - 1;
        Stage stage;
        QCOMPARE(stage.open(path(name)).code, 0);
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
                QCOMPARE(stage.shownFrame(walk.displayed()), walk.code(expected));
        }
    }

    // Every frame from the last back to the first and forward again; both ends hold.
    void stepsBackAcrossKeyframes_data() { addWalks(); }
    void stepsBackAcrossKeyframes() {
        QFETCH(QString, name);
        const Walk& walk = walks_.at(name);
        const int last = walk.length() - 1;
        const QRect shown = walk.displayed();
        Stage stage;
        QCOMPARE(stage.open(path(name)).code, 0);
        send(media::seekCommand(last));
        for (int n = last; n >= 0; --n) {
            QCOMPARE(stage.shownFrame(shown), walk.code(n));
            send(media::stepReverseCommand());
        }
        QCOMPARE(stage.shownFrame(shown), walk.code(0));
        for (int n = 1; n <= last + 1; ++n) {
            send(media::stepCommand());
            QCOMPARE(stage.shownFrame(shown), walk.code(std::min(n, last)));
        }
        QCOMPARE(stage.position(), last);
    }

    void playThenPauseLandsOnAnExactFrame_data() { addWalks(); }
    void playThenPauseLandsOnAnExactFrame() {
        QFETCH(QString, name);
        const Walk& walk = walks_.at(name);
        const QRect shown = walk.displayed();
        Stage stage;
        QCOMPARE(stage.open(path(name)).code, 0);
        send(media::seekCommand(5));
        QCOMPARE(send(media::playCommand()).code, 0);
        QTRY_VERIFY(stage.position() > 12);
        QCOMPARE(send(media::pauseCommand()).code, 0);
        const int paused = stage.position();
        QCOMPARE(stage.shownFrame(shown), walk.code(paused));
        send(media::stepCommand());
        QCOMPARE(stage.shownFrame(shown), walk.code(paused + 1));
        send(media::stepReverseCommand());
        send(media::stepReverseCommand());
        QCOMPARE(stage.shownFrame(shown), walk.code(paused - 1));
    }

    // The clips phones, cameras and browsers wrote (../shared/real-modern, where present):
    // each opens with the length the ffmpeg tool shows and says the rate it was filmed at;
    // every picture tried, after jumps, steps back across keyframes and steps forward, is the
    // one the ffmpeg tool shows there, turned upright.
    void realClips_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("pictures");
        QTest::addColumn<QSizeF>("stored");
        QTest::addColumn<int>("quarters");
        QTest::addColumn<double>("filmedAt");
        QFile manifest(realClipsFolder() + "/manifest.json");
        if (!manifest.open(QIODevice::ReadOnly)) {
            QTest::newRow("no clips here") << QString() << 0 << QSizeF() << 0 << 0.0;
            return;
        }
        const auto ratio = [](const QString& text) {
            const QStringList parts = text.split(QRegularExpression("[:/]"));
            const double den = parts.value(1).toDouble();
            return parts.size() == 2 && den > 0 ? parts[0].toDouble() / den : 0.0;
        };
        for (const QJsonValue& value :
             QJsonDocument::fromJson(manifest.readAll())["files"].toArray()) {
            const QJsonObject clip = value.toObject();
            const QString file = clip["file"].toString();
            const double sar = ratio(clip["sample_aspect_ratio"].toString());
            const int rotation = clip["rotation_display_matrix"].toInt(0);
            const double captured =
                clip["format_tags"]["com.android.capture.fps"].toString().toDouble();
            const double average = ratio(clip["avg_frame_rate"].toString());
            QTest::newRow(qPrintable(file))
                << file << clip["nb_read_frames"].toInt()
                << QSizeF(clip["width"].toInt() * (sar > 0 ? sar : 1.0), clip["height"].toInt())
                << (-rotation / 90 % 4 + 4) % 4
                << (captured > 0  ? captured
                    : average > 0 ? average
                                  : clip["measured_fps_mean"].toDouble());
        }
    }
    void realClips() {
        QFETCH(QString, file);
        QFETCH(int, pictures);
        QFETCH(QSizeF, stored);
        QFETCH(int, quarters);
        QFETCH(double, filmedAt);
        const std::string clip = QDir(realClipsFolder()).filePath(file).toStdString();
        if (file.isEmpty() || !QFileInfo::exists(QString::fromStdString(clip)))
            QSKIP("the clip is not here");
        Stage stage;
        const mediatest::ReferencePictures reference = mediatest::referencePictures(
            clip, {.stored = stored, .quarters = quarters}, stage.target().image().size());
        QVERIFY2(reference.error.empty(), reference.error.c_str());
        QCOMPARE(int(reference.thumbnails.size()), pictures); // what the ffmpeg tool shows
        QCOMPARE(stage.open(clip).code, 0);
        QCOMPARE(media::readNumericReply(send(media::statusLengthCommand()).text), pictures);
        const double rate =
            media::readNumericReply(send(media::statusNominalFrameRateCommand()).text) / 1000.0;
        QVERIFY2(std::abs(rate / filmedAt - 1) < 0.01, qPrintable(QString::number(rate)));
        const int last = pictures - 1;
        const auto check = [&](int n) {
            stage.target().clear();
            send(media::updateCommand(stage.targetHandle()));
            const double off = mediatest::distance(mediatest::thumbnail(stage.target().image()),
                                                   reference.thumbnails[std::size_t(n)]);
            return off < 2.5 ? QString()
                             : QStringLiteral("position %1: %2 grey levels off").arg(n).arg(off);
        };
        // Jumps as the slider makes them, from far away.
        for (int n = 0; n <= last; n += std::max(1, pictures / 16)) {
            send(media::seekCommand(n > last / 2 ? 0 : last));
            send(media::seekCommand(n));
            const QString wrong = check(n);
            QVERIFY2(wrong.isEmpty(), qPrintable(wrong));
        }
        send(media::seekCommand(last));
        for (int n = last; n >= std::max(0, last - 40); --n) {
            const QString wrong = check(n);
            QVERIFY2(wrong.isEmpty(), qPrintable("back: " + wrong));
            send(media::stepReverseCommand());
        }
        send(media::seekCommand(0));
        for (int n = 0; n <= std::min(last, 40); ++n) {
            const QString wrong = check(n);
            QVERIFY2(wrong.isEmpty(), qPrintable("forward: " + wrong));
            send(media::stepCommand());
        }
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

    // The walk over an MP4 file's top-level boxes that tells whether its pictures lie in
    // movie fragments, on hand-made boxes.
    void movieFragments_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("fragments");
        const auto box = [](const char* type, const QByteArray& body) {
            QByteArray out;
            QDataStream(&out, QIODevice::WriteOnly) << quint32(8 + body.size());
            return out + type + body;
        };
        const auto box64 = [](const char* type, const QByteArray& body) {
            QByteArray out;
            QDataStream(&out, QIODevice::WriteOnly) << quint32(1);
            QByteArray size;
            QDataStream(&size, QIODevice::WriteOnly) << quint64(16 + body.size());
            return out + type + size + body;
        };
        const QByteArray ftyp = box("ftyp", "isom\0\0\0\0");
        const QByteArray mvhd = box("mvhd", QByteArray(100, '\0'));
        const QByteArray data = box("mdat", QByteArray(64, 'x'));
        QTest::newRow("one movie box") << ftyp + box("moov", mvhd) + data << false;
        QTest::newRow("movie box expecting fragments")
            << ftyp + box("moov", mvhd + box("mvex", box("trex", QByteArray(24, '\0')))) << true;
        QTest::newRow("fragment after the movie box")
            << ftyp + box("moov", mvhd) + box("moof", box("mfhd", QByteArray(8, '\0'))) + data
            << true;
        QTest::newRow("64-bit sizes")
            << ftyp + box64("moov", mvhd) + box64("mdat", "xx") + box("moof", {}) << true;
        QTest::newRow("expecting fragments in a 64-bit movie box")
            << ftyp + box64("moov", box("mvex", {})) << true;
        QByteArray toTheEnd = box("mdat", "xx") + box("moof", {});
        toTheEnd[3] = 0; // a size of 0 runs to the end of the file: what follows is its data
        QTest::newRow("data to the end") << ftyp + box("moov", mvhd) + toTheEnd << false;
        QTest::newRow("cut inside a header")
            << ftyp + box("moov", mvhd) + QByteArray("\0\0") << false;
        QTest::newRow("cut inside a 64-bit size") << ftyp + box64("moov", mvhd).left(12) << false;
        QByteArray tooSmall = box("free", {}) + box("moof", {});
        tooSmall[3] = 4; // smaller than its own header
        QTest::newRow("size below the header") << ftyp + tooSmall << false;
    }
    void movieFragments() {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, fragments);
        QFile file(dir_.filePath("boxes.mp4"));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
        file.close();
        QCOMPARE(hasMovieFragments(file.fileName().toStdString()), fragments);
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

    // Playback that falls behind skips the pictures no other refers to; none of the pictures
    // standing in for them is kept, so every frame shows its own picture afterwards.
    void playbackCatchingUp_data() {
        QTest::addColumn<QString>("name");
        for (const char* name : {"h264.avi", "h264-cut-vfr.mp4", "hevc-portrait.mov"})
            if (walks_.count(name))
                QTest::newRow(name) << QString(name);
    }
    void playbackCatchingUp() {
        QFETCH(QString, name);
        const Walk& walk = walks_.at(name);
        const QRect shown = walk.displayed();
        struct Behind {
            Behind() {
                workerSeams().behind = [] { return true; };
            }
            ~Behind() { workerSeams() = {}; }
        };
        Stage stage;
        int paused = 0;
        {
            const Behind behind;
            QCOMPARE(stage.open(path(name)).code, 0);
            send(media::playCommand());
            QTRY_VERIFY(stage.position() > walk.length() / 2);
            send(media::pauseCommand());
            paused = stage.position();
            QCOMPARE(stage.shownFrame(shown), walk.code(paused));
        }
        // The decoder had pictures on their way, some of them skipped.
        for (int n = paused + 1; n < std::min(paused + 4, walk.length()); ++n) {
            send(media::stepCommand());
            QCOMPARE(stage.shownFrame(shown), walk.code(n));
        }
        for (int n = walk.length() - 1; n >= 0; n -= 3) {
            send(media::seekCommand(n));
            QCOMPARE(stage.shownFrame(shown), walk.code(n));
        }
        send(media::seekCommand(0));
        for (int n = 1; n < walk.length(); ++n) {
            send(media::stepCommand());
            QCOMPARE(stage.shownFrame(shown), walk.code(n));
        }
    }

    // A decoder slower than the video still moves playback on: a late picture is shown
    // rather than the window standing still until the end.
    void playbackSlowerThanTheVideo() {
        const char* name = "h264.avi";
        if (!walks_.count(name))
            QSKIP("no H.264 encoder here");
        const Walk& walk = walks_.at(name);
        const RestoredSeams restore; // after the worker has gone
        workerSeams().decoding = [] { std::this_thread::sleep_for(std::chrono::milliseconds(60)); };
        Stage stage;
        QCOMPARE(stage.open(path(name)).code, 0);
        send(media::playCommand());
        QTRY_VERIFY(stage.position() > 10);
        send(media::pauseCommand());
        const int paused = stage.position();
        QVERIFY(paused < walk.length() - 1); // shown on its way, not only at the end
        QCOMPARE(stage.shownFrame(walk.displayed()), walk.code(paused));
    }

    // While playing, pictures are made ahead and a thread of their own shows each at its
    // time: a decoder held up on one picture (a 4K keyframe) does not hold up those before it.
    void playbackRidesOutASlowPicture() {
        const Walk& walk = walks_.at("mjpeg.avi");
        std::atomic<int> decodes = 0;
        std::atomic<bool> holding = false;
        std::atomic<bool> released = false;
        std::atomic<int> shownWhileHeld = 0;
        const RestoredSeams restore;
        workerSeams().decoding = [&] {
            if (++decodes != 8)
                return;
            holding = true;
            const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(20);
            while (!released && std::chrono::steady_clock::now() < giveUp)
                std::this_thread::yield();
        };
        setPresentHook([&](std::int64_t) {
            if (holding && !released)
                ++shownWhileHeld;
        });
        Stage stage;
        QCOMPARE(stage.open(path("mjpeg.avi")).code, 0);
        send(media::playCommand());
        QTRY_VERIFY(shownWhileHeld >= 3);
        released = true;
        send(media::pauseCommand());
        const int paused = stage.position();
        QCOMPARE(stage.shownFrame(walk.displayed()), walk.code(paused));
    }

    // A file read through as it opens (no index in a transport stream) keeps the windows
    // painted; after half a second a dialog shows how far it got, and cancelling it refuses
    // the file with its own reason.
    void aLongReadShowsItsProgress() {
        const std::string stream = path("h264.mts");
        if (!walks_.count("h264.mts"))
            QSKIP("no H.264 encoder here");
        std::atomic<bool> seen = false;
        QString label;
        QTimer look;
        connect(&look, &QTimer::timeout, [&] {
            if (auto* dialog = qobject_cast<QProgressDialog*>(QApplication::activeModalWidget())) {
                label = dialog->labelText();
                seen = true;
                dialog->findChild<QPushButton*>()->click();
            }
        });
        look.start(20);
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        readingSeam() = [&] {
            while (!seen && std::chrono::steady_clock::now() < giveUp)
                std::this_thread::yield();
        };
        Stage stage;
        const mediatest::Reply refused = stage.open(stream);
        readingSeam() = nullptr;
        QCOMPARE(label, QStringLiteral("映像を読み込んでいます…"));
        QCOMPARE(refused.code, kErrCancelled);
        QCOMPARE(refused.text, std::string(errorMessage(kErrCancelled)));
        QCOMPARE(stage.open(stream).code, 0);
    }

    // A picture the worker cannot scale is given up: it does not decode the same pictures
    // again and again while the user pauses.
    void anUnscalablePictureIsGivenUp() {
        std::atomic<int> idle = 0;
        struct Planted {
            explicit Planted(std::atomic<int>& idle) {
                workerSeams() = {[] { return true; }, [&idle] { ++idle; }, nullptr, nullptr};
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
