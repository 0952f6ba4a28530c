#include "db/tdm.h"

#include <stdexcept>

#include "core/app_state.h"
#include "core/codepage.h"
#include "core/command_guard.h"
#include "core/operator.h"
#include "core/text_utils.h"
#include "core/work_log.h"
#include "db/script_splitter.h"

namespace rubso {
namespace {

constexpr const char* kAdministratorRole = "ADMINISTRATOR";
constexpr const char* kCashierUser = "KASJER";
// KASJER's first password, kept in capitals and lower-cased when used so the
// plain password does not appear in the binary as is.
constexpr const char* kCashierPasswordStored = "SPRZED";

constexpr const char* kCrLf = "\r\n";

TDM* g_dm = nullptr;

// A server message as the work log and the message box take it: every LF
// becomes CR LF.
std::string WithCrLf(std::string_view message) {
    return ReplaceAll(message, "\n", kCrLf);
}

// The same after CR LF pairs are first folded to LF, so a message that
// already has CR LF breaks does not get doubled CRs.
std::string WithNormalisedBreaks(std::string_view message) {
    return WithCrLf(ReplaceAll(message, kCrLf, "\n"));
}

// Moves `query`, freshly opened, to the first row whose `field` begins with
// `key`; re-runs it to stand on the first row when none does.
void LocatePrefix(Query& query, const std::string& field, const std::string& key) {
    for (; !query.Eof(); query.Next()) {
        if (StartsWith(query.Row().AsString(field), key)) return;
    }
    query.Open();
}

}  // namespace

// --- Query -----------------------------------------------------------------

Query::Query(fb::Attachment& attachment, fb::Transaction& transaction)
    : transaction_(&transaction), statement_(attachment) {}

void Query::SetSql(std::string sql) {
    Close();
    if (sql == sql_) return;
    sql_ = std::move(sql);
    params_.clear();
}

void Query::SetParam(std::string_view name, ParamValue value) {
    for (auto& [existing, stored] : params_) {
        if (SameTextIgnoringCase(existing, name)) {
            stored = std::move(value);
            return;
        }
    }
    params_.emplace_back(std::string(name), std::move(value));
}

void Query::SetParamString(std::string_view name, std::string value) {
    SetParam(name, std::move(value));
}
void Query::SetParamInt(std::string_view name, std::int32_t value) {
    SetParam(name, value);
}
void Query::SetParamDouble(std::string_view name, double value) {
    SetParam(name, value);
}
void Query::SetParamDate(std::string_view name, const QDate& value) {
    SetParam(name, value);
}
void Query::SetParamDateTime(std::string_view name, const QDateTime& value) {
    SetParam(name, value);
}
void Query::SetParamNull(std::string_view name) {
    SetParam(name, std::monostate{});
}
void Query::ClearParams() {
    params_.clear();
}

void Query::PrepareAndBind() {
    // A detach frees the preparation, so the statement itself is asked.
    if (!statement_.IsPrepared() || statement_.Sql() != sql_) statement_.Prepare(sql_);
    statement_.ClearParams();
    for (const auto& [name, value] : params_) {
        std::visit(
            [&, &paramName = name](const auto& v) {
                using T = std::decay_t<decltype(v)>;
                if constexpr (std::is_same_v<T, std::monostate>) {
                    statement_.SetNull(paramName);
                } else if constexpr (std::is_same_v<T, std::string>) {
                    statement_.SetString(paramName, v);
                } else if constexpr (std::is_same_v<T, std::int32_t>) {
                    statement_.SetInt(paramName, v);
                } else if constexpr (std::is_same_v<T, double>) {
                    statement_.SetDouble(paramName, v);
                } else if constexpr (std::is_same_v<T, QDate>) {
                    statement_.SetDate(paramName, v);
                } else {
                    statement_.SetDateTime(paramName, v);
                }
            },
            value);
    }
}

void Query::Open() {
    rows_.Close();
    if (!transaction_->IsActive()) transaction_->Start();
    PrepareAndBind();
    rows_ = statement_.Open(*transaction_);
}

std::int64_t Query::ExecSql() {
    rows_.Close();
    if (!transaction_->IsActive()) transaction_->Start();
    PrepareAndBind();
    return statement_.Execute(*transaction_);
}

// --- ScriptExecutor --------------------------------------------------------

ScriptExecutor::ScriptExecutor(fb::Attachment& attachment, fb::Transaction& transaction)
    : attachment_(&attachment), transaction_(&transaction), definitions_(attachment) {}

void ScriptExecutor::Execute(std::string_view chunk) {
    for (const ScriptStatement& s : SplitScript(chunk)) {
        fb::Statement statement(*attachment_);
        if (s.kind == StatementKind::Definition) {
            try {
                definitions_.RollbackIfActive();
                definitions_.Start();
                statement.Prepare(s.text);
                statement.Execute(definitions_);
                definitions_.Commit();
            } catch (...) {
                definitions_.RollbackIfActive();
                throw;
            }
        } else {
            if (!transaction_->IsActive()) transaction_->Start();
            statement.Prepare(s.text);
            statement.Execute(*transaction_);
        }
    }
}

// --- TDM -------------------------------------------------------------------

TDM::TDM()
    : IBTdm(IBBaza),
      IBTSQL(IBBaza),
      IBTRun(IBBaza),
      IBTrans(IBBaza),
      IBTProc(IBBaza),
      IBTTowary(IBBaza),
      IBTWK(IBBaza),
      IBQdm(IBBaza, IBTdm),
      IBSQL(IBBaza, IBTSQL),
      IBQRun(IBBaza, IBTRun),
      IBScript(IBBaza, IBTrans),
      IBQ(IBBaza, IBTrans),
      IBProc(IBBaza, IBTProc),
      IBQTowary(IBBaza, IBTTowary),
      IBQWK(IBBaza, IBTWK) {}

TDM::~TDM() {
    if (g_dm == this) SetDM(nullptr);
}

ConnectResult TDM::BazaConnect() {
    AppState& app = App();
    app.connectResult = ConnectResult::NotFinished;
    connectionLost_ = false;
    const bool administrator = app.dbUser == kAdministratorUser;
    const std::string role = administrator ? std::string() : std::string(kAdministratorRole);

    // Credential check through the user-management service.
    IBSecurityService.Detach();
    const std::string server = fb::ServiceServerName(app.dbPath);
    app.connectResult = ConnectResult::CredentialsRefused;
    try {
        IBSecurityService.Attach(server, app.dbUser, app.dbPassword);
        IBSecurityService.Detach();
        app.connectResult = ConnectResult::Connected;
    } catch (const std::exception&) {
        IBSecurityService.Detach();
        const std::string message = Cp1250("Błędna nazwa użytkownika lub hasło");
        WriteWorkLog(message);
        ShowErrorMessage(message);
        return app.connectResult;
    }

    // The connection itself.
    IBBaza.Detach();
    app.connectResult = ConnectResult::ConnectionRefused;
    try {
        IBBaza.Attach(app.dbPath, app.dbUser, app.dbPassword, role);
        app.connectResult = ConnectResult::Connected;
        connected_ = {app.dbPath, app.dbUser, app.dbPassword, role};
    } catch (const fb::FbError& e) {
        const std::string message = WithCrLf(e.what());
        WriteWorkLog(message);
        ShowErrorMessage(message);
        return app.connectResult;
    }

    if (!administrator) return app.connectResult;
    try {
        SetUpAdministrator();
    } catch (const std::exception&) {
        IBSecurityService.Detach();
        app.connectResult = ConnectResult::AdministratorSetupFailed;
    }
    return app.connectResult;
}

// The administrator's setup at every SYSDBA login: the role ADMINISTRATOR and
// the user KASJER are created when missing, and KASJER gets the role again.
// Workstations started together on a new database all do it at once: a role
// or user that another one made meanwhile counts as made.
void TDM::SetUpAdministrator() {
    IBTdm.RollbackIfActive();
    IBQdm.Close();
    if (!AdministratorRoleExists()) {
        RunSQLUnlessDone(std::string("create role ") + kAdministratorRole,
                         [this] { return AdministratorRoleExists(); });
    }

    const AppState& app = App();
    IBSecurityService.Attach(fb::ServiceServerName(app.dbPath), app.dbUser, app.dbPassword);
    fb::ServerUser cashier;
    cashier.name = kCashierUser;
    cashier.firstName = kCashierUser;
    cashier.lastName = kCashierUser;
    fb::EnsureUser(IBSecurityService, cashier, KasjerInitialPassword());
    IBSecurityService.Detach();

    RunSQLUnlessDone(
        std::string("grant ") + kAdministratorRole + " to " + kCashierUser + " with ADMIN option",
        [this] { return CashierHasTheRole(); });
}

bool TDM::AdministratorRoleExists() {
    IBQdm.SetSql(std::string("select count(*) as jest from rdb$roles where rdb$role_name='") +
                 kAdministratorRole + "'");
    IBQdm.Open();
    const bool exists = IBQdm.Row().AsInt("jest") > 0;
    CloseQ(IBQdm);
    return exists;
}

bool TDM::CashierHasTheRole() {
    IBQdm.SetSql(std::string("select count(*) as jest from rdb$user_privileges where rdb$user='") +
                 kCashierUser + "' and rdb$relation_name='" + kAdministratorRole +
                 "' and rdb$privilege='M'");
    IBQdm.Open();
    const bool granted = IBQdm.Row().AsInt("jest") > 0;
    CloseQ(IBQdm);
    return granted;
}

bool TDM::RunSQL(const std::string& statement) {
    IBTSQL.RollbackIfActive();
    try {
        IBTSQL.Start();
        IBSQL.SetSql(statement);
        IBSQL.ExecSql();
        IBTSQL.Commit();
        return true;
    } catch (const fb::FbError& e) {
        const std::string message = WithCrLf(e.what());
        WriteWorkLog(statement + kCrLf + message);
        ShowErrorMessage(message);
        IBTSQL.RollbackIfActive();
        return false;
    }
}

bool TDM::RunSQLUnlessDone(const std::string& statement, const std::function<bool()>& done,
                           bool quiet) {
    // A change of the catalogue that collides with the same change of
    // another workstation fails with an update conflict once that one has
    // committed; a second try then finds the change made (or makes it).
    constexpr int kTries = 3;
    for (int attempt = 1;; ++attempt) {
        IBTSQL.RollbackIfActive();
        try {
            IBTSQL.Start();
            IBSQL.SetSql(statement);
            IBSQL.ExecSql();
            IBTSQL.Commit();
            return true;
        } catch (const fb::FbError& e) {
            IBTSQL.RollbackIfActive();
            if (!e.ConnectionLost()) {
                if (done()) return true;
                if (e.LockConflict() && attempt < kTries) continue;
            }
            const std::string message = WithCrLf(e.what());
            WriteWorkLog(statement + kCrLf + message);
            if (!quiet) ShowErrorMessage(message);
            return false;
        }
    }
}

void TDM::EnsureConnection() {
    if (!connectionLost_) {
        if (!IBBaza.IsConnected()) return;
        try {
            IBBaza.Ping();
            return;
        } catch (const fb::FbError& e) {
            if (!e.ConnectionLost()) throw;
            WriteWorkLog(e.what() + std::string(kCrLf) + WithCrLf(e.ServerText()));
        }
        IBBaza.Detach();
        connectionLost_ = true;
    }
    try {
        IBBaza.Attach(connected_.database, connected_.user, connected_.password, connected_.role);
    } catch (const fb::FbError& e) {
        WriteWorkLog(Cp1250("Nieudana próba ponownego połączenia z bazą danych") + kCrLf +
                     WithCrLf(e.what()));
        throw fb::ConnectionLostError(e.what());
    }
    connectionLost_ = false;
    WriteWorkLog(Cp1250("Przywrócono połączenie z bazą danych"));
}

bool TDM::RunScr(const std::string& label, bool quiet) {
    if (ListaScr.empty()) {
        WriteWorkLog("Pusta listaScr  " + label);
        return true;
    }
    IBTRun.RollbackIfActive();
    try {
        IBTRun.Start();
        std::size_t index = 0;
        while (index < ListaScr.size()) {
            std::string line = Trim(ListaScr[index]);
            if (line.empty()) {
                ++index;
                continue;
            }
            if (EndsWith(line, "#")) line.pop_back();
            if (EndsWith(line, ";")) {
                IBQRun.SetSql(line);
                IBQRun.ExecSql();
                ++index;
            } else {
                // A statement broken over two lines. With no line after it,
                // the line runs alone.
                line = RemoveAll(RemoveAll(line, "\r"), "\n");
                if (index + 1 < ListaScr.size()) line += ListaScr[index + 1];
                IBQRun.SetSql(line);
                IBQRun.ExecSql();  // starts IBTRun again if something ended it
                index += 2;
            }
        }
        IBTRun.Commit();
        return true;
    } catch (const fb::FbError& e) {
        IBTRun.RollbackIfActive();
        const std::string message = kCrLf + label + kCrLf + WithNormalisedBreaks(e.what());
        WriteWorkLog(message);
        if (!quiet) ShowErrorMessage(message);
        return false;
    }
}

bool TDM::RunScript(const std::string& label, bool quiet) {
    if (ListaScr.empty()) {
        WriteWorkLog("Pusta listaScr  " + label);
        return true;
    }
    bool result = true;
    const std::size_t count = ListaScr.size();
    std::size_t next = 0;  // the first line not yet taken
    std::size_t endLine = 0;
    do {
        // A chunk: lines up to the first one holding "#", of which only the
        // text before the "#" belongs to it; or up to the end of the buffer.
        std::string chunk;
        std::string firstLine;
        bool hasText = false;
        auto take = [&](const std::string& line) {
            chunk += line;
            chunk += kCrLf;
            if (!hasText && !IsBlank(line)) {
                hasText = true;
                firstLine = line;
            }
        };
        endLine = count - 1;
        for (std::size_t i = next; i < count; ++i) {
            const std::size_t hash = ListaScr[i].find('#');
            if (hash != std::string::npos) {
                take(ListaScr[i].substr(0, hash));
                endLine = i;
                break;
            }
            take(ListaScr[i]);
        }
        next = endLine + 1;

        if (!hasText) {
            WriteWorkLog("Pusty skrypt " + label);
            break;
        }
        try {
            IBTrans.RollbackIfActive();
            IBTrans.Start();
            IBScript.Execute(chunk);
            IBTrans.Commit();
        } catch (const fb::FbError& e) {
            const std::string message =
                firstLine + kCrLf + label + kCrLf + WithNormalisedBreaks(e.what());
            WriteWorkLog(message);
            if (!quiet) ShowErrorMessage(message);
            IBTrans.RollbackIfActive();
            result = false;
        }
    } while (endLine + 1 < count);
    return result;
}

void TDM::CloseQ(Query& query) {
    query.Close();
    CloseTran(query);
}

void TDM::CloseTran(Query& query) {
    if (query.Transaction().IsActive()) query.Transaction().Commit();
}

void TDM::RefrQS(Query& query, const std::string& field, std::string key) {
    if (key.empty() && query.Active() && !query.Eof()) key = query.Row().AsString(field);
    CloseQ(query);
    query.Open();
    LocatePrefix(query, field, key);
}

void TDM::RefrQI(Query& query, const std::string& field, int key) {
    if (key == -1 && query.Active() && !query.Eof()) key = query.Row().AsInt(field);
    CloseQ(query);
    query.Open();
    LocatePrefix(query, field, std::to_string(key));
}

// --- Process-wide access ---------------------------------------------------

void SetDM(TDM* dm) {
    g_dm = dm;
    if (dm == nullptr) {
        SetCommandEntryCheck(nullptr);
    } else {
        SetCommandEntryCheck([] {
            if (g_dm != nullptr) g_dm->EnsureConnection();
        });
    }
}

TDM& DM() {
    if (g_dm == nullptr) throw std::logic_error("TDM: the data module has not been created");
    return *g_dm;
}

std::string KasjerInitialPassword() {
    return LowerCase(kCashierPasswordStored);
}

}  // namespace rubso
