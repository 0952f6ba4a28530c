#include "core/sql_identifier.h"

#include "core/codepage.h"
#include "core/text_utils.h"

namespace rubso {

bool IsPlainIdentifier(std::string_view name) {
    if (name.empty() || (name.front() >= '0' && name.front() <= '9')) return false;
    for (const char c : name) {
        const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        const bool digit = c >= '0' && c <= '9';
        if (!letter && !digit && c != '_' && c != '$') return false;
    }
    return true;
}

std::optional<SqlIdentifier> SqlIdentifier::From(std::string_view name) {
    if (!IsPlainIdentifier(name)) return std::nullopt;
    return SqlIdentifier(name);
}

SqlIdentifier SqlIdentifier::Require(std::string_view name, std::string_view what) {
    if (!IsPlainIdentifier(name)) {
        throw InvalidIdentifierError(InvalidIdentifierMessage(name, what));
    }
    return SqlIdentifier(name);
}

std::string operator+(std::string sql, const SqlIdentifier& name) {
    sql += name.Text();
    return sql;
}

std::string operator+(const SqlIdentifier& name, std::string_view sql) {
    std::string text = name.Text();
    text += sql;
    return text;
}

std::string InvalidIdentifierMessage(std::string_view name, std::string_view what) {
    return Cp1250("Niepoprawna nazwa ") + Cp1250(what) + ": " + std::string(name);
}

ColumnSetting::ColumnSetting(std::string_view text, std::string_view what)
    : text_(Trim(text)), what_(what), column_(SqlIdentifier::From(text_)) {}

std::string ColumnSetting::Refusal() const {
    return IsValid() ? std::string() : InvalidIdentifierMessage(text_, what_);
}

std::optional<SqlIdentifier> ColumnSetting::Column() const {
    if (!IsValid()) throw InvalidIdentifierError(Refusal());
    return column_;
}

}  // namespace rubso
