#pragma once

#include <cstdint>
#include <functional>

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

// Called on the UI thread each time a video window is handed a picture, with its position;
// lets a benchmark see playback pacing. nullptr removes it.
void setPresentHook(std::function<void(std::int64_t position)> hook);

} // namespace media::service
