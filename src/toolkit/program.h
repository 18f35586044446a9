#pragma once

#include <functional>

namespace toolkit {

// Ends the program at once: every window goes, and no further handler runs. Reached
// through a seam so that tests can see the request without ending the test itself.
void endProgram();

using EndProgramHandler = std::function<void()>;
void setEndProgramHandler(EndProgramHandler handler);

} // namespace toolkit
