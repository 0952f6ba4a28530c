#pragma once
// The private Firebird server the tests use (scripts/firebird-server.sh) and
// throw-away databases on it. The server is found through the environment
// that `eval "$(scripts/firebird-server.sh start)"` sets; the defaults are the
// same values. A test that cannot reach the server fails (never skips), with
// a message saying how to start it.

#include <initializer_list>
#include <string>

#include "db/fb_client.h"

namespace rubso::test {

struct FbServer {
    std::string host;      // RUBSO_FB_HOST, "127.0.0.1/3055"
    std::string user;      // RUBSO_FB_USER, "SYSDBA"
    std::string password;  // RUBSO_FB_PASSWORD, "masterkey"
    std::string dataDir;   // RUBSO_FB_DATA, "/tmp/rubso-firebird/data"

    static FbServer FromEnvironment();
    // host + ":" + path: a connection string for a file on that server.
    std::string ConnectionString(const std::string& path) const { return host + ":" + path; }
};

// A new, empty database (default character set WIN1250, dialect 3) created
// on the test server, dropped when the object dies. Every attachment to it
// must be gone by then. Construction raises std::runtime_error naming the
// server and how to start it when the database cannot be created.
class FbTestDatabase;

// The user KASJER lives in the server's security database, shared by every
// test process. A test that deletes it holds this lock (a file in the
// server's data directory) exclusively; a test that logs in as KASJER holds
// it shared, so KASJER cannot vanish under it. Logging in as the
// administrator needs no lock: its set-up of KASJER holds when several
// processes run it at once.
class CashierUserLock {
  public:
    enum Mode { kUsesCashier, kDeletesCashier };
    CashierUserLock(const std::string& dataDir, Mode mode);
    ~CashierUserLock();
    CashierUserLock(const CashierUserLock&) = delete;
    CashierUserLock& operator=(const CashierUserLock&) = delete;

    // Removes KASJER from the server when it is there (kDeletesCashier only).
    void DeleteCashier(const FbServer& server) const;

  private:
    int fd_ = -1;
    Mode mode_;
};

// A Firebird server of one test's own, started by scripts/firebird-server.sh
// with its own root directory and a free port, for what must never happen to
// the server the other tests share: being killed and started again. Killed
// and removed when the object dies. Construction raises std::runtime_error
// when the server does not start.
class PrivateFbServer {
  public:
    PrivateFbServer();
    ~PrivateFbServer();
    PrivateFbServer(const PrivateFbServer&) = delete;
    PrivateFbServer& operator=(const PrivateFbServer&) = delete;

    const FbServer& Server() const { return server_; }
    // Kills the server (SIGKILL, as a crash does) and waits until it is gone.
    void Kill();
    // Starts it again on the same port and root.
    void Start();

  private:
    std::string root_;
    int port_ = 0;
    FbServer server_;
};

class FbTestDatabase {
  public:
    FbTestDatabase();
    // On another server than the environment's (a PrivateFbServer's).
    explicit FbTestDatabase(FbServer server);
    ~FbTestDatabase();
    FbTestDatabase(const FbTestDatabase&) = delete;
    FbTestDatabase& operator=(const FbTestDatabase&) = delete;

    const FbServer& Server() const { return server_; }
    // The whole connection string: "127.0.0.1/3055:/tmp/.../rubso_test_….fdb".
    const std::string& Path() const { return path_; }
    // Attaches as the server's administrator with the given role.
    void Attach(fb::Attachment& attachment, const std::string& role = {}) const;
    // Runs each statement in a transaction of its own, committed at once.
    void Execute(std::initializer_list<std::string> statements) const;

  private:
    FbServer server_;
    std::string path_;
};

}  // namespace rubso::test
