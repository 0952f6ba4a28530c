// The Firebird client layer against the private test server: attach time and
// fetching 100,000 rows of a 30-column table, ours against isql-fb fetching
// the same rows (output to /dev/null). Needs the server started:
//   eval "$(scripts/firebird-server.sh start)"
// Prints the ratio ours / isql-fb at the end (below 1 means we are faster).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <stdexcept>
#include <string>

#include "db/fb_client.h"
#include "tests/support/fb_test_server.h"

namespace {

using rubso::fb::Attachment;
using rubso::fb::ResultSet;
using rubso::fb::Statement;
using rubso::fb::Transaction;

constexpr int kRows = 100000;

// A throw-away database holding BENCH_ROWS: 10 integers, 5 NUMERIC(15,2),
// 10 VARCHAR(40), 3 DATE and 2 TIMESTAMP columns, kRows rows.
class BenchDatabase {
  public:
    BenchDatabase() {
        Attachment db;
        database_.Attach(db);
        std::string columns;
        std::string values;
        for (int i = 1; i <= 10; ++i) {
            columns += "i" + std::to_string(i) + " integer, ";
            values += ":n + " + std::to_string(i) + ", ";
        }
        for (int i = 1; i <= 5; ++i) {
            columns += "m" + std::to_string(i) + " numeric(15,2), ";
            values += ":n * 1.25 + " + std::to_string(i) + ", ";
        }
        for (int i = 1; i <= 10; ++i) {
            columns += "t" + std::to_string(i) + " varchar(40), ";
            values += "'Towar ' || :n || ' opis " + std::to_string(i) + "', ";
        }
        for (int i = 1; i <= 3; ++i) {
            columns += "d" + std::to_string(i) + " date, ";
            values += "dateadd(mod(:n, 3000) day to date '2020-01-01'), ";
        }
        columns += "s1 timestamp, s2 timestamp";
        values += "current_timestamp, dateadd(:n second to timestamp '2024-01-01 00:00')";
        db.ExecuteImmediate("create table BENCH_ROWS (" + columns + ")");
        db.ExecuteImmediate("execute block as declare n integer = 0; begin while (n < " +
                            std::to_string(kRows) + ") do begin insert into BENCH_ROWS values (" +
                            values + "); n = n + 1; end end");
    }

    const rubso::test::FbServer& server() const { return database_.Server(); }
    const std::string& path() const { return database_.Path(); }
    void Attach(Attachment& db) const { database_.Attach(db); }

  private:
    rubso::test::FbTestDatabase database_;
};

BenchDatabase* database = nullptr;

void BM_Attach(benchmark::State& state) {
    for (auto _ : state) {
        Attachment db;
        database->Attach(db);
        db.Detach();
    }
}
BENCHMARK(BM_Attach)->Unit(benchmark::kMillisecond)->UseRealTime();

// Every column of every row read with its own type, the way the program reads.
void BM_FetchTyped(benchmark::State& state) {
    Attachment db;
    database->Attach(db);
    Statement st(db, "select * from BENCH_ROWS");
    for (auto _ : state) {
        Transaction tr(db);
        tr.Start();
        std::int64_t sum = 0;
        std::size_t bytes = 0;
        int rows = 0;
        for (ResultSet rs = st.Open(tr); !rs.Eof(); rs.Next()) {
            for (int c = 0; c < 10; ++c) sum += rs.AsInt(c);
            for (int c = 10; c < 15; ++c) sum += static_cast<std::int64_t>(rs.AsDouble(c));
            for (int c = 15; c < 25; ++c) bytes += rs.AsString(c).size();
            for (int c = 25; c < 28; ++c) sum += rs.AsDate(c).day();
            for (int c = 28; c < 30; ++c) sum += rs.AsDateTime(c).time().second();
            ++rows;
        }
        tr.Commit();
        benchmark::DoNotOptimize(sum);
        benchmark::DoNotOptimize(bytes);
        if (rows != kRows) state.SkipWithError("wrong row count");
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_FetchTyped)->Unit(benchmark::kMillisecond)->UseRealTime();

// Every column read as text: the closest to what isql-fb does with a row.
void BM_FetchAsText(benchmark::State& state) {
    Attachment db;
    database->Attach(db);
    Statement st(db, "select * from BENCH_ROWS");
    for (auto _ : state) {
        Transaction tr(db);
        tr.Start();
        std::size_t bytes = 0;
        for (ResultSet rs = st.Open(tr); !rs.Eof(); rs.Next()) {
            for (int c = 0; c < 30; ++c) bytes += rs.AsString(c).size();
        }
        tr.Commit();
        benchmark::DoNotOptimize(bytes);
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_FetchAsText)->Unit(benchmark::kMillisecond)->UseRealTime();

// isql-fb as a subprocess fetching and printing the same rows.
void BM_FetchIsql(benchmark::State& state) {
    const rubso::test::FbServer& server = database->server();
    const std::string command =
        "printf 'set heading off;\\nselect * from BENCH_ROWS;\\n' | "
        "isql-fb -q -user '" +
        server.user + "' -password '" + server.password + "' '" + database->path() +
        "' > /dev/null 2>&1";
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0) state.SkipWithError("isql-fb failed");
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_FetchIsql)->Unit(benchmark::kMillisecond)->UseRealTime();

// Keeps the real time per iteration of each benchmark for the ratio line.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration && run.iterations > 0) {
                times[run.run_name.function_name] =
                    run.real_accumulated_time / static_cast<double>(run.iterations);
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> times;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    try {
        BenchDatabase bench;
        database = &bench;
        RatioReporter reporter;
        benchmark::RunSpecifiedBenchmarks(&reporter);
        const auto isql = reporter.times.find("BM_FetchIsql");
        if (isql != reporter.times.end() && isql->second > 0) {
            for (const char* ours : {"BM_FetchTyped", "BM_FetchAsText"}) {
                const auto found = reporter.times.find(ours);
                if (found == reporter.times.end()) continue;
                std::printf("%s / isql-fb: %.2f\n", ours, found->second / isql->second);
            }
        }
        database = nullptr;
    } catch (const rubso::fb::FbError& error) {
        std::fprintf(stderr,
                     "Firebird: %s\nIs the server running? eval \"$(scripts/firebird-server.sh "
                     "start)\"\n",
                     error.what());
        return 1;
    } catch (const std::runtime_error& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    benchmark::Shutdown();
    return 0;
}
