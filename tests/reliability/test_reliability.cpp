// Files that are not sound videos, opened through the file menu as a student would, and a
// long run of random user actions: nothing may crash or hang, every refusal carries the
// service's own text, and the measurement table always holds together.
#include "graphs/form2.h"
#include "graphs/form3.h"
#include "measurement/conversion.h"
#include "media/mci_channel.h"
#include "media/mci_commands.h"
#include "media/service/commands/error_codes.h"
#include "support/avi_bytes.h"
#include "support/support.h"
#include "support/window_driver.h"
#include "toolkit/command_button.h"
#include "videogen/videogen.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cmath>
#include <functional>
#include <map>
#include <unistd.h>

using namespace media::service;
using windowtest::Driver;

namespace {

// What is broken in the measurement table, or nothing: the count lies in 0..100, every
// position is the conversion of its clicked pixels in the current directions, and every
// mark after the first is at least a frame on.
QString brokenTable(const Form1& f) {
    if (Module1::MarkCount < 0 || Module1::MarkCount > 100)
        return QStringLiteral("MarkCount is %1").arg(Module1::MarkCount);
    for (int i = 1; i <= Module1::MarkCount; ++i) {
        const float x = measurement::positionX(f.PixX[i], f.XAxisRight, f.AreaW);
        const float y = measurement::positionY(f.PixY[i], f.YAxisDown, f.AreaH);
        if (std::fabs(Module1::PosX[i] - x) > 1e-4f || std::fabs(Module1::PosY[i] - y) > 1e-4f)
            return QStringLiteral("mark %1 reads (%2, %3), not (%4, %5)")
                .arg(i)
                .arg(Module1::PosX[i])
                .arg(Module1::PosY[i])
                .arg(x)
                .arg(y);
        if (i >= 2 && Module1::FrameGap[i - 1] < 1)
            return QStringLiteral("mark %1 is %2 frames on").arg(i).arg(Module1::FrameGap[i - 1]);
    }
    return {};
}

std::int64_t residentBytes() {
    const QList<QByteArray> fields =
        support::readFile(QStringLiteral("/proc/self/statm")).split(' ');
    return fields.size() > 1 ? fields[1].toLongLong() * sysconf(_SC_PAGESIZE) : 0;
}

} // namespace

class ReliabilityTest : public QObject {
    Q_OBJECT
    std::unique_ptr<Driver> d_;
    QTemporaryDir dir_; // outlives the drivers, which are renewed when a seam is replaced
    QString good_;
    QByteArray goodBytes_;
    std::map<QString, QByteArray> containers_; // sound small videos of each kind, by extension

    // Opens the good video, plays and marks once, so that there is state to keep.
    void markOnTheGoodVideo() {
        d_->open(good_);
        d_->run("play; pause; transfer; mark 100.5 60.25");
        QCOMPARE(Module1::MarkCount, std::int16_t{1});
        d_->messages.clear();
    }
    // Opens path through the file menu: refused with `code`'s text (or opened, for 0) well
    // within a hang guard; a refusal keeps the mark, the buttons as the open's start sets
    // them, and leaves nothing open; the good video opens after it.
    // A code of -1: opened, or refused with its reason.
    void expectOpen(const QString& path, int code) {
        QElapsedTimer clock;
        clock.start();
        d_->open(path);
        qInfo("%s: %lld ms", QTest::currentDataTag(), clock.elapsed());
        QVERIFY(clock.elapsed() < 10000);
        // A damaged file's timestamps may well tell of another frame rate: that is no refusal.
        d_->messages.removeIf([](const windowtest::Message& m) {
            return m.icon == toolkit::MessageIcon::Information;
        });
        if (code == -1) { // whichever of the service's reasons it gave
            code = kOk;
            for (int c = kErrUnknownCommand; c <= kErrCannotRead && !d_->messages.isEmpty(); ++c)
                if (d_->messages.front().text == QString::fromUtf8(errorMessage(c)))
                    code = c;
            QVERIFY(code != kOk || d_->messages.isEmpty());
        }
        if (code == kOk) {
            QVERIFY(d_->messages.isEmpty());
            QVERIFY(d_->form().Timer1->isActive());
            return;
        }
        QCOMPARE(d_->messages.size(), 1);
        QCOMPARE(d_->messages.front().text, QString::fromUtf8(errorMessage(code)));
        QCOMPARE(d_->messages.front().icon, toolkit::MessageIcon::Stop);
        QCOMPARE(d_->messages.front().caption, QStringLiteral("Ugoki"));
        const QString wrong = d_->differences("marks=1 timer=off file=good.avi "
                                              "enabled=play,transfer,flipX,flipY");
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong));
        QCOMPARE(d_->form().PixX[1], 100.5f);
        std::string reply;
        QCOMPARE(Module1::SendMciCommand(media::statusLengthCommand(), reply), kErrNoDevice);
        d_->messages.clear();
        d_->open(good_);
        QVERIFY(d_->messages.isEmpty() && d_->form().HScroll1->maximum() == 12);
    }

  private slots:
    void initTestCase() {
        d_ = std::make_unique<Driver>();
        goodBytes_ = support::readFile(d_->video(12, QStringLiteral("good.avi")));
        QVERIFY(goodBytes_.size() > 1000);
        good_ = dir_.filePath(QStringLiteral("good.avi"));
        QVERIFY(support::writeFile(good_, goodBytes_));
        using videogen::Codec;
        const std::pair<const char*, videogen::VideoSettings> kinds[] = {
            {"mp4",
             {.codec = Codec::H264, .maxBFrames = 2, .sarNum = 4, .sarDen = 3, .rotation = -90}},
            {"mkv", {.codec = Codec::H264, .maxBFrames = 2}},
            {"ts", {.codec = Codec::H264, .maxBFrames = 2}},
            {"webm", {.codec = Codec::Vp9}},
            {"wmv", {.codec = Codec::Wmv2}},
            {"mpg", {.codec = Codec::Mpeg2, .maxBFrames = 2}}};
        for (auto [extension, settings] : kinds) {
            settings.width = 64;
            settings.height = 48;
            settings.frames = 24;
            settings.gop = 8;
            const QString path = dir_.filePath(QStringLiteral("good.") + extension);
            if (videogen::writeVideo(path.toStdString(), settings).empty())
                containers_[extension] = support::readFile(path);
        }
    }
    void init() {
        d_->restart();
        markOnTheGoodVideo();
    }

    void openedOrRefused_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("extension");
        const QByteArray& good = goodBytes_;
        const int index = hostile::chunkOffset(good, "idx1");
        const int entries = (good.size() - index - 8) / 16;
        const auto row = [](const char* name, const QByteArray& bytes, int code,
                            const char* extension = "avi") {
            QTest::newRow(name) << bytes << code << QString(extension);
        };
        row("zero bytes", {}, kErrCorruptFile);
        row("random bytes", hostile::randomBytes(200 * 1024, 8), kErrNotVideo);
        row("text renamed .avi", QByteArray("1 ボールの位置\n2 ボールの位置\n").repeated(100),
            kErrNotVideo);
        row("cut after 12 bytes", good.left(12), kErrCorruptFile);
        row("cut in the headers", good.left(300), kErrCorruptFile);
        row("cut in the first picture", good.left(index / 10), kErrCorruptFile);
        row("cut in the middle", good.left(index / 2), kErrCorruptFile);
        row("cut before the last picture", good.left(index - 200), kErrCorruptFile);
        row("cut in the index", good.left(index + 8 + entries / 2 * 16 + 5), kErrCorruptFile);
        row("header claims 65535 x 65535 frames", hostile::withClaimedFrames(good, 65535u * 65535u),
            kErrCorruptFile);
        row("header claims 2^31 frames", hostile::withClaimedFrames(good, 0x80000000u),
            kErrCorruptFile);
        // Written by hand: raw pictures, whose headers may claim anything.
        const QByteArray raw = hostile::buildAvi({.pictures = 10});
        row("raw pictures", raw, kOk);
        row("raw, trailing bytes after the file", raw + QByteArray(100, 'x'), kOk);
        row("raw, one byte short", raw.left(raw.size() - 1), kErrCorruptFile);
        row("raw, as many frames as bytes allow",
            hostile::withClaimedFrames(raw, quint32(raw.size() / 8)), kOk);
        row("raw, more frames than bytes allow",
            hostile::withClaimedFrames(raw, quint32(raw.size() / 8 + 1)), kErrCorruptFile);
        row("raw, claiming 65535 x 65535 pixels", hostile::withClaimedSize(raw, 65535, 65535),
            kErrCorruptFile);
        row("raw pictures beside sound", hostile::buildAvi({.pictures = 4, .audio = true}), kOk);
        row("sound only", hostile::buildAvi({.video = false, .audio = true}), kErrNotVideo);
        row("a video stream with no frames", hostile::buildAvi({.pictures = 0}), kErrCorruptFile);
        row("no frames beside sound", hostile::buildAvi({.pictures = 0, .audio = true}),
            kErrCorruptFile);
        row("no index, a million frames claimed",
            hostile::buildAvi({.claimedFrames = 1000000, .index = false}), kErrCorruptFile);
        // The containers phones, cameras and browsers write: cut short they open with the
        // pictures they hold, unless what they need to be read went with the cut.
        const auto damaged = [&](const char* extension, int from, int count, quint32 seed) {
            QByteArray bytes = containers_[extension];
            bytes.replace(from, count, hostile::randomBytes(count, seed));
            return bytes;
        };
        const auto half = [&](const char* extension) {
            return containers_[extension].left(containers_[extension].size() / 2);
        };
        const QByteArray& mp4 = containers_["mp4"];
        const auto box = [&](const char* name) { return int(mp4.indexOf(name)); };
        row("MP4 cut before its movie box", half("mp4"), kErrCorruptFile, "mp4");
        row("MP4 with noise in its sample tables", damaged("mp4", box("stsz"), 48, 3), -1, "mp4");
        QByteArray wide = mp4; // the pixel aspect box claims 65535:1
        wide.replace(box("pasp") + 4, 8, QByteArray("\0\0\xff\xff\0\0\0\1", 8));
        row("MP4 claiming pixels 65535 times wider than high", wide, kOk, "mp4");
        QByteArray skewed = mp4; // a display matrix of huge numbers
        skewed.replace(box("tkhd") + 4 + 40, 16, QByteArray(16, '\x7f'));
        row("MP4 with a nonsense display matrix", skewed, kOk, "mp4");
        row("Matroska cut in the middle", half("mkv"), kOk, "mkv");
        row("Matroska with noise in the middle",
            damaged("mkv", containers_["mkv"].size() / 2, 400, 4), -1, "mkv");
        row("MPEG-TS cut in the middle", half("ts"), kOk, "ts");
        row("MPEG-TS with noise in the middle",
            damaged("ts", containers_["ts"].size() / 3, 2000, 5), kOk, "ts");
        row("MPEG-TS of nothing but padding",
            QByteArray("\x47\x1f\xff\x10", 4).append(QByteArray(184, '\xff')).repeated(500),
            kErrNotVideo, "ts");
        row("WebM cut in the middle", half("webm"), kOk, "webm");
        row("ASF cut in the middle", half("wmv"), kOk, "wmv");
        row("MPEG-PS cut in the middle", half("mpg"), kOk, "mpg");
    }
    void openedOrRefused() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, code);
        QFETCH(QString, extension);
        const QString path = dir_.filePath(QStringLiteral("hostile.") + extension);
        QVERIFY(support::writeFile(path, bytes));
        expectOpen(path, code);
    }

    // The name comes from the dialog, then the file is gone, or replaced by noise, or is a
    // folder, before the service sees it.
    void theFileChangesUnderfoot() {
        const QString path = dir_.filePath(QStringLiteral("race.avi"));
        const std::pair<std::function<void()>, int> races[] = {
            {[&] { QFile::remove(path); }, kErrMissingFileName},
            {[&] { support::writeFile(path, hostile::randomBytes(50 * 1024, 21)); }, kErrNotVideo},
            {[&] {
                 QFile::remove(path);
                 QDir().mkpath(path);
             },
             kErrFileNotFound}};
        for (const auto& [change, code] : races) {
            QVERIFY(support::writeFile(path, goodBytes_));
            toolkit::setOpenFileHandler([&](const QString&, const QString&) {
                change();
                return std::optional<QString>(path);
            });
            d_->form().mnuopen_Click();
            QCOMPARE(d_->messages.size(), 1);
            QCOMPARE(d_->messages.front().text, QString::fromUtf8(errorMessage(code)));
            QCOMPARE(Module1::MarkCount, std::int16_t{1});
            d_.reset(); // gives the seams back, to a fresh driver
            d_ = std::make_unique<Driver>();
            markOnTheGoodVideo();
        }
    }

    // A header claiming 65535 x 65535 pictures over 320 x 240 ones: the video shows as it is.
    void pictureSizeIsTakenFromThePictures() {
        const QString path = dir_.filePath(QStringLiteral("giant.avi"));
        QVERIFY(support::writeFile(path, hostile::withClaimedSize(goodBytes_, 65535, 65535)));
        d_->open(path);
        QVERIFY(d_->messages.isEmpty());
        d_->run("play; pause; drag 7; transfer");
        QCOMPARE(d_->frameInMeasuringArea(), 7);
    }

    // Permission bits do not stop root: then the case runs again, in a child process as nobody.
    void fileWithoutReadPermission() {
        if (geteuid() != 0) {
            const QString path = dir_.filePath(QStringLiteral("locked.avi"));
            QVERIFY(support::writeFile(path, goodBytes_));
            QVERIFY(QFile::setPermissions(path, QFileDevice::WriteOwner));
            return expectOpen(path, kErrCannotRead);
        }
        QProcess child;
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start("setpriv",
                    {"--reuid=65534", "--regid=65534", "--clear-groups", "--",
                     QCoreApplication::applicationFilePath(), QTest::currentTestFunction()});
        if (!child.waitForStarted() || (child.waitForFinished(60000) && child.exitCode() >= 126))
            QSKIP("this test cannot be run as nobody here");
        QVERIFY2(child.exitCode() == 0 &&
                     child.readAll().contains("PASS   : ReliabilityTest::file"),
                 "as nobody");
    }

    // Random user actions on the real windows (UGOKI_SOAK_ACTIONS of them, seed printed and
    // taken from UGOKI_SOAK_SEED): after each the table holds together, over the run the
    // resident memory stays flat.
    void randomActions() {
        const int count = qEnvironmentVariableIsSet("UGOKI_SOAK_ACTIONS")
                              ? qEnvironmentVariableIntValue("UGOKI_SOAK_ACTIONS")
                              : 20000;
        const quint32 seed = qEnvironmentVariableIsSet("UGOKI_SOAK_SEED")
                                 ? quint32(qEnvironmentVariableIntValue("UGOKI_SOAK_SEED"))
                                 : 20240607;
        qInfo("soak: %d actions, seed %u", count, seed);
        QRandomGenerator random(seed);
        Form1& f = d_->form();
        const QStringList videos = {d_->video(40, "small.avi", QSize(64, 48)),
                                    d_->video(12, "tiny.avi", QSize(32, 24)),
                                    d_->video(25, "wide.avi", QSize(96, 48))};
        d_->open(videos.front());
        const auto onGraph = [&](const std::function<void(graphs::GraphFrame*)>& act) {
            graphs::GraphFrame* st = f.positionTimeWindow();
            graphs::GraphFrame* vt = f.velocityTimeWindow();
            if (st && vt)
                act(random.bounded(2) ? st : vt);
            else if (st || vt)
                act(st ? st : vt);
        };
        const auto click = [&] {
            d_->click(random.bounded(316.0), random.bounded(236.0),
                      random.bounded(5) ? Qt::LeftButton : Qt::RightButton);
        };
        struct Action {
            int weight;
            QWidget* needs; // pressed only while enabled, as a user can; or nullptr
            std::function<void()> run;
        };
        std::vector<Action> actions;
        for (const auto& [weight, button] : {std::pair{4, f.Command1},
                                             {4, f.Command2},
                                             {25, f.Command3},
                                             {8, f.Command4},
                                             {2, f.Cmd_巻き戻し},
                                             {10, f.Cmd_trans},
                                             {5, f.Cmd_Reset},
                                             {1, f.Command6},
                                             {3, f.Cmd_Xchange},
                                             {3, f.Cmd_Ychange},
                                             {1, f.Cmd_st},
                                             {1, f.Cmd_vt}})
            actions.push_back({weight, button, [button = button] { button->click(); }});
        const auto randomZoom = [&](graphs::GraphFrame* g) {
            std::array{g->Cmd_large, g->Cmd_small, g->Cmd_large_yoko,
                       g->Cmd_small_yoko}[random.bounded(4)]
                ->click();
        };
        actions.insert(
            actions.end(),
            {{4, f.HScroll1,
              [&] {
                  d_->run(QStringLiteral("drag %1").arg(random.bounded(f.HScroll1->maximum() + 1)));
              }},
             {4, nullptr, [&] { f.Timer1_Timer(); }},
             {30, nullptr, click},
             {1, f.Command3,
              [&] { // a class marking a long throw, past 100 marks
                  for (int k = 0; k < 60; ++k) {
                      f.Command3->click();
                      click();
                  }
              }},
             {3, nullptr, [&] { onGraph(randomZoom); }},
             {1, nullptr, [&] { onGraph([](auto* g) { g->Cmd_最小2乗法->click(); }); }},
             {1, nullptr, [&] { onGraph([](auto* g) { g->mnuCopyData_Click(); }); }},
             {1, nullptr, [&] { onGraph([](auto* g) { g->Cmd_close->click(); }); }},
             {1, nullptr, [&] { d_->open(videos[random.bounded(3)]); }},
             {1, nullptr, [&] { d_->run("cancel"); }},
             {1, nullptr, [&] { d_->run("close"); }}});
        int totalWeight = 0;
        for (const Action& a : actions)
            totalWeight += a.weight;
        int mostMarks = 0, graphsOpened = 0;
        std::int64_t warm = 0;
        for (int n = 0; n < count;) {
            int pick = int(random.bounded(totalWeight));
            std::size_t i = 0;
            while (pick >= actions[i].weight)
                pick -= actions[i++].weight;
            if (actions[i].needs && !actions[i].needs->isEnabled())
                continue;
            actions[i].run();
            QCoreApplication::processEvents();
            // Closed graph windows delete themselves later; with no event loop running, now.
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            ++n;
            const QString broken = brokenTable(f);
            QVERIFY2(
                broken.isEmpty(),
                qPrintable(
                    QStringLiteral("after action %1 (kind %2): %3").arg(n).arg(i).arg(broken)));
            for (const windowtest::Message& m : d_->messages)
                QCOMPARE(m.text, QStringLiteral("マークは100個までです。"));
            d_->messages.clear();
            mostMarks = std::max<int>(mostMarks, Module1::MarkCount);
            graphsOpened += f.positionTimeWindow() || f.velocityTimeWindow();
            if (n == std::min(2000, count / 4))
                warm = residentBytes();
        }
        const std::int64_t end = residentBytes();
        qInfo("soak: most marks %d; resident %.1f MB after warm-up, %.1f MB at the end", mostMarks,
              warm / 1048576.0, end / 1048576.0);
        if (count >= 2000)
            QVERIFY(mostMarks == 100 && graphsOpened > 0);
        // The checker can tell a broken table.
        Module1::PosX[1] += 1;
        QVERIFY(Module1::MarkCount == 0 || !brokenTable(f).isEmpty());
#if !defined(__SANITIZE_ADDRESS__) // AddressSanitizer keeps freed memory in quarantine
        QVERIFY2(end - warm < 20 * 1024 * 1024, qPrintable(QString::number(end - warm)));
#endif
    }
};

QTEST_MAIN(ReliabilityTest)
#include "test_reliability.moc"
