// The rights of the role ADMINISTRATOR and of the system's routines on a
// database whose trading side the trading program's own user made: what the
// cashier may and may not do after the administrator's first login, and the
// routines' grants held against what the server records they touch.
#include "db/schema_grants.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "core/text_utils.h"
#include "db/schema_scripts.h"
#include "tests/db/schema_test_base.h"

namespace rubso {
namespace {

using test::CashierUserLock;
using test::kTestYear;
using test::SchemaTestBase;

const std::string kYear = std::to_string(kTestYear);

class SchemaGrantsTest : public SchemaTestBase {
  protected:
    void SetUp() override {
        CreateTradingSide();
        ConnectAndCheck();
        ASSERT_TRUE(Shown().empty()) << ::testing::PrintToString(Shown());
    }
};

// The statement's first row as the cashier sees it, its columns joined by
// "|", "" for a statement without rows, or "refused" when the server refuses
// it for want of a right. Everything is rolled back.
std::string AsCashier(fb::Attachment& cashier, const std::string& sql) {
    fb::Transaction transaction(cashier);
    transaction.Start();
    try {
        fb::Statement statement(cashier, sql);
        fb::ResultSet rows = statement.Open(transaction);
        std::string row;
        for (int i = 0; !rows.Eof() && i < rows.ColumnCount(); ++i) {
            row += (i == 0 ? "" : "|") + Trim(rows.AsString(i));
        }
        return row;
    } catch (const fb::FbError& error) {
        if (std::string(error.what()).find("no permission") != std::string::npos) return "refused";
        return error.what();
    }
}

TEST_F(SchemaGrantsTest,
       TheCashierWorksOnTheSystemsTablesAndTouchesTheBooksOnlyThroughItsProcedures) {
    CashierUserLock lock(db_.Server().dataDir, CashierUserLock::kUsesCashier);
    ConnectAsAdministrator();  // KASJER is there while the lock is held
    Exec({"insert into KARTAS" + kYear +
              " (ASORT, NAZWA, STAWKA_VAT, KOD_VAT, JM, GRUPA) values ('A1', 'Chleb', 23, '23', "
              "'szt', 'PIE')",
          "insert into KARTOD (KOD, NAZWA, JAKPLACI, NRCENY) values (0, 'Klient', 1, '1')",
          "insert into PARAGONY (ODCZYT, DATA, DATASPRZ, NUMER, STORNO, ASORT, ILOSC, WARTOSC, "
          "CENA, KASA, KOMPLET, OPAK) values ('R1', '2026-03-16', '2026-03-16 10:00', 1, 0, "
          "'A1', 2, 20, 10, 1, 1, 0)"});
    fb::Attachment cashier;
    cashier.Attach(db_.Path(), "KASJER", KasjerInitialPassword(), "ADMINISTRATOR");

    struct Case {
        std::string sql;
        std::string expected;
    };
    const std::vector<Case> cases = {
        // The system's own objects: everything.
        {"select count(*) from COM_DEF", "5"},
        {"update COM_DEF set NAZWA = NAZWA", ""},
        {"delete from HIST_PAR", ""},
        {"insert into ODCZYT (PLIK, LINIA) values ('f', 'l') returning ID", "0"},
        {"select gen_id(G_ID_COM_DEF, 0) from rdb$database", "4"},
        {"select count(*) from P_VYR_STATYSTYKA('2026-03-16', '2026-03-16')", "1"},
        {"execute procedure P_WOLNYKOD" + kYear + " 3", "1"},
        // The trading program's objects the program reads and writes.
        {"select count(*) from GRUPYAS", "0"},
        {"select count(*) from KARTAS" + kYear, "1"},
        {"update KARTAS" + kYear + " set KOD_KASA = 7, ATEST = 'Chleb'", ""},
        {"insert into PARAMETRY (LOKALIZACJA, SEKCJA, NAZWA) values ('L', 'S', 'N')", ""},
        {"update PARAMETRY set PSTRING = PSTRING", ""},
        // And nothing else of them.
        {"update KARTAS" + kYear + " set NAZWA = 'x'", "refused"},
        {"delete from KARTAS" + kYear, "refused"},
        {"insert into GRUPYAS (GRUPA) values ('X')", "refused"},
        {"delete from PARAMETRY", "refused"},
        {"select count(*) from KARTOD", "refused"},
        {"select count(*) from MAGA" + kYear, "refused"},
        {"insert into REJSPRZ (NR_PACZKI) values (1)", "refused"},
        {"execute procedure P_AKTUKAMA" + kYear +
             " '2026.03', 1, '01', 'A1', 'P', '2026-03-16', 1, 0, 0, 1, 0, 0, 'PIE', 'szt', 2, "
             "0, ''",
         "refused"},
        // The books change through the system's procedures: package 1, one
        // line booked into the warehouse movements, the stock cards and the
        // sales register.
        {"execute procedure P_ZAPISZ_WZ_KASY" + kYear +
             " '2026.03', '01', 'DET', 1, 0, 'R1', 'WZ/1', '2026-03-16'",
         "1|1"},
        {"select count(*) from P_VYR_POR" + kYear + "('2026-03-16', '2026-03-16')", "1"},
    };
    for (const Case& c : cases) EXPECT_EQ(AsCashier(cashier, c.sql), c.expected) << c.sql;
}

TEST_F(SchemaGrantsTest, EachRoutineMayTouchExactlyWhatTheServerSaysItDependsOn) {
    for (const std::string& entry : ListaObiektow()) {
        if (!StartsWith(entry, "P_")) continue;
        std::set<std::string> granted;
        for (const ObjectGrant& grant : RoutineGrants(entry, kTestYear)) {
            granted.insert(grant.object);
        }
        const std::string routine = ReplaceAll(ReplaceAll(entry, "2009", kYear), "XXXX", kYear);
        // Tables (0), procedures (5), generators (14), functions (15).
        const std::set<std::string> touched = Names(
            "select distinct rdb$depended_on_name from rdb$dependencies where "
            "rdb$dependent_name = '" +
            routine +
            "' and rdb$depended_on_type in (0, 5, 14, 15) and "
            "rdb$depended_on_name <> rdb$dependent_name");
        EXPECT_EQ(granted, touched) << entry;
    }
}

}  // namespace
}  // namespace rubso
