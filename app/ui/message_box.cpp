#include "app/ui/message_box.h"

#include <QApplication>
#include <QMessageBox>
#include <utility>

#include "core/app_state.h"
#include "core/codepage.h"

namespace rubso {
namespace {

MessageBoxAnswerer& Answerer() {
    static MessageBoxAnswerer answerer;
    return answerer;
}

QMessageBox::Icon IconOf(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Information:
            return QMessageBox::Information;
        case MessageIcon::Warning:
            return QMessageBox::Warning;
        case MessageIcon::Error:
            return QMessageBox::Critical;
        case MessageIcon::Question:
            return QMessageBox::Question;
        case MessageIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons ButtonsOf(MessageButtons buttons) {
    switch (buttons) {
        case MessageButtons::OkCancel:
            return QMessageBox::Ok | QMessageBox::Cancel;
        case MessageButtons::YesNo:
            return QMessageBox::Yes | QMessageBox::No;
        case MessageButtons::YesNoCancel:
            return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        case MessageButtons::Ok:
            break;
    }
    return QMessageBox::Ok;
}

QMessageBox::StandardButton ButtonOf(MessageAnswer answer) {
    switch (answer) {
        case MessageAnswer::Cancel:
            return QMessageBox::Cancel;
        case MessageAnswer::Yes:
            return QMessageBox::Yes;
        case MessageAnswer::No:
            return QMessageBox::No;
        case MessageAnswer::Ok:
            break;
    }
    return QMessageBox::Ok;
}

MessageAnswer AnswerOf(int button, const MessageBoxRequest& request) {
    switch (button) {
        case QMessageBox::Ok:
            return MessageAnswer::Ok;
        case QMessageBox::Cancel:
            return MessageAnswer::Cancel;
        case QMessageBox::Yes:
            return MessageAnswer::Yes;
        case QMessageBox::No:
            return MessageAnswer::No;
        default:
            return request.preselected;
    }
}

}  // namespace

MessageAnswer ShowMessageBox(QWidget* parent, const MessageBoxRequest& request) {
    if (Answerer()) return Answerer()(request);
    QMessageBox box(parent);
    box.setIcon(IconOf(request.icon));
    box.setWindowTitle(FromCp1250(request.title.empty() ? App().appTitle : request.title));
    box.setText(FromCp1250(request.text));
    box.setStandardButtons(ButtonsOf(request.buttons));
    box.setDefaultButton(ButtonOf(request.preselected));
    return AnswerOf(box.exec(), request);
}

ScopedMessageBoxAnswerer::ScopedMessageBoxAnswerer(MessageBoxAnswerer answerer)
    : previous_(std::exchange(Answerer(), std::move(answerer))) {}

ScopedMessageBoxAnswerer::~ScopedMessageBoxAnswerer() {
    Answerer() = std::move(previous_);
}

}  // namespace rubso
