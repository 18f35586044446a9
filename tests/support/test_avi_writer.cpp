#include "support/decoded_video.h"
#include "videogen/avi_index.h"
#include "videogen/avi_writer.h"
#include "videogen/frame_code.h"

#include <QPainter>
#include <QTemporaryDir>
#include <QtTest>
#include <numeric>

extern "C" {
#include <libavutil/log.h>
}

Q_DECLARE_METATYPE(videogen::Codec)

using videogen::Codec;

// Every generated file is read back with plain libavformat/libavcodec, not the media
// service, so the service's tests can trust what the files hold.
class TestAviWriter : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void everyFrameDecodesToItsNumber_data();
    void everyFrameDecodesToItsNumber();
    void droppedFramesAreEmptyChunks_data();
    void droppedFramesAreEmptyChunks();
    void writesManyFramesPastSixteenBits();
    void paintsWithTheGivenPainter();
    void refusesWhatCannotBeWritten_data();
    void refusesWhatCannotBeWritten();
    void indexReaderRefusesOtherFiles();

  private:
    std::string path(const char* name) const { return dir_.filePath(name).toStdString(); }
    QTemporaryDir dir_;
};

void TestAviWriter::initTestCase() {
    QVERIFY(dir_.isValid());
}

void TestAviWriter::everyFrameDecodesToItsNumber_data() {
    QTest::addColumn<Codec>("codec");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("frames");
    QTest::addColumn<int>("gop");
    QTest::addColumn<int>("bFrames");
    QTest::addColumn<QSize>("sar"); // numerator, denominator
    QTest::newRow("mjpeg") << Codec::Mjpeg << QSize(320, 240) << 40 << 1 << 0 << QSize(1, 1);
    QTest::newRow("raw") << Codec::RawVideo << QSize(160, 120) << 20 << 1 << 0 << QSize(1, 1);
    QTest::newRow("huffyuv") << Codec::HuffYuv << QSize(160, 120) << 20 << 1 << 0 << QSize(1, 1);
    QTest::newRow("mjpeg, wide pixels")
        << Codec::Mjpeg << QSize(720, 480) << 10 << 1 << 0 << QSize(8, 9);
    QTest::newRow("mpeg4, short GOP")
        << Codec::Mpeg4 << QSize(320, 240) << 30 << 12 << 0 << QSize(1, 1);
    QTest::newRow("mpeg4, long GOP, B-frames")
        << Codec::Mpeg4 << QSize(320, 180) << 300 << 250 << 2 << QSize(1, 1);
    QTest::newRow("mpeg4, anamorphic")
        << Codec::Mpeg4 << QSize(352, 288) << 20 << 10 << 2 << QSize(16, 11);
    QTest::newRow("h264, long GOP, B-frames")
        << Codec::H264 << QSize(320, 180) << 300 << 250 << 3 << QSize(1, 1);
    QTest::newRow("h264, anamorphic")
        << Codec::H264 << QSize(352, 288) << 20 << 10 << 2 << QSize(12, 11);
}

void TestAviWriter::everyFrameDecodesToItsNumber() {
    QFETCH(Codec, codec);
    QFETCH(QSize, size);
    QFETCH(int, frames);
    QFETCH(int, gop);
    QFETCH(int, bFrames);
    QFETCH(QSize, sar);
    if (!videogen::encoderAvailable(codec))
        QSKIP("this FFmpeg has no encoder for it");

    videogen::VideoSettings settings;
    settings.codec = codec;
    settings.width = size.width();
    settings.height = size.height();
    settings.frames = frames;
    settings.gop = gop;
    settings.maxBFrames = bFrames;
    settings.sarNum = sar.width();
    settings.sarDen = sar.height();
    const std::string file = path("coded.avi");
    QCOMPARE(videogen::writeAvi(file, settings), std::string());

    const support::DecodedVideo video = support::decodeVideo(file);
    QCOMPARE(video.error, std::string());
    QCOMPARE(video.declaredFrames, frames);
    QCOMPARE(av_q2d(video.frameRate), 30.0);
    std::vector<int> expected(frames);
    std::iota(expected.begin(), expected.end(), 0);
    QCOMPARE(video.codes, expected);
    QCOMPARE(video.streamSar.num * sar.height(), video.streamSar.den * sar.width());
    QCOMPARE(video.frameSar.num * sar.height(), video.frameSar.den * sar.width());
    // Decode order differs from display order exactly when B-frames were asked for.
    QCOMPARE(video.sawBFrame, bFrames > 0);

    std::string error;
    const auto index = videogen::readAviVideoIndex(file, &error);
    QCOMPARE(error, std::string());
    QCOMPARE(int(index.size()), frames);
    for (int k = 0; k < frames; ++k) {
        QVERIFY(index[k].size > 0);
        QCOMPARE(index[k].keyframe, k % gop == 0);
    }
}

void TestAviWriter::droppedFramesAreEmptyChunks_data() {
    QTest::addColumn<Codec>("codec");
    QTest::addColumn<int>("bFrames");
    QTest::newRow("mjpeg") << Codec::Mjpeg << 0;
    QTest::newRow("raw") << Codec::RawVideo << 0;
    QTest::newRow("mpeg4 with B-frames") << Codec::Mpeg4 << 2;
}

void TestAviWriter::droppedFramesAreEmptyChunks() {
    QFETCH(Codec, codec);
    QFETCH(int, bFrames);
    videogen::VideoSettings settings;
    settings.codec = codec;
    settings.width = 160;
    settings.height = 120;
    settings.frames = 30;
    settings.maxBFrames = bFrames;
    settings.droppedFrames = {5, 6, 17, 29};
    const std::string file = path("dropped.avi");
    QCOMPARE(videogen::writeAvi(file, settings), std::string());

    std::string error;
    const auto index = videogen::readAviVideoIndex(file, &error);
    QCOMPARE(int(index.size()), 30);
    std::vector<int> kept;
    for (int n = 0; n < 30; ++n) {
        const bool dropped = n == 5 || n == 6 || n == 17 || n == 29;
        QCOMPARE(index[n].size == 0, dropped);
        if (!dropped)
            kept.push_back(n);
    }

    const support::DecodedVideo video = support::decodeVideo(file);
    QCOMPARE(video.error, std::string());
    QCOMPARE(video.declaredFrames, 30);
    // A picture's timestamp is its place in the file, empty chunks counted.
    QCOMPARE(video.packetDts, std::vector<std::int64_t>(kept.begin(), kept.end()));
    QCOMPARE(video.codes, kept);
}

void TestAviWriter::writesManyFramesPastSixteenBits() {
    videogen::VideoSettings settings;
    settings.codec = Codec::Mjpeg;
    settings.width = 16;
    settings.height = 16;
    settings.frames = 40000;
    const std::string file = path("long.avi");
    QCOMPARE(videogen::writeAvi(file, settings), std::string());

    std::string error;
    QCOMPARE(int(videogen::readAviVideoIndex(file, &error).size()), 40000);
    const support::DecodedVideo video = support::decodeVideo(file);
    QCOMPARE(video.declaredFrames, 40000);
    QCOMPARE(int(video.codes.size()), 40000);
    for (int n = 0; n < 40000; ++n)
        if (video.codes[n] != n)
            QFAIL(qPrintable(QString("frame %1 reads %2").arg(n).arg(video.codes[n])));
}

void TestAviWriter::paintsWithTheGivenPainter() {
    videogen::VideoSettings settings;
    settings.codec = Codec::HuffYuv;
    settings.frames = 5;
    QList<int> painted;
    settings.painter = [&painted](QImage& frame, int n) {
        // Each call starts from black, whatever the call before left.
        QVERIFY(frame.pixelColor(0, 0) == QColor(Qt::black));
        painted.append(n);
        QImage code(frame.size() / 2, QImage::Format_RGB32);
        videogen::paintFrameCode(code, 100 + n);
        frame.fill(Qt::white);
        QPainter(&frame).drawImage(0, 0, code);
    };
    const std::string file = path("painted.avi");
    QCOMPARE(videogen::writeAvi(file, settings), std::string());
    QCOMPARE(painted, QList<int>({0, 1, 2, 3, 4}));

    const support::DecodedVideo video = support::decodeVideo(file, QRectF(0, 0, 0.5, 0.5));
    QCOMPARE(video.codes, std::vector<int>({100, 101, 102, 103, 104}));
}

void TestAviWriter::refusesWhatCannotBeWritten_data() {
    QTest::addColumn<QString>("problem");
    QTest::newRow("odd width") << "odd width";
    QTest::newRow("no frames") << "no frames";
    QTest::newRow("first frame dropped") << "first frame dropped";
    QTest::newRow("drop past the end") << "drop past the end";
    QTest::newRow("zero sample aspect") << "zero sample aspect";
    QTest::newRow("missing folder") << "missing folder";
}

void TestAviWriter::refusesWhatCannotBeWritten() {
    QFETCH(QString, problem);
    videogen::VideoSettings settings;
    std::string file = path("refused.avi");
    if (problem == "odd width")
        settings.width = 321;
    else if (problem == "no frames")
        settings.frames = 0;
    else if (problem == "first frame dropped")
        settings.droppedFrames = {0};
    else if (problem == "drop past the end")
        settings.droppedFrames = {settings.frames};
    else if (problem == "zero sample aspect")
        settings.sarNum = 0;
    else
        file = path("no/such/folder/refused.avi");
    QVERIFY(!videogen::writeAvi(file, settings).empty());
    QVERIFY(!QFile::exists(QString::fromStdString(file)));
}

void TestAviWriter::indexReaderRefusesOtherFiles() {
    const std::string file = path("not-avi.txt");
    QFile text(QString::fromStdString(file));
    QVERIFY(text.open(QIODevice::WriteOnly));
    text.write("RIFF....WAVEfmt ");
    text.close();
    std::string error;
    QVERIFY(videogen::readAviVideoIndex(file, &error).empty());
    QVERIFY(!error.empty());
    error.clear();
    QVERIFY(videogen::readAviVideoIndex(path("absent.avi"), &error).empty());
    QVERIFY(!error.empty());
}

QTEST_GUILESS_MAIN(TestAviWriter)
#include "test_avi_writer.moc"
