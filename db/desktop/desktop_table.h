#pragma once
// One desktop-database (Paradox) table: the trading program's Maga, Kama,
// RejSprz, RejZak and Asort tables and the register code tables "KodyNN.db".
//
// The table works like a cursor: Locate or First/Next make a record current;
// Append or Edit start a record in a buffer, the Set... calls fill it, Post
// writes it; Delete removes the current record. Nothing is ever posted
// implicitly: Append, Edit, Locate, First, Next and Close discard a record
// that was started and not posted, so a record whose filling failed half-way
// never reaches the file.
//
// Texts are bytes, written as given and read as stored; the table's code page
// (CodePage()) tells callers how to convert them. Column names match without
// regard to letter case.
//
// Error convention of the desktop-table layer (db/desktop/): every operation
// that fails raises DesktopTableError, whose message names the table file and
// the field; the operation has then changed nothing in the file, except when
// the file itself failed (a write error), after which only Close is allowed.
// Locate and Eof answer with bool; no other call reports failure by its
// result.
//
// Writing is refused, and the file left untouched, when the table:
// - was opened read-only;
// - is keyed, or a primary or secondary index file lies beside it ("<name>.PX",
//   "<name>.Xnn", "<name>.Ynn", "<name>.XGn", "<name>.YGn" in any letter case):
//   those indexes would no longer match the data;
// - is in use by the trading program: a lock file "<name>.LCK" (any letter
//   case) lies beside it.
//
// Durability: Post changes the layer's copy of the record's block. Flush()
// hands all held changes to the operating system, so they survive the end of
// this process; call it after each posted record. Sync() also waits until
// the disk has them (fsync). A table guarded by a DesktopJournal keeps its
// changes until the journal's checkpoint or commit instead (see
// desktop_journal.h): a change cut short there is rolled back, never kept in
// part.
//
// Opening a table first rolls back an interrupted change whose journal lies
// in the table's directory (RecoverInterruptedChange).

#include <QDateTime>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "db/desktop/desktop_error.h"
#include "db/desktop/desktop_field.h"
#include "db/desktop/desktop_file.h"
#include "db/desktop/desktop_index.h"

namespace rubso {

enum class DesktopOpenMode { ReadOnly, ReadWrite };

class DesktopTable {
  public:
    DesktopTable();
    // Closes the table; a failure to close is swallowed here (call Close()
    // to see it).
    ~DesktopTable();
    DesktopTable(const DesktopTable&) = delete;
    DesktopTable& operator=(const DesktopTable&) = delete;

    // Creates an empty table file with these fields, in this order, and
    // `codePage` in its header. Raises if the file exists, if a name is empty,
    // longer than 25 bytes or repeated (ignoring case), if an alpha width is
    // not 1 to 255, or if the file cannot be written (a half-made file is
    // removed). The table is not opened.
    static void Create(const std::string& path, const std::vector<DesktopNewField>& fields,
                       int codePage = 1250);

    // Opens the table file, after rolling back an interrupted change of its
    // directory. Raises when that fails, when the file is missing, unreadable,
    // truncated, damaged or password-protected (see DesktopFile::Open;
    // DesktopHeaderMismatch for a header that lags behind its blocks), and,
    // for ReadWrite, when writing is refused (see above) or the file cannot
    // be opened for writing. A table that is open is closed first (and a
    // failure to close it raises). No record is current after opening.
    void Open(const std::string& path, DesktopOpenMode mode);
    // Discards an unposted record, flushes and closes. Raises when the final
    // flush or the close fails; the table is closed in any case. Closing a
    // closed table does nothing.
    void Close();
    bool IsOpen() const { return file_ != nullptr; }
    bool IsReadOnly() const;
    // The file name passed to Open (also after Close).
    const std::string& FileName() const { return path_; }

    // Header facts. All raise when the table is closed.
    int CodePage() const;  // e.g. 1250; 0 when the header has none
    int RecordCount() const;
    const std::vector<DesktopField>& Fields() const;
    bool HasField(std::string_view name) const;
    // Bytes the field takes in a record: the width of an alpha field, so that
    // callers can cut texts to fit. Raises for an unknown field.
    int FieldLength(std::string_view name) const;
    DesktopFieldKind FieldKind(std::string_view name) const;

    // With the option on, a Post of an appended record stores 30.12.1899 (the
    // original program's zero date-time) in every date and timestamp field
    // the record leaves blank, as the original program's tables hold them.
    // Off by default.
    void SetBlankDatesAsZeroDate(bool on) { blankDatesAsZeroDate_ = on; }

    // Makes the first record (in table order) whose listed columns equal the
    // values current, and returns true; returns false and leaves the current
    // record as it was when no record matches. `columns` is a list separated
    // by ";" ("Typm;Magazyn;Asort"), one value per column. Values compare as
    // they would be stored (see desktop_codec::EncodeValue): texts byte for
    // byte and with letter case, an integer matches the same number in a
    // floating field, a null value matches null fields. A text too long for
    // its field matches nothing. Raises for an unknown column, a count of
    // values that differs from the count of columns, or a value the column
    // cannot hold (a text that is not a number for a numeric column).
    // The first Locate over a list of columns reads the whole table once;
    // later ones are hash look-ups.
    bool Locate(std::string_view columns, const std::vector<DesktopValue>& values);

    // Table order: First makes record 0 current (or sets Eof on an empty
    // table), Next the following one; Eof is true after Next leaves the last
    // record.
    void First();
    void Next();
    bool Eof() const { return eof_; }

    // Starts a new record with every field null. Raises on a table that
    // cannot be written.
    void Append();
    // Starts changing the current record. Raises without a current record or
    // on a table that cannot be written.
    void Edit();
    // Drops the record started by Append or Edit.
    void Cancel();
    // Writes the started record: an appended record goes to the end of the
    // table and becomes current; an edited record is rewritten in place.
    // An autoincrement field of an appended record gets the next number.
    // Raises when no record was started.
    void Post();
    // Deletes the current record (an edit in progress is dropped). Afterwards
    // no record is current, and every later record's number has moved up by
    // one. Raises without a current record or while a record is appended.
    void Delete();

    // See "Durability" above. Raise when the system reports a failure; on a
    // read-only table they do nothing.
    void Flush();
    void Sync();

    // Setting a column of the started record. Raise for an unknown column,
    // without a started record, for an autoincrement field, or when the value
    // does not fit the field (a text longer than an alpha field, a number out
    // of range, a kind the field cannot take; see desktop_codec::EncodeValue).
    // A raise leaves the field as it was.
    void SetInteger(std::string_view name, std::int64_t value);
    void SetFloat(std::string_view name, double value);
    void SetText(std::string_view name, std::string_view bytes);
    void SetBoolean(std::string_view name, bool value);
    // Date fields take the date part, time fields the time part; an invalid
    // QDateTime stores null.
    void SetDateTime(std::string_view name, const QDateTime& value);
    void SetNull(std::string_view name);

    // Reading a column of the current record (or of the started one). Null
    // reads as 0, 0.0, "", false or an invalid QDateTime. Raise for an
    // unknown column, without a current record, or when the field's kind
    // cannot be read that way, whatever the record holds: integers and
    // floating values come from number and alpha fields (an alpha field must
    // hold a number), booleans from logical fields, date-times from date,
    // time and timestamp fields; every kind reads as text.
    std::int64_t AsInteger(std::string_view name) const;  // a floating value is truncated
    double AsFloat(std::string_view name) const;
    // Alpha fields: the stored bytes up to the first zero byte; numbers in
    // decimal with "."; dates as dd.MM.yyyy, times as hh:mm:ss.
    std::string AsText(std::string_view name) const;
    bool AsBoolean(std::string_view name) const;
    QDateTime AsDateTime(std::string_view name) const;
    bool IsNull(std::string_view name) const;
    // Every field of the current (or started) record, decoded as stored:
    // null fields as null, kinds the layer does not read as null.
    std::vector<DesktopValue> Values() const;

  private:
    friend class DesktopJournal;

    enum class State { Browse, Appending, Editing };

    [[noreturn]] void Fail(const std::string& detail) const;
    void CheckOpen() const;
    void CheckWritable() const;
    void CheckCanWrite(const std::string& path) const;
    void Discard();
    int FieldIndex(std::string_view name) const;
    const char* RowData() const;

    enum class Reading { Integer, Float, Text, Boolean, DateTime };
    // The field, when its kind can be read that way; raises otherwise.
    const DesktopField& Readable(std::string_view name, Reading reading) const;
    DesktopValue Decode(const DesktopField& field) const;
    void Set(std::string_view name, const DesktopValue& value);
    void LoadCurrent(int recno);
    DesktopKeyIndex& IndexFor(const std::vector<int>& fields);

    std::string path_;
    std::unique_ptr<DesktopFile> file_;
    std::map<std::string, int> fieldByName_;  // lower-case name -> field index
    bool blankDatesAsZeroDate_ = false;

    State state_ = State::Browse;
    int currentRecno_ = -1;
    bool eof_ = false;
    std::string current_;  // bytes of the current record
    std::string buffer_;   // the record started by Append or Edit

    std::map<std::vector<int>, std::unique_ptr<DesktopKeyIndex>> indexes_;
};

// The register code lookup "select <resultColumn> from '<file>' where
// <keyColumn> = <key>": opens `file` read-only, finds the first record whose
// key column equals `key` and returns its result column as text (AsText);
// nullopt when no record matches. Raises when the file cannot be opened or a
// column does not exist.
std::optional<std::string> LookupText(const std::string& file, std::string_view resultColumn,
                                      std::string_view keyColumn, const DesktopValue& key);

}  // namespace rubso
