#include "dayend/dayend_command.h"

#include <unistd.h>
#include <QCoreApplication>

#include <algorithm>
#include <exception>
#include <iostream>
#include <map>
#include <optional>
#include <vector>

#include "core/app_state.h"
#include "core/clock.h"
#include "core/codepage.h"
#include "core/file_lock.h"
#include "core/ini_file.h"
#include "core/installation_settings.h"
#include "core/text_utils.h"
#include "core/work_log.h"
#include "dayend/dayend_credentials.h"
#include "dayend/dayend_operator.h"
#include "dayend/dayend_options.h"
#include "dayend/dayend_register.h"
#include "dayend/dayend_report.h"
#include "db/goods_catalogue.h"
#include "db/tdm.h"
#include "register/current_register.h"
#include "register/register_exchange.h"
#include "register/register_parameters.h"
#include "trading/catalogue_lookup.h"
#include "trading/trading_tables.h"

namespace rubso {
namespace {

class DataModuleScope {
  public:
    explicit DataModuleScope(TDM& dm) { SetDM(&dm); }
    ~DataModuleScope() { SetDM(nullptr); }
    DataModuleScope(const DataModuleScope&) = delete;
    DataModuleScope& operator=(const DataModuleScope&) = delete;
};

struct ChosenRegisters {
    std::vector<RegisterDefinition> definitions;
    std::vector<int> missing;  // numbers asked for that COM_DEF does not hold
};

// The registers of the run: those asked for by number, in that order, or
// every active one (AKTYWNY = 1) in COM_DEF order.
ChosenRegisters ChooseRegisters(TDM& dm, const std::vector<int>& numbers) {
    struct Row {
        int id;
        int number;
        bool active;
    };
    std::vector<Row> rows;
    Query& query = dm.IBQ;
    query.SetSql("select id, kod_kasa, coalesce(aktywny, 1) from com_def order by id");
    query.Open();
    while (!query.Eof()) {
        RegisterDefinition definition;
        definition.kodKasa = query.Row().AsString(1);
        rows.push_back(
            {query.Row().AsInt(0), RegisterNumberOf(definition), query.Row().AsInt(2) == 1});
        query.Next();
    }
    dm.CloseQ(query);

    ChosenRegisters chosen;
    const auto add = [&](int id) {
        if (std::optional<RegisterDefinition> definition = ReadRegisterDefinition(dm, id)) {
            chosen.definitions.push_back(*definition);
        }
    };
    if (numbers.empty()) {
        for (const Row& row : rows) {
            if (row.active) add(row.id);
        }
        return chosen;
    }
    for (int number : numbers) {
        const auto row = std::find_if(rows.begin(), rows.end(),
                                      [number](const Row& r) { return r.number == number; });
        if (row == rows.end()) {
            chosen.missing.push_back(number);
        } else {
            add(row->id);
        }
    }
    return chosen;
}

std::string Holder() {
    return Cp1250("zamknięcie dnia (proces ") + std::to_string(::getpid()) + ")";
}

// The report everywhere it goes; the exit status.
int Finish(const QDate& saleDate, const QDateTime& started,
           const std::vector<RegisterOutcome>& outcomes, const std::string& refusal) {
    const std::vector<std::string> lines = DayEndReportLines(saleDate, started, outcomes, refusal);
    if (!refusal.empty()) WriteWorkLog(Cp1250("Zamknięcie dnia nie rozpoczęte: ") + refusal);
    const std::string report = WriteDayEndReport(App().dataDir, saleDate, started, lines);
    WriteWorkLog(lines.back() + (report.empty() ? "" : " - raport " + report));
    std::ostream& out = refusal.empty() ? std::cout : std::cerr;
    for (const std::string& line : lines) out << Cp1250ToUtf8(line) << "\n";
    if (!report.empty()) out << "Raport: " << Cp1250ToUtf8(report) << "\n";
    out.flush();
    if (!refusal.empty()) return kDayEndNotStarted;
    return AllRegistersClosed(outcomes, refusal) ? kDayEndAllClosed : kDayEndSomeFailed;
}

int RunDayEnd(const std::vector<std::string>& args) {
    DayEndOperator screen;
    const ScopedOperator operatorOfTheRun(screen);
    const QDateTime started = Clock::Now();
    std::string problem;
    const std::optional<DayEndOptions> options = ParseDayEndOptions(args, started.date(), problem);
    if (!options) {
        std::cerr << Cp1250ToUtf8(problem + "\n" + DayEndUsage());
        WriteWorkLog(Cp1250("Zamknięcie dnia nie rozpoczęte: ") + problem);
        return kDayEndNotStarted;
    }
    const QDate saleDate = options->date;
    WriteWorkLog(Cp1250("Zamknięcie dnia: start, data sprzedaży ") + DateText(saleDate));

    LoadMainSettings();
    SetTableNames();
    SetSaleDate(saleDate);

    FileLock instance;
    const std::string instancePath = App().dataDir + "KoniecDnia.lock";
    switch (instance.TryTake(instancePath)) {
        case FileLock::Outcome::kTaken:
            instance.SetHolderText(Holder());
            break;
        case FileLock::Outcome::kBusy:
            return Finish(saleDate, started, {},
                          Cp1250("zamknięcie dnia już pracuje na katalogu danych ") +
                              App().dataDir + " (" + FileLock::HolderText(instancePath) +
                              Cp1250("); ten przebieg niczego nie zmienił"));
        case FileLock::Outcome::kFailed:
            return Finish(saleDate, started, {},
                          Cp1250("nie można założyć blokady ") + instancePath);
    }

    const IniFile ini = App().iniFile ? *App().iniFile : IniFile(std::string());
    const std::optional<DayEndCredentials> credentials = LoadDayEndCredentials(ini, problem);
    if (!credentials) return Finish(saleDate, started, {}, problem);
    App().dbUser = credentials->user;
    App().dbPassword = credentials->password;

    TDM dm;
    const DataModuleScope dataModule(dm);
    screen.Clear();
    dm.BazaConnect();
    if (App().connectResult != 0) {
        return Finish(saleDate, started, {},
                      Cp1250("brak dostępu do bazy ") + App().dbPath + Cp1250(" jako ") +
                          App().dbUser + " (" + std::to_string(App().connectResult) +
                          "): " + screen.Shown());
    }

    std::vector<RegisterOutcome> outcomes;
    try {
        Tdmh tdmh;
        tdmh.SetGoodsLookup(CatalogueGoodsLookup(dm));
        TfmE exchange;
        exchange.InitElzab();
        const ChosenRegisters chosen = ChooseRegisters(dm, options->registers);
        for (int number : chosen.missing) {
            RegisterOutcome missing;
            missing.registerNo = number;
            missing.failure = Cp1250("brak kasy o tym numerze w definicjach kas (COM_DEF)");
            outcomes.push_back(missing);
            WriteWorkLog(Cp1250("Zamknięcie dnia: ") + OutcomeLine(missing));
        }
        // Each register is addressed by its number in the register system
        // (NrKasySystem, "1" unless set): two registers with one number would
        // read and reset one register twice and leave the other unread.
        std::map<std::string, int> registerWithSystemNumber;
        for (const RegisterDefinition& definition : chosen.definitions) {
            const int number = RegisterNumberOf(definition);
            const std::string systemNumber =
                Trim(ReadRegisterParameters(ini, KasaSectionName(number)).nrKasySystem);
            const auto [first, added] = registerWithSystemNumber.emplace(systemNumber, number);
            if (added) {
                RegisterDayEnd registerDayEnd(exchange, tdmh, screen);
                outcomes.push_back(registerDayEnd.Run(definition));
            } else {
                RegisterOutcome twin;
                twin.registerNo = number;
                twin.failure = Cp1250("ma ten sam numer w systemie kas (NrKasySystem=") +
                               systemNumber + Cp1250(") co kasa ") + std::to_string(first->second) +
                               Cp1250(
                                   " - nie odczytano jej, ustaw jej numer na stronie "
                                   "Parametry kas");
                outcomes.push_back(twin);
            }
            WriteWorkLog(Cp1250("Zamknięcie dnia: ") + OutcomeLine(outcomes.back()));
        }
        ClearCurrentRegister();
    } catch (const std::exception& error) {
        // Only the choice of the registers can fail here (a register's own
        // failures stay in its outcome): nothing was done to any register.
        ClearCurrentRegister();
        return Finish(saleDate, started, {}, error.what());
    }
    dm.IBBaza.Detach();
    return Finish(saleDate, started, outcomes, {});
}

}  // namespace

int RunDayEndCommand(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    const std::vector<std::string> args(argv + 1, argv + argc);
    try {
        return RunDayEnd(args);
    } catch (const std::exception& error) {
        WriteWorkLog(Cp1250("Zamknięcie dnia przerwane: ") + error.what());
        std::cerr << Cp1250ToUtf8(error.what()) << "\n";
    } catch (...) {
        WriteWorkLog(Cp1250("Zamknięcie dnia przerwane nieznanym błędem"));
    }
    return kDayEndNotStarted;
}

}  // namespace rubso
