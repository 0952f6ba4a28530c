#pragma once
// Tdmh: the trading program's desktop tables and the sales transfer that
// writes an issue document ("WZ") into them.
//
// Tables lie under the trading program's path (App().mainSettings.asorPth):
// Maga, Kama, RejSprz and RejZak in path + yearDirName + "/" + monthDirName,
// the goods file Asort.db in path + yearDirName. The year and month come from
// the working date (SetWorkingDate), not from the sales date.
//
// Error convention of the trading layer (trading/): the steps that write a
// document (the Add... calls, the package removals, ExtractOdczyt) raise
// (DesktopTableError for the tables), so the transfer has one place that
// rolls the document back. OpenHandel and CloseHandel report their own
// failure (OpenHandel in the message field, naming the table and its
// directory; both in the work log) and answer with bool: the caller only
// decides whether to go on. WZ2Hndl, the transfer, is the boundary towards
// the operator: it never raises and returns a TransferOutcome whose reason
// the command shows; RecoverInterruptedTransfers shows each failure and goes
// on. The consistency report (consistency_report.h) raises fb::FbError and
// InvalidIdentifierError for the application-wide handler.
//
// The tables have no transactions. WZ2Hndl writes under a rollback journal
// (db/desktop/desktop_journal.h) in the month directory: the document is
// written whole or not at all, whether the transfer fails on bad data, on a
// failing disk or is killed. A journal left by a killed run is rolled back
// by the next opening of the tables (and by RecoverInterruptedTransfers at
// program start), which tells the operator.
//
// One thread: the user-interface thread. Tables are open only between
// OpenHandel and CloseHandel of one operation.

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "db/desktop/desktop_journal.h"
#include "db/desktop/desktop_table.h"
#include "trading/trading_records.h"

namespace rubso {

// What the goods catalogue knows of a register code (FSeekAsort): the goods
// symbol (empty when none), the bar code found for the code, the VAT rate and
// the VAT code ("23" and 23 when nothing matched).
struct GoodsMatch {
    std::string asort;
    std::string ean;
    int vatRate = 23;
    std::string vatCode = "23";
};

// Looks a register code up in the goods catalogue; may raise (a database
// error ends the transfer that asked).
using GoodsLookup = std::function<GoodsMatch(std::int64_t registerCode)>;

// One line of a sales-read file as the transfer uses it.
struct SalesLine {
    std::string registerCode;  // field 2, trimmed
    std::string symbol;        // goods symbol; empty when the goods are unknown
    double quantity = 0;
    double grossValue = 0;
    std::string vatCode;
    int vatRate = 0;
    std::string group;
};

// Field `n` (1-based) of a sales-read line. The program writes these lines
// itself with seven ";"-separated fields, so a field is taken by its position:
// an empty field keeps its place. A field that does not exist is empty.
std::string SalesReadField(std::string_view line, int n);

// The result of a transfer: ok, or the reason it failed (bytes in the program's
// code page, ready for the message field).
struct TransferOutcome {
    bool ok = false;
    std::string reason;
    std::int64_t package = 0;
};

class Tdmh {
  public:
    Tdmh();
    ~Tdmh();
    Tdmh(const Tdmh&) = delete;
    Tdmh& operator=(const Tdmh&) = delete;

    // Read by InitDok, InitMaga, InitKama, InitRejZaSp and WZ2Hndl.
    void SetTransferSettings(const TransferSettings& settings) { settings_ = settings; }
    const TransferSettings& Settings() const { return settings_; }

    // FSeekAsort, used by ExtractOdczyt when "UseEAN" is on. Without one, every
    // code is unknown.
    void SetGoodsLookup(GoodsLookup lookup) { lookup_ = std::move(lookup); }

    // path + yearDirName + separator + monthDirName, and path + yearDirName,
    // without a trailing separator.
    std::string MonthDirectory() const;
    std::string YearDirectory() const;

    // Opens the tables of a comma-separated list ("Kama,Maga,RejSprz,Asor"),
    // in list order, names matched without regard to case: "KAMA", "MAGA",
    // "REJZAK", "REJSPRZ" for writing, "ASOR" read-only; other names are
    // skipped. REJZAK and REJSPRZ both open tblRejZaSp. On the first failure
    // (missing file, keyed table or index file beside it, lock file of the
    // trading program) shows "Nieudana próba otwarcia " + name + " na sciezce "
    // + directory as an error (for a header that lags behind its blocks,
    // followed by what disagrees and the repair), logs the layer's message,
    // closes the list's tables and returns false. LastOpenFailure() keeps the
    // shown text. An interrupted transfer of the month is rolled back first.
    bool OpenHandel(std::string_view list);
    const std::string& LastOpenFailure() const { return lastOpenFailure_; }

    // Closes the open tables of the list ("KAMA", "MAGA", "REJSPRZ" — the
    // register table whichever file it holds — and "ASOR"). On a failure logs
    // "Nieudana próba zamkniecia " + name and the message, stops, returns false.
    bool CloseHandel(std::string_view list);

    // Fills the DocumentParameters for a document type.
    void InitDok(std::string_view type);
    const DocumentParameters& Document() const { return document_; }

    // The records with their defaults from the DocumentParameters and the
    // TransferSettings (InitDok first).
    void InitMaga(TRekMaga& record) const;
    void InitKama(TRekKama& record) const;
    void InitRejZaSp(TRekRejZaSp& record) const;

    // Append (or, for a stock card that exists, add the record's Przychody and
    // Rozchody to it), post and flush: the row goes to the operating system,
    // or, inside WZ2Hndl, stays held under the journal until the commit.
    // Raise DesktopTableError; a row whose filling failed is not written.
    void AddMaga(const TRekMaga& record);
    void AddKama(const TRekKama& record);
    void AddRejZaSp(const TRekRejZaSp& record);

    // Removes every Maga row of the package and takes its quantities off the
    // stock cards (Przychody for a row whose Robr is 1, Rozchody otherwise); a
    // row whose card is missing is removed all the same. On a failure logs
    // "Nieudana próba usunięcia paczki " + package + " " + "Maga" or "Kama"
    // and the message, stops and raises DesktopTableError with that text,
    // ": " and the message.
    void UsunPaczkeZMaga(std::int32_t package);
    // Removes every row of the package from `table` (a register table). On a
    // failure logs and raises the same with the table's file name.
    void UsunPaczkeZRej(std::int32_t package, DesktopTable& table);

    // One sales-read line: the symbol from field 3 looked up in the goods file
    // (rate: the whole part of its VAT column, code: the rate in two digits,
    // group: its "grupa"; rate 23, code "23" and no group when it is not
    // there), or with "UseEAN" on, from the goods lookup of field 2's leading
    // integer. Quantity and gross value are fields 4 and 5 (ParseDecimal).
    // Needs tblAsor open when "UseEAN" is off. May raise.
    SalesLine ExtractOdczyt(const std::string& line);

    // Writes the sales-read file as one WZ document of the package
    // TransferDocumentNumber(), replacing an earlier one of the same package.
    // Nothing is written when the register has no package number of its own,
    // the file is empty or has more lines than a document holds
    // (kMaxDocumentLines), a table cannot be opened, a line has no goods
    // symbol or a quantity of 0. A failure after the first change, also of
    // the removal of the earlier package, leaves the tables exactly as they
    // were (see above). The document is durable (fsync) when this returns ok.
    TransferOutcome WZ2Hndl(const std::string& file);

    // Lines of one document: its line number Lp is a 16-bit field.
    static constexpr std::size_t kMaxDocumentLines = 32767;

    // Rolls back every transfer that a killed run left unfinished in a month
    // directory under the trading program's path (Rok????/Dane??), telling
    // the operator of each. Failures are written to the work log and shown.
    // For the program's start.
    void RecoverInterruptedTransfers();

    // Held bytes after which the journal writes what a transfer has changed
    // so far (see DesktopJournal::SetHeldLimit).
    void SetJournalHeldLimit(std::size_t bytes) { journal_.SetHeldLimit(bytes); }
    // Benchmarks only: with the journal off a transfer writes each row as it
    // goes and a failure leaves what was written.
    void SetJournalEnabled(bool on) { journalEnabled_ = on; }

    DesktopTable tblMaga;
    DesktopTable tblKama;
    DesktopTable tblRejZaSp;
    DesktopTable tblAsor;

  private:
    void OpenOne(const std::string& name);
    void CloseOne(const std::string& name);
    // The stock card of (1, magazyn, asort) made current; false when none.
    bool LocateCard(const std::string& magazyn, const std::string& asort);
    TransferOutcome Fail(std::int64_t package, const std::string& reason) const;
    std::string CheckLines(const std::vector<std::string>& lines,
                           const std::vector<SalesLine>& sales) const;
    void WriteDocument(std::int32_t package, const std::string& documentNumber,
                       const std::vector<SalesLine>& sales);

    // Puts the transfer's tables under the journal of the month directory.
    void BeginJournal(const std::string& documentNumber);
    // After a failure: the tables back as they were; the text to add to the
    // failure's reason.
    std::string RollBack();

    TransferSettings settings_;
    DocumentParameters document_;
    GoodsLookup lookup_;
    DesktopJournal journal_;
    bool journalEnabled_ = true;
    std::string lastOpenFailure_;
};

}  // namespace rubso
