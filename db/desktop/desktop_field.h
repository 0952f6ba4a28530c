#pragma once
// Fields of a desktop-database (Paradox) table and how their values are kept
// in a record.
//
// A record is a fixed run of bytes, the fields one after another. Numbers are
// stored big-endian with the sign bit flipped, so that the bytes sort like the
// values; a field whose bytes are all zero holds no value (null):
// - Short, Long, AutoInc, Date, Time: a 2- or 4-byte integer. Date counts days
//   with 1.1.0001 as day 1; Time counts milliseconds since midnight.
// - Number, Currency, Timestamp: an IEEE double; for a value with the sign bit
//   clear that bit is set, a negative value has all its bits inverted.
//   Timestamp counts milliseconds with 1.1.0001 00:00 as day 1, like Date.
// - Logical: one byte, 0x80 false, 0x81 true.
// - Alpha: the text's bytes, zero-padded to the field's width. An empty text
//   and a null are the same bytes.
// Other kinds (BCD, bytes, memo and graphic blobs) are carried along unread.

#include <QDateTime>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace rubso {

enum class DesktopFieldKind {
    Alpha,
    Short,
    Long,
    AutoInc,
    Number,
    Currency,
    Date,
    Time,
    Timestamp,
    Logical,
    Other,  // a kind this layer neither reads nor writes
};

// One field as the table's header describes it.
struct DesktopField {
    std::string name;  // as spelled in the header
    DesktopFieldKind kind = DesktopFieldKind::Other;
    int typeCode = 0;  // the header's type byte
    int size = 0;      // bytes in a record
    int offset = 0;    // where the field starts in a record
};

// A value handed to or read from a field. std::monostate is null. Integers
// and floating values are kept apart so that a conversion is always explicit.
using DesktopValue =
    std::variant<std::monostate, std::int64_t, double, std::string, bool, QDateTime>;

// Kind name for messages ("alpha", "long integer", ...).
std::string_view DesktopKindName(DesktopFieldKind kind);

// The kind a header type byte stands for, and the record size it must have;
// nullopt for a type byte that no table file uses.
struct DesktopTypeInfo {
    DesktopFieldKind kind;
    int minSize;
    int maxSize;
};
std::optional<DesktopTypeInfo> DesktopTypeFromCode(int typeCode);

// Header type byte of a kind this layer can create (not Other).
int DesktopTypeCode(DesktopFieldKind kind);

namespace desktop_codec {

// Day number of 30.12.1899, the zero of the original program's date-time.
constexpr std::int32_t kZeroDateDays = 693594;

// Raw encodings. `size` is 2 or 4 for integers.
void PutInteger(char* out, int size, std::int64_t value);
std::optional<std::int64_t> GetInteger(const char* in, int size);
void PutDouble(char* out, double value);  // -0.0 is stored as 0.0
std::optional<double> GetDouble(const char* in);

// Day numbers and millisecond counts as the file keeps them.
std::int64_t DaysFromDate(const QDate& date);
QDate DateFromDays(std::int64_t days);
double TimestampFromDateTime(const QDateTime& moment);
QDateTime DateTimeFromTimestamp(double milliseconds);

// Result of putting a value into a field.
enum class EncodeStatus {
    Ok,
    TooLong,  // a text longer than the alpha field
    Invalid,  // a value the field cannot hold; `problem` says why
};
struct EncodeResult {
    EncodeStatus status = EncodeStatus::Ok;
    std::string problem;
};

// Writes `value` into the field's `field.size` bytes at `out` (out points at
// the field, not at the record). Conversions:
// - null: all zero bytes.
// - integer: into integer fields (range-checked), floating fields, and alpha
//   fields as decimal text.
// - floating: into floating fields, into integer fields when it is a whole
//   number in range, and into alpha fields as text.
// - text: into alpha fields byte for byte (no NUL bytes, at most the width);
//   into number and logical fields it is parsed ("" is null; "." or "," as
//   decimal separator; "true"/"false" for logical).
// - boolean: into logical fields.
// - date-time: into date (date part), time (time part) and timestamp fields;
//   an invalid QDateTime is null.
// On a status other than Ok nothing has been written to `out`.
EncodeResult EncodeValue(const DesktopField& field, const DesktopValue& value, char* out);

// Reads the field's bytes at `in`: null, an integer (Short, Long, AutoInc), a
// floating value (Number, Currency), text (Alpha, up to the first zero byte),
// a boolean (Logical) or a date-time (Date: midnight; Time: on 30.12.1899;
// Timestamp). Other kinds read as null.
DesktopValue DecodeValue(const DesktopField& field, const char* in);

// Conversions of a decoded value for the As... readers. Each returns nullopt
// when the value cannot be read that way (a NaN or an infinity stored in a
// damaged or foreign table is no number); null reads as 0, 0.0, "", false or
// an invalid QDateTime.
std::optional<std::int64_t> ValueAsInteger(const DesktopValue& value);  // floating: truncated
std::optional<double> ValueAsFloat(const DesktopValue& value);
std::string ValueAsText(const DesktopValue& value, DesktopFieldKind kind);
std::optional<bool> ValueAsBoolean(const DesktopValue& value);
std::optional<QDateTime> ValueAsDateTime(const DesktopValue& value);

// Number formatting and parsing used by the conversions: "." as decimal
// separator, up to 15 significant digits, never the user's locale.
std::string FormatFloat(double value);
std::optional<std::int64_t> ParseIntegerText(std::string_view text);
std::optional<double> ParseFloatText(std::string_view text);  // "." or ","

}  // namespace desktop_codec
}  // namespace rubso
