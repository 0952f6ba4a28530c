#pragma once
// Where the transfer's settings come from: the TransferSettings of a sales
// transfer, and the general transfer parameters of section "Main" that the
// parameters page (TfmPOE) edits: the trading program's path, the bar-code
// column, the Polish-letter standard, the sales document type and "UseEAN".
//
// The page's handlers gather the controls into TransferParameterValues and
// call the functions below; they show nothing but what is said here.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/sql_identifier.h"
#include "trading/trading_records.h"

namespace rubso {

class IniFile;
class TDM;

// --- TransferSettings ---------------------------------------------------------------

// From plain values: the current register's "NrMag" (upper-cased), "KierWZ"
// and "NrRej" (a whole number; anything else gives 0), all trimmed, and the
// contractor code KOD of its COM_DEF row.
TransferSettings MakeTransferSettings(std::string_view nrMag, std::string_view kierWz,
                                      std::string_view nrRej, std::int32_t contractorCode);

// From the settings file: "NrMag", "KierWZ" (default empty) and "NrRej"
// (default "0") of the register's section ("KASA 1"); a value that is empty
// there is taken from section "Main" ("NrRej" default "0" there too).
TransferSettings LoadTransferSettings(const IniFile& ini, std::string_view registerSection,
                                      std::int32_t contractorCode);

// --- The transfer parameters page -----------------------------------------------------

// The page's controls.
struct TransferParameterValues {
    std::string path;        // the trading program's path, as typed
    std::string barKod;      // bar-code column
    std::string standLiter;  // "Mazovia", "Latin 2", "Bez polskich liter" or empty
    std::string typDokum;    // sales document type; may be blank
    bool useEan = false;
};

// Showing the page: the five keys of section "Main" ("TypDokum" default "WZ",
// "UseEAN" default false). Also sets App().mainSettings.useEan and
// App().letterStandard (not its index).
TransferParameterValues ReadTransferParameters(const IniFile& ini);

// Writes the five keys to App().iniFile ("AsorPth" as typed, "UseEAN" as 1 or
// 0) and refreshes the process-wide values: the path with a trailing
// separator, the bar-code column, the flag, the letter standard's text, the
// document type ("WZ" when blank) and the table names (SetTableNames).
void SaveTransferSettings(const TransferParameterValues& values);

// path + "Rok" + year + separator + "Asort.db": the trading program's goods
// file, which must be there for the path to be accepted.
std::string TradingGoodsFile(const std::string& path, int year);

enum class PathChange {
    Restored,   // the edit was blank: values.path is the current path again
    Unchanged,  // the text is the current path
    Accepted,   // saved; the caller refills the column lists, closes the goods
                // queries and marks the goods groups for reloading
    Refused,    // no goods file under the path: nothing changes or is saved
};

// Leaving the path edit with the text in values.path. A new path (trimmed,
// with a trailing separator) is accepted when TradingGoodsFile(path, year of
// the sales date) exists: the working directories then follow the sales date
// (SetWorkingDate) and the values are saved. A refusal shows "Brak kartoteki
// asortymentowej " + that file in the message field as an error.
PathChange LeaveTradingPath(TransferParameterValues& values);

// A folder chosen in the folder dialog: blank does nothing (Unchanged);
// otherwise values.path becomes the folder and it is checked and saved as in
// LeaveTradingPath.
PathChange ChooseTradingPath(TransferParameterValues& values, const std::string& folder);

// Leaving the bar-code combo box: a text that is not blank becomes the
// column; the values are saved. A text that names no column (blanks around
// it aside) is refused in a message box and nothing is saved (false).
bool LeaveBarcodeColumn(TransferParameterValues& values, const std::string& text);

// Leaving the letter-standard combo box with its text and the selected item
// (0 "Mazovia", 1 "Latin 2", 2 "Bez polskich liter", -1 typed). The index
// becomes 0; a blank text stops there (false). Otherwise the text is stored,
// the index follows the item (4, 3, else 0), the values are saved and true
// tells the caller to close the goods queries and reload the goods groups.
bool LeaveLetterStandard(TransferParameterValues& values, const std::string& text,
                         int selectedItem);

// Clicking the EAN check box: the flag follows it; saved.
void SetUseEan(TransferParameterValues& values, bool checked);

// The column lists of the page, from the goods catalogue's column names.
struct CatalogueColumns {
    bool opened = false;                    // the catalogue could be read
    std::vector<std::string> barcodeNames;  // neither "CENA" nor "DATAZMIA" in the name
    std::vector<std::string> priceNames;    // "CENA" but not "OLDCENA" in the name
    int barcodeSelection = -1;              // the entry equal to "BarKod"; -1 none
};

// The rule on a list of column names (upper-cased, catalogue order).
CatalogueColumns SplitCatalogueColumns(const std::vector<std::string>& columnNames,
                                       const std::string& barKod);

// The columns of `goodsTable` in the shared database, read through TDM's
// general query; opened stays false (and the lists empty) when the table
// cannot be read.
CatalogueColumns ReadCatalogueColumns(TDM& dm, const SqlIdentifier& goodsTable,
                                      const std::string& barKod);

}  // namespace rubso
