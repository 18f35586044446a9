#pragma once

#include "media/service/commands/command_parser.h"
#include "media/service/decode_worker.h"
#include "media/service/video_window.h"

#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>
#include <string>

namespace media::service {

// One open video: its window, a child of the parent surface at its top-left, and the worker
// that decodes for it. Commands arrive on the UI thread and return at once, except update,
// which waits for the picture it paints.
class VideoDevice {
  public:
    using PresentHook = std::function<void(std::int64_t position)>;

    ~VideoDevice();

    // Opens the file named by an open command. Returns 0 and the device, or an error code.
    static std::int32_t open(const Command& command, std::unique_ptr<VideoDevice>& device);

    std::int32_t execute(const Command& command, std::string& reply);
    DecodeWorker& worker() { return *worker_; }
    void setPresentHook(PresentHook hook) { presentHook_ = std::move(hook); }

  private:
    VideoDevice() = default;
    void presentOnUi(const QImage& frame, std::int64_t position);

    QPointer<VideoWindow> window_;
    // Lives on the UI thread; frames from the worker are queued to it, and dropped with it.
    std::unique_ptr<QObject> presenter_;
    std::unique_ptr<DecodeWorker> worker_;
    QSize naturalSize_;
    double framesPerSecond_ = 30;
    double filmedRate_ = 30;
    bool paused_ = false;
    PresentHook presentHook_;
};

} // namespace media::service
