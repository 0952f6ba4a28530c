#pragma once
// A test base for TDM against the private server: a throw-away database, the
// process-wide state pointing at it as the administrator, a work log in a
// temporary directory and a recording operator.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "db/tdm.h"
#include "tests/support/fb_test_server.h"
#include "tests/support/recording_operator.h"
#include "tests/support/temp_dir.h"

namespace rubso::test {

class TdmTestBase : public ::testing::Test {
  protected:
    TdmTestBase();
    ~TdmTestBase() override;

    // App().dbPath/dbUser/dbPassword for `user` on the test database.
    void LogInAs(const std::string& user, const std::string& password);
    // BazaConnect as the server's administrator; fails the test unless 0.
    void ConnectAsAdministrator();
    // Attaches to the test database as the trading program's own user, who
    // makes the trading program's objects in a shop's database.
    void AttachAsTradingOwner(fb::Attachment& attachment) const;

    // The first column of the first row of `sql`, as text ("<no row>" when
    // there is none), read in an attachment of its own, so only committed
    // work is seen.
    std::string Scalar(const std::string& sql) const;
    std::int64_t Count(const std::string& sql) const { return std::stoll(Scalar(sql)); }

    // The work log's entries since the test began, without their stamps.
    std::vector<std::string> LogEntries() const;

    FbTestDatabase db_;
    TempDir logDir_;
    ScopedRecordingOperator operator_;
    TDM dm_;  // dies before the database
};

}  // namespace rubso::test
