// The schema passes every start runs, on an up-to-date database over
// loopback: the administrator's check at login and the main window's pass.
// Counts the statements each sends and times them. Needs the server started:
//   eval "$(scripts/firebird-server.sh start)"
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/app_state.h"
#include "db/fb_client.h"
#include "db/schema_probes.h"
#include "db/schema_upgrade.h"
#include "db/tdm.h"
#include "fixture/trading_database.h"
#include "tests/support/fb_test_server.h"

namespace {

// A throw-away database with the trading program's side and the system's
// schema brought up to date, and a data module connected to it as the
// administrator (whose set-up has run, as at a real login).
class UpToDateDatabase {
  public:
    UpToDateDatabase() {
        {
            rubso::fb::Attachment attachment;
            database_.Attach(attachment);
            rubso::fixture::CreateTradingDatabase(attachment);
        }
        rubso::App().dbPath = database_.Path();
        rubso::App().dbUser = database_.Server().user;
        rubso::App().dbPassword = database_.Server().password;
        dm_.BazaConnect();
        if (rubso::App().connectResult != rubso::ConnectResult::Connected) {
            std::fprintf(stderr, "cannot connect to %s\n", database_.Path().c_str());
            std::exit(1);
        }
        rubso::AdministratorCheck(dm_, false);
        rubso::MainWindowSchemaPass(dm_);
    }
    ~UpToDateDatabase() { dm_.IBBaza.Detach(); }
    UpToDateDatabase(const UpToDateDatabase&) = delete;
    UpToDateDatabase& operator=(const UpToDateDatabase&) = delete;

    rubso::TDM& Dm() { return dm_; }

  private:
    rubso::test::FbTestDatabase database_;  // outlives dm_'s attachment
    rubso::TDM dm_;
};

UpToDateDatabase& Database() {
    static UpToDateDatabase database;
    return database;
}

template <typename Pass>
void RunPass(benchmark::State& state, Pass pass) {
    rubso::TDM& dm = Database().Dm();
    std::int64_t statements = 0;
    for (auto _ : state) {
        rubso::ResetSchemaStatementsSent();
        pass(dm);
        statements = rubso::SchemaStatementsSent();
    }
    state.counters["statements"] = static_cast<double>(statements);
}

void BM_AdministratorCheck(benchmark::State& state) {
    RunPass(state, [](rubso::TDM& dm) { rubso::AdministratorCheck(dm, false); });
}
BENCHMARK(BM_AdministratorCheck)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_MainWindowSchemaPass(benchmark::State& state) {
    RunPass(state, [](rubso::TDM& dm) { rubso::MainWindowSchemaPass(dm); });
}
BENCHMARK(BM_MainWindowSchemaPass)->Unit(benchmark::kMillisecond)->UseRealTime();

// What an administrator's start costs in all: the check, then the pass.
void BM_AdministratorStart(benchmark::State& state) {
    RunPass(state, [](rubso::TDM& dm) {
        rubso::AdministratorCheck(dm, false);
        rubso::MainWindowSchemaPass(dm);
    });
}
BENCHMARK(BM_AdministratorStart)->Unit(benchmark::kMillisecond)->UseRealTime();

// The upgrade forced ("Testowanie bazy"): every procedure sent again.
void BM_ForcedUpgrade(benchmark::State& state) {
    RunPass(state, [](rubso::TDM& dm) { rubso::AdministratorCheck(dm, true); });
}
BENCHMARK(BM_ForcedUpgrade)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
