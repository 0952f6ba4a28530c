#pragma once
// The monthly work log and the error context printed by the exception
// handler. Writes never raise: a line that cannot be written is lost.

#include <string>

namespace rubso {

// Appends one stamped line to the work log (see TMyEcho::Echo).
void WriteWorkLog(const std::string& message);

// The database statement about to run, printed with an unhandled exception.
struct ErrorContext {
    std::string unit;
    std::string operation;
    std::string detail;
};

void SetErrorContext(const std::string& unit, const std::string& operation,
                     const std::string& detail);
const ErrorContext& CurrentErrorContext();
void ClearErrorContext();

}  // namespace rubso
