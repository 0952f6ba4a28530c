#pragma once
// Small text and number functions shared by every layer. Register files and
// SQL statements are built with them, so their edge behaviour is exact.
// Texts are bytes in the program's code page; positions are 1-based.

#include <QDate>
#include <QDateTime>
#include <QTime>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace rubso {

// Raised by the whole-text conversions (and LeadingInt) when a text is not a
// number. Its message names the text, e.g. "'1-2' is not a valid integer value".
class ConvertError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// --- Trimming ---------------------------------------------------------------
// Removes leading and trailing characters with codes 0 to 32.
std::string Trim(std::string_view text);
std::string TrimLeft(std::string_view text);
std::string TrimRight(std::string_view text);

// --- Text -------------------------------------------------------------------
// Part before the first occurrence of `separator`; the whole text without one.
std::string TextBefore(std::string_view separator, std::string_view text);
// Part after the first occurrence of `separator`; the whole text without one.
std::string TextAfter(std::string_view separator, std::string_view text);
// True when the text is empty after trimming.
bool IsBlank(std::string_view text);
// Left-aligned in `width`, filled with `fill`; longer texts are cut.
std::string PadRight(std::string_view text, int width, char fill = ' ');
// Right-aligned in `width`; longer texts lose their leading characters.
std::string PadLeft(std::string_view text, int width, char fill = ' ');
std::string IntPadLeft(std::int64_t value, int width, char fill = ' ');
// n-th field (1-based) after collapsing runs of separators; empty when absent.
std::string NthField(std::string_view line, int n, char separator);
// The text without its last n characters.
std::string DropRight(std::string_view text, int n);
// Every occurrence of `pattern` removed (case-sensitive).
std::string RemoveAll(std::string_view text, std::string_view pattern);
// Every occurrence of `from` replaced by `to` (case-sensitive).
std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to);
bool StartsWith(std::string_view text, std::string_view prefix);
bool EndsWith(std::string_view text, std::string_view suffix);

// Splits a text into lines: CR LF, LF or a lone CR end a line; a final line
// break adds no empty line.
std::vector<std::string> SplitLines(std::string_view text);

// Splits a line at every TAB, keeping empty fields (a missing field must not
// let the next one slide into its place). The views point into `line`.
std::vector<std::string_view> SplitTabFields(std::string_view line);

// --- Numbers ----------------------------------------------------------------
// Whole-text conversions: surrounding blanks are allowed, anything else that
// is not consumed fails. The decimal separator is ".".
bool TryTextToInt(std::string_view text, std::int64_t& value);
bool TryTextToFloat(std::string_view text, double& value);
std::int64_t TextToInt(std::string_view text);  // raises ConvertError
double TextToFloat(std::string_view text);      // raises ConvertError

// Integer at the start of the text (after trimming); 0 when there is none.
// Raises ConvertError when the prefix of "-" and digits is not an integer.
std::int64_t LeadingInt(std::string_view text);
// A number written with "." or ","; `fallback` for an empty text only.
double ParseDecimal(std::string_view text, double fallback = 0.0);
// Rounds to `decimals` places, exact halves away from zero.
double RoundDecimals(int decimals, double value);

// Decimal text of a floating-point value as the program writes numbers:
// "." separator, no thousands separator, up to 15 significant digits, no
// trailing zeros (12.5, 12, 0.05, -3.25).
std::string FloatText(double value);
// Fixed number of decimals, "." separator (FixedText(12.5, 2) == "12.50").
std::string FixedText(double value, int decimals);

// yyyyMMdd (the year unpadded).
std::string DateDigits(const QDate& date);

// The program's own date and time formats, independent of the user's locale.
std::string DateText(const QDate& date);            // dd.MM.yyyy
std::string TimeText(const QTime& time);            // hh:mm:ss, 24-hour
std::string DateTimeText(const QDateTime& moment);  // date + " " + time; the date
                                                    // alone at exactly midnight

// --- SQL lists --------------------------------------------------------------
// "'" + text (every "'" turned into '"') + "'" and "," unless `last`.
std::string SqlQuoted(std::string_view text, bool last);
std::string SqlIntItem(std::int64_t value, bool last);

// --- Keyed lines ------------------------------------------------------------
// The first line that begins with the key (when `fromLeft`) or ends with it;
// returns that line without the key's length of characters, trimmed.
std::string FindLineByKey(std::string_view key, const std::vector<std::string>& lines,
                          bool fromLeft);
// 0-based index of the first line matched by the same rule; -1 when none.
int FindItemByKey(std::string_view key, const std::vector<std::string>& lines, bool fromLeft);

}  // namespace rubso
