#pragma once
// Text and number helpers of the register simulator. Plain C++ without Qt:
// the library runs inside the program's process and must not drag its
// dependencies along. Texts are bytes; nothing here raises.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace rubso::sim {

// Lines ended by CR LF, LF or a lone CR; a final line break adds no line.
std::vector<std::string> SplitLines(std::string_view text);
// Fields separated by TAB; an empty text is one empty field.
std::vector<std::string> SplitTabs(std::string_view text);
// The same split into views of `text`, reusing `fields`.
void SplitTabs(std::string_view text, std::vector<std::string_view>& fields);
// Without leading and trailing blanks (space and TAB).
std::string_view TrimBlanks(std::string_view text);

// Outcome of reading a whole field as a number.
enum class NumberParse { kOk, kMalformed };

// Optional "-", then one or more decimal digits and nothing else. Values
// beyond +-10^18 (a field of 19 digits or more) are clamped there without
// overflowing, so the field's range check refuses them with its own code.
NumberParse ParseInteger(std::string_view text, std::int64_t& value);
// Digits only (no sign), clamped like ParseInteger.
NumberParse ParseDigits(std::string_view text, std::int64_t& value);

// A quantity with "." or "," and at most three decimals, as thousandths:
// "12.5" gives 12500, "0,05" gives 50. No sign.
NumberParse ParseQuantity(std::string_view text, std::int64_t& thousandths);
// Thousandths as the register prints a quantity: "12.5", "12", "0.05".
std::string QuantityText(std::int64_t thousandths);

// A register code in five digits, zero-padded ("00012").
std::string CodeText(std::int64_t code);
// The register number in two digits, zero-padded ("01").
std::string TwoDigits(int number);

// UTF-8 to Windows-1250 for the simulator's own texts: ASCII and the Polish
// letters; anything else becomes "?".
std::string Utf8ToCp1250(std::string_view utf8);
// Code page 852 (the names the register holds) to UTF-8 for the console:
// ASCII and the Polish letters; other bytes above 127 become "?".
std::string Cp852ToUtf8(std::string_view cp852);

}  // namespace rubso::sim
