// TfmE: start-up preparation and the modem session.

#include <filesystem>
#include <fstream>

#include "core/app_state.h"
#include "core/codepage.h"
#include "core/file_utils.h"
#include "core/operator.h"
#include "core/text_utils.h"
#include "register/current_register.h"
#include "register/register_exchange.h"
#include "register/register_records.h"

namespace rubso {
namespace {

constexpr const char* kModemCommandsFile = "Modkonf.txt";
constexpr const char* kErrorDescriptionsFile = "koment.txt";

}  // namespace

void TfmE::InitElzab() {
    AppState& app = App();
    app.errorReportPath = app.workDir + "out" + kPathSeparator + "log.txt";

    // An existing file is the operator's and is never replaced.
    if (!FileExists(kModemCommandsFile) &&
        !WriteFileText(ModemCommandsText(), kModemCommandsFile)) {
        Komunikat(Cp1250("Nie można zapisać pliku ") + kModemCommandsFile, true);
    }

    // A file in the working directory is the operator's and comes first; an
    // installed program otherwise finds the one shipped beside its library.
    errorDescriptions_.clear();
    std::error_code error;
    std::string descriptions = kErrorDescriptionsFile;
    if (!std::filesystem::exists(descriptions, error)) {
        descriptions = app.appDir + kErrorDescriptionsFile;
    }
    if (std::filesystem::exists(descriptions, error)) {
        std::ifstream probe(descriptions, std::ios::binary);
        if (probe && FileExists(descriptions)) {
            errorDescriptions_ = SplitLines(ReadFileText(descriptions));
        } else {
            Komunikat(Cp1250("Nie można odczytać pliku ") + kErrorDescriptionsFile +
                          Cp1250(" - błędy kasy będą bez opisów"),
                      true);
        }
    }

    EnsureDir(app.workDir + "in");
    EnsureDir(app.workDir + "out");

    const std::string directory = libraryDirectory_.empty() ? app.appDir : libraryDirectory_;
    if (!library_.Load(directory)) Komunikat(library_.LastError(), true);
}

bool TfmE::ModStart() {
    if (!EnsureDriverConfig()) return false;
    if (!RegisterIsModem()) return true;
    const int registerNo = App().registerNo;
    if (session_.connected) {
        if (session_.connectedRegister == registerNo) return true;
        ModStop();
    }
    session_.connected = false;
    session_.connectedRegister = -1;
    if (!PrepareInputFile("ModStart")) return false;
    Komunikat(Cp1250("Łączenie ..."), false);
    session_.connected = Invoke(WinIpFunction::kModStart, Reporting::Log);
    if (session_.connected) {
        session_.connectedRegister = registerNo;
        SetCaption(App().appTitle + Cp1250("          Połącznie modemowe z kasą ") +
                   std::to_string(registerNo));
    }
    return session_.connected;
}

void TfmE::ModStop() {
    SetCaption(App().appTitle);
    if (!session_.connected) return;
    // Whatever fails here is reported; the session counts as closed anyway.
    if (EnsureDriverConfig() && PrepareInputFile("ModStop")) {
        Invoke(WinIpFunction::kModStop, Reporting::ErrorsOnly);
    }
    session_.connected = false;
    session_.connectedRegister = -1;
}

}  // namespace rubso
