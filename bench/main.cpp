// Measures the media service on generated videos against two references decoded in the
// same run; prints the figures and whether each target is met. See README.md.
#include "bench_videos.h"
#include "reference_decoder.h"
#include "report.h"
#include "service_probe.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numeric>
#include <tuple>

extern "C" {
#include <libavutil/log.h>
}

namespace {

constexpr QSize kVideoArea(320, 240);

void say(const std::string& text) {
    std::fprintf(stderr, "%s\n", text.c_str());
    std::fflush(stderr);
}

// The references: straight decoding, and the naive service on a sample of the same requests.
bool measureReferences(const std::string& path, const bench::BenchVideo& video,
                       bench::VideoFigures& figures) {
    bench::ReferenceDecoder decoder;
    if (const std::string problem = decoder.open(path, kVideoArea); !problem.empty()) {
        say(problem);
        return false;
    }
    figures.floor = decoder.decodeAll();
    const auto gopEnd =
        figures.floor.begin() +
        std::min<std::size_t>(std::size_t(video.settings.gop), figures.floor.size());
    figures.gopMs = std::accumulate(figures.floor.begin(), gopEnd, 0.0);
    figures.gop = video.settings.gop;
    // Every tenth reverse step of both runs of 100.
    for (int from : {200, video.crossedKeyframe() + 1})
        for (int target = from - 1; target > from - 100; target -= 10)
            figures.naiveReverse.push_back(decoder.showNaive(target));
    return true;
}

// The service runs in a process of its own so that its peak memory is its own.
bench::ProbeResult runInChild(const QStringList& arguments) {
    QProcess probe;
    probe.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    probe.start(QCoreApplication::applicationFilePath(), arguments);
    probe.waitForFinished(-1);
    bench::ProbeResult result = bench::fromText(probe.readAllStandardOutput().toStdString());
    if (probe.exitStatus() != QProcess::NormalExit && result.error.empty())
        result.error = "the probe process crashed";
    return result;
}

bench::ProbeResult measureService(const std::string& path, const bench::BenchVideo& video) {
    const auto& s = video.settings;
    const QStringList shape{QString::fromStdString(path),
                            QString::number(s.width * double(s.sarNum) / s.sarDen),
                            QString::number(s.height), QString::number(s.frames)};
    bench::ProbeResult result = runInChild(QStringList{"--probe"} + shape +
                                           QStringList{QString::number(double(s.fpsNum) / s.fpsDen),
                                                       QString::number(video.crossedKeyframe())});
    // The tracking targets are set for 720p and 1080p.
    const bool tracked = s.height == 720 || s.height == 1080;
    for (const char* probe : {"--seek-probe", tracked ? "--track-probe" : nullptr}) {
        if (!probe)
            continue;
        const bench::ProbeResult more = runInChild(QStringList{probe} + shape);
        result.series.insert(more.series.begin(), more.series.end());
        if (result.error.empty())
            result.error = more.error;
    }
    return result;
}

int runProbe(const QStringList& args) {
    bench::ProbeResult result;
    if (args.size() >= 8 && args[1] == "--probe")
        result = bench::probeService(args[2].toStdString(), args[5].toInt(),
                                     QSizeF(args[3].toDouble(), args[4].toDouble()),
                                     args[6].toDouble(), args[7].toInt());
    else if (args.size() >= 6 && args[1] == "--seek-probe")
        result = bench::probeFreshSeeks(args[2].toStdString(), args[5].toInt(),
                                        QSizeF(args[3].toDouble(), args[4].toDouble()));
    else if (args.size() >= 5 && args[1] == "--track-probe")
        result = bench::probeTracking(args[2].toStdString(),
                                      QSizeF(args[3].toDouble(), args[4].toDouble()));
    else if (args.size() >= 3 && args[1] == "--open-probe")
        result = bench::probeOpen(args[2].toStdString());
    else
        return 2;
    std::printf("%s", bench::toText(result).c_str());
    return 0;
}

// Empties the page cache, where this process may (as root): the file then comes from disk.
bool dropPageCache() {
    std::system("sync");
    std::FILE* drop = std::fopen("/proc/sys/vm/drop_caches", "w");
    if (!drop)
        return false;
    const bool dropped = std::fputs("3\n", drop) >= 0;
    return std::fclose(drop) == 0 && dropped;
}

// Opening the short and the long 4K file, each in a fresh process, one beside the other so
// that both see the machine alike: warm (after one open that fills the page cache) and,
// where the page cache can be emptied, cold.
bench::OpenFigures measureOpening(const bench::OpenTimeFiles& files) {
    bench::OpenFigures figures;
    const auto open = [&figures](const std::string& path, std::vector<double>* times, double* rss) {
        const bench::ProbeResult result =
            runInChild({"--open-probe", QString::fromStdString(path)});
        if (times)
            times->push_back(result.values.count("open") ? result.values.at("open") : INFINITY);
        if (rss && result.values.count("peak rss"))
            *rss = std::max(*rss, result.values.at("peak rss"));
        if (!result.error.empty())
            figures.error = result.error;
    };
    open(files.shortFile, nullptr, nullptr);
    open(files.longFile, nullptr, nullptr);
    // Short then long, then long then short: neither always goes first.
    for (int run = 0; run < 8; ++run) {
        const bool shortFirst = run % 2 == 0;
        for (const bool isShort : {shortFirst, !shortFirst})
            open(isShort ? files.shortFile : files.longFile,
                 isShort ? &figures.shortWarm : &figures.longWarm,
                 isShort ? &figures.shortRss : &figures.longRss);
    }
    for (int run = 0; run < 4 && (figures.coldMeasured = dropPageCache()); ++run) {
        const bool shortFirst = run % 2 == 0;
        for (const bool isShort : {shortFirst, !shortFirst}) {
            dropPageCache();
            open(isShort ? files.shortFile : files.longFile,
                 isShort ? &figures.shortCold : &figures.longCold, nullptr);
        }
    }
    figures.longBytes = QFileInfo(QString::fromStdString(files.longFile)).size();
    figures.shortBytes = QFileInfo(QString::fromStdString(files.shortFile)).size();
    return figures;
}

} // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    av_log_set_level(AV_LOG_ERROR);
    const QStringList args = app.arguments();
    if (args.size() > 1 && args[1].endsWith("probe"))
        return runProbe(args);

    QString folder = QCoreApplication::applicationDirPath() + "/bench-videos";
    if (const auto at = args.indexOf("--videos"); at > 0 && at + 1 < args.size())
        folder = args[at + 1];
    const bool rewrite = args.contains("--rewrite");
    // --only TEXT: the videos whose names hold TEXT ("open" for the open-time row).
    const QString only = args.indexOf("--only") > 0 ? args.value(args.indexOf("--only") + 1) : "";
    // --rounds N: each video measured N times, every target judged on its median ratio.
    const int roundCount = std::max(
        1, args.indexOf("--rounds") > 0 ? args.value(args.indexOf("--rounds") + 1).toInt() : 3);
    QDir().mkpath(folder);

    int failures = 0;
    for (const bench::BenchVideo& video : bench::benchVideos()) {
        if (!QString::fromStdString(video.name).contains(only))
            continue;
        const std::string path = folder.toStdString() + "/" + video.fileName;
        say("writing " + video.fileName);
        if (const std::string problem = bench::ensureWritten(video, folder.toStdString(), rewrite);
            !problem.empty()) {
            say(problem);
            return 1;
        }
        // The references and the service take turns, the references first in every other
        // round, so that a change in the machine's load falls on both sides alike.
        std::vector<bench::VideoFigures> rounds;
        std::vector<std::vector<bench::TargetCheck>> roundChecks;
        for (int round = 0; round < roundCount; ++round) {
            bench::VideoFigures figures;
            figures.name = video.name;
            figures.longGop = video.longGop;
            figures.fps = double(video.settings.fpsNum) / video.settings.fpsDen;
            figures.height = video.settings.height;
            const bool referencesFirst = round % 2 == 0;
            say("round " + std::to_string(round + 1) + " on " + video.fileName);
            if (referencesFirst && !measureReferences(path, video, figures))
                return 1;
            figures.service = measureService(path, video);
            if (!referencesFirst && !measureReferences(path, video, figures))
                return 1;
            roundChecks.push_back(bench::checkTargets(figures));
            rounds.push_back(std::move(figures));
        }
        const auto checks = bench::overRounds(roundChecks);
        failures += static_cast<int>(
            std::count_if(checks.begin(), checks.end(), [](const auto& c) { return !c.pass(); }));
        std::printf("%s", (bench::formatFigures(rounds) + bench::formatTargets(checks)).c_str());
        std::fflush(stdout);
    }
    if (!only.isEmpty() && only != "open") {
        std::printf("\n%d target%s missed\n", failures, failures == 1 ? "" : "s");
        return 0;
    }
    say("writing the open-time files");
    bench::OpenTimeFiles files;
    if (const std::string problem =
            bench::ensureOpenTimeFiles(folder.toStdString(), rewrite, files);
        !problem.empty()) {
        say(problem);
        return 1;
    }
    say("opening them");
    const auto opening = measureOpening(files);
    const auto checks = bench::checkOpenTargets(opening);
    failures += static_cast<int>(
        std::count_if(checks.begin(), checks.end(), [](const auto& c) { return !c.pass(); }));
    std::printf("%s", (bench::formatOpening(opening) + bench::formatTargets(checks)).c_str());
    std::printf("\n%d target%s missed\n", failures, failures == 1 ? "" : "s");
    return 0;
}
