#pragma once

#include <QLabel>

namespace toolkit {

// A label whose caption may hold line feeds and carriage returns in any order, as the
// frame display does ("フレーム", LF, CR, the frame number): the caption is kept exactly,
// and shown with each break as one new line.
class CaptionLabel : public QLabel {
  public:
    explicit CaptionLabel(const QString& caption, QWidget* parent = nullptr);

    void setCaption(const QString& caption);
    const QString& caption() const { return caption_; }

  private:
    QString caption_;
};

// The caption as it is shown: "\n\r", "\r\n" and a lone "\r" each become one "\n".
QString displayedCaption(const QString& caption);

} // namespace toolkit

namespace toolkit {

// A one-line label for a path: text() is the whole path; when it is wider than the label,
// the middle gives way to "…" on screen, so that both the drive or folder and the file
// name stay readable.
class ElidedLabel : public QLabel {
  public:
    explicit ElidedLabel(QWidget* parent = nullptr);

  protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace toolkit
