#include "register/current_register.h"

#include "core/app_state.h"
#include "core/ini_file.h"
#include "core/installation_settings.h"
#include "register/register_code_table.h"

namespace rubso {
namespace {

std::optional<RegisterDefinition>& Current() {
    static std::optional<RegisterDefinition> current;
    return current;
}

// The reading of the outermost live RegisterParametersScope.
std::optional<RegisterParameters>& ScopedParameters() {
    static std::optional<RegisterParameters> parameters;
    return parameters;
}

RegisterParameters ReadCurrentParameters() {
    if (!App().iniFile) return DefaultRegisterParameters();
    return ReadRegisterParameters(*App().iniFile, CurrentRegisterSection());
}

}  // namespace

void SelectRegister(const RegisterDefinition& definition) {
    Current() = definition;
    App().registerNo = RegisterNumberOf(definition);
    SetKasaDir();
    if (ScopedParameters()) ScopedParameters() = ReadCurrentParameters();
    // Changes a batch cut short left for the code table (the program was
    // killed) are written before anything reads the table; a failure leaves
    // them for the next use of the table, which reports it.
    try {
        ApplyPendingCodeTableChanges(CurrentKodyPath());
    } catch (const std::exception&) {
    }
}

void ClearCurrentRegister() {
    Current().reset();
    App().registerNo = 0;
    SetKasaDir();
    if (ScopedParameters()) ScopedParameters() = ReadCurrentParameters();
}

const std::optional<RegisterDefinition>& CurrentRegister() {
    return Current();
}

std::string CurrentRegisterSection() {
    return KasaSectionName(App().registerNo);
}

RegisterParameters CurrentRegisterParameters() {
    if (ScopedParameters()) return *ScopedParameters();
    return ReadCurrentParameters();
}

RegisterParametersScope::RegisterParametersScope() : outermost_(!ScopedParameters()) {
    if (outermost_) ScopedParameters() = ReadCurrentParameters();
}

RegisterParametersScope::~RegisterParametersScope() {
    if (outermost_) ScopedParameters().reset();
}

SqlIdentifier CurrentPriceColumn() {
    return PriceColumnOf(CurrentRegisterParameters());
}

std::string CurrentKodyPath() {
    return KodyTablePath(App().dataDir, App().registerNo);
}

}  // namespace rubso
