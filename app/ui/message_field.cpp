#include "app/ui/message_field.h"

#include <QPalette>

#include "core/codepage.h"

namespace rubso {

MessageField::MessageField(QWidget* parent) : QLineEdit(parent) {
    setObjectName("edErr");
    setReadOnly(true);
    setFocusPolicy(Qt::NoFocus);
    QFont bold = font();
    bold.setBold(true);
    setFont(bold);
}

void MessageField::Show(const std::string& text, bool error) {
    error_ = error;
    QPalette colours = palette();
    colours.setColor(QPalette::Text, error ? QColor(Qt::red) : QColor(0, 128, 0));
    setPalette(colours);
    setText(FromCp1250(text));
    setCursorPosition(0);
    repaint();
}

}  // namespace rubso
