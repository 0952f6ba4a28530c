// The end of day as a shop runs it: the program itself started as the timer
// starts it, in a program directory of its own, logging in as the cashier,
// against a throw-away database, the trading program's tables and the
// substitute register library. A run is killed (SIGKILL, at the step
// boundaries the program names) and started again the way a power cut and
// the next evening would.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDate>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/app_state.h"
#include "core/codepage.h"
#include "core/file_lock.h"
#include "core/file_utils.h"
#include "core/text_utils.h"
#include "db/desktop/desktop_table.h"
#include "db/schema_upgrade.h"
#include "db/tdm.h"
#include "fixture/trading_database.h"
#include "fixture/trading_tables.h"
#include "register/sim/sim_state.h"
#include "register/sim/sim_tool.h"
#include "tests/db/tdm_test_base.h"

namespace rubso {
namespace {

struct RunResult {
    int status = -1;      // exit status; -1 when killed
    bool killed = false;  // ended by SIGKILL
    std::string output;   // standard output and error (UTF-8)
};

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

class DayEndRunTest : public test::TdmTestBase {
  protected:
    DayEndRunTest() {
        ::unsetenv("RUBSO_SIM_STATE");
        const std::vector<fixture::Good> goods = {
            {"A-001", "Mleko", 3.49, 3.49, 5, "05", 1},
            {"A-002", "Chleb", 4.99, 4.99, 8, "08", 2},
            {"A-003", "Woda", 1.99, 1.99, 23, "23", 3},
        };
        {
            fb::Attachment attachment;
            AttachAsTradingOwner(attachment);
            fixture::CreateTradingDatabase(attachment,
                                           {today_.year(), fixture::KodKasaKind::Integer});
            fixture::AddGoods(attachment, today_.year(), fixture::KodKasaKind::Integer, goods);
        }
        ConnectAsAdministrator();  // the schema, COM_DEF's five registers, the cashier
        AdministratorCheck(dm_, true);
        db_.Execute({"update com_def set aktywny = 0 where kod_kasa in ('4', '5')"});
        dm_.IBBaza.Detach();

        tables_ = fixture::CreateTradingTables(trading_.Path(), today_.year(), today_.month());
        std::vector<fixture::AsortGood> asort;
        std::vector<fixture::StockCard> cards;
        for (const fixture::Good& good : goods) {
            asort.push_back({good.asort, good.nazwa, good.stawkaVat, "SPO", good.jm});
            cards.push_back({"01", good.asort, 100, 0, good.cena1, "", {}});
        }
        fixture::AddAsortGoods(tables_.asort, asort);
        fixture::AddStockCards(tables_.kama, cards);

        // The program directory as an installation has it.
        std::filesystem::create_hard_link(RUBSO_PROGRAM, program_.File("rubso"));
        for (const char* name : {"koment.txt", kWinIpName}) {
            std::filesystem::copy_file(std::string(RUBSO_PROGRAM_DIR) + "/" + name,
                                       program_.File(name));
        }
        WriteSettings("KASJER", 0600);
        for (int n : {1, 2, 3}) {
            sim::RegisterState state;
            state.goods[1] = RegisterGood("Mleko", 3, 349);
            state.goods[2] = RegisterGood("Chleb", 2, 499);
            state.goods[3] = RegisterGood("Woda", 1, 199);
            EXPECT_EQ(sim::Error::kNone,
                      sim::SaveState(sim::StateFilePath(program_.File("sim"), n), state));
        }
    }

    static constexpr const char* kWinIpName = "libWinIP.so";

    static sim::Good RegisterGood(const std::string& name, int vatGroup, std::int64_t price) {
        sim::Good good;
        good.name = PadRight(name, 19);
        good.vatGroup = vatGroup;
        good.price = price;
        return good;
    }

    void WriteSettings(const std::string& user, int passwordMode) {
        const std::string ini = "[Rubso]\r\nPth=" + db_.Path() +
                                "\r\n[Main]\r\nAsorPth=" + trading_.Path() +
                                "\r\nTypDokum=WZ\r\nNrMag=01\r\nKierWZ=DET\r\n"
                                "NrRej=1\r\n[KASA 2]\r\nNrKasySystem=2\r\n[KASA 3]\r\n"
                                "NrKasySystem=3\r\n[KoniecDnia]\r\nUzytkownik=" +
                                user + "\r\n";
        ASSERT_TRUE(WriteFileText(ini, program_.File("rubso.INI")));
        const std::string password = program_.File("KoniecDnia.haslo");
        ASSERT_TRUE(WriteFileText(KasjerInitialPassword() + "\n", password));
        ASSERT_EQ(0, ::chmod(password.c_str(), static_cast<mode_t>(passwordMode)));
    }

    // The command line of the systemd service, with the program of this
    // build, and `extra` arguments after it.
    std::vector<std::string> ServiceCommand(const std::vector<std::string>& extra = {}) const {
        std::ifstream unit(std::string(RUBSO_SOURCE_DIR) +
                           "/packaging/systemd/rubso-koniec-dnia.service");
        std::string line;
        while (std::getline(unit, line) && !StartsWith(line, "ExecStart=")) {
        }
        std::istringstream words(line.substr(std::string("ExecStart=").size()));
        std::vector<std::string> command;
        for (std::string word; words >> word;) command.push_back(word);
        command.front() = program_.File("rubso");
        command.insert(command.end(), extra.begin(), extra.end());
        return command;
    }

    RunResult Run(const std::vector<std::string>& command, const std::string& killAt = {}) const {
        std::string line = killAt.empty() ? "" : "RUBSO_DAYEND_KILL_AT=" + killAt + " ";
        line += "exec";
        for (const std::string& word : command) line += " '" + word + "'";
        RunResult result;
        FILE* pipe = ::popen((line + " 2>&1").c_str(), "r");
        if (pipe == nullptr) return result;
        char buffer[512];
        while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) result.output += buffer;
        const int status = ::pclose(pipe);
        result.killed = WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
        if (WIFEXITED(status)) result.status = WEXITSTATUS(status);
        return result;
    }

    RunResult Run(const std::vector<std::string>& extra, const QDate& date,
                  const std::string& killAt = {}) const {
        std::vector<std::string> arguments = {"--data", date.toString("yyyy-MM-dd").toStdString()};
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        return Run(ServiceCommand(arguments), killAt);
    }

    std::string KasaSim(std::initializer_list<std::string> args) const {
        std::vector<std::string> all = {"--state", program_.File("sim")};
        all.insert(all.end(), args);
        std::ostringstream out;
        std::ostringstream err;
        sim::RunKasaSimTool(all, out, err);
        return out.str() + err.str();
    }
    bool HoldsSales(int registerNo) const {
        return !Contains(KasaSim({"list", std::to_string(registerNo)}), " 0 receipts");
    }

    static std::int32_t Package(int registerNo, const QDate& date) {
        return 100000000 +
               std::stoi(IntPadLeft(registerNo, 2, '0') + date.toString("yyMMdd").toStdString());
    }
    // Rows of the package in a table of the month.
    int Rows(const std::string& table, std::int32_t package) const {
        DesktopTable rows;
        rows.Open(table, DesktopOpenMode::ReadOnly);
        int count = 0;
        for (rows.First(); !rows.Eof(); rows.Next()) {
            if (rows.AsInteger("Nr_paczki") == package) ++count;
        }
        return count;
    }
    // Exactly one document of the register and day: its lines in Maga, one
    // row in the sales register.
    void ExpectOneDocument(int registerNo, const QDate& date, int lines) const {
        EXPECT_EQ(lines, Rows(tables_.maga, Package(registerNo, date)))
            << "register " << registerNo;
        EXPECT_EQ(1, Rows(tables_.rejSprz, Package(registerNo, date))) << "register " << registerNo;
    }

    const QDate today_ = QDate::currentDate();
    test::CashierUserLock cashier_{db_.Server().dataDir, test::CashierUserLock::kUsesCashier};
    test::TempDir program_;
    test::TempDir trading_;
    fixture::TradingTablePaths tables_;
};

TEST_F(DayEndRunTest, ARegisterFailingItsReadStopsOnlyItselfAndTheNextRunFinishesIt) {
    for (int n : {1, 2, 3}) KasaSim({"sell", std::to_string(n), "1", "2", "3", "1"});
    KasaSim({"fail", "2", "OTSpMax", "25"});

    const RunResult first = Run(ServiceCommand());
    EXPECT_EQ(1, first.status) << first.output;
    EXPECT_TRUE(Contains(first.output, "Kasa 1: zamknięta - dokument WZ/" +
                                           std::to_string(Package(1, today_)) +
                                           ", pozycji 2, brutto 8.97 zł, liczniki wyzerowane"))
        << first.output;
    EXPECT_TRUE(
        Contains(first.output, "Kasa 2: NIE ZAMKNIĘTA - odczyt sprzedaży: [OTSpMax] Error 25"))
        << first.output;
    EXPECT_TRUE(Contains(first.output, "Kasa 3: zamknięta")) << first.output;
    EXPECT_FALSE(Contains(first.output, "Kasa 4")) << "an inactive register was worked on";
    EXPECT_FALSE(HoldsSales(1));
    EXPECT_TRUE(HoldsSales(2));
    EXPECT_FALSE(HoldsSales(3));
    EXPECT_EQ(0, Rows(tables_.maga, Package(2, today_)));

    const RunResult second = Run(ServiceCommand());
    EXPECT_EQ(0, second.status) << second.output;
    EXPECT_TRUE(Contains(second.output, "Kasa 1: zamknięta wcześniej")) << second.output;
    EXPECT_TRUE(Contains(second.output, "Kasa 2: zamknięta - dokument")) << second.output;
    EXPECT_TRUE(Contains(second.output, "Kasa 3: zamknięta wcześniej")) << second.output;
    for (int n : {1, 2, 3}) ExpectOneDocument(n, today_, 2);
    EXPECT_FALSE(HoldsSales(2));
    std::vector<std::string> reports;
    ListFiles(reports, program_.File("Dane/"), "KoniecDnia_*.txt");
    EXPECT_EQ(2u, reports.size());
}

// Killed at every boundary between the steps, then started again (with a
// receipt rung up in between where that is the danger): one document per
// register and day, and counters reset only over a booked document.
TEST_F(DayEndRunTest, AKilledRunStartedAgainBooksOnceAndResetsOnlyWhatWasBooked) {
    struct Case {
        const char* point;
        bool sellInBetween;
        int lines;       // of the document in the end
        bool salesLeft;  // the receipt rung up in between waits for the next read
    };
    const Case cases[] = {
        {"read", false, 2, false},    {"read-saved", true, 3, false},
        {"booked", false, 2, false},  {"booked-saved", false, 2, false},
        {"checked", false, 2, false}, {"checked-saved", true, 3, false},
        {"reset", true, 2, true},
    };
    int day = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.point);
        const QDate date = today_.addDays(--day);
        KasaSim({"sell", "1", "1", "2", "3", "1"});
        const RunResult killed = Run({"--kasy", "1"}, date, c.point);
        ASSERT_TRUE(killed.killed) << killed.output;
        if (!HoldsSales(1)) ExpectOneDocument(1, date, 2);  // reset only over a booking
        if (c.sellInBetween) KasaSim({"sell", "1", "2", "1"});

        const RunResult again = Run({"--kasy", "1"}, date);
        EXPECT_EQ(0, again.status) << again.output;
        ExpectOneDocument(1, date, c.lines);
        EXPECT_EQ(c.salesLeft, HoldsSales(1));
        if (c.salesLeft) {  // the last case: the register is not reset for the next one
            EXPECT_TRUE(Contains(again.output, "liczniki były już wyzerowane po odczycie"))
                << again.output;
        }
    }
}

// Register 4's section leaves NrKasySystem at "1": it would read and reset
// register 1 a second time, so it is not worked on.
TEST_F(DayEndRunTest, ARegisterSharingItsSystemNumberIsLeftAlone) {
    KasaSim({"sell", "1", "1", "1"});
    const RunResult run = Run({"--kasy", "1,4"}, today_);
    EXPECT_EQ(1, run.status) << run.output;
    EXPECT_TRUE(Contains(run.output, "Kasa 1: zamknięta - dokument")) << run.output;
    EXPECT_TRUE(Contains(run.output,
                         "Kasa 4: NIE ZAMKNIĘTA - ma ten sam numer w systemie kas "
                         "(NrKasySystem=1) co kasa 1"))
        << run.output;
    EXPECT_EQ(0, Rows(tables_.rejSprz, Package(4, today_)));
}

TEST_F(DayEndRunTest, AReceiptLineMissingFromTheTotalsIsReportedAndTheCountersStay) {
    KasaSim({"sell", "1", "1", "2", "2", "1", "--uncounted"});
    const RunResult run = Run({"--kasy", "1"}, today_);
    EXPECT_EQ(1, run.status) << run.output;
    EXPECT_TRUE(Contains(run.output, "dokument różni się od paragonów kasy")) << run.output;
    EXPECT_TRUE(Contains(run.output,
                         "Towar o kodzie 00002 (Chleb): paragony ilość 1, 4.99 zł, "
                         "odczyt brak"))
        << run.output;
    EXPECT_TRUE(Contains(run.output, "Razem: paragony 11.97 zł, dokument 6.98 zł")) << run.output;
    EXPECT_TRUE(HoldsSales(1));
}

// Runs that must not start change nothing and say why.
TEST_F(DayEndRunTest, ARunThatMayNotStartChangesNothingAndSaysWhy) {
    KasaSim({"sell", "1", "1", "1"});
    struct Case {
        std::string user;
        int mode;
        bool holdLock;
        std::string why;
    };
    const Case cases[] = {
        {"KASJER", 0644, false, "chmod 600"},
        {"SYSDBA", 0600, false, "nie pracuje jako SYSDBA"},
        {"KASJER", 0600, true, "już pracuje na katalogu danych"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        WriteSettings(c.user, c.mode);
        FileLock other;
        if (c.holdLock) {
            ASSERT_EQ(FileLock::Outcome::kTaken,
                      other.TryTake(program_.File("Dane/KoniecDnia.lock")));
        }
        const RunResult run = Run(ServiceCommand());
        EXPECT_EQ(2, run.status) << run.output;
        EXPECT_TRUE(Contains(run.output, c.why)) << run.output;
        EXPECT_TRUE(HoldsSales(1));
    }
    EXPECT_FALSE(
        FileExists(program_.File("Dane/" + DateDigits(today_) + "/Kasa01/KoniecDnia.stan")));
}

}  // namespace
}  // namespace rubso
