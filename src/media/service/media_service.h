#pragma once

#include <QImage>
#include <QRect>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace media::service {

// The media service's entry points, in the shape of a command-string call and its
// error-text call. Commands are taken on the UI thread. The reply (or nothing) is written
// to buffer as a NUL-terminated string cut to size - 1 bytes.
std::int32_t sendCommand(const char* command, char* buffer, int size);
// Writes the error text for code, cut the same way.
void errorText(std::int32_t code, char* buffer, int size);

// Closes every open device: joins its worker, removes its window. Runs by itself when the
// application object goes away.
void closeAllDevices();

// For following an object in the video the device `alias` shows: while on, it keeps the
// pictures it decodes at full size too. False when there is no such device.
bool keepFullPictures(const std::string& alias, bool on);
// The picture that device shows, at the video's own size, turned upright, in grey, and
// where it lies in the destination; waits for it. Nothing without such a device or while it
// is not keeping full pictures.
struct FullPicture {
    QImage grey;
    QRect shownAt;
};
std::optional<FullPicture> fullPicture(const std::string& alias);

// Called on the UI thread each time a video window is handed a picture, with its position;
// lets a benchmark see playback pacing. nullptr removes it.
void setPresentHook(std::function<void(std::int64_t position)> hook);

} // namespace media::service
