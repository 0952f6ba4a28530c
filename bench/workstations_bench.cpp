// What one Firebird server holds: N workstations, each a process of its own
// logged in as the cashier, let go at the same moment; each exports the
// shop's 1,000 goods to its register through the substitute library, then
// reads a 1,000-line sale from the register (the library's read and the
// conversion, every register code looked up in the goods table) and books
// it into its trading program's tables (every good looked up in the
// catalogue). N = 1, 2, 4, 8. Prints, per N, the mean and the slowest
// workstation's time from its first export call to its booking's last write,
// split into export, read and booking, the ratio to N = 1, and the CPU time
// the server used in the round (when RUBSO_FB_ROOT names its directory).
//
// Left out: the register's selling of the 1,000 lines between the export and
// the read (the simulated register's own work), the windows, the start-up.
// Every workstation books into trading tables of its own directory, so the
// figures measure the shared server, not the desktop tables' locking.
//
//   bench_workstations                   the rounds (needs the server:
//                                        eval "$(scripts/firebird-server.sh start)")
//   bench_workstations --station DB DIR  one workstation (started by the rounds)
#include <unistd.h>

#include <QDate>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "core/app_state.h"
#include "core/clock.h"
#include "core/file_utils.h"
#include "core/installation_settings.h"
#include "core/text_utils.h"
#include "db/goods_catalogue.h"
#include "db/schema_upgrade.h"
#include "db/tdm.h"
#include "fixture/trading_database.h"
#include "fixture/trading_tables.h"
#include "register/current_register.h"
#include "register/register_exchange.h"
#include "register/sim/sim_tool.h"
#include "tests/support/fb_test_server.h"
#include "tests/support/recording_operator.h"
#include "tests/support/stations.h"
#include "tests/support/temp_dir.h"
#include "trading/catalogue_lookup.h"
#include "trading/sales_transfer_command.h"
#include "trading/trading_tables.h"
#include "trading/transfer_settings.h"

namespace {

using namespace rubso;
using Clock_ = std::chrono::steady_clock;

constexpr int kGoods = 1000;
constexpr int kRounds[] = {1, 2, 4, 8};

std::string Symbol(int i) {
    return "TOWAR" + IntPadLeft(i, 5, '0');
}

double Ms(Clock_::time_point from, Clock_::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// --- One workstation -------------------------------------------------------------------

int RunStation(const std::string& database, const std::string& dir) {
    const QDate today = Clock::Today();
    const std::string handel = dir + "handel/";
    std::filesystem::create_directories(handel);
    const fixture::TradingTablePaths tables =
        fixture::CreateTradingTables(handel, today.year(), today.month());
    std::vector<fixture::AsortGood> asort;
    std::vector<fixture::StockCard> cards;
    for (int i = 1; i <= kGoods; ++i) {
        asort.push_back({Symbol(i), "Towar " + std::to_string(i), 23.0, "01", "szt"});
        cards.push_back({"01", Symbol(i), 100000, 0, 2.5, "", {}});
    }
    fixture::AddAsortGoods(tables.asort, asort);
    fixture::AddStockCards(tables.kama, cards);
    WriteFileText("[Rubso]\r\nPth=" + database + "\r\nUser=KASJER\r\nPass=" +
                      KasjerInitialPassword() + "\r\n\r\n[Main]\r\nAsorPth=" + handel +
                      "\r\nTypDokum=WZ\r\n\r\n[KASA 1]\r\nNrMag=01\r\nKierWZ=DET\r\nNrRej=1\r\n",
                  dir + "rubso.INI");
    WriteFileText(ReadFileText(std::string(RUBSO_WINIP_DIR) + "/koment.txt"), dir + "koment.txt");

    LoadInstallationSettings(dir + "rubso");
    test::ScopedRecordingOperator recorder;
    TDM dm;
    SetDM(&dm);
    dm.BazaConnect();
    if (App().connectResult != rubso::ConnectResult::Connected) {
        std::printf("error login %d\n", ConnectResultCode(App().connectResult));
        return 1;
    }
    LoadMainSettings();
    SetTableNames();
    SetSaleDate(today);
    const std::optional<RegisterDefinition> first = ReadRegisterDefinition(dm, 0);
    if (!first) return 1;
    SelectRegister(*first);
    TfmE e(RUBSO_WINIP_DIR);
    e.InitElzab();
    Tdmh tdmh;
    tdmh.SetGoodsLookup(CatalogueGoodsLookup(dm));
    std::vector<std::string> marked;
    for (int i = 1; i <= kGoods; ++i) marked.push_back(Symbol(i));
    std::vector<std::string> sale = {"sell", "1"};
    for (int i = 1; i <= kGoods; ++i) {
        sale.push_back(std::to_string(i));
        sale.push_back(std::to_string(1 + i % 3));
    }

    if (!test::WaitForGo()) return 3;
    const auto start = Clock_::now();
    ExportChoice full;
    full.fullData = true;
    e.aExpoTowarExecute(marked, full);
    const auto exported = Clock_::now();
    std::ostringstream out, err;
    sim::RunKasaSimTool(sale, out, err);  // the register's day, not timed
    const auto sold = Clock_::now();
    e.ElzabSprz();
    const auto read = Clock_::now();
    const TransferOutcome booked =
        SendSalesRead(tdmh, e.LastSalesReadFile(),
                      LoadTransferSettings(*App().iniFile, CurrentRegisterSection(), first->kod));
    const auto done = Clock_::now();
    SetDM(nullptr);
    if (e.LastResult() != 0 || !booked.ok || !recorder->MessageTexts().empty()) {
        std::printf("error result %d booked %d %s\n", e.LastResult(), booked.ok ? 1 : 0,
                    booked.reason.c_str());
        return 1;
    }
    std::printf("%.1f %.1f %.1f\n", Ms(start, exported), Ms(sold, read), Ms(read, done));
    return 0;
}

// --- The rounds --------------------------------------------------------------------------

// CPU seconds the Firebird server has used so far (user + system), read
// from its pid file under RUBSO_FB_ROOT; -1 when it cannot be read.
double ServerCpuSeconds() {
    const char* root = std::getenv("RUBSO_FB_ROOT");
    if (root == nullptr) return -1;
    std::ifstream pidFile(std::string(root) + "/server.pid");
    long pid = 0;
    if (!(pidFile >> pid)) return -1;
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    if (text.empty()) return -1;
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::string field;
    double ticks = 0;
    for (int i = 3; i <= 15; ++i) {
        fields >> field;
        if (i >= 14) ticks += std::stod(field);  // utime, stime
    }
    return ticks / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

struct Times {
    double exportMs = 0, readMs = 0, bookMs = 0;
    double Total() const { return exportMs + readMs + bookMs; }
};

int RunRounds(const std::string& self) {
    test::FbTestDatabase database;
    {
        fb::Attachment attachment;
        fixture::AttachAsTradingOwner(attachment, database.Path(), database.Server().user,
                                      database.Server().password);
        fixture::CreateTradingDatabase(attachment);
        std::vector<fixture::Good> goods;
        for (int i = 1; i <= kGoods; ++i) {
            goods.push_back({.asort = Symbol(i),
                             .nazwa = "Towar " + std::to_string(i),
                             .cena1 = 2.5,
                             .kodKasa = i,
                             .jm = "szt",
                             .grupa = "01"});
        }
        fixture::AddGoods(attachment, Clock::Today().year(), fixture::KodKasaKind::Integer, goods);
        fixture::AddContractor(attachment, 0, "Klient", 1, "1");
    }
    {
        // The administrator's first login: schema, role, cashier, grants.
        test::ScopedRecordingOperator recorder;
        TDM dm;
        App().dbPath = database.Path();
        App().dbUser = database.Server().user;
        App().dbPassword = database.Server().password;
        dm.BazaConnect();
        if (App().connectResult != rubso::ConnectResult::Connected) return 1;
        AdministratorCheck(dm, true);
    }

    std::printf("%d goods exported and a %d-line read booked per workstation; %ld cores\n", kGoods,
                kGoods, ::sysconf(_SC_NPROCESSORS_ONLN));
    std::printf("%3s %12s %12s %10s %10s %10s %8s %12s\n", "N", "mean ms", "slowest ms", "export",
                "read", "booking", "ratio", "server cpu s");
    double single = 0;
    for (const int n : kRounds) {
        std::vector<std::unique_ptr<test::TempDir>> dirs;
        std::vector<std::vector<std::string>> commands;
        for (int i = 0; i < n; ++i) {
            dirs.push_back(std::make_unique<test::TempDir>());
            commands.push_back({self, "--station", database.Path(), dirs.back()->Path()});
        }
        std::vector<Times> times;
        const double cpuBefore = ServerCpuSeconds();
        const std::vector<test::StationResult> results = test::RunStationsTogether(commands);
        const double serverCpu = cpuBefore < 0 ? -1 : ServerCpuSeconds() - cpuBefore;
        for (const test::StationResult& result : results) {
            Times t;
            if (result.exitCode != 0 || std::sscanf(result.output.c_str(), "%lf %lf %lf",
                                                    &t.exportMs, &t.readMs, &t.bookMs) != 3) {
                std::fprintf(stderr, "a workstation failed: %s\n", result.output.c_str());
                return 1;
            }
            times.push_back(t);
        }
        Times mean;
        double slowest = 0;
        for (const Times& t : times) {
            mean.exportMs += t.exportMs / n;
            mean.readMs += t.readMs / n;
            mean.bookMs += t.bookMs / n;
            slowest = std::max(slowest, t.Total());
        }
        if (n == 1) single = mean.Total();
        std::printf("%3d %12.0f %12.0f %10.0f %10.0f %10.0f %8.2f %12.2f\n", n, mean.Total(),
                    slowest, mean.exportMs, mean.readMs, mean.bookMs, mean.Total() / single,
                    serverCpu);
    }
    return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 3 && args[0] == "--station") return RunStation(args[1], args[2]);
    std::error_code error;
    const std::string self = std::filesystem::read_symlink("/proc/self/exe", error).string();
    return RunRounds(error ? std::string(argv[0]) : self);
}
