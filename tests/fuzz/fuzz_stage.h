#pragma once

#include <QString>
#include <cstdint>
#include <string>

namespace toolkit {
class PictureBox;
}

// The surroundings the media service expects, made once per process: an application object
// on the offscreen platform (unless the caller already has one), a video area to open videos
// in, a measuring area to paint into, a small generated video and a scratch folder.
namespace fuzzing {

class Stage {
  public:
    static Stage& instance();

    std::int32_t parentHandle() const;
    std::int32_t targetHandle() const;
    // An 8-frame MJPEG video with a dropped frame, 64 x 48.
    const std::string& videoPath() const { return videoPath_; }
    // Where runVideoFile writes its bytes.
    std::string scratchFile() const;
    // Lets queued pictures reach their windows.
    void settle();

  private:
    Stage();
    std::string videoPath_;
};

} // namespace fuzzing
