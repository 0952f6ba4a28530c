#pragma once
// The Polish letters in the encodings that the trading program, the screen
// and the registers use. Row numbers are those of LetterStandardIndex.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace rubso {

constexpr int kPolishLetterRows = 20;
constexpr int kPolishLetterCount = 18;  // Ą Ć Ę Ł Ń Ó Ś Ź Ż ą ć ę ł ń ó ś ź ż

// Row numbers with names.
constexpr int kRowIso8859_2 = 1;
constexpr int kRowWindows1250 = 2;  // the screen
constexpr int kRowLatin2 = 3;       // code page 852, sent to registers
constexpr int kRowMazovia = 4;
constexpr int kRowNoDiacritics = 20;

// PolishLetterTable()[row - 1][letter]: the byte of that letter in that row.
const std::array<std::array<std::uint8_t, kPolishLetterCount>, kPolishLetterRows>&
PolishLetterTable();

// One pass over the text: each byte that is a letter of row `from` becomes
// that letter of row `to`. Unchanged when from == to, from is outside 1..19
// or to outside 1..20.
std::string ConvertPolishLetters(std::string_view text, int from, int to);

}  // namespace rubso
