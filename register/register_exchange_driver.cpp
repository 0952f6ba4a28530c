// TfmE: the library's working files, the calls and how their results are
// reported.

#include <QFile>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "core/app_state.h"
#include "core/codepage.h"
#include "core/error_report.h"
#include "core/file_utils.h"
#include "core/ini_file.h"
#include "core/operator.h"
#include "core/text_utils.h"
#include "db/desktop/desktop_error.h"
#include "register/current_register.h"
#include "register/register_code_table.h"
#include "register/register_exchange.h"
#include "register/register_records.h"

namespace rubso {
namespace {

constexpr const char* kDriverConfigFile = "KONFIG.txt";
constexpr const char* kInputDirectory = "in";

// Library output larger than this is not loaded: a register's goods list or
// day's totals are a few megabytes at most.
constexpr std::uintmax_t kMaxOutputBytes = 32u * 1024u * 1024u;

// Writes `text` over the file's bytes and cuts the file to that length,
// never emptying it first: the input file is written twice for every good,
// and a file system that flushes a file emptied and written again (ext4)
// would make each emptying cost a disk write.
bool OverwriteFile(const std::string& path, const std::string& text) {
    QFile file(QFile::decodeName(QByteArray::fromStdString(path)));
    if (!file.open(QIODevice::ReadWrite)) return false;
    const auto size = static_cast<qint64>(text.size());
    bool written = file.write(text.data(), size) == size;
    if (written && file.size() != size) written = file.resize(size);
    file.close();
    return written && file.error() == QFileDevice::NoError;
}

// The configuration line with empty variable pieces, as the program wrote
// it before a register was chosen; no register can be reached with it.
constexpr const char* kConfigWithoutRegister = "$\t::STX0:1:E\t\tK10\t\r\n";

// Where the program remembers the "KONFIG.txt" it wrote last: a checksum
// of its bytes in its own settings file.
constexpr const char* kSettingsSection = "Rubso";
constexpr const char* kWrittenConfigKey = "KonfigTxt";

// FNV-1a over the bytes, as 16 hexadecimal digits.
std::string Checksum(std::string_view text) {
    std::uint64_t hash = 14695981039346656037ULL;
    for (const char c : text) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ULL;
    }
    char digits[17];
    std::snprintf(digits, sizeof digits, "%016llx", static_cast<unsigned long long>(hash));
    return digits;
}

// True when `text` is the file the program itself wrote last (and nobody
// changed since).
bool WrittenByTheProgram(const std::string& text) {
    if (!App().iniFile) return false;
    return App().iniFile->ReadString(kSettingsSection, kWrittenConfigKey, "") == Checksum(text);
}

}  // namespace

std::string ExchangeErrorReportPath(const std::string& workDir) {
    return workDir + "out" + kPathSeparator + "log.txt";
}

namespace {

std::string ExchangeReportOrDefault(std::string path) {
    return path.empty() ? ExchangeErrorReportPath(App().workDir) : path;
}

}  // namespace

TfmE::TfmE(std::string libraryDirectory, std::string errorReportPath)
    : errorReport_(ExchangeReportOrDefault(std::move(errorReportPath))) {
    if (!libraryDirectory.empty()) {
        source_.emplace();
        source_->directory = std::move(libraryDirectory);
    }
}

TfmE::TfmE(WinIpSource source, std::string errorReportPath)
    : source_(std::move(source)),
      errorReport_(ExchangeReportOrDefault(std::move(errorReportPath))) {}

WinIpSource TfmE::LibrarySource() const {
    return source_ ? *source_ : WinIpSourceFromSettings(App().iniFile.get(), App().appDir);
}

bool TfmE::EnsureDriverConfig() {
    if (FileExists(kDriverConfigFile)) {
        const std::string text = ReadFileText(kDriverConfigFile);
        // A file holding "STX0" is kept, unless the program wrote it itself
        // for another register (or before any was chosen): with several
        // registers the library must talk to the one chosen now. A file
        // the operator wrote or edited stays, whatever its form.
        const bool otherRegistersLine =
            CurrentRegister() && (text == kConfigWithoutRegister || WrittenByTheProgram(text)) &&
            text != DriverConfigLine(*CurrentRegister()) + "\r\n";
        if (text.find("STX0") != std::string::npos && !otherRegistersLine) return true;
    }
    // Written without a definition the line would hold empty pieces and,
    // containing "STX0", would never be repaired.
    if (!CurrentRegister()) {
        Fail(Cp1250("Nie wybrano kasy - nie zapisano pliku ") + kDriverConfigFile);
        return false;
    }
    const std::string line = DriverConfigLine(*CurrentRegister()) + "\r\n";
    if (!WriteFileText(line, kDriverConfigFile)) {
        Fail(Cp1250("Nie można zapisać pliku ") + kDriverConfigFile);
        return false;
    }
    // Not remembered (no settings file, a write that failed): the file
    // counts as the operator's and stays as it is.
    if (App().iniFile)
        App().iniFile->WriteString(kSettingsSection, kWrittenConfigKey, Checksum(line));
    return true;
}

bool TfmE::PrepareInputFile(const std::string& operation) {
    lastResult_ = 0;
    inputFilePath_ = std::string(kInputDirectory) + kPathSeparator + operation + ".in";
    inputLines_ = InputFileHeader(CurrentRegisterParameters().nrKasySystem);
    return SaveInputFile();
}

bool TfmE::AddInputRecord(const std::string& record) {
    inputLines_.push_back(record);
    return SaveInputFile();
}

bool TfmE::SaveInputFile() {
    std::string text;
    for (const std::string& line : inputLines_) text += line + "\r\n";
    if (OverwriteFile(inputFilePath_, text)) return true;
    Fail(Cp1250("Nie można zapisać pliku ") + inputFilePath_);
    return false;
}

bool TfmE::PrepareOutputFile(const std::string& operation) {
    outputFilePath_ = App().kasaDir + operation + ".out";
    if (!EnsureDir(App().kasaDir)) {
        Fail(Cp1250("Nie można utworzyć katalogu ") + App().kasaDir);
        return false;
    }
    if (!DeleteFileIfExists(outputFilePath_)) {
        Fail(Cp1250("Nie można usunąć pliku ") + outputFilePath_);
        return false;
    }
    return true;
}

std::string TfmE::ErrorDescription(int code) const {
    return FindLineByKey(IntPadLeft(code, 3) + "\t", errorDescriptions_, true);
}

void TfmE::LogCallResult(const std::string& operation) {
    if (lastResult_ == 0) {
        Komunikat("", false);
        return;
    }
    const std::string message = "[" + operation + "] Error " + std::to_string(lastResult_) + " : " +
                                ErrorDescription(lastResult_);
    Komunikat(message, true);
    errorReport_.Append(DatedErrorLine(message));
}

void TfmE::ReportTransferResult(const std::string& operation, const ExportGood* good) {
    if (lastResult_ == 0) {
        Komunikat("[" + operation + Cp1250("] - Transmisja bez błędów"), false);
        return;
    }
    std::string message = "[" + operation + "] Error " + std::to_string(lastResult_) + " : " +
                          ErrorDescription(lastResult_);
    if (good != nullptr) message += " (Asort=" + good->asort + " " + good->nazwa + ")";
    errorReport_.Append(DatedErrorLine(message));
    Komunikat(message, true);
}

void TfmE::Fail(const std::string& message) {
    lastResult_ = kNotCalledResult;
    Komunikat(message, true);
    errorReport_.Append(DatedErrorLine(message));
}

bool TfmE::Invoke(WinIpFunction function, Reporting reporting, const ExportGood* good) {
    const std::string operation(WinIpOperationName(function));
    libraryCalled_ = false;
    if (!library_.IsLoaded()) {
        if (!library_.Load(LibrarySource())) {
            Fail("[" + operation + "] " + library_.LastError());
            return false;
        }
    }
    const WinIpResult result = WinIpTakesOutputPath(function)
                                   ? library_.Call(function, inputFilePath_, outputFilePath_)
                                   : library_.Call(function, inputFilePath_);
    if (!result.Called()) {
        Fail("[" + operation + "] " + library_.LastError());
        return false;
    }
    libraryCalled_ = true;
    lastResult_ = result.Byte();
    switch (reporting) {
        case Reporting::Log:
            LogCallResult(operation);
            break;
        case Reporting::Transfer:
            ReportTransferResult(operation, good);
            break;
        case Reporting::ErrorsOnly:
            if (lastResult_ != 0) LogCallResult(operation);
            break;
    }
    return lastResult_ == 0;
}

bool TfmE::ReadOutputFile(const std::string& operation, const std::string& file,
                          std::string& text) {
    std::error_code error;
    const std::filesystem::path path(file);
    if (!std::filesystem::is_regular_file(path, error)) {
        Fail("[" + operation + Cp1250("] Brak pliku wyników ") + file);
        return false;
    }
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error || size > kMaxOutputBytes) {
        Fail("[" + operation + Cp1250("] Plik wyników jest zbyt duży: ") + file);
        return false;
    }
    std::ifstream probe(path, std::ios::binary);
    if (!probe) {
        Fail("[" + operation + Cp1250("] Nie można odczytać pliku ") + file);
        return false;
    }
    text = ReadFileText(file);
    return true;
}

void TfmE::UpdateCodeTable(const std::function<void(RegisterCodeTable&)>& change) {
    RegisterCodeTable table(CurrentKodyPath());
    try {
        change(table);
    } catch (const DesktopTableError& error) {
        if (codeTableProblem_.empty()) {
            codeTableProblem_ = Cp1250("Nie zaktualizowano tabeli kodów kasy: ") + error.what();
        }
    }
}

void TfmE::CommitCodeTable(RegisterCodeBatch& batch) {
    try {
        batch.Commit();
    } catch (const DesktopTableError& error) {
        if (codeTableProblem_.empty()) {
            codeTableProblem_ = Cp1250("Nie zaktualizowano tabeli kodów kasy: ") + error.what();
        }
    }
    if (codeTableProblem_.empty() && !batch.Problem().empty()) {
        codeTableProblem_ = Cp1250("Nie zaktualizowano tabeli kodów kasy: ") + batch.Problem();
    }
}

void TfmE::ReportCodeTableProblem() {
    if (codeTableProblem_.empty()) return;
    Komunikat(codeTableProblem_, true);
    codeTableProblem_.clear();
}

void TfmE::SetCaption(const std::string& caption) {
    if (onCaptionChange) onCaptionChange(caption);
}

bool TfmE::RegisterIsModem() const {
    return CurrentRegisterParameters().connection == kConnectionModem;
}

}  // namespace rubso
