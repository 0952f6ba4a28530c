#pragma once
// The error report: a plain file of whole lines at App().errorReportPath.
// The register exchange appends dated lines; the goods-file test replaces the
// whole file. Writers never raise: a line that cannot be written is lost.

#include <string>
#include <vector>

namespace rubso {

// DateTimeText(now) + ": " + text, the form of a register exchange entry.
std::string DatedErrorLine(const std::string& text);

// Appends the lines (each followed by CR LF) to the error report, creating
// the file when it is missing, so a report deleted from the main window is
// started afresh by the next entry. False when the file cannot be written.
bool AppendErrorReportLines(const std::vector<std::string>& lines);
bool AppendErrorReportLine(const std::string& line);

// Replaces the error report with the lines (creating or truncating it).
bool RewriteErrorReport(const std::vector<std::string>& lines);

}  // namespace rubso
