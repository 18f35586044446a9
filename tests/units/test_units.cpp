// The plain parts, case by case: number formats, conversions, raster and chart arithmetic,
// command strings, the media service's units, frame codes, captions and the drawing surface.
#include "app/command_line.h"
#include "common/number_format.h"
#include "common/palette.h"
#include "graphs/chart_drawing.h"
#include "graphs/chart_labels.h"
#include "graphs/chart_mapping.h"
#include "graphs/least_squares.h"
#include "graphs/magnification.h"
#include "graphs/time_series.h"
#include "main_window/tracking_geometry.h"
#include "main_window/video_files.h"
#include "main_window/video_folders.h"
#include "measurement/conversion.h"
#include "measurement/length_reference.h"
#include "measurement/measurement_table.h"
#include "measurement/time_base.h"
#include "media/mci_channel.h"
#include "media/mci_commands.h"
#include "media/service/commands/command_parser.h"
#include "media/service/commands/error_codes.h"
#include "media/service/container/frame_index.h"
#include "media/service/decoding/picture_numbering.h"
#include "media/service/decoding/video_decoder.h"
#include "media/service/media_service.h"
#include "media/service/pictures/display_transform.h"
#include "media/service/pictures/frame_cache.h"
#include "media/service/pictures/picture_fit.h"
#include "media/service/pictures/picture_pool.h"
#include "media/service/pictures/picture_shrink.h"
#include "media/service/playback_clock.h"
#include "support/support.h"
#include "toolkit/activation.h"
#include "toolkit/background_work.h"
#include "toolkit/caption_label.h"
#include "toolkit/dialogs.h"
#include "toolkit/fonts.h"
#include "toolkit/handle_registry.h"
#include "toolkit/picture_box.h"
#include "toolkit/raster.h"
#include "tracking/motion_prediction.h"
#include "tracking/picture_match.h"
#include "videogen/frame_code.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QProgressDialog>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cstring>
#include <limits>
#include <set>
#include <thread>

extern "C" {
#include <libavutil/display.h>
#include <libavutil/frame.h>
}

using common::QBColor;
using namespace media::service;
using namespace toolkit;
using Floats = std::vector<float>;

namespace {
const double kInf = std::numeric_limits<double>::infinity();
const double kNaN = std::numeric_limits<double>::quiet_NaN();
} // namespace

class NumberFormatTest : public QObject {
    Q_OBJECT
  private slots:
    void patterns_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("text");
        const auto row = [](const char* name, double v, const char* pattern, const char* text) {
            QTest::newRow(name) << v << QString(pattern) << QString(text);
        };
        row("coordinate half", 0.5, "##0.00", "0.50");
        row("coordinate whole", 7.0, "##0.00", "7.00");
        row("coordinate negative", -0.25, "##0.00", "-0.25");
        row("coordinate rounds up", 1.005, "##0.00", "1.01");
        row("coordinate carries", 9.999, "##0.00", "10.00");
        row("wider than the pattern", 12345.678, "##0.00", "12345.68");
        row("tiny negative keeps its sign", -0.001, "##0.00", "-0.00");
        row("ruler label", 7.0, "#0", "7");
        row("ruler zero", 0.0, "#0", "0");
        row("half rounds away", 2.5, "#0", "3");
        row("negative half rounds away", -2.5, "#0", "-3");
        row("time label", 20.0, "###0.0", "20.0");
        row("time label third", 2.0 / 3.0, "###0.0", "0.7");
        row("no integer digit at zero", 0.0, "##.#0", ".00");
        row("position label", -1.0, "##.#0", "-1.00");
        row("position label half", 0.5, "##.#0", ".50");
        row("velocity label", -100.0, "##0.0", "-100.0");
        row("acceleration", 9.8, "####.0", "9.8");
        row("acceleration half", 0.5, "####.0", ".5");
        row("acceleration zero", 0.0, "####.0", ".0");
        row("acceleration negative", -12.34, "####.0", "-12.3");
        row("acceleration tiny negative", -1e-6, "####.0", "-.0");
        row("acceleration carries", 0.96, "####.0", "1.0");
        row("acceleration large", 123456.75, "####.0", "123456.8");
        row("infinite", kInf, "##0.00", "Inf");
        row("not a number", kNaN, "##0.00", "NaN");
    }
    void patterns() {
        QFETCH(double, value);
        QFETCH(QString, pattern);
        QFETCH(QString, text);
        QCOMPARE(common::formatNumber(value, pattern.toStdString()), text);
    }
    // A float rounds from its shortest decimal form: 2.675f is 2.67499995... in binary.
    void floatsRoundTheirDecimalForm() {
        QCOMPARE(common::formatNumber(2.675f, "##0.00"), QStringLiteral("2.68"));
        QCOMPARE(common::formatNumber(2.67499f, "##0.00"), QStringLiteral("2.67"));
        QCOMPARE(common::formatNumber(0.1f, "##0.00"), QStringLiteral("0.10"));
        QCOMPARE(common::formatNumber(-0.05f, "####.0"), QStringLiteral("-.1"));
    }
    void plainText() {
        const std::pair<float, const char*> rows[] = {
            {2.725f, "2.725"},    {7.9f, "7.9"},
            {0.1f, "0.1"},        {0.0f, "0"},
            {-0.0f, "0"},         {7.0f, "7"},
            {-0.25f, "-0.25"},    {1.0f / 3, "0.3333333"},
            {41.f / 40, "1.025"}, {123456789.0f, "1.234568E+08"},
            {0.00001f, "1E-05"},  {0.125f, "0.125"},
            {256.0f, "256"}};
        for (const auto& [value, text] : rows)
            QCOMPARE(common::plainText(value), QString(text));
    }
};

class MeasurementTest : public QObject {
    Q_OBJECT
  private slots:
    // The measuring area's inner size is 316 x 236; flipped means x right / y down.
    void unitLengths_data() {
        QTest::addColumn<float>("px");
        QTest::addColumn<float>("py");
        QTest::addColumn<bool>("flipped");
        QTest::addColumn<float>("x");
        QTest::addColumn<float>("y");
        QTest::newRow("a unit from the corner") << 276.f << 196.f << false << 1.f << 1.f;
        QTest::newRow("top left, flipped") << 0.f << 0.f << true << 0.1f << 0.1f;
        QTest::newRow("36 from the right") << 36.f << 36.f << false << 7.f << 5.f;
        QTest::newRow("36 flipped") << 36.f << 36.f << true << 1.f << 1.f;
        QTest::newRow("the corner") << 316.f << 236.f << false << 0.f << 0.f;
        QTest::newRow("fractions kept") << 275.5f << 195.5f << false << 1.0125f << 1.0125f;
        QTest::newRow("beyond the area") << 320.f << 240.f << false << -0.1f << -0.1f;
        QTest::newRow("rounded to a float")
            << 3.f << 3.f << false << float(313 / 40.0) << float(233 / 40.0);
    }
    void unitLengths() {
        QFETCH(float, px);
        QFETCH(float, py);
        QFETCH(bool, flipped);
        QFETCH(float, x);
        QFETCH(float, y);
        const VbBool flag = toVbBool(flipped);
        QCOMPARE(measurement::positionX(px, flag, 316), x);
        QCOMPARE(measurement::positionY(py, flag, 236), y);
        // A ruler dot is found again from the stored position.
        QVERIFY(qAbs(measurement::pixelFromPositionX(x, flag, 316) - px) < 1e-4);
        QVERIFY(qAbs(measurement::pixelFromPositionY(y, flag, 236) - py) < 1e-4);
    }
    // The file dialog starts in the folder of the last file, else the samples, else home.
    void startFolders() {
        QTemporaryDir samples;
        const QString home = QDir::homePath();
        const QString file = QDir(samples.path()).filePath(QStringLiteral("x.avi"));
        QCOMPARE(video_folders::startFolder({}, {}, home), home);
        QCOMPARE(video_folders::startFolder({}, samples.path(), home), samples.path());
        QCOMPARE(video_folders::startFolder({}, QStringLiteral("/no/such"), home), home);
        QCOMPARE(video_folders::startFolder(file, {}, home), samples.path());
        QCOMPARE(video_folders::startFolder("/gone/x.avi", samples.path(), home), samples.path());
    }
    // The dialog's first filter takes every video that opens, named in any case; then the
    // AVI files of old, then every file.
    void dialogFilter_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("video");
        for (const char* extension : {"avi", "mov", "mp4", "m4v", "3gp", "mkv", "webm", "mts",
                                      "m2ts", "ts", "mpg", "mpeg", "wmv"}) {
            QTest::newRow(extension) << QStringLiteral("IMG_0001.") + extension << true;
            QTest::newRow(qPrintable(QString(extension).toUpper()))
                << QStringLiteral("MVI_0001.") + QString(extension).toUpper() << true;
        }
        QTest::newRow("notes.txt") << "notes.txt" << false;
        QTest::newRow("clip.mp4.part") << "clip.mp4.part" << false;
    }
    void dialogFilter() {
        QFETCH(QString, name);
        QFETCH(bool, video);
        const QStringList parts = video_files::dialogFilter().split(u'|');
        QCOMPARE(parts.size(), 6);
        QVERIFY(parts[0].startsWith(QStringLiteral("ビデオファイル (*.avi *.mov *.mp4 ")));
        QCOMPARE(parts.mid(2),
                 QStringList({"AVIファイル (*.avi)", "*.avi", "すべてのファイル (*)", "*"}));
        QCOMPARE(QDir::match(parts[1].split(u';'), name), video);
        QCOMPARE(parts[0].contains(name.section(u'.', 1).toLower()), video);
    }
    // What is dropped onto the window: one local file, nothing else.
    void drops() {
        const QUrl file = QUrl::fromLocalFile(QStringLiteral("/videos/IMG_0001.MOV"));
        QCOMPARE(video_files::singleLocalFile({file}), QStringLiteral("/videos/IMG_0001.MOV"));
        QCOMPARE(video_files::singleLocalFile({file, file}), std::nullopt);
        QCOMPARE(video_files::singleLocalFile({QUrl("https://example.org/IMG_0001.MOV")}),
                 std::nullopt);
        QCOMPARE(video_files::singleLocalFile({}), std::nullopt);
    }
    // The command line: a video to open (as "Open with" gives it), or usage, or version.
    void commandLine_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("action");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("says");
        using A = app::CommandLine::Action;
        const auto row = [](const char* name, QStringList arguments, A action, QString file,
                            QString says) {
            QTest::newRow(name) << arguments << int(action) << file << says;
        };
        row("nothing", {}, A::Run, "", "");
        row("a file", {"授業/IMG_0001.MOV"}, A::Run, "授業/IMG_0001.MOV", "");
        row("help", {"--help"}, A::Help, "", "使い方: ugoki [ビデオファイル]");
        row("-h", {"clip.mp4", "-h"}, A::Help, "", "使い方");
        row("version", {"--version"}, A::Version, "", "Ugoki " UGOKI_VERSION);
        row("an unknown option", {"--fullscreen"}, A::Refuse, "", "--fullscreen");
        row("after --", {"--", "-clip.mp4"}, A::Run, "-clip.mp4", "");
        row("two files", {"a.mp4", "b.mp4"}, A::Refuse, "", "一度に一つ");
    }
    void commandLine() {
        QFETCH(QStringList, arguments);
        QFETCH(int, action);
        QFETCH(QString, file);
        QFETCH(QString, says);
        const app::CommandLine line = app::readCommandLine(arguments);
        QCOMPARE(int(line.action), action);
        QCOMPARE(line.file, file);
        QVERIFY2(line.message.contains(says), qPrintable(line.message));
        QCOMPARE(line.exitCode(), action == int(app::CommandLine::Action::Refuse) ? 2 : 0);
    }
};

class RasterTest : public QObject {
    Q_OBJECT
    static std::set<std::pair<int, int>> asSet(const raster::Pixels& pixels) {
        std::set<std::pair<int, int>> s;
        for (const QPoint& p : pixels)
            s.insert({p.x(), p.y()});
        return s;
    }
  private slots:
    void snapRoundsHalvesUp() {
        QCOMPARE(raster::snap({36.49, 10.2}), QPoint(36, 10));
        QCOMPARE(raster::snap({91.5, 212.5}), QPoint(92, 213));
        QCOMPARE(raster::snap({-0.5, -1.5}), QPoint(0, -1));
        QCOMPARE(raster::snap({600.00002, 50}), QPoint(600, 50));
    }
    // A line leaves out its last pixel and covers no pixel twice.
    void lines() {
        for (const auto& [a, b, count] : {std::tuple{QPoint(316, 236), QPoint(316, 258), 22},
                                          {{316, 196}, {339, 196}, 23},
                                          {{10, 5}, {0, 5}, 10},
                                          {{0, 0}, {5, 5}, 5},
                                          {{0, 0}, {2, 9}, 9},
                                          {{3, 3}, {3, 3}, 0}}) {
            const raster::Pixels pixels = raster::line(a, b, 1, LineStyle::Solid);
            const auto set = asSet(pixels);
            QCOMPARE(int(pixels.size()), count);
            QCOMPARE(int(set.size()), count);
            QVERIFY(!set.count({b.x(), b.y()}) && (count == 0 || pixels.front() == a));
        }
    }
    // Dotted lines run 3 on, 3 off; width 2 reaches one pixel left of the line's column.
    void styleAndWidth() {
        QCOMPARE(asSet(raster::line({50, 10}, {62, 10}, 1, LineStyle::Dot)),
                 (std::set<std::pair<int, int>>{
                     {50, 10}, {51, 10}, {52, 10}, {56, 10}, {57, 10}, {58, 10}}));
        const auto wide = asSet(raster::line({10, 10}, {10, 13}, 2, LineStyle::Solid));
        QCOMPARE(wide,
                 (std::set<std::pair<int, int>>{
                     {9, 9}, {10, 9}, {9, 10}, {10, 10}, {9, 11}, {10, 11}, {9, 12}, {10, 12}}));
        QCOMPARE(int(raster::boxInterior({0, 0}, {4, 3}).size()), 6);
    }
};

class GraphMathTest : public QObject {
    Q_OBJECT
    static std::array<std::int32_t, 101> gapsOf(const std::vector<int>& gaps) {
        std::array<std::int32_t, 101> frameGap{};
        std::copy(gaps.begin(), gaps.end(), frameGap.begin() + 1);
        return frameGap;
    }
  private slots:
    // The ends of both ranges: the press is refused, the auto-fit stops.
    void magnificationLimits() {
        using namespace graphs;
        QCOMPARE(yokoText(kMinYokoStep, yokoBairitu(kMinYokoStep)), QStringLiteral("1/32767"));
        QVERIFY(canStepYoko(kMaxYokoStep - 1, +1) && !canStepYoko(kMaxYokoStep, +1));
        QVERIFY(canStepYoko(kMinYokoStep + 1, -1) && !canStepYoko(kMinYokoStep, -1));
        QVERIFY(tateLarger(128.0f).redraw && !tateLarger(256.0f).redraw);
        QCOMPARE(tateSmaller(0.125f).bairitu, 0.125f);
        QCOMPARE(fitTimeAxis(1.0e6f, 1, 1.0f).step, kMinYokoStep);
    }
    // Each interval's velocities and the time of its middle; nothing past the last one.
    void intervalSeries() {
        const std::tuple<std::vector<int>, Floats, Floats, Floats> rows[] = {
            {{3}, {0, 1}, {10}, {0.05f}},
            {{4, 6}, {0, 2, 2}, {15, 0}, {float(2 / 30.0), float(7 / 30.0)}},
            {{15, 15}, {0, 5, 15}, {10, 20}, {0.25f, 0.75f}}};
        for (const auto& [gaps, xs, velX, times] : rows) {
            std::array<float, 101> posX{}, posY{}, vx{}, vy{}, t{};
            std::copy(xs.begin(), xs.end(), posX.begin() + 1);
            vx[xs.size()] = -7.0f;
            graphs::intervalVelocities(int(xs.size()), gapsOf(gaps), posX, posY, vx, vy, t);
            QCOMPARE(Floats(vx.begin() + 1, vx.begin() + xs.size()), velX);
            QCOMPARE(Floats(t.begin() + 1, t.begin() + xs.size()), times);
            QCOMPARE(vx[xs.size()], -7.0f);
        }
    }
    // The same marks with frames of 1/60 s: velocities twice, times half the counted ones.
    void intervalSeriesAtAnotherRate() {
        std::array<float, 101> posX{}, posY{}, vx{}, vy{}, t{};
        posX[1] = 0, posX[2] = 1, posX[3] = 4;
        graphs::intervalVelocities(3, gapsOf({3, 6}), posX, posY, vx, vy, t, 60.0);
        QCOMPARE(Floats(vx.begin() + 1, vx.begin() + 3), (Floats{20, 30}));
        QCOMPARE(Floats(t.begin() + 1, t.begin() + 3), (Floats{0.025f, 0.1f}));
        graphs::markTimes(3, gapsOf({3, 6}), t, 120.0);
        QCOMPARE(Floats(t.begin() + 1, t.begin() + 4), (Floats{0, 0.025f, 0.075f}));
    }
    // What the measuring menu reads and shows: rates, lengths and the scale.
    void timeAndLength() {
        using namespace measurement;
        const std::pair<double, const char*> rates[] = {
            {30, "30"}, {29.97002997, "29.97"}, {59.94005994, "59.94"}, {120, "120"}, {0.5, "0.5"}};
        for (const auto& [rate, text] : rates)
            QCOMPARE(rateText(rate), QString(text));
        const std::pair<const char*, double> typed[] = {
            {"120", 120}, {" 29.97 ", 29.97}, {"１２０", 120}, {"1", 1},     {"100000", 100000},
            {"", 0},      {"0", 0},           {"-5", 0},       {"abc", 0},   {"100001", 0},
            {"0.5", 0},   {"inf", 0},         {"nan", 0},      {"1e3", 1000}};
        for (const auto& [text, rate] : typed)
            QCOMPARE(parseRate(text).value_or(0), rate);
        const std::tuple<const char*, LengthUnit, double> lengths[] = {
            {"50", LengthUnit::Centimetre, 0.5}, {"232", LengthUnit::Millimetre, 0.232},
            {"1.5", LengthUnit::Metre, 1.5},     {"1000", LengthUnit::Metre, 1000},
            {"1001", LengthUnit::Metre, 0},      {"0", LengthUnit::Centimetre, 0},
            {"-3", LengthUnit::Centimetre, 0},   {"", LengthUnit::Metre, 0},
            {"cm", LengthUnit::Centimetre, 0},   {"nan", LengthUnit::Metre, 0}};
        for (const auto& [text, unit, metres] : lengths)
            QCOMPARE(parseLength(text, unit).value_or(0), metres);
        QVERIFY(samePixel({10.2, 5.9}, {10.8, 5.1}) && !samePixel({10.9, 5}, {11.1, 5}));
        QCOMPARE((LengthReference{{10, 20}, {10, 220}, 1.0}).metresPerUnit(), 0.2);
        QCOMPARE((LengthReference{{0, 0}, {30, 40}, 0.05}).metresPerUnit(), 0.04);
        const std::pair<double, const char*> scales[] = {
            {0.0235, "1 単位長 = 2.35 cm"}, {0.2, "1 単位長 = 20 cm"},
            {0.005, "1 単位長 = 5 mm"},     {0.00123, "1 単位長 = 1.23 mm"},
            {1.5, "1 単位長 = 1.5 m"},      {12.345, "1 単位長 = 12.3 m"}};
        for (const auto& [metres, text] : scales)
            QCOMPARE(unitLengthText(metres), QString(text));
        QCOMPARE(graphs::siAccelerationText(-49.0f, 0.2), QStringLiteral("(-9.80 m/s²)"));
        QCOMPARE(graphs::siAccelerationText(-0.01f, 0.2), QStringLiteral("(0.00 m/s²)"));
    }
    void chartMappingAndLabels() {
        using namespace graphs;
        QCOMPARE(float(chartX(0.05f, 1.0f)), 91.25f);
        QCOMPARE(velocityY(10.0, 1.0f), 212.0);
        QCOMPARE(positionY(-1.0, 1.0f), double(kPlotBottom));
        QCOMPARE(positionY(0.0, 1.0f), 374.0);
        QVERIFY(dotInsidePlot(50, 410) && !dotInsidePlot(600.00002, 200));
        QVERIFY(!dotInsidePlot(300, kNaN) && !pixelInsidePlot(50, 200));
        QCOMPARE(timeLabel(10, 0.5f), QStringLiteral("40.0"));
        QCOMPARE(positionLabel(0, 2.0f), QStringLiteral("-.50"));
        QCOMPARE(velocityLabel(0, 1.0f), QStringLiteral("-100.0"));
        QCOMPARE(velocityLabel(10, 2.0f), QStringLiteral("50.0"));
        QCOMPARE(velocityLabel(10, 256.0f), QStringLiteral("0.4"));
        QCOMPARE(accelerationLabel(20.0f), QStringLiteral("20.0"));
    }
    // x = 0, 5, 15 at 15-frame steps: a = 20, b = 5, and the position curve from mark 1
    // meets all three marks.
    void leastSquares() {
        const auto line = graphs::fitLine(Floats{0.25f, 0.75f}, Floats{10.0f, 20.0f});
        QVERIFY(line);
        QCOMPARE(line->a, 20.0f);
        QCOMPARE(line->b, 5.0f);
        QCOMPARE(graphs::fittedPosition(*line, 0.0f, 0.5), 5.0);
        QCOMPARE(graphs::fittedPosition(*line, 0.0f, 1.0), 15.0);
        QCOMPARE(graphs::fittedPosition(*line, 2.0f, 0.0), 2.0);
        const float inf = std::numeric_limits<float>::infinity();
        QVERIFY(!graphs::fitLine(Floats{}, Floats{}));
        QVERIFY(!graphs::fitLine(Floats{0.1f}, Floats{3}));
        QVERIFY(!graphs::fitLine(Floats{0.3f, 0.3f, 0.3f}, Floats{1, 2, 4}));
        QVERIFY(!graphs::fitLine(Floats{0.1f, 0.2f}, Floats{1, inf}));
    }
};

class CommandsTest : public QObject {
    Q_OBJECT
  private slots:
    void commandBytes() {
        const std::pair<std::string, const char*> rows[] = {
            {media::closeCommand(), "close avfile"},
            {media::openCommand("/home/u/ball.avi", 3),
             "open /home/u/ball.avi alias avfile style child parent 3"},
            {media::openCommand("", 3), "open  alias avfile style child parent 3"},
            {media::putDestinationCommand(320, 240), "put avfile destination at 0 0  320 240"},
            {media::statusLengthCommand(), "status avfile length"},
            {media::statusPositionCommand(), "status avfile position"},
            {media::playCommand(), "play avfile window"},
            {media::pauseCommand(), "pause avfile"},
            {media::stepCommand(), "step avfile"},
            {media::stepReverseCommand(), "step avfile reverse"},
            {media::seekCommand(0), "seek avfile to  0"},
            {media::seekCommand(40000), "seek avfile to  40000"},
            {media::stopCommand(), "stop avfile"},
            {media::updateCommand(7), "update avfile hdc 7"}};
        for (const auto& [composed, expected] : rows)
            QCOMPARE(composed, std::string(expected));
        QCOMPARE(media::spacedNumber(-5.0), std::string("-5"));
        QCOMPARE(media::spacedNumber(2.5), std::string(" 2.5"));
        QCOMPARE(media::spacedNumber(-0.25), std::string("-0.25"));
        QCOMPARE(media::plainNumber(-3), std::string("-3"));
    }
    // The leading number, rounded half to even, saturated to 32 bits; 0 for anything else.
    void numericReplies() {
        const std::pair<const char*, int> rows[] = {{"300", 300},
                                                    {"   42", 42},
                                                    {"\t7", 7},
                                                    {"12 frames", 12},
                                                    {"", 0},
                                                    {"指定されたデバイスは開かれていません。", 0},
                                                    {"frame 12", 0},
                                                    {"-", 0},
                                                    {"-15", -15},
                                                    {"+8", 8},
                                                    {"2.5", 2},
                                                    {"3.5", 4},
                                                    {"-2.5", -2},
                                                    {"2.51", 3},
                                                    {"1e3", 1000},
                                                    {".5", 0},
                                                    {"40000", 40000},
                                                    {"99999999999", 2147483647},
                                                    {"-99999999999", -2147483647 - 1},
                                                    {"1e999", 2147483647},
                                                    {"1e-999", 0},
                                                    {"0x1F", 0},
                                                    {"inf", 0}};
        for (const auto& [reply, value] : rows)
            QVERIFY2(media::readNumericReply(reply) == value, reply);
    }
    void unusualForms() {
        const auto open = parseCommand("open \"/tmp/a b.avi\" alias AVFile style child parent 12");
        QCOMPARE(open.command.alias, std::string("avfile")); // aliases ignore case
        QVERIFY(parseCommand("STEP AVFILE REVERSE").command.reverse);
        QVERIFY(parseCommand("close all").command.allDevices);
    }
    void malformed_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("code");
        const auto row = [](const char* command, int code) {
            QTest::newRow(command) << QString(command) << code;
        };
        row("", kErrUnknownCommand);
        row("rewind avfile", kErrUnknownCommand);
        row("\"play\" avfile", kErrUnknownCommand);
        row("play", kErrMissingParameter);
        row("open", kErrMissingFileName);
        row("open  alias avfile style child parent 3", kErrMissingFileName);
        row("open \"\" alias avfile", kErrMissingFileName);
        row("open \"/tmp/a.avi alias avfile", kErrBadParameter);
        row("open a.avi alias", kErrMissingParameter);
        row("open a.avi parent x1", kErrBadParameter);
        row("open a.avi style round", kErrBadParameter);
        row("open a.avi colour red", kErrBadParameter);
        row("put avfile", kErrMissingParameter);
        row("put avfile source at 0 0 1 1", kErrBadParameter);
        row("put avfile destination at 0 0 320", kErrMissingParameter);
        row("put avfile destination at a b c d", kErrBadParameter);
        row("put avfile destination at 0 0 0 240", kErrBadParameter);
        row("put avfile destination at 0 0 320 4097", kErrBadParameter);
        row("status avfile", kErrMissingParameter);
        row("status avfile speed", kErrBadParameter);
        row("seek avfile 5", kErrBadParameter);
        row("seek avfile to", kErrMissingParameter);
        row("seek avfile to 2.5", kErrBadParameter);
        row("seek avfile to -1", kErrOutOfRange);
        row("seek avfile to 99999999999", kErrBadParameter);
        row("step avfile sideways", kErrBadParameter);
        row("step avfile by", kErrMissingParameter);
        row("update avfile hdc", kErrMissingParameter);
        row("update avfile hdc seven", kErrBadParameter);
        row("pause avfile now", kErrBadParameter);
        row("play avfile fullscreen", kErrBadParameter);
    }
    void malformed() {
        QFETCH(QString, command);
        QFETCH(int, code);
        QCOMPARE(parseCommand(command.toStdString()).code, code);
        char buffer[256] = {};
        QCOMPARE(sendCommand(command.toStdString().c_str(), buffer, sizeof buffer), code);
        QCOMPARE(buffer[0], '\0');
    }
};

// A scripted service in place of the media service, for the command channel.
namespace scripted {
std::int32_t code = 0;
std::string reply, error, received;
bool fill = false, bufferWasClear = false;
int size = 0, errorCalls = 0;
void write(const std::string& text, char* buffer, int n) {
    if (fill) {
        std::memset(buffer, 'x', std::size_t(n));
        return;
    }
    const std::size_t length = std::min(text.size(), std::size_t(n - 1));
    std::memcpy(buffer, text.data(), length);
    buffer[length] = '\0';
}
std::int32_t send(const char* command, char* buffer, int n) {
    received = command;
    size = n;
    bufferWasClear = std::all_of(buffer, buffer + n, [](char c) { return c == '\0'; });
    if (code == 0)
        write(reply, buffer, n);
    return code;
}
void errorText(std::int32_t, char* buffer, int n) {
    ++errorCalls;
    write(error, buffer, n);
}
} // namespace scripted

class ChannelTest : public QObject {
    Q_OBJECT
    int beeps_ = 0;
  private slots:
    void init() {
        scripted::code = 0;
        scripted::fill = false;
        scripted::errorCalls = beeps_ = 0;
        setBeepHandler([this] { ++beeps_; });
        media::setCommandService({&scripted::send, &scripted::errorText});
    }
    void cleanup() {
        setBeepHandler(nullptr);
        media::setCommandService({});
    }
    // Success is quiet; a failure beeps once and gives the error text for the reply; both
    // are cut at 255 characters; a buffer without a NUL leaves the reply as it was.
    void replies() {
        scripted::reply = "300";
        std::string reply = "left over";
        QCOMPARE(Module1::SendMciCommand("status avfile length", reply), 0);
        QCOMPARE(reply, std::string("300"));
        QVERIFY(scripted::bufferWasClear && scripted::size == 256 && beeps_ == 0);
        QCOMPARE(scripted::received, std::string("status avfile length"));
        scripted::code = 263;
        scripted::error = "指定されたファイルが見つかりません。";
        QCOMPARE(Module1::SendMciCommand("pause avfile", reply), 263);
        QCOMPARE(reply, scripted::error);
        QVERIFY(beeps_ == 1 && scripted::errorCalls == 1);
        scripted::error = std::string(400, 'e');
        Module1::SendMciCommand("pause avfile", reply);
        QCOMPARE(reply, std::string(255, 'e'));
        scripted::code = 0;
        scripted::reply = std::string(400, 'r');
        Module1::SendMciCommand("status avfile mode", reply);
        QCOMPARE(reply, std::string(255, 'r'));
        scripted::fill = true;
        reply = "before";
        Module1::SendMciCommand("status avfile position", reply);
        QCOMPARE(reply, std::string("before"));
    }
    // The path itself, quoted when it holds a blank; empty when missing or unquotable.
    void shortNames() {
        QTemporaryDir dir;
        for (const auto& [name, form] : {std::pair{"ball.avi", 'p'},
                                         {"my ball.avi", 'q'},
                                         {"落下の実験.avi", 'p'},
                                         {"ボール 投げ上げ.avi", 'q'},
                                         {"say \"hi\".avi", '-'},
                                         {"gone.avi", '-'}}) {
            const QString path = dir.filePath(QString::fromUtf8(name));
            QVERIFY(QByteArray(name) == "gone.avi" || support::writeFile(path, {}));
            const std::string utf8 = path.toStdString();
            QCOMPARE(Module1::GetShortName(utf8), form == 'p'   ? utf8
                                                  : form == 'q' ? '"' + utf8 + '"'
                                                                : std::string());
        }
    }
};

class ServiceUnitsTest : public QObject {
    Q_OBJECT
    // A GOP-4 stream: keyframes at packets 0, 4, 8; AVI-like slots when given.
    static FrameIndex gopIndex(int pictures, std::vector<std::int64_t> positions = {},
                               std::int64_t length = 0) {
        std::vector<FrameIndex::Packet> packets;
        for (int i = 0; i < pictures; ++i) {
            const std::int64_t slot = positions.empty() ? i : positions[std::size_t(i)];
            packets.push_back({.timestamp = slot, .slot = slot, .keyframe = i % 4 == 0});
        }
        return FrameIndex(std::move(packets), length);
    }
    static QImage picture(int side = 10) {
        QImage image(side, side, QImage::Format_RGB32);
        image.fill(Qt::gray);
        return image;
    }
  private slots:
    void frameIndex() {
        const FrameIndex index = gopIndex(10);
        for (const auto& [rank, start, first, end] :
             {std::tuple{0, 0, 0, 4}, {3, 0, 0, 4}, {4, 1, 4, 8}, {9, 2, 8, 10}}) {
            const int k = index.startAtOrBefore(rank);
            QCOMPARE(k, start);
            QCOMPARE(index.start(k).rank, first);
            QCOMPARE(index.endRankOf(k), end);
        }
        QCOMPARE(index.longestGop(), 4);
        // Positions 3 and 4 dropped: they show the picture before them.
        const FrameIndex dropped = gopIndex(5, {0, 1, 2, 5, 6});
        for (const auto& [slot, rank] :
             {std::pair{2, 2}, {3, 2}, {4, 2}, {5, 3}, {6, 4}, {99, 4}, {-3, 0}})
            QCOMPARE(dropped.rankAtSlot(slot), rank);
        QCOMPARE(dropped.length(), std::int64_t(7));
        QCOMPARE(gopIndex(5, {0, 1, 2, 3, 4}, 8).length(), std::int64_t(8));
        QCOMPARE(dropped.locate({.timestamp = 5}, -1), 3);
        QCOMPARE(dropped.locate({.timestamp = 3}, -1), -1);
        // An edit list cuts the first two packets and a field-coded frame's second field shows
        // nothing: the keyframe at packet 4 starts at rank 1; a start needs no picture.
        std::vector<FrameIndex::Packet> cut;
        for (int i = 0, rank = 0; i < 8; ++i) {
            cut.push_back({.timestamp = 10 * i,
                           .offset = 1000 + 100 * i,
                           .slot = rank,
                           .size = 60,
                           .keyframe = i == 0 || i == 4,
                           .shows = i >= 2 && i != 3});
            rank += cut.back().shows;
        }
        cut[5].offset = cut[4].offset; // two packets in one block of the container
        const FrameIndex shown(cut, 0);
        QCOMPARE(shown.pictureCount(), 5);
        QCOMPARE(shown.startCount(), 2);
        QCOMPARE(shown.start(1).packet, 4);
        QCOMPARE(shown.start(1).rank, 1);
        QCOMPARE(shown.startAtOrBefore(0), 0);
        QCOMPARE(shown.startAtOrBefore(1), 1);
        // Known again after a seek: the next packet when it matches, else by offset, then
        // timestamp; the size must agree.
        for (const auto& [timestamp, offset, size, previous, packet] :
             {std::tuple{20, 1200, 0, 1, 2},
              {70, 1700, 0, -1, 7},
              {50, 1400, 0, -1, 5},
              {40, 1400, 0, -1, 4},
              {40, 1400, 0, 3, 4},
              {30, -1, 0, -1, 3},
              {35, -1, 0, -1, -1},
              {0, 999, 0, -1, -1},
              {99, -1, 60, 3, 4},
              {99, -1, 61, 3, -1},
              {30, -1, 61, -1, -1},
              {70, 1700, 61, -1, -1}})
            QCOMPARE(shown.locate({timestamp, offset, size}, previous), packet);
        // Pictures found not to come out: the ranks close up.
        const FrameIndex fewer = shown.withoutPictures({2, 6});
        QCOMPARE(fewer.pictureCount(), 3);
        QCOMPARE(fewer.length(), std::int64_t(3));
        QCOMPARE(fewer.start(1).rank, 0);
        QCOMPARE(fewer.slotOfRank(2), std::int64_t(2));
        QCOMPARE(dropped.withoutPictures({4}).length(), std::int64_t(7));
    }
    // Pictures named by what was handed to the decoder: "s5" a packet with presentation time 5
    // that shows a picture, "h5" one that does not, "o5" a picture out, "f" a failure, "oN"
    // a picture without a time. `ranks` are the names given to each picture and failure.
    void pictureNumbering_data() {
        QTest::addColumn<bool>("byTimestamp");
        QTest::addColumn<bool>("fromStart");
        QTest::addColumn<int>("first");
        QTest::addColumn<QString>("events");
        QTest::addColumn<QString>("ranks");
        const auto row = [](const char* name, bool byTime, bool start, int first,
                            const char* events, const char* ranks) {
            QTest::newRow(name) << byTime << start << first << events << ranks;
        };
        row("B-frames", true, true, 0, "s0 s3 s1 s2 o0 o1 o2 s6 s4 o3 s5 o4 o5 o6",
            "0 1 2 3 4 5 6");
        row("a picture never out", true, true, 0, "s0 s3 s1 s2 o0 o2 o3", "0 2 3");
        row("cut by an edit list", true, true, 0, "h-2 s0 h-1 s1 o0 o1", "0 1");
        row("leading pictures", true, false, 10, "s8 s6 s7 s10 s9 o6 o7 o8 o9 o10",
            "-1 -1 12 13 14");
        row("leading at the file start", true, true, 0, "s8 s6 s7 s10 s9 o6 o7 o8 o9 o10",
            "0 1 2 3 4");
        row("equal times", true, true, 3, "s0 s1 s1 s2 o0 o1 o1 o2", "3 4 5 6");
        row("out of order", true, true, 0, "s0 s1 s2 o0 o2 o1", "0 2 -1");
        row("no time", true, true, 0, "s0 s1 o0 oN oN", "0 1 2");
        row("counted", false, false, 5, "s s o s o s o", "5 6 7");
        row("counted, a packet rejected", false, false, 0, "s o s s o s o", "0 2 3");
        row("counted, a failure in place", false, false, 0, "s o s f s o", "0 1 2");
        row("counted, a failure first", false, false, 0, "s f s o s f f", "-1 0 1 -1");
    }
    void pictureNumbering() {
        QFETCH(bool, byTimestamp);
        QFETCH(bool, fromStart);
        QFETCH(int, first);
        QFETCH(QString, events);
        QFETCH(QString, ranks);
        PictureNumbering numbering(byTimestamp ? PictureNumbering::Method::ByTimestamp
                                               : PictureNumbering::Method::ByCount);
        numbering.restart(first, fromStart);
        QStringList named;
        for (const QString& event : events.split(' ')) {
            const std::int64_t pts =
                event.mid(1) == "N" || event.size() == 1 ? kNoTimestamp : event.mid(1).toLongLong();
            if (event[0] == 's' || event[0] == 'h')
                numbering.packetSent(event[0] == 's', pts);
            else if (event[0] == 'o')
                named << QString::number(numbering.pictureOut(pts));
            else
                named << QString::number(numbering.failureOut());
        }
        QCOMPARE(named.join(' '), ranks);
    }
    // A phone's display matrix, as FFmpeg writes it, turns the picture upright.
    void displayTransforms_data() {
        QTest::addColumn<double>("rotation"); // as FFmpeg's tools print it
        QTest::addColumn<bool>("flip");
        QTest::addColumn<int>("quarters");
        QTest::addColumn<bool>("mirrored");
        QTest::addColumn<QPoint>("redAt"); // where the stored top-left pixel shows, in 2 x 3
        QTest::newRow("none") << 0.0 << false << 0 << false << QPoint(0, 0);
        QTest::newRow("portrait (-90)") << -90.0 << false << 1 << false << QPoint(2, 0);
        QTest::newRow("upside down") << 180.0 << false << 2 << false << QPoint(2, 1);
        QTest::newRow("portrait (90)") << 90.0 << false << 3 << false << QPoint(0, 1);
        QTest::newRow("mirrored") << 0.0 << true << 0 << true << QPoint(2, 0);
        // Turned clockwise, then mirrored: as mirrored first, then turned the other way.
        QTest::newRow("portrait, mirrored") << -90.0 << true << 3 << true << QPoint(0, 0);
        QTest::newRow("nearly a right angle") << -88.0 << false << 1 << false << QPoint(2, 0);
    }
    void displayTransforms() {
        QFETCH(double, rotation);
        QFETCH(bool, flip);
        QFETCH(int, quarters);
        QFETCH(bool, mirrored);
        QFETCH(QPoint, redAt);
        std::int32_t matrix[9];
        av_display_rotation_set(matrix, -rotation); // printed with the other sign
        av_display_matrix_flip(matrix, flip, 0);
        const DisplayTransform transform = displayTransformFromMatrix(matrix);
        QCOMPARE(transform.clockwiseQuarters, quarters);
        QCOMPARE(transform.mirrored, mirrored);
        QImage stored(quarters % 2 ? 2 : 3, quarters % 2 ? 3 : 2, QImage::Format_RGB32);
        stored.fill(Qt::gray);
        stored.setPixel(0, 0, qRgb(255, 0, 0));
        const QImage shown = transformed(stored, transform);
        QCOMPARE(shown.size(), QSize(3, 2));
        QCOMPARE(transformedShape(QSizeF(stored.size()), transform), QSizeF(3, 2));
        QCOMPARE(storedSizeFor(QSize(3, 2), transform), stored.size());
        QCOMPARE(shown.pixel(redAt), qRgb(255, 0, 0));
        QCOMPARE(displayTransformFromMatrix(nullptr), DisplayTransform{});
    }
    // The cache keeps what lies nearest the picture shown, within its bytes.
    void frameCache() {
        const std::size_t one = std::size_t(picture().sizeInBytes());
        FrameCache cache(3 * one);
        for (int rank : {10, 11, 4, 9}) // 4 is farthest from 10 and goes
            QVERIFY(cache.insert(rank, picture(), 10));
        QVERIFY(!cache.contains(4) && cache.contains(9) && cache.contains(11));
        QVERIFY(!cache.insert(30, picture(), 10)); // it would be the first to go
        QVERIFY(cache.insert(11, picture(), 10));  // replacing does not count twice
        QCOMPARE(cache.bytes(), 3 * one);
        QVERIFY(!cache.insert(1, picture(400), 1)); // larger than the whole budget
        QCOMPARE(cache.capacity(one), 3);
        FrameCache runs(1u << 20);
        for (int rank : {3, 4, 5, 6, 8, 9})
            runs.insert(rank, picture(), 5);
        QCOMPARE(runs.keptDownFrom(5), 3);
        QCOMPARE(runs.keptUpFrom(5), 6);
        QCOMPARE(runs.keptDownFrom(7), 8);
        QCOMPARE(runs.keptUpFrom(7), 6);
        // Two GOPs and a few pictures more, 64 at least, within the ceiling.
        for (const auto& [gop, most, budget] :
             {std::tuple{250, 400, 400}, {60, 1000, 136}, {30, 1000, 76}, {1, 1000, 64}})
            QCOMPARE(FrameCache::budgetFor(1, gop, std::size_t(most)), std::size_t(budget));
    }
    // Decoding threads: a core left to the windows, two at least, eight at most, fewer for
    // pictures whose memory would add up (4K: 12.4 MB a picture in 8 bits, twice in 10).
    void decodingThreadCounts() {
        constexpr std::size_t k4K = 3840 * 2160 * 3 / 2, kHd = 1920 * 1080 * 3 / 2;
        for (const auto& [cores, bytes, threads] : {std::tuple{1, kHd, 2},
                                                    {2, kHd, 2},
                                                    {4, kHd, 3},
                                                    {8, kHd, 7},
                                                    {64, kHd, 8},
                                                    {8, k4K, 4},
                                                    {8, 2 * k4K, 2},
                                                    {2, k4K, 2},
                                                    {8, std::size_t(0), 7}})
            QCOMPARE(decodingThreads(cores, bytes), threads);
    }
    // A picture many times larger than shown is first averaged over blocks of 2, 4 or 8
    // samples a side, leaving at least twice the shown size, when its planes divide.
    void pictureShrink() {
        for (const auto& [format, w, h, factor] : {std::tuple{AV_PIX_FMT_YUV420P, 3840, 2160, 4},
                                                   {AV_PIX_FMT_YUV420P, 1920, 1080, 2},
                                                   {AV_PIX_FMT_YUV420P10LE, 3840, 2160, 4},
                                                   {AV_PIX_FMT_YUVJ422P, 640, 480, 1},
                                                   {AV_PIX_FMT_YUV420P, 5120, 2880, 8},
                                                   {AV_PIX_FMT_YUV420P, 1366, 768, 1},
                                                   {AV_PIX_FMT_RGB24, 3840, 2160, 1},
                                                   {AV_PIX_FMT_NV12, 3840, 2160, 1}})
            QCOMPARE(PictureShrink::factorFor(format, w, h, 320, 180), factor);
        // Each output sample is its block's rounded mean, in every plane.
        AVFrame* frame = av_frame_alloc();
        frame->format = AV_PIX_FMT_YUV420P10LE;
        frame->width = 16;
        frame->height = 8;
        QVERIFY(av_frame_get_buffer(frame, 0) >= 0);
        for (int p = 0; p < 3; ++p)
            for (int y = 0; y < (p ? 4 : 8); ++y)
                for (int x = 0; x < (p ? 8 : 16); ++x)
                    reinterpret_cast<std::uint16_t*>(frame->data[p] + y * frame->linesize[p])[x] =
                        std::uint16_t(100 * p + 4 * x + y);
        PictureShrink shrink;
        shrink.shrink(frame, 2);
        QCOMPARE(QSize(shrink.width(), shrink.height()), QSize(8, 4));
        const auto at = [&](int p, int x, int y) {
            return reinterpret_cast<const std::uint16_t*>(shrink.planes()[p] +
                                                          y * shrink.strides()[p])[x];
        };
        QCOMPARE(at(0, 0, 0), 3);   // 0 1 4 5: 2.5 rounds up
        QCOMPARE(at(0, 7, 3), 65);  // 62 66 63 67
        QCOMPARE(at(2, 3, 1), 229); // 226 230 227 231
        av_frame_free(&frame);
    }
    void pictureFit() {
        QCOMPARE(fittedRect(QSizeF(720.0 * 16 / 11, 576), QSize(320, 240)), QRect(0, 32, 320, 176));
        QCOMPARE(fittedRect(QSizeF(), QSize(320, 240)), QRect(0, 0, 320, 240));
        QImage inner(320, 180, QImage::Format_RGB32);
        inner.fill(Qt::white);
        const QImage frame = composedFrame(inner, QSizeF(1280, 720), QSize(320, 240));
        QCOMPARE(frame.pixelColor(160, 29), QColor(Qt::black));
        QCOMPARE(frame.pixelColor(160, 30), QColor(Qt::white));
        QCOMPARE(frame.pixelColor(319, 210), QColor(Qt::black));
        QCOMPARE(composedFrame({}, QSizeF(4, 3), QSize(8, 6)).pixelColor(4, 3), QColor(Qt::black));
        // A file may claim any shape: at most 4096 pixels a side.
        QCOMPARE(boundedSize(QSizeF(320 * 65535.0, 240)), QSize(4096, 1));
        QCOMPARE(boundedSize(QSizeF(426.67, 240)), QSize(427, 240));
    }
    // Positions advance at the file's rate from the start: late looks drop frames.
    void playbackClock() {
        using namespace std::chrono;
        const auto start = PlaybackClock::Clock::time_point{} + seconds(100);
        const PlaybackClock clock(40, 25.0, start);
        QCOMPARE(clock.dueSlot(start - milliseconds(5)), std::int64_t(40));
        QCOMPARE(clock.dueSlot(start + milliseconds(39)), std::int64_t(40));
        QCOMPARE(clock.dueSlot(start + milliseconds(40)), std::int64_t(41));
        QCOMPARE(clock.dueSlot(start + seconds(10)), std::int64_t(290));
        QCOMPARE(clock.dueTime(290), start + seconds(10));
        const PlaybackClock ntsc(0, 30000.0 / 1001.0, start);
        QCOMPARE(ntsc.dueSlot(start + seconds(1001)), std::int64_t(30000));
    }
    // Slots come back when the last copy of a picture goes; pictures outlive the pool.
    void picturePool() {
        auto pool = PicturePool::create(QSize(100, 100), 1);
        QImage first = pool->acquire();
        const uchar* slot = first.constBits();
        QImage copy = first;
        first = QImage();
        QCOMPARE(pool->slotsInUse(), std::size_t(1));
        copy = QImage();
        QCOMPARE(pool->acquire().constBits(), slot);
        std::vector<QImage> many(300); // past one 8 MB block: ordinary memory then
        for (QImage& picture : many)
            picture = pool->acquire();
        QCOMPARE(pool->slotsInUse(), std::size_t(8 * 1024 * 1024 / 40000));
        many.back().fill(Qt::blue);
        pool.reset();
        QCOMPARE(many.back().pixelColor(99, 99), QColor(Qt::blue));
    }
};

class FrameCodeTest : public QObject {
    Q_OBJECT
  private slots:
    // The media tests read the numbers of the frames shown; a picture that is not the coded
    // frame whole and the right way round must not read as one.
    void rejectsPicturesWithoutACode() {
        QImage coded(320, 240, QImage::Format_RGB32);
        videogen::paintFrameCode(coded, 0x12345);
        QImage grey(320, 240, QImage::Format_RGB32);
        grey.fill(QColor(128, 128, 128));
        for (const QImage& image : {grey, coded.mirrored(false, true), coded.mirrored(true, false),
                                    coded.copy(0, 0, 160, 240)})
            QCOMPARE(videogen::readFrameCode(image, QRect(0, 0, 320, 240)), -1);
        QImage frame(500, 500, QImage::Format_RGB32);
        videogen::paintFrameCode(frame, 6);
        QPainter(&frame).fillRect(QRect(150, 70, 40, 40), Qt::white); // the lowest bit's cell
        QCOMPARE(videogen::readFrameCode(frame, frame.rect()), -1);
    }
};

class ToolkitTest : public QObject {
    Q_OBJECT
    static std::unique_ptr<PictureBox> box(int w, int h) {
        auto b = std::make_unique<PictureBox>();
        b->setOuterSize(w, h);
        return b;
    }
  private slots:
    void initTestCase() { installFontSubstitutions(); }
    void captionLineBreaks() {
        for (const auto& [caption, shown] : {std::pair{"フレーム\n\r    12", "フレーム\n    12"},
                                             {"a\r\nb", "a\nb"},
                                             {"a\rb", "a\nb"},
                                             {"a\n\r\n\rb", "a\n\nb"},
                                             {"a\n\nb", "a\n\nb"}})
            QCOMPARE(displayedCaption(QString::fromUtf8(caption)), QString::fromUtf8(shown));
        CaptionLabel label(QStringLiteral("x"));
        label.setCaption(QStringLiteral("フレーム\n\r    7"));
        QCOMPARE(label.caption(), QStringLiteral("フレーム\n\r    7"));
        QCOMPARE(label.text(), QStringLiteral("フレーム\n    7"));
    }
    // A watched window's activation runs when another watched window was active before; A
    // and B are watched, d is a dialog, "out" leaves for another application.
    void activation_data() {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<int>("aRuns");
        QTest::addColumn<int>("bRuns");
        QTest::newRow("between the windows") << "A B A B" << 2 << 2;
        QTest::newRow("back from another application") << "A out A" << 1 << 0;
        QTest::newRow("from outside into the other window") << "A out B" << 1 << 1;
        QTest::newRow("back through another application") << "A B out A" << 2 << 1;
        QTest::newRow("back from a dialog") << "A d A" << 1 << 0;
        QTest::newRow("through a dialog to the other") << "A d B" << 1 << 1;
    }
    void activation() {
        QFETCH(QString, steps);
        QFETCH(int, aRuns);
        QFETCH(int, bRuns);
        QWidget a, b, dialog;
        int ranA = 0, ranB = 0;
        watchActivation(&a, [&] { ++ranA; });
        watchActivation(&b, [&] { ++ranB; });
        for (const QString& step : steps.split(u' ')) {
            if (step == u"out") {
                QApplicationStateChangeEvent inactive(Qt::ApplicationInactive);
                QApplication::sendEvent(qApp, &inactive);
                QApplication::setActiveWindow(nullptr);
            } else {
                QVERIFY(support::showActive(step == u"A" ? &a : step == u"B" ? &b : &dialog));
            }
        }
        QCOMPARE(ranA, aRuns);
        QCOMPARE(ranB, bRuns);
    }
    void sizesAndScales() {
        PictureBox b;
        b.setOuterGeometry(400, 40, 320, 240);
        QCOMPARE(b.image().size(), QSize(316, 236));
        QCOMPARE(b.clientArea()->geometry(), QRect(2, 2, 316, 236));
        b.setPixel(3, 4, Qt::red);
        b.setOuterSize(44, 34); // what fits is kept
        QCOMPARE(b.pixelColor(3, 4), QColor(Qt::red));
        auto chart = box(641, 465); // a graph's picture area: 637 x 461 inside
        chart->setUserScale(0, 0, 637, 461);
        QCOMPARE(chart->pixelAt(599.5, 50.4), QPoint(600, 50));
        QCOMPARE(chart->toUser({100, 50}), QPointF(100, 50));
        chart->setCurrentX(7);
        chart->clear();
        QCOMPARE(chart->currentX(), 0.0);
    }
    // XOR combines each pixel once: twice restores the picture bit for bit, a light-yellow
    // dot shows light blue on white without a ring, white shows black.
    void xorDrawing() {
        auto b = box(64, 48);
        for (int y = 0; y < 44; ++y)
            for (int x = 0; x < 60; ++x)
                b->setPixel(x, y, QColor((x * 37) & 255, (y * 53) & 255, ((x + y) * 11) & 255));
        const QImage before = b->image().copy();
        b->setDrawMode(DrawMode::XorPen);
        b->setFillStyle(FillStyle::Solid);
        b->setFillColor(QBColor(14));
        b->setDrawWidth(2);
        for (int twice = 0; twice < 2; ++twice) {
            QCOMPARE(b->image() == before, twice == 0);
            b->drawCircle(20.4, 17.6, 3, QBColor(14));
            b->drawCircle(58, 42, 3, QBColor(15)); // partly outside
            b->drawLine(0, 0, 59, 43, QBColor(9));
            b->drawBox(5, 5, 30, 20, QBColor(12));
            b->setPixel(1, 1, QBColor(10));
        }
        QCOMPARE(b->image(), before);
        auto white = box(40, 40);
        white->setDrawMode(DrawMode::XorPen);
        white->setFillStyle(FillStyle::Solid);
        white->setFillColor(QBColor(14));
        white->drawCircle(20, 20, 3, QBColor(14));
        QCOMPARE(support::countPixels(white->image(), QBColor(9)), 37);
        white->setFillColor(QBColor(15));
        white->drawCircle(5, 5, 2, QBColor(15));
        QCOMPARE(white->pixelColor(5, 5), QBColor(0));
    }
    // A solid dot: the fill colour inside its outline; transparent: the outline alone.
    void copyDrawing() {
        auto b = box(104, 44);
        b->setFillStyle(FillStyle::Solid);
        b->setFillColor(QBColor(12));
        b->drawCircle(20, 20, 3, QBColor(1));
        QCOMPARE(b->pixelColor(20, 20), QBColor(12));
        QCOMPARE(b->pixelColor(23, 20), QBColor(1));
        b->setFillStyle(FillStyle::Transparent);
        b->drawCircle(60, 20, 3, QBColor(0));
        QCOMPARE(b->pixelColor(60, 20), QBColor(15));
        QCOMPARE(b->pixelColor(63, 20), QBColor(0));
    }
    // Work done on a thread of its own: the windows are still painted meanwhile; after half a
    // second a modal dialog shows how far it got, and cancelling tells the work so.
    void backgroundWork() {
        int painted = 0;
        QTimer paint;
        connect(&paint, &QTimer::timeout, [&] { ++painted; });
        paint.start(5);
        std::atomic<bool> quick = false;
        runInBackground([&] { quick = true; }, [] { return -1; }, [] {}, "…", nullptr);
        QVERIFY(quick && !QApplication::activeModalWidget());
        QString label;
        int value = -1;
        std::atomic<bool> cancelled = false;
        QTimer look;
        connect(&look, &QTimer::timeout, [&] {
            if (auto* dialog = qobject_cast<QProgressDialog*>(QApplication::activeModalWidget())) {
                label = dialog->labelText();
                value = dialog->value();
                dialog->findChild<QPushButton*>()->click();
            }
        });
        look.start(20);
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        runInBackground(
            [&] {
                while (!cancelled && std::chrono::steady_clock::now() < giveUp)
                    std::this_thread::yield();
            },
            [] { return 400; }, [&] { cancelled = true; },
            QStringLiteral("映像を読み込んでいます…"), nullptr);
        QVERIFY(cancelled);
        QCOMPARE(label, QStringLiteral("映像を読み込んでいます…"));
        QCOMPARE(value, 400);
        QVERIFY(painted > 10); // half a second of the UI thread's timers went on
    }
    // Text lands with its top-left corner at the current position, which moves a line on.
    void text() {
        auto b = box(104, 44);
        b->setFontSize(10);
        b->setCurrentX(30);
        b->setCurrentY(8);
        b->printText(QStringLiteral("7"));
        QVERIFY(support::showsText(*b, {30, 8}, QStringLiteral("7")));
        QVERIFY(!support::showsText(*b, {30, 9}, QStringLiteral("7")));
        QVERIFY(b->currentX() == 0.0 && b->currentY() > 8);
    }
    void mouseDownAndHandles() {
        auto b = std::make_unique<PictureBox>();
        b->setOuterSize(320, 240);
        QSignalSpy spy(b.get(), &PictureBox::mouseDown);
        QMouseEvent right(QEvent::MouseButtonPress, QPointF(36.25, 36.75), QPointF(36.25, 36.75),
                          Qt::RightButton, Qt::RightButton, Qt::ShiftModifier);
        QApplication::sendEvent(b->clientArea(), &right);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy[0][0].toInt(), 2);
        QCOMPARE(spy[0][1].toInt(), 1);
        QCOMPARE(spy[0][2].toFloat(), 36.25f);
        QCOMPARE(spy[0][3].toFloat(), 36.75f);
        PictureBox other;
        QVERIFY(b->hWnd() > 0 && b->hWnd() != b->hDC() && b->hDC() != other.hDC());
        QCOMPARE(windowFromHandle(b->hWnd()), b->clientArea());
        QCOMPARE(surfaceFromDeviceContext(b->hDC()), b.get());
        QCOMPARE(surfaceFromDeviceContext(b->hWnd()), nullptr); // a window is not a DC
        const auto dc = b->hDC();
        b.reset();
        QCOMPARE(surfaceFromDeviceContext(dc), nullptr);
        QCOMPARE(surfaceFromDeviceContext(other.hDC()), &other);
    }
};

// Finding an object: on a grey disc drawn at a known middle.
class TrackingTest : public QObject {
    Q_OBJECT
    // A dark disc of `radius` on a pale ground, its middle at `centre`, edges anti-aliased.
    static QImage disc(QPointF centre, double radius, QSize size = QSize(120, 90)) {
        QImage picture(size, QImage::Format_Grayscale8);
        picture.fill(QColor(210, 210, 210));
        QPainter p(&picture);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(60, 60, 60));
        p.drawEllipse(centre, radius, radius);
        return picture;
    }

  private slots:
    void parabolasAndPredictions() {
        using tracking::parabolaPeak;
        QCOMPARE(parabolaPeak(0.5, 1.0, 0.5), 0.0);
        QCOMPARE(parabolaPeak(0.0, 1.0, 0.5), 0.25 / 1.5);
        QCOMPARE(parabolaPeak(1.0, 1.0, 1.0), 0.0); // flat: no peak
        QCOMPARE(parabolaPeak(0.0, 0.9, 1.0), 0.5); // beyond the next: held at the edge
        const QPointF falling[] = {{0, 0}, {1, 1}, {2, 4}, {3, 9}};
        QCOMPARE(tracking::predictNext(std::span(falling, 1)), QPointF(0, 0));
        QCOMPARE(tracking::predictNext(std::span(falling, 2)), QPointF(2, 2));
        QCOMPARE(tracking::predictNext(std::span(falling, 4)), QPointF(4, 16));
        QCOMPARE(tracking::predictionSlack(std::span(falling, 4), 3.0), 3.0);
    }
    // The middle of what stands out, to a small fraction of a pixel; nothing on a blank
    // ground or at the edge.
    void blobsAndPatches() {
        const QPointF middle(40.3, 31.7);
        const QImage picture = disc(middle, 6);
        const auto blob = tracking::findBlob(tracking::greyView(picture), {42, 30}, 14);
        QVERIFY(blob);
        QVERIFY(std::hypot(blob->centre.x() - middle.x(), blob->centre.y() - middle.y()) < 0.05);
        QVERIFY(std::abs(blob->area - M_PI * 36) < 4);
        QImage blank(120, 90, QImage::Format_Grayscale8);
        blank.fill(200);
        QVERIFY(!tracking::findBlob(tracking::greyView(blank), {60, 45}, 10));
        QVERIFY(!tracking::findBlob(tracking::greyView(picture), {5, 45}, 10));
        // The patch around it, found again where the disc has moved by a fraction.
        const cv::Mat patch = tracking::cutPatch(tracking::greyView(picture), middle, 10);
        const QPointF moved(47.8, 35.1);
        const QImage later = disc(moved, 6);
        const auto match = tracking::findPatch(tracking::greyView(later), patch, {46, 34}, 6);
        QVERIFY(match && match->score > 0.95 && match->rival < 0.5);
        QVERIFY(std::hypot(match->centre.x() - moved.x(), match->centre.y() - moved.y()) < 0.2);
        QVERIFY(!tracking::findPatch(tracking::greyView(later), patch, {2, 34},
                                     6)); // no room at the edge
    }
    // Marks and the full-size picture: a 1920 x 1080 picture shown 320 x 180 from row 30.
    void measuringAreaAndPicture() {
        using namespace tracking_geometry;
        const QRect shownAt(0, 30, 320, 180);
        const QSize picture(1920, 1080);
        QCOMPARE(markToPicture({0, 30}, shownAt, picture), QPointF(3, 3));
        QCOMPARE(pictureToMark({3, 3}, shownAt, picture), QPointF(0, 30));
        QCOMPARE(pictureToMark(markToPicture({12.25, 99.5}, shownAt, picture), shownAt, picture),
                 QPointF(12.25, 99.5));
        QCOMPARE(pictureScale(shownAt, picture), 6.0);
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    NumberFormatTest numbers;
    MeasurementTest measurement;
    RasterTest raster;
    GraphMathTest graphs;
    CommandsTest commands;
    ChannelTest channel;
    ServiceUnitsTest service;
    FrameCodeTest frameCode;
    ToolkitTest toolkit;
    TrackingTest tracking;
    int failed = 0;
    for (QObject* test :
         std::initializer_list<QObject*>{&numbers, &measurement, &raster, &graphs, &commands,
                                         &channel, &service, &frameCode, &toolkit, &tracking})
        failed += QTest::qExec(test, argc, argv);
    return failed == 0 ? 0 : 1;
}

#include "test_units.moc"
