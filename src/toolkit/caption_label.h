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
