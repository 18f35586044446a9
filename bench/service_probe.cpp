#include "service_probe.h"

#include "bench_videos.h"
#include "media/mci_channel.h"
#include "media/mci_commands.h"
#include "media/service/media_service.h"
#include "media/video_pictures.h"
#include "reference_decoder.h"
#include "toolkit/picture_box.h"
#include "tracking/object_tracker.h"
#include "videogen/frame_code.h"

#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <fstream>
#include <random>
#include <sstream>

namespace bench {

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Lets the event loop run for a while without spinning: the service's threads need the
// second core.
void idle(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

// The largest resident size this process has had, from the kernel.
double peakRssMb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stod(line.substr(6)) / 1024.0;
    return 0;
}

class Probe {
  public:
    explicit Probe(ProbeResult& result) : result_(result) {
        video_.setOuterSize(320, 240);
        target_.setOuterSize(320, 240);
        video_.show();
        target_.show();
    }

    int send(const std::string& command) {
        std::string reply;
        const int code = Module1::SendMciCommand(command, reply);
        if (code != 0 && result_.error.empty())
            result_.error = "\"" + command + "\" failed: " + reply;
        return code;
    }

    std::string status(const std::string& command) {
        std::string reply;
        Module1::SendMciCommand(command, reply);
        return reply;
    }

    // Sends the command and paints the frame into the measuring area: the time until the
    // picture was there, and whether it was frame `expected`.
    double timed(const std::string& command, int expected) {
        const auto start = Clock::now();
        send(command);
        send(media::updateCommand(target_.hDC()));
        const double ms = msSince(start);
        check(expected);
        QCoreApplication::processEvents();
        return ms;
    }

    void check(int expected) {
        const int shown = videogen::readFrameCode(target_.image(), codeBlock(displayed_));
        if (shown != expected) {
            ++wrong_;
            if (firstWrong_.empty())
                firstWrong_ = std::to_string(expected) + " showed " + std::to_string(shown);
        }
    }

    bool open(const std::string& path) {
        path_ = path;
        const auto start = Clock::now();
        const std::string name = Module1::GetShortName(path);
        if (send(media::openCommand(name, video_.hWnd())) != 0)
            return false;
        send(media::putDestinationCommand(video_.outerWidth(), video_.outerHeight()));
        send(media::updateCommand(target_.hDC()));
        result_.values["open"] = msSince(start);
        return true;
    }

    // Each run starts with nothing cached, as a short video soon fits in the cache whole.
    void reopen() {
        send(media::closeCommand());
        send(media::openCommand(Module1::GetShortName(path_), video_.hWnd()));
        send(media::putDestinationCommand(video_.outerWidth(), video_.outerHeight()));
    }

    void locate(QSizeF shape) { displayed_ = fitted(shape, video_.size()); }
    int length() { return media::readNumericReply(status(media::statusLengthCommand())); }
    // Waits for the picture now due, painting it.
    void paint() { send(media::updateCommand(target_.hDC())); }

    void series(const std::string& name, const std::string& command, int from, int count,
                int direction) {
        timed(media::seekCommand(from), from);
        auto& samples = result_.series[name];
        for (int i = 1; i <= count; ++i)
            samples.push_back(timed(command, from + direction * i));
        const auto slowest = std::max_element(samples.begin(), samples.end());
        result_.values[name + " slowest at"] =
            from + direction * static_cast<double>(slowest - samples.begin() + 1);
    }

    void randomSeeks(int frames) {
        for (int target : seekTargets(frames)) {
            result_.series["seek"].push_back(timed(media::seekCommand(target), target));
            result_.series["update"].push_back(timed(media::updateCommand(target_.hDC()), target));
        }
    }

    // Each target on a freshly opened file, in turns with the naive reference in this
    // process, so that both see the machine alike; the file is closed before the reference
    // goes, so that no work of the service's is left running beside it.
    void coldSeeks(int frames) {
        send(media::closeCommand());
        ReferenceDecoder naive;
        if (const std::string problem = naive.open(path_, video_.size()); !problem.empty())
            result_.error = problem;
        const std::vector<int> targets = coldSeekTargets(frames);
        for (std::size_t i = 0; i < targets.size(); ++i) {
            for (const bool serviceNow : {i % 2 == 0, i % 2 != 0}) {
                if (!serviceNow) {
                    result_.series["naive seek"].push_back(naive.showNaive(targets[i]));
                    continue;
                }
                send(media::openCommand(Module1::GetShortName(path_), video_.hWnd()));
                send(media::putDestinationCommand(video_.outerWidth(), video_.outerHeight()));
                result_.series["cold seek"].push_back(
                    timed(media::seekCommand(targets[i]), targets[i]));
                send(media::closeCommand());
            }
        }
    }

    // A user pressing step-back every 150 ms, from up to 30 frames past a keyframe, 45 times.
    void reverseAtUserPace(int from) {
        timed(media::seekCommand(from), from);
        idle(300);
        auto& samples = result_.series["reverse at pace"];
        for (int i = 1; i <= 45; ++i) {
            const auto pressed = Clock::now();
            samples.push_back(timed(media::stepReverseCommand(), from - i));
            idle(std::max(0, 150 - static_cast<int>(msSince(pressed))));
        }
    }

    // Plays 5 s from frame 0 and notes when each picture reached the video window.
    void playback(double fps) {
        timed(media::seekCommand(0), 0);
        idle(200);
        std::vector<std::pair<double, std::int64_t>> presented;
        Clock::time_point start;
        media::service::setPresentHook(
            [&](std::int64_t position) { presented.emplace_back(msSince(start), position); });
        start = Clock::now();
        send(media::playCommand());
        idle(5000);
        send(media::pauseCommand());
        media::service::setPresentHook(nullptr);

        auto& error = result_.series["pacing error"];
        auto& at = result_.series["pacing time"];
        for (const auto& [ms, position] : presented) {
            if (position == 0)
                continue;
            error.push_back(ms - position * 1000.0 / fps);
            at.push_back(ms);
        }
        result_.values["presented"] = static_cast<double>(error.size());
        result_.values["last position"] =
            presented.empty() ? 0 : static_cast<double>(presented.back().second);
    }

    void finish() {
        send(media::closeCommand());
        result_.values["wrong frames"] = wrong_;
        if (!firstWrong_.empty() && result_.error.empty())
            result_.error = "first wrong frame: " + firstWrong_;
    }

  private:
    ProbeResult& result_;
    toolkit::PictureBox video_;
    toolkit::PictureBox target_;
    QRect displayed_;
    std::string path_;
    int wrong_ = 0;
    std::string firstWrong_;
};

} // namespace

std::vector<int> seekTargets(int frames) {
    std::mt19937 random(1);
    std::uniform_int_distribution<int> pick(0, frames - 1);
    std::vector<int> targets(50);
    for (int& target : targets)
        target = pick(random);
    return targets;
}

std::vector<int> coldSeekTargets(int frames) {
    std::vector<int> all = seekTargets(frames);
    std::sort(all.begin(), all.end());
    std::vector<int> some;
    for (std::size_t i = 1; i < all.size(); i += 3)
        some.push_back(all[i]);
    return some;
}

ProbeResult probeService(const std::string& path, int frames, QSizeF shape, double fps,
                         int keyframe) {
    ProbeResult result;
    {
        Probe probe(result);
        probe.locate(shape);
        if (!probe.open(path))
            return result;
        probe.randomSeeks(frames);
        probe.reopen();
        probe.series("forward", media::stepCommand(), 0, 100, +1);
        probe.reopen();
        probe.series("reverse within", media::stepReverseCommand(), 200, 100, -1);
        probe.reopen();
        probe.series("reverse across", media::stepReverseCommand(), keyframe + 1, 100, -1);
        probe.reopen();
        probe.reverseAtUserPace(std::min(keyframe + 30, frames - 1));
        probe.reopen();
        probe.playback(fps);
        probe.finish();
    }
    result.values["peak rss"] = peakRssMb();
    return result;
}

ProbeResult probeFreshSeeks(const std::string& path, int frames, QSizeF shape) {
    ProbeResult result;
    Probe probe(result);
    probe.locate(shape);
    if (!probe.open(path))
        return result;
    probe.coldSeeks(frames);
    return result;
}

ProbeResult probeTracking(const std::string& path, QSizeF shape) {
    ProbeResult result;
    Probe probe(result);
    probe.locate(shape);
    if (!probe.open(path))
        return result;
    media::keepFullPictures(true);
    // From where the ball is clear of the top edge, for the 39 frames it falls.
    constexpr int kFirst = 20;
    probe.send(media::seekCommand(kFirst));
    probe.paint();
    std::optional<media::service::FullPicture> shown = media::currentFullPicture();
    if (!shown) {
        result.error = "no full-size picture";
        return result;
    }
    // Where the ball is, as a click would find it.
    const QSize size = shown->grey.size();
    tracking::ObjectTracker tracker;
    if (!tracker.start(tracking::greyView(shown->grey), benchBall(size, kFirst),
                       size.height() / 20.0)) {
        result.error = "the tracker found no ball";
        return result;
    }
    // One automatic mark as the main window makes it: a step, the update of the measuring
    // area, the full-size picture, the object found.
    auto& steps = result.series["track step"];
    for (int mark = 0; mark < 59 - kFirst; ++mark) {
        const auto start = Clock::now();
        probe.send(media::stepCommand());
        probe.paint();
        shown = media::currentFullPicture();
        if (!shown || !tracker.next(tracking::greyView(shown->grey)).centre)
            break;
        steps.push_back(msSince(start));
    }
    media::keepFullPictures(false);
    probe.finish();
    return result;
}

ProbeResult probeOpen(const std::string& path) {
    ProbeResult result;
    {
        Probe probe(result);
        if (!probe.open(path))
            return result;
        const int middle = probe.length() / 2;
        probe.send(media::seekCommand(middle));
        probe.paint();
        for (int i = 0; i < 20; ++i) {
            probe.send(media::stepCommand());
            probe.paint();
        }
        probe.send(media::closeCommand());
    }
    result.values["peak rss"] = peakRssMb();
    return result;
}

std::string toText(const ProbeResult& result) {
    std::ostringstream out;
    out.precision(6);
    for (const auto& [name, samples] : result.series) {
        out << "series " << name << ":";
        for (double v : samples)
            out << ' ' << v;
        out << '\n';
    }
    for (const auto& [name, value] : result.values)
        out << "value " << name << ": " << value << '\n';
    if (!result.error.empty())
        out << "error : " << result.error << '\n';
    return out.str();
}

ProbeResult fromText(const std::string& text) {
    ProbeResult result;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        const auto space = line.find(' ');
        const auto colon = line.find(':');
        if (space == std::string::npos || colon == std::string::npos || colon < space)
            continue;
        const std::string kind = line.substr(0, space);
        const std::string name = line.substr(space + 1, colon - space - 1);
        std::istringstream rest(line.substr(colon + 1));
        if (kind == "series") {
            auto& samples = result.series[name];
            for (double v; rest >> v;)
                samples.push_back(v);
        } else if (kind == "value") {
            rest >> result.values[name];
        } else if (kind == "error") {
            result.error = line.substr(colon + 2);
        }
    }
    return result;
}

} // namespace bench
