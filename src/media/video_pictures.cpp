#include "media/video_pictures.h"

namespace media {

namespace {
// The alias the main window opens every video under.
const std::string kAlias = "avfile";
} // namespace

void keepFullPictures(bool on) {
    service::keepFullPictures(kAlias, on);
}

std::optional<service::FullPicture> currentFullPicture() {
    return service::fullPicture(kAlias);
}

} // namespace media
