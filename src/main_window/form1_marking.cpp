#include "main_window/form1.h"

#include "common/number_format.h"
#include "common/palette.h"
#include "main_window/mark_drawing.h"
#include "measurement/conversion.h"
#include "measurement/marks.h"
#include "media/mci_channel.h"
#include "media/mci_commands.h"
#include "toolkit/dialogs.h"
#include "toolkit/picture_box.h"

#include <QLineEdit>

using common::QBColor;

void Form1::paintCurrentFrame() {
    std::string reply;
    Module1::SendMciCommand(media::stopCommand(), reply);
    Module1::SendMciCommand(media::updateCommand(Picture3->hDC()), reply);
}

void Form1::Cmd_trans_Click() {
    paintCurrentFrame();
    drawLengthReference();
    Picture3->setPixel(0, 0, QBColor(common::LightBlue));
    for (int i = 1; i <= Module1::MarkCount; ++i) {
        marks::drawMarkDot(*Picture3, PixX[i], PixY[i]);
    }
}

void Form1::Picture3_MouseDown(int /*Button*/, int /*Shift*/, float X, float Y) {
    if (lengthClicks_) { // an end of a length reference, not a mark
        lengthReferenceClick(QPointF(X, Y));
        return;
    }
    switch (measurement::judgeClick(Module1::MarkCount, FramesSinceMark, PlayStarted)) {
    case measurement::ClickVerdict::Ignore:
        return;
    case measurement::ClickVerdict::TableFull:
        toolkit::messageBox(this, QStringLiteral("マークは100個までです。"),
                            toolkit::MessageIcon::Exclamation, windowTitle());
        return;
    case measurement::ClickVerdict::Record:
        break;
    }

    Picture2->setDrawMode(toolkit::DrawMode::XorPen);
    marks::drawMarkDot(*Picture3, X, Y);
    const int k = ++Module1::MarkCount;
    PixX[k] = X;
    PixY[k] = Y;
    Module1::PosX[k] = measurement::positionX(X, XAxisRight, AreaW);
    Module1::PosY[k] = measurement::positionY(Y, YAxisDown, AreaH);
    if (k == 1) {
        Module1::FrameGap[0] = 0;
    } else {
        Module1::FrameGap[k - 1] = FramesSinceMark;
    }
    FramesSinceMark = 0;
    // XOR on the white ruler: the bottom dot shows black, the right dot light blue, and
    // drawing the same dots again removes them.
    marks::drawRulerDots(*Picture2, X, Y, QBColor(common::BrightWhite),
                         QBColor(common::LightYellow));
    Text1->setText(common::formatNumber(Module1::PosX[k], "##0.00"));
    Text2->setText(common::formatNumber(Module1::PosY[k], "##0.00"));
}
