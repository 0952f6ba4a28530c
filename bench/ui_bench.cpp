// The window layer's figures against the private server
// (eval "$(scripts/firebird-server.sh start)"):
//
// 1. Start-up: from the process start (the kernel's start time of the
//    process, 10 ms resolution) to a ready main window, for an administrator
//    whose schema is up to date: settings, application object, data module,
//    login with the administrator's check, the main window's first showing
//    with its schema pass. Each run is a fresh process (this program started
//    again with --startup).
// 2. The goods list of 100,000 goods: our fetch into the grid's model, shown
//    in the goods list view, against isql-fb fetching and printing the same
//    rows to /dev/null; with the resident memory the loaded list adds.
//
// 3. A batch in the main window: what the progress display, the repaint and
//    the stop check add to each item (a register call takes about 0.5 ms).
//
// Prints one line per figure; goals: start-up under 1 s, the list no slower
// than isql-fb, under 150 MB, a batch item's framing under 0.05 ms.

#include <unistd.h>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/ui/goods_list_source.h"
#include "app/ui/goods_list_view.h"
#include "app/ui/login_dialog.h"
#include "app/ui/main_window.h"
#include "app/ui/message_box.h"
#include "app/ui/window_operations.h"
#include "core/app_state.h"
#include "core/codepage.h"
#include "core/file_utils.h"
#include "core/installation_settings.h"
#include "core/polish_letters.h"
#include "db/schema_upgrade.h"
#include "db/tdm.h"
#include "fixture/demo_goods.h"
#include "fixture/trading_database.h"
#include "register/winip_library.h"
#include "tests/support/fb_test_server.h"

namespace {

using namespace rubso;

constexpr int kStartups = 5;
constexpr int kListGoods = 100000;
constexpr int kListRuns = 3;

// Milliseconds since this process started, by the kernel's record.
double MillisecondsSinceProcessStart() {
    std::ifstream stat("/proc/self/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::string field;
    for (int i = 3; i <= 22; ++i) fields >> field;  // field 22: start time in ticks
    const double startSeconds = std::stod(field) / static_cast<double>(::sysconf(_SC_CLK_TCK));
    std::ifstream uptime("/proc/uptime");
    double upSeconds = 0;
    uptime >> upSeconds;
    return (upSeconds - startSeconds) * 1000.0;
}

long ResidentKilobytes(const char* key) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(key, 0) == 0) return std::atol(line.c_str() + std::string(key).size());
    }
    return 0;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

std::string Mazovia(const std::string& cp1250) {
    return ConvertPolishLetters(cp1250, kRowWindows1250, kRowMazovia);
}

void FillShop(const test::FbTestDatabase& database, int goodsCount) {
    fb::Attachment attachment;
    database.Attach(attachment);
    fixture::TradingOptions options;
    fixture::CreateTradingDatabase(attachment, options);
    for (const fixture::DemoGroup& group : fixture::DemoGroups()) {
        fixture::AddGroup(attachment, group.grupa, Mazovia(group.nazwa));
    }
    std::vector<fixture::Good> goods = fixture::DemoGoods(goodsCount);
    for (fixture::Good& good : goods) good.nazwa = Mazovia(good.nazwa);
    for (std::size_t first = 0; first < goods.size(); first += 10000) {
        const auto begin = goods.begin() + static_cast<std::ptrdiff_t>(first);
        const auto end =
            goods.begin() + static_cast<std::ptrdiff_t>(std::min(goods.size(), first + 10000));
        fixture::AddGoods(attachment, fixture::TradingYear(options), fixture::KodKasaKind::Integer,
                          std::vector<fixture::Good>(begin, end));
    }
}

// --- 1. Start-up (the child process) -----------------------------------------------

int RunStartup(int argc, char** argv, const std::string& programDir) {
    LoadInstallationSettings(programDir + "rubso");
    QApplication application(argc, argv);
    TDM dm;
    SetDM(&dm);
    WindowOperations operations;
    DatabaseGoodsListSource source;
    bool ready = false;
    {
        TFrm window(
            operations, source,
            [](QWidget* parent) {
                TfmLog login(parent);
                login.Open();
                login.EnterButton()->click();
            },
            programDir + "rubso");
        if (App().connectResult != rubso::ConnectResult::Connected) {
            std::fprintf(stderr, "login failed (%d)\n", ConnectResultCode(App().connectResult));
            SetDM(nullptr);
            return 1;
        }
        window.show();
        ready = QTest::qWaitFor([&] { return window.StartedUp(); }, 30000);
        const double sinceStart = MillisecondsSinceProcessStart();
        std::printf("%.0f\n", sinceStart);
        std::fflush(stdout);
        window.close();
    }
    SetDM(nullptr);
    return ready ? 0 : 1;
}

void BenchStartup(const std::string& self) {
    test::FbTestDatabase database;
    FillShop(database, fixture::DemoShopGoodsCount());
    const std::string programDir =
        database.Server().dataDir + "/rubso-bench-ui-" + std::to_string(::getpid()) + "/";
    EnsureDir(programDir);
    const std::string ini = "[Rubso]\r\nPth=" + database.Path() +
                            "\r\nUser=" + database.Server().user +
                            "\r\nPass=" + database.Server().password + "\r\n";
    WriteFileText(ini, programDir + "rubso.INI");
    std::filesystem::copy_file(std::string(RUBSO_PROGRAM_DIR) + "/" + kWinIpLibraryFileName,
                               programDir + kWinIpLibraryFileName);
    std::filesystem::copy_file(std::string(RUBSO_PROGRAM_DIR) + "/koment.txt",
                               programDir + "koment.txt");

    // The first start brings the schema up to date; the measured ones find it so.
    const std::string command =
        "QT_QPA_PLATFORM=offscreen '" + self + "' --startup '" + programDir + "' 2>/dev/null";
    std::vector<double> runs;
    for (int i = 0; i <= kStartups; ++i) {
        FILE* pipe = ::popen(command.c_str(), "r");
        char line[64] = {};
        const bool read = pipe != nullptr && std::fgets(line, sizeof line, pipe) != nullptr;
        const int status = pipe != nullptr ? ::pclose(pipe) : -1;
        if (!read || status != 0) {
            std::printf("start-up: run %d failed\n", i);
            return;
        }
        if (i > 0) runs.push_back(std::atof(line));
    }
    std::error_code ignored;
    std::filesystem::remove_all(programDir, ignored);
    std::printf(
        "start-up to a ready main window (up-to-date schema, administrator): "
        "median %.0f ms, min %.0f ms, max %.0f ms over %d runs (goal < 1000 ms)\n",
        Median(runs), *std::min_element(runs.begin(), runs.end()),
        *std::max_element(runs.begin(), runs.end()), kStartups);
}

// --- 3. A batch's framing in the main window ----------------------------------------------

// Runs `items` empty items through a BatchScope on the current operator;
// milliseconds.
double BatchMilliseconds(int items) {
    QElapsedTimer timer;
    timer.start();
    BatchScope batch(Cp1250("Eksport towarów do kasy"), static_cast<std::size_t>(items));
    for (int item = 0; item < items; ++item) {
        if (!batch.ItemDone(item % 100 != 99)) break;
    }
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

void BenchBatchProgress(GoodsListSource& source) {
    constexpr int kItems = 20000;
    const double bare = BatchMilliseconds(kItems);  // no window: the silent operator
    // The window's start-up finds no schema of ours here; its complaints are
    // answered at once.
    const ScopedMessageBoxAnswerer quiet(
        [](const MessageBoxRequest& request) { return request.preselected; });
    WindowOperations operations;
    TFrm window(
        operations, source, [](QWidget*) { App().connectResult = ConnectResult::Connected; },
        "rubso");
    window.show();
    if (!QTest::qWaitFor([&] { return window.StartedUp(); }, 30000)) {
        std::printf("batch framing: the window did not start\n");
        return;
    }
    std::vector<double> runs;
    for (int i = 0; i < kListRuns; ++i) runs.push_back(BatchMilliseconds(kItems));
    const double perItem = (Median(runs) - bare) / kItems;
    std::printf(
        "batch framing in the main window (progress, repaint, stop check): %.4f ms an item "
        "over %d items (goal < 0.05 ms)\n",
        perItem, kItems);
    window.close();
}

// --- 2. The goods list of 100,000 goods ------------------------------------------------

void BenchGoodsList(int argc, char** argv) {
    test::FbTestDatabase database;
    std::printf("filling %d goods ...\n", kListGoods);
    std::fflush(stdout);
    FillShop(database, kListGoods);

    QApplication application(argc, argv);
    App() = AppState{};
    App().dbPath = database.Path();
    App().dbUser = database.Server().user;
    App().dbPassword = database.Server().password;
    SetWorkingDate(QDate::currentDate());
    SetTableNames();
    App().letterStandardIndex = kRowMazovia;
    TDM dm;
    SetDM(&dm);
    dm.BazaConnect();
    if (App().connectResult != rubso::ConnectResult::Connected) {
        std::printf("goods list: no connection\n");
        SetDM(nullptr);
        return;
    }

    DatabaseGoodsListSource source;
    GoodsListView view(source);
    view.resize(1000, 700);
    view.show();
    const long residentBefore = ResidentKilobytes("VmRSS:");
    std::vector<double> ours;
    for (int i = 0; i < kListRuns; ++i) {
        QElapsedTimer timer;
        timer.start();
        view.LoadGoodsList();
        QCoreApplication::processEvents();  // the grid paints its first page
        ours.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    const long residentAfter = ResidentKilobytes("VmRSS:");
    std::vector<double> fetchOnly;
    for (int i = 0; i < kListRuns; ++i) {
        QElapsedTimer timer;
        timer.start();
        const std::vector<GoodsListRow> rows = source.Goods({});
        fetchOnly.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    const long peak = ResidentKilobytes("VmHWM:");
    std::printf("  %s\n", view.CountLabel()->text().toStdString().c_str());

    const test::FbServer& server = database.Server();
    const std::string isql =
        "printf 'set heading off;\\nselect ASORT, NAZWA, CENA_1 as CENA, STAWKA_VAT, KOD_KASA, "
        "GRUPA from " +
        App().goodsTable + ";\\n' | isql-fb -q -user '" + server.user + "' -password '" +
        server.password + "' '" + database.Path() + "' > /dev/null 2>&1";
    std::vector<double> theirs;
    for (int i = 0; i < kListRuns; ++i) {
        QElapsedTimer timer;
        timer.start();
        if (std::system(isql.c_str()) != 0) std::printf("  isql-fb failed\n");
        theirs.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    std::printf(
        "goods list of %d goods: ours (fetch, model, first paint) median %.0f ms, "
        "isql-fb median %.0f ms, ratio %.2f (goal <= 1)\n",
        kListGoods, Median(ours), Median(theirs), Median(ours) / Median(theirs));
    std::printf("  of which the fetch alone: median %.0f ms\n", Median(fetchOnly));
    std::printf(
        "  resident memory: %.1f MB with the list loaded (%.1f MB before, peak %.1f MB; "
        "goal < 150 MB)\n",
        static_cast<double>(residentAfter) / 1024.0, static_cast<double>(residentBefore) / 1024.0,
        static_cast<double>(peak) / 1024.0);
    view.close();
    BenchBatchProgress(source);
    dm.IBBaza.Detach();
    SetDM(nullptr);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--startup") {
        return RunStartup(argc, argv, argv[2]);
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    const std::string self = std::filesystem::canonical("/proc/self/exe").string();
    try {
        BenchStartup(self);
        BenchGoodsList(argc, argv);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "bench_ui: %s\n", Cp1250ToUtf8(error.what()).c_str());
        return 1;
    }
    return 0;
}
