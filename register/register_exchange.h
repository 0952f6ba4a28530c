#pragma once
// TfmE, the register exchange controller: every operation with a register
// goes through the register library (register/winip_library.h) and through
// this class. The main window creates one at its first showing, calls
// InitElzab once, and runs each command as one call below; what the window
// gathers (the marked goods, the check boxes, the chosen option, the ticked
// groups, the selected codes) comes in as parameters, and everything the
// operator sees goes through the operator seam (core/operator.h): the
// message field, message boxes, the sales memo.
//
// Every operation follows one sequence: make sure "KONFIG.txt" is in place
// (and, for a register reached by modem, that its session is open), write
// the input file "in/<operation>.in", delete an old output file, call the
// library, report the one-byte result (LastResult(), 0 = success) in the
// message field and, for failures, as a dated line in the error report
// (App().errorReportPath, "out/log.txt" after InitElzab), and for reading
// operations load the output file from the register directory
// (App().kasaDir).
//
// The register the operations address is the current one
// (register/current_register.h): its definition, number, directory,
// settings section and code table.
//
// Relative files ("KONFIG.txt", "Modkonf.txt", "koment.txt", "in/…") are
// relative to the working directory, which is the program's directory.
//
// Failures never raise from the library side: a failed call, a file that
// cannot be written, a library that cannot be loaded are reported to the
// operator and leave LastResult() non-zero. Database errors (fb::FbError)
// reach the caller, as every database error does.
//
// One thread: the user-interface thread.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "db/goods_catalogue.h"
#include "register/winip_library.h"

namespace rubso {

class RegisterCodeBatch;
class RegisterCodeTable;

// The state of a modem connection (only modem registers have one).
struct ModemSession {
    bool connected = false;
    int connectedRegister = -1;  // the register number; -1 when none
};

// What the goods export sends.
struct ExportChoice {
    bool fullData = false;          // " Dane o towarach ": "pełne " (ZTowar), else ZCTowar
    bool stopOnFirstError = false;  // "Zatrzymaj eksport po pierwszym błędzie"
};

class TfmE {
  public:
    // `libraryDirectory`: where the register library is loaded from; empty
    // means the program's directory (App().appDir).
    explicit TfmE(std::string libraryDirectory = {});
    TfmE(const TfmE&) = delete;
    TfmE& operator=(const TfmE&) = delete;

    // The main window's caption while a modem session is open, and back to
    // App().appTitle when it closes. Unset: nothing is shown.
    std::function<void(const std::string&)> onCaptionChange;

    // --- Start-up and the modem session --------------------------------------
    // Once, before any exchange: the error report becomes workDir +
    // "out/log.txt"; "Modkonf.txt" is written when missing (never
    // replaced); the error descriptions are loaded from "koment.txt" of the
    // working directory, else of the program's directory (appDir); the
    // directories "in" and "out" are made in workDir; the register library
    // is loaded.
    void InitElzab();
    // Makes sure "KONFIG.txt" is in place and, for a register whose
    // parameter Connection is 2 (modem), that a session to it is open
    // (closing one to another register first). True: go on. Every exchange
    // operation below starts with it, and leaves the session open.
    bool ModStart();
    // Closes an open modem session (the caption goes back to the title).
    void ModStop();
    const ModemSession& Session() const { return session_; }

    // --- The library's files and the reporting ---------------------------------
    // "KONFIG.txt" holding "STX0" is left alone; otherwise it is written
    // from the current register's definition. Without a definition nothing
    // is written. False (reported) when the file is not in place afterwards.
    bool EnsureDriverConfig();
    // LastResult := 0; the input file becomes "in/<operation>.in" holding
    // the three header lines. False (reported) when it cannot be written.
    bool PrepareInputFile(const std::string& operation);
    // Adds a record line to the input file and writes it again.
    bool AddInputRecord(const std::string& record);
    // The output file becomes kasaDir + operation + ".out"; the register
    // directory is made and an old output file deleted, so whatever is found
    // after the call is the library's fresh output. False (reported) when
    // either fails.
    bool PrepareOutputFile(const std::string& operation);
    // Reporting of ModStart, ModStop, TowarMax, OSprzed, OTSpMax, KSprOp:
    // success clears the message field; a failure shows "[op] Error n : " +
    // description (red) and writes it as a dated line to the error report.
    void LogCallResult(const std::string& operation);
    // Reporting of ZTowar, ZCTowar, KTowar, KTowMax: success shows "[op] -
    // Transmisja bez błędów"; a failure is reported as above, with " (Asort="
    // + symbol + " " + name + ")" when a good was being sent.
    void ReportTransferResult(const std::string& operation, const ExportGood* good = nullptr);
    // The description of a library error code from "koment.txt"; "" when
    // none.
    std::string ErrorDescription(int code) const;

    std::uint8_t LastResult() const { return lastResult_; }
    void SetLastResult(std::uint8_t result) { lastResult_ = result; }
    const std::string& InputFilePath() const { return inputFilePath_; }
    const std::string& OutputFilePath() const { return outputFilePath_; }
    const WinIpLibrary& Library() const { return library_; }

    // --- Goods export ------------------------------------------------------------
    // Sends the marked goods (goods symbols, in the order the list shows
    // them), one input file and one library call each. `marked` shrinks by
    // every good done; after a stop on error it holds the failed good and
    // those not yet sent. The goods are read from the goods table with the
    // current register's price column. The caller unticks the group list
    // afterwards. With full data, marked goods whose names the register
    // would hold alike (RegisterNameCollisions) are listed first and the
    // operator chooses to go on or to stop; a stop sends nothing.
    void aExpoTowarExecute(std::vector<std::string>& marked, ExportChoice choice);

    // --- Deletion and the register's goods list ------------------------------------
    // Deletes the selected register codes (in list order), one KTowar call
    // each, stopping at the first error; `selected` keeps the failed code and
    // those not yet deleted.
    void aKasujTowarExecute(std::vector<std::int64_t>& selected);
    // Deletes every good in the register (KTowMax).
    void aKasujWszystkieTowaryExecute();
    // Reads the register's goods list (TowarMax) and returns its lines for
    // "Wykaz towarów w kasie"; nullopt when the read failed (the text area
    // stays as it is). A successful read also refreshes the code table.
    std::optional<std::vector<std::string>> WczytajTowary();

    // --- Sales read and counter reset ------------------------------------------------
    // "Odczyt": reads the sales totals (aOtSpMaxExecute) and, when that
    // succeeded, converts them into a sales-read file (ConvertSalesRead).
    void ElzabSprz();
    // Reads the sales totals into kasaDir + "OTSpMax.out".
    void aOtSpMaxExecute();
    // Writes the sales-read file for the library output at `outputPath`.
    // The file is written under a temporary name and takes its real name
    // only when complete; a failure removes it. True when written.
    bool ConvertSalesRead(const std::string& outputPath);
    // The sales-read file the last successful conversion wrote.
    const std::string& LastSalesReadFile() const { return lastSalesReadFile_; }
    // Reads the receipt lines into kasaDir + "OSprzed.out".
    void aOSprzedExecute();
    // "Zerowanie liczników sprzedaży": OSprzed, then, only when it succeeded
    // and left its output, KSprOp.
    void aZerujLicznikiExecute();
    // The end of day's counter reset: OSprzed, then `approve` with the path
    // of its output (the receipt lines the register holds now), and KSprOp
    // only when `approve` answers true. True when the counters were reset;
    // false when a call failed (reported as every call is), the output is
    // missing, or `approve` refused. Shows nothing else; the memo is left
    // alone.
    bool ResetCountersAfter(const std::function<bool(const std::string& receiptsPath)>& approve);

    // --- Register codes ----------------------------------------------------------------
    // "Uzupełnienie pola KOD_KASA": gives the goods of the ticked groups
    // (group check list entries: code, blank, name) that lack them a new
    // register code and a short name. Returns the number of goods changed.
    int aInitKodKasaE(const std::vector<std::string>& tickedGroups);

  private:
    enum class Reporting { Log, Transfer, ErrorsOnly };

    // The question before a full-data export whose goods would take the same
    // name in the register; true: go on.
    bool ConfirmNameCollisions(const std::vector<ExportGood>& goods, int letterStandardIndex);

    // Calls the library function with the input (and output) file; sets
    // LastResult and reports by `reporting`. True on result 0.
    bool Invoke(WinIpFunction function, Reporting reporting, const ExportGood* good = nullptr);
    // Reports a failure that kept the library from being called; LastResult
    // becomes kNotCalledResult.
    void Fail(const std::string& message);
    bool SaveInputFile();
    // A library output file; false (reported) when it is missing, unreadable
    // or too large.
    bool ReadOutputFile(const std::string& operation, const std::string& file, std::string& text);
    // Runs a change of the code table; a failure is remembered and reported
    // by ReportCodeTableProblem, never stopping the exchange.
    void UpdateCodeTable(const std::function<void(RegisterCodeTable&)>& change);
    // Writes a batch's changes into the code table; a failure is remembered
    // as UpdateCodeTable remembers one.
    void CommitCodeTable(RegisterCodeBatch& batch);
    void ReportCodeTableProblem();
    void SetCaption(const std::string& caption);
    bool RegisterIsModem() const;

    std::string libraryDirectory_;
    WinIpLibrary library_;
    std::uint8_t lastResult_ = 0;
    bool libraryCalled_ = false;  // the last Invoke reached the library
    std::string inputFilePath_;
    std::string outputFilePath_;
    std::vector<std::string> inputLines_;
    std::vector<std::string> errorDescriptions_;
    ModemSession session_;
    std::string codeTableProblem_;
    std::string lastSalesReadFile_;
};

}  // namespace rubso
