#pragma once
// The thin Firebird client layer: one attachment, independent transactions on
// it, prepared statements with named parameters and forward-only result sets.
// Everything above (TDM, its runners, the parameter store) is built on these
// classes; no Firebird header leaks out of this file.
//
// Error convention: every failure of the server, the client library or a
// misuse of these classes (unknown column, fetch from a closed result set,
// statement not prepared, ...) raises FbError. Destructors never raise.
//
// Texts are bytes: the attachment is made without a connection character
// set, so a text column arrives exactly as the trading program stored it
// (Windows-1250 in practice) and a text parameter is stored unchanged.
//
// Lifetimes: Transaction and Statement refer to their Attachment and must
// not outlive it in use (after the Attachment is destroyed they only raise
// FbError). Detach ends everything that depends on the attachment: active
// transactions are rolled back, prepared statements are freed, open result
// sets are closed. A ResultSet depends on its Statement and Transaction and
// is closed when either ends it (re-open, re-prepare, commit, rollback,
// destruction). All classes are for one thread.

#include <QDate>
#include <QDateTime>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "core/command_guard.h"

namespace Firebird {
class IAttachment;
class IMessageMetadata;
class IResultSet;
class IStatement;
class IStatus;
class ITransaction;
}  // namespace Firebird

namespace rubso::fb {

// A failure reported by the server or the client library, or a misuse of
// this layer. what() is the server's text as IUtil::formatStatus renders it
// (lines separated by LF), e.g. "Your user name and password are not
// defined. Ask your database administrator to set up a Firebird login.",
// except for a lost connection (ConnectionLostError). Errors raised by this
// layer itself carry codes 0.
class FbError : public std::runtime_error {
  public:
    explicit FbError(const std::string& message, int sqlCode = 0, std::intptr_t gdsCode = 0,
                     std::string sqlState = {}, std::vector<std::intptr_t> gdsCodes = {});

    int SqlCode() const { return sqlCode_; }                   // legacy SQLCODE, e.g. -902
    std::intptr_t GdsCode() const { return gdsCode_; }         // first isc_* code of the status
    const std::string& SqlState() const { return sqlState_; }  // 5 characters or empty
    // Every isc_* code of the status, the first one included.
    const std::vector<std::intptr_t>& GdsCodes() const { return gdsCodes_; }
    bool HasCode(std::intptr_t code) const;
    // The server's text, also where what() says something else.
    virtual std::string ServerText() const { return what(); }
    // True for ConnectionLostError.
    virtual bool ConnectionLost() const { return false; }
    // True when another transaction holds what this one waited for (a lock
    // timeout, a lock or update conflict, a deadlock).
    bool LockConflict() const;

  private:
    int sqlCode_;
    std::intptr_t gdsCode_;
    std::string sqlState_;
    std::vector<std::intptr_t> gdsCodes_;
};

// The connection to the database is gone: the server was stopped or killed,
// the network broke, or the attachment was shut down on the server. Raised
// by every call through an attachment that was connected (never by Attach,
// whose refusals keep the server's text). what() is the operator's Polish
// text (Windows-1250, ConnectionLostMessage); ServerText() the server's.
// Carries ConnectionLostMark, so the application-wide handler, which knows
// no database, can tell it from other failures.
class ConnectionLostError : public FbError, public ConnectionLostMark {
  public:
    ConnectionLostError(std::string serverText, int sqlCode = 0, std::intptr_t gdsCode = 0,
                        std::string sqlState = {}, std::vector<std::intptr_t> gdsCodes = {});
    std::string ServerText() const override { return serverText_; }
    bool ConnectionLost() const override { return true; }

  private:
    std::string serverText_;
};

// "Utracono połączenie z bazą danych. ..." in Windows-1250.
std::string ConnectionLostMessage();

// True when the codes of a status say the connection is gone (network read
// or write errors, a lost or shut-down attachment, a server shutting down).
bool IsConnectionLostStatus(const std::vector<std::intptr_t>& gdsCodes);

// The zero date and date/time: what AsDate/AsDateTime give for NULL. It is
// 30.12.1899 00:00, the day numbered 0 in the trading program's date/time
// type, so it shows as "30.12.1899" the way that program shows empty dates.
QDate ZeroDate();
QDateTime ZeroDateTime();

// Creates a database: `database` is the whole connection string
// ("host/port:path" or "host:path"), the default character set of its texts
// is `charset` ("WIN1250" for this system), SQL dialect 3. Raises FbError
// when the server refuses (file exists, no write access, wrong password).
void CreateDatabase(const std::string& database, const std::string& user,
                    const std::string& password, const std::string& charset = "WIN1250");

// Drops a database (its file is removed by the server). Raises FbError when
// it cannot be attached or is in use by another attachment.
void DropDatabase(const std::string& database, const std::string& user,
                  const std::string& password);

class Transaction;
class Statement;
class ResultSet;
namespace detail {
struct Cursor;
struct InputMessage;
struct OutputLayout;
struct ParamValue;
}  // namespace detail

// One attachment to a database. Non-copyable, non-movable (transactions and
// statements point at it).
class Attachment {
  public:
    Attachment();
    ~Attachment();  // detaches; errors are swallowed
    Attachment(const Attachment&) = delete;
    Attachment& operator=(const Attachment&) = delete;

    // Attaches with SQL dialect 3 and no connection character set. `database`
    // is the whole connection string ("127.0.0.1/3055:/data/x.fdb"); `role`
    // "" requests no SQL role. A role that does not exist is not an error for
    // the server: the attachment succeeds and CURRENT_ROLE is NONE. Raises
    // FbError with the server's text (wrong password, missing file,
    // unreachable server: the connect attempt gives up after about 10 s at
    // the most); raises when already attached.
    void Attach(const std::string& database, const std::string& user, const std::string& password,
                const std::string& role = {});

    // Rolls back active transactions, frees prepared statements, closes
    // result sets, then detaches. Never raises: a connection the server has
    // already cut is released all the same. Does nothing when not attached.
    void Detach() noexcept;

    // True between a successful Attach and Detach. It does not ask the
    // server: a connection cut by the server stays "connected" until Detach,
    // and every call through it raises FbError with the server's text.
    bool IsConnected() const { return handle_ != nullptr; }

    const std::string& Database() const { return database_; }

    // One round trip to the server. Raises ConnectionLostError when the
    // connection is gone, FbError when not attached.
    void Ping();

    // Runs one statement without parameters or result rows in a transaction
    // of its own that is committed at once (rolled back on failure).
    void ExecuteImmediate(std::string_view sql);

  private:
    friend class Transaction;
    friend class Statement;
    friend struct detail::Cursor;

    Firebird::IAttachment* handle_ = nullptr;
    std::string database_;
    std::vector<Transaction*> transactions_;
    std::vector<Statement*> statements_;
};

// A server transaction on an attachment, started with the server's default
// parameters (no transaction parameter block: SNAPSHOT, WAIT, read-write).
// Several of them may live on one attachment and each is committed or rolled
// back on its own. Non-copyable, non-movable.
//
// Note: the default WAIT mode blocks on a row locked by another transaction
// until that transaction ends (or the server's lock timeout passes).
//
// TransactionOptions ask for something else than the defaults: READ
// COMMITTED (each statement sees what others committed before it) and
// tables reserved for protected write at the start, so that no other
// transaction writes to them until this one ends; a second transaction
// reserving one of them waits at its start (up to `lockTimeoutSeconds`, 0:
// as long as it takes), which makes the reservation a lock between
// workstations.
struct TransactionOptions {
    bool readCommitted = false;
    std::vector<std::string> protectedWrite;  // table names
    int lockTimeoutSeconds = 0;
};

class Transaction {
  public:
    explicit Transaction(Attachment& attachment);
    ~Transaction();  // rolls back if active; errors are swallowed
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    // Raises FbError when already active or the attachment is not connected.
    void Start();
    void Start(const TransactionOptions& options);
    // Commit and Rollback first close every result set open in this
    // transaction. Both raise FbError when the transaction is not active or
    // the server fails; after a failed Commit the transaction stays active
    // (roll it back).
    void Commit();
    void Rollback();
    // Rolls back if active; the transaction is inactive afterwards even when
    // the server failed (a cut connection): the error is swallowed.
    void RollbackIfActive() noexcept;
    bool IsActive() const { return handle_ != nullptr; }

    Attachment* Owner() const { return attachment_; }  // null once the attachment is gone

  private:
    friend class Attachment;
    friend class Statement;
    friend struct detail::Cursor;
    void CloseCursors() noexcept;
    void ReleaseHandle() noexcept;

    Attachment* attachment_;
    Firebird::ITransaction* handle_ = nullptr;
    std::vector<detail::Cursor*> cursors_;
};

// A forward-only result set, as returned by Statement::Open. Movable, not
// copyable.
//
// Positioning follows the data-module convention: after Open the result set
// stands on the first row (Eof() is true at once when there is none); Next()
// moves to the following row. A loop reads:
//     for (auto rs = st.Open(tr); !rs.Eof(); rs.Next()) { ... rs.AsString("NAZWA") ... }
//
// Columns are addressed by 0-based index or by name (the column's alias, as
// the server reports it; compared without regard to letter case). An unknown
// name or index raises FbError naming it. Values are decoded on demand from
// the fetched row; reading a column of a row that is not there (Eof, closed)
// raises FbError.
//
// NULL reads as the type's empty value: "" , 0, 0.0, ZeroDate()/ZeroDateTime().
// Conversions between kinds:
// - AsString of a CHAR(n) column gives exactly n bytes: the value padded with
//   trailing blanks (never trimmed here); VARCHAR gives the stored bytes; a
//   text BLOB gives its content. Any other column is formatted as text:
//   integers in decimal; NUMERIC/DECIMAL as an exact decimal with "." and no
//   trailing zeros ("12.5", "12", "-0.05"); floating point by FloatText; DATE
//   as dd.MM.yyyy; TIMESTAMP by DateTimeText; TIME as hh:mm:ss; BOOLEAN as
//   "True"/"False". This is how a column that is INTEGER in one database and
//   CHAR(5) in another is read alike.
// - AsInt64/AsInt: integers as they are; NUMERIC/DECIMAL and floating point
//   rounded half away from zero; texts trimmed and parsed as a whole, a
//   blank text reads as 0 (FbError when parsing fails). AsInt raises FbError
//   when the value does not fit 32 bits.
// - AsDouble: NUMERIC/DECIMAL scaled (NUMERIC(15,2) 12.50 gives 12.5),
//   integers and floating point as numbers (a FLOAT as the shortest decimal
//   that names it: 1.1, not 1.10000002384186), texts parsed ("." separator).
// - AsDate/AsDateTime: DATE and TIMESTAMP (AsDate drops the time, AsDateTime
//   of a DATE is its midnight). The server's timestamps have no time zone;
//   they come back as local-time QDateTime values with the stored date and
//   time (a wall time that falls in the hour skipped by the daylight-saving
//   change is moved by Qt, as for any local QDateTime).
class ResultSet {
  public:
    ResultSet();  // closed, empty
    ~ResultSet();
    ResultSet(ResultSet&& other) noexcept;
    ResultSet& operator=(ResultSet&& other) noexcept;
    ResultSet(const ResultSet&) = delete;
    ResultSet& operator=(const ResultSet&) = delete;

    // False once closed: by Close, by the end of its transaction, by the
    // statement's next Open/Prepare, or by Detach. Reaching Eof does not
    // close it.
    bool IsOpen() const;
    // True when there is no current row (past the last row, or closed).
    bool Eof() const;
    // Moves to the next row; false when there is none (Eof). Raises FbError
    // on a closed result set or when the server fails.
    bool Next();
    // Closes the cursor on the server; never raises.
    void Close() noexcept;

    int ColumnCount() const;
    std::string ColumnName(int index) const;  // the alias, as the server reports it
    // Index of the named column; -1 when there is none / raises FbError.
    int FindColumn(std::string_view name) const;
    int ColumnIndex(std::string_view name) const;

    bool IsNull(int index) const;
    std::string AsString(int index) const;
    std::int32_t AsInt(int index) const;
    std::int64_t AsInt64(int index) const;
    double AsDouble(int index) const;
    QDate AsDate(int index) const;
    QDateTime AsDateTime(int index) const;

    bool IsNull(std::string_view name) const { return IsNull(ColumnIndex(name)); }
    std::string AsString(std::string_view name) const { return AsString(ColumnIndex(name)); }
    std::int32_t AsInt(std::string_view name) const { return AsInt(ColumnIndex(name)); }
    std::int64_t AsInt64(std::string_view name) const { return AsInt64(ColumnIndex(name)); }
    double AsDouble(std::string_view name) const { return AsDouble(ColumnIndex(name)); }
    QDate AsDate(std::string_view name) const { return AsDate(ColumnIndex(name)); }
    QDateTime AsDateTime(std::string_view name) const { return AsDateTime(ColumnIndex(name)); }

  private:
    friend class Statement;
    explicit ResultSet(std::unique_ptr<detail::Cursor> cursor);
    const detail::Cursor& Row(int index) const;  // checks the row and the index

    std::unique_ptr<detail::Cursor> cursor_;
};

// A prepared statement. Parameters are written as ":name" (any identifier
// after ":"; the same name may appear several times and names are compared
// without regard to letter case); they are sent to the server as "?" markers,
// never spliced into the text. Quoted texts ('...', "...") and comments
// (-- ..., /* ... */) are left alone, and a statement that defines a
// procedure, trigger, function or package, or is an EXECUTE BLOCK, is sent
// unchanged (its ":" belong to PSQL). Plain "?" markers are not supported.
//
// A statement is prepared once and may be executed or opened in any active
// transaction of its attachment, any number of times. Parameter values stay
// set between executions; a parameter never set (or after ClearParams) is
// NULL. Non-copyable, non-movable.
class Statement {
  public:
    explicit Statement(Attachment& attachment);
    Statement(Attachment& attachment, std::string_view sql);  // and Prepare(sql)
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    // Prepares `sql` (closing the result set of an earlier preparation and
    // clearing the parameter values). The preparation runs in a short
    // transaction of its own. Raises FbError with the server's text for a
    // syntax error or an unknown table/column.
    void Prepare(std::string_view sql);
    bool IsPrepared() const { return handle_ != nullptr; }
    const std::string& Sql() const { return sql_; }              // as given
    const std::string& ServerSql() const { return serverSql_; }  // as sent, with "?"
    // Distinct parameter names in order of first appearance, as written.
    const std::vector<std::string>& ParamNames() const { return paramNames_; }

    // Setters by parameter name; an unknown name raises FbError. The value is
    // sent with its own type and converted by the server to the column's
    // (so SetString on an INTEGER parameter works when the text is a number).
    void SetString(std::string_view name, std::string_view bytes);
    void SetInt(std::string_view name, std::int32_t value);
    void SetInt64(std::string_view name, std::int64_t value);
    void SetDouble(std::string_view name, double value);
    void SetDate(std::string_view name, const QDate& value);          // invalid date: NULL
    void SetDateTime(std::string_view name, const QDateTime& value);  // invalid: NULL
    void SetNull(std::string_view name);
    void ClearParams();  // every parameter NULL

    // Runs the statement in `transaction` (which must be active and belong to
    // the same attachment). Returns the number of rows inserted, updated or
    // deleted (0 for other statements). A SELECT is run and its rows are
    // discarded. Raises FbError on failure; the transaction stays active.
    std::int64_t Execute(Transaction& transaction);

    // Runs the statement and returns its rows. A SELECT opens a cursor; a
    // statement with output values but no cursor (EXECUTE PROCEDURE,
    // INSERT ... RETURNING) gives a result set of its one row; any other
    // statement gives an empty one. Any result set still open from this
    // statement is closed first.
    ResultSet Open(Transaction& transaction);

  private:
    friend class Attachment;
    friend struct detail::Cursor;
    void Unprepare() noexcept;
    void CloseCursor() noexcept;
    std::size_t ParamIndex(std::string_view name) const;
    detail::ParamValue& Value(std::string_view name);
    void PrepareInput();
    Firebird::ITransaction* CheckTransaction(Transaction& transaction) const;

    Attachment* attachment_;
    Firebird::IStatement* handle_ = nullptr;
    std::string sql_;
    std::string serverSql_;
    std::vector<std::string> paramNames_;
    std::vector<std::size_t> markerParams_;  // for each "?" marker: index into paramNames_
    std::unique_ptr<detail::InputMessage> input_;
    std::shared_ptr<const detail::OutputLayout> output_;
    bool hasCursor_ = false;
    detail::Cursor* cursor_ = nullptr;  // the open result set, if any
};

}  // namespace rubso::fb
