#include "db/desktop/desktop_field.h"

#include <QTime>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>

namespace rubso {
namespace {

// Header type bytes of the table format.
constexpr int kTypeAlpha = 0x01;
constexpr int kTypeDate = 0x02;
constexpr int kTypeShort = 0x03;
constexpr int kTypeLong = 0x04;
constexpr int kTypeCurrency = 0x05;
constexpr int kTypeNumber = 0x06;
constexpr int kTypeLogical = 0x09;
constexpr int kTypeMemo = 0x0C;
constexpr int kTypeBlob = 0x0D;
constexpr int kTypeFormattedMemo = 0x0E;
constexpr int kTypeOle = 0x0F;
constexpr int kTypeGraphic = 0x10;
constexpr int kTypeTime = 0x14;
constexpr int kTypeTimestamp = 0x15;
constexpr int kTypeAutoInc = 0x16;
constexpr int kTypeBcd = 0x17;
constexpr int kTypeBytes = 0x18;

// Julian day number of day 0 of the file's day count (31.12.0000).
constexpr std::int64_t kJulianDayOfDayZero = 1721425;
constexpr std::int64_t kMillisecondsPerDay = 86400000;

// The lowest value of a two's-complement integer is the null pattern once
// the sign bit is flipped, so the ranges are symmetric.
constexpr std::int64_t kShortLimit = 32767;
constexpr std::int64_t kLongLimit = 2147483647;

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

bool IsIntegerKind(DesktopFieldKind kind) {
    return kind == DesktopFieldKind::Short || kind == DesktopFieldKind::Long ||
           kind == DesktopFieldKind::AutoInc;
}

bool IsFloatKind(DesktopFieldKind kind) {
    return kind == DesktopFieldKind::Number || kind == DesktopFieldKind::Currency;
}

std::int64_t IntegerLimit(DesktopFieldKind kind) {
    return kind == DesktopFieldKind::Short ? kShortLimit : kLongLimit;
}

desktop_codec::EncodeResult Invalid(std::string problem) {
    return {desktop_codec::EncodeStatus::Invalid, std::move(problem)};
}

desktop_codec::EncodeResult PutIntegerChecked(const DesktopField& field, std::int64_t value,
                                              char* out) {
    const std::int64_t limit = IntegerLimit(field.kind);
    if (value < -limit || value > limit) {
        return Invalid(std::to_string(value) + " is outside the range of a " +
                       std::string(DesktopKindName(field.kind)) + " field (" +
                       std::to_string(-limit) + " to " + std::to_string(limit) + ")");
    }
    desktop_codec::PutInteger(out, field.size, value);
    return {};
}

desktop_codec::EncodeResult PutText(const DesktopField& field, std::string_view text, char* out) {
    if (text.size() > static_cast<std::size_t>(field.size)) {
        return {desktop_codec::EncodeStatus::TooLong,
                "a text of " + std::to_string(text.size()) + " bytes does not fit a field " +
                    std::to_string(field.size) + " bytes wide"};
    }
    if (text.find('\0') != std::string_view::npos) {
        return Invalid("a text with a zero byte cannot be stored");
    }
    std::memset(out, 0, static_cast<std::size_t>(field.size));
    std::memcpy(out, text.data(), text.size());
    return {};
}

desktop_codec::EncodeResult EncodeInteger(const DesktopField& field, std::int64_t value,
                                          char* out) {
    if (IsIntegerKind(field.kind)) return PutIntegerChecked(field, value, out);
    if (IsFloatKind(field.kind)) {
        desktop_codec::PutDouble(out, static_cast<double>(value));
        return {};
    }
    if (field.kind == DesktopFieldKind::Alpha) return PutText(field, std::to_string(value), out);
    return Invalid("an integer cannot be stored in a " + std::string(DesktopKindName(field.kind)) +
                   " field");
}

desktop_codec::EncodeResult EncodeFloat(const DesktopField& field, double value, char* out) {
    if (!std::isfinite(value)) return Invalid("only finite numbers can be stored");
    if (IsFloatKind(field.kind)) {
        desktop_codec::PutDouble(out, value);
        return {};
    }
    if (IsIntegerKind(field.kind)) {
        const std::int64_t limit = IntegerLimit(field.kind);
        if (value != std::trunc(value) || value < static_cast<double>(-limit) ||
            value > static_cast<double>(limit)) {
            return Invalid(desktop_codec::FormatFloat(value) + " is not a whole number a " +
                           std::string(DesktopKindName(field.kind)) + " field can hold");
        }
        return PutIntegerChecked(field, static_cast<std::int64_t>(value), out);
    }
    if (field.kind == DesktopFieldKind::Alpha) {
        return PutText(field, desktop_codec::FormatFloat(value), out);
    }
    return Invalid("a number cannot be stored in a " + std::string(DesktopKindName(field.kind)) +
                   " field");
}

desktop_codec::EncodeResult EncodeText(const DesktopField& field, const std::string& text,
                                       char* out) {
    if (field.kind == DesktopFieldKind::Alpha) return PutText(field, text, out);
    const std::string_view trimmed = Trim(text);
    const bool convertible = IsIntegerKind(field.kind) || IsFloatKind(field.kind) ||
                             field.kind == DesktopFieldKind::Logical;
    if (!convertible) {
        return Invalid("a text cannot be stored in a " + std::string(DesktopKindName(field.kind)) +
                       " field");
    }
    if (trimmed.empty()) {
        std::memset(out, 0, static_cast<std::size_t>(field.size));
        return {};
    }
    if (IsIntegerKind(field.kind)) {
        const auto number = desktop_codec::ParseIntegerText(trimmed);
        if (!number) return Invalid("'" + text + "' is not a whole number");
        return PutIntegerChecked(field, *number, out);
    }
    if (IsFloatKind(field.kind)) {
        const auto number = desktop_codec::ParseFloatText(trimmed);
        if (!number) return Invalid("'" + text + "' is not a number");
        desktop_codec::PutDouble(out, *number);
        return {};
    }
    const QString word = QString::fromLatin1(trimmed.data(), static_cast<int>(trimmed.size()));
    if (word.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0) {
        *out = static_cast<char>(0x81);
        return {};
    }
    if (word.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0) {
        *out = static_cast<char>(0x80);
        return {};
    }
    return Invalid("'" + text + "' is neither true nor false");
}

desktop_codec::EncodeResult EncodeDateTime(const DesktopField& field, const QDateTime& moment,
                                           char* out) {
    const bool dateKind = field.kind == DesktopFieldKind::Date ||
                          field.kind == DesktopFieldKind::Time ||
                          field.kind == DesktopFieldKind::Timestamp;
    if (!dateKind) {
        return Invalid("a date-time cannot be stored in a " +
                       std::string(DesktopKindName(field.kind)) + " field");
    }
    if (!moment.isValid()) {
        std::memset(out, 0, static_cast<std::size_t>(field.size));
        return {};
    }
    if (field.kind == DesktopFieldKind::Time) {
        desktop_codec::PutInteger(out, 4, moment.time().msecsSinceStartOfDay());
        return {};
    }
    const std::int64_t days = desktop_codec::DaysFromDate(moment.date());
    if (days < 1 || days > kLongLimit) {
        return Invalid("the date " + moment.date().toString(Qt::ISODate).toStdString() +
                       " lies outside 1.1.0001 to the end of the calendar");
    }
    if (field.kind == DesktopFieldKind::Date) {
        desktop_codec::PutInteger(out, 4, days);
    } else {
        desktop_codec::PutDouble(out, desktop_codec::TimestampFromDateTime(moment));
    }
    return {};
}

}  // namespace

std::string_view DesktopKindName(DesktopFieldKind kind) {
    switch (kind) {
        case DesktopFieldKind::Alpha:
            return "alpha";
        case DesktopFieldKind::Short:
            return "short integer";
        case DesktopFieldKind::Long:
            return "long integer";
        case DesktopFieldKind::AutoInc:
            return "autoincrement";
        case DesktopFieldKind::Number:
            return "number";
        case DesktopFieldKind::Currency:
            return "currency";
        case DesktopFieldKind::Date:
            return "date";
        case DesktopFieldKind::Time:
            return "time";
        case DesktopFieldKind::Timestamp:
            return "timestamp";
        case DesktopFieldKind::Logical:
            return "logical";
        case DesktopFieldKind::Other:
            break;
    }
    return "unsupported";
}

std::optional<DesktopTypeInfo> DesktopTypeFromCode(int typeCode) {
    switch (typeCode) {
        case kTypeAlpha:
            return DesktopTypeInfo{DesktopFieldKind::Alpha, 1, 255};
        case kTypeDate:
            return DesktopTypeInfo{DesktopFieldKind::Date, 4, 4};
        case kTypeShort:
            return DesktopTypeInfo{DesktopFieldKind::Short, 2, 2};
        case kTypeLong:
            return DesktopTypeInfo{DesktopFieldKind::Long, 4, 4};
        case kTypeCurrency:
            return DesktopTypeInfo{DesktopFieldKind::Currency, 8, 8};
        case kTypeNumber:
            return DesktopTypeInfo{DesktopFieldKind::Number, 8, 8};
        case kTypeLogical:
            return DesktopTypeInfo{DesktopFieldKind::Logical, 1, 1};
        case kTypeTime:
            return DesktopTypeInfo{DesktopFieldKind::Time, 4, 4};
        case kTypeTimestamp:
            return DesktopTypeInfo{DesktopFieldKind::Timestamp, 8, 8};
        case kTypeAutoInc:
            return DesktopTypeInfo{DesktopFieldKind::AutoInc, 4, 4};
        case kTypeMemo:
        case kTypeBlob:
        case kTypeFormattedMemo:
        case kTypeOle:
        case kTypeGraphic:
            return DesktopTypeInfo{DesktopFieldKind::Other, 10, 255};
        case kTypeBcd:
            return DesktopTypeInfo{DesktopFieldKind::Other, 17, 17};
        case kTypeBytes:
            return DesktopTypeInfo{DesktopFieldKind::Other, 1, 255};
        default:
            return std::nullopt;
    }
}

int DesktopTypeCode(DesktopFieldKind kind) {
    switch (kind) {
        case DesktopFieldKind::Alpha:
            return kTypeAlpha;
        case DesktopFieldKind::Short:
            return kTypeShort;
        case DesktopFieldKind::Long:
            return kTypeLong;
        case DesktopFieldKind::AutoInc:
            return kTypeAutoInc;
        case DesktopFieldKind::Number:
            return kTypeNumber;
        case DesktopFieldKind::Currency:
            return kTypeCurrency;
        case DesktopFieldKind::Date:
            return kTypeDate;
        case DesktopFieldKind::Time:
            return kTypeTime;
        case DesktopFieldKind::Timestamp:
            return kTypeTimestamp;
        case DesktopFieldKind::Logical:
            return kTypeLogical;
        case DesktopFieldKind::Other:
            break;
    }
    return 0;
}

namespace desktop_codec {

void PutInteger(char* out, int size, std::int64_t value) {
    const int bits = 8 * size;
    std::uint64_t raw = static_cast<std::uint64_t>(value) ^ (std::uint64_t{1} << (bits - 1));
    for (int i = size - 1; i >= 0; --i) {
        out[i] = static_cast<char>(raw & 0xFF);
        raw >>= 8;
    }
}

std::optional<std::int64_t> GetInteger(const char* in, int size) {
    std::uint64_t raw = 0;
    for (int i = 0; i < size; ++i) raw = (raw << 8) | static_cast<unsigned char>(in[i]);
    if (raw == 0) return std::nullopt;
    const int bits = 8 * size;
    raw ^= std::uint64_t{1} << (bits - 1);
    // Sign-extend from `bits` bits.
    const std::uint64_t signBit = std::uint64_t{1} << (bits - 1);
    if ((raw & signBit) != 0) raw |= ~((signBit << 1) - 1);
    return static_cast<std::int64_t>(raw);
}

void PutDouble(char* out, double value) {
    if (value == 0.0) value = 0.0;  // one zero, so that equal values have equal bytes
    std::uint64_t raw = std::bit_cast<std::uint64_t>(value);
    constexpr std::uint64_t kSign = std::uint64_t{1} << 63;
    raw = (raw & kSign) == 0 ? raw | kSign : ~raw;
    for (int i = 7; i >= 0; --i) {
        out[i] = static_cast<char>(raw & 0xFF);
        raw >>= 8;
    }
}

std::optional<double> GetDouble(const char* in) {
    std::uint64_t raw = 0;
    for (int i = 0; i < 8; ++i) raw = (raw << 8) | static_cast<unsigned char>(in[i]);
    if (raw == 0) return std::nullopt;
    constexpr std::uint64_t kSign = std::uint64_t{1} << 63;
    raw = (raw & kSign) != 0 ? raw & ~kSign : ~raw;
    return std::bit_cast<double>(raw);
}

std::int64_t DaysFromDate(const QDate& date) {
    return date.toJulianDay() - kJulianDayOfDayZero;
}

QDate DateFromDays(std::int64_t days) {
    return QDate::fromJulianDay(days + kJulianDayOfDayZero);
}

double TimestampFromDateTime(const QDateTime& moment) {
    return static_cast<double>(DaysFromDate(moment.date()) * kMillisecondsPerDay +
                               moment.time().msecsSinceStartOfDay());
}

QDateTime DateTimeFromTimestamp(double milliseconds) {
    const std::int64_t total = std::llround(milliseconds);
    std::int64_t days = total / kMillisecondsPerDay;
    std::int64_t rest = total % kMillisecondsPerDay;
    if (rest < 0) {
        rest += kMillisecondsPerDay;
        --days;
    }
    return QDateTime(DateFromDays(days), QTime::fromMSecsSinceStartOfDay(static_cast<int>(rest)));
}

EncodeResult EncodeValue(const DesktopField& field, const DesktopValue& value, char* out) {
    if (field.kind == DesktopFieldKind::Other) {
        return Invalid("fields of type 0x" + QString::number(field.typeCode, 16).toStdString() +
                       " cannot be written");
    }
    if (std::holds_alternative<std::monostate>(value)) {
        std::memset(out, 0, static_cast<std::size_t>(field.size));
        return {};
    }
    if (const auto* integer = std::get_if<std::int64_t>(&value)) {
        return EncodeInteger(field, *integer, out);
    }
    if (const auto* number = std::get_if<double>(&value)) return EncodeFloat(field, *number, out);
    if (const auto* text = std::get_if<std::string>(&value)) return EncodeText(field, *text, out);
    if (const auto* flag = std::get_if<bool>(&value)) {
        if (field.kind != DesktopFieldKind::Logical) {
            return Invalid("a boolean cannot be stored in a " +
                           std::string(DesktopKindName(field.kind)) + " field");
        }
        *out = static_cast<char>(*flag ? 0x81 : 0x80);
        return {};
    }
    return EncodeDateTime(field, std::get<QDateTime>(value), out);
}

DesktopValue DecodeValue(const DesktopField& field, const char* in) {
    switch (field.kind) {
        case DesktopFieldKind::Alpha: {
            const auto* end = static_cast<const char*>(std::memchr(in, 0, field.size));
            const std::size_t length =
                end == nullptr ? static_cast<std::size_t>(field.size) : std::size_t(end - in);
            if (length == 0) return std::monostate{};
            return std::string(in, length);
        }
        case DesktopFieldKind::Short:
        case DesktopFieldKind::Long:
        case DesktopFieldKind::AutoInc: {
            const auto number = GetInteger(in, field.size);
            if (!number) return std::monostate{};
            return *number;
        }
        case DesktopFieldKind::Number:
        case DesktopFieldKind::Currency: {
            const auto number = GetDouble(in);
            if (!number) return std::monostate{};
            return *number;
        }
        case DesktopFieldKind::Logical: {
            const auto byte = static_cast<unsigned char>(*in);
            if (byte == 0) return std::monostate{};
            return (byte & 0x7F) != 0;
        }
        case DesktopFieldKind::Date: {
            const auto days = GetInteger(in, 4);
            if (!days) return std::monostate{};
            return QDateTime(DateFromDays(*days), QTime(0, 0));
        }
        case DesktopFieldKind::Time: {
            const auto milliseconds = GetInteger(in, 4);
            if (!milliseconds) return std::monostate{};
            return QDateTime(DateFromDays(kZeroDateDays),
                             QTime::fromMSecsSinceStartOfDay(static_cast<int>(*milliseconds)));
        }
        case DesktopFieldKind::Timestamp: {
            const auto milliseconds = GetDouble(in);
            if (!milliseconds) return std::monostate{};
            return DateTimeFromTimestamp(*milliseconds);
        }
        case DesktopFieldKind::Other:
            break;
    }
    return std::monostate{};
}

std::optional<std::int64_t> ValueAsInteger(const DesktopValue& value) {
    if (std::holds_alternative<std::monostate>(value)) return 0;
    if (const auto* integer = std::get_if<std::int64_t>(&value)) return *integer;
    if (const auto* number = std::get_if<double>(&value)) {
        const double whole = std::trunc(*number);
        // NaN compares false with every bound: it is checked first.
        if (!std::isfinite(whole) || whole < -9.2e18 || whole > 9.2e18) return std::nullopt;
        return static_cast<std::int64_t>(whole);
    }
    if (const auto* text = std::get_if<std::string>(&value)) return ParseIntegerText(*text);
    return std::nullopt;
}

std::optional<double> ValueAsFloat(const DesktopValue& value) {
    if (std::holds_alternative<std::monostate>(value)) return 0.0;
    if (const auto* integer = std::get_if<std::int64_t>(&value)) {
        return static_cast<double>(*integer);
    }
    if (const auto* number = std::get_if<double>(&value)) {
        if (!std::isfinite(*number)) return std::nullopt;
        return *number;
    }
    if (const auto* text = std::get_if<std::string>(&value)) return ParseFloatText(*text);
    return std::nullopt;
}

std::string ValueAsText(const DesktopValue& value, DesktopFieldKind kind) {
    if (const auto* integer = std::get_if<std::int64_t>(&value)) return std::to_string(*integer);
    if (const auto* number = std::get_if<double>(&value)) return FormatFloat(*number);
    if (const auto* text = std::get_if<std::string>(&value)) return *text;
    if (const auto* flag = std::get_if<bool>(&value)) return *flag ? "True" : "False";
    if (const auto* moment = std::get_if<QDateTime>(&value)) {
        const char* format = kind == DesktopFieldKind::Date   ? "dd.MM.yyyy"
                             : kind == DesktopFieldKind::Time ? "hh:mm:ss"
                                                              : "dd.MM.yyyy hh:mm:ss";
        return moment->toString(QLatin1String(format)).toStdString();
    }
    return {};
}

std::optional<bool> ValueAsBoolean(const DesktopValue& value) {
    if (std::holds_alternative<std::monostate>(value)) return false;
    if (const auto* flag = std::get_if<bool>(&value)) return *flag;
    return std::nullopt;
}

std::optional<QDateTime> ValueAsDateTime(const DesktopValue& value) {
    if (std::holds_alternative<std::monostate>(value)) return QDateTime();
    if (const auto* moment = std::get_if<QDateTime>(&value)) return *moment;
    return std::nullopt;
}

std::string FormatFloat(double value) {
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
    return std::string(buffer, result.ptr);
}

std::optional<std::int64_t> ParseIntegerText(std::string_view text) {
    text = Trim(text);
    if (text.empty()) return std::nullopt;
    if (text.front() == '+') text.remove_prefix(1);
    std::int64_t value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size()) return std::nullopt;
    return value;
}

std::optional<double> ParseFloatText(std::string_view text) {
    text = Trim(text);
    if (text.empty()) return std::nullopt;
    std::string copy(text);
    if (copy.front() == '+') copy.erase(0, 1);
    for (char& c : copy) {
        if (c == ',') c = '.';
    }
    double value = 0.0;
    const auto result = std::from_chars(copy.data(), copy.data() + copy.size(), value);
    if (result.ec != std::errc() || result.ptr != copy.data() + copy.size() ||
        !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

}  // namespace desktop_codec
}  // namespace rubso
