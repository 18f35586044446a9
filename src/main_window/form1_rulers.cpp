#include "main_window/form1.h"

#include "common/palette.h"
#include "main_window/ruler_geometry.h"
#include "toolkit/picture_box.h"

void Form1::scale_draw() {
    using toolkit::FillStyle;
    Picture2->setDrawMode(toolkit::DrawMode::CopyPen);
    AreaW = static_cast<std::int16_t>(Picture1->outerWidth() - 4);
    AreaH = static_cast<std::int16_t>(Picture1->outerHeight() - 4);

    Picture2->setFillStyle(FillStyle::Transparent);
    Picture2->setDrawWidth(2);
    Picture2->drawBox(0, 0, AreaW, AreaH, common::QBColor(common::Black));
    Picture2->setDrawWidth(1);

    const QColor ink = Picture2->foreColor();
    for (const rulers::RulerItem& item : rulers::rulerItems(AreaW, AreaH, XAxisRight, YAxisDown)) {
        if (item.kind == rulers::RulerItem::Kind::Line) {
            Picture2->drawLine(item.x1, item.y1, item.x2, item.y2, ink);
        } else {
            Picture2->setCurrentX(item.x1);
            Picture2->setCurrentY(item.y1);
            Picture2->printText(item.text);
        }
    }
}
