// A sales transfer of 5,000 lines into trading-program tables that already
// hold 20,000 stock cards and 100,000 warehouse movements (100 earlier
// documents of 1,000 lines), with 20,000 goods in the goods file. The tables
// are copied afresh before each run (not timed). Goal: under 2 s.
//   BM_TransferNewDocument: the package is not in the tables yet.
//   BM_TransferRepeated:    the same package is there (5,000 rows): it is
//                           removed, its issues taken off the cards, and the
//                           document written again.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QDate>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/core/app_state.h"
#include "app/core/clock.h"
#include "app/core/file_utils.h"
#include "app/core/installation_settings.h"
#include "app/core/text_utils.h"
#include "fixture/trading_tables.h"
#include "trading/tdmh.h"

namespace {

namespace fs = std::filesystem;
using rubso::fixture::TradingTablePaths;

constexpr int kGoods = 20000;
constexpr int kEarlierDocuments = 100;
constexpr int kLinesPerEarlierDocument = 1000;
constexpr int kLines = 5000;

std::string Symbol(int i) {
    return "TOWAR" + rubso::IntPadLeft(i, 6, '0');
}

// Three copies of the trading program's directory: the pristine tables, the
// same after one transfer of the bench's sales read, and the working copy a
// run writes to.
class BenchTables {
  public:
    BenchTables() {
        char pattern[] = "/tmp/rubso-bench-transfer-XXXXXX";
        if (mkdtemp(pattern) == nullptr) std::exit(1);
        base_ = std::string(pattern) + "/";
        rubso::App() = rubso::AppState{};
        rubso::App().vatColumn = "Stawka_Vat";
        rubso::App().registerNo = 1;
        rubso::App().saleDate = QDate(2009, 5, 14);
        rubso::SetWorkingDate(QDate(2009, 5, 20));

        const TradingTablePaths pristine =
            rubso::fixture::CreateTradingTables(base_ + "pristine/", 2009, 5);
        std::vector<rubso::fixture::AsortGood> goods;
        std::vector<rubso::fixture::StockCard> cards;
        const int rates[] = {23, 8, 5, 0};
        for (int i = 0; i < kGoods; ++i) {
            goods.push_back({Symbol(i), "Towar " + std::to_string(i), double(rates[i % 4]), "GR"});
            cards.push_back({"01", Symbol(i), 1000, 10});
        }
        rubso::fixture::AddAsortGoods(pristine.asort, goods);
        rubso::fixture::AddStockCards(pristine.kama, cards);
        std::vector<rubso::fixture::Movement> movements;
        for (int d = 0; d < kEarlierDocuments; ++d) {
            for (int l = 0; l < kLinesPerEarlierDocument; ++l) {
                movements.push_back({100000000 + d, "01", Symbol((d * 7 + l * 13) % kGoods), 1, 2,
                                     static_cast<std::int16_t>(l + 1), ""});
            }
        }
        rubso::fixture::AddMovements(pristine.maga, movements);
        for (int d = 0; d < kEarlierDocuments; ++d) {
            rubso::fixture::AddRegisterRow(pristine.rejSprz, 100000000 + d,
                                           "WZ/" + std::to_string(d), 100);
        }

        std::string text;
        for (int i = 0; i < kLines; ++i) {
            text += "1;" + std::to_string(i) + ";" + Symbol((i * 3) % kGoods) + ";2;" +
                    rubso::FloatText(12.34 + i % 100) + ";20090514;10:15\r\n";
        }
        salesRead_ = base_ + "20090514_1.txt";
        rubso::WriteFileText(text, salesRead_);

        Copy("pristine", "transferred");
        rubso::App().mainSettings.asorPth = base_ + "transferred/";
        rubso::Tdmh tdmh;
        tdmh.SetTransferSettings({"01", "SD", 7, 1234});
        if (!tdmh.WZ2Hndl(salesRead_).ok) {
            std::fprintf(stderr, "set-up transfer failed\n");
            std::exit(1);
        }
    }
    ~BenchTables() {
        std::error_code ignored;
        fs::remove_all(base_, ignored);
    }

    // Makes the working copy a copy of `from` and points the program at it.
    void Prepare(const std::string& from) {
        Copy(from, "work");
        rubso::App().mainSettings.asorPth = base_ + "work/";
    }
    const std::string& SalesRead() const { return salesRead_; }

  private:
    void Copy(const std::string& from, const std::string& to) {
        fs::remove_all(base_ + to);
        fs::copy(base_ + from, base_ + to, fs::copy_options::recursive);
    }

    std::string base_;
    std::string salesRead_;
};

BenchTables& Tables() {
    static BenchTables tables;
    return tables;
}

void RunTransfer(benchmark::State& state, const std::string& from) {
    BenchTables& tables = Tables();
    for (auto _ : state) {
        state.PauseTiming();
        tables.Prepare(from);
        rubso::Tdmh tdmh;
        tdmh.SetTransferSettings({"01", "SD", 7, 1234});
        state.ResumeTiming();
        const rubso::TransferOutcome outcome = tdmh.WZ2Hndl(tables.SalesRead());
        if (!outcome.ok) state.SkipWithError(outcome.reason.c_str());
    }
    state.counters["lines_per_second"] = benchmark::Counter(
        static_cast<double>(kLines), benchmark::Counter::kIsIterationInvariantRate);
}

void BM_TransferNewDocument(benchmark::State& state) {
    RunTransfer(state, "pristine");
}
BENCHMARK(BM_TransferNewDocument)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

void BM_TransferRepeated(benchmark::State& state) {
    RunTransfer(state, "transferred");
}
BENCHMARK(BM_TransferRepeated)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

}  // namespace

BENCHMARK_MAIN();
