// The sample tool's videos, as the media service shows them: the stated frame count, the
// picture's shape and the disc where the documented motion puts it.
#include "disc_finder.h"
#include "media/mci_commands.h"
#include "media/media_fixture.h"
#include "samples/sample_scenes.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>

namespace {

const samples::Sample* sampleNamed(const QString& name) {
    static const std::vector<samples::Sample> all = samples::allSamples();
    for (const samples::Sample& sample : all)
        if (QString::fromStdString(sample.fileName) == name)
            return &sample;
    return nullptr;
}

// "ax = 0.00, ay = -0.80" with the default axes: x grows to the left, y upwards.
QString expectedReading(const samples::Sample& sample) {
    const double ax = -samples::unitsPerSecondSquared(sample.motion.acceleration.x());
    const double ay = -samples::unitsPerSecondSquared(sample.motion.acceleration.y());
    auto text = [](double v) { return QString::number(v == 0.0 ? 0.0 : v, 'f', 2); };
    return QStringLiteral("ax = %1, ay = %2").arg(text(ax), text(ay));
}

} // namespace

class SampleVideosTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        QProcess tool;
        tool.start(QStringLiteral(UGOKI_SAMPLES_TOOL), {dir_.path()});
        QVERIFY(tool.waitForFinished(60000));
        QCOMPARE(tool.exitCode(), 0);
    }

    // Every sample and nothing half-written.
    void toolWritesEverySample() {
        QStringList expected;
        for (const samples::Sample& sample : samples::allSamples())
            expected << QString::fromStdString(sample.fileName);
        expected.sort();
        QCOMPARE(QDir(dir_.path()).entryList(QDir::Files, QDir::Name), expected);
    }

    void discFollowsDocumentedMotion_data() {
        QTest::addColumn<QString>("name");
        for (const samples::Sample& sample : samples::allSamples())
            QTest::newRow(sample.fileName.c_str()) << QString::fromStdString(sample.fileName);
    }

    // Every fourth frame and the last, reached by seeking, painted as the measuring area
    // gets it; the wide one shows letterboxed with black bars above and below.
    void discFollowsDocumentedMotion() {
        QFETCH(QString, name);
        const samples::Sample* sample = sampleNamed(name);
        QVERIFY(sample);
        mediatest::Stage stage;
        QCOMPARE(stage.open(dir_.filePath(name).toStdString()).code, 0);
        const auto length = mediatest::send(media::statusLengthCommand());
        QCOMPARE(media::readNumericReply(length.text), sample->video.frames);

        std::vector<int> frames;
        std::vector<QPointF> offsets; // found minus documented
        const int last = sample->video.frames - 1;
        for (int n = 0; n <= last; n = n == last ? last + 1 : std::min(n + 3, last)) {
            QCOMPARE(mediatest::send(media::seekCommand(n)).code, 0);
            stage.target().clear();
            QCOMPARE(mediatest::send(media::updateCommand(stage.targetHandle())).code, 0);
            const std::optional<QPointF> found = e2etest::findRedDisc(stage.target().image());
            QVERIFY2(found, qPrintable(QStringLiteral("no disc in frame %1").arg(n)));
            frames.push_back(n);
            offsets.push_back(*found - sample->motion.atFrame(n));
        }
        // A shift common to every frame (the codec's placing of colour samples) moves no
        // velocity; what differs from frame to frame is what a measurement feels.
        QPointF common;
        for (QPointF offset : offsets)
            common += offset / static_cast<double>(offsets.size());
        QVERIFY2(std::hypot(common.x(), common.y()) <= e2etest::kCommonShiftLimit,
                 qPrintable(QStringLiteral("shifted by (%1, %2)").arg(common.x()).arg(common.y())));
        double worst = 0.0;
        for (size_t i = 0; i < offsets.size(); ++i) {
            const QPointF d = offsets[i] - common;
            worst = std::max(worst, std::hypot(d.x(), d.y()));
            QVERIFY2(std::hypot(d.x(), d.y()) <= e2etest::kCentreTolerance,
                     qPrintable(
                         QStringLiteral("frame %1: disc off by (%2, %3) beyond the common (%4, %5)")
                             .arg(frames[i])
                             .arg(d.x())
                             .arg(d.y())
                             .arg(common.x())
                             .arg(common.y())));
        }
        qInfo("%s: common shift (%.3f, %.3f) px, each frame within %.3f px of it", qPrintable(name),
              common.x(), common.y(), worst);

        // Bars of the letterboxed picture: black outside the fitted rectangle, the scene inside.
        const int top = static_cast<int>(sample->displayOffset.y());
        if (top > 0) {
            const QImage& shown = stage.target().image();
            const int bottom = 240 - top; // first row of the lower bar
            for (int y : {0, top - 1, bottom, shown.height() - 1})
                QCOMPARE(shown.pixelColor(200, y), QColor(Qt::black));
            for (int y : {top, bottom - 1})
                QVERIFY(shown.pixelColor(200, y).value() > 100);
        }
    }

    // The folder's README gives the accelerations a user should read for each sample.
    void readmeStatesTheExpectedReadings() {
        QFile readme(QStringLiteral(UGOKI_SAMPLES_README));
        QVERIFY(readme.open(QIODevice::ReadOnly | QIODevice::Text));
        const QString text = QString::fromUtf8(readme.readAll());
        for (const samples::Sample& sample : samples::allSamples()) {
            const QString name = QString::fromStdString(sample.fileName);
            const qsizetype row = text.indexOf(QStringLiteral("| `%1` |").arg(name));
            QVERIFY2(row >= 0, qPrintable(name));
            const QString line = text.mid(row, text.indexOf(u'\n', row) - row);
            QVERIFY2(line.contains(expectedReading(sample)),
                     qPrintable(line + QStringLiteral(" lacks ") + expectedReading(sample)));
            QVERIFY2(line.contains(QStringLiteral("| %1 |").arg(sample.video.frames)),
                     qPrintable(line));
        }
    }

  private:
    QTemporaryDir dir_;
};

QTEST_MAIN(SampleVideosTest)
#include "test_sample_videos.moc"
