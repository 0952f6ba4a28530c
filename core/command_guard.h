#pragma once
// The one way a command runs: every button, menu entry, key and window event
// of the program enters through RunCommand, so no exception ever crosses the
// event loop and no second command starts while one is running. Exceptions
// that reach here are handled the application-wide way: logged with the
// current error context, shown to the operator, the context cleared.
//
// A lost database connection is told apart by ConnectionLostMark: its report
// carries no error context (the context names a statement of the connection
// that is gone, not the cause), and the next command's entry check (set by
// the data module) connects again before the command runs.
//
// Error convention of the bottom layer (core/):
// - Files, the work log, the error reports and the settings files do not
//   raise on an I/O failure: they answer with bool or a default value, and
//   a log line that cannot be written is lost.
// - A text that must be a number or a name and is not raises (ConvertError,
//   InvalidIdentifierError, with the operator's message); a settings value
//   read for later use is checked when it is read or saved instead.
// - Whatever raises from any layer ends the command here: RunCommand is the
//   one handler (work log with the error context, message box). Operations
//   tell the operator anything else through the operator seam (operator.h).

#include <exception>
#include <functional>
#include <string>

#include "core/work_log.h"

namespace rubso {

// The mark of an exception that says the database connection is gone. The
// database layer's error carries it beside std::exception; this layer knows
// no database.
class ConnectionLostMark {
  public:
    virtual ~ConnectionLostMark() = default;
};

bool IsConnectionLost(const std::exception& error);

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

// The check every command passes before it runs: the process-wide data
// module sets one that makes sure the database connection is there and
// connects again when it was lost. When it raises, the command does not run
// and the exception is handled as the command's own. Empty: no check.
void SetCommandEntryCheck(std::function<void()> check);

// Whether a command passes the entry check. Closing the program skips it:
// with the connection gone it only lets go of it, and waits for no server.
enum class EntryCheck { Run, Skip };

// Runs `command` to completion and returns true, or handles the exception it
// raised and returns false. While a command runs, a further RunCommand (from
// a key, a menu, the close box or events processed during a repaint) is
// refused at once: it returns false without running anything. Never raises.
bool RunCommand(const std::function<void()>& command, EntryCheck entry = EntryCheck::Run) noexcept;

// True while a command started by RunCommand has not finished.
bool IsCommandRunning();

}  // namespace rubso
