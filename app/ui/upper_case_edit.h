#pragma once
// A line edit that turns letters into upper (or lower) case as they are
// typed, character by character, so the cursor stays where it was.

#include <QLineEdit>

namespace rubso {

class UpperCaseEdit : public QLineEdit {
  public:
    enum class Case { Upper, Lower };
    explicit UpperCaseEdit(QWidget* parent = nullptr, Case letterCase = Case::Upper);

  private:
    void Fold(const QString& typed);
    Case case_;
};

}  // namespace rubso
