// The schema passes every start runs, on an up-to-date database over
// loopback: the administrator's check at login and the main window's pass.
// Counts the statements each sends and times them. Needs the server started:
//   eval "$(scripts/firebird-server.sh start)"
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QUuid>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/core/app_state.h"
#include "db/fb_client.h"
#include "db/schema_probes.h"
#include "db/schema_upgrade.h"
#include "db/tdm.h"
#include "fixture/trading_database.h"

namespace {

std::string Env(const char* name, const char* fallback) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? value : fallback;
}

// A throw-away database with the trading program's side and the system's
// schema brought up to date, and a data module connected to it as the
// administrator (whose set-up has run, as at a real login).
class UpToDateDatabase {
  public:
    UpToDateDatabase() {
        const std::string user = Env("RUBSO_FB_USER", "SYSDBA");
        const std::string password = Env("RUBSO_FB_PASSWORD", "masterkey");
        path_ = Env("RUBSO_FB_HOST", "127.0.0.1/3055") + ":" +
                Env("RUBSO_FB_DATA", "/tmp/rubso-firebird/data") + "/rubso_bench_schema_" +
                std::to_string(getpid()) + "_" +
                QUuid::createUuid().toString(QUuid::Id128).left(8).toStdString() + ".fdb";
        rubso::fb::CreateDatabase(path_, user, password);
        {
            rubso::fb::Attachment attachment;
            attachment.Attach(path_, user, password);
            rubso::fixture::CreateTradingDatabase(attachment);
        }
        rubso::App().dbPath = path_;
        rubso::App().dbUser = user;
        rubso::App().dbPassword = password;
        dm_.BazaConnect();
        if (rubso::App().connectResult != 0) {
            std::fprintf(stderr, "cannot connect to %s\n", path_.c_str());
            std::exit(1);
        }
        rubso::AdministratorCheck(dm_, false);
        rubso::MainWindowSchemaPass(dm_);
    }
    ~UpToDateDatabase() {
        dm_.IBBaza.Detach();
        try {
            rubso::fb::DropDatabase(path_, rubso::App().dbUser, rubso::App().dbPassword);
        } catch (const rubso::fb::FbError& error) {
            std::fprintf(stderr, "bench database not dropped: %s\n", error.what());
        }
    }
    UpToDateDatabase(const UpToDateDatabase&) = delete;
    UpToDateDatabase& operator=(const UpToDateDatabase&) = delete;

    rubso::TDM& Dm() { return dm_; }

  private:
    std::string path_;
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
