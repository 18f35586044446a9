#pragma once

#include <QImage>
#include <QRect>
#include <QSizeF>
#include <string>
#include <vector>

// What a video file shows, decoded from its start as the ffmpeg tool decodes it and put into
// the 320 x 240 video area the way the service is to show it: turned upright, scaled with its
// shape kept, centred on black. Independent of the service's own code, for comparing with
// what the service paints.
namespace mediatest {

struct Upright {
    QSizeF stored;    // the decoded picture's shape, sample aspect ratio applied
    int quarters = 0; // quarters clockwise the display matrix turns it
    bool mirrored = false;
};

// Where a picture of this upright shape sits in the 320 x 240 video area.
QRect placeInVideoArea(QSizeF upright);

struct ReferencePictures {
    std::vector<QImage> thumbnails; // one per picture shown, in order
    std::string error;
};
// `visible`: the part of the video area (from its top-left) that is compared.
ReferencePictures referencePictures(const std::string& path, const Upright& upright, QSize visible);

// A small grey copy of a picture, for comparing.
QImage thumbnail(const QImage& picture);
// The mean absolute difference of two thumbnails' grey levels.
double distance(const QImage& a, const QImage& b);

} // namespace mediatest
