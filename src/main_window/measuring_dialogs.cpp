#include "main_window/measuring_dialogs.h"

#include "toolkit/dialogs.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

QDialogButtonBox* okCancel(QDialog* dialog) {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

} // namespace

FrameTimeDialog::FrameTimeDialog(QWidget* parent, double fileRate, double filmedRate,
                                 const measurement::TimeBase& current)
    : QDialog(parent), fileRate_(fileRate), filmedRate_(filmedRate) {
    using measurement::rateText;
    setWindowTitle(QStringLiteral("1コマの時間"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("グラフの時間を数えるときの、1 コマの時間:")));
    counted = new QRadioButton(QStringLiteral("1/30 秒（標準）"));
    this->fileRate = new QRadioButton(
        QStringLiteral("1/%1 秒（この映像の記録: 1 秒間に %1 コマ）").arg(rateText(fileRate)));
    this->filmedRate = new QRadioButton(
        QStringLiteral("1/%1 秒（撮影時: 1 秒間に %1 コマ）").arg(rateText(filmedRate)));
    this->filmedRate->setVisible(filmedRate > 0 && rateText(filmedRate) != rateText(fileRate));
    typed = new QRadioButton(QStringLiteral("1 秒間のコマ数を入れる:"));
    typedRate = new QLineEdit;
    typedRate->setAccessibleName(QStringLiteral("1 秒間のコマ数"));
    auto* typedRow = new QHBoxLayout;
    typedRow->addWidget(typed);
    typedRow->addWidget(typedRate);
    typedRow->addWidget(new QLabel(QStringLiteral("コマ")));
    for (QRadioButton* choice : {counted, this->fileRate, this->filmedRate})
        layout->addWidget(choice);
    layout->addLayout(typedRow);
    buttons = okCancel(this);
    layout->addWidget(buttons);

    using measurement::TimeSource;
    switch (current.source) {
    case TimeSource::Counted:
        counted->setChecked(true);
        break;
    case TimeSource::FileRate:
        this->fileRate->setChecked(true);
        break;
    case TimeSource::FilmedRate:
        this->filmedRate->setChecked(true);
        break;
    case TimeSource::Typed:
        typed->setChecked(true);
        typedRate->setText(rateText(current.framesPerSecond));
        break;
    }
    typedRate->setEnabled(typed->isChecked());
    connect(typed, &QRadioButton::toggled, typedRate, &QLineEdit::setEnabled);
}

void FrameTimeDialog::accept() {
    using measurement::TimeSource;
    if (counted->isChecked()) {
        chosen_ = {};
    } else if (fileRate->isChecked()) {
        chosen_ = {fileRate_, TimeSource::FileRate};
    } else if (filmedRate->isChecked()) {
        chosen_ = {filmedRate_, TimeSource::FilmedRate};
    } else {
        const std::optional<double> rate = measurement::parseRate(typedRate->text());
        if (!rate) {
            toolkit::messageBox(this,
                                QStringLiteral("1 秒間のコマ数には、1 から 100000 までの数を"
                                               "入れてください。"),
                                toolkit::MessageIcon::Exclamation, windowTitle());
            return;
        }
        chosen_ = {*rate, TimeSource::Typed};
    }
    QDialog::accept();
}

LengthDialog::LengthDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("長さの基準"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("クリックした 2 点の間の、実際の長さ:")));
    length = new QLineEdit;
    length->setAccessibleName(QStringLiteral("長さ"));
    unit = new QComboBox;
    unit->addItems({QStringLiteral("mm"), QStringLiteral("cm"), QStringLiteral("m")});
    unit->setCurrentIndex(1);
    unit->setAccessibleName(QStringLiteral("単位"));
    auto* row = new QHBoxLayout;
    row->addWidget(length);
    row->addWidget(unit);
    layout->addLayout(row);
    buttons = okCancel(this);
    layout->addWidget(buttons);
}

void LengthDialog::accept() {
    const auto units =
        std::array{measurement::LengthUnit::Millimetre, measurement::LengthUnit::Centimetre,
                   measurement::LengthUnit::Metre};
    const std::optional<double> metres = measurement::parseLength(
        length->text(), units[std::size_t(std::clamp(unit->currentIndex(), 0, 2))]);
    if (!metres) {
        toolkit::messageBox(this,
                            QStringLiteral("長さには、0 より大きく 1000 m までの数を"
                                           "入れてください。"),
                            toolkit::MessageIcon::Exclamation, windowTitle());
        return;
    }
    metres_ = *metres;
    QDialog::accept();
}

TrackGapDialog::TrackGapDialog(QWidget* parent, int frames) : QDialog(parent) {
    setWindowTitle(QStringLiteral("自動追跡"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("何コマごとにマークしますか")));
    this->frames = new QSpinBox;
    this->frames->setRange(1, 300);
    this->frames->setValue(std::clamp(frames, 1, 300));
    this->frames->setSuffix(QStringLiteral(" コマ"));
    this->frames->setAccessibleName(QStringLiteral("マークの間のコマ数"));
    layout->addWidget(this->frames);
    buttons = okCancel(this);
    layout->addWidget(buttons);
}

TrackingProgress::TrackingProgress(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("自動追跡"));
    auto* layout = new QVBoxLayout(this);
    count = new QLabel;
    layout->addWidget(count);
    stop = new QPushButton(QStringLiteral("停止"));
    layout->addWidget(stop);
    connect(stop, &QPushButton::clicked, this, &QDialog::reject);
    showMarks(0);
}

void TrackingProgress::showMarks(int made) {
    count->setText(QStringLiteral("追跡中: 自動のマーク %1 個").arg(made));
}
