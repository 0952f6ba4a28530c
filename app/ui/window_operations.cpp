#include "app/ui/window_operations.h"

#include <stdexcept>

#include "core/app_state.h"
#include "core/codepage.h"
#include "core/ini_file.h"
#include "core/operator.h"
#include "dayend/booking_check.h"
#include "db/goods_catalogue.h"
#include "db/parameter_store.h"
#include "db/schema_upgrade.h"
#include "register/current_register.h"
#include "trading/catalogue_lookup.h"
#include "trading/consistency_report.h"
#include "trading/sales_transfer_command.h"
#include "trading/trading_tables.h"
#include "trading/transfer_settings.h"

namespace rubso {
namespace {

constexpr const char* kLocation = "GLOBAL";
constexpr const char* kSection = "RUBSA";

}  // namespace

WindowOperations::WindowOperations() = default;
WindowOperations::~WindowOperations() = default;

std::vector<RegisterListRow> WindowOperations::Registers() {
    return FetchRegisterList(DM());
}

void WindowOperations::SelectRegister(int id) {
    const std::optional<RegisterDefinition> definition =
        id < 0 ? std::nullopt : ReadRegisterDefinition(DM(), id);
    if (definition) {
        rubso::SelectRegister(*definition);
    } else {
        ClearCurrentRegister();
    }
}

void WindowOperations::InitExchange(std::function<void(const std::string&)> onCaption) {
    exchange_ = std::make_unique<TfmE>();
    exchange_->onCaptionChange = std::move(onCaption);
    exchange_->InitElzab();
}

TfmE& WindowOperations::Exchange() {
    if (!exchange_) exchange_ = std::make_unique<TfmE>();
    return *exchange_;
}

void WindowOperations::RunSchemaPass() {
    MainWindowSchemaPass(DM());
}

int WindowOperations::ReadListChoice() {
    return ReadParI(DM(), "FW", 1, kLocation, kSection);
}

void WindowOperations::StoreListChoiceAndDisconnect(int choice) {
    TDM& dm = DM();
    if (App().connectResult != 0 || !dm.IBBaza.IsConnected()) return;
    try {
        WriteParI(dm, "FW", choice, kLocation, kSection);
    } catch (const fb::FbError& e) {
        // With the connection gone the choice is lost, as a failed write
        // would lose it; the program only lets go of the connection.
        if (!e.ConnectionLost()) throw;
    }
    dm.IBBaza.Detach();
}

void WindowOperations::SetTdmh(Tdmh* tdmh) {
    tdmh_ = tdmh;
    if (tdmh_ != nullptr) tdmh_->SetGoodsLookup(CatalogueGoodsLookup(DM()));
}

void WindowOperations::RecoverInterruptedTransfers() {
    if (tdmh_ != nullptr) tdmh_->RecoverInterruptedTransfers();
}

void WindowOperations::ReadSales() {
    Exchange().ElzabSprz();
}

void WindowOperations::ResetCounters() {
    Exchange().aZerujLicznikiExecute();
}

void WindowOperations::TransferSalesRead(const std::string& file) {
    if (tdmh_ == nullptr) throw std::logic_error("Tdmh: the transfer module has not been created");
    const IniFile ini = App().iniFile ? *App().iniFile : IniFile(std::string());
    const std::optional<RegisterDefinition>& current = CurrentRegister();
    const TransferOutcome outcome = SendSalesRead(
        *tdmh_, file,
        LoadTransferSettings(ini, CurrentRegisterSection(), current ? current->kod : 0));
    if (outcome.ok) {
        CheckTransferInWindow(Exchange(), *tdmh_, file,
                              Cp1250("Przesłany dok. WZ/") + std::to_string(outcome.package));
    }
}

void WindowOperations::ExportGoods(std::vector<std::string>& marked, ExportChoice choice) {
    Exchange().aExpoTowarExecute(marked, choice);
}

void WindowOperations::AssignRegisterCodes(const std::vector<std::string>& tickedGroups) {
    Exchange().aInitKodKasaE(tickedGroups);
}

bool WindowOperations::ResetRegisterCodes(CodeResetValue value) {
    return ZerujKodyKasy(DM(), App().goodsTable, value);
}

std::vector<RegisterCodeRow> WindowOperations::RegisterCodes() {
    return RegisterCodeTable(CurrentKodyPath()).Rows();
}

void WindowOperations::DeleteSelected(std::vector<std::int64_t>& selected) {
    Exchange().aKasujTowarExecute(selected);
}

void WindowOperations::DeleteAll() {
    Exchange().aKasujWszystkieTowaryExecute();
}

std::optional<std::vector<std::string>> WindowOperations::ReadRegisterGoods() {
    return Exchange().WczytajTowary();
}

CatalogueColumns WindowOperations::ReadCatalogueColumns(const std::string& barKod) {
    return rubso::ReadCatalogueColumns(DM(), App().goodsTable, barKod);
}

void WindowOperations::GoodsFileTest() {
    Tdmu(DM()).ConsistencyReport();
}

}  // namespace rubso
