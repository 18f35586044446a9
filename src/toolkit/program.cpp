#include "toolkit/program.h"

#include <QApplication>
#include <QWidget>

namespace toolkit {

namespace {

EndProgramHandler& endProgramHandler() {
    static EndProgramHandler handler;
    return handler;
}

} // namespace

void endProgram() {
    if (endProgramHandler()) {
        endProgramHandler()();
        return;
    }
    // Hide every window now; the event loop ends when control returns to it.
    for (QWidget* w : QApplication::topLevelWidgets()) {
        w->hide();
    }
    QCoreApplication::exit(0);
}

void setEndProgramHandler(EndProgramHandler handler) {
    endProgramHandler() = std::move(handler);
}

} // namespace toolkit
