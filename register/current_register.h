#pragma once
// The register the operator works with. The main window chooses it from its
// register list and hands its COM_DEF row to SelectRegister; from then on
// everything follows that one choice: the definition written into
// "KONFIG.txt" and the sales-read files (CurrentRegister), the register
// number (App().registerNo, the register's code 1 to 5), the register
// directory (App().kasaDir) and with it the sales-read files and the
// transfer's package number, the register code table "KodyNN.db", and the
// settings section whose parameters the exchange uses.
//
// One thread: the user-interface thread.

#include <optional>
#include <string>

#include "db/goods_catalogue.h"
#include "register/register_parameters.h"

namespace rubso {

// Makes `definition` the current register: CurrentRegister := definition;
// App().registerNo := RegisterNumberOf(definition); App().kasaDir follows
// (SetKasaDir); the current section becomes KasaSectionName(registerNo).
void SelectRegister(const RegisterDefinition& definition);

// No register: CurrentRegister is empty, registerNo 0, kasaDir "Kasa00".
void ClearCurrentRegister();

// The definition chosen last; empty until SelectRegister.
const std::optional<RegisterDefinition>& CurrentRegister();

// KasaSectionName(App().registerNo): "KASA 1" for register 1.
std::string CurrentRegisterSection();

// The current section's parameters, read afresh from App().iniFile (the
// defaults while no settings file is bound), so the VAT and unit lists are
// in step with the section at every use; inside a RegisterParametersScope,
// the reading the scope made.
RegisterParameters CurrentRegisterParameters();

// One reading of the current section for a whole command: while a scope
// lives, CurrentRegisterParameters() gives what was read when the outermost
// scope was made, instead of reading the settings file (some forty keys)
// for every good of a batch. An exchange command makes one at its entry, so
// a batch works with one set of parameters and the next command sees any
// change saved or edited meanwhile. Scopes nest; the user-interface thread
// only.
class RegisterParametersScope {
  public:
    RegisterParametersScope();
    ~RegisterParametersScope();
    RegisterParametersScope(const RegisterParametersScope&) = delete;
    RegisterParametersScope& operator=(const RegisterParametersScope&) = delete;

  private:
    bool outermost_;
};

// The current register's price column (its `Cena` parameter, "CENA_1" by
// default): the one column the goods list shows, the export sends and the
// price-change dates follow. Raises InvalidIdentifierError when the setting
// names no column.
SqlIdentifier CurrentPriceColumn();

// The current register's code table: App().dataDir + "Kody" + two-digit
// registerNo + ".db".
std::string CurrentKodyPath();

}  // namespace rubso
