#include "ui/find_boxes.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

namespace quorvel::ui {

namespace {

QDialogButtonBox* okAndCancel(QDialog* box) {
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, box);
  QObject::connect(buttons, &QDialogButtonBox::accepted, box, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, box, &QDialog::reject);
  return buttons;
}

}  // namespace

FindBox::FindBox(QWidget* parent, const QString& last, bool hexadecimal)
    : QDialog(parent), digits_(new QLineEdit(last, this)) {
  setWindowTitle(QStringLiteral("Find - Quorvel"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(hexadecimal ? QStringLiteral("Find hexadecimal digits in the hexadecimal text:")
                                           : QStringLiteral("Find digits in the decimal text:"),
                               this));
  layout->addWidget(digits_);
  layout->addWidget(new QLabel(QStringLiteral("F3 and Shift+F3 step through the matches."), this));
  layout->addWidget(okAndCancel(this));
  digits_->selectAll();
}

GoToBox::GoToBox(QWidget* parent, bool hexadecimal)
    : QDialog(parent),
      position_(new QLineEdit(this)),
      fromLeft_(new QRadioButton(QStringLiteral("Digit, counted from the left (the most significant)"), this)),
      fromRight_(new QRadioButton(QStringLiteral("Digit, counted from the right (the last is 1)"), this)),
      bit_(new QRadioButton(QStringLiteral("Bit (bit 0 is the least significant)"), this)) {
  setWindowTitle(QStringLiteral("Go to - Quorvel"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(hexadecimal ? QStringLiteral("Go to a position in the hexadecimal text:")
                                           : QStringLiteral("Go to a position in the decimal text:"),
                               this));
  layout->addWidget(position_);
  layout->addWidget(fromLeft_);
  layout->addWidget(fromRight_);
  layout->addWidget(bit_);
  layout->addWidget(okAndCancel(this));
  fromLeft_->setChecked(true);
}

QRadioButton* GoToBox::choice(Kind kind) const {
  switch (kind) {
    case Kind::DigitFromLeft: return fromLeft_;
    case Kind::DigitFromRight: return fromRight_;
    case Kind::Bit: return bit_;
  }
  return nullptr;
}

GoToBox::Kind GoToBox::kind() const {
  if (bit_->isChecked()) return Kind::Bit;
  return fromRight_->isChecked() ? Kind::DigitFromRight : Kind::DigitFromLeft;
}

}  // namespace quorvel::ui
