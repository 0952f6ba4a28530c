#include "trading/sales_transfer_command.h"

#include "core/app_state.h"
#include "core/codepage.h"
#include "core/installation_settings.h"
#include "core/operator.h"
#include "core/text_utils.h"

namespace rubso {

std::string MissingExportParameters(const TransferSettings& settings,
                                    const std::string& documentType) {
    std::string labels;
    if (IsBlank(settings.warehouse)) labels += "\r\nNr magazynu";
    if (IsBlank(settings.salesDirection)) labels += Cp1250("\r\nKierunel sprzedaży");
    if (IsBlank(documentType)) labels += "\r\nTyp dok.sprz";
    return labels;
}

TransferOutcome SendSalesRead(Tdmh& tdmh, const std::string& file,
                              const TransferSettings& settings) {
    const std::string missing = MissingExportParameters(settings, App().mainSettings.typDokum);
    if (!missing.empty()) {
        TransferOutcome outcome;
        outcome.reason = "Niestalone parametry eksportu " + missing;
        ShowMessage(outcome.reason);
        return outcome;
    }
    tdmh.SetTransferSettings(settings);
    const TransferOutcome outcome = tdmh.WZ2Hndl(file);
    if (outcome.ok) {
        Komunikat(Cp1250("Przesłany dok. WZ/") + std::to_string(TransferDocumentNumber()));
    } else {
        CurrentOperator().ShowStatus(outcome.reason, true);
    }
    return outcome;
}

}  // namespace rubso
