#pragma once

#include "media/service/pictures/display_transform.h"

#include <QImage>

struct AVFrame;
struct SwsContext;

namespace media::service {

// A decoded picture at its own size as 8-bit grey (its brightness), turned upright: what an
// object is followed in. Not thread-safe.
class GreyPicture {
  public:
    GreyPicture() = default;
    ~GreyPicture();
    GreyPicture(const GreyPicture&) = delete;
    GreyPicture& operator=(const GreyPicture&) = delete;

    // A null image when the picture cannot be converted.
    QImage upright(const AVFrame* frame, DisplayTransform transform);

  private:
    SwsContext* sws_ = nullptr;
};

} // namespace media::service
