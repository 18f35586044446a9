#pragma once

#include <QColor>
#include <QImage>
#include <QPointF>
#include <QWidget>
#include <cstdint>

namespace toolkit {

enum class DrawMode { CopyPen, XorPen };
enum class LineStyle { Solid, Dot };
enum class FillStyle { Solid, Transparent };

class PictureClient;

// A picture area: a persistent backing image that keeps what is drawn until it is cleared,
// inside a 2-pixel sunken border. Drawing coordinates are client coordinates, either pixels
// (the default) or a user scale. Nothing is anti-aliased except text, so pixels land where
// the numbers say. Each picture area carries a window handle and a device-context handle
// (small positive integers) by which the media service finds it.
class PictureBox : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kBorder = 2;

    explicit PictureBox(QWidget* parent = nullptr);
    ~PictureBox() override;

    // Outer geometry, border included, in the parent's pixels. The client area and the
    // backing image are 4 pixels smaller; what was drawn is kept where it still fits.
    void setOuterGeometry(int left, int top, int width, int height);
    void setOuterSize(int width, int height);
    int outerWidth() const { return width(); }
    int outerHeight() const { return height(); }
    QSize clientSize() const;

    // The widget covering the client area: the parent of child windows such as the video.
    QWidget* clientArea() const;
    const QImage& image() const { return image_; }
    QColor pixelColor(int x, int y) const;

    std::int32_t hWnd() const { return hwnd_; }
    std::int32_t hDC() const { return hdc_; }

    // Drawing state, as the windows set it before drawing.
    void setBackColor(const QColor& c);
    QColor backColor() const { return backColor_; }
    void setForeColor(const QColor& c) { foreColor_ = c; }
    QColor foreColor() const { return foreColor_; }
    void setDrawMode(DrawMode m) { drawMode_ = m; }
    DrawMode drawMode() const { return drawMode_; }
    void setDrawStyle(LineStyle s) { drawStyle_ = s; }
    LineStyle drawStyle() const { return drawStyle_; }
    void setDrawWidth(int w) { drawWidth_ = w < 1 ? 1 : w; }
    int drawWidth() const { return drawWidth_; }
    void setFillStyle(FillStyle s) { fillStyle_ = s; }
    FillStyle fillStyle() const { return fillStyle_; }
    void setFillColor(const QColor& c) { fillColor_ = c; }
    QColor fillColor() const { return fillColor_; }
    void setFontSize(double points);
    double fontSize() const;
    void setCurrentX(double x) { currentX_ = x; }
    void setCurrentY(double y) { currentY_ = y; }
    double currentX() const { return currentX_; }
    double currentY() const { return currentY_; }

    // Scale: pixels, or a user scale whose corners (left, top) and (right, bottom) map onto
    // the client area's corners.
    void setPixelScale();
    void setUserScale(double left, double top, double right, double bottom);
    QPointF toPixel(QPointF user) const;
    QPointF toUser(QPointF pixel) const;
    // The pixel that a point given in the current scale lands on when drawn.
    QPoint pixelAt(double x, double y) const;

    // Drawing operations, in the current scale, draw mode, line style and width.
    void clear();
    void setPixel(double x, double y, const QColor& c);
    void drawLine(double x1, double y1, double x2, double y2, const QColor& c);
    void drawBox(double x1, double y1, double x2, double y2, const QColor& c);
    // Outline in c, filled with the fill colour when the fill style is solid. With the XOR
    // pen every pixel of the figure is combined once, so a filled dot shows no ring.
    void drawCircle(double x, double y, double radius, const QColor& c);
    // Text in the fore colour with its top-left corner at the current position; afterwards
    // the current position is the start of the next line.
    void printText(const QString& text);
    // How wide printText would make one line of text, in the current scale.
    double textWidth(const QString& text) const;
    // Paints a picture at the client origin in copy mode, clipped to the client area.
    void paintImage(const QImage& picture);

  signals:
    // A mouse button went down over the client area; x and y in the current scale, with
    // whatever fraction the event carries.
    void mouseDown(int button, int shift, float x, float y);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    friend class PictureClient;
    void clientMousePressed(QPointF pixelPos, Qt::MouseButton button,
                            Qt::KeyboardModifiers modifiers);
    // Sizes the client area and the backing image to the outer size; a hidden widget
    // gets no resize event until it is shown, and drawing may come before that.
    void fitClientToOuterSize();
    double pixelRadius(double radius) const;
    QFont drawingFont() const;

    PictureClient* client_;
    QImage image_;
    std::int32_t hwnd_ = 0;
    std::int32_t hdc_ = 0;

    QColor backColor_{255, 255, 255};
    QColor foreColor_{0, 0, 0};
    QColor fillColor_{0, 0, 0};
    DrawMode drawMode_ = DrawMode::CopyPen;
    LineStyle drawStyle_ = LineStyle::Solid;
    FillStyle fillStyle_ = FillStyle::Transparent;
    int drawWidth_ = 1;
    double fontPoints_ = 9.0;
    double currentX_ = 0.0;
    double currentY_ = 0.0;

    bool userScale_ = false;
    double scaleLeft_ = 0.0;
    double scaleTop_ = 0.0;
    double scaleWidth_ = 1.0;
    double scaleHeight_ = 1.0;
};

} // namespace toolkit
