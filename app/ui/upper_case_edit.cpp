#include "app/ui/upper_case_edit.h"

namespace rubso {

UpperCaseEdit::UpperCaseEdit(QWidget* parent, Case letterCase)
    : QLineEdit(parent), case_(letterCase) {
    connect(this, &QLineEdit::textEdited, this, [this](const QString& typed) { Fold(typed); });
}

void UpperCaseEdit::Fold(const QString& typed) {
    QString folded = typed;
    for (QChar& c : folded) c = case_ == Case::Upper ? c.toUpper() : c.toLower();
    if (folded == typed) return;
    const int cursor = cursorPosition();
    setText(folded);
    setCursorPosition(cursor);
}

}  // namespace rubso
