#pragma once
// The main window's command "Prześlij dane do Handlu" on a chosen sales read:
// check the export parameters, transfer, show the outcome. The window passes
// plain values and shows nothing itself; everything goes through the
// operator seam (core/operator.h).

#include <string>

#include "trading/trading_records.h"
#include "trading/trading_tables.h"

namespace rubso {

// For each blank (after trimming) export parameter, CR LF and its label, in
// this order: "Nr magazynu" (warehouse), "Kierunel sprzedaży" (sales
// direction), "Typ dok.sprz" (sales document type). Empty when all are set.
std::string MissingExportParameters(const TransferSettings& settings,
                                    const std::string& documentType);

// Transfers `file` (KasaDir + the chosen file name) with `settings` and the
// document type App().mainSettings.typDokum:
// - blank parameters: the message box "Niestalone parametry eksportu " + the
//   labels; nothing is transferred;
// - success: "Przesłany dok. WZ/" + the package number in the message field;
// - failure: the reason in the message field, as an error (it replaces any
//   earlier success message).
// Returns what WZ2Hndl returned (or the parameter message, not ok).
TransferOutcome SendSalesRead(Tdmh& tdmh, const std::string& file,
                              const TransferSettings& settings);

}  // namespace rubso
