#include "db/desktop/desktop_field.h"

#include <gtest/gtest.h>

#include <QTime>
#include <cmath>
#include <limits>
#include <string>

namespace rubso {
namespace {

using desktop_codec::EncodeStatus;

std::string Hex(const std::string& bytes) {
    static const char* digits = "0123456789ABCDEF";
    std::string text;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        text += digits[byte >> 4];
        text += digits[byte & 0x0F];
    }
    return text;
}

DesktopField Field(DesktopFieldKind kind, int size) {
    DesktopField field;
    field.name = "F";
    field.kind = kind;
    field.size = size;
    return field;
}

// Encodes `value` into a field of `kind`; the bytes in hex, or the status.
std::string Encoded(DesktopFieldKind kind, int size, const DesktopValue& value) {
    std::string bytes(static_cast<std::size_t>(size), '\x55');
    const auto result = desktop_codec::EncodeValue(Field(kind, size), value, bytes.data());
    if (result.status == EncodeStatus::TooLong) return "too long";
    if (result.status == EncodeStatus::Invalid) return "invalid";
    return Hex(bytes);
}

DesktopValue Decoded(DesktopFieldKind kind, const std::string& bytes) {
    return desktop_codec::DecodeValue(Field(kind, static_cast<int>(bytes.size())), bytes.data());
}

QDateTime At(int year, int month, int day, int hour = 0, int minute = 0, int second = 0,
             int millisecond = 0) {
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second, millisecond));
}

// --- Stored numbers: big-endian with the sign bit flipped ---------------------------

TEST(DesktopStoredIntegerTest, FlipsTheSignBitOfBigEndianTwosComplement) {
    EXPECT_EQ("7FFE", Encoded(DesktopFieldKind::Short, 2, std::int64_t{-2}));
    EXPECT_EQ("7FFF", Encoded(DesktopFieldKind::Short, 2, std::int64_t{-1}));
    EXPECT_EQ("8000", Encoded(DesktopFieldKind::Short, 2, std::int64_t{0}));
    EXPECT_EQ("8001", Encoded(DesktopFieldKind::Short, 2, std::int64_t{1}));
    EXPECT_EQ("80000102", Encoded(DesktopFieldKind::Long, 4, std::int64_t{258}));
    EXPECT_EQ("7FFFFEFE", Encoded(DesktopFieldKind::Long, 4, std::int64_t{-258}));
}

TEST(DesktopStoredIntegerTest, ReadsBackEveryValueOfTheSymmetricRange) {
    for (const std::int64_t value : {-32767LL, -1LL, 0LL, 1LL, 32767LL}) {
        char bytes[2];
        desktop_codec::PutInteger(bytes, 2, value);
        EXPECT_EQ(value, desktop_codec::GetInteger(bytes, 2));
    }
    for (const std::int64_t value : {-2147483647LL, -65536LL, 65536LL, 2147483647LL}) {
        char bytes[4];
        desktop_codec::PutInteger(bytes, 4, value);
        EXPECT_EQ(value, desktop_codec::GetInteger(bytes, 4));
    }
}

TEST(DesktopStoredIntegerTest, TheLowestTwosComplementValueIsRefusedBecauseItsBytesMeanNull) {
    EXPECT_EQ("invalid", Encoded(DesktopFieldKind::Short, 2, std::int64_t{-32768}));
    EXPECT_EQ("invalid", Encoded(DesktopFieldKind::Short, 2, std::int64_t{32768}));
    EXPECT_EQ("invalid", Encoded(DesktopFieldKind::Long, 4, std::int64_t{-2147483648LL}));
    EXPECT_EQ("invalid", Encoded(DesktopFieldKind::Long, 4, std::int64_t{2147483648LL}));
}

TEST(DesktopStoredIntegerTest, AllZeroBytesAreNullNotZero) {
    EXPECT_FALSE(desktop_codec::GetInteger("\0\0", 2).has_value());
    EXPECT_FALSE(desktop_codec::GetInteger("\0\0\0\0", 4).has_value());
    EXPECT_EQ(0, desktop_codec::GetInteger("\x80\0", 2));
}

TEST(DesktopStoredDoubleTest, SetsTheSignBitOfPositiveValuesAndInvertsNegativeOnes) {
    // 100.5 is 4059200000000000 in IEEE form.
    EXPECT_EQ("C059200000000000", Encoded(DesktopFieldKind::Number, 8, 100.5));
    EXPECT_EQ("3FA6DFFFFFFFFFFF", Encoded(DesktopFieldKind::Number, 8, -100.5));
    EXPECT_EQ("8000000000000000", Encoded(DesktopFieldKind::Number, 8, 0.0));
}

TEST(DesktopStoredDoubleTest, NegativeZeroIsStoredAsZeroSoThatEqualValuesHaveEqualBytes) {
    EXPECT_EQ("8000000000000000", Encoded(DesktopFieldKind::Currency, 8, -0.0));
}

TEST(DesktopStoredDoubleTest, ReadsBackExactly) {
    for (const double value :
         {0.0, 0.01, -0.01, 12.3, -24.6, 1e15, -1e-300, std::numeric_limits<double>::max()}) {
        char bytes[8];
        desktop_codec::PutDouble(bytes, value);
        EXPECT_EQ(value, desktop_codec::GetDouble(bytes));
    }
    EXPECT_FALSE(desktop_codec::GetDouble("\0\0\0\0\0\0\0\0").has_value());
}

TEST(DesktopStoredDoubleTest, NotANumberAndInfinityAreRefused) {
    EXPECT_EQ("invalid", Encoded(DesktopFieldKind::Number, 8, std::nan("")));
    EXPECT_EQ("invalid",
              Encoded(DesktopFieldKind::Number, 8, std::numeric_limits<double>::infinity()));
}

// --- Dates and times --------------------------------------------------------------

TEST(DesktopStoredDateTest, CountsDaysWithTheFirstOfJanuaryOfYearOneAsDayOne) {
    EXPECT_EQ(1, desktop_codec::DaysFromDate(QDate(1, 1, 1)));
    EXPECT_EQ(728783, desktop_codec::DaysFromDate(QDate(1996, 5, 4)));
    EXPECT_EQ(desktop_codec::kZeroDateDays, desktop_codec::DaysFromDate(QDate(1899, 12, 30)));
    EXPECT_EQ(QDate(2009, 5, 14),
              desktop_codec::DateFromDays(desktop_codec::DaysFromDate(QDate(2009, 5, 14))));
}

TEST(DesktopStoredDateTest, DateFieldKeepsTheDayAndDropsTheTime) {
    EXPECT_EQ("800B1ECF", Encoded(DesktopFieldKind::Date, 4, At(1996, 5, 4, 13, 30)));
    EXPECT_EQ(DesktopValue(At(1996, 5, 4)),
              Decoded(DesktopFieldKind::Date, std::string("\x80\x0B\x1E\xCF", 4)));
}

TEST(DesktopStoredDateTest, TimeFieldCountsMillisecondsSinceMidnightOnTheZeroDate) {
    EXPECT_EQ("8000EA61", Encoded(DesktopFieldKind::Time, 4, At(2020, 1, 2, 0, 1, 0, 1)));
    EXPECT_EQ(DesktopValue(At(1899, 12, 30, 0, 1, 0, 1)),
              Decoded(DesktopFieldKind::Time, std::string("\x80\x00\xEA\x61", 4)));
}

TEST(DesktopStoredDateTest, TimestampCountsMillisecondsFromTheSameDayOne) {
    EXPECT_EQ(693594.0 * 86400000.0, desktop_codec::TimestampFromDateTime(At(1899, 12, 30)));
    const QDateTime moment = At(2009, 5, 14, 13, 45, 7, 123);
    EXPECT_EQ(moment,
              desktop_codec::DateTimeFromTimestamp(desktop_codec::TimestampFromDateTime(moment)));
}

TEST(DesktopStoredDateTest, AnInvalidDateTimeStoresNull) {
    EXPECT_EQ("00000000", Encoded(DesktopFieldKind::Date, 4, QDateTime()));
    EXPECT_EQ("0000000000000000", Encoded(DesktopFieldKind::Timestamp, 8, QDateTime()));
}

TEST(DesktopStoredDateTest, DatesBeforeDayOneAreRefused) {
    EXPECT_EQ("invalid", Encoded(DesktopFieldKind::Date, 4, At(-1, 12, 31)));
}

// --- Alpha and logical ----------------------------------------------------------------

TEST(DesktopStoredTextTest, KeepsTheBytesAndPadsWithZeros) {
    EXPECT_EQ("41B9E6000000", Encoded(DesktopFieldKind::Alpha, 6, std::string("A\xB9\xE6")));
    EXPECT_EQ(DesktopValue(std::string("A\xB9\xE6")),
              Decoded(DesktopFieldKind::Alpha, std::string("A\xB9\xE6\0\0\0", 6)));
}

TEST(DesktopStoredTextTest, AFullWidthTextFitsAndOneByteMoreDoesNot) {
    EXPECT_EQ("414243", Encoded(DesktopFieldKind::Alpha, 3, std::string("ABC")));
    EXPECT_EQ("too long", Encoded(DesktopFieldKind::Alpha, 3, std::string("ABCD")));
}

TEST(DesktopStoredTextTest, AZeroByteInsideATextIsRefused) {
    EXPECT_EQ("invalid", Encoded(DesktopFieldKind::Alpha, 6, std::string("A\0B", 3)));
}

TEST(DesktopStoredTextTest, AnEmptyTextIsStoredAsNull) {
    EXPECT_EQ("000000", Encoded(DesktopFieldKind::Alpha, 3, std::string()));
    EXPECT_EQ(DesktopValue(), Decoded(DesktopFieldKind::Alpha, std::string(3, '\0')));
}

TEST(DesktopStoredLogicalTest, FalseTrueAndNullHaveTheirOwnBytes) {
    EXPECT_EQ("80", Encoded(DesktopFieldKind::Logical, 1, false));
    EXPECT_EQ("81", Encoded(DesktopFieldKind::Logical, 1, true));
    EXPECT_EQ(DesktopValue(false), Decoded(DesktopFieldKind::Logical, "\x80"));
    EXPECT_EQ(DesktopValue(true), Decoded(DesktopFieldKind::Logical, "\x81"));
    EXPECT_EQ(DesktopValue(), Decoded(DesktopFieldKind::Logical, std::string(1, '\0')));
}

// --- Conversions between what is set and what the field is -----------------------------

struct ConversionCase {
    const char* name;
    DesktopFieldKind kind;
    int size;
    DesktopValue value;
    std::string expected;  // hex bytes, "invalid" or "too long"
};

class DesktopConversionTest : public ::testing::TestWithParam<ConversionCase> {};

TEST_P(DesktopConversionTest, StoresOrRefusesTheValue) {
    const ConversionCase& c = GetParam();
    EXPECT_EQ(c.expected, Encoded(c.kind, c.size, c.value));
}

INSTANTIATE_TEST_SUITE_P(
    Matrix, DesktopConversionTest,
    ::testing::Values(
        ConversionCase{"IntegerIntoNumber", DesktopFieldKind::Number, 8, std::int64_t{2},
                       "C000000000000000"},
        ConversionCase{"IntegerIntoAlphaAsDecimalText", DesktopFieldKind::Alpha, 4,
                       std::int64_t{-12}, "2D313200"},
        ConversionCase{"IntegerIntoLogical", DesktopFieldKind::Logical, 1, std::int64_t{1},
                       "invalid"},
        ConversionCase{"WholeFloatIntoShort", DesktopFieldKind::Short, 2, 5.0, "8005"},
        ConversionCase{"FractionIntoShort", DesktopFieldKind::Short, 2, 5.5, "invalid"},
        ConversionCase{"FloatIntoAlphaWithPoint", DesktopFieldKind::Alpha, 5, 12.5, "31322E3500"},
        ConversionCase{"TextIntoLong", DesktopFieldKind::Long, 4, std::string(" 42 "), "8000002A"},
        ConversionCase{"EmptyTextIntoLongIsNull", DesktopFieldKind::Long, 4, std::string(""),
                       "00000000"},
        ConversionCase{"WordIntoLong", DesktopFieldKind::Long, 4, std::string("x1"), "invalid"},
        ConversionCase{"CommaDecimalIntoNumber", DesktopFieldKind::Number, 8, std::string("12,5"),
                       "C029000000000000"},
        ConversionCase{"PointDecimalIntoNumber", DesktopFieldKind::Number, 8, std::string("12.5"),
                       "C029000000000000"},
        ConversionCase{"TrueTextIntoLogical", DesktopFieldKind::Logical, 1, std::string("True"),
                       "81"},
        ConversionCase{"TextIntoDate", DesktopFieldKind::Date, 4, std::string("01.01.2009"),
                       "invalid"},
        ConversionCase{"BooleanIntoShort", DesktopFieldKind::Short, 2, true, "invalid"},
        ConversionCase{"DateTimeIntoAlpha", DesktopFieldKind::Alpha, 10,
                       DesktopValue(At(2009, 1, 1)), "invalid"},
        ConversionCase{"NullIntoAnyKind", DesktopFieldKind::Currency, 8, DesktopValue(),
                       "0000000000000000"},
        ConversionCase{"AnythingIntoAnUnreadKind", DesktopFieldKind::Other, 17, std::int64_t{1},
                       "invalid"}),
    [](const ::testing::TestParamInfo<ConversionCase>& suite) { return suite.param.name; });

TEST(DesktopReadConversionTest, NullReadsAsTheZeroOfEveryKind) {
    const DesktopValue null;
    EXPECT_EQ(0, desktop_codec::ValueAsInteger(null));
    EXPECT_EQ(0.0, desktop_codec::ValueAsFloat(null));
    EXPECT_EQ("", desktop_codec::ValueAsText(null, DesktopFieldKind::Long));
    EXPECT_EQ(false, desktop_codec::ValueAsBoolean(null));
    EXPECT_FALSE(desktop_codec::ValueAsDateTime(null)->isValid());
}

TEST(DesktopReadConversionTest, AFloatingValueReadAsIntegerIsTruncated) {
    EXPECT_EQ(23, desktop_codec::ValueAsInteger(DesktopValue(23.9)));
    EXPECT_EQ(-7, desktop_codec::ValueAsInteger(DesktopValue(-7.5)));
}

TEST(DesktopReadConversionTest, TextsShowNumbersAndDatesByTheProgramsOwnRules) {
    EXPECT_EQ("12.3", desktop_codec::ValueAsText(DesktopValue(12.3), DesktopFieldKind::Number));
    EXPECT_EQ("0.1", desktop_codec::ValueAsText(DesktopValue(0.1), DesktopFieldKind::Number));
    EXPECT_EQ("-5",
              desktop_codec::ValueAsText(DesktopValue(std::int64_t{-5}), DesktopFieldKind::Long));
    EXPECT_EQ("True", desktop_codec::ValueAsText(DesktopValue(true), DesktopFieldKind::Logical));
    EXPECT_EQ("14.05.2009",
              desktop_codec::ValueAsText(DesktopValue(At(2009, 5, 14)), DesktopFieldKind::Date));
    EXPECT_EQ("07:08:09", desktop_codec::ValueAsText(DesktopValue(At(1899, 12, 30, 7, 8, 9)),
                                                     DesktopFieldKind::Time));
    EXPECT_EQ("14.05.2009 07:08:09",
              desktop_codec::ValueAsText(DesktopValue(At(2009, 5, 14, 7, 8, 9)),
                                         DesktopFieldKind::Timestamp));
}

TEST(DesktopReadConversionTest, KindsThatCannotBeReadAsAskedGiveNothing) {
    EXPECT_FALSE(desktop_codec::ValueAsInteger(DesktopValue(true)).has_value());
    EXPECT_FALSE(desktop_codec::ValueAsInteger(DesktopValue(std::string("12a"))).has_value());
    EXPECT_FALSE(desktop_codec::ValueAsFloat(DesktopValue(At(2009, 1, 1))).has_value());
    EXPECT_FALSE(desktop_codec::ValueAsBoolean(DesktopValue(std::int64_t{1})).has_value());
    EXPECT_FALSE(desktop_codec::ValueAsDateTime(DesktopValue(std::string("x"))).has_value());
}

}  // namespace
}  // namespace rubso
