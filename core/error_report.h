#pragma once
// An operation's error report: a plain file of whole lines. Each operation
// that reports errors owns its report and is given its path when it is made
// (the register exchange "out/log.txt" under the working directory, the
// goods-file test "Error.txt" in the data directory), so where a failure is
// written never depends on which operation ran before. The register
// exchange appends dated lines; the goods-file test replaces the whole file.
// Writers never raise: a line that cannot be written is lost.

#include <string>
#include <utility>
#include <vector>

namespace rubso {

// DateTimeText(now) + ": " + text, the form of a register exchange entry.
std::string DatedErrorLine(const std::string& text);

class ErrorReport {
  public:
    explicit ErrorReport(std::string path) : path_(std::move(path)) {}

    const std::string& Path() const { return path_; }

    // Appends the lines (each followed by CR LF), creating the file (and its
    // directory) when missing, so a report deleted from the main window is
    // started afresh by the next entry. False when the file cannot be
    // written or the path is empty.
    bool Append(const std::vector<std::string>& lines) const;
    bool Append(const std::string& line) const { return Append(std::vector<std::string>{line}); }

    // Replaces the report with the lines (creating or truncating it).
    bool Rewrite(const std::vector<std::string>& lines) const;

  private:
    bool Write(int mode, const std::vector<std::string>& lines) const;

    std::string path_;
};

}  // namespace rubso
