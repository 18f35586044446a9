#include "fuzz_drivers.h"

#include "support/media_stage.h"

#include <QApplication>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

namespace fuzzing {

namespace {

struct Surroundings {
    QApplication* application = nullptr; // only when the caller has none
    QTemporaryDir* folder = nullptr;
    mediatest::Stage* stage = nullptr;
};

// Never destroyed at exit: by then Qt's platform plugin may be gone, and a widget deleted
// after it crashes. When the caller owns the application object, the stage goes with it.
Surroundings& surroundings() {
    static Surroundings* instance = new Surroundings;
    return *instance;
}

void dropStage() {
    delete surroundings().stage;
    surroundings().stage = nullptr;
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
        s.application = new QApplication(argc, argv);
    } else {
        qAddPostRoutine(&dropStage);
    }
    s.folder = new QTemporaryDir;
    s.stage = new mediatest::Stage;
    videoPath_ =
        mediatest::writeVideo(s.folder->path(), "stage.avi",
                              {.width = 64, .height = 48, .frames = 8, .droppedFrames = {5}});
    if (videoPath_.empty())
        std::abort();
}

std::int32_t Stage::parentHandle() const {
    return surroundings().stage ? surroundings().stage->parentHandle() : 0;
}

std::int32_t Stage::targetHandle() const {
    return surroundings().stage ? surroundings().stage->targetHandle() : 0;
}

std::string Stage::scratchFile() const {
    return surroundings().folder->filePath(QStringLiteral("input.avi")).toStdString();
}

void Stage::settle() {
    QCoreApplication::processEvents();
}

} // namespace fuzzing
