#include "core/work_log.h"

#include "core/app_state.h"
#include "core/clock.h"
#include "core/file_utils.h"
#include "core/text_utils.h"

namespace rubso {
namespace {

// Every line break of the message (CR LF, LF or a lone CR) becomes CR LF, so
// the log stays a CR LF file whatever the message brought in.
std::string WithCrLfLineBreaks(const std::string& message) {
    std::string text;
    text.reserve(message.size());
    for (std::size_t i = 0; i < message.size(); ++i) {
        const char c = message[i];
        if (c == '\r') {
            if (i + 1 < message.size() && message[i + 1] == '\n') ++i;
            text += "\r\n";
        } else if (c == '\n') {
            text += "\r\n";
        } else {
            text += c;
        }
    }
    return text;
}

ErrorContext& Context() {
    static ErrorContext context;
    return context;
}

}  // namespace

void TMyEcho::SetFile(const std::string& directory, const std::string& fileName,
                      const std::string& tag, bool noTime, bool noDate) {
    std::string name = fileName;
    if (name.find('.') == std::string::npos) name += ".txt";
    path_ = directory.empty() ? name : WithTrailingSeparator(directory) + name;
    tag_ = tag;
    stampTime_ = !noTime;
    stampDate_ = !noDate;
}

void TMyEcho::Echo(const std::string& message) const {
    if (path_.empty()) return;

    std::string line;
    if (stampTime_ && stampDate_) {
        line = DateTimeText(Clock::Now()) + ": ";
    } else if (stampTime_) {
        line = TimeText(Clock::Now().time()) + ": ";
    }
    line += WithCrLfLineBreaks(message);
    if (!tag_.empty()) line = "[" + tag_ + "] " + line;

    // Failures are deliberately ignored: the log must never stop the program.
    TextFile file;
    const int mode = FileExists(path_) ? kAppend : kRewrite;
    if (!OpenTextFile(path_, mode, file)) return;
    WriteTextLine(line, file);
    CloseTextFile(file);
}

TMyEcho& WorkLog() {
    static TMyEcho log;
    return log;
}

void InitWorkLog(const std::string& dataDir, const QDate& startDate) {
    WorkLog().SetFile(dataDir, "H_" + DateDigits(startDate).substr(0, 6) + ".txt", kProgramVersion,
                      false, false);
}

std::string WorkLogPath() {
    return WorkLog().FilePath();
}

void WriteWorkLog(const std::string& message) {
    WorkLog().Echo(message);
}

void SetErrorContext(const std::string& unit, const std::string& operation,
                     const std::string& detail) {
    Context() = {unit, operation, detail};
}

const ErrorContext& CurrentErrorContext() {
    return Context();
}

void ClearErrorContext() {
    Context() = {};
}

}  // namespace rubso
