#include "main_window/form1.h"

#include "common/palette.h"
#include "graphs/form2.h"
#include "graphs/form3.h"
#include "main_window/frame_rate_question.h"
#include "main_window/measuring_dialogs.h"
#include "media/mci_channel.h"
#include "media/mci_commands.h"
#include "toolkit/dialogs.h"
#include "toolkit/picture_box.h"

#include <QAction>
#include <QLabel>

namespace {

// What the label under the rulers says while the ends of a reference are clicked.
const QString kClickTheEnds =
    QStringLiteral("長さの基準: 長さのわかっているものの両端をクリック（Esc で中止）");

// Half the size of the crosses at the ends of the reference's segment.
constexpr double kEndMark = 3.0;

double rateReply(const std::string& command) {
    std::string reply;
    if (Module1::SendMciCommand(command, reply) != 0)
        return 0;
    return media::readNumericReply(reply) / 1000.0;
}

} // namespace

void Form1::resetMeasuring(bool videoOpen) {
    endLengthClicks();
    endTracking({});
    fileRate_ = videoOpen ? rateReply(media::statusFrameRateCommand()) : 0;
    filmedRate_ = videoOpen ? rateReply(media::statusNominalFrameRateCommand()) : 0;
    setFrameTime({});
    setLengthScale(std::nullopt);
    mnumeasure_Update();
}

void Form1::askFrameTime() {
    if (!frame_rate_question::needed(filmedRate_))
        return;
    if (toolkit::ask(this, frame_rate_question::text(filmedRate_), windowTitle()))
        setFrameTime({filmedRate_, filmedRate_ == fileRate_ ? measurement::TimeSource::FileRate
                                                            : measurement::TimeSource::FilmedRate});
}

void Form1::mnuframetime_Click() {
    FrameTimeDialog dialog(this, fileRate_, filmedRate_, Module1::FrameTime);
    if (toolkit::runDialog(dialog) == QDialog::Accepted)
        setFrameTime(dialog.chosen());
}

void Form1::setFrameTime(const measurement::TimeBase& time) {
    const measurement::TimeBase previous = Module1::FrameTime;
    Module1::FrameTime = time;
    if (previous.framesPerSecond != time.framesPerSecond)
        measuringChanged(previous.framesPerSecond);
}

void Form1::setLengthScale(const std::optional<measurement::LengthReference>& reference) {
    const bool had = Module1::LengthScale.has_value();
    Module1::LengthScale = reference;
    mnumeasure_Update();
    showLengthScale();
    if (had || reference)
        measuringChanged(Module1::FrameTime.framesPerSecond);
}

void Form1::measuringChanged(double previousFramesPerSecond) {
    for (graphs::GraphFrame* chart : {static_cast<graphs::GraphFrame*>(form3_.data()),
                                      static_cast<graphs::GraphFrame*>(form2_.data())})
        if (chart)
            chart->measuringChanged(previousFramesPerSecond);
}

void Form1::showLengthScale() {
    const QString text = lengthClicks_ ? kClickTheEnds
                         : Module1::LengthScale
                             ? measurement::unitLengthText(Module1::LengthScale->metresPerUnit())
                             : QString();
    Label6->setText(text);
    Label6->setAccessibleName(text);
    Label6->setVisible(!text.isEmpty());
}

// The frame is transferred first, so that the user sees what to click.
void Form1::mnulength_Click() {
    Cmd_trans_Click();
    lengthClicks_.emplace();
    mnulengthcancel->setEnabled(true);
    Picture3->setCursor(Qt::CrossCursor);
    showLengthScale();
}

void Form1::mnulengthclear_Click() {
    setLengthScale(std::nullopt);
}

void Form1::lengthReferenceClick(QPointF at) {
    std::vector<QPointF>& ends = *lengthClicks_;
    if (!ends.empty() && measurement::samePixel(ends.front(), at)) {
        toolkit::messageBox(this,
                            QStringLiteral("2 点が同じ位置です。もう一方の端をクリックして"
                                           "ください。"),
                            toolkit::MessageIcon::Exclamation, windowTitle());
        return;
    }
    ends.push_back(at);
    const QColor ink = common::QBColor(common::LightMagenta);
    Picture3->setDrawMode(toolkit::DrawMode::CopyPen);
    Picture3->drawLine(at.x() - kEndMark, at.y(), at.x() + kEndMark, at.y(), ink);
    Picture3->drawLine(at.x(), at.y() - kEndMark, at.x(), at.y() + kEndMark, ink);
    if (ends.size() < 2)
        return;
    Picture3->drawLine(ends[0].x(), ends[0].y(), ends[1].x(), ends[1].y(), ink);
    LengthDialog dialog(this);
    const bool given = toolkit::runDialog(dialog) == QDialog::Accepted;
    const auto [from, to] = std::pair{ends[0], ends[1]};
    endLengthClicks();
    if (given)
        setLengthScale(measurement::LengthReference{from, to, dialog.metres()});
    Cmd_trans_Click(); // the measuring area as a transfer leaves it, the new segment in it
}

void Form1::endLengthClicks() {
    if (!lengthClicks_)
        return;
    lengthClicks_.reset();
    mnulengthcancel->setEnabled(false);
    Picture3->unsetCursor();
    showLengthScale();
}

void Form1::drawLengthReference() {
    if (!Module1::LengthScale)
        return;
    const QPointF from = Module1::LengthScale->from;
    const QPointF to = Module1::LengthScale->to;
    const QColor ink = common::QBColor(common::LightMagenta);
    const toolkit::DrawMode mode = Picture3->drawMode();
    Picture3->setDrawMode(toolkit::DrawMode::CopyPen);
    Picture3->drawLine(from.x(), from.y(), to.x(), to.y(), ink);
    for (const QPointF end : {from, to}) {
        Picture3->drawLine(end.x() - kEndMark, end.y(), end.x() + kEndMark, end.y(), ink);
        Picture3->drawLine(end.x(), end.y() - kEndMark, end.x(), end.y() + kEndMark, ink);
    }
    Picture3->setDrawMode(mode);
}
