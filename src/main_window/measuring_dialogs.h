#pragma once

#include "measurement/length_reference.h"
#include "measurement/time_base.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QDialogButtonBox;
class QLineEdit;
class QRadioButton;

// The two small dialogs of the 測定 menu. Each checks what was typed when OK is pressed: a
// value that cannot be used is refused with a message, and the dialog stays open with
// nothing changed.

// How long one frame lasts: 1/30 s, the rate the file plays at, the rate it was filmed at
// (offered only where the file records one of its own), or a rate the user types.
class FrameTimeDialog : public QDialog {
  public:
    FrameTimeDialog(QWidget* parent, double fileRate, double filmedRate,
                    const measurement::TimeBase& current);

    // What was chosen, once the dialog has been accepted.
    measurement::TimeBase chosen() const { return chosen_; }
    void accept() override;

    QRadioButton* counted;
    QRadioButton* fileRate;
    QRadioButton* filmedRate; // hidden where the file records no rate it was filmed at
    QRadioButton* typed;
    QLineEdit* typedRate;
    QDialogButtonBox* buttons;

  private:
    double fileRate_;
    double filmedRate_;
    measurement::TimeBase chosen_;
};

// The real length between the two points clicked for a length reference.
class LengthDialog : public QDialog {
  public:
    explicit LengthDialog(QWidget* parent);

    // The length in metres, once the dialog has been accepted.
    double metres() const { return metres_; }
    void accept() override;

    QLineEdit* length;
    QComboBox* unit; // mm, cm, m
    QDialogButtonBox* buttons;

  private:
    double metres_ = 0;
};

// How many frames apart the automatic marks are to be, 1 to 300.
class TrackGapDialog : public QDialog {
  public:
    TrackGapDialog(QWidget* parent, int frames);

    QSpinBox* frames;
    QDialogButtonBox* buttons;
};

// The marks made so far while an object is followed, and 停止; Esc stops too.
class TrackingProgress : public QDialog {
  public:
    explicit TrackingProgress(QWidget* parent);
    void showMarks(int made);

    QLabel* count;
    QPushButton* stop;
};
