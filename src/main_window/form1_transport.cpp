#include "main_window/form1.h"

#include "main_window/frame_display.h"
#include "measurement/marks.h"
#include "media/mci_channel.h"
#include "media/mci_commands.h"
#include "toolkit/caption_label.h"
#include "toolkit/command_button.h"

#include <QScrollBar>
#include <QSignalBlocker>
#include <QTimer>

namespace {

// Every handler here ignores the result code: a failure shows only as the channel's beep.
std::string send(const std::string& command) {
    std::string reply;
    Module1::SendMciCommand(command, reply);
    return reply;
}

} // namespace

void Form1::Command1_Click() {
    send(media::playCommand());
    cmd_enabled(VbTrue, VbTrue);
    Cmd_Reset->setEnabled(true);
    Cmd_巻き戻し->setEnabled(true);
    Cmd_vt->setEnabled(true);
    Cmd_st->setEnabled(true);
    Cmd_trans->setEnabled(true);
    PlayStarted = VbTrue;
}

void Form1::Command2_Click() {
    send(media::pauseCommand());
    Cmd_trans->setEnabled(true);
}

// The frame gap between two marks counts step presses only, whether or not the device
// could move (at the first or last frame it cannot).
void Form1::Command3_Click() {
    send(media::stepCommand());
    FramesSinceMark = measurement::addFrames(FramesSinceMark, 1);
}

void Form1::Command4_Click() {
    send(media::stepReverseCommand());
    FramesSinceMark = measurement::addFrames(FramesSinceMark, -1);
}

void Form1::Cmd_巻き戻し_Click() {
    send(media::seekCommand(0));
}

void Form1::HScroll1_Scroll() {
    Timer1->stop();
    // While the thumb is dragged its position is ahead of the value, which follows after.
    send(media::seekCommand(HScroll1->sliderPosition()));
    Timer1->start();
}

void Form1::Timer1_Timer() {
    const std::string reply = send(media::statusPositionCommand());
    {
        // While the thumb is held, setValue reports a slider move; only the user's own
        // drag may seek, and a seek would stop the video.
        const QSignalBlocker timerMove(HScroll1);
        HScroll1->setValue(media::readNumericReply(reply));
    }
    Label2->setCaption(frame_display::text(reply));
}
