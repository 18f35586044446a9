#include "media/service/video_device.h"

#include "media/service/commands/error_codes.h"
#include "media/service/pictures/picture_fit.h"
#include "toolkit/background_work.h"
#include "toolkit/handle_registry.h"
#include "toolkit/picture_box.h"

#include <QMetaObject>
#include <algorithm>
#include <cmath>

namespace media::service {

VideoDevice::~VideoDevice() {
    // The worker goes first so that nothing more is queued to the presenter.
    worker_.reset();
    presenter_.reset();
    delete window_.data();
}

std::int32_t VideoDevice::open(const Command& command, std::unique_ptr<VideoDevice>& device) {
    QWidget* parent = nullptr;
    if (command.hasParent) {
        parent = toolkit::windowFromHandle(command.parent);
        if (!parent)
            return kErrBadWindow;
    }
    // A file without an index is read through as it opens: the windows stay painted, and
    // after half a second a dialog shows how far it has got.
    auto decoder = std::make_unique<VideoDecoder>();
    std::int32_t code = kOk;
    ReadingProgress progress;
    toolkit::runInBackground(
        [&] { code = decoder->open(command.device, &progress); },
        [&] { return progress.permille.load(); }, [&] { progress.cancelled = true; },
        QStringLiteral("映像を読み込んでいます…"), parent ? parent->window() : nullptr);
    if (code != kOk)
        return code;

    std::unique_ptr<VideoDevice> opened(new VideoDevice);
    // Shown at this size until a destination is put; a file may claim any aspect ratio.
    opened->naturalSize_ = boundedSize(decoder->displaySize());
    opened->framesPerSecond_ = decoder->framesPerSecond();
    opened->filmedRate_ = decoder->filmedRate();
    opened->presenter_ = std::make_unique<QObject>();
    if (parent) {
        opened->window_ = new VideoWindow(parent);
        opened->window_->setGeometry(QRect(QPoint(0, 0), opened->naturalSize_));
        opened->window_->show();
    }
    QObject* presenter = opened->presenter_.get();
    VideoDevice* self = opened.get();
    opened->worker_ = std::make_unique<DecodeWorker>(
        std::move(decoder), opened->naturalSize_, [presenter, self](const ShownPicture& shown) {
            QMetaObject::invokeMethod(
                presenter,
                [self, frame = shown.frame, slot = shown.slot] { self->presentOnUi(frame, slot); },
                Qt::QueuedConnection);
        });
    device = std::move(opened);
    return kOk;
}

void VideoDevice::presentOnUi(const QImage& frame, std::int64_t position) {
    if (window_)
        window_->present(frame);
    if (presentHook_)
        presentHook_(position);
}

std::int32_t VideoDevice::execute(const Command& command, std::string& reply) {
    reply.clear();
    switch (command.verb) {
    case Verb::Put: {
        const QRect rect = command.hasRect
                               ? QRect(command.x, command.y, command.width, command.height)
                               : QRect(QPoint(0, 0), naturalSize_);
        if (window_)
            window_->setGeometry(rect);
        worker_->setDestination(rect.size());
        return kOk;
    }
    case Verb::Status:
        switch (command.item) {
        case StatusItem::Length:
            reply = std::to_string(worker_->length());
            break;
        case StatusItem::Position:
            reply = std::to_string(worker_->position());
            break;
        case StatusItem::Mode:
            reply = worker_->playing() ? "playing" : paused_ ? "paused" : "stopped";
            break;
        case StatusItem::FrameRate:
            reply = std::to_string(std::lround(framesPerSecond_ * 1000));
            break;
        case StatusItem::NominalFrameRate:
            reply = std::to_string(std::lround(filmedRate_ * 1000));
            break;
        }
        return kOk;
    case Verb::Play:
    case Verb::Resume:
        paused_ = false;
        worker_->play();
        return kOk;
    case Verb::Pause:
        paused_ = true;
        worker_->stop();
        return kOk;
    case Verb::Stop:
        paused_ = false;
        worker_->stop();
        return kOk;
    case Verb::Step: {
        const std::int64_t from = worker_->position();
        if (command.reverse)
            worker_->show(from - command.by, true);
        else // a step stops on the last frame; only a seek reaches the end position
            worker_->show(std::min(from + command.by, std::max(from, worker_->length() - 1)));
        return kOk;
    }
    case Verb::Seek: {
        std::int64_t target = command.frame;
        if (command.seekTarget == SeekTarget::Start)
            target = 0;
        else if (command.seekTarget == SeekTarget::End)
            target = worker_->length();
        else if (target > worker_->length())
            return kErrOutOfRange;
        paused_ = false;
        worker_->show(target);
        return kOk;
    }
    case Verb::Update: {
        toolkit::PictureBox* surface = toolkit::surfaceFromDeviceContext(command.hdc);
        if (!surface)
            return kErrBadDeviceContext;
        const ShownPicture shown = worker_->waitForPicture();
        if (!shown.frame.isNull())
            surface->paintImage(shown.frame);
        return kOk;
    }
    case Verb::Open:
    case Verb::Close:
        break;
    }
    return kErrUnknownCommand;
}

} // namespace media::service
