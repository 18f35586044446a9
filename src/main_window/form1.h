#pragma once

#include "common/vb_bool.h"
#include "measurement/measurement_table.h"

#include <QList>
#include <QMainWindow>
#include <QPointF>
#include <QPointer>
#include <QString>
#include <QUrl>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class QAction;
class QMenu;
class QLabel;
class QLineEdit;
class QScrollBar;
class QTimer;
class Form2;
class Form3;

namespace toolkit {
class CaptionLabel;
class CommandButton;
class PictureBox;
} // namespace toolkit

// The settings of the file-open dialog: its filter, and whether cancelling counts as a
// failure of the open operation.
struct FileDialogSettings {
    QString filter;
    bool cancelError = false;
};

// The main window: the video area, the measuring area with its rulers, the transport and
// measurement buttons. Controls and fields keep the names the program has always used;
// handlers are named after the control and the event.
class Form1 : public QMainWindow {
  public:
    explicit Form1(QWidget* parent = nullptr);
    ~Form1() override;

    // Enables play exactly when b1 is True; pause, step, step back, erase-all and the
    // slider exactly when b2 is True.
    void cmd_enabled(VbBool b1, VbBool b2);
    // Draws the rulers into Picture2 and fixes AreaW/AreaH from the video area's size.
    void scale_draw();

    void Form_Load();
    void Form_Activate();
    void Form_Unload();

    // File menu.
    void mnuopen_Click();
    // Opens a video named on the command line or dropped onto the window, exactly as if it
    // had been chosen in the file dialog.
    void openFile(const QString& path);
    // Files dropped onto the window: one local file opens, anything else is refused.
    void Form_OLEDragDrop(const QList<QUrl>& dropped);
    void mnuclose_Click();
    void mnuend_Click();

    // Transport.
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Cmd_巻き戻し_Click();
    void HScroll1_Scroll();
    void Timer1_Timer();

    // Frame capture and marking.
    void Cmd_trans_Click();
    void Picture3_MouseDown(int Button, int Shift, float X, float Y);

    // Erasing marks and axis direction.
    void Cmd_Reset_Click();
    void Command6_Click();
    void Cmd_Xchange_Click();
    void Cmd_Ychange_Click();

    // Graph windows.
    void Cmd_st_Click();
    void Cmd_vt_Click();

    // Measuring menu: how long a frame lasts, and a length reference clicked in the
    // measuring area. Both stay with the video that is open.
    void mnuframetime_Click();
    void mnulength_Click();
    void mnulengthclear_Click();
    // Follows the object of the last mark, marking it every so many frames by itself, each
    // mark made as a click there makes it, until the object is lost, the video ends, the
    // table is full or the user stops.
    void mnutrack_Click();
    // Enables the measuring menu's items for what is open and marked now.
    void mnumeasure_Update();
    bool isTracking() const { return tracking_ != nullptr; }

    // Controls.
    QAction* mnuopen = nullptr;
    QAction* mnuclose = nullptr;
    QAction* mnuend = nullptr;
    QAction* mnuframetime = nullptr;
    QAction* mnulength = nullptr;
    QAction* mnulengthclear = nullptr;
    QAction* mnulengthcancel = nullptr; // Esc while the ends of a reference are clicked
    QAction* mnutrack = nullptr;
    QMenu* mnumeasure = nullptr;
    QLabel* Label1 = nullptr;
    toolkit::PictureBox* Picture1 = nullptr;
    toolkit::CommandButton* Cmd_trans = nullptr;
    toolkit::PictureBox* Picture2 = nullptr;
    toolkit::PictureBox* Picture3 = nullptr;
    toolkit::CommandButton* Cmd_Xchange = nullptr;
    toolkit::CommandButton* Cmd_Ychange = nullptr;
    toolkit::CommandButton* Command4 = nullptr;
    toolkit::CommandButton* Command3 = nullptr;
    toolkit::CaptionLabel* Label2 = nullptr;
    QScrollBar* HScroll1 = nullptr;
    toolkit::CommandButton* Cmd_巻き戻し = nullptr;
    toolkit::CommandButton* Command2 = nullptr;
    toolkit::CommandButton* Command1 = nullptr;
    toolkit::CommandButton* Cmd_Reset = nullptr;
    toolkit::CommandButton* Command6 = nullptr;
    toolkit::CommandButton* Cmd_vt = nullptr;
    toolkit::CommandButton* Cmd_st = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* Text1 = nullptr;
    QLabel* Label5 = nullptr;
    QLineEdit* Text2 = nullptr;
    QTimer* Timer1 = nullptr;
    QLabel* Label6 = nullptr; // the length of a unit length, while a reference is set
    FileDialogSettings CommonDialog1;

    // Fields. Frame counts are 32-bit, so no amount of stepping makes them wrap.
    Module1::FrameCount FramesSinceMark = 0;
    VbBool PlayStarted = VbFalse;
    std::array<float, Module1::kTableSize> PixX{};
    std::array<float, Module1::kTableSize> PixY{};
    VbBool XAxisRight = VbFalse;
    VbBool YAxisDown = VbFalse;
    std::int16_t AreaW = 0;
    std::int16_t AreaH = 0;

    // The graph windows while they are loaded, else nullptr.
    Form3* positionTimeWindow() const;
    Form2* velocityTimeWindow() const;

  protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    void createMenu();
    void createControls();
    void connectHandlers();
    // Sends "stop", then paints the video's current frame into the measuring area.
    void paintCurrentFrame();
    // Opening: the displays and buttons set back as the open starts, then the chosen file.
    void clearForOpen();
    void openChosenFile(const QString& path);
    // Graph windows are top-level windows of their own; they go with the main window.
    void closeGraphWindows();

    // The measuring menu's state follows the video: enabled while one is open, and back to
    // 1/30 s a frame and no length reference whenever one opens or closes.
    void resetMeasuring(bool videoOpen);
    // After opening: a video filmed at another rate asks whether to count at it.
    void askFrameTime();
    void setFrameTime(const measurement::TimeBase& time);
    void setLengthScale(const std::optional<measurement::LengthReference>& reference);
    // Open graph windows redraw in the new time or length; their fits are converted.
    void measuringChanged(double previousFramesPerSecond);
    void showLengthScale();
    // The reference's segment on the measuring area, under the marks.
    void drawLengthReference();
    void lengthReferenceClick(QPointF at);
    void endLengthClicks();

    // The rates the open video plays at and was filmed at; 0 while none is open.
    double fileRate_ = 0;
    double filmedRate_ = 0;
    // The ends clicked so far while a length reference is being set.
    std::optional<std::vector<QPointF>> lengthClicks_;

    // Following an object: one automatic mark each time round the event loop.
    struct Tracking;
    std::unique_ptr<Tracking> tracking_;
    void trackingStep();
    void endTracking(const QString& why);

    QString lastChosenFile_;
    bool ending_ = false;

    QPointer<Form3> form3_;
    QPointer<Form2> form2_;
};
