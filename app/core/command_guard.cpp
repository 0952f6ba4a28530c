#include "app/core/command_guard.h"

#include <QScopeGuard>

#include "app/core/codepage.h"
#include "app/core/operator.h"

namespace rubso {
namespace {

bool commandRunning = false;

void Handle(const std::string& message) noexcept {
    // Each step is tried on its own: the context must be cleared even when
    // the log or the error box fails, and nothing may leave this function.
    try {
        WriteWorkLog(ExceptionReportText(CurrentErrorContext(), message));
    } catch (...) {
    }
    try {
        ShowErrorMessage(message);
    } catch (...) {
    }
    ClearErrorContext();
}

}  // namespace

std::string ExceptionReportText(const ErrorContext& context, const std::string& message) {
    return "FORM :" + context.unit + " " + context.operation + "  " + context.detail + "\r\n" +
           "!!!!!!!!!!! " + message;
}

std::string UnknownExceptionMessage() {
    return Cp1250("Nieznany błąd programu");
}

void HandleException(const std::exception& error) noexcept {
    std::string message;
    try {
        message = error.what();
    } catch (...) {
    }
    Handle(message);
}

void HandleUnknownException() noexcept {
    std::string message;
    try {
        message = UnknownExceptionMessage();
    } catch (...) {
    }
    Handle(message);
}

bool RunCommand(const std::function<void()>& command) noexcept {
    if (commandRunning) return false;
    commandRunning = true;
    const auto done = qScopeGuard([] { commandRunning = false; });
    try {
        command();
        return true;
    } catch (const std::exception& error) {
        HandleException(error);
    } catch (...) {
        HandleUnknownException();
    }
    return false;
}

bool IsCommandRunning() {
    return commandRunning;
}

}  // namespace rubso
