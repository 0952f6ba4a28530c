#pragma once
// The program's settings files ("Firma.ini" and the program's own INI file),
// read and written by section and key. Operators edit these files by hand, so
// a write changes only the line it has to and keeps everything else byte for
// byte: other sections and keys, comments, blank lines, their order and the
// line endings.
//
// Reading rules:
// - A line "[name]" opens section "name" (blanks around the name are dropped,
//   blanks inside it are kept; text after the last "]" is ignored). A line that
//   starts with "[" but has no "]" is a damaged header: it closes the section
//   before it, and the keys under it belong to no section until the next
//   valid header, so they are never taken for keys of another section.
// - "key=value" lines: the key is the text before the first "=", the value
//   the rest; both are trimmed, and one pair of enclosing double or single
//   quotes is stripped from the value. Lines starting with ";", lines without
//   "=", lines with an empty key and keys before any section are ignored.
// - Section and key names compare without regard to letter case by the code
//   page's case table (Polish letters included). When a name occurs twice, the
//   first occurrence is the one read and written.
// - CR LF, LF or a lone CR end a line; a UTF-8 byte-order mark and a missing
//   final line break are accepted.
//
// Texts are bytes in the program's code page. The file is read again for
// every call, so a hand edit made while the program runs is seen at once and
// kept by the next write.

#include <string>
#include <string_view>
#include <vector>

namespace rubso {

class IniFile {
  public:
    // Binds the object to `path`; the file need not exist.
    explicit IniFile(std::string path);

    const std::string& FileName() const { return path_; }

    // A missing file, section or key yields `defaultValue`. A key that is
    // present with an empty value yields the empty text.
    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view defaultValue) const;
    // Decimal integers with an optional sign, or hexadecimal after "0x" or
    // "$"; anything else (or a number out of range) yields `defaultValue`.
    int ReadInteger(std::string_view section, std::string_view key, int defaultValue) const;
    // An integer as for ReadInteger: 0 is false, any other number true; a
    // value that is not a number yields `defaultValue`.
    bool ReadBool(std::string_view section, std::string_view key, bool defaultValue) const;
    // A decimal number with "." or "," as separator; otherwise `defaultValue`.
    double ReadFloat(std::string_view section, std::string_view key, double defaultValue) const;

    // Each write reaches the disk before it returns. The file is read again,
    // changed in the one place and replaced whole through a temporary file in
    // the same directory, so a failed write never leaves half a file.
    // An existing key keeps its spelling and place; a new key goes after the
    // last key of its section; a new section goes at the end of the file,
    // after a blank line. A missing file is created (CR LF line ends); an
    // existing file keeps its line-end style. Line breaks inside the value
    // become blanks, since they would break the file's lines.
    // Returns false (and changes nothing) when the section or key is empty,
    // the file cannot be written (missing directory, no permission) or an
    // existing file cannot be read (it would be replaced by a fragment).
    bool WriteString(std::string_view section, std::string_view key, std::string_view value);
    bool WriteInteger(std::string_view section, std::string_view key, int value);
    bool WriteBool(std::string_view section, std::string_view key, bool value);  // "1" / "0"
    bool WriteFloat(std::string_view section, std::string_view key, double value);

    bool SectionExists(std::string_view section) const;
    bool ValueExists(std::string_view section, std::string_view key) const;
    // Key names of the section in file order, each name once, as spelled at
    // its first occurrence; empty for a missing section.
    std::vector<std::string> ReadSection(std::string_view section) const;
    // Section names in file order, each name once.
    std::vector<std::string> ReadSections() const;

    // Removes every section of that name with all its lines (up to the next
    // header). True when no such section is left; a missing section leaves
    // the file untouched.
    bool EraseSection(std::string_view section);
    // Removes every line of the key in the first section of that name. True
    // when the key is gone; a missing key leaves the file untouched.
    bool DeleteKey(std::string_view section, std::string_view key);

  private:
    std::string path_;
};

}  // namespace rubso
