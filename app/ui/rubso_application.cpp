#include "app/ui/rubso_application.h"

#include <exception>

#include "app/core/command_guard.h"

namespace rubso {

RubsoApplication::RubsoApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool RubsoApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        HandleException(error);
    } catch (...) {
        HandleUnknownException();
    }
    return false;
}

}  // namespace rubso
