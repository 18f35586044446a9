#include "support/window_driver.h"

#include "main_window/measuring_dialogs.h"
#include "media/mci_channel.h"
#include "media/mci_commands.h"
#include "support/support.h"
#include "toolkit/caption_label.h"
#include "toolkit/command_button.h"
#include "toolkit/fonts.h"
#include "toolkit/picture_box.h"
#include "toolkit/program.h"
#include "videogen/videogen.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <functional>
#include <map>
#include <utility>

namespace windowtest {

QString enabledSet(const Form1& f) {
    const std::pair<const char*, const QWidget*> controls[] = {
        {"play", f.Command1},       {"pause", f.Command2},      {"step", f.Command3},
        {"back", f.Command4},       {"eraseAll", f.Command6},   {"slider", f.HScroll1},
        {"rewind", f.Cmd_巻き戻し}, {"eraseLast", f.Cmd_Reset}, {"vt", f.Cmd_vt},
        {"st", f.Cmd_st},           {"transfer", f.Cmd_trans},  {"flipX", f.Cmd_Xchange},
        {"flipY", f.Cmd_Ychange}};
    QStringList on;
    for (const auto& [name, widget] : controls)
        if (widget->isEnabled())
            on << QString::fromLatin1(name);
    return on.join(u',');
}

Driver::Driver() {
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
    toolkit::setAskHandler([this](const QString& text, const QString&) {
        questions << text;
        return answer;
    });
    toolkit::setDialogHandler([this](QDialog& dialog) {
        const auto answerNow = std::exchange(dialogAnswer, nullptr);
        return answerNow ? answerNow(dialog) : int(QDialog::Rejected);
    });
    restart();
}

Driver::~Driver() {
    form_.reset(); // the window goes before the seams it uses
    toolkit::setBeepHandler(nullptr);
    toolkit::setMessageBoxHandler(nullptr);
    toolkit::setOpenFileHandler(nullptr);
    toolkit::setEndProgramHandler(nullptr);
    toolkit::setAskHandler(nullptr);
    toolkit::setDialogHandler(nullptr);
}

void Driver::restart() {
    if (form_)
        form_->mnuclose_Click();
    form_ = std::make_unique<Form1>();
    support::showActive(form_.get());
    beeps = 0;
    endRequests = 0;
    messages.clear();
    questions.clear();
    answer = true;
    dialogAnswer = nullptr;
}

QString Driver::video(int frames, const QString& name, QSize size) {
    const QString path =
        dir_.filePath(name.isEmpty() ? QStringLiteral("clip%1.avi").arg(frames) : name);
    if (!QFileInfo::exists(path)) {
        const std::string error = videogen::writeAvi(
            path.toStdString(), {.width = size.width(), .height = size.height(), .frames = frames});
        if (!error.empty())
            qWarning("cannot write %s: %s", qPrintable(path), error.c_str());
    }
    return path;
}

QString Driver::file(const QString& what, const QString& name) {
    if (what == u"missing")
        return QFileInfo(name).isAbsolute() ? name
                                            : dir_.filePath(name.isEmpty() ? "gone.avi" : name);
    if (what == u"junk") {
        const QString path = dir_.filePath(name.isEmpty() ? QStringLiteral("notes.mp4") : name);
        support::writeFile(path, QByteArray("1 ボールの位置\n").repeated(50));
        return path;
    }
    return video(what.toInt() > 0 ? what.toInt() : 30, name);
}

void Driver::drop(const QList<QUrl>& urls) {
    QMimeData data;
    data.setUrls(urls);
    const QPoint at = form_->Picture1->geometry().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form_.get(), &enter);
    if (!enter.isAccepted())
        return;
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form_.get(), &drop);
}

void Driver::open(const QString& path) {
    chooseFile(path);
    form_->mnuopen_Click();
}

int Driver::frameInMeasuringArea(QRect displayed) const {
    return videogen::readFrameCode(form_->Picture3->image(), displayed);
}

void Driver::click(double x, double y, Qt::MouseButton button) {
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(x, y), QPointF(x, y), button, button,
                      Qt::NoModifier);
    QApplication::sendEvent(form_->Picture3->clientArea(), &press);
}

void Driver::run(const QString& script) {
    Form1& f = *form_;
    using Handler = void (Form1::*)();
    static const std::map<QString, Handler> plain = {{"close", &Form1::mnuclose_Click},
                                                     {"exit", &Form1::mnuend_Click},
                                                     {"play", &Form1::Command1_Click},
                                                     {"pause", &Form1::Command2_Click},
                                                     {"rewind", &Form1::Cmd_巻き戻し_Click},
                                                     {"tick", &Form1::Timer1_Timer},
                                                     {"transfer", &Form1::Cmd_trans_Click},
                                                     {"eraseLast", &Form1::Cmd_Reset_Click},
                                                     {"eraseAll", &Form1::Command6_Click},
                                                     {"flipX", &Form1::Cmd_Xchange_Click},
                                                     {"flipY", &Form1::Cmd_Ychange_Click},
                                                     {"st", &Form1::Cmd_st_Click},
                                                     {"vt", &Form1::Cmd_vt_Click}};
    for (const QString& step : script.split(u';', Qt::SkipEmptyParts)) {
        const QStringList words = step.split(u' ', Qt::SkipEmptyParts);
        const QString verb = words.value(0);
        const auto number = [&](int i, double fallback = 1) {
            return words.size() > i ? words[i].toDouble() : fallback;
        };
        if (const auto handler = plain.find(verb); handler != plain.end()) {
            (f.*handler->second)();
        } else if (verb == u"open") {
            open(video(int(number(1)), words.value(2)));
        } else if (verb == u"given") { // the command line: n frames, missing, or junk
            f.openFile(file(words.value(1), words.value(2)));
        } else if (verb == u"drop") { // one file, "two" files, or a "url"
            const QUrl one = QUrl::fromLocalFile(file(words.value(1), words.value(2)));
            drop(words.value(1) == u"two"   ? QList<QUrl>{one, one}
                 : words.value(1) == u"url" ? QList<QUrl>{QUrl("https://example.org/clip.mp4")}
                                            : QList<QUrl>{one});
        } else if (verb == u"cancel") {
            chooseFile(std::nullopt);
            f.mnuopen_Click();
        } else if (verb == u"step" || verb == u"back") {
            for (int i = 0; i < int(number(1)); ++i)
                verb == u"step" ? f.Command3_Click() : f.Command4_Click();
        } else if (verb == u"drag") {
            f.HScroll1->setSliderDown(true);
            f.HScroll1->setSliderPosition(int(number(1)));
            f.HScroll1->setSliderDown(false);
        } else if (verb == u"mark" || verb == u"rmark") {
            click(number(1), number(2), verb == u"mark" ? Qt::LeftButton : Qt::RightButton);
        } else if (verb == u"frametime") {
            const QString choice = words.value(1);
            dialogAnswer = [choice, typed = words.value(2)](QDialog& d) {
                auto& dialog = dynamic_cast<FrameTimeDialog&>(d);
                QRadioButton* pick = choice == u"counted"  ? dialog.counted
                                     : choice == u"file"   ? dialog.fileRate
                                     : choice == u"filmed" ? dialog.filmedRate
                                                           : dialog.typed;
                pick->setChecked(true);
                dialog.typedRate->setText(typed);
                dialog.buttons->button(QDialogButtonBox::Ok)->click();
                return dialog.result();
            };
            f.mnuframetime_Click();
        } else if (verb == u"length") {
            f.mnulength_Click();
            if (words.size() < 7)
                continue;
            click(number(1), number(2));
            dialogAnswer = [value = words.value(5), unit = words.value(6)](QDialog& d) {
                auto& dialog = dynamic_cast<LengthDialog&>(d);
                dialog.length->setText(value);
                dialog.unit->setCurrentText(unit);
                dialog.buttons->button(QDialogButtonBox::Ok)->click();
                return dialog.result();
            };
            click(number(3), number(4));
        } else if (verb == u"track") { // every n frames, until it ends by itself
            dialogAnswer = [n = int(number(1))](QDialog& d) {
                auto& dialog = dynamic_cast<TrackGapDialog&>(d);
                dialog.frames->setValue(n);
                dialog.buttons->button(QDialogButtonBox::Ok)->click();
                return dialog.result();
            };
            f.mnutrack_Click();
            if (!QTest::qWaitFor([&f] { return !f.isTracking(); }, 120000))
                qFatal("tracking never ended");
        } else if (verb == u"lengthclear") {
            f.mnulengthclear->trigger();
        } else if (verb == u"escape") {
            QTest::keyClick(&f, Qt::Key_Escape);
        } else {
            qFatal("unknown step '%s'", qPrintable(step));
        }
    }
}

QString Driver::differences(const QString& expected) {
    Form1& f = *form_;
    const auto onOff = [](bool on) { return on ? QStringLiteral("on") : QStringLiteral("off"); };
    const auto text = [](const QString& t) { return t.isEmpty() ? QStringLiteral("-") : t; };
    const std::map<QString, std::function<QString()>> actual = {
        {"marks", [] { return QString::number(Module1::MarkCount); }},
        {"counter", [&] { return QString::number(f.FramesSinceMark); }},
        {"x", [&] { return text(f.Text1->text()); }},
        {"y", [&] { return text(f.Text2->text()); }},
        {"enabled", [&] { return enabledSet(f); }},
        {"frame", [&] { return QString::number(frameInMeasuringArea()); }},
        {"label",
         [&] {
             return QString(f.Label2->caption())
                 .replace(u'\n', QStringLiteral("\\n"))
                 .replace(u'\r', QStringLiteral("\\r"))
                 .replace(u' ', u'_');
         }},
        {"position",
         [] {
             std::string reply;
             Module1::SendMciCommand(media::statusPositionCommand(), reply);
             return QString::fromStdString(reply);
         }},
        {"slider", [&] { return QString::number(f.HScroll1->value()); }},
        {"max", [&] { return QString::number(f.HScroll1->maximum()); }},
        {"timer", [&] { return onOff(f.Timer1->isActive()); }},
        {"played", [&] { return onOff(isTrue(f.PlayStarted)); }},
        {"gaps",
         [] {
             QStringList gaps;
             for (int i = 0; i < std::max<int>(Module1::MarkCount, 1); ++i)
                 gaps << QString::number(Module1::FrameGap[i]);
             return gaps.join(u',');
         }},
        {"beeps", [&] { return QString::number(beeps); }},
        {"file", [&] { return text(QFileInfo(f.Label1->text()).fileName()); }},
        {"boxes", [&] { return QString::number(messages.size()); }},
        {"questions", [&] { return QString::number(questions.size()); }},
        {"rate", [] { return measurement::rateText(Module1::FrameTime.framesPerSecond); }},
        {"scale",
         [&] {
             return f.Label6->isHidden() ? "-" : QString(f.Label6->text()).replace(u' ', u'_');
         }},
        {"menu",
         [&] {
             f.mnumeasure_Update(); // as the menu opens
             QStringList on;
             for (QAction* item : {f.mnuframetime, f.mnulength, f.mnulengthclear, f.mnutrack})
                 if (item->isEnabled())
                     on << item->text().section(u'(', 0, 0);
             return on.isEmpty() ? QStringLiteral("-") : on.join(u',');
         }},
    };
    QStringList wrong;
    for (const QString& pair : expected.split(u' ', Qt::SkipEmptyParts)) {
        const QString key = pair.section(u'=', 0, 0);
        const QString want = pair.section(u'=', 1);
        const auto found = actual.find(key);
        if (found == actual.end())
            qFatal("unknown key '%s'", qPrintable(key));
        if (const QString got = found->second(); got != want)
            wrong << QStringLiteral("%1=%2 (not %3)").arg(key, got, want);
    }
    return wrong.join(u' ');
}

} // namespace windowtest
