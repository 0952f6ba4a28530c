// The register exchange as the operator waits for it, from the command's
// entry to its last write, on the private Firebird server:
// - the goods export (TfmE::aExpoTowarExecute) of marked goods: the goods
//   catalogue in the database, the register code table "Kody01.db", the
//   substitute register library loaded through WinIpLibrary;
// - the sales read's conversion (TfmE::ConvertSalesRead) of a 10,000-line
//   OTSpMax output against 100,000 coded goods, beside isql-fb fetching the
//   same code-symbol pairs.
// Needs the server started:
//   eval "$(scripts/firebird-server.sh start)"
// Every run ends with the goal lines (medians over the repetitions).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/app_state.h"
#include "core/clock.h"
#include "core/file_utils.h"
#include "core/ini_file.h"
#include "core/installation_settings.h"
#include "db/goods_catalogue.h"
#include "db/tdm.h"
#include "fixture/trading_database.h"
#include "register/current_register.h"
#include "register/register_code_table.h"
#include "register/register_exchange.h"
#include "register/register_records.h"
#include "register/sim/sim_state.h"
#include "tests/support/fb_test_server.h"

namespace {

constexpr int kGoods = 100000;        // goods 1 to 99,999 carry the code of their number
constexpr int kFullRegister = 99999;  // every code a register takes (1 to 99,999)
constexpr int kSmallExport = 1000;
constexpr int kLargeExport = 10000;
constexpr int kSalesLines = 10000;
constexpr int kIntegerYear = 2026;  // KOD_KASA INTEGER
constexpr int kTextYear = 2027;     // KOD_KASA VARCHAR(5), right-aligned

std::string Symbol(int i) {
    std::string digits = std::to_string(i);
    return "T" + std::string(6 - digits.size(), '0') + digits;
}

// 100,000 goods with a bar code each; goods 1 to 99,999 carry the register
// code of their number, the last one none.
std::string FillGoods(int year, rubso::fixture::KodKasaKind kind) {
    const std::string code = kind == rubso::fixture::KodKasaKind::Integer
                                 ? ":i"
                                 : "lpad(cast(:i as varchar(5)), 5, ' ')";
    return "execute block as declare i integer = 1; begin while (i <= " + std::to_string(kGoods) +
           ") do begin insert into " + rubso::fixture::GoodsTableName(year) +
           " (asort, nazwa, cena_1, stawka_vat, kod_vat, kod_kasa, jm, kod_ean) values ('T' || "
           "lpad(cast(:i as varchar(6)), 6, '0'), 'Towar ' || :i, 1.99, 23, '23', iif(:i < " +
           std::to_string(kGoods) + ", " + code +
           ", null), '020', '59' || lpad(cast(:i as varchar(11)), 11, '0')); i = i + 1; end end";
}

// The database with both goods tables and the register-code index the main
// window's schema pass gives the year's goods table; a program directory
// (the working directory) with its settings, "in/", "out/" and a 10,000-line
// library output; the register with code 1 current; the data module
// attached.
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
            for (const int year : {kIntegerYear, kTextYear}) {
                attachment.ExecuteImmediate("create index idx_As" + std::to_string(year) +
                                            "KodKasa on Kartas" + std::to_string(year) +
                                            " (KOD_KASA)");
            }
        }
        database_.Attach(dm_.IBBaza);
        rubso::SetDM(&dm_);

        dir_ = std::filesystem::temp_directory_path() /
               ("rubso-bench-exchange-" + std::to_string(getpid()));
        std::filesystem::create_directories(dir_ / "Dane");
        previousDir_ = std::filesystem::current_path();
        std::filesystem::current_path(dir_);
        ::unsetenv("RUBSO_SIM_STATE");

        rubso::AppState& app = rubso::App();
        app.appDir = dir_.string() + "/";
        app.workDir = app.appDir;
        app.dataDir = app.appDir + "Dane/";
        app.iniFile = std::make_shared<rubso::IniFile>(app.appDir + "RUBSO.INI");
        app.vatColumn = "Stawka_Vat";
        app.mainSettings.barKod = "KOD_EAN";
        rubso::SetWorkingDate(QDate(kIntegerYear, 3, 16));
        rubso::SetTableNames();
        rubso::SetSaleDate(QDate(kIntegerYear, 3, 16));
        rubso::RegisterDefinition definition;
        definition.kodKasa = "1";
        definition.port = 1;
        definition.szybkosc = 9600;
        rubso::SelectRegister(definition);
        exchange_ = std::make_unique<rubso::TfmE>(RUBSO_WINIP_DIR);
        exchange_->InitElzab();

        output_ = app.kasaDir + "OTSpMax.out";
        rubso::EnsureDir(app.kasaDir);
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
        exchange_.reset();
        rubso::SetDM(nullptr);
        dm_.IBBaza.Detach();
        rubso::App() = rubso::AppState{};
        std::filesystem::current_path(previousDir_);
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }
    Shop(const Shop&) = delete;
    Shop& operator=(const Shop&) = delete;

    rubso::TDM& Dm() { return dm_; }
    rubso::TfmE& Exchange() { return *exchange_; }
    const std::string& Output() const { return output_; }
    const rubso::test::FbServer& Server() const { return database_.Server(); }
    const std::string& DatabasePath() const { return database_.Path(); }

    // The register forgets every good and the code table goes.
    void EmptyRegister() {
        std::error_code ignored;
        std::filesystem::remove_all(dir_ / "sim", ignored);
        for (const auto& entry : std::filesystem::directory_iterator(dir_ / "Dane")) {
            if (entry.path().filename().string().rfind("Kody01", 0) == 0) {
                std::filesystem::remove(entry.path(), ignored);
            }
        }
    }

    // A register holding goods 1 to 99,999 as the export sends them, and the
    // code table holding the same; made once, directly (sending them one by
    // one would take the benchmark's whole time).
    void FillRegister() {
        if (registerFull_) return;
        EmptyRegister();
        rubso::sim::RegisterState state;
        std::vector<rubso::RegisterCodeRow> rows;
        for (int i = 1; i <= kFullRegister; ++i) {
            rubso::ExportGood good;
            good.asort = Symbol(i);
            good.nazwa = "Towar " + std::to_string(i);
            good.cena = 1.99;
            good.stawkaVat = 23;
            good.jm = "020";
            good.kodKasa = i;
            good.barCode =
                "59" + std::string(11 - std::to_string(i).size(), '0') + std::to_string(i);
            rubso::sim::Good held;
            held.name = rubso::RegisterName(good.nazwa, 0);
            held.vatGroup = 1;
            held.barCode = std::string(13 - good.barCode.size(), '0') + good.barCode;
            held.price = 199;
            state.goods.emplace(i, held);
            rows.push_back(rubso::SentGoodRow(good, 0));
        }
        rubso::sim::SaveState(rubso::sim::StateFilePath("sim", 1), state);
        rubso::RegisterCodeTable(rubso::CurrentKodyPath()).Replace(rows);
        registerFull_ = true;
    }
    void ForgetFullRegister() { registerFull_ = false; }

  private:
    rubso::test::FbTestDatabase database_;  // outlives dm_'s attachment
    std::filesystem::path dir_;
    std::filesystem::path previousDir_;
    std::string output_;
    rubso::TDM dm_;
    std::unique_ptr<rubso::TfmE> exchange_;
    bool registerFull_ = false;
};

Shop& TheShop() {
    static Shop shop;
    return shop;
}

void UseGoodsTable(int year) {
    rubso::App().goodsTable = "Kartas" + std::to_string(year);
}

std::vector<std::string> Marked(int count, int step) {
    std::vector<std::string> marked;
    for (int i = 0; i < count; ++i) marked.push_back(Symbol(1 + i * step));
    return marked;
}

// "Eksport do kasy" with full data ("pełne ") of 1,000 marked goods into a
// register that holds none: catalogue, records, library calls, code table.
void BM_ExportThousandGoods(benchmark::State& state) {
    Shop& shop = TheShop();
    UseGoodsTable(kIntegerYear);
    shop.ForgetFullRegister();
    for (auto _ : state) {
        state.PauseTiming();
        shop.EmptyRegister();
        std::vector<std::string> marked = Marked(kSmallExport, 1);
        state.ResumeTiming();
        shop.Exchange().aExpoTowarExecute(marked, {true, true});
        if (!marked.empty() || shop.Exchange().LastResult() != 0) {
            state.SkipWithError("the export stopped");
            return;
        }
    }
    state.counters["goods_per_second"] =
        benchmark::Counter(kSmallExport, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_ExportThousandGoods)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same command with 10,000 marked goods (every tenth) into a register
// that holds every code it can (1 to 99,999), with a code table of as many
// rows: the goods are sent again and replace the ones held.
void BM_ExportIntoFullRegister(benchmark::State& state) {
    Shop& shop = TheShop();
    UseGoodsTable(kIntegerYear);
    shop.FillRegister();
    for (auto _ : state) {
        state.PauseTiming();
        std::vector<std::string> marked = Marked(kLargeExport, 10);
        state.ResumeTiming();
        shop.Exchange().aExpoTowarExecute(marked, {true, true});
        if (!marked.empty() || shop.Exchange().LastResult() != 0) {
            state.SkipWithError("the export stopped");
            return;
        }
    }
    state.counters["goods_per_second"] =
        benchmark::Counter(kLargeExport, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_ExportIntoFullRegister)->Unit(benchmark::kMillisecond)->UseRealTime();

// The whole conversion: reachability probe, the symbols of the read's codes,
// 10,000 lines looked up and written, the file renamed into place.
void BM_ConvertSalesRead(benchmark::State& state) {
    Shop& shop = TheShop();
    UseGoodsTable(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        if (!shop.Exchange().ConvertSalesRead(shop.Output())) {
            state.SkipWithError("the conversion failed");
            return;
        }
        state.PauseTiming();
        std::filesystem::remove(shop.Exchange().LastSalesReadFile());
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

// The codes of the 10,000-line read: 1 + 9 i.
std::vector<std::int64_t> ReadCodes() {
    std::vector<std::int64_t> codes;
    for (int i = 0; i < kSalesLines; ++i) codes.push_back(1 + i * 9);
    return codes;
}

// The look-up of the conversion alone: the symbols of the read's codes.
void BM_FetchRegisterCodes(benchmark::State& state) {
    Shop& shop = TheShop();
    const std::string table = "Kartas" + std::to_string(state.range(0));
    const std::vector<std::int64_t> codes = ReadCodes();
    std::size_t found = 0;
    for (auto _ : state) {
        const rubso::RegisterCodeColumn column = rubso::RegisterCodeColumnOf(shop.Dm(), table);
        found = rubso::FetchRegisterCodes(shop.Dm(), table, column, codes).size();
    }
    state.counters["codes"] = static_cast<double>(found);
}
BENCHMARK(BM_FetchRegisterCodes)
    ->Arg(kIntegerYear)
    ->Arg(kTextYear)
    ->ArgName("year")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The statements the look-up sends, with the keys written into them: a
// thousand codes each, in the form the column holds them.
std::string LookupScript(int year) {
    const bool text = year == kTextYear;
    const std::vector<std::int64_t> codes = ReadCodes();
    std::string script = "set heading off;\n";
    for (std::size_t from = 0; from < codes.size(); from += 1000) {
        const std::size_t count = std::min<std::size_t>(1000, codes.size() - from);
        std::string keys;
        for (std::size_t i = from; i < from + count; ++i) {
            std::string digits = std::to_string(codes[i]);
            keys += text ? std::string(5 - digits.size(), ' ') + digits
                         : digits + std::string(5 - digits.size(), ' ');
        }
        script +=
            "with recursive kn (n) as (select 0 from rdb$database union all select n + 1 "
            "from kn where n < " +
            std::to_string(count - 1) + "), kl (n, k) as (select n, substring(cast('" + keys +
            "' as varchar(" + std::to_string(keys.size()) +
            ")) from n * 5 + 1 for 5) from kn) select kl.n, g.kod_kasa, "
            "g.asort from kl join Kartas" +
            std::to_string(year) +
            " g on g.kod_kasa = " + (text ? "kl.k" : "cast(kl.k as bigint)") + ";\n";
    }
    return script;
}

// isql-fb as a subprocess running the same statements and printing the
// pairs to /dev/null.
void BM_IsqlFetchPairs(benchmark::State& state) {
    Shop& shop = TheShop();
    const int year = static_cast<int>(state.range(0));
    const std::string script = rubso::App().appDir + "lookup" + std::to_string(year) + ".sql";
    std::ofstream(script, std::ios::binary) << LookupScript(year);
    const std::string command = "isql-fb -q -user '" + shop.Server().user + "' -password '" +
                                shop.Server().password + "' '" + shop.DatabasePath() + "' -i '" +
                                script + "' > /dev/null 2>&1";
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0) state.SkipWithError("isql-fb failed");
    }
}
BENCHMARK(BM_IsqlFetchPairs)
    ->Arg(kIntegerYear)
    ->Arg(kTextYear)
    ->ArgName("year")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Every coded good's symbol in one query: the look-up of a goods table
// without the index on KOD_KASA.
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

// Keeps the real time per iteration of every repetition of each benchmark
// (or the median the library reports when only aggregates are shown) for
// the goal lines.
class GoalReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.error_occurred || run.iterations <= 0) continue;
            const double perIteration =
                run.real_accumulated_time / static_cast<double>(run.iterations);
            if (run.run_type == Run::RT_Iteration) {
                seconds_[run.run_name.str()].push_back(perIteration);
            } else if (run.aggregate_name == "median") {
                medians_[run.run_name.str()] = perIteration;
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    // The median seconds per iteration; 0 when the benchmark did not run.
    double Median(const std::string& name) const {
        const auto median = medians_.find(name);
        if (median != medians_.end()) return median->second;
        const auto found = seconds_.find(name);
        if (found == seconds_.end() || found->second.empty()) return 0.0;
        std::vector<double> values = found->second;
        std::sort(values.begin(), values.end());
        return values[values.size() / 2];
    }

  private:
    std::map<std::string, std::vector<double>> seconds_;
    std::map<std::string, double> medians_;
};

const char* Verdict(bool met) {
    return met ? "met" : "NOT met";
}

void PrintGoals(const GoalReporter& reporter) {
    const double small = reporter.Median("BM_ExportThousandGoods/real_time");
    const double large = reporter.Median("BM_ExportIntoFullRegister/real_time");
    if (small > 0) {
        const double rate = kSmallExport / small;
        std::printf("Goal: export of 1,000 goods >= 500 goods/s: %.0f goods/s (%s)\n", rate,
                    Verdict(rate >= 500));
    }
    if (small > 0 && large > 0) {
        const double ratio = (large / kLargeExport) / (small / kSmallExport);
        std::printf("Goal: per good into a full register <= 1.5 x into an empty one: %.2f x (%s)\n",
                    ratio, Verdict(ratio <= 1.5));
    }
    for (const int year : {kIntegerYear, kTextYear}) {
        const std::string arg = "/year:" + std::to_string(year) + "/real_time";
        const char* form = year == kIntegerYear ? "INTEGER" : "VARCHAR(5)";
        const double convert = reporter.Median("BM_ConvertSalesRead" + arg);
        const double isql = reporter.Median("BM_IsqlFetchPairs" + arg);
        if (convert > 0) {
            std::printf("Goal: conversion of 10,000 lines, KOD_KASA %s, <= 0.2 s: %.0f ms (%s)\n",
                        form, convert * 1000, Verdict(convert <= 0.2));
        }
        if (convert > 0 && isql > 0) {
            std::printf("Conversion / isql-fb fetching the same pairs, KOD_KASA %s: %.2f\n", form,
                        convert / isql);
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    try {
        GoalReporter reporter;
        benchmark::RunSpecifiedBenchmarks(&reporter);
        PrintGoals(reporter);
    } catch (const std::exception& error) {
        std::fprintf(stderr,
                     "%s\nIs the server running? eval \"$(scripts/firebird-server.sh "
                     "start)\"\n",
                     error.what());
        return 1;
    }
    benchmark::Shutdown();
    return 0;
}
