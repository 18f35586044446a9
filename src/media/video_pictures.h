#pragma once

#include "media/service/media_service.h"

#include <optional>

// The open video's pictures at their own resolution, beside the command channel: what
// following an object needs and no command string carries.
namespace media {

// While on, the open video keeps the pictures it decodes at full size too.
void keepFullPictures(bool on);
// The picture shown now, at the video's own size, upright and grey, and where it lies in the
// video and measuring areas; nothing when no video is open.
std::optional<service::FullPicture> currentFullPicture();

} // namespace media
