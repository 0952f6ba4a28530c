#pragma once
// The goods catalogue as the register exchange reads it: the register
// definitions of COM_DEF, the yearly goods table in the shared database, and
// the register code table "KodyNN.db" kept beside the program.
//
// Table and column names (the goods table "Kartas" + year, the price,
// VAT and bar-code columns of the settings) are spliced into statements, so
// the functions below take them as SqlIdentifier (core/sql_identifier.h):
// made by the identifier check where the value is read or saved.
//
// The register code column KOD_KASA is INTEGER in some trading databases and
// a 5-character text, right-aligned, in others. It is always read as text and
// turned into a number by RegisterCodeOf, and written in the column's own
// form (KodKasaKindOf).
//
// Errors: every query raises fb::FbError (missing table or column, lost
// connection); the register code table raises DesktopTableError. Callers
// decide what the operator sees.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/sql_identifier.h"
#include "db/desktop/desktop_table.h"
#include "db/tdm.h"

namespace rubso {

// --- Register definitions (COM_DEF) ------------------------------------------

// One row of COM_DEF, as far as the exchange reads it. Text columns hold the
// stored bytes; a missing column or NULL gives "" or 0.
struct RegisterDefinition {
    int id = 0;
    int port = 0;
    int szybkosc = 0;
    int rej = 0;
    std::string kierunek;
    std::string cena;  // "" means "CENA_1"
    std::string magazyn;
    std::string nazwa;
    std::string kodKasa;  // the register's code, 1 to 5 in practice, as text
    std::string nrSysKasa;
    int kod = 0;
    int vyrNrSzt = 0;
    int vyrNrKg = 0;
    int timeOut = 0;
};

// The register list of the main window, ordered by id.
inline constexpr const char* kRegisterListSql = "select id,kod_kasa from com_def order by id";

// "select * from COM_DEF where id=" + id; nullopt when there is no such row.
std::optional<RegisterDefinition> ReadRegisterDefinition(TDM& dm, int id);

// The register number of a definition: LeadingInt of its KOD_KASA (0 when it
// has none or it is not a number).
int RegisterNumberOf(const RegisterDefinition& definition);

// "Kasa " + the register code in two digits, zero-padded (onGetKasa).
std::string KasaDisplayText(std::string_view kodKasa);
// A price shown in the goods list: "0.00" (onGetCena).
std::string PriceDisplayText(double price);

// --- Register codes ----------------------------------------------------------

// The number of a register code as KOD_KASA holds it: LeadingInt of the text;
// NULL, empty, blank or not a number give 0 (no code).
std::int64_t RegisterCodeOf(std::string_view kodKasaText);

enum class KodKasaKind { Integer, Text };

// The kind of the goods table's KOD_KASA column. Raises fb::FbError when the
// table or the column does not exist.
KodKasaKind KodKasaKindOf(TDM& dm, const std::string& goodsTable);

// A code in the column's form: the number for Integer, the number
// right-aligned in 5 characters for Text.
std::string KodKasaValueText(KodKasaKind kind, std::int64_t code);

// --- The goods table -----------------------------------------------------------

// True when the database answers and holds the goods table. Raises only
// fb::ConnectionLostError: a connection that is gone is said as such, never
// as a missing table. Without a connection at all: false.
bool GoodsTableReachable(TDM& dm, const std::string& goodsTable);

// Register code -> goods symbol of every good with a code, fetched with one
// query. When two goods share a code the one with the lower symbol (byte
// order) wins, whatever order the server returns them in.
using RegisterCodeMap = std::unordered_map<std::int64_t, std::string>;
RegisterCodeMap FetchRegisterCodeMap(TDM& dm, const SqlIdentifier& goodsTable);

// What a look-up by register code needs to know of the goods table: the
// kind of its KOD_KASA column and whether an active index leads with it
// (the main window's schema pass gives the year's goods table one). Raises
// fb::FbError when the table or the column does not exist.
struct RegisterCodeColumn {
    KodKasaKind kind = KodKasaKind::Integer;
    bool indexed = false;
};
RegisterCodeColumn RegisterCodeColumnOf(TDM& dm, const std::string& goodsTable);

// FetchRegisterCodeMap restricted to the codes in `codes` (with the same
// rule for a code two goods share), asking the server only for those codes:
// a few statements of up to a thousand codes each, joined to the goods
// table through its index, in one transaction. A text column is asked for
// each code right-aligned in 5 characters, the form both programs write; a
// code it holds in another form ("12", "00012") is found only without the
// index, when the table is read once as FetchRegisterCodeMap does.
RegisterCodeMap FetchRegisterCodes(TDM& dm, const SqlIdentifier& goodsTable,
                                   const RegisterCodeColumn& column,
                                   const std::vector<std::int64_t>& codes);

// One good as the export sends it.
struct ExportGood {
    std::string asort;
    std::string nazwa;
    double cena = 0.0;       // the register's price column
    double stawkaVat = 0.0;  // the VAT column
    std::string jm;
    std::int64_t kodKasa = 0;  // RegisterCodeOf the stored value
    std::string barCode;       // the bar-code column, blanks trimmed; "" without one
};

// Reads goods of the goods table by symbol, with the price taken from
// `priceColumn`, the VAT rate from `vatColumn` and the bar code from
// `barCodeColumn` (none: no bar code). The statement is prepared once; each
// Find runs in a short transaction of its own. Raises fb::FbError for a
// missing column or table.
class ExportGoodsReader {
  public:
    ExportGoodsReader(TDM& dm, const SqlIdentifier& goodsTable, const SqlIdentifier& priceColumn,
                      const SqlIdentifier& vatColumn,
                      const std::optional<SqlIdentifier>& barCodeColumn);
    // Reads the goods of a whole batch in one transaction (a statement per
    // thousand symbols, through the goods table's key) and keeps them: Find
    // then answers for these symbols, a missing good included, without
    // asking the server again.
    void Prefetch(const std::vector<std::string>& symbols);
    // nullopt when no good has that symbol.
    std::optional<ExportGood> Find(const std::string& asort);

  private:
    fb::Attachment& attachment_;
    fb::Statement statement_;
    bool hasBarCode_;
    SqlIdentifier goodsTable_;
    std::string columns_;  // the select list, the goods table named "g"
    std::unordered_map<std::string, std::optional<ExportGood>> prefetched_;
};

// The result of FSeekAsort.
struct SeekAsortResult {
    std::string asort;
    std::string ean;
    int vatRate = 23;
    std::string vatCode = "23";
    bool operator==(const SeekAsortResult&) const = default;
};

// The goods symbol of a register code through its bar code: the register code
// table gives the bar code of `code`, the goods table the good with that bar
// code in `barCodeColumn`. Without a row in the code table: the defaults
// (empty symbol and bar code, VAT 23 and "23"); with a bar code that no good
// has: the bar code and an empty symbol. A bar code to look up without a
// bar-code column raises InvalidIdentifierError.
SeekAsortResult FSeekAsort(TDM& dm, const std::string& kodyPath, std::int64_t code,
                           const SqlIdentifier& goodsTable,
                           const std::optional<SqlIdentifier>& barCodeColumn);

// --- The register code table ("KodyNN.db") -------------------------------------

// dataDir + "Kody" + two-digit register number + ".db".
std::string KodyTablePath(const std::string& dataDir, int registerNo);

// Kod (long integer), Nazwa (alpha 30), Cena (number), Inne (alpha 40),
// Kod_Ean (alpha 40).
const std::vector<DesktopNewField>& KodyFields();

// Closes `table` if open, creates the file with KodyFields when it is
// missing, and opens it. Raises DesktopTableError.
void OpenKody(DesktopTable& table, const std::string& path, DesktopOpenMode mode);

}  // namespace rubso
