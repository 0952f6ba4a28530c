#include "core/command_guard.h"

#include <QScopeGuard>

#include "core/codepage.h"
#include "core/operator.h"

namespace rubso {
namespace {

bool commandRunning = false;

std::function<void()>& EntryCheckFunction() {
    static std::function<void()> check;
    return check;
}

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

bool IsConnectionLost(const std::exception& error) {
    return dynamic_cast<const ConnectionLostMark*>(&error) != nullptr;
}

void HandleException(const std::exception& error) noexcept {
    if (IsConnectionLost(error)) ClearErrorContext();
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

void SetCommandEntryCheck(std::function<void()> check) {
    EntryCheckFunction() = std::move(check);
}

bool RunCommand(const std::function<void()>& command, EntryCheck entry) noexcept {
    if (commandRunning) return false;
    commandRunning = true;
    const auto done = qScopeGuard([] { commandRunning = false; });
    try {
        if (entry == EntryCheck::Run && EntryCheckFunction()) EntryCheckFunction()();
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
