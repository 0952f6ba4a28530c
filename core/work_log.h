#pragma once
// The monthly work log and the error context printed by the exception
// handler. Writes never raise: a line that cannot be written is lost.

#include <QDate>
#include <string>

namespace rubso {

// A text file that receives one stamped line per call. The file is opened,
// appended to and closed for every line, so it can be read while the program
// runs and a crash loses nothing already written.
class TMyEcho {
  public:
    // Binds the echo to directory + file name; opens nothing. A name without
    // a "." gets ".txt". An empty directory leaves the name alone as the path.
    // `tag` (empty for none) goes in square brackets in front of every line;
    // `noTime` drops the stamp, `noDate` keeps the time only.
    void SetFile(const std::string& directory, const std::string& fileName, const std::string& tag,
                 bool noTime, bool noDate);

    // Appends "[tag] " + stamp + ": " + message + CR LF, creating the file
    // when missing. Line breaks inside the message start further lines that
    // carry no stamp. Every I/O failure is ignored. Does nothing while no
    // file is bound.
    void Echo(const std::string& message) const;

    const std::string& FilePath() const { return path_; }
    const std::string& Tag() const { return tag_; }
    bool StampsTime() const { return stampTime_; }
    bool StampsDate() const { return stampDate_; }

  private:
    std::string path_;
    std::string tag_;
    bool stampTime_ = false;
    bool stampDate_ = false;
};

// The process-wide work log. Unbound (writes nothing) until InitWorkLog.
TMyEcho& WorkLog();

// Binds the work log to dataDir + "H_" + yyyyMM of `startDate` + ".txt" with
// the program version as tag and date and time stamps. The month is fixed
// here: a run that passes the end of a month keeps writing to this file.
void InitWorkLog(const std::string& dataDir, const QDate& startDate);

// The full path of the work log file; empty before InitWorkLog.
std::string WorkLogPath();

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
