#pragma once

#include <QWidget>
#include <cstdint>

namespace toolkit {

class PictureBox;

// Window and device-context handles: small positive integers handed out in creation
// order, so that a command string can carry them. Zero is never a handle. A handle of a
// destroyed surface resolves to nullptr. UI thread only.
std::int32_t registerWindow(QWidget* window);
std::int32_t registerDeviceContext(PictureBox* surface);
void unregisterHandle(std::int32_t handle);

QWidget* windowFromHandle(std::int32_t handle);
PictureBox* surfaceFromDeviceContext(std::int32_t handle);

} // namespace toolkit
