// TFrm's first showing: the start-up work, in its order. Each step that can
// fail reports its failure the application-wide way and the next step still
// runs, so a missing table or library leaves a usable window.

#include <QDateEdit>
#include <QTabWidget>

#include "app/ui/goods_page.h"
#include "app/ui/main_window.h"
#include "app/ui/register_params_page.h"
#include "app/ui/sales_page.h"
#include "app/ui/transfer_params_page.h"
#include "app/ui/window_operations.h"
#include "core/app_state.h"
#include "core/clock.h"
#include "core/codepage.h"
#include "core/command_guard.h"
#include "core/file_utils.h"
#include "core/installation_settings.h"

namespace rubso {
namespace {

template <typename Step>
void RunStep(Step step) {
    try {
        step();
    } catch (const std::exception& error) {
        HandleException(error);
    } catch (...) {
        HandleUnknownException();
    }
}

}  // namespace

void TFrm::FormShow() {
    if (startedUp_) return;
    AppState& app = App();

    // The register list; its first register becomes the current one.
    RunStep([&] { FillRegisterList(operations_.Registers()); });
    RunStep([&] { IBQWKAfterScroll(registerIds_.empty() ? -1 : 0); });
    showMaximized();
    UpdateTitle();

    mainTabs_->setCurrentIndex(kWorkPage);
    workTabs_->setCurrentIndex(kSalesPage);

    RunStep([&] {
        operations_.InitExchange(
            [this](const std::string& caption) { setWindowTitle(FromCp1250(caption)); });
    });
    RunStep([] { LoadMainSettings(); });
    RunStep([&] { operations_.RecoverInterruptedTransfers(); });

    SetSaleDate(Clock::Today());
    {
        QSignalBlocker quiet(sales_->DatePicker());
        sales_->DatePicker()->setDate(app.saleDate);
    }
    SetTableNames();

    RunStep([&] { PCtrlMainChange(); });
    DeleteFileIfExists(app.dataDir + "Kody.db");

    app.helpContext = 10;
    ShowAboutBox();

    // The parameter pages: the transfer page reads the catalogue's columns
    // and hands the price columns to the register page.
    RunStep([&] { transferParams_->Refresh(); });
    RunStep([&] {
        if (app.registerNo >= 1 && app.registerNo <= app.registerSlots) {
            registerParams_->SelectRegister(app.registerNo);
        }
    });

    RunStep([&] { goods_->List()->SetListChoice(operations_.ReadListChoice()); });
    RunStep([&] { operations_.RunSchemaPass(); });
    startedUp_ = true;
}

}  // namespace rubso
