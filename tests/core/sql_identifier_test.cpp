#include "core/sql_identifier.h"

#include <gtest/gtest.h>

#include <string>

#include "core/codepage.h"

namespace rubso {
namespace {

struct NameCase {
    std::string name;
    bool plain;
};

// Names an operator could type or hand-edit into the settings.
const NameCase kNames[] = {
    {"KOD_EAN", true},
    {"cena_2", true},
    {"$ID1", true},
    {"", false},
    {"1CENA", false},
    {"CENA 1", false},
    {"CENA_1 --", false},
    {"kod_ean; drop table COM_DEF", false},
    {"x' or '1'='1", false},
    {"\"KOD_EAN\"", false},
    {"CENA/**/_1", false},
    {"KOD\nEAN", false},
    {"g.kod_ean", false},
    {Cp1250("ŁĄKA"), false},
    {std::string("KOD\0EAN", 7), false},
};

class HostileNames : public ::testing::TestWithParam<NameCase> {};

TEST_P(HostileNames, OnlyPlainNamesBecomeIdentifiers) {
    const NameCase& c = GetParam();
    EXPECT_EQ(c.plain, SqlIdentifier::From(c.name).has_value());
    if (c.plain) {
        EXPECT_EQ(c.name, SqlIdentifier::Require(c.name, "pola").Text());
    } else {
        EXPECT_THROW(SqlIdentifier::Require(c.name, "pola"), InvalidIdentifierError);
    }
}

TEST_P(HostileNames, ASettingKeepsItsTextAndRefusesAtEveryUse) {
    const NameCase& c = GetParam();
    const ColumnSetting setting(c.name, "pola z kodem kreskowym");
    EXPECT_EQ(c.name, setting.Text());
    EXPECT_EQ(c.plain || c.name.empty(), setting.IsValid());
    if (setting.IsValid()) {
        EXPECT_EQ(c.plain, setting.Column().has_value());
        EXPECT_EQ("", setting.Refusal());
    } else {
        const std::string refusal = Cp1250("Niepoprawna nazwa pola z kodem kreskowym: ") + c.name;
        EXPECT_EQ(refusal, setting.Refusal());
        try {
            setting.Column();
            ADD_FAILURE() << "no refusal";
        } catch (const InvalidIdentifierError& e) {
            EXPECT_STREQ(refusal.c_str(), e.what());  // what() ends at a NUL
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Settings, HostileNames, ::testing::ValuesIn(kNames),
                         [](const ::testing::TestParamInfo<NameCase>& name) {
                             return (name.param.plain ? "Plain" : "Refused") +
                                    std::to_string(name.index);
                         });

TEST(SqlIdentifierTest, SplicesAsItsTextAndASettingDropsTheBlanksAround) {
    const SqlIdentifier column = SqlIdentifier::Require("KOD_EAN", "pola");
    EXPECT_EQ("select KOD_EAN from T", "select " + column + " from T");
    EXPECT_EQ("KOD_EAN", ColumnSetting("  KOD_EAN\t", "pola").Column()->Text());
}

}  // namespace
}  // namespace rubso
