#pragma once
// The one way a command runs: every button, menu entry, key and window event
// of the program enters through RunCommand, so no exception ever crosses the
// event loop and no second command starts while one is running. Exceptions
// that reach here are handled the application-wide way: logged with the
// current error context, shown to the operator, the context cleared.

#include <exception>
#include <functional>
#include <string>

#include "app/core/work_log.h"

namespace rubso {

// "FORM :" + unit + " " + operation + "  " + detail + CR LF + "!!!!!!!!!!! "
// + message. Written to the work log, its first line gets the stamp.
std::string ExceptionReportText(const ErrorContext& context, const std::string& message);

// The application-wide handler: logs ExceptionReportText of the current error
// context, shows the message in the standard error box and clears the
// context. The program goes on with the state the failed operation left.
// Never raises: a failure of the log or of the box is lost.
void HandleException(const std::exception& error) noexcept;
// The same for an exception that is not a std::exception.
void HandleUnknownException() noexcept;
// The message shown for an exception that is not a std::exception.
std::string UnknownExceptionMessage();

// Runs `command` to completion and returns true, or handles the exception it
// raised and returns false. While a command runs, a further RunCommand (from
// a key, a menu, the close box or events processed during a repaint) is
// refused at once: it returns false without running anything. Never raises.
bool RunCommand(const std::function<void()>& command) noexcept;

// True while a command started by RunCommand has not finished.
bool IsCommandRunning();

}  // namespace rubso
