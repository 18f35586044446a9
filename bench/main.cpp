// Measures the media service on generated videos against two references decoded in the
// same run; prints the figures and whether each target is met. See README.md.
#include "bench_videos.h"
#include "reference_decoder.h"
#include "report.h"
#include "service_probe.h"

#include <QApplication>
#include <QDir>
#include <QProcess>
#include <algorithm>
#include <cstdio>
#include <numeric>

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
    const auto gopEnd = figures.floor.begin() + std::min<std::size_t>(250, figures.floor.size());
    figures.gopMs = std::accumulate(figures.floor.begin(), gopEnd, 0.0);
    // Every tenth reverse step of both runs of 100.
    for (int from : {200, 251})
        for (int target = from - 1; target > from - 100; target -= 10)
            figures.naiveReverse.push_back(decoder.showNaive(target));
    for (int target : bench::coldSeekTargets(video.settings.frames))
        figures.naiveSeek.push_back(decoder.showNaive(target));
    return true;
}

// The service runs in a process of its own so that its peak memory is its own.
bench::ProbeResult measureService(const std::string& path, const bench::BenchVideo& video) {
    QProcess probe;
    probe.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    const auto& s = video.settings;
    probe.start(QCoreApplication::applicationFilePath(),
                {"--probe", QString::fromStdString(path),
                 QString::number(s.width * double(s.sarNum) / s.sarDen), QString::number(s.height),
                 QString::number(s.frames), QString::number(double(s.fpsNum) / s.fpsDen)});
    probe.waitForFinished(-1);
    bench::ProbeResult result = bench::fromText(probe.readAllStandardOutput().toStdString());
    if (probe.exitStatus() != QProcess::NormalExit && result.error.empty())
        result.error = "the probe process crashed";
    return result;
}

int runProbe(const QStringList& args) {
    if (args.size() < 7)
        return 2;
    const bench::ProbeResult result =
        bench::probeService(args[2].toStdString(), args[5].toInt(),
                            QSizeF(args[3].toDouble(), args[4].toDouble()), args[6].toDouble());
    std::printf("%s", bench::toText(result).c_str());
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    av_log_set_level(AV_LOG_ERROR);
    const QStringList args = app.arguments();
    if (args.size() > 1 && args[1] == "--probe")
        return runProbe(args);

    QString folder = QCoreApplication::applicationDirPath() + "/bench-videos";
    if (const auto at = args.indexOf("--videos"); at > 0 && at + 1 < args.size())
        folder = args[at + 1];
    const bool rewrite = args.contains("--rewrite");
    QDir().mkpath(folder);

    int failures = 0;
    for (const bench::BenchVideo& video : bench::benchVideos()) {
        const std::string path = folder.toStdString() + "/" + video.fileName;
        say("writing " + video.fileName);
        if (const std::string problem = bench::ensureWritten(video, folder.toStdString(), rewrite);
            !problem.empty()) {
            say(problem);
            return 1;
        }
        bench::VideoFigures figures;
        figures.name = video.name;
        figures.longGop = video.longGop;
        figures.fps = double(video.settings.fpsNum) / video.settings.fpsDen;
        say("references on " + video.fileName);
        if (!measureReferences(path, video, figures))
            return 1;
        say("service on " + video.fileName);
        figures.service = measureService(path, video);
        const auto checks = bench::checkTargets(figures);
        failures += static_cast<int>(
            std::count_if(checks.begin(), checks.end(), [](const auto& c) { return !c.pass(); }));
        std::printf("%s", (bench::formatFigures(figures) + bench::formatTargets(checks)).c_str());
        std::fflush(stdout);
    }
    std::printf("\n%d target%s missed\n", failures, failures == 1 ? "" : "s");
    return 0;
}
