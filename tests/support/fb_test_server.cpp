#include "tests/support/fb_test_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

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

namespace {

// A port nothing listens on now: the one the system gives a socket bound to
// port 0.
int FreePort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        if (fd >= 0) ::close(fd);
        throw std::runtime_error("no free port for a private Firebird server");
    }
    ::close(fd);
    return ntohs(address.sin_port);
}

// True while process `pid` is there and not a zombie (nobody may reap it).
bool ProcessExists(pid_t pid) {
    if (::kill(pid, 0) != 0) return false;
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    const std::size_t close = text.rfind(") ");
    return close == std::string::npos || text.compare(close + 2, 1, "Z") != 0;
}

}  // namespace

PrivateFbServer::PrivateFbServer() {
    char pattern[] = "/tmp/rubso-fb-private.XXXXXX";
    if (::mkdtemp(pattern) == nullptr)
        throw std::runtime_error("no directory for a private server");
    root_ = pattern;
    const FbServer shared = FbServer::FromEnvironment();
    server_ = FbServer{{}, shared.user, shared.password, root_ + "/data"};
    Start();
}

PrivateFbServer::~PrivateFbServer() {
    Kill();
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
}

void PrivateFbServer::Start() {
    // The first start takes a free port (another one when it is taken
    // meanwhile: the script refuses a taken port); a start again keeps the
    // port the program's connection string names.
    const bool again = port_ != 0;
    for (int attempt = 0; attempt < 5; ++attempt) {
        if (!again) port_ = FreePort();
        const std::string command = "RUBSO_FB_ROOT='" + root_ +
                                    "' RUBSO_FB_PORT=" + std::to_string(port_) +
                                    " RUBSO_FB_PASSWORD='" + server_.password + "' '" +
                                    RUBSO_FIREBIRD_SCRIPT + "' start >/dev/null 2>&1";
        if (std::system(command.c_str()) == 0) {
            server_.host = "127.0.0.1/" + std::to_string(port_);
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    throw std::runtime_error("a private Firebird server did not start in " + root_);
}

void PrivateFbServer::Kill() {
    std::ifstream file(root_ + "/server.pid");
    pid_t pid = 0;
    if (!(file >> pid) || pid <= 0) return;
    ::kill(pid, SIGKILL);
    while (ProcessExists(pid)) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    std::filesystem::remove(root_ + "/server.pid");
}

FbTestDatabase::FbTestDatabase() : FbTestDatabase(FbServer::FromEnvironment()) {}

FbTestDatabase::FbTestDatabase(FbServer server) : server_(std::move(server)) {
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
