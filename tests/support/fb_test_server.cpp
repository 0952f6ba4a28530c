#include "tests/support/fb_test_server.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QUuid>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include "db/fb_services.h"

namespace rubso::test {
namespace {

std::string Env(const char* name, const char* fallback) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? value : fallback;
}

}  // namespace

FbServer FbServer::FromEnvironment() {
    return FbServer{Env("RUBSO_FB_HOST", "127.0.0.1/3055"), Env("RUBSO_FB_USER", "SYSDBA"),
                    Env("RUBSO_FB_PASSWORD", "masterkey"),
                    Env("RUBSO_FB_DATA", "/tmp/rubso-firebird/data")};
}

CashierUserLock::CashierUserLock(const std::string& dataDir, Mode mode) : mode_(mode) {
    fd_ = ::open((dataDir + "/kasjer-user.lock").c_str(), O_CREAT | O_RDWR, 0666);
    if (fd_ >= 0) ::flock(fd_, mode == kDeletesCashier ? LOCK_EX : LOCK_SH);
}

CashierUserLock::~CashierUserLock() {
    if (fd_ >= 0) ::close(fd_);
}

void CashierUserLock::DeleteCashier(const FbServer& server) const {
    if (mode_ != kDeletesCashier)
        throw std::logic_error("KASJER is deleted only under kDeletesCashier");
    fb::ServiceManager service;
    service.Attach(server.host, server.user, server.password);
    for (const fb::ServerUser& user : service.ListUsers()) {
        if (user.name == "KASJER") service.DeleteUser("KASJER");
    }
}

FbTestDatabase::FbTestDatabase() : server_(FbServer::FromEnvironment()) {
    const std::string name = "rubso_test_" + std::to_string(getpid()) + "_" +
                             QUuid::createUuid().toString(QUuid::Id128).left(12).toStdString() +
                             ".fdb";
    path_ = server_.ConnectionString(server_.dataDir + "/" + name);
    try {
        fb::CreateDatabase(path_, server_.user, server_.password, "WIN1250");
    } catch (const fb::FbError& error) {
        throw std::runtime_error("Cannot create a test database " + path_ + ": " + error.what() +
                                 "\nIs the test server running? Start it with: eval \"$("
                                 "scripts/firebird-server.sh start)\"");
    }
}

FbTestDatabase::~FbTestDatabase() {
    try {
        fb::DropDatabase(path_, server_.user, server_.password);
    } catch (const fb::FbError& error) {
        std::fprintf(stderr, "Test database %s was not dropped: %s\n", path_.c_str(), error.what());
    }
}

void FbTestDatabase::Attach(fb::Attachment& attachment, const std::string& role) const {
    attachment.Attach(path_, server_.user, server_.password, role);
}

void FbTestDatabase::Execute(std::initializer_list<std::string> statements) const {
    fb::Attachment attachment;
    Attach(attachment);
    for (const std::string& sql : statements) attachment.ExecuteImmediate(sql);
}

}  // namespace rubso::test
