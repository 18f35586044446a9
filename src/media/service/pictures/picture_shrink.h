#pragma once

#include <cstdint>
#include <vector>

struct AVFrame;

namespace media::service {

// A decoded picture made smaller by whole factors before it is scaled: averaging each block
// of k x k samples costs a fraction of what a scaling filter as wide as a 4K to 320 pixel
// reduction does, and keeps all the picture's detail in the average.
class PictureShrink {
  public:
    // The factor (2, 4 or 8) for a picture of this format and size shown at `width` x
    // `height`, leaving at least twice the shown size; 1 when the picture is not planar YUV
    // of 8 to 16 bits, is not that much larger, or its sides do not divide.
    static int factorFor(int format, int fromWidth, int fromHeight, int width, int height);

    // The picture shrunk by `factor`: its planes, strides and size, valid until the next call.
    void shrink(const AVFrame* frame, int factor);
    const std::uint8_t* const* planes() const { return planes_; }
    const int* strides() const { return strides_; }
    int width() const { return width_; }
    int height() const { return height_; }

  private:
    std::vector<std::uint8_t> memory_[4];
    const std::uint8_t* planes_[4] = {};
    int strides_[4] = {};
    int width_ = 0;
    int height_ = 0;
};

} // namespace media::service
