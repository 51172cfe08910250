// The small modal boxes of Find (Ctrl+F) and Go to (Ctrl+G). The window
// shows them through its ModalWindows seam and reads their fields after.
#pragma once

#include <QDialog>

class QLineEdit;
class QRadioButton;

namespace quorvel::ui {

class FindBox : public QDialog {
 public:
  // `hexadecimal`: the search runs in the hexadecimal text (Hex entry).
  FindBox(QWidget* parent, const QString& last, bool hexadecimal);
  QLineEdit* digits() const { return digits_; }

 private:
  QLineEdit* digits_;
};

class GoToBox : public QDialog {
 public:
  enum class Kind { DigitFromLeft, DigitFromRight, Bit };
  // `hexadecimal`: digits count in the hexadecimal text (Hex entry).
  GoToBox(QWidget* parent, bool hexadecimal);
  QLineEdit* position() const { return position_; }
  QRadioButton* choice(Kind kind) const;
  Kind kind() const;

 private:
  QLineEdit* position_;
  QRadioButton* fromLeft_;
  QRadioButton* fromRight_;
  QRadioButton* bit_;
};

}  // namespace quorvel::ui
