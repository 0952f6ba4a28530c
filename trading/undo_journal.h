#pragma once
// The notes a transfer keeps so that a failure can put the trading program's
// tables back as they were: the desktop tables have no transactions.
//
// Noted while the journal is active:
// - every Maga or register row removed, with all its values;
// - every stock card before its first change (its Przychody and Rozchody), or
//   that the transfer created it;
// - how many Maga and register rows the transfer appended.
// A transfer removes the earlier rows of its package before it appends its
// own, so once it has appended, every row of the package is its own.

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "db/desktop/desktop_table.h"

namespace rubso {

// The values of the current row, field by field (null fields as null). Kinds
// the layer does not read (blobs, BCD) come back null, and autoincrement
// fields are left for the table to number.
using RowValues = std::vector<DesktopValue>;
RowValues ReadRowValues(const DesktopTable& table);
// Appends a row with these values, posts it and flushes.
void AppendRowValues(DesktopTable& table, const RowValues& values);

class UndoJournal {
  public:
    enum class Table { Maga, Register };

    // Starts noting the changes of one package's transfer; forgets older notes.
    void Begin(std::int32_t package);
    // Stops noting and forgets.
    void End();
    bool Active() const { return active_; }

    void RowRemoved(Table table, RowValues values);
    void RowAppended(Table table);
    // Call before the first change of a stock card; later calls for the same
    // card are ignored.
    void CardTouched(const std::string& magazyn, const std::string& asort, bool created,
                     double przychody, double rozchody);

    // Puts the tables back: removes the rows of the package the transfer
    // appended, re-appends the removed rows, deletes the cards it created and
    // gives the others their old values; then syncs the tables and ends the
    // journal. Raises DesktopTableError when a table refuses (the notes are
    // then forgotten all the same).
    void Undo(DesktopTable& maga, DesktopTable& kama, DesktopTable& registerTable);

  private:
    struct CardBefore {
        bool created = false;
        double przychody = 0;
        double rozchody = 0;
    };

    bool active_ = false;
    std::int32_t package_ = 0;
    std::vector<RowValues> removedMaga_;
    std::vector<RowValues> removedRegister_;
    int appendedMaga_ = 0;
    int appendedRegister_ = 0;
    std::map<std::pair<std::string, std::string>, CardBefore> cards_;
};

}  // namespace rubso
