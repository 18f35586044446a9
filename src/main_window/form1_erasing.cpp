#include "main_window/form1.h"

#include "common/number_format.h"
#include "common/palette.h"
#include "main_window/mark_drawing.h"
#include "measurement/conversion.h"
#include "measurement/marks.h"
#include "toolkit/command_button.h"
#include "toolkit/picture_box.h"

#include <QLineEdit>

using common::QBColor;

void Form1::Cmd_Reset_Click() {
    if (Module1::MarkCount < 1) {
        Text1->clear();
        Text2->clear();
        return;
    }
    const int k = Module1::MarkCount;
    Picture2->setDrawMode(toolkit::DrawMode::XorPen);
    // The ruler dots are XOR-ed again where they were drawn: at the clicked pixel. Found
    // back from the stored position instead, a click on a half pixel could round to the
    // neighbouring pixel and leave the old dot behind beside a new one.
    marks::drawRulerDots(*Picture2, PixX[k], PixY[k], QBColor(common::BrightWhite),
                         QBColor(common::LightYellow));
    Text1->setText(common::formatNumber(Module1::PosX[k - 1], "##0.00"));
    Text2->setText(common::formatNumber(Module1::PosY[k - 1], "##0.00"));
    Picture3->clear();
    paintCurrentFrame();
    drawLengthReference();
    Picture3->setPixel(0, 0, QBColor(common::LightBlue));
    for (int i = 1; i <= k - 1; ++i) {
        marks::drawMarkDot(*Picture3, PixX[i], PixY[i]);
    }
    Module1::MarkCount = static_cast<std::int16_t>(k - 1);
    // The frames between the erased mark and its predecessor are given back, so a click on
    // the same frame records the same gap again.
    FramesSinceMark = measurement::addFrames(FramesSinceMark, Module1::FrameGap[k - 1]);
    if (Module1::MarkCount == 0) {
        Text1->clear();
        Text2->clear();
    }
}

void Form1::Command6_Click() {
    FramesSinceMark = 0;
    Picture2->clear();
    Picture3->clear();
    Picture2->setDrawMode(toolkit::DrawMode::CopyPen);
    Picture3->setDrawMode(toolkit::DrawMode::CopyPen);
    Module1::MarkCount = 0;
    scale_draw();
    Text1->clear();
    Text2->clear();
    Cmd_Xchange->setEnabled(true);
    Cmd_Ychange->setEnabled(true);
}

// After a flip the ruler dots are drawn with the copy pen in the colours the XOR dots show
// on white, so that erasing the last mark still removes them.
void Form1::Cmd_Xchange_Click() {
    XAxisRight = vbNot(XAxisRight);
    Picture2->clear();
    scale_draw(); // dots over ticks
    for (int i = 1; i <= Module1::MarkCount; ++i) {
        marks::drawRulerDots(*Picture2, PixX[i], PixY[i], QBColor(common::Black),
                             QBColor(common::LightBlue));
        Module1::PosX[i] = measurement::positionX(PixX[i], XAxisRight, AreaW);
    }
    Text1->setText(common::plainText(Module1::PosX[Module1::MarkCount]));
}

void Form1::Cmd_Ychange_Click() {
    YAxisDown = vbNot(YAxisDown);
    Picture2->clear();
    Picture2->setDrawMode(toolkit::DrawMode::CopyPen);
    for (int i = 1; i <= Module1::MarkCount; ++i) {
        marks::drawRulerDots(*Picture2, PixX[i], PixY[i], QBColor(common::Black),
                             QBColor(common::LightBlue));
        Module1::PosY[i] = measurement::positionY(PixY[i], YAxisDown, AreaH);
    }
    scale_draw(); // ticks over dots
    Text2->setText(common::plainText(Module1::PosY[Module1::MarkCount]));
}
