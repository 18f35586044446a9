#include "toolkit/picture_box.h"

#include "toolkit/handle_registry.h"
#include "toolkit/raster.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace toolkit {

// The client area: shows the backing image and reports mouse-downs. Child windows (the
// video) are placed on it, so they are clipped by the border as well.
class PictureClient : public QWidget {
  public:
    explicit PictureClient(PictureBox* box) : QWidget(box), box_(box) {
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.drawImage(0, 0, box_->image_);
    }
    void mousePressEvent(QMouseEvent* event) override {
        box_->clientMousePressed(event->position(), event->button(), event->modifiers());
    }

  private:
    PictureBox* box_;
};

namespace {

int vbButton(Qt::MouseButton button) {
    switch (button) {
    case Qt::LeftButton:
        return 1;
    case Qt::RightButton:
        return 2;
    case Qt::MiddleButton:
        return 4;
    default:
        return 0;
    }
}

int vbShift(Qt::KeyboardModifiers modifiers) {
    return (modifiers & Qt::ShiftModifier ? 1 : 0) | (modifiers & Qt::ControlModifier ? 2 : 0) |
           (modifiers & Qt::AltModifier ? 4 : 0);
}

// Writes each pixel once: copy sets it, XOR combines the colour with what is there.
void applyPixels(QImage& image, const raster::Pixels& pixels, const QColor& colour, DrawMode mode) {
    const QRgb rgb = colour.rgb() & 0x00ffffffu;
    const QRect bounds = image.rect();
    for (const QPoint& p : pixels) {
        if (!bounds.contains(p)) {
            continue;
        }
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(p.y()));
        QRgb& target = line[p.x()];
        target = 0xff000000u | (mode == DrawMode::XorPen ? ((target ^ rgb) & 0x00ffffffu) : rgb);
    }
}

} // namespace

PictureBox::PictureBox(QWidget* parent) : QWidget(parent), client_(new PictureClient(this)) {
    hwnd_ = registerWindow(client_);
    hdc_ = registerDeviceContext(this);
    fontPoints_ = font().pointSizeF() > 0 ? font().pointSizeF() : 9.0;
    fitClientToOuterSize();
}

PictureBox::~PictureBox() {
    unregisterHandle(hwnd_);
    unregisterHandle(hdc_);
}

void PictureBox::setOuterGeometry(int left, int top, int width, int height) {
    setGeometry(left, top, width, height);
    fitClientToOuterSize();
}

void PictureBox::setOuterSize(int width, int height) {
    resize(width, height);
    fitClientToOuterSize();
}

QSize PictureBox::clientSize() const {
    return {std::max(0, width() - 2 * kBorder), std::max(0, height() - 2 * kBorder)};
}

QWidget* PictureBox::clientArea() const {
    return client_;
}

QColor PictureBox::pixelColor(int x, int y) const {
    return image_.rect().contains(x, y) ? image_.pixelColor(x, y) : QColor();
}

void PictureBox::setBackColor(const QColor& c) {
    backColor_ = c;
    clear();
}

void PictureBox::setFontSize(double points) {
    if (points > 0) {
        fontPoints_ = points;
    }
}

double PictureBox::fontSize() const {
    return fontPoints_;
}

void PictureBox::setPixelScale() {
    userScale_ = false;
    scaleLeft_ = scaleTop_ = 0.0;
    scaleWidth_ = scaleHeight_ = 1.0;
}

void PictureBox::setUserScale(double left, double top, double right, double bottom) {
    if (right == left || bottom == top) {
        return; // a scale without extent would map everything onto one line
    }
    userScale_ = true;
    scaleLeft_ = left;
    scaleTop_ = top;
    scaleWidth_ = right - left;
    scaleHeight_ = bottom - top;
}

QPointF PictureBox::toPixel(QPointF user) const {
    if (!userScale_) {
        return user;
    }
    const QSize size = clientSize();
    return {(user.x() - scaleLeft_) * size.width() / scaleWidth_,
            (user.y() - scaleTop_) * size.height() / scaleHeight_};
}

QPointF PictureBox::toUser(QPointF pixel) const {
    if (!userScale_) {
        return pixel;
    }
    const QSize size = clientSize();
    if (size.isEmpty()) {
        return {scaleLeft_, scaleTop_};
    }
    return {scaleLeft_ + pixel.x() * scaleWidth_ / size.width(),
            scaleTop_ + pixel.y() * scaleHeight_ / size.height()};
}

QPoint PictureBox::pixelAt(double x, double y) const {
    return raster::snap(toPixel({x, y}));
}

double PictureBox::pixelRadius(double radius) const {
    if (!userScale_ || clientSize().width() == 0) {
        return std::fabs(radius);
    }
    return std::fabs(radius * clientSize().width() / scaleWidth_);
}

void PictureBox::clear() {
    image_.fill(backColor_.rgb());
    currentX_ = userScale_ ? scaleLeft_ : 0.0;
    currentY_ = userScale_ ? scaleTop_ : 0.0;
    client_->update();
}

void PictureBox::setPixel(double x, double y, const QColor& c) {
    applyPixels(image_, {pixelAt(x, y)}, c, drawMode_);
    client_->update();
}

void PictureBox::drawLine(double x1, double y1, double x2, double y2, const QColor& c) {
    raster::Pixels pixels = raster::line(raster::snap(toPixel({x1, y1})),
                                         raster::snap(toPixel({x2, y2})), drawWidth_, drawStyle_);
    raster::normalise(pixels);
    applyPixels(image_, pixels, c, drawMode_);
    currentX_ = x2;
    currentY_ = y2;
    client_->update();
}

void PictureBox::drawBox(double x1, double y1, double x2, double y2, const QColor& c) {
    const QPoint a = raster::snap(toPixel({x1, y1}));
    const QPoint b = raster::snap(toPixel({x2, y2}));
    if (fillStyle_ == FillStyle::Solid) {
        applyPixels(image_, raster::boxInterior(a, b), fillColor_, drawMode_);
    }
    applyPixels(image_, raster::boxOutline(a, b, drawWidth_), c, drawMode_);
    currentX_ = x2;
    currentY_ = y2;
    client_->update();
}

void PictureBox::drawCircle(double x, double y, double radius, const QColor& c) {
    const QPoint centre = raster::snap(toPixel({x, y}));
    const double r = pixelRadius(radius);
    raster::Pixels outline = raster::discOutline(centre, r);
    if (fillStyle_ == FillStyle::Solid) {
        // The interior and the outline are disjoint, so each pixel is combined once.
        raster::Pixels inside = raster::disc(centre, r);
        raster::normalise(outline);
        raster::Pixels interior;
        std::set_difference(inside.begin(), inside.end(), outline.begin(), outline.end(),
                            std::back_inserter(interior), [](const QPoint& l, const QPoint& r) {
                                return l.y() != r.y() ? l.y() < r.y() : l.x() < r.x();
                            });
        applyPixels(image_, interior, fillColor_, drawMode_);
    }
    applyPixels(image_, outline, c, drawMode_);
    currentX_ = x;
    currentY_ = y;
    client_->update();
}

QFont PictureBox::drawingFont() const {
    QFont f = font();
    f.setPointSizeF(fontPoints_);
    f.setStyleStrategy(QFont::NoAntialias);
    return f;
}

void PictureBox::printText(const QString& text) {
    const QFont f = drawingFont();
    const QFontMetricsF metrics(f, &image_);
    const QPointF topLeft = toPixel({currentX_, currentY_});
    {
        QPainter painter(&image_);
        painter.setFont(f);
        painter.setPen(foreColor_);
        qreal y = topLeft.y();
        for (const QString& line : text.split(QLatin1Char('\n'))) {
            painter.drawText(
                QPointF(std::floor(topLeft.x() + 0.5), std::floor(y + 0.5) + metrics.ascent()),
                line);
            y += metrics.lineSpacing();
        }
        const QPointF next = toUser({0.0, y});
        currentX_ = userScale_ ? scaleLeft_ : 0.0;
        currentY_ = next.y();
    }
    client_->update();
}

double PictureBox::textWidth(const QString& text) const {
    const double pixels = QFontMetricsF(drawingFont(), &image_).horizontalAdvance(text);
    return toUser({pixels, 0.0}).x() - toUser({0.0, 0.0}).x();
}

void PictureBox::paintImage(const QImage& picture) {
    {
        QPainter painter(&image_);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(0, 0, picture);
    }
    client_->update();
}

void PictureBox::clientMousePressed(QPointF pixelPos, Qt::MouseButton button,
                                    Qt::KeyboardModifiers modifiers) {
    const QPointF user = toUser(pixelPos);
    emit mouseDown(vbButton(button), vbShift(modifiers), static_cast<float>(user.x()),
                   static_cast<float>(user.y()));
}

void PictureBox::paintEvent(QPaintEvent*) {
    // A sunken 3-D border, two pixels wide, around the client area.
    QPainter painter(this);
    const int w = width();
    const int h = height();
    painter.setPen(QColor(128, 128, 128));
    painter.drawLine(0, 0, w - 1, 0);
    painter.drawLine(0, 0, 0, h - 1);
    painter.setPen(QColor(255, 255, 255));
    painter.drawLine(0, h - 1, w - 1, h - 1);
    painter.drawLine(w - 1, 0, w - 1, h - 1);
    painter.setPen(QColor(0, 0, 0));
    painter.drawLine(1, 1, w - 2, 1);
    painter.drawLine(1, 1, 1, h - 2);
    painter.setPen(QColor(192, 192, 192));
    painter.drawLine(1, h - 2, w - 2, h - 2);
    painter.drawLine(w - 2, 1, w - 2, h - 2);
}

void PictureBox::resizeEvent(QResizeEvent*) {
    fitClientToOuterSize();
}

void PictureBox::fitClientToOuterSize() {
    const QSize size = clientSize();
    client_->setGeometry(kBorder, kBorder, size.width(), size.height());
    if (image_.size() == size && !image_.isNull()) {
        return;
    }
    QImage next(size.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    next.fill(backColor_.rgb());
    if (!image_.isNull()) {
        QPainter painter(&next);
        painter.drawImage(0, 0, image_);
    }
    image_ = std::move(next);
}

} // namespace toolkit
