#pragma once

#include <QPushButton>

namespace toolkit {

// A push button whose caption wraps, anywhere if need be, inside the button's own width,
// so that a tall narrow button shows its caption one character per line.
class CommandButton : public QPushButton {
  public:
    explicit CommandButton(const QString& caption, QWidget* parent = nullptr);

  protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace toolkit
