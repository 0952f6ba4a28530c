#include "db/fb_services.h"

#include <chrono>
#include <thread>

#include "db/fb_internal.h"

namespace rubso::fb {

using detail::Status;

namespace {

constexpr int kConnectTimeoutSeconds = 10;
// The services manager refuses query buffers of 64 KiB and more.
constexpr unsigned kQueryBufferSize = 32 * 1024;
// How long to wait for an action to finish after its output has ended.
constexpr int kFinishPolls = 500;
constexpr int kFinishPollMs = 10;

// A services parameter block of the given kind (attach or start).
class ServiceParams {
  public:
    explicit ServiceParams(unsigned kind) {
        builder_.reset(detail::Util()->getXpbBuilder(&status_, kind, nullptr, 0));
        status_.Check();
    }
    void Tag(unsigned char tag) {
        builder_->insertTag(&status_, tag);
        status_.Check();
    }
    void String(unsigned char tag, const std::string& value) {
        builder_->insertString(&status_, tag, value.c_str());
        status_.Check();
    }
    void Int(unsigned char tag, int value) {
        builder_->insertInt(&status_, tag, value);
        status_.Check();
    }
    std::vector<unsigned char> Bytes() {
        const unsigned char* buffer = builder_->getBuffer(&status_);
        const unsigned length = builder_->getBufferLength(&status_);
        status_.Check();
        return std::vector<unsigned char>(buffer, buffer + length);
    }

  private:
    Status status_;
    struct Disposer {
        void operator()(Firebird::IXpbBuilder* builder) const { builder->dispose(); }
    };
    std::unique_ptr<Firebird::IXpbBuilder, Disposer> builder_;
};

unsigned ReadLength(const unsigned char* p, int bytes) {
    return static_cast<unsigned>(
        isc_vax_integer(reinterpret_cast<const ISC_SCHAR*>(p), static_cast<short>(bytes)));
}

[[noreturn]] void BadReply() {
    throw FbError("The services manager sent a reply this program does not understand");
}

// Parses the data of isc_info_svc_get_users: for every user a run of tagged
// items, each user beginning with its name.
std::vector<ServerUser> ParseUsers(const std::string& data) {
    std::vector<ServerUser> users;
    const auto* p = reinterpret_cast<const unsigned char*>(data.data());
    const auto* end = p + data.size();
    while (p < end) {
        const unsigned char tag = *p++;
        switch (tag) {
            case isc_spb_sec_username:
            case isc_spb_sec_firstname:
            case isc_spb_sec_middlename:
            case isc_spb_sec_lastname:
            case isc_spb_sec_groupname: {
                if (end - p < 2) BadReply();
                const unsigned length = ReadLength(p, 2);
                p += 2;
                if (static_cast<unsigned>(end - p) < length) BadReply();
                std::string value(reinterpret_cast<const char*>(p), length);
                p += length;
                if (tag == isc_spb_sec_username) {
                    users.push_back(ServerUser{std::move(value), {}, {}, {}});
                } else if (users.empty()) {
                    BadReply();
                } else if (tag == isc_spb_sec_firstname) {
                    users.back().firstName = std::move(value);
                } else if (tag == isc_spb_sec_middlename) {
                    users.back().middleName = std::move(value);
                } else if (tag == isc_spb_sec_lastname) {
                    users.back().lastName = std::move(value);
                }
                break;
            }
            case isc_spb_sec_userid:
            case isc_spb_sec_groupid:
            case isc_spb_sec_admin:
                if (end - p < 4) BadReply();
                p += 4;
                break;
            default:
                BadReply();
        }
    }
    return users;
}

}  // namespace

std::string ServiceServerName(std::string_view dbPath) {
    const std::size_t colon = dbPath.find(':');
    if (colon == std::string_view::npos) return "localhost";
    return std::string(dbPath.substr(0, colon));
}

ServiceManager::~ServiceManager() {
    Detach();
}

void ServiceManager::Attach(const std::string& server, const std::string& user,
                            const std::string& password) {
    if (handle_ != nullptr) throw FbError("The services manager is already attached");
    ServiceParams params(Firebird::IXpbBuilder::SPB_ATTACH);
    params.String(isc_spb_user_name, user);
    params.String(isc_spb_password, password);
    params.Int(isc_spb_connect_timeout, kConnectTimeoutSeconds);
    const std::vector<unsigned char> spb = params.Bytes();
    const std::string name = server + ":service_mgr";
    Status status;
    Firebird::IService* handle = detail::Provider()->attachServiceManager(
        &status, name.c_str(), static_cast<unsigned>(spb.size()), spb.data());
    status.CheckConnect();
    handle_ = handle;
}

void ServiceManager::Detach() noexcept {
    if (handle_ == nullptr) return;
    Status status;
    handle_->detach(&status);  // releases the handle when it succeeds
    if (status.Failed()) handle_->release();
    handle_ = nullptr;
}

// Starts a service action and reads its output to the end (the services
// manager will not start the next action before that). The data of `item`
// replies is collected into `output` when it is given.
void ServiceManager::RunAction(const std::vector<unsigned char>& request, unsigned char item,
                               std::string* output) {
    if (handle_ == nullptr) throw FbError("The services manager is not attached");
    for (int attempt = 0;; ++attempt) {
        Status status;
        handle_->start(&status, static_cast<unsigned>(request.size()), request.data());
        if (status.GdsCode() != isc_svc_in_use || attempt == kFinishPolls) {
            status.Check();
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(kFinishPollMs));
    }
    try {
        ReadOutput(item, output);
    } catch (const FbError&) {
        // A failed action may still be winding up; the next one must not
        // find it busy.
        try {
            WaitUntilFinished();
        } catch (const FbError&) {
        }
        throw;
    }
    WaitUntilFinished();
}

void ServiceManager::ReadOutput(unsigned char item, std::string* output) {
    Status status;
    std::vector<unsigned char> reply(kQueryBufferSize);
    for (;;) {
        handle_->query(&status, 0, nullptr, 1, &item, static_cast<unsigned>(reply.size()),
                       reply.data());
        status.Check();
        const unsigned char* p = reply.data();
        const unsigned char* end = p + reply.size();
        bool gotData = false;
        bool more = false;
        while (p < end && *p != isc_info_end) {
            const unsigned char tag = *p++;
            if (tag == item) {
                if (end - p < 2) BadReply();
                const unsigned length = ReadLength(p, 2);
                p += 2;
                if (static_cast<unsigned>(end - p) < length) BadReply();
                if (output != nullptr) output->append(reinterpret_cast<const char*>(p), length);
                p += length;
                gotData = gotData || length > 0;
            } else if (tag == isc_info_truncated || tag == isc_info_svc_timeout ||
                       tag == isc_info_data_not_ready) {
                more = true;
            } else {
                BadReply();
            }
        }
        if (!gotData && !more) return;
    }
}

// The services manager refuses to start an action ("Service is currently
// busy") until the previous one has finished, which may be a moment after
// its output has been read to the end or its failure reported. Starting
// waits for that too, as a second line of defence.
void ServiceManager::WaitUntilFinished() {
    const unsigned char item = isc_info_svc_running;
    unsigned char reply[64];
    for (int attempt = 0; attempt < kFinishPolls; ++attempt) {
        Status status;
        handle_->query(&status, 0, nullptr, 1, &item, sizeof reply, reply);
        status.Check();
        // The reply: the item, then a 4-byte little-endian flag (no length).
        if (reply[0] != isc_info_svc_running) BadReply();
        if (ReadLength(reply + 1, 4) == 0) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(kFinishPollMs));
    }
    throw FbError("The services manager did not finish its action");
}

std::vector<ServerUser> ServiceManager::ListUsers() {
    ServiceParams request(Firebird::IXpbBuilder::SPB_START);
    request.Tag(isc_action_svc_display_user);
    std::string data;
    RunAction(request.Bytes(), isc_info_svc_get_users, &data);
    return ParseUsers(data);
}

void ServiceManager::AddUser(const ServerUser& user, const std::string& password) {
    ServiceParams request(Firebird::IXpbBuilder::SPB_START);
    request.Tag(isc_action_svc_add_user);
    request.String(isc_spb_sec_username, user.name);
    request.String(isc_spb_sec_password, password);
    if (!user.firstName.empty()) request.String(isc_spb_sec_firstname, user.firstName);
    if (!user.middleName.empty()) request.String(isc_spb_sec_middlename, user.middleName);
    if (!user.lastName.empty()) request.String(isc_spb_sec_lastname, user.lastName);
    RunAction(request.Bytes(), isc_info_svc_line, nullptr);
}

void ServiceManager::DeleteUser(const std::string& name) {
    ServiceParams request(Firebird::IXpbBuilder::SPB_START);
    request.Tag(isc_action_svc_delete_user);
    request.String(isc_spb_sec_username, name);
    RunAction(request.Bytes(), isc_info_svc_line, nullptr);
}

bool EnsureUser(ServiceManager& manager, const ServerUser& user, const std::string& password) {
    const auto listed = [&] {
        for (const ServerUser& existing : manager.ListUsers()) {
            if (existing.name == user.name) return true;
        }
        return false;
    };
    if (listed()) return false;
    try {
        manager.AddUser(user, password);
        return true;
    } catch (const FbError&) {
        if (listed()) return false;
        throw;
    }
}

bool CheckCredentials(const std::string& server, const std::string& user,
                      const std::string& password) {
    try {
        ServiceManager manager;
        manager.Attach(server, user, password);
        manager.Detach();
        return true;
    } catch (const FbError&) {
        return false;
    }
}

}  // namespace rubso::fb
