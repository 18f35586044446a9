#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace toolkit {

// Long work of the UI thread's (reading a whole video file as it opens) done on a thread of
// its own, while the UI thread goes on painting its windows; the user's input waits, as it
// would for the work done in place. Work that takes longer than half a second gets a modal
// progress dialog saying `label`, with the share done (`permille`, 0..1000, or below 0 when
// unknown) and a cancel button that calls `cancel`. Without an application object the work
// is simply done in place.
void runInBackground(const std::function<void()>& work, const std::function<int()>& permille,
                     const std::function<void()>& cancel, const QString& label, QWidget* parent);

} // namespace toolkit
