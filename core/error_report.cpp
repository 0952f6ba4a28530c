#include "core/error_report.h"

#include "core/app_state.h"
#include "core/clock.h"
#include "core/file_utils.h"
#include "core/text_utils.h"

namespace rubso {
namespace {

bool WriteLines(int mode, const std::vector<std::string>& lines) {
    const std::string& path = App().errorReportPath;
    if (path.empty()) return false;
    TextFile file;
    if (!OpenTextFile(path, mode, file)) return false;
    bool written = true;
    for (const std::string& line : lines) written = WriteTextLine(line, file) && written;
    return CloseTextFile(file) && written;
}

}  // namespace

std::string DatedErrorLine(const std::string& text) {
    return DateTimeText(Clock::Now()) + ": " + text;
}

bool AppendErrorReportLines(const std::vector<std::string>& lines) {
    // Appending alone fails on a missing file and would lose every entry
    // after the report was cleared; a missing report is created instead.
    return WriteLines(FileExists(App().errorReportPath) ? kAppend : kRewrite, lines);
}

bool AppendErrorReportLine(const std::string& line) {
    return AppendErrorReportLines({line});
}

bool RewriteErrorReport(const std::vector<std::string>& lines) {
    return WriteLines(kRewrite, lines);
}

}  // namespace rubso
