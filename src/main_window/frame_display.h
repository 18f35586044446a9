#pragma once

#include <QString>
#include <string>

namespace frame_display {

// What the frame label shows with no video.
QString emptyText();

// "フレーム", a line feed, a carriage return, four blanks and the position reply exactly as
// the service gave it (an error text included).
QString text(const std::string& positionReply);

} // namespace frame_display
