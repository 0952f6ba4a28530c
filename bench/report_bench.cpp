// The goods-file consistency report on a catalogue of 100,000 goods of which
// 2 % are duplicates in each section (1,000 pairs of names equal in their
// first 24 characters, 1,000 pairs of bar codes, 1,000 pairs of register
// codes), over loopback. Goal: under 1 s. Needs the server started:
//   eval "$(scripts/firebird-server.sh start)"
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "core/app_state.h"
#include "core/file_utils.h"
#include "core/text_utils.h"
#include "db/fb_client.h"
#include "db/tdm.h"
#include "fixture/trading_database.h"
#include "tests/support/fb_test_server.h"
#include "trading/consistency_report.h"

namespace {

constexpr int kYear = 2009;
constexpr int kGoods = 100000;

class Catalogue {
  public:
    Catalogue() {
        {
            rubso::fb::Attachment attachment;
            database_.Attach(attachment);
            rubso::fixture::Execute(attachment, rubso::fixture::GoodsTableDdl(
                                                    kYear, rubso::fixture::KodKasaKind::Integer));
            // Every 50th good shares its name, every 50th (offset 1) its bar
            // code and every 50th (offset 2) its register code with the good
            // 50 places on: 1,000 pairs in each section.
            attachment.ExecuteImmediate(
                "EXECUTE BLOCK AS DECLARE I INTEGER = 0; BEGIN WHILE (I < " +
                std::to_string(kGoods) +
                ") DO BEGIN "
                "INSERT INTO KARTAS2009 (ASORT, NAZWA, CENA_1, STAWKA_VAT, KOD_VAT, KOD_KASA, JM, "
                "KOD_EAN) VALUES ('T' || LPAD(:I, 7, '0'), "
                "IIF(MOD(:I, 50) = 0, 'Wspolna ' || LPAD(:I / 100, 5, '0') || ' nazwa, wariant ' "
                "|| :I, "
                "'Towar ' || LPAD(:I, 7, '0') || ' opis'), 1.5, 23, '23', "
                "IIF(MOD(:I, 50) = 2, 500000 + :I / 100, :I + 1), '020', "
                "IIF(MOD(:I, 50) = 1, '7777' || LPAD(:I / 100, 6, '0'), "
                "'590' || LPAD(:I, 10, '0'))); I = I + 1; END END");
        }
        char pattern[] = "/tmp/rubso-bench-report-XXXXXX";
        if (mkdtemp(pattern) == nullptr) std::exit(1);
        dataDir_ = std::string(pattern) + "/";
        rubso::App().dataDir = dataDir_;
        rubso::App().goodsTable = rubso::fixture::GoodsTableName(kYear);
        rubso::App().dbPath = database_.Path();
        rubso::App().dbUser = database_.Server().user;
        rubso::App().dbPassword = database_.Server().password;
        dm_.BazaConnect();
        if (rubso::App().connectResult != rubso::ConnectResult::Connected) {
            std::fprintf(stderr, "cannot connect to %s\n", database_.Path().c_str());
            std::exit(1);
        }
    }
    ~Catalogue() {
        dm_.IBBaza.Detach();
        std::error_code ignored;
        std::filesystem::remove_all(dataDir_, ignored);
    }
    Catalogue(const Catalogue&) = delete;
    Catalogue& operator=(const Catalogue&) = delete;

    rubso::TDM& Dm() { return dm_; }

  private:
    rubso::test::FbTestDatabase database_;  // outlives dm_'s attachment
    std::string dataDir_;
    rubso::TDM dm_;
};

Catalogue& TheCatalogue() {
    static Catalogue catalogue;
    return catalogue;
}

void BM_ConsistencyReport(benchmark::State& state) {
    rubso::Tdmu tdmu(TheCatalogue().Dm(), rubso::ConsistencyReportPath(rubso::App().dataDir));
    std::size_t lines = 0;
    for (auto _ : state) {
        tdmu.ConsistencyReport();
        lines = rubso::SplitLines(rubso::ReadFileText(tdmu.ReportPath())).size();
    }
    state.counters["report_lines"] = static_cast<double>(lines);
}
BENCHMARK(BM_ConsistencyReport)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

}  // namespace

BENCHMARK_MAIN();
