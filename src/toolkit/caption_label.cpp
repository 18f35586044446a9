#include "toolkit/caption_label.h"

#include <QPainter>

namespace toolkit {

QString displayedCaption(const QString& caption) {
    QString shown;
    shown.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        const QChar c = caption[i];
        if (c == u'\n' || c == u'\r') {
            const QChar partner = c == u'\n' ? u'\r' : u'\n';
            if (i + 1 < caption.size() && caption[i + 1] == partner) {
                ++i;
            }
            shown += u'\n';
        } else {
            shown += c;
        }
    }
    return shown;
}

CaptionLabel::CaptionLabel(const QString& caption, QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    setCaption(caption);
}

void CaptionLabel::setCaption(const QString& caption) {
    caption_ = caption;
    setText(displayedCaption(caption));
}

} // namespace toolkit

namespace toolkit {

ElidedLabel::ElidedLabel(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    setWordWrap(false);
}

void ElidedLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    const QRect area = contentsRect();
    painter.drawText(area, Qt::AlignLeft | Qt::AlignTop,
                     fontMetrics().elidedText(text(), Qt::ElideMiddle, area.width()));
}

} // namespace toolkit
