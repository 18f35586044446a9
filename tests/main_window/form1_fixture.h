#pragma once

#include "main_window/form1.h"
#include "toolkit/dialogs.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>
#include <optional>

// Drives a real main window on the offscreen platform: the beep, the message box, the file
// dialog and the end of the program go through their seams, and videos are generated with
// their frame numbers painted in.
namespace form1test {

struct Message {
    QString text;
    toolkit::MessageIcon icon;
    QString caption;
};

// Which transport and measurement controls are enabled, by short names in a fixed order
// ("play transfer flipX flipY"), so a whole state of the window compares at once.
QString enabledSet(const Form1& f);

class Harness {
  public:
    Harness();
    ~Harness();

    Form1& form() { return *form_; }
    // A fresh main window, shown and active.
    void restart();

    // A generated MJPEG video with `frames` frames, in a temporary folder.
    QString video(int frames, const QString& name = QStringLiteral("clip.avi"),
                  QSize size = QSize(320, 240));
    QString folder() const { return dir_.path(); }

    // The file dialog answers with this path next time, or is cancelled.
    void chooseFile(std::optional<QString> path) { nextChoice_ = std::move(path); }
    QString lastStartFolder() const { return lastStartFolder_; }
    QString lastFilter() const { return lastFilter_; }

    // Opens path through the file menu, as the user would.
    void open(const QString& path);
    // Plays and pauses, ready to transfer and mark.
    void playAndPause();

    int beeps = 0;
    int endRequests = 0;
    QList<Message> messages;

    // Which frame the measuring area shows, read from its pixels; -1 when none. `displayed`
    // is where the video's picture lies in the 320 x 240 video area.
    int frameInMeasuringArea(QRect displayed = QRect(0, 0, 320, 240)) const;
    // A click of `button` on the measuring area at (x, y), fractions included.
    void click(double x, double y, Qt::MouseButton button = Qt::LeftButton);

  private:
    std::unique_ptr<Form1> form_;
    QTemporaryDir dir_;
    std::optional<QString> nextChoice_;
    QString lastStartFolder_;
    QString lastFilter_;
};

} // namespace form1test
