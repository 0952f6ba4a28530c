#pragma once
// A test base for the schema code: a throw-away database holding the trading
// program's side (fixture/trading_database.h), the clock fixed in
// kTestYear, TDM connected as the server's administrator.

#include <QDateTime>
#include <set>
#include <string>
#include <vector>

#include "core/clock.h"
#include "fixture/trading_database.h"
#include "tests/db/tdm_test_base.h"

namespace rubso::test {

inline constexpr int kTestYear = 2026;

class SchemaTestBase : public TdmTestBase {
  protected:
    SchemaTestBase();

    // The trading program's objects for kTestYear (and PARAMETRY).
    void CreateTradingSide(fixture::KodKasaKind kodKasa = fixture::KodKasaKind::Integer);
    // Runs each statement in a transaction of its own, as the administrator.
    void Exec(std::initializer_list<std::string> statements) const { db_.Execute(statements); }
    // The administrator's check as at a first login: connect, check.
    bool ConnectAndCheck(bool testowanieBazy = false);

    std::set<std::string> Names(const std::string& sql) const;  // trimmed first column
    std::set<std::string> Columns(const std::string& table) const;
    int CharLength(const std::string& table, const std::string& column) const;
    bool HasProcedure(const std::string& name) const;
    bool HasIndex(const std::string& name) const;
    // The work log entries written since `from` entries.
    std::vector<std::string> LogSince(std::size_t from) const;
    // The message boxes shown so far.
    std::vector<std::string> Shown() { return operator_->MessageTexts(); }

    // Everything the catalogue says about the system's own objects and the
    // register rows, as text, to compare two states of a database.
    std::string SchemaSnapshot() const;

    ScopedFixedClock clock_{QDateTime(QDate(kTestYear, 3, 16), QTime(10, 30))};
};

}  // namespace rubso::test
