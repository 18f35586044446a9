#pragma once

#include <functional>

class QWidget;

namespace toolkit {

// Runs `onActivate` each time `window` becomes the active window in place of another
// watched window of this program, and the first time. Returning to the same window from
// another application or from a dialog does not count; coming back from another
// application into a different watched window does. The watch ends with the window.
void watchActivation(QWidget* window, std::function<void()> onActivate);

} // namespace toolkit
