#include "fuzz_stage.h"

#include "toolkit/picture_box.h"
#include "videogen/videogen.h"

#include <QApplication>
#include <QCoreApplication>
#include <QTemporaryDir>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace fuzzing {

namespace {

struct Surroundings {
    std::unique_ptr<QApplication> application; // only when the caller has none
    std::unique_ptr<QTemporaryDir> folder;
    std::unique_ptr<QWidget> window;
    toolkit::PictureBox* video = nullptr;
    toolkit::PictureBox* target = nullptr;
};

// Never destroyed at exit: by then Qt's platform plugin may be gone, and a widget deleted
// after it crashes. When the caller owns the application object, the windows and the
// folder go with it instead.
Surroundings& surroundings() {
    static Surroundings* instance = new Surroundings;
    return *instance;
}

void dropWindows() {
    surroundings().window.reset();
    surroundings().video = nullptr;
    surroundings().target = nullptr;
    surroundings().folder.reset();
}

} // namespace

Stage& Stage::instance() {
    static Stage stage;
    return stage;
}

Stage::Stage() {
    Surroundings& s = surroundings();
    if (!QCoreApplication::instance()) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "ugoki-fuzz";
        static char* argv[] = {name, nullptr};
        s.application = std::make_unique<QApplication>(argc, argv);
    }
    s.folder = std::make_unique<QTemporaryDir>();
    s.window = std::make_unique<QWidget>();
    s.window->resize(700, 300);
    s.video = new toolkit::PictureBox(s.window.get());
    s.video->setOuterGeometry(0, 0, 320, 240);
    s.target = new toolkit::PictureBox(s.window.get());
    s.target->setOuterGeometry(340, 0, 320, 240);
    s.window->show();
    if (!s.application)
        qAddPostRoutine(&dropWindows);

    videogen::VideoSettings settings;
    settings.width = 64;
    settings.height = 48;
    settings.frames = 8;
    settings.droppedFrames = {5};
    videoPath_ = s.folder->filePath(QStringLiteral("stage.avi")).toStdString();
    const std::string error = videogen::writeAvi(videoPath_, settings);
    if (!error.empty()) {
        std::fprintf(stderr, "cannot write the stage video: %s\n", error.c_str());
        std::abort();
    }
}

std::int32_t Stage::parentHandle() const {
    return surroundings().video ? surroundings().video->hWnd() : 0;
}

std::int32_t Stage::targetHandle() const {
    return surroundings().target ? surroundings().target->hDC() : 0;
}

std::string Stage::scratchFile() const {
    return surroundings().folder->filePath(QStringLiteral("input.avi")).toStdString();
}

void Stage::settle() {
    QCoreApplication::processEvents();
}

} // namespace fuzzing
