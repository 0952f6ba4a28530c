#include "register/current_register.h"

#include "app/core/app_state.h"
#include "app/core/ini_file.h"
#include "app/core/installation_settings.h"

namespace rubso {
namespace {

std::optional<RegisterDefinition>& Current() {
    static std::optional<RegisterDefinition> current;
    return current;
}

}  // namespace

void SelectRegister(const RegisterDefinition& definition) {
    Current() = definition;
    App().registerNo = RegisterNumberOf(definition);
    SetKasaDir();
}

void ClearCurrentRegister() {
    Current().reset();
    App().registerNo = 0;
    SetKasaDir();
}

const std::optional<RegisterDefinition>& CurrentRegister() {
    return Current();
}

std::string CurrentRegisterSection() {
    return KasaSectionName(App().registerNo);
}

RegisterParameters CurrentRegisterParameters() {
    if (!App().iniFile) return DefaultRegisterParameters();
    return ReadRegisterParameters(*App().iniFile, CurrentRegisterSection());
}

std::string CurrentPriceColumn() {
    return PriceColumnOf(CurrentRegisterParameters());
}

std::string CurrentKodyPath() {
    return KodyTablePath(App().dataDir, App().registerNo);
}

}  // namespace rubso
