#include "core/error_report.h"

#include <filesystem>

#include "core/clock.h"
#include "core/file_utils.h"
#include "core/text_utils.h"

namespace rubso {

std::string DatedErrorLine(const std::string& text) {
    return DateTimeText(Clock::Now()) + ": " + text;
}

bool ErrorReport::Write(int mode, const std::vector<std::string>& lines) const {
    if (path_.empty()) return false;
    const std::filesystem::path directory = std::filesystem::path(path_).parent_path();
    if (!directory.empty() && !EnsureDir(directory.string())) return false;
    TextFile file;
    if (!OpenTextFile(path_, mode, file)) return false;
    bool written = true;
    for (const std::string& line : lines) written = WriteTextLine(line, file) && written;
    return CloseTextFile(file) && written;
}

bool ErrorReport::Append(const std::vector<std::string>& lines) const {
    // Appending alone fails on a missing file and would lose every entry
    // after the report was cleared; a missing report is created instead.
    return Write(FileExists(path_) ? kAppend : kRewrite, lines);
}

bool ErrorReport::Rewrite(const std::vector<std::string>& lines) const {
    return Write(kRewrite, lines);
}

}  // namespace rubso
