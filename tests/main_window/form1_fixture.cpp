#include "form1_fixture.h"

#include "toolkit/command_button.h"
#include "toolkit/fonts.h"
#include "toolkit/picture_box.h"
#include "toolkit/program.h"
#include "videogen/videogen.h"

#include <QApplication>
#include <QFileInfo>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTest>

namespace form1test {

QString enabledSet(const Form1& f) {
    const std::pair<const char*, const QWidget*> controls[] = {
        {"play", f.Command1},       {"pause", f.Command2},      {"step", f.Command3},
        {"back", f.Command4},       {"eraseAll", f.Command6},   {"slider", f.HScroll1},
        {"rewind", f.Cmd_巻き戻し}, {"eraseLast", f.Cmd_Reset}, {"vt", f.Cmd_vt},
        {"st", f.Cmd_st},           {"transfer", f.Cmd_trans},  {"flipX", f.Cmd_Xchange},
        {"flipY", f.Cmd_Ychange}};
    QStringList on;
    for (const auto& [name, widget] : controls) {
        if (widget->isEnabled()) {
            on << QString::fromLatin1(name);
        }
    }
    return on.join(u' ');
}

Harness::Harness() {
    toolkit::setApplicationFont();
    toolkit::setBeepHandler([this] { ++beeps; });
    toolkit::setMessageBoxHandler(
        [this](const QString& text, toolkit::MessageIcon icon, const QString& caption) {
            messages.append({text, icon, caption});
        });
    toolkit::setOpenFileHandler([this](const QString& startFolder, const QString& filter) {
        lastStartFolder_ = startFolder;
        lastFilter_ = filter;
        return nextChoice_;
    });
    toolkit::setEndProgramHandler([this] { ++endRequests; });
    restart();
}

Harness::~Harness() {
    form_.reset(); // the window goes before the seams it uses
    toolkit::setBeepHandler(nullptr);
    toolkit::setMessageBoxHandler(nullptr);
    toolkit::setOpenFileHandler(nullptr);
    toolkit::setEndProgramHandler(nullptr);
}

void Harness::restart() {
    if (form_) {
        form_->mnuclose_Click();
    }
    form_ = std::make_unique<Form1>();
    form_->show();
    form_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form_.get()));
    beeps = 0;
    endRequests = 0;
    messages.clear();
}

QString Harness::video(int frames, const QString& name, QSize size) {
    const QString path = dir_.filePath(name);
    if (!QFileInfo::exists(path)) {
        videogen::VideoSettings settings;
        settings.frames = frames;
        settings.width = size.width();
        settings.height = size.height();
        const std::string error = videogen::writeAvi(path.toStdString(), settings);
        if (!error.empty()) {
            qWarning("cannot write %s: %s", qPrintable(path), error.c_str());
        }
    }
    return path;
}

void Harness::open(const QString& path) {
    chooseFile(path);
    form_->mnuopen_Click();
}

void Harness::playAndPause() {
    form_->Command1_Click();
    form_->Command2_Click();
}

int Harness::frameInMeasuringArea(QRect displayed) const {
    return videogen::readFrameCode(form_->Picture3->image(), displayed);
}

void Harness::click(double x, double y, Qt::MouseButton button) {
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(x, y), QPointF(x, y), button, button,
                      Qt::NoModifier);
    QApplication::sendEvent(form_->Picture3->clientArea(), &press);
}

} // namespace form1test
