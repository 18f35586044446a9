#include "media/service/video_window.h"

#include <QPainter>

namespace media::service {

VideoWindow::VideoWindow(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    // Clicks belong to the picture area underneath.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAccessibleName(QStringLiteral("動画"));
}

void VideoWindow::present(const QImage& frame) {
    frame_ = frame;
    update();
}

void VideoWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    if (!frame_.isNull())
        painter.drawImage(QPoint(0, 0), frame_);
}

} // namespace media::service
