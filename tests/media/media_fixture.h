#pragma once

#include "toolkit/picture_box.h"
#include "videogen/videogen.h"

#include <QRect>
#include <QTemporaryDir>
#include <cstdint>
#include <memory>
#include <string>

// Shared by the media tests: commands through the channel, a video area to open videos in,
// a measuring area to paint into, and generated AVI files.
namespace mediatest {

struct Reply {
    std::int32_t code = 0;
    std::string text;
};

Reply send(const std::string& command);

// The two picture areas of the main window that the service touches, 320 x 240 outside.
class Stage {
  public:
    Stage();
    ~Stage();

    std::int32_t parentHandle() const { return video_->hWnd(); }
    std::int32_t targetHandle() const { return target_->hDC(); }
    toolkit::PictureBox& video() { return *video_; }
    toolkit::PictureBox& target() { return *target_; }

    // Opens path (through GetShortName) under "avfile" and sets the 320 x 240 destination.
    Reply open(const std::string& path);
    // Paints the shown frame into the target and reads its number back; `displayed` is where
    // the frame sits in the 320 x 240 picture.
    int shownFrame(QRect displayed = QRect(0, 0, 320, 240));
    std::int32_t position();

  private:
    std::unique_ptr<QWidget> window_;
    toolkit::PictureBox* video_;
    toolkit::PictureBox* target_;
};

// Writes a generated video into dir; the path, or empty with the generator's message in error.
std::string writeVideo(const QTemporaryDir& dir, const std::string& name,
                       const videogen::VideoSettings& settings, std::string& error);

} // namespace mediatest
