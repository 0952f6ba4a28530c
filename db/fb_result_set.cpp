// Result sets: fetching rows and decoding columns from the row buffer on
// demand (nothing is converted or allocated until a column is read).
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

#include "core/codepage.h"
#include "core/text_utils.h"
#include "db/fb_client.h"
#include "db/fb_internal.h"

namespace rubso::fb {

using detail::Cursor;
using detail::Field;
using detail::Status;

namespace detail {

OutputLayout DescribeOutput(Firebird::IMessageMetadata* metadata) {
    Status status;
    OutputLayout layout;
    metadata->addRef();
    layout.metadata.reset(metadata);
    const unsigned count = metadata->getCount(&status);
    status.Check();
    layout.fields.resize(count);
    for (unsigned i = 0; i < count; ++i) {
        Field& field = layout.fields[i];
        const char* alias = metadata->getAlias(&status, i);
        status.Check();
        field.name = alias != nullptr ? alias : "";
        field.upperName = UpperCase(field.name);
        field.type = metadata->getType(&status, i) & ~1u;
        field.subType = metadata->getSubType(&status, i);
        field.scale = metadata->getScale(&status, i);
        field.length = metadata->getLength(&status, i);
        field.charSet = metadata->getCharSet(&status, i);
        field.offset = metadata->getOffset(&status, i);
        field.nullOffset = metadata->getNullOffset(&status, i);
        status.Check();
    }
    layout.length = metadata->getMessageLength(&status);
    status.Check();
    return layout;
}

Cursor::Cursor(Statement& owner, Transaction& in, std::shared_ptr<const OutputLayout> rows)
    : statement(&owner), transaction(&in), layout(std::move(rows)), row(layout->length) {
    owner.cursor_ = this;
    in.cursors_.push_back(this);
}

Cursor::~Cursor() {
    Close();
}

void Cursor::Close() noexcept {
    if (resultSet != nullptr) {
        status.Reset();
        resultSet->close(status.get());  // releases it when it succeeds
        if (status.Failed()) resultSet->release();
        resultSet = nullptr;
    }
    open = false;
    hasRow = false;
    if (statement != nullptr && statement->cursor_ == this) statement->cursor_ = nullptr;
    if (transaction != nullptr) {
        auto& list = transaction->cursors_;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
    }
    statement = nullptr;
    transaction = nullptr;
}

bool Cursor::Fetch() {
    // A single-row result has no server cursor; the server refuses a fetch
    // past the end of one that has.
    if (resultSet == nullptr || atEnd) {
        hasRow = false;
        return false;
    }
    status.Reset();
    const int result = resultSet->fetchNext(status.get(), row.data());
    status.Check();
    hasRow = result == Firebird::IStatus::RESULT_OK;
    atEnd = !hasRow;
    return hasRow;
}

std::string Cursor::BlobText(const Field& field) const {
    Firebird::IAttachment* attachment = transaction->attachment_->handle_;
    ISC_QUAD id;
    std::memcpy(&id, row.data() + field.offset, sizeof id);
    Status blobStatus;
    Firebird::IBlob* blob =
        attachment->openBlob(&blobStatus, transaction->handle_, &id, 0, nullptr);
    blobStatus.Check();
    Ref<Firebird::IBlob> guard(blob);
    std::string text;
    char segment[16384];
    for (;;) {
        unsigned length = 0;
        const int result = blob->getSegment(&blobStatus, sizeof segment, segment, &length);
        blobStatus.Check();
        if (result != Firebird::IStatus::RESULT_OK && result != Firebird::IStatus::RESULT_SEGMENT) {
            break;
        }
        text.append(segment, length);
    }
    blob->close(&blobStatus);  // releases it when it succeeds
    if (!blobStatus.Failed()) guard.release();
    return text;
}

}  // namespace detail

namespace {

constexpr std::int64_t kPowersOf10[] = {1,
                                        10,
                                        100,
                                        1000,
                                        10000,
                                        100000,
                                        1000000,
                                        10000000,
                                        100000000,
                                        1000000000,
                                        10000000000,
                                        100000000000,
                                        1000000000000,
                                        10000000000000,
                                        100000000000000,
                                        1000000000000000,
                                        10000000000000000,
                                        100000000000000000,
                                        1000000000000000000};

template <typename T>
T Get(const unsigned char* row, unsigned offset) {
    T value;
    std::memcpy(&value, row + offset, sizeof value);
    return value;
}

bool IsInteger(unsigned type) {
    return type == SQL_SHORT || type == SQL_LONG || type == SQL_INT64;
}

std::int64_t RawInteger(const Field& field, const unsigned char* row) {
    switch (field.type) {
        case SQL_SHORT:
            return Get<std::int16_t>(row, field.offset);
        case SQL_LONG:
            return Get<std::int32_t>(row, field.offset);
        default:
            return Get<std::int64_t>(row, field.offset);
    }
}

// A FLOAT read as the shortest decimal that names it, so 1.1 stays 1.1
// instead of 1.10000002384186.
double FloatAsDouble(float value) {
    char text[32];
    const auto written = std::to_chars(text, text + sizeof text, value);
    double result = value;
    std::from_chars(text, written.ptr, result);
    return result;
}

// An integer with a decimal scale as exact text: "." separator, no trailing
// zeros after it, no "." for a whole number.
std::string ScaledText(std::int64_t value, int scale) {
    if (scale >= 0) {
        std::string text = std::to_string(value);
        if (value != 0) text.append(static_cast<std::size_t>(scale), '0');
        return text;
    }
    const std::uint64_t magnitude =
        value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    std::string digits = std::to_string(magnitude);
    const std::size_t decimals = static_cast<std::size_t>(-scale);
    if (digits.size() <= decimals) digits.insert(0, decimals - digits.size() + 1, '0');
    std::string text = digits.substr(0, digits.size() - decimals);
    std::string fraction = digits.substr(digits.size() - decimals);
    while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
    if (!fraction.empty()) text += "." + fraction;
    if (value < 0 && text != "0") text.insert(0, "-");
    return text;
}

std::int64_t RoundScaled(std::int64_t value, int scale) {
    if (scale >= 0) return value * kPowersOf10[scale];
    const std::int64_t divisor = kPowersOf10[-scale];
    std::int64_t quotient = value / divisor;
    const std::int64_t remainder = value % divisor;
    if (2 * (remainder < 0 ? -remainder : remainder) >= divisor) quotient += value < 0 ? -1 : 1;
    return quotient;
}

QDate DateOf(ISC_DATE date) {
    return QDate::fromJulianDay(date + detail::kJulianDayOfDateZero);
}

QTime TimeOf(ISC_TIME time) {
    return QTime::fromMSecsSinceStartOfDay(static_cast<int>(time / detail::kTimeUnitsPerMs));
}

[[noreturn]] void NotConvertible(const Field& field, const char* kind) {
    throw FbError("Column " + field.name + " cannot be read as " + kind);
}

}  // namespace

// --- ResultSet ------------------------------------------------------------------

ResultSet::ResultSet() = default;
ResultSet::~ResultSet() = default;
ResultSet::ResultSet(ResultSet&& other) noexcept = default;
ResultSet& ResultSet::operator=(ResultSet&& other) noexcept = default;
ResultSet::ResultSet(std::unique_ptr<detail::Cursor> cursor) : cursor_(std::move(cursor)) {}

bool ResultSet::IsOpen() const {
    return cursor_ != nullptr && cursor_->open;
}

bool ResultSet::Eof() const {
    return cursor_ == nullptr || !cursor_->hasRow;
}

bool ResultSet::Next() {
    if (!IsOpen()) throw FbError("Fetch from a closed result set (its transaction has ended)");
    return cursor_->Fetch();
}

void ResultSet::Close() noexcept {
    if (cursor_ != nullptr) cursor_->Close();
}

int ResultSet::ColumnCount() const {
    return cursor_ == nullptr ? 0 : static_cast<int>(cursor_->layout->fields.size());
}

std::string ResultSet::ColumnName(int index) const {
    if (index < 0 || index >= ColumnCount()) {
        throw FbError("Column index " + std::to_string(index) + " is out of range");
    }
    return cursor_->layout->fields[static_cast<std::size_t>(index)].name;
}

int ResultSet::FindColumn(std::string_view name) const {
    if (cursor_ == nullptr) return -1;
    const std::string wanted = UpperCase(name);
    const auto& fields = cursor_->layout->fields;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (fields[i].upperName == wanted) return static_cast<int>(i);
    }
    return -1;
}

int ResultSet::ColumnIndex(std::string_view name) const {
    const int index = FindColumn(name);
    if (index < 0) throw FbError("Unknown column " + std::string(name));
    return index;
}

const detail::Cursor& ResultSet::Row(int index) const {
    if (!IsOpen()) throw FbError("Read from a closed result set (its transaction has ended)");
    if (!cursor_->hasRow) throw FbError("Read past the last row of a result set");
    if (index < 0 || index >= ColumnCount()) {
        throw FbError("Column index " + std::to_string(index) + " is out of range");
    }
    return *cursor_;
}

bool ResultSet::IsNull(int index) const {
    const Cursor& cursor = Row(index);
    const Field& field = cursor.layout->fields[static_cast<std::size_t>(index)];
    return Get<std::int16_t>(cursor.row.data(), field.nullOffset) != 0;
}

std::string ResultSet::AsString(int index) const {
    if (IsNull(index)) return {};
    const Cursor& cursor = *cursor_;
    const Field& field = cursor.layout->fields[static_cast<std::size_t>(index)];
    const unsigned char* row = cursor.row.data();
    const char* bytes = reinterpret_cast<const char*>(row + field.offset);
    switch (field.type) {
        case SQL_TEXT:
            return std::string(bytes, field.length);
        case SQL_VARYING:
            return std::string(bytes + 2, Get<std::uint16_t>(row, field.offset));
        case SQL_SHORT:
        case SQL_LONG:
        case SQL_INT64:
            return ScaledText(RawInteger(field, row), field.scale);
        case SQL_FLOAT:
        case SQL_DOUBLE:
        case SQL_D_FLOAT:
            return FloatText(AsDouble(index));
        case SQL_TYPE_DATE:
            return DateText(AsDate(index));
        case SQL_TIMESTAMP:
            return DateTimeText(AsDateTime(index));
        case SQL_TYPE_TIME:
            return TimeText(TimeOf(Get<ISC_TIME>(row, field.offset)));
        case SQL_BOOLEAN:
            return row[field.offset] != 0 ? "True" : "False";
        case SQL_BLOB:
            return cursor.BlobText(field);
        default:
            NotConvertible(field, "text");
    }
}

std::int64_t ResultSet::AsInt64(int index) const {
    if (IsNull(index)) return 0;
    const Field& field = cursor_->layout->fields[static_cast<std::size_t>(index)];
    const unsigned char* row = cursor_->row.data();
    if (IsInteger(field.type)) return RoundScaled(RawInteger(field, row), field.scale);
    switch (field.type) {
        case SQL_FLOAT:
        case SQL_DOUBLE:
        case SQL_D_FLOAT: {
            const double value = std::round(AsDouble(index));
            if (!(std::fabs(value) < 9.2e18)) NotConvertible(field, "an integer");
            return static_cast<std::int64_t>(value);
        }
        case SQL_TEXT:
        case SQL_VARYING: {
            const std::string text = AsString(index);
            if (IsBlank(text)) return 0;
            std::int64_t value = 0;
            if (!TryTextToInt(text, value)) {
                throw FbError("Column " + field.name + ": '" + Trim(text) + "' is not an integer");
            }
            return value;
        }
        case SQL_BOOLEAN:
            return row[field.offset] != 0 ? 1 : 0;
        default:
            NotConvertible(field, "an integer");
    }
}

std::int32_t ResultSet::AsInt(int index) const {
    const std::int64_t value = AsInt64(index);
    if (value < std::numeric_limits<std::int32_t>::min() ||
        value > std::numeric_limits<std::int32_t>::max()) {
        throw FbError("Column " + ColumnName(index) + ": " + std::to_string(value) +
                      " does not fit a 32-bit integer");
    }
    return static_cast<std::int32_t>(value);
}

double ResultSet::AsDouble(int index) const {
    if (IsNull(index)) return 0.0;
    const Field& field = cursor_->layout->fields[static_cast<std::size_t>(index)];
    const unsigned char* row = cursor_->row.data();
    if (IsInteger(field.type)) {
        const double raw = static_cast<double>(RawInteger(field, row));
        if (field.scale < 0) return raw / static_cast<double>(kPowersOf10[-field.scale]);
        return raw * static_cast<double>(kPowersOf10[field.scale]);
    }
    switch (field.type) {
        case SQL_FLOAT:
            return FloatAsDouble(Get<float>(row, field.offset));
        case SQL_DOUBLE:
        case SQL_D_FLOAT:
            return Get<double>(row, field.offset);
        case SQL_TEXT:
        case SQL_VARYING: {
            const std::string text = AsString(index);
            if (IsBlank(text)) return 0.0;
            double value = 0.0;
            if (!TryTextToFloat(text, value)) {
                throw FbError("Column " + field.name + ": '" + Trim(text) + "' is not a number");
            }
            return value;
        }
        default:
            NotConvertible(field, "a number");
    }
}

QDate ResultSet::AsDate(int index) const {
    if (IsNull(index)) return ZeroDate();
    const Field& field = cursor_->layout->fields[static_cast<std::size_t>(index)];
    const unsigned char* row = cursor_->row.data();
    switch (field.type) {
        case SQL_TYPE_DATE:
        case SQL_TIMESTAMP:
            return DateOf(Get<ISC_DATE>(row, field.offset));
        default:
            NotConvertible(field, "a date");
    }
}

QDateTime ResultSet::AsDateTime(int index) const {
    if (IsNull(index)) return ZeroDateTime();
    const Field& field = cursor_->layout->fields[static_cast<std::size_t>(index)];
    const unsigned char* row = cursor_->row.data();
    switch (field.type) {
        case SQL_TYPE_DATE:
            return QDateTime(DateOf(Get<ISC_DATE>(row, field.offset)), QTime(0, 0));
        case SQL_TIMESTAMP:
            return QDateTime(DateOf(Get<ISC_DATE>(row, field.offset)),
                             TimeOf(Get<ISC_TIME>(row, field.offset + sizeof(ISC_DATE))));
        case SQL_TYPE_TIME:
            return QDateTime(ZeroDate(), TimeOf(Get<ISC_TIME>(row, field.offset)));
        default:
            NotConvertible(field, "a date and time");
    }
}

}  // namespace rubso::fb
