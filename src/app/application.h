#pragma once

// What every start of the program sets up before its first window: its name and icon, the
// Japanese gothic font, and Qt's own texts (dialog buttons and the like) in Japanese.
namespace app {

void setUpApplication();

// Loads Qt's Japanese translation; false when it is not installed.
bool loadQtJapanese();

} // namespace app
