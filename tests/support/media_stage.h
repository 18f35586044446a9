#pragma once

#include "toolkit/picture_box.h"
#include "videogen/videogen.h"

#include <QRect>
#include <QString>
#include <cstdint>
#include <memory>
#include <string>

// The media service as the main window uses it: commands through the channel, the video and
// measuring areas, and generated videos.
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

    // Opens path (through GetShortName) under "avfile" and puts the 320 x 240 destination.
    Reply open(const std::string& path);
    // Paints the shown frame into the measuring area and reads its number back (-1 when
    // none reads, -2 when the update fails); `displayed` is where the frame sits.
    int shownFrame(QRect displayed = QRect(0, 0, 320, 240));
    std::int32_t position();

  private:
    std::unique_ptr<QWidget> window_;
    toolkit::PictureBox* video_;
    toolkit::PictureBox* target_;
};

// Writes a generated video into the folder; its path, or empty after a warning.
std::string writeVideo(const QString& folder, const std::string& name,
                       const videogen::VideoSettings& settings);

// Copies the video stream of an AVI file into another container (by the target's
// extension); "" on success, else what went wrong.
std::string remuxVideo(const std::string& source, const std::string& target);

} // namespace mediatest
