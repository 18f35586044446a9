#include "main_window/form1.h"

#include "main_window/tracking_geometry.h"
#include "main_window/tracking_run.h"
#include "media/mci_channel.h"
#include "media/mci_commands.h"
#include "media/video_pictures.h"
#include "toolkit/dialogs.h"

#include <QAction>
#include <QSpinBox>
#include <QTimer>

namespace {

// How far from a mark the object it marks is looked for, in pixels of the measuring area.
constexpr double kObjectReach = 12.0;

std::int32_t statusNumber(const std::string& command) {
    std::string reply;
    Module1::SendMciCommand(command, reply);
    return media::readNumericReply(reply);
}

} // namespace

void Form1::mnumeasure_Update() {
    const bool open = fileRate_ > 0;
    mnuframetime->setEnabled(open && !tracking_);
    mnulength->setEnabled(open && !tracking_);
    mnulengthclear->setEnabled(Module1::LengthScale.has_value() && !tracking_);
    mnutrack->setEnabled(open && Module1::MarkCount >= 1 && !tracking_);
}

void Form1::mnutrack_Click() {
    mnumeasure_Update();
    if (!mnutrack->isEnabled())
        return;
    endLengthClicks(); // every click from here on is a mark
    const int k = Module1::MarkCount;
    TrackGapDialog ask(this, k >= 2 ? Module1::FrameGap[k - 1] : 1);
    if (toolkit::runDialog(ask) != QDialog::Accepted)
        return;
    // Back to the frame of the last mark, as the user would step there.
    while (FramesSinceMark > 0)
        Command4_Click();
    while (FramesSinceMark < 0)
        Command3_Click();
    Cmd_trans_Click();
    media::keepFullPictures(true);
    const std::optional<media::service::FullPicture> shown = media::currentFullPicture();
    auto run = std::make_unique<Tracking>();
    run->gap = ask.frames->value();
    bool started = false;
    if (shown) {
        run->shownAt = shown->shownAt;
        run->picture = shown->grey.size();
        using tracking_geometry::markToPicture;
        const auto toPicture = [&](int i) {
            return markToPicture(QPointF(PixX[i], PixY[i]), run->shownAt, run->picture);
        };
        std::optional<QPointF> before;
        if (k >= 2 && Module1::FrameGap[k - 1] == run->gap)
            before = toPicture(k - 1);
        started = run->tracker.start(
            tracking::greyView(shown->grey), toPicture(k),
            kObjectReach * tracking_geometry::pictureScale(run->shownAt, run->picture), before);
    }
    if (!started) {
        media::keepFullPictures(false);
        toolkit::messageBox(this,
                            QStringLiteral("最後のマークの所に、追跡できる物体が見つかりません。"),
                            toolkit::MessageIcon::Exclamation, windowTitle());
        return;
    }
    run->progress = std::make_unique<TrackingProgress>(this);
    run->progress->setModal(true);
    connect(run->progress.get(), &QDialog::rejected, this, [this] { endTracking({}); });
    run->progress->show();
    tracking_ = std::move(run);
    QTimer::singleShot(0, this, [this] { trackingStep(); });
}

// One automatic mark, as the user makes one: steps, 画像転送→, the object found, a click.
void Form1::trackingStep() {
    if (!tracking_)
        return;
    Tracking& run = *tracking_;
    const std::int32_t position = statusNumber(media::statusPositionCommand());
    const std::int32_t last = statusNumber(media::statusLengthCommand()) - 1;
    if (Module1::MarkCount >= Module1::kMaxMarks || position + run.gap > last) {
        endTracking({});
        return;
    }
    for (int i = 0; i < run.gap; ++i)
        Command3_Click();
    Cmd_trans_Click();
    const std::optional<media::service::FullPicture> shown = media::currentFullPicture();
    const tracking::Step step = shown && shown->grey.size() == run.picture
                                    ? run.tracker.next(tracking::greyView(shown->grey))
                                    : tracking::Step{std::nullopt, tracking::Lost::Faint};
    if (!step.centre) {
        const QString frame = QString::number(position + run.gap);
        endTracking(step.lost == tracking::Lost::Outside
                        ? QStringLiteral("コマ %1 で物体が画面の外に出ました。").arg(frame)
                        : QStringLiteral("コマ %1 で物体を見失いました。").arg(frame));
        return;
    }
    const QPointF mark = tracking_geometry::pictureToMark(*step.centre, run.shownAt, run.picture);
    Picture3_MouseDown(Qt::LeftButton, 0, static_cast<float>(mark.x()),
                       static_cast<float>(mark.y()));
    run.progress->showMarks(++run.made);
    QTimer::singleShot(0, this, [this] { trackingStep(); });
}

void Form1::endTracking(const QString& why) {
    if (!tracking_)
        return;
    // Taken out first: closing the progress window reports back here.
    const std::unique_ptr<Tracking> run = std::move(tracking_);
    media::keepFullPictures(false);
    run->progress->hide();
    run->progress.release()->deleteLater(); // this may be its own signal
    if (!why.isEmpty())
        toolkit::messageBox(this, why, toolkit::MessageIcon::Information, windowTitle());
}
