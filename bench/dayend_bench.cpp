// The end of day as the timer runs it, register after register, on the
// private Firebird server: 5 registers with 2,000 sales lines each (500
// receipts of 4 lines, 2,000 different goods per register) against a goods
// catalogue of 100,000 goods, the trading program's tables holding 100,000
// goods, 100,000 stock cards and 100,000 earlier movements, and the
// substitute register library loaded through WinIpLibrary. Each register is
// timed from RegisterDayEnd::Run's entry to its last write, and split at the
// steps' state writes: read (OSprzed, OTSpMax, the conversion into a
// sales-read file, the receipts kept beside it), booking (the WZ transfer),
// check (receipts, read and the document read back, compared), reset
// (OSprzed again, the comparison, KSprOp). Two repetitions: two evenings,
// the second one's documents written into tables that hold the first's.
// Needs the server started:
//   eval "$(scripts/firebird-server.sh start)"
// Every run ends with the figures per register and the goal line.
#include <sys/resource.h>
#include <unistd.h>

#include <QDateTime>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/app_state.h"
#include "core/clock.h"
#include "core/file_utils.h"
#include "core/ini_file.h"
#include "core/installation_settings.h"
#include "core/text_utils.h"
#include "dayend/dayend_operator.h"
#include "dayend/dayend_register.h"
#include "db/goods_catalogue.h"
#include "db/schema_upgrade.h"
#include "db/tdm.h"
#include "fixture/trading_database.h"
#include "fixture/trading_tables.h"
#include "register/current_register.h"
#include "register/register_exchange.h"
#include "register/sim/sim_state.h"
#include "tests/support/fb_test_server.h"
#include "trading/catalogue_lookup.h"
#include "trading/trading_tables.h"

namespace {

namespace fs = std::filesystem;

constexpr int kGoods = 100000;  // goods 1 to 99,999 carry the code of their number
constexpr int kRegisters = 5;
constexpr int kLinesPerRegister = 2000;
constexpr int kLinesPerReceipt = 4;
constexpr int kYear = 2026;
constexpr int kEvenings = 2;
constexpr double kGoalSecondsPerRegister = 2.0;

std::string Symbol(int i) {
    return "T" + rubso::IntPadLeft(i, 6, '0');
}

double Seconds(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

double CpuSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

class Shop {
  public:
    Shop() {
        {
            rubso::fb::Attachment attachment;
            database_.Attach(attachment);
            rubso::fixture::CreateTradingDatabase(attachment,
                                                  {kYear, rubso::fixture::KodKasaKind::Integer});
            attachment.ExecuteImmediate(
                "execute block as declare i integer = 1; begin while (i <= " +
                std::to_string(kGoods) + ") do begin insert into " +
                rubso::fixture::GoodsTableName(kYear) +
                " (asort, nazwa, cena_1, stawka_vat, kod_vat, kod_kasa, jm) values ('T' || "
                "lpad(cast(:i as varchar(6)), 6, '0'), 'Towar ' || :i, 1.99, 23, '23', iif(:i < " +
                std::to_string(kGoods) + ", :i, null), '020'); i = i + 1; end end");
            // The index the main window's schema pass gives the year's goods table.
            attachment.ExecuteImmediate("create index idx_As" + std::to_string(kYear) +
                                        "KodKasa on Kartas" + std::to_string(kYear) +
                                        " (KOD_KASA)");
        }

        dir_ = fs::temp_directory_path() / ("rubso-bench-dayend-" + std::to_string(getpid()));
        fs::create_directories(dir_ / "Dane");
        previousDir_ = fs::current_path();
        fs::current_path(dir_);
        ::unsetenv("RUBSO_SIM_STATE");
        const std::string trading = (dir_ / "Handel").string() + "/";
        MakeTradingTables(trading);

        rubso::AppState& app = rubso::App();
        app.appDir = dir_.string() + "/";
        app.dataDir = app.appDir + "Dane/";
        app.errorReportPath = app.dataDir + "Error.txt";
        app.vatColumn = "Stawka_Vat";
        app.iniFile = std::make_shared<rubso::IniFile>(app.appDir + "RUBSO.INI");
        app.iniFile->WriteString("Main", "AsorPth", trading);
        app.iniFile->WriteString("Main", "NrMag", "01");
        app.iniFile->WriteString("Main", "KierWZ", "DET");
        app.iniFile->WriteString("Main", "NrRej", "1");
        for (int n = 1; n <= kRegisters; ++n) {
            app.iniFile->WriteString(rubso::KasaSectionName(n), "NrKasySystem", std::to_string(n));
        }
        rubso::LoadMainSettings();
        rubso::SetTableNames();

        app.dbPath = database_.Path();
        app.dbUser = database_.Server().user;
        app.dbPassword = database_.Server().password;
        rubso::SetDM(&dm_);
        dm_.BazaConnect();
        if (app.connectResult != 0 || !rubso::AdministratorCheck(dm_, true)) {
            std::fprintf(stderr, "cannot prepare the database\n");
            std::exit(1);
        }
        for (int n = 1; n <= kRegisters; ++n) {
            dm_.IBQ.SetSql("select id from com_def where kod_kasa = '" + std::to_string(n) + "'");
            dm_.IBQ.Open();
            definitions_.push_back(*rubso::ReadRegisterDefinition(dm_, dm_.IBQ.Row().AsInt(0)));
            dm_.CloseQ(dm_.IBQ);
        }
        tdmh_.SetGoodsLookup(rubso::CatalogueGoodsLookup(dm_));
        exchange_ = std::make_unique<rubso::TfmE>(RUBSO_WINIP_DIR);
        exchange_->InitElzab();
    }
    ~Shop() {
        exchange_.reset();
        rubso::SetDM(nullptr);
        dm_.IBBaza.Detach();
        rubso::App() = rubso::AppState{};
        fs::current_path(previousDir_);
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }
    Shop(const Shop&) = delete;
    Shop& operator=(const Shop&) = delete;

    // Each register holds its 2,000 goods and a day of sales: 500 receipts
    // of 4 lines, every good sold once. Written directly (ringing them up one
    // by one is not what is measured).
    void RingUpTheDay(int evening) const {
        for (int n = 1; n <= kRegisters; ++n) {
            rubso::sim::RegisterState state;
            const int first = (n - 1) * kLinesPerRegister + 1;
            for (int i = 0; i < kLinesPerRegister; ++i) {
                rubso::sim::Good good;
                good.name = rubso::PadRight("Towar " + std::to_string(first + i), 19);
                good.price = 199 + i % 300;
                state.goods.emplace(first + i, good);
                rubso::sim::SaleLine line;
                line.receipt = evening * 1000 + i / kLinesPerReceipt + 1;
                line.code = first + i;
                line.quantity = 1000 * (1 + i % 3);
                line.price = good.price;
                state.sales.push_back(line);
            }
            state.nextReceipt = evening * 1000 + kLinesPerRegister / kLinesPerReceipt + 1;
            rubso::sim::SaveState(rubso::sim::StateFilePath("sim", n), state);
        }
    }

    rubso::TfmE& Exchange() { return *exchange_; }
    rubso::Tdmh& Tdmh() { return tdmh_; }
    const std::vector<rubso::RegisterDefinition>& Definitions() const { return definitions_; }

  private:
    static void MakeTradingTables(const std::string& root) {
        const rubso::fixture::TradingTablePaths tables =
            rubso::fixture::CreateTradingTables(root, kYear, 3);
        std::vector<rubso::fixture::AsortGood> goods;
        std::vector<rubso::fixture::StockCard> cards;
        std::vector<rubso::fixture::Movement> movements;
        const int rates[] = {23, 8, 5, 0};
        for (int i = 1; i <= kGoods; ++i) {
            goods.push_back({Symbol(i), "Towar " + std::to_string(i), double(rates[i % 4]), "GR"});
            cards.push_back({"01", Symbol(i), 1000, 10});
            movements.push_back({100000000 + i / 1000, "01", Symbol(i), 1, 2,
                                 static_cast<std::int16_t>(i % 1000 + 1), ""});
        }
        rubso::fixture::AddAsortGoods(tables.asort, goods);
        rubso::fixture::AddStockCards(tables.kama, cards);
        rubso::fixture::AddMovements(tables.maga, movements);
    }

    rubso::test::FbTestDatabase database_;  // outlives dm_'s attachment
    fs::path dir_;
    fs::path previousDir_;
    rubso::TDM dm_;
    rubso::Tdmh tdmh_;
    std::unique_ptr<rubso::TfmE> exchange_;
    std::vector<rubso::RegisterDefinition> definitions_;
};

struct Timing {
    int registerNo = 0;
    int evening = 0;
    bool finished = false;
    double wall = 0;
    double cpu = 0;
    std::map<rubso::DayEndStep, double> steps;  // wall time of the step ending there
};

}  // namespace

int main() {
    std::printf("Setting up: %d goods in the catalogue and the trading tables...\n", kGoods);
    std::fflush(stdout);
    Shop shop;
    rubso::DayEndOperator screen;
    rubso::SetOperator(&screen);
    std::vector<Timing> timings;
    for (int evening = 1; evening <= kEvenings; ++evening) {
        const rubso::ScopedFixedClock clock(
            QDateTime(QDate(kYear, 3, 15 + evening), QTime(21, 30, 0)));
        rubso::SetWorkingDate(rubso::Clock::Today());
        rubso::SetSaleDate(rubso::Clock::Today());
        shop.RingUpTheDay(evening);
        for (const rubso::RegisterDefinition& definition : shop.Definitions()) {
            Timing timing;
            timing.evening = evening;
            rubso::RegisterDayEnd dayEnd(shop.Exchange(), shop.Tdmh(), screen);
            auto mark = std::chrono::steady_clock::now();
            dayEnd.SetStepObserver([&](rubso::DayEndStep step) {
                const auto now = std::chrono::steady_clock::now();
                timing.steps[step] += Seconds(now - mark);
                mark = now;
            });
            const double cpu = CpuSeconds();
            const auto start = std::chrono::steady_clock::now();
            const rubso::RegisterOutcome outcome = dayEnd.Run(definition);
            timing.wall = Seconds(std::chrono::steady_clock::now() - start);
            timing.cpu = CpuSeconds() - cpu;
            timing.registerNo = outcome.registerNo;
            timing.finished = outcome.kind == rubso::RegisterOutcome::Kind::kFinished &&
                              outcome.state.lines == kLinesPerRegister;
            if (!timing.finished) {
                std::fprintf(stderr, "register %d not closed: %s\n", outcome.registerNo,
                             outcome.failure.c_str());
            }
            timings.push_back(timing);
        }
    }
    rubso::SetOperator(nullptr);

    std::printf("\n%-8s %-8s %9s %9s %9s %9s %9s %9s\n", "evening", "register", "wall s", "cpu s",
                "read", "booking", "check", "reset");
    double worst = 0;
    double sum = 0;
    std::map<rubso::DayEndStep, double> stepSums;
    bool allFinished = true;
    const auto step = [](const Timing& t, rubso::DayEndStep which) {
        const auto found = t.steps.find(which);
        return found == t.steps.end() ? 0.0 : found->second;
    };
    for (const Timing& t : timings) {
        std::printf("%-8d %-8d %9.3f %9.3f %9.3f %9.3f %9.3f %9.3f%s\n", t.evening, t.registerNo,
                    t.wall, t.cpu, step(t, rubso::DayEndStep::kRead),
                    step(t, rubso::DayEndStep::kBooked), step(t, rubso::DayEndStep::kChecked),
                    step(t, rubso::DayEndStep::kReset), t.finished ? "" : "  NOT CLOSED");
        worst = std::max(worst, t.wall);
        sum += t.wall;
        for (const auto& [which, seconds] : t.steps) stepSums[which] += seconds;
        allFinished = allFinished && t.finished;
    }
    const double mean = sum / double(timings.size());
    std::printf(
        "\nShare of the time: read %.0f %%, booking %.0f %%, check %.0f %%, reset %.0f %%\n",
        100 * stepSums[rubso::DayEndStep::kRead] / sum,
        100 * stepSums[rubso::DayEndStep::kBooked] / sum,
        100 * stepSums[rubso::DayEndStep::kChecked] / sum,
        100 * stepSums[rubso::DayEndStep::kReset] / sum);
    std::printf("Per register (%d lines): mean %.3f s, worst %.3f s; %d registers %.3f s\n",
                kLinesPerRegister, mean, worst, kRegisters, mean * kRegisters);
    std::printf("Goal: every register closed, each under %.1f s: %s\n", kGoalSecondsPerRegister,
                allFinished && worst < kGoalSecondsPerRegister ? "met" : "NOT MET");
    return allFinished ? 0 : 1;
}
