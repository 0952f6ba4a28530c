// The sales read's conversion: a 10,000-line OTSpMax output turned into a
// sales-read file, each register code looked up against a 100,000-row goods
// table in the database (one query for the whole code map, none per line).
// Needs the server started:
//   eval "$(scripts/firebird-server.sh start)"
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/core/app_state.h"
#include "app/core/file_utils.h"
#include "db/goods_catalogue.h"
#include "db/tdm.h"
#include "fixture/trading_database.h"
#include "register/current_register.h"
#include "register/tfm_e.h"
#include "tests/support/fb_test_server.h"

namespace {

constexpr int kGoods = 100000;
constexpr int kSalesLines = 10000;
constexpr int kIntegerYear = 2026;  // KOD_KASA INTEGER
constexpr int kTextYear = 2027;     // KOD_KASA VARCHAR(5), right-aligned

// 100,000 goods; goods 1 to 99,999 carry the register code of their number,
// the last one none.
std::string FillGoods(int year, rubso::fixture::KodKasaKind kind) {
    const std::string code = kind == rubso::fixture::KodKasaKind::Integer
                                 ? ":i"
                                 : "lpad(cast(:i as varchar(5)), 5, ' ')";
    return "execute block as declare i integer = 1; begin while (i <= " + std::to_string(kGoods) +
           ") do begin insert into " + rubso::fixture::GoodsTableName(year) +
           " (asort, nazwa, cena_1, stawka_vat, kod_vat, kod_kasa, jm) values ('T' || "
           "lpad(cast(:i as varchar(6)), 6, '0'), 'Towar ' || :i, 1.99, 23, '23', iif(:i < " +
           std::to_string(kGoods) + ", " + code + ", null), '020'); i = i + 1; end end";
}

// A database with both goods tables, a program directory with a 10,000-line
// library output, and the register with code 1 current.
class Shop {
  public:
    Shop() {
        {
            rubso::fb::Attachment attachment;
            database_.Attach(attachment);
            rubso::fixture::CreateTradingDatabase(
                attachment, {kIntegerYear, rubso::fixture::KodKasaKind::Integer});
            rubso::fixture::CreateYearObjects(attachment, kTextYear,
                                              rubso::fixture::KodKasaKind::Text);
            attachment.ExecuteImmediate(
                FillGoods(kIntegerYear, rubso::fixture::KodKasaKind::Integer));
            attachment.ExecuteImmediate(FillGoods(kTextYear, rubso::fixture::KodKasaKind::Text));
        }
        database_.Attach(dm_.IBBaza);
        rubso::SetDM(&dm_);

        dir_ = std::filesystem::temp_directory_path() /
               ("rubso-bench-exchange-" + std::to_string(getpid()));
        std::filesystem::create_directories(dir_ / "Dane" / "Kasa01");
        rubso::AppState& app = rubso::App();
        app.appDir = dir_.string() + "/";
        app.dataDir = app.appDir + "Dane/";
        app.dayDir = app.dataDir;
        rubso::RegisterDefinition definition;
        definition.kodKasa = "1";
        rubso::SelectRegister(definition);
        output_ = app.kasaDir + "OTSpMax.out";
        std::ofstream out(output_, std::ios::binary);
        out << "#1\r\n#" << kSalesLines << "\r\n#KOD\tILOSC\tWARTOSC\r\n";
        for (int i = 0; i < kSalesLines; ++i) {
            char line[64];
            const int code = 1 + i * 9;  // spread over the codes 1 to 89,992
            std::snprintf(line, sizeof line, "$%05d\t%d.5\t%d\r\n", code, 1 + i % 7, 199 + i);
            out << line;
        }
    }
    ~Shop() {
        rubso::SetDM(nullptr);
        dm_.IBBaza.Detach();
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }
    Shop(const Shop&) = delete;
    Shop& operator=(const Shop&) = delete;

    rubso::TDM& Dm() { return dm_; }
    const std::string& Output() const { return output_; }

  private:
    rubso::test::FbTestDatabase database_;  // outlives dm_'s attachment
    std::filesystem::path dir_;
    std::string output_;
    rubso::TDM dm_;
};

Shop& TheShop() {
    static Shop shop;
    return shop;
}

void UseGoodsTable(int year) {
    rubso::App().goodsTable = "Kartas" + std::to_string(year);
}

// The whole conversion: reachability probe, the code map, 10,000 lines
// looked up and written, the file renamed into place.
void BM_ConvertSalesRead(benchmark::State& state) {
    Shop& shop = TheShop();
    UseGoodsTable(static_cast<int>(state.range(0)));
    rubso::TfmE e;
    for (auto _ : state) {
        if (!e.ConvertSalesRead(shop.Output())) {
            state.SkipWithError("the conversion failed");
            return;
        }
        state.PauseTiming();
        std::filesystem::remove(e.LastSalesReadFile());
        state.ResumeTiming();
    }
    state.counters["lines_per_second"] =
        benchmark::Counter(kSalesLines, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_ConvertSalesRead)
    ->Arg(kIntegerYear)
    ->Arg(kTextYear)
    ->ArgName("year")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The one query of the conversion: every coded good's symbol.
void BM_FetchRegisterCodeMap(benchmark::State& state) {
    Shop& shop = TheShop();
    const std::string table = "Kartas" + std::to_string(state.range(0));
    std::size_t codes = 0;
    for (auto _ : state) codes = rubso::FetchRegisterCodeMap(shop.Dm(), table).size();
    state.counters["codes"] = static_cast<double>(codes);
}
BENCHMARK(BM_FetchRegisterCodeMap)
    ->Arg(kIntegerYear)
    ->Arg(kTextYear)
    ->ArgName("year")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
