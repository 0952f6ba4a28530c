#include "tests/db/schema_test_base.h"

#include <gtest/gtest.h>

#include "core/text_utils.h"
#include "db/schema_upgrade.h"

namespace rubso::test {

SchemaTestBase::SchemaTestBase() = default;

void SchemaTestBase::CreateTradingSide(fixture::KodKasaKind kodKasa) {
    fb::Attachment attachment;
    AttachAsTradingOwner(attachment);
    fixture::CreateTradingDatabase(attachment, {kTestYear, kodKasa});
}

bool SchemaTestBase::ConnectAndCheck(bool testowanieBazy) {
    ConnectAsAdministrator();
    return AdministratorCheck(dm_, testowanieBazy);
}

std::set<std::string> SchemaTestBase::Names(const std::string& sql) const {
    fb::Attachment attachment;
    db_.Attach(attachment);
    fb::Transaction transaction(attachment);
    transaction.Start();
    fb::Statement statement(attachment, sql);
    std::set<std::string> names;
    for (fb::ResultSet rows = statement.Open(transaction); !rows.Eof(); rows.Next()) {
        names.insert(Trim(rows.AsString(0)));
    }
    return names;
}

std::set<std::string> SchemaTestBase::Columns(const std::string& table) const {
    return Names("select rdb$field_name from rdb$relation_fields where rdb$relation_name = '" +
                 table + "'");
}

int SchemaTestBase::CharLength(const std::string& table, const std::string& column) const {
    return std::stoi(
        Scalar("select f.rdb$character_length from rdb$relation_fields r join rdb$fields f on "
               "f.rdb$field_name = r.rdb$field_source where r.rdb$relation_name = '" +
               table + "' and r.rdb$field_name = '" + column + "'"));
}

bool SchemaTestBase::HasProcedure(const std::string& name) const {
    return Count("select count(*) from rdb$procedures where rdb$procedure_name = '" + name + "'") ==
           1;
}

bool SchemaTestBase::HasIndex(const std::string& name) const {
    return Count("select count(*) from rdb$indices where rdb$index_name = '" + name + "'") == 1;
}

std::vector<std::string> SchemaTestBase::LogSince(std::size_t from) const {
    std::vector<std::string> entries = LogEntries();
    if (from >= entries.size()) return {};
    return {entries.begin() + static_cast<std::ptrdiff_t>(from), entries.end()};
}

std::string SchemaTestBase::SchemaSnapshot() const {
    std::string text;
    auto add = [&](const std::string& title, const std::string& sql) {
        text += "== " + title + "\n";
        for (const std::string& line : Names(sql)) text += line + "\n";
    };
    const std::string own = "('COM_DEF','HIST_PAR','ODCZYT','PARAGONY')";
    add("columns",
        "select trim(r.rdb$relation_name) || '.' || trim(r.rdb$field_name) || ' ' || "
        "f.rdb$field_type || ' ' || coalesce(f.rdb$character_length, 0) || ' ' || "
        "coalesce(r.rdb$null_flag, 0) from rdb$relation_fields r join rdb$fields f on "
        "f.rdb$field_name = r.rdb$field_source where r.rdb$relation_name in " +
            own);
    add("indexes",
        "select trim(i.rdb$relation_name) || '.' || trim(i.rdb$index_name) || ' ' || "
        "trim(s.rdb$field_name) || ' ' || s.rdb$field_position from rdb$indices i join "
        "rdb$index_segments s on s.rdb$index_name = i.rdb$index_name where "
        "i.rdb$system_flag = 0");
    add("triggers",
        "select trim(rdb$trigger_name) || ' ' || trim(rdb$relation_name) from rdb$triggers "
        "where coalesce(rdb$system_flag, 0) = 0");
    add("generators",
        "select trim(rdb$generator_name) from rdb$generators where "
        "coalesce(rdb$system_flag, 0) = 0");
    add("procedures",
        "select trim(rdb$procedure_name) from rdb$procedures where "
        "coalesce(rdb$system_flag, 0) = 0");
    add("registers",
        "select id || ' ' || kod_kasa || ' ' || nazwa || ' ' || port || ' ' || aktywny || ' ' || "
        "vyrnrpocz from com_def");
    add("parameters", "select trim(nazwa) || '=' || pstring from parametry");
    return text;
}

}  // namespace rubso::test
