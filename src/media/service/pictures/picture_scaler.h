#pragma once

#include "media/service/pictures/picture_shrink.h"

#include <QImage>
#include <QSize>

struct AVFrame;
struct SwsContext;

namespace media::service {

// Scales decoded pictures to one display size as RGB32. Made when the size is set, so that
// setting up the filters does not fall on the first step. A picture many times larger (a
// phone's 4K) is first shrunk by a whole factor (see PictureShrink).
class PictureScaler {
  public:
    explicit PictureScaler(QSize size);
    ~PictureScaler();
    PictureScaler(const PictureScaler&) = delete;
    PictureScaler& operator=(const PictureScaler&) = delete;

    QSize size() const { return size_; }
    // Sets up the filters for pictures of this width, height and pixel format.
    void prepare(int width, int height, int format);
    // Fills `into` (RGB32, of size()) with the picture; false when it cannot.
    bool scale(const AVFrame* frame, QImage& into);

  private:
    void prepareFilters(int width, int height, int format);

    QSize size_;
    SwsContext* sws_ = nullptr;
    PictureShrink shrink_;
};

} // namespace media::service
