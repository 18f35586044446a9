#pragma once

#include "main_window/form1.h"
#include "toolkit/dialogs.h"

#include <QList>
#include <QString>
#include <QTemporaryDir>
#include <QUrl>
#include <functional>
#include <memory>
#include <optional>

class QDialog;

// Drives a real main window on the offscreen platform: the beep, the message box, the file
// dialog and the end of the program go through their seams, and videos are generated with
// their frame numbers painted in.
namespace windowtest {

struct Message {
    QString text;
    toolkit::MessageIcon icon;
    QString caption;
};

// The transport and measurement controls that are enabled, by short names in a fixed order
// ("play,transfer,flipX,flipY"), so a whole state of the window compares at once.
QString enabledSet(const Form1& f);

class Driver {
  public:
    Driver();
    ~Driver();

    Form1& form() { return *form_; }
    // A fresh main window, shown and active, with the counters cleared.
    void restart();

    // A generated MJPEG video with `frames` frames, in a temporary folder; named
    // clip<frames>.avi unless named here.
    QString video(int frames, const QString& name = {}, QSize size = QSize(320, 240));
    QString folder() const { return dir_.path(); }

    // The file dialog answers with this path next time, or is cancelled.
    void chooseFile(std::optional<QString> path) { nextChoice_ = std::move(path); }
    QString lastStartFolder() const { return lastStartFolder_; }
    QString lastFilter() const { return lastFilter_; }
    void open(const QString& path);

    // Which frame the measuring area shows, read from its pixels; -1 when none.
    int frameInMeasuringArea(QRect displayed = QRect(0, 0, 320, 240)) const;
    // A click of `button` on the measuring area at (x, y), fractions included.
    void click(double x, double y, Qt::MouseButton button = Qt::LeftButton);

    // Runs user actions separated by ";": open n [file] (a generated video), cancel (the
    // dialog), given n|missing|junk [file] (named on the command line), drop n [file] (onto
    // the window; "drop two", "drop url"), close, exit, play, pause, step [n], back [n],
    // rewind, drag n (the slider), tick (the timer), transfer, mark x y, rmark x y (right
    // button), eraseLast, eraseAll, flipX, flipY, st, vt; frametime counted|file|filmed|typed
    // [text] (the dialog answered with OK), length [x1 y1 x2 y2 value unit] (the menu item, the
    // two ends clicked, the dialog answered with OK), lengthclear, escape, track n (every n
    // frames, until it ends).
    void run(const QString& script);
    // Which of the blank-separated "key=value" pairs differ from the window: marks, counter,
    // x, y (the coordinate boxes, "-" when empty), enabled, frame (in the measuring area),
    // label (the frame display; \n, \r and _ for a line feed, a return and a blank),
    // position (the device's), slider, max, timer, played (on/off), gaps (FrameGap from 0),
    // beeps, file (the name above the video, "-" for none), boxes (message boxes shown),
    // questions (asked), rate (frames per second time counts at), scale (the label under the
    // rulers, "-" when hidden), menu (the measuring menu's enabled items).
    QString differences(const QString& expected);

    int beeps = 0;
    int endRequests = 0;
    QList<Message> messages;
    // Questions asked, each answered with `answer` (はい when true).
    QStringList questions;
    bool answer = true;
    // Answers the next dialog of the program's own; by default it is cancelled.
    std::function<int(QDialog&)> dialogAnswer;

  private:
    // A generated video of n frames, a missing file or a file of text, by name.
    QString file(const QString& what, const QString& name);
    void drop(const QList<QUrl>& urls);

    std::unique_ptr<Form1> form_;
    QTemporaryDir dir_;
    std::optional<QString> nextChoice_;
    QString lastStartFolder_;
    QString lastFilter_;
};

} // namespace windowtest
