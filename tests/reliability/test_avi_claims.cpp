// The AVI header check that keeps cut-off and lying files away from libavformat: what it
// reads from the headers, and which files it lets through.
#include "hostile_files.h"

#include "media/service/avi_claims.h"
#include "media/service/error_codes.h"
#include "videogen/videogen.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace media::service;

namespace {

std::string view(const QByteArray& bytes) {
    return bytes.toStdString();
}

} // namespace

class AviClaimsTest : public QObject {
    Q_OBJECT

  private slots:
    void readsTheHeaders();
    void judgesFiles_data();
    void judgesFiles();
    void generatedVideosPass_data();
    void generatedVideosPass();

  private:
    QTemporaryDir dir_;
};

void AviClaimsTest::readsTheHeaders() {
    hostile::AviParts parts;
    parts.pictures = 7;
    const QByteArray avi = hostile::buildAvi(parts);
    AviClaims claims = readAviClaims(view(avi));
    QVERIFY(claims.riff);
    QCOMPARE(claims.riffEnd, std::uint64_t(avi.size()));
    QCOMPARE(claims.mostFrames, std::uint64_t(7));
    // A sound stream counts samples, not frames: it is not taken for a frame count.
    parts.audio = true;
    claims = readAviClaims(view(hostile::buildAvi(parts)));
    QCOMPARE(claims.mostFrames, std::uint64_t(7));
    claims = readAviClaims(view(hostile::withClaimedFrames(avi, 123456789)));
    QCOMPARE(claims.mostFrames, std::uint64_t(123456789));
    QVERIFY(!readAviClaims("RIFF\x10\0\0\0WAVEfmt ").riff);
    QVERIFY(!readAviClaims("").riff);
}

void AviClaimsTest::judgesFiles_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("code");
    hostile::AviParts parts;
    parts.pictures = 10;
    const QByteArray avi = hostile::buildAvi(parts);
    QTest::newRow("whole") << avi << kOk;
    QTest::newRow("one byte short") << avi.left(avi.size() - 1) << kErrCorruptFile;
    QTest::newRow("cut in the headers") << avi.left(100) << kErrCorruptFile;
    QTest::newRow("trailing bytes after the file") << avi + QByteArray(100, 'x') << kOk;
    QTest::newRow("as many frames as bytes allow")
        << hostile::withClaimedFrames(avi, quint32(avi.size() / 8)) << kOk;
    QTest::newRow("more frames than bytes allow")
        << hostile::withClaimedFrames(avi, quint32(avi.size() / 8 + 1)) << kErrCorruptFile;
    QTest::newRow("not an AVI") << hostile::randomBytes(5000, 3) << kOk;
    QTest::newRow("empty") << QByteArray() << kOk; // the decoder refuses it itself
}

void AviClaimsTest::judgesFiles() {
    QFETCH(QByteArray, bytes);
    QFETCH(int, code);
    const QString path = dir_.filePath(QStringLiteral("judged.avi"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
    file.close();
    QCOMPARE(checkAviClaims(path.toStdString()), code);
}

void AviClaimsTest::generatedVideosPass_data() {
    QTest::addColumn<int>("codec");
    QTest::addColumn<int>("frames");
    QTest::addColumn<bool>("dropTail");
    QTest::newRow("mjpeg") << int(videogen::Codec::Mjpeg) << 30 << false;
    QTest::newRow("mjpeg, last frames dropped") << int(videogen::Codec::Mjpeg) << 30 << true;
    QTest::newRow("mpeg4 long") << int(videogen::Codec::Mpeg4) << 600 << false;
    QTest::newRow("raw") << int(videogen::Codec::RawVideo) << 5 << false;
}

void AviClaimsTest::generatedVideosPass() {
    QFETCH(int, codec);
    QFETCH(int, frames);
    QFETCH(bool, dropTail);
    videogen::VideoSettings settings;
    settings.codec = videogen::Codec(codec);
    settings.width = 16;
    settings.height = 16;
    settings.frames = frames;
    if (dropTail)
        settings.droppedFrames = {frames - 3, frames - 2, frames - 1};
    const std::string path = dir_.filePath(QStringLiteral("made.avi")).toStdString();
    const std::string error = videogen::writeAvi(path, settings);
    QVERIFY2(error.empty(), error.c_str());
    QCOMPARE(checkAviClaims(path), kOk);
    QFile file(QString::fromStdString(path));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(readAviClaims(file.read(64 * 1024).toStdString()).mostFrames, std::uint64_t(frames));
}

QTEST_MAIN(AviClaimsTest)
#include "test_avi_claims.moc"
