#pragma once
// The register code table "KodyNN.db" kept as the mirror of what the
// register holds: the export writes a row after each good the register took
// (ZTowar) and updates its price after a price change (ZCTowar); the
// deletions remove rows (KTowar) or all of them (KTowMax); reading the
// register's goods list replaces the whole table with that list. The
// deletion page lists it, and the sales read with bar codes finds a code's
// bar code in it.
//
// Each call opens the table, does its work and closes it, creating the file
// when it is missing. Names are kept in the screen's code page
// (Windows-1250). Errors raise DesktopTableError.
//
// Batches: an export or a deletion notes its changes in a RegisterCodeBatch
// as the register takes each good, and writes them into the table together
// at its end. Until then each change waits, one line each, in the table's
// journal of pending changes (the table's path + ".pending"), so that a
// batch cut short (the program killed half-way) loses none of what the
// register received: every use of the table (each call below, the next
// batch, ApplyPendingCodeTableChanges) writes a journal it finds first. The
// table is written as a copy renamed over it, so it always holds either all
// of a batch's changes or none.

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "db/goods_catalogue.h"

namespace rubso {

struct RegisterCodeRow {
    std::int64_t kod = 0;
    std::string nazwa;  // as the register shows it, trailing blanks dropped
    double cena = 0.0;  // zloty
    std::string inne;
    std::string kodEan;  // the bar code; empty when the good has none
    bool operator==(const RegisterCodeRow&) const = default;
};

class RegisterCodeTable {
  public:
    explicit RegisterCodeTable(std::string path) : path_(std::move(path)) {}

    const std::string& Path() const { return path_; }

    // Adds the row, or replaces the row with the same code.
    void Put(const RegisterCodeRow& row);
    // Sets the price of the row with that code; adds `row` whole when the
    // table has none.
    void PutPrice(const RegisterCodeRow& row);
    // Removes the row with that code; nothing when there is none.
    void Remove(std::int64_t kod);
    void Clear();
    // Makes the table hold exactly `rows`. A row keeps its stored bar code
    // when that code, zero-padded to 13 digits, is the listed one (the
    // register lists bar codes padded); a listed code of zeros only is none.
    void Replace(const std::vector<RegisterCodeRow>& rows);
    // Every row, in code order.
    std::vector<RegisterCodeRow> Rows() const;

  private:
    std::string path_;
};

// One change of the table, as a batch notes it.
struct RegisterCodeChange {
    enum class Kind { Put, Price, Remove };
    Kind kind = Kind::Put;
    RegisterCodeRow row;  // only its code for Remove
};

// The changes of one batch. Noting a change never raises: a journal that
// cannot be written is remembered (Problem()) and the change is still
// written by Commit.
class RegisterCodeBatch {
  public:
    explicit RegisterCodeBatch(std::string tablePath);
    // Commits what was noted and not committed; a failure is swallowed and
    // the changes wait in the journal for the next use of the table.
    ~RegisterCodeBatch();
    RegisterCodeBatch(const RegisterCodeBatch&) = delete;
    RegisterCodeBatch& operator=(const RegisterCodeBatch&) = delete;

    // As RegisterCodeTable's Put, PutPrice and Remove, noted for Commit.
    void Put(const RegisterCodeRow& row);
    void PutPrice(const RegisterCodeRow& row);
    void Remove(std::int64_t kod);
    // Writes the noted changes (after any left pending by an earlier batch)
    // into the table with one pass and one flush, then drops the journal.
    // Raises DesktopTableError; the changes then stay in the journal.
    void Commit();
    // Why the journal could not be written; empty when it could.
    const std::string& Problem() const { return problem_; }

  private:
    void Note(const RegisterCodeChange& change);

    std::string path_;
    std::vector<RegisterCodeChange> changes_;
    std::FILE* journal_ = nullptr;
    bool journalOpened_ = false;
    std::string problem_;
};

// Writes changes a batch cut short left in the table's journal, if any.
// Raises DesktopTableError; the journal then stays.
void ApplyPendingCodeTableChanges(const std::string& tablePath);

// The rows of the register's goods list (the output of TowarMax): three
// header lines, then "$" + code, name, VAT group, unit, price in grosze and
// bar code, TAB-separated. Names are converted from code page 852 to the
// screen's when `letterStandardIndex` is not 0 (the export converted them the
// other way). Blank lines are skipped. nullopt, with `problem` naming the
// line, when a line has too few fields, a code that is not "$" + digits or a
// price that is not a whole number.
std::optional<std::vector<RegisterCodeRow>> ParseRegisterGoodsList(
    const std::vector<std::string>& lines, int letterStandardIndex, std::string& problem);

// The register's view of a good just sent: code as sent, name as sent
// (converted back to the screen's code page, trailing blanks dropped), price
// in zloty as sent, the good's bar code.
RegisterCodeRow SentGoodRow(const ExportGood& good, int letterStandardIndex);

}  // namespace rubso
