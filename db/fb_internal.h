#pragma once
// Internals shared by the client layer's sources: the client library's entry
// points, status handling, message layouts and the open cursor. Not for use
// outside db/fb_*.cpp.

#include <firebird/Interface.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "db/fb_client.h"

namespace rubso::fb::detail {

Firebird::IMaster* Master();
Firebird::IUtil* Util();
Firebird::IProvider* Provider();

// A status vector with the checking wrapper the OO API calls take. Creating
// one allocates; objects that call the server per row keep one and Reset it.
class Status {
  public:
    Status() : raw_(Master()->getStatus()), wrapper_(raw_) {}
    ~Status() { raw_->dispose(); }
    Status(const Status&) = delete;
    Status& operator=(const Status&) = delete;

    Firebird::CheckStatusWrapper* operator&() { return &wrapper_; }
    Firebird::CheckStatusWrapper* get() { return &wrapper_; }
    bool Failed() const { return (wrapper_.getState() & Firebird::IStatus::STATE_ERRORS) != 0; }
    void Reset() { wrapper_.init(); }
    // The first error code (isc_*) of a failed call; 0 when it succeeded.
    ISC_STATUS GdsCode() {
        const ISC_STATUS* errors = wrapper_.getErrors();
        return Failed() && errors[0] == isc_arg_gds ? errors[1] : 0;
    }
    // Raises FbError with the status' text when the last call failed;
    // ConnectionLostError when the status says the connection is gone.
    void Check() {
        if (Failed()) Raise();
    }
    [[noreturn]] void Raise();
    // For making a connection: a refusal is never "lost", whatever its
    // codes; it raises FbError with the server's text.
    void CheckConnect() {
        if (Failed()) Raise(false);
    }
    [[noreturn]] void Raise(bool mayBeLost);

  private:
    Firebird::IStatus* raw_;
    Firebird::CheckStatusWrapper wrapper_;
};

// Calls release() on an OO API interface when it goes out of scope.
template <typename T>
struct Releaser {
    void operator()(T* p) const {
        if (p != nullptr) p->release();
    }
};
template <typename T>
using Ref = std::unique_ptr<T, Releaser<T>>;

// Where one field of a message lives and how it is typed.
struct Field {
    std::string name;       // alias as the server reports it
    std::string upperName;  // for lookups without regard to letter case
    unsigned type = 0;      // SQL_* without the nullable bit
    int subType = 0;
    int scale = 0;
    unsigned length = 0;  // bytes of the value (for VARCHAR without the prefix)
    unsigned charSet = 0;
    unsigned offset = 0;
    unsigned nullOffset = 0;
};

// The row layout of a prepared statement's output. Shared by its cursors.
struct OutputLayout {
    Ref<Firebird::IMessageMetadata> metadata;
    std::vector<Field> fields;
    unsigned length = 0;
};

OutputLayout DescribeOutput(Firebird::IMessageMetadata* metadata);

// The values of a statement's parameters and the input message they make.
struct ParamValue {
    enum class Kind { Null, Text, Int32, Int64, Double, Date, Timestamp };
    Kind kind = Kind::Null;
    std::string text;
    std::int64_t integer = 0;  // Int32, Int64; ISC_DATE for Date and Timestamp
    double real = 0.0;
    std::uint32_t time = 0;  // ISC_TIME of a Timestamp
};

struct InputMessage {
    Ref<Firebird::IMessageMetadata> described;  // as the server described it
    std::vector<ParamValue> values;             // one per distinct name
    // The metadata last built for the value kinds, reused while they fit.
    Ref<Firebird::IMessageMetadata> coerced;
    std::vector<std::pair<unsigned, unsigned>> coercedShape;  // type, length per marker
    std::vector<std::pair<unsigned, unsigned>> offsets;       // value, null flag per marker
    std::vector<unsigned char> buffer;
};

// An open result set. Registered with its statement and its transaction,
// which close it when they end it.
struct Cursor {
    Cursor(Statement& statement, Transaction& transaction,
           std::shared_ptr<const OutputLayout> layout);
    ~Cursor();
    Cursor(const Cursor&) = delete;
    Cursor& operator=(const Cursor&) = delete;

    void Close() noexcept;
    bool Fetch();  // the next row into `row`; false at the end
    std::string BlobText(const Field& field) const;

    Statement* statement;
    Transaction* transaction;
    Firebird::IResultSet* resultSet = nullptr;  // null for a single-row result
    std::shared_ptr<const OutputLayout> layout;
    std::vector<unsigned char> row;
    bool open = true;
    bool hasRow = false;
    bool atEnd = false;  // the server said there are no more rows
    Status status;
};

// Days between the client library's day 0 (17.11.1858) and Qt's Julian days.
constexpr std::int64_t kJulianDayOfDateZero = 2400001;
// ISC_TIME counts units of 1/10000 s.
constexpr std::uint32_t kTimeUnitsPerMs = 10;

}  // namespace rubso::fb::detail
