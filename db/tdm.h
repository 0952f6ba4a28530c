#pragma once
// The data module TDM: the one connection to the shared database, its
// transactions and statement objects, the script buffer ListaScr and the
// runners every other part uses to change data or schema.
//
// Error convention of the database layer (db/): a query or statement that
// fails raises fb::FbError (fb::ConnectionLostError when the server is gone)
// and leaves the report to the caller or the application-wide handler: the
// client classes, Query, CloseQ, RefrQS, EnsureConnection, the catalogue
// probes, the parameter reads and the goods lists. Two kinds of function
// differ on purpose, because their caller goes on after a failure:
// - the runners (RunSQL, RunSQLUnlessDone, RunScr, RunScript) and the schema
//   alterations built on them (schema_probes.h) make changes of which one
//   may fail without ending the pass: they roll back, log the failure, show
//   it (unless quiet; DopiszPole only logs) and return false;
// - BazaConnect is the login's step: it reports a refusal itself (work log
//   and message box) and returns the outcome as ConnectResult, which it also
//   leaves in App().connectResult for the main window.
// A parameter write swallows the failure of its own statement (the old value
// stays). The desktop-table layer (db/desktop/) raises DesktopTableError.
//
// A lost connection (fb::ConnectionLostError) is said in Polish wherever it
// shows; the process-wide data module (SetDM) checks the connection before
// every command (RunCommand's entry check) and connects again when it was
// lost, so the program works on once the server is back.
//
// One thread: the user-interface thread.

#include <QDate>
#include <QDateTime>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "core/app_state.h"
#include "db/fb_client.h"
#include "db/fb_services.h"

namespace rubso {

// A statement object of the data module: its text, its named parameter
// values and the transaction it belongs to, plus the result set while open.
// The statement is prepared on first use after its text changed; parameter
// values survive re-opening until the text changes or ClearParams.
// Refers to the attachment and transaction given at construction, which
// must outlive it. Non-copyable.
class Query {
  public:
    Query(fb::Attachment& attachment, fb::Transaction& transaction);
    Query(const Query&) = delete;
    Query& operator=(const Query&) = delete;

    // Closes the query; clears the parameter values when the text changes.
    void SetSql(std::string sql);
    const std::string& Sql() const { return sql_; }

    void SetParamString(std::string_view name, std::string value);
    void SetParamInt(std::string_view name, std::int32_t value);
    void SetParamDouble(std::string_view name, double value);
    void SetParamDate(std::string_view name, const QDate& value);
    void SetParamDateTime(std::string_view name, const QDateTime& value);
    void SetParamNull(std::string_view name);
    void ClearParams();

    // Runs the query and stands on its first row. Starts the transaction
    // when it is not active. Raises fb::FbError.
    void Open();
    // Runs a statement without result rows; returns the rows it changed.
    // Starts the transaction when it is not active. Raises fb::FbError.
    std::int64_t ExecSql();
    // Closes the result set; the transaction stays as it is.
    void Close() noexcept { rows_.Close(); }

    // Open until closed, re-run, or ended with its transaction.
    bool Active() const { return rows_.IsOpen(); }
    // No current row (empty result, past the last row, or closed).
    bool Eof() const { return rows_.Eof(); }
    bool Next() { return rows_.Next(); }
    // The current row; read columns by name ("JEST", case-insensitive).
    const fb::ResultSet& Row() const { return rows_; }

    fb::Transaction& Transaction() const { return *transaction_; }

  private:
    using ParamValue =
        std::variant<std::monostate, std::string, std::int32_t, double, QDate, QDateTime>;
    void SetParam(std::string_view name, ParamValue value);
    void PrepareAndBind();

    fb::Transaction* transaction_;
    fb::Statement statement_;
    std::string sql_;
    bool prepared_ = false;  // statement_ holds sql_
    std::vector<std::pair<std::string, ParamValue>> params_;
    fb::ResultSet rows_;
};

// The script executor of RunScript: runs a chunk statement by statement (see
// SplitScript). A definition runs in a transaction of its own that is
// committed as soon as it has run, so it stays even when a later statement
// of the chunk fails; a data change runs in the chunk's transaction, which
// the caller commits or rolls back.
class ScriptExecutor {
  public:
    ScriptExecutor(fb::Attachment& attachment, fb::Transaction& transaction);
    ScriptExecutor(const ScriptExecutor&) = delete;
    ScriptExecutor& operator=(const ScriptExecutor&) = delete;

    // Raises fb::FbError at the first failing statement; definitions that
    // ran before it are committed, data changes are left to the caller.
    void Execute(std::string_view chunk);

    fb::Transaction& Transaction() const { return *transaction_; }

  private:
    fb::Attachment* attachment_;
    fb::Transaction* transaction_;
    fb::Transaction definitions_;
};

class TDM {
  public:
    TDM();
    ~TDM();
    TDM(const TDM&) = delete;
    TDM& operator=(const TDM&) = delete;

    // Checks the credentials with the server's user-management service,
    // connects with App().dbPath, dbUser, dbPassword and, for "SYSDBA",
    // makes sure the role ADMINISTRATOR and the user KASJER exist and
    // grants the role. Reports a refusal itself (work log and message box)
    // and returns the outcome, which it also leaves in App().connectResult
    // for the login and the main window. An earlier connection is closed
    // first.
    ConnectResult BazaConnect();

    // One statement in its own transaction on IBTSQL; true when executed and
    // committed. On failure: logs statement + CR LF + message, shows the
    // message, rolls back.
    bool RunSQL(const std::string& statement);

    // RunSQL for a change that another workstation may make at the same time
    // (a role, a grant): when the statement fails and `done` then answers
    // true, the change is in place and nothing is reported; true. A failure
    // from a collision with another transaction is tried again (three tries
    // in all). Otherwise the failure is reported as RunSQL reports it (only
    // logged when `quiet`); false.
    bool RunSQLUnlessDone(const std::string& statement, const std::function<bool()>& done,
                          bool quiet = false);

    // The entry check of every command: nothing while the connection is
    // there (one round trip to the server asks); when it is gone, lets go of
    // it and connects again with the login's values and role, logging both.
    // Raises fb::ConnectionLostError when the server cannot be reached yet,
    // so the command does not run; the next command tries again. Does
    // nothing before the login has connected.
    void EnsureConnection();
    // True between a lost connection noticed by EnsureConnection and the
    // reconnection.
    bool ConnectionLost() const { return connectionLost_; }

    // ListaScr line by line in one transaction on IBTRun: a line ending in
    // ";" (after a trailing "#" is dropped) is one statement; any other line
    // is joined with the next line as stored. The first failure undoes the
    // whole run.
    bool RunScr(const std::string& label, bool quiet);

    // ListaScr as chunks separated by lines holding "#", each run by
    // IBScript in its own transaction on IBTrans. A failing chunk is rolled
    // back and reported; later chunks still run; false when any failed.
    bool RunScript(const std::string& label, bool quiet);

    void ClearListaScr() { ListaScr.clear(); }

    // Closes the query, then CloseTran.
    void CloseQ(Query& query);
    // Commits the query's transaction when active (which closes every query
    // open on it).
    void CloseTran(Query& query);
    // Re-runs the query and moves to the first row whose `field`, as text,
    // begins with `key` (case-sensitive); an empty key is taken from the
    // current row first. Without a match the query stands on its first row.
    void RefrQS(Query& query, const std::string& field, std::string key);
    // The same with an integer key; -1 takes it from the current row. The
    // key is matched as its decimal text, like a text key.
    void RefrQI(Query& query, const std::string& field, int key);

    // The shared script buffer; RunScr and RunScript never clear it.
    std::vector<std::string> ListaScr;

    fb::Attachment IBBaza;
    fb::ServiceManager IBSecurityService;

    fb::Transaction IBTdm;
    fb::Transaction IBTSQL;
    fb::Transaction IBTRun;
    fb::Transaction IBTrans;
    fb::Transaction IBTProc;
    fb::Transaction IBTTowary;
    fb::Transaction IBTWK;

    Query IBQdm;              // probes, parameter store, the role probe (IBTdm)
    Query IBSQL;              // RunSQL (IBTSQL)
    Query IBQRun;             // RunScr, DopiszPole (IBTRun)
    ScriptExecutor IBScript;  // RunScript (IBTrans)
    Query IBQ;                // other parts (IBTrans)
    Query IBProc;             // stored-procedure calls (IBTProc)
    Query IBQTowary;          // goods catalogue (IBTTowary)
    Query IBQWK;              // register list of the main window (IBTWK)

  private:
    void SetUpAdministrator();
    bool AdministratorRoleExists();
    bool CashierHasTheRole();

    // What the last successful BazaConnect attached with, for reconnecting.
    struct ConnectionParams {
        std::string database;
        std::string user;
        std::string password;
        std::string role;
    };
    ConnectionParams connected_;
    bool connectionLost_ = false;
};

// The process-wide data module, set by the program's main block. DM() raises
// std::logic_error while none is set. The caller keeps ownership and resets
// it (nullptr) before the module dies. Setting it makes its EnsureConnection
// the entry check of every command (command_guard.h); nullptr removes it.
void SetDM(TDM* dm);
TDM& DM();

// The administrator's user name: its login sets up the role and the cashier
// and checks the schema.
inline constexpr const char kAdministratorUser[] = "SYSDBA";

// The initial password given to KASJER when the SYSDBA login creates it.
std::string KasjerInitialPassword();

}  // namespace rubso
