#pragma once
// The program's code page. Texts from the database, the trading program's
// tables, the register files and the program's own files are bytes in
// Windows-1250; they stay bytes (std::string) everywhere and are decoded only
// to be shown. Literals in the sources are UTF-8 and pass through Cp1250()
// once, where a message is composed.

#include <QString>
#include <string>
#include <string_view>

namespace rubso {

// UTF-8 to Windows-1250. Characters the code page lacks become '?'.
std::string Cp1250(std::string_view utf8);

// Windows-1250 to UTF-8 (every byte maps to some character).
std::string Cp1250ToUtf8(std::string_view cp1250);

// Windows-1250 bytes to a QString for the screen, and back.
QString FromCp1250(std::string_view cp1250);
std::string ToCp1250(const QString& text);

// Code page 852 bytes, as a register holds and shows them, to a QString:
// every byte as the register's code page has it (box-drawing signs
// included), so a screen can show what the register will show.
QString FromCp852(std::string_view cp852);

// The one case table of the code page: Polish letters (ą/Ą, ś/Ś, ź/Ź, …) and
// the other accented letters of Windows-1250 are letters too.
char UpperChar(char c);
char LowerChar(char c);
std::string UpperCase(std::string_view text);
std::string LowerCase(std::string_view text);
bool SameTextIgnoringCase(std::string_view a, std::string_view b);

}  // namespace rubso
