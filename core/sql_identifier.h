#pragma once
// Names that are spliced into the text of a statement: table and column
// names. Values go into statements as parameters; a name cannot, so a
// statement builder takes names only as SqlIdentifier, and the only way to
// make one is the identifier check below. Whatever an operator typed into
// the settings, a statement then holds no quote, blank, comment or second
// statement of it.
//
// Names go into statements unquoted: the server takes them in upper case, as
// the trading program made them; a double-quoted name would be a different,
// case-sensitive one, and a single-quoted one a text literal.

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace rubso {

// True for a name made of ASCII letters, digits, "_" and "$" that does not
// start with a digit.
bool IsPlainIdentifier(std::string_view name);

// A name refused by the identifier check. The message is the operator's, in
// the program's code page: "Niepoprawna nazwa " + what + ": " + the name
// (InvalidIdentifierMessage).
class InvalidIdentifierError : public std::invalid_argument {
  public:
    using std::invalid_argument::invalid_argument;
};

class SqlIdentifier {
  public:
    // The name when it passes IsPlainIdentifier; nullopt otherwise.
    static std::optional<SqlIdentifier> From(std::string_view name);
    // The name, or InvalidIdentifierError naming `what` (a UTF-8 literal such
    // as "pola z ceną").
    static SqlIdentifier Require(std::string_view name, std::string_view what);

    const std::string& Text() const { return text_; }
    bool operator==(const SqlIdentifier&) const = default;

  private:
    explicit SqlIdentifier(std::string_view text) : text_(text) {}
    std::string text_;
};

// Splicing a name into a statement's text.
std::string operator+(std::string sql, const SqlIdentifier& name);
std::string operator+(const SqlIdentifier& name, std::string_view sql);

// "Niepoprawna nazwa " + what (UTF-8, turned into the code page) + ": " +
// name (code-page bytes).
std::string InvalidIdentifierMessage(std::string_view name, std::string_view what);

// A column name held by the settings (the bar-code column "BarKod"): the text
// as stored, blanks trimmed, and what the identifier check made of it when it
// was read or saved. Blank means no column.
class ColumnSetting {
  public:
    ColumnSetting() = default;
    // `what` names the setting in messages (UTF-8, as for Require).
    ColumnSetting(std::string_view text, std::string_view what);

    const std::string& Text() const { return text_; }
    bool IsBlank() const { return text_.empty(); }
    // Blank, or a name that passed the check.
    bool IsValid() const { return text_.empty() || column_.has_value(); }
    // The refusal, "" when valid.
    std::string Refusal() const;
    // The column; nullopt when blank. Raises InvalidIdentifierError (the
    // refusal) when the text is not a plain name.
    std::optional<SqlIdentifier> Column() const;

  private:
    std::string text_;
    std::string what_;
    std::optional<SqlIdentifier> column_;
};

}  // namespace rubso
