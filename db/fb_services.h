#pragma once
// The server's services manager over TCP/IP: the credential check and the
// user management of the login. Failures raise FbError (db/fb_client.h).

#include <string>
#include <string_view>
#include <vector>

#include "db/fb_client.h"

namespace Firebird {
class IService;
}

namespace rubso::fb {

// The server part of a database connection string: the text before the
// first ":" ("127.0.0.1/3055:/data/x.fdb" gives "127.0.0.1/3055", and
// "C:\data\x.fdb" gives "C", which is what the connection string means to the
// client library too: server "C"). A string with no ":" at all is a bare
// path on this machine; its server is "localhost" (the default port: a
// server listening on another port is only reached through a string that
// names the port).
std::string ServiceServerName(std::string_view dbPath);

// One user of the server's security database.
struct ServerUser {
    std::string name;
    std::string firstName;
    std::string middleName;
    std::string lastName;
};

// An attachment to "<server>:service_mgr". Non-copyable, non-movable.
class ServiceManager {
  public:
    ServiceManager() = default;
    ~ServiceManager();  // detaches; errors are swallowed
    ServiceManager(const ServiceManager&) = delete;
    ServiceManager& operator=(const ServiceManager&) = delete;

    // `server` as ServiceServerName gives it ("127.0.0.1/3055"). Raises
    // FbError with the server's text when the user name or password is
    // refused or the server cannot be reached (no longer than about 10 s).
    void Attach(const std::string& server, const std::string& user, const std::string& password);
    void Detach() noexcept;
    bool IsAttached() const { return handle_ != nullptr; }

    // Every user of the server, in the server's order. Needs an attachment
    // with the right to see them (SYSDBA sees all, others themselves).
    std::vector<ServerUser> ListUsers();
    // Adds a user; raises FbError when it exists or the attachment lacks
    // the right.
    void AddUser(const ServerUser& user, const std::string& password);
    // Removes a user; raises FbError when there is none of that name.
    void DeleteUser(const std::string& name);

  private:
    void RunAction(const std::vector<unsigned char>& request, unsigned char item,
                   std::string* output);
    void ReadOutput(unsigned char item, std::string* output);
    void WaitUntilFinished();

    Firebird::IService* handle_ = nullptr;
};

// Adds `user` unless the server has a user of that name; true when this
// call added it. Safe when several processes do it at once: an add refused
// because another process added the user meanwhile counts as done (the
// users are listed again to tell). Other failures raise FbError.
bool EnsureUser(ServiceManager& manager, const ServerUser& user, const std::string& password);

// True when the services manager of `server` accepts the user name and
// password (attach and detach both succeed); false for any failure.
bool CheckCredentials(const std::string& server, const std::string& user,
                      const std::string& password);

}  // namespace rubso::fb
