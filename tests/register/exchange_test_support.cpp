#include "tests/register/exchange_test_support.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "core/app_state.h"
#include "core/file_utils.h"
#include "core/ini_file.h"
#include "core/installation_settings.h"
#include "core/text_utils.h"
#include "register/current_register.h"
#include "register/sim/sim_tool.h"

namespace rubso::test {
namespace {

// "16.03.2026 10:30:00: " in front of every error report line.
constexpr std::size_t kStampLength = 21;

}  // namespace

void PrintTo(const RecordingOperator::Status& status, std::ostream* out) {
    *out << (status.error ? "error " : "normal ") << ::testing::PrintToString(status.text);
}

ProgramDir::ProgramDir() {
    previousDir_ = std::filesystem::current_path();
    std::filesystem::current_path(dir_.Path());
    ::unsetenv("RUBSO_SIM_STATE");

    AppState& app = App();
    app.appDir = dir_.Path();
    app.workDir = dir_.Path();
    app.dataDir = dir_.Path() + "Dane" + kPathSeparator;
    EnsureDir(app.dataDir);
    app.errorReportPath = app.dataDir + "Error.txt";
    app.iniFile = std::make_shared<IniFile>(dir_.Path() + "RUBSO.INI");
    app.appTitle = "ANVO_Soft             Wymiana danych z kasami ELZAB ";
    app.vatColumn = "Stawka_Vat";
    SetWorkingDate(Clock::Today());
    SetTableNames();
    SetSaleDate(Clock::Today());
    WriteBytes(dir_.Path() + "koment.txt", ReadBytes(std::string(RUBSO_WINIP_DIR) + "/koment.txt"));
}

ProgramDir::~ProgramDir() {
    ClearCurrentRegister();
    std::filesystem::current_path(previousDir_);
}

int ProgramDir::Tool(std::initializer_list<std::string> args) {
    std::ostringstream out;
    std::ostringstream err;
    const int status = sim::RunKasaSimTool(args, out, err);
    toolOutput_ = out.str() + err.str();
    return status;
}

std::vector<std::string> ProgramDir::ErrorReportEntries() const {
    std::vector<std::string> entries;
    for (const std::string& line : SplitLines(ReadBytes(App().errorReportPath))) {
        entries.push_back(line.size() >= kStampLength ? line.substr(kStampLength) : line);
    }
    return entries;
}

void ProgramDir::SetRegisterKey(int registerNo, const std::string& key, const std::string& value) {
    App().iniFile->WriteString(KasaSectionName(registerNo), key, value);
}

RegisterDefinition DefinitionOf(int registerNo) {
    RegisterDefinition definition;
    definition.id = registerNo - 1;
    definition.port = 1;
    definition.szybkosc = 9600;
    definition.kodKasa = std::to_string(registerNo);
    definition.nazwa = "KASA " + std::to_string(registerNo);
    return definition;
}

ExchangeTest::ExchangeTest() {
    SelectRegister(DefinitionOf(1));
    e_.InitElzab();
}

ExchangeTest::~ExchangeTest() {
    App() = AppState{};
}

}  // namespace rubso::test
