#pragma once

#include <QImage>
#include <QWidget>

namespace media::service {

// The child window a video plays in. It only shows the frames the device hands it.
class VideoWindow : public QWidget {
  public:
    explicit VideoWindow(QWidget* parent);

    void present(const QImage& frame);
    const QImage& frame() const { return frame_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QImage frame_;
};

} // namespace media::service
