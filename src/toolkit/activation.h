#pragma once

#include <functional>

class QWidget;

namespace toolkit {

// Runs `onActivate` each time `window` becomes the active window, the first time and when
// the user comes to it from another window of this program; not when the user returns
// from another application. The watch ends with the window.
void watchActivation(QWidget* window, std::function<void()> onActivate);

} // namespace toolkit
