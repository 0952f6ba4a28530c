// The services manager client against the private test server.
#include "db/fb_services.h"

#include <gtest/gtest.h>

#include <QUuid>
#include <algorithm>

#include "tests/support/fb_test_server.h"

namespace rubso::fb {
namespace {

using test::FbServer;

bool Listed(const std::vector<ServerUser>& users, const std::string& name) {
    return std::any_of(users.begin(), users.end(),
                       [&name](const ServerUser& user) { return user.name == name; });
}

TEST(FbServiceServerName, IsTheTextBeforeTheFirstColon) {
    EXPECT_EQ("127.0.0.1/3055", ServiceServerName("127.0.0.1/3055:/data/rubso.fdb"));
    EXPECT_EQ("serwer", ServiceServerName("serwer:C:\\Dane\\rubso.fdb"));
    EXPECT_EQ("C", ServiceServerName("C:\\Dane\\rubso.fdb"));
    EXPECT_EQ("", ServiceServerName(":x"));
}

TEST(FbServiceServerName, BarePathMeansThisMachine) {
    EXPECT_EQ("localhost", ServiceServerName("/var/lib/rubso.fdb"));
    EXPECT_EQ("localhost", ServiceServerName(""));
}

TEST(FbServices, ValidCredentialsAreAccepted) {
    const FbServer server = FbServer::FromEnvironment();
    EXPECT_TRUE(CheckCredentials(server.host, server.user, server.password))
        << "services manager of " << server.host
        << " refused the test credentials; is the server started "
           "(eval \"$(scripts/firebird-server.sh start)\")?";
}

TEST(FbServices, WrongPasswordIsRefusedWithTheServersMessage) {
    const FbServer server = FbServer::FromEnvironment();
    EXPECT_FALSE(CheckCredentials(server.host, server.user, "wrong-password"));
    ServiceManager manager;
    try {
        manager.Attach(server.host, server.user, "wrong-password");
        FAIL() << "attach with a wrong password succeeded";
    } catch (const FbError& error) {
        EXPECT_NE(std::string(error.what()).find("user name and password"), std::string::npos)
            << error.what();
    }
    EXPECT_FALSE(manager.IsAttached());
}

TEST(FbServices, UnknownUserIsRefused) {
    const FbServer server = FbServer::FromEnvironment();
    EXPECT_FALSE(CheckCredentials(server.host, "NO_SUCH_USER_X", server.password));
}

TEST(FbServices, ClosedPortIsRefused) {
    EXPECT_FALSE(CheckCredentials("127.0.0.1/1", "SYSDBA", "masterkey"));
}

TEST(FbServices, UserListContainsTheAdministrator) {
    const FbServer server = FbServer::FromEnvironment();
    ServiceManager manager;
    manager.Attach(server.host, server.user, server.password);
    EXPECT_TRUE(Listed(manager.ListUsers(), "SYSDBA"));
    // The output was read to the end, so the next action starts.
    EXPECT_TRUE(Listed(manager.ListUsers(), "SYSDBA"));
}

TEST(FbServices, AddedUserIsListedWithItsNamesAndCanLogIn) {
    const FbServer server = FbServer::FromEnvironment();
    const std::string name =
        "T_" + QUuid::createUuid().toString(QUuid::Id128).left(10).toUpper().toStdString();
    ServiceManager manager;
    manager.Attach(server.host, server.user, server.password);
    manager.AddUser(ServerUser{name, "Jan", "", "Kowalski"}, "haslo1");
    const std::vector<ServerUser> users = manager.ListUsers();
    const auto added = std::find_if(users.begin(), users.end(),
                                    [&name](const ServerUser& user) { return user.name == name; });
    const bool canLogIn = CheckCredentials(server.host, name, "haslo1");
    EXPECT_THROW(manager.AddUser(ServerUser{name, "", "", ""}, "haslo2"), FbError);
    manager.DeleteUser(name);
    ASSERT_NE(users.end(), added) << name << " is not listed";
    EXPECT_EQ("Jan", added->firstName);
    EXPECT_EQ("Kowalski", added->lastName);
    EXPECT_TRUE(canLogIn);
    EXPECT_FALSE(Listed(manager.ListUsers(), name));
}

TEST(FbServices, DeletingAnUnknownUserRaises) {
    const FbServer server = FbServer::FromEnvironment();
    ServiceManager manager;
    manager.Attach(server.host, server.user, server.password);
    EXPECT_THROW(manager.DeleteUser("NO_SUCH_USER_X"), FbError);
    EXPECT_TRUE(Listed(manager.ListUsers(), "SYSDBA"));
}

TEST(FbServices, ActionsNeedAnAttachment) {
    ServiceManager manager;
    EXPECT_THROW(manager.ListUsers(), FbError);
}

}  // namespace
}  // namespace rubso::fb
