#include "tests/db/tdm_test_base.h"

#include <QDate>

#include "core/app_state.h"
#include "core/file_utils.h"
#include "core/text_utils.h"
#include "core/work_log.h"
#include "fixture/trading_database.h"

namespace rubso::test {
namespace {

// "[2.18.4] dd.MM.yyyy hh:mm:ss: " in front of every entry.
constexpr std::size_t kStampLength = 30;

}  // namespace

TdmTestBase::TdmTestBase() {
    App() = AppState{};
    InitWorkLog(logDir_.Path(), QDate::currentDate());
    LogInAs(db_.Server().user, db_.Server().password);
}

TdmTestBase::~TdmTestBase() {
    WorkLog() = TMyEcho{};  // unbound: later tests write no log
    App() = AppState{};
}

void TdmTestBase::LogInAs(const std::string& user, const std::string& password) {
    App().dbPath = db_.Path();
    App().dbUser = user;
    App().dbPassword = password;
}

void TdmTestBase::ConnectAsAdministrator() {
    LogInAs(db_.Server().user, db_.Server().password);
    dm_.BazaConnect();
    ASSERT_EQ(App().connectResult, ConnectResult::Connected)
        << ::testing::PrintToString(operator_->MessageTexts());
}

void TdmTestBase::AttachAsTradingOwner(fb::Attachment& attachment) const {
    fixture::AttachAsTradingOwner(attachment, db_.Path(), db_.Server().user, db_.Server().password);
}

std::string TdmTestBase::Scalar(const std::string& sql) const {
    fb::Attachment attachment;
    db_.Attach(attachment);
    fb::Transaction transaction(attachment);
    transaction.Start();
    fb::Statement statement(attachment, sql);
    fb::ResultSet rows = statement.Open(transaction);
    return rows.Eof() ? "<no row>" : rows.AsString(0);
}

std::vector<std::string> TdmTestBase::LogEntries() const {
    const std::string text = ReadFileText(WorkLogPath());
    const std::string tag = std::string("[") + kProgramVersion + "] ";
    std::vector<std::string> entries;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t next = text.find("\r\n" + tag, pos);
        next = next == std::string::npos ? text.size() : next + 2;
        std::string entry = text.substr(pos, next - pos);
        if (EndsWith(entry, "\r\n")) entry.resize(entry.size() - 2);
        entries.push_back(entry.size() >= kStampLength ? entry.substr(kStampLength) : entry);
        pos = next;
    }
    return entries;
}

}  // namespace rubso::test
