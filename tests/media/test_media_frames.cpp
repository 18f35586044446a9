// Exact frames: after a seek the frame shown is that frame, a step shows the next and a
// reverse step the one before, whatever the codec's decode order.
#include "media/mci_commands.h"
#include "media/media_fixture.h"

#include <QRandomGenerator>
#include <QtTest>
#include <map>

using mediatest::Stage;
using videogen::Codec;

namespace {

struct Sample {
    videogen::VideoSettings settings;
    std::string path;
};

} // namespace

class MediaFramesTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void lengthIsTheFrameCount_data();
    void lengthIsTheFrameCount();
    void seeksAroundEveryKeyframe_data();
    void seeksAroundEveryKeyframe();
    void randomWalkOfStepsAndSeeks_data();
    void randomWalkOfStepsAndSeeks();
    void stepsBackAcrossKeyframes_data();
    void stepsBackAcrossKeyframes();
    void playThenPauseLandsOnAnExactFrame_data();
    void playThenPauseLandsOnAnExactFrame();

  private:
    void addSamples();
    QTemporaryDir dir_;
    std::map<std::string, Sample> samples_;
};

void MediaFramesTest::initTestCase() {
    QVERIFY(dir_.isValid());
    const auto add = [&](const std::string& name, videogen::VideoSettings settings) {
        if (!videogen::encoderAvailable(settings.codec))
            return;
        std::string error;
        const std::string path = mediatest::writeVideo(dir_, name + ".avi", settings, error);
        QVERIFY2(!path.empty(), error.c_str());
        samples_[name] = {settings, path};
    };
    videogen::VideoSettings settings;
    settings.width = 160;
    settings.height = 120;
    settings.frames = 170;
    settings.codec = Codec::Mjpeg;
    add("mjpeg", settings);
    settings.codec = Codec::RawVideo;
    add("raw", settings);
    // Long GOPs with B-frames: decode order differs from display order, and a keyframe can
    // be stored before pictures displayed ahead of it.
    settings.gop = 40;
    settings.maxBFrames = 2;
    settings.codec = Codec::Mpeg4;
    add("mpeg4", settings);
    settings.codec = Codec::H264;
    settings.maxBFrames = 3;
    add("h264", settings);
}

void MediaFramesTest::addSamples() {
    QTest::addColumn<QString>("name");
    for (const auto& [name, sample] : samples_)
        QTest::newRow(name.c_str()) << QString::fromStdString(name);
}

void MediaFramesTest::lengthIsTheFrameCount_data() {
    addSamples();
}

void MediaFramesTest::lengthIsTheFrameCount() {
    QFETCH(QString, name);
    const Sample& sample = samples_.at(name.toStdString());
    Stage stage;
    QCOMPARE(stage.open(sample.path).code, 0);
    const auto length = mediatest::send(media::statusLengthCommand());
    QCOMPARE(length.code, 0);
    QCOMPARE(media::readNumericReply(length.text), sample.settings.frames);
    QCOMPARE(stage.position(), 0);
    QCOMPARE(stage.shownFrame(), 0);
}

void MediaFramesTest::seeksAroundEveryKeyframe_data() {
    addSamples();
}

void MediaFramesTest::seeksAroundEveryKeyframe() {
    QFETCH(QString, name);
    const Sample& sample = samples_.at(name.toStdString());
    const int frames = sample.settings.frames;
    const bool longGop =
        sample.settings.codec == Codec::Mpeg4 || sample.settings.codec == Codec::H264;
    const int gop = longGop ? sample.settings.gop : 16;
    Stage stage;
    for (int keyframe = 0; keyframe < frames; keyframe += gop) {
        for (int n = std::max(keyframe - 3, 0); n <= std::min(keyframe + 3, frames - 1); ++n) {
            // A fresh device, shown a frame farther away than anything it decodes ahead or
            // keeps behind, so that the seek to n starts the decoder anew.
            QCOMPARE(stage.open(sample.path).code, 0);
            const int far = n + 85 < frames ? n + 85 : n - 85;
            mediatest::send(media::seekCommand(far));
            QCOMPARE(stage.shownFrame(), far);
            QCOMPARE(mediatest::send(media::seekCommand(n)).code, 0);
            QCOMPARE(stage.position(), n);
            QCOMPARE(stage.shownFrame(), n);
            // Then its neighbours in both directions, from what is now decoded.
            if (n > 0) {
                mediatest::send(media::stepReverseCommand());
                QCOMPARE(stage.shownFrame(), n - 1);
                mediatest::send(media::stepCommand());
            }
            mediatest::send(media::stepCommand());
            QCOMPARE(stage.shownFrame(), std::min(n + 1, frames - 1));
        }
    }
}

void MediaFramesTest::randomWalkOfStepsAndSeeks_data() {
    addSamples();
}

void MediaFramesTest::randomWalkOfStepsAndSeeks() {
    QFETCH(QString, name);
    const Sample& sample = samples_.at(name.toStdString());
    const int last = sample.settings.frames - 1;
    Stage stage;
    QCOMPARE(stage.open(sample.path).code, 0);
    QRandomGenerator random(20240611);
    int expected = 0;
    for (int move = 0; move < 120; ++move) {
        const int kind = random.bounded(10);
        if (kind < 4) {
            mediatest::send(media::stepCommand());
            expected = std::min(expected + 1, last);
        } else if (kind < 8) {
            mediatest::send(media::stepReverseCommand());
            expected = std::max(expected - 1, 0);
        } else {
            expected = random.bounded(sample.settings.frames);
            mediatest::send(media::seekCommand(expected));
        }
        QCOMPARE(stage.position(), expected);
        // Not every move is painted, so steps also pile up without an update between them.
        if (move % 3 != 1)
            QCOMPARE(stage.shownFrame(), expected);
    }
}

void MediaFramesTest::stepsBackAcrossKeyframes_data() {
    addSamples();
}

void MediaFramesTest::stepsBackAcrossKeyframes() {
    QFETCH(QString, name);
    const Sample& sample = samples_.at(name.toStdString());
    Stage stage;
    QCOMPARE(stage.open(sample.path).code, 0);
    const int last = sample.settings.frames - 1;
    mediatest::send(media::seekCommand(last));
    QCOMPARE(stage.shownFrame(), last);
    for (int n = last - 1; n >= 0; --n) {
        mediatest::send(media::stepReverseCommand());
        QCOMPARE(stage.shownFrame(), n);
    }
    mediatest::send(media::stepReverseCommand()); // stays on the first frame
    QCOMPARE(stage.shownFrame(), 0);
    for (int n = 1; n <= last; ++n) {
        mediatest::send(media::stepCommand());
        QCOMPARE(stage.shownFrame(), n);
    }
    mediatest::send(media::stepCommand()); // stays on the last frame
    QCOMPARE(stage.position(), last);
    QCOMPARE(stage.shownFrame(), last);
}

void MediaFramesTest::playThenPauseLandsOnAnExactFrame_data() {
    addSamples();
}

void MediaFramesTest::playThenPauseLandsOnAnExactFrame() {
    QFETCH(QString, name);
    const Sample& sample = samples_.at(name.toStdString());
    Stage stage;
    QCOMPARE(stage.open(sample.path).code, 0);
    mediatest::send(media::seekCommand(5));
    QCOMPARE(mediatest::send(media::playCommand()).code, 0);
    QTest::qWait(400);
    QCOMPARE(mediatest::send(media::pauseCommand()).code, 0);
    const int paused = stage.position();
    QVERIFY2(paused > 5, "playing moves on from the start frame");
    QCOMPARE(stage.shownFrame(), paused);
    // Steps after play continue from the frame play stopped on.
    mediatest::send(media::stepCommand());
    QCOMPARE(stage.shownFrame(), paused + 1);
    mediatest::send(media::stepReverseCommand());
    mediatest::send(media::stepReverseCommand());
    QCOMPARE(stage.shownFrame(), paused - 1);
    // Stop holds the frame too.
    mediatest::send(media::playCommand());
    QTest::qWait(150);
    mediatest::send(media::stopCommand());
    const int stopped = stage.position();
    QVERIFY(stopped >= paused - 1);
    QCOMPARE(stage.shownFrame(), stopped);
}

QTEST_MAIN(MediaFramesTest)
#include "test_media_frames.moc"
