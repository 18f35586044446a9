#include "main_window/form1.h"

#include "main_window/frame_display.h"
#include "main_window/video_files.h"
#include "main_window/video_folders.h"
#include "media/mci_channel.h"
#include "media/mci_commands.h"
#include "toolkit/caption_label.h"
#include "toolkit/command_button.h"
#include "toolkit/dialogs.h"
#include "toolkit/picture_box.h"
#include "toolkit/program.h"

#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QScrollBar>
#include <QTimer>

void Form1::mnuopen_Click() {
    clearForOpen();
    // From here on a failure ends the operation; what was done above stays done.
    CommonDialog1.filter = video_files::dialogFilter();
    const std::optional<QString> chosen = toolkit::getOpenFileName(
        this, QStringLiteral("ビデオファイルを開く"),
        video_folders::startFolder(lastChosenFile_, video_folders::bundledSamplesFolder(),
                                   QDir::homePath()),
        CommonDialog1.filter);
    if (!chosen) {
        if (CommonDialog1.cancelError) {
            toolkit::beep();
        }
        return;
    }
    openChosenFile(*chosen);
}

void Form1::openFile(const QString& path) {
    clearForOpen();
    openChosenFile(QFileInfo(path).absoluteFilePath());
}

void Form1::clearForOpen() {
    Picture3->setDrawMode(toolkit::DrawMode::CopyPen);
    Picture2->clear();
    Picture3->clear();
    Text1->clear();
    Text2->clear();

    cmd_enabled(VbFalse, VbFalse);
    Cmd_巻き戻し->setEnabled(false);
    Command1->setEnabled(true);
    Cmd_Reset->setEnabled(false);
    Cmd_vt->setEnabled(false);
    Cmd_st->setEnabled(false);
    Cmd_Xchange->setEnabled(true);
    Cmd_Ychange->setEnabled(true);
}

void Form1::openChosenFile(const QString& path) {
    lastChosenFile_ = path;

    // A file read through as it opens keeps the windows painted meanwhile: the position
    // timer waits, not to ask a device that is not there yet. It starts again below.
    Timer1->stop();
    std::string reply;
    Module1::SendMciCommand(media::closeCommand(), reply);
    const std::int32_t opened = Module1::SendMciCommand(
        media::openCommand(Module1::GetShortName(path.toStdString()), Picture1->hWnd()), reply);
    if (opened != 0) {
        Timer1->stop();
        resetMeasuring(false);
        toolkit::messageBox(this, QString::fromStdString(reply), toolkit::MessageIcon::Stop,
                            windowTitle());
        return;
    }
    Module1::SendMciCommand(
        media::putDestinationCommand(Picture1->outerWidth(), Picture1->outerHeight()), reply);
    Module1::SendMciCommand(media::statusLengthCommand(), reply);
    // The slider carries 32-bit frame numbers, so a long video opens completely.
    HScroll1->setMaximum(media::readNumericReply(reply));
    Timer1->start();
    Label1->setText(path);
    cmd_enabled(VbFalse, VbFalse);
    Cmd_巻き戻し->setEnabled(false);
    Cmd_Reset->setEnabled(false);
    cmd_enabled(VbTrue, VbFalse);
    scale_draw();
    Module1::MarkCount = 0;
    resetMeasuring(true);
    askFrameTime();
}

void Form1::Form_OLEDragDrop(const QList<QUrl>& dropped) {
    const std::optional<QString> file = video_files::singleLocalFile(dropped);
    if (!file) {
        toolkit::beep();
        return;
    }
    openFile(*file);
}

void Form1::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void Form1::dropEvent(QDropEvent* event) {
    event->acceptProposedAction();
    Form_OLEDragDrop(event->mimeData()->urls());
}

void Form1::mnuclose_Click() {
    Timer1->stop();
    Label1->clear();
    Label2->setCaption(frame_display::emptyText());
    std::string reply;
    Module1::SendMciCommand(media::closeCommand(), reply);
    cmd_enabled(VbFalse, VbFalse);
    Cmd_巻き戻し->setEnabled(false);
    Cmd_Reset->setEnabled(false);
    Cmd_vt->setEnabled(false);
    Cmd_st->setEnabled(false);
    Cmd_trans->setEnabled(false);
    Text1->clear();
    Text2->clear();
    Picture2->setDrawMode(toolkit::DrawMode::CopyPen);
    Picture2->clear();
    Picture3->setDrawMode(toolkit::DrawMode::CopyPen);
    Picture3->clear();
    scale_draw();
    PlayStarted = VbFalse;
    Module1::MarkCount = 0;
    resetMeasuring(false);
}

void Form1::mnuend_Click() {
    ending_ = true;
    Timer1->stop();
    std::string reply;
    Module1::SendMciCommand(media::closeCommand(), reply);
    closeGraphWindows();
    toolkit::endProgram();
}

void Form1::Form_Unload() {
    mnuend_Click();
}

void Form1::closeEvent(QCloseEvent* event) {
    if (!ending_) {
        Form_Unload();
    }
    event->accept();
}
