// Attachments and transactions; the error type and the client library's entry
// points. Statements are in fb_statement.cpp, result sets in fb_result_set.cpp.
#include "db/fb_client.h"

#include <algorithm>
#include <cstdint>

#include "core/codepage.h"
#include "db/fb_internal.h"

namespace rubso::fb {

using detail::Ref;
using detail::Status;

namespace {

// The client gives up connecting to an unreachable server after this many
// seconds (its own default is minutes).
constexpr int kConnectTimeoutSeconds = 10;

template <typename T>
void Unregister(std::vector<T*>& list, T* item) {
    list.erase(std::remove(list.begin(), list.end(), item), list.end());
}

// A parameter block for attaching to or creating a database.
class DatabaseParams {
  public:
    DatabaseParams(const std::string& user, const std::string& password) {
        builder_.reset(
            detail::Util()->getXpbBuilder(&status_, Firebird::IXpbBuilder::DPB, nullptr, 0));
        status_.Check();
        builder_->insertString(&status_, isc_dpb_user_name, user.c_str());
        builder_->insertString(&status_, isc_dpb_password, password.c_str());
        builder_->insertInt(&status_, isc_dpb_sql_dialect, 3);
        builder_->insertInt(&status_, isc_dpb_connect_timeout, kConnectTimeoutSeconds);
        status_.Check();
    }

    void AddString(unsigned char tag, const std::string& value) {
        builder_->insertString(&status_, tag, value.c_str());
        status_.Check();
    }
    unsigned Length() {
        const unsigned length = builder_->getBufferLength(&status_);
        status_.Check();
        return length;
    }
    const unsigned char* Buffer() {
        const unsigned char* buffer = builder_->getBuffer(&status_);
        status_.Check();
        return buffer;
    }

  private:
    Status status_;
    struct Disposer {
        void operator()(Firebird::IXpbBuilder* builder) const { builder->dispose(); }
    };
    std::unique_ptr<Firebird::IXpbBuilder, Disposer> builder_;
};

Firebird::IAttachment* AttachHandle(const std::string& database, DatabaseParams& params) {
    Status status;
    Firebird::IAttachment* handle = detail::Provider()->attachDatabase(
        &status, database.c_str(), params.Length(), params.Buffer());
    status.CheckConnect();
    return handle;
}

}  // namespace

// --- Errors and entry points -------------------------------------------------

FbError::FbError(const std::string& message, int sqlCode, std::intptr_t gdsCode,
                 std::string sqlState, std::vector<std::intptr_t> gdsCodes)
    : std::runtime_error(message),
      sqlCode_(sqlCode),
      gdsCode_(gdsCode),
      sqlState_(std::move(sqlState)),
      gdsCodes_(std::move(gdsCodes)) {}

bool FbError::HasCode(std::intptr_t code) const {
    return std::find(gdsCodes_.begin(), gdsCodes_.end(), code) != gdsCodes_.end();
}

bool FbError::LockConflict() const {
    return HasCode(isc_lock_timeout) || HasCode(isc_lock_conflict) || HasCode(isc_deadlock) ||
           HasCode(isc_update_conflict);
}

ConnectionLostError::ConnectionLostError(std::string serverText, int sqlCode, std::intptr_t gdsCode,
                                         std::string sqlState, std::vector<std::intptr_t> gdsCodes)
    : FbError(ConnectionLostMessage(), sqlCode, gdsCode, std::move(sqlState), std::move(gdsCodes)),
      serverText_(std::move(serverText)) {}

std::string ConnectionLostMessage() {
    return Cp1250(
        "Utracono połączenie z bazą danych. Program połączy się ponownie przy następnym "
        "poleceniu.");
}

bool IsConnectionLostStatus(const std::vector<std::intptr_t>& gdsCodes) {
    static constexpr std::intptr_t kLost[] = {
        isc_network_error, isc_net_read_err,        isc_net_write_err, isc_lost_db_connection,
        isc_conn_lost,     isc_att_shutdown,        isc_shutdown,      isc_shutinprog,
        isc_bad_db_handle, isc_net_server_shutdown,
    };
    for (const std::intptr_t code : gdsCodes) {
        if (std::find(std::begin(kLost), std::end(kLost), code) != std::end(kLost)) return true;
    }
    return false;
}

namespace detail {

Firebird::IMaster* Master() {
    static Firebird::IMaster* const master = Firebird::fb_get_master_interface();
    return master;
}

Firebird::IUtil* Util() {
    static Firebird::IUtil* const util = Master()->getUtilInterface();
    return util;
}

Firebird::IProvider* Provider() {
    // Lives as long as the process: the client library is unloaded at exit.
    static Firebird::IProvider* const provider = Master()->getDispatcher();
    return provider;
}

void Status::Raise() {
    Raise(true);
}

void Status::Raise(bool mayBeLost) {
    char text[4096];
    const unsigned length = Util()->formatStatus(text, sizeof text, raw_);
    std::string message(text, std::min<std::size_t>(length, sizeof text - 1));
    while (!message.empty() && (message.back() == '\n' || message.back() == ' ')) {
        message.pop_back();
    }
    const ISC_STATUS* errors = raw_->getErrors();
    const int sqlCode = static_cast<int>(isc_sqlcode(errors));
    const std::intptr_t gdsCode = errors[0] == isc_arg_gds ? errors[1] : 0;
    std::vector<std::intptr_t> codes;
    for (const ISC_STATUS* p = errors; *p != isc_arg_end;) {
        const ISC_STATUS kind = *p++;
        if (kind == isc_arg_gds) codes.push_back(*p);
        // Every argument is one value, except a counted string: length, text.
        p += kind == isc_arg_cstring ? 2 : 1;
    }
    char state[6] = {};
    fb_sqlstate(state, errors);
    wrapper_.init();
    if (mayBeLost && IsConnectionLostStatus(codes)) {
        throw ConnectionLostError(message, sqlCode, gdsCode, state, std::move(codes));
    }
    throw FbError(message, sqlCode, gdsCode, state, std::move(codes));
}

}  // namespace detail

QDate ZeroDate() {
    return QDate(1899, 12, 30);
}

QDateTime ZeroDateTime() {
    return QDateTime(ZeroDate(), QTime(0, 0));
}

void CreateDatabase(const std::string& database, const std::string& user,
                    const std::string& password, const std::string& charset) {
    DatabaseParams params(user, password);
    params.AddString(isc_dpb_set_db_charset, charset);
    Status status;
    Firebird::IAttachment* handle = detail::Provider()->createDatabase(
        &status, database.c_str(), params.Length(), params.Buffer());
    status.CheckConnect();
    handle->detach(&status);
    if (status.Failed()) handle->release();
}

void DropDatabase(const std::string& database, const std::string& user,
                  const std::string& password) {
    DatabaseParams params(user, password);
    Firebird::IAttachment* handle = AttachHandle(database, params);
    Status status;
    handle->dropDatabase(&status);  // releases the handle when it succeeds
    if (status.Failed()) {
        Status ignored;
        handle->detach(&ignored);
        if (ignored.Failed()) handle->release();
        status.Raise();
    }
}

// --- Attachment -----------------------------------------------------------------

Attachment::Attachment() = default;

Attachment::~Attachment() {
    Detach();
    for (Transaction* transaction : transactions_) transaction->attachment_ = nullptr;
    for (Statement* statement : statements_) statement->attachment_ = nullptr;
}

void Attachment::Attach(const std::string& database, const std::string& user,
                        const std::string& password, const std::string& role) {
    if (handle_ != nullptr) throw FbError("Already attached to " + database_);
    DatabaseParams params(user, password);
    if (!role.empty()) params.AddString(isc_dpb_sql_role_name, role);
    handle_ = AttachHandle(database, params);
    database_ = database;
}

void Attachment::Detach() noexcept {
    if (handle_ == nullptr) return;
    for (Transaction* transaction : std::vector<Transaction*>(transactions_)) {
        transaction->RollbackIfActive();
    }
    for (Statement* statement : std::vector<Statement*>(statements_)) statement->Unprepare();
    Status status;
    handle_->detach(&status);  // releases the handle when it succeeds
    if (status.Failed()) handle_->release();
    handle_ = nullptr;
}

void Attachment::Ping() {
    if (handle_ == nullptr) throw FbError("The database is not connected");
    Status status;
    handle_->ping(&status);
    status.Check();
}

void Attachment::ExecuteImmediate(std::string_view sql) {
    Transaction transaction(*this);
    transaction.Start();
    Status status;
    handle_->execute(&status, transaction.handle_, static_cast<unsigned>(sql.size()), sql.data(), 3,
                     nullptr, nullptr, nullptr, nullptr);
    status.Check();  // the transaction's destructor rolls back
    transaction.Commit();
}

// --- Transaction ----------------------------------------------------------------

Transaction::Transaction(Attachment& attachment) : attachment_(&attachment) {
    attachment.transactions_.push_back(this);
}

Transaction::~Transaction() {
    RollbackIfActive();
    if (attachment_ != nullptr) Unregister(attachment_->transactions_, this);
}

void Transaction::Start() {
    Start(TransactionOptions{});
}

void Transaction::Start(const TransactionOptions& options) {
    if (handle_ != nullptr) throw FbError("The transaction is already active");
    if (attachment_ == nullptr || attachment_->handle_ == nullptr) {
        throw FbError("The database is not connected");
    }
    Status status;
    const bool defaults =
        !options.readCommitted && options.protectedWrite.empty() && options.lockTimeoutSeconds == 0;
    if (defaults) {
        handle_ = attachment_->handle_->startTransaction(&status, 0, nullptr);
        status.Check();
        return;
    }
    // The parameter block by hand: a table reservation is a tag, the name
    // with a one-byte length, then the kind of lock.
    std::vector<unsigned char> tpb = {isc_tpb_version3, isc_tpb_write, isc_tpb_wait};
    if (options.readCommitted) {
        tpb.insert(tpb.end(), {isc_tpb_read_committed, isc_tpb_rec_version});
    } else {
        tpb.push_back(isc_tpb_concurrency);
    }
    if (options.lockTimeoutSeconds > 0) {
        const auto seconds = static_cast<std::uint32_t>(options.lockTimeoutSeconds);
        tpb.insert(tpb.end(), {isc_tpb_lock_timeout, 4});
        for (int shift = 0; shift < 32; shift += 8) {
            tpb.push_back(static_cast<unsigned char>(seconds >> shift));
        }
    }
    for (const std::string& table : options.protectedWrite) {
        if (table.empty() || table.size() > 255) throw FbError("Bad table name: " + table);
        tpb.push_back(isc_tpb_lock_write);
        tpb.push_back(static_cast<unsigned char>(table.size()));
        tpb.insert(tpb.end(), table.begin(), table.end());
        tpb.push_back(isc_tpb_protected);
    }
    const auto length = static_cast<unsigned>(tpb.size());
    const unsigned char* buffer = tpb.data();
    handle_ = attachment_->handle_->startTransaction(&status, length, buffer);
    status.Check();
}

void Transaction::Commit() {
    if (handle_ == nullptr) throw FbError("Commit: the transaction is not active");
    CloseCursors();
    Status status;
    handle_->commit(&status);  // releases the handle when it succeeds
    status.Check();
    handle_ = nullptr;
}

void Transaction::Rollback() {
    if (handle_ == nullptr) throw FbError("Rollback: the transaction is not active");
    CloseCursors();
    Status status;
    handle_->rollback(&status);  // releases the handle when it succeeds
    status.Check();
    handle_ = nullptr;
}

void Transaction::RollbackIfActive() noexcept {
    if (handle_ == nullptr) return;
    CloseCursors();
    Status status;
    handle_->rollback(&status);
    if (status.Failed()) ReleaseHandle();
    handle_ = nullptr;
}

void Transaction::ReleaseHandle() noexcept {
    if (handle_ != nullptr) handle_->release();
    handle_ = nullptr;
}

void Transaction::CloseCursors() noexcept {
    // Each cursor removes itself from cursors_ as it closes.
    while (!cursors_.empty()) cursors_.back()->Close();
}

}  // namespace rubso::fb
