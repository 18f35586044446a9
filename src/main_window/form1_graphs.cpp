#include "main_window/form1.h"

#include "graphs/form2.h"
#include "graphs/form3.h"

namespace {

// Shows a graph window non-modally, creating it first when it is not loaded; a window
// that exists is brought to the front and activated.
template <typename Window> void showGraphWindow(QPointer<Window>& window) {
    if (Module1::MarkCount < 1) {
        return;
    }
    if (!window) {
        window = new Window();
    }
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace

void Form1::Cmd_st_Click() {
    showGraphWindow(form3_);
}

void Form1::Cmd_vt_Click() {
    showGraphWindow(form2_);
}

Form3* Form1::positionTimeWindow() const {
    return form3_.data();
}

Form2* Form1::velocityTimeWindow() const {
    return form2_.data();
}

void Form1::closeGraphWindows() {
    delete form3_.data();
    delete form2_.data();
}
