#include "dayend/dayend_register.h"

#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>

#include "core/app_state.h"
#include "core/codepage.h"
#include "core/durable_file.h"
#include "core/file_utils.h"
#include "core/ini_file.h"
#include "core/installation_settings.h"
#include "core/text_utils.h"
#include "dayend/booking_check.h"
#include "dayend/dayend_operator.h"
#include "dayend/reset_decision.h"
#include "register/current_register.h"
#include "register/register_exchange.h"
#include "register/register_lock.h"
#include "trading/booked_document.h"
#include "trading/sales_transfer_command.h"
#include "trading/trading_tables.h"
#include "trading/transfer_settings.h"

namespace rubso {
namespace {

// Reads of one run: sales rung up while the end of day works make it read
// and book again, but not for ever.
constexpr int kReadRounds = 3;

std::string FileNameOf(const std::string& path) {
    return std::filesystem::path(path).filename().string();
}

std::string StemOf(const std::string& name) {
    return std::filesystem::path(name).stem().string();
}

std::string Why(const DayEndOperator& screen, const std::string& fallback) {
    return screen.Shown().empty() ? fallback : screen.Shown();
}

}  // namespace

void DayEndKillPoint(const char* point) {
    const char* wanted = std::getenv("RUBSO_DAYEND_KILL_AT");
    if (wanted != nullptr && std::strcmp(wanted, point) == 0) ::kill(::getpid(), SIGKILL);
}

RegisterDayEnd::RegisterDayEnd(TfmE& exchange, Tdmh& tdmh, DayEndOperator& screen)
    : exchange_(exchange), tdmh_(tdmh), screen_(screen) {}

bool RegisterDayEnd::Fail(const std::string& step, const std::string& reason) {
    outcome_.kind = RegisterOutcome::Kind::kFailed;
    outcome_.failure = step + ": " + reason;
    return false;
}

bool RegisterDayEnd::Save(const DayEndState& state) {
    if (SaveDayEndState(DayEndStatePath(kasaDir_), state)) {
        if (observer_) observer_(state.step);
        return true;
    }
    return Fail(Cp1250("zapis stanu"),
                Cp1250("nie można zapisać pliku ") + DayEndStatePath(kasaDir_));
}

RegisterOutcome RegisterDayEnd::Run(const RegisterDefinition& definition) {
    SelectRegister(definition);
    const RegisterParametersScope parametersOfTheRun;
    outcome_ = RegisterOutcome{};
    outcome_.registerNo = App().registerNo;
    kasaDir_ = App().kasaDir;

    std::string problem;
    std::optional<DayEndState> loaded = LoadDayEndState(DayEndStatePath(kasaDir_), problem);
    if (!loaded) {
        Fail(Cp1250("stan"), problem);
        return outcome_;
    }
    DayEndState& state = outcome_.state = *loaded;
    if (state.step == DayEndStep::kReset) {
        outcome_.kind = RegisterOutcome::Kind::kAlreadyDone;
        return outcome_;
    }

    FileLock lock;
    const std::string holder =
        Cp1250("zamknięcie dnia (proces ") + std::to_string(::getpid()) + ")";
    const std::string lockPath = RegisterLockPath(App().dataDir, outcome_.registerNo);
    switch (LockRegister(lock, App().dataDir, outcome_.registerNo, holder)) {
        case FileLock::Outcome::kTaken:
            break;
        case FileLock::Outcome::kBusy:
            Fail(Cp1250("blokada"), Cp1250("kasa zajęta - ") + FileLock::HolderText(lockPath));
            return outcome_;
        case FileLock::Outcome::kFailed:
            Fail(Cp1250("blokada"), Cp1250("nie można założyć blokady ") + lockPath);
            return outcome_;
    }
    if (!EnsureDir(kasaDir_)) {
        Fail(Cp1250("katalog kasy"), Cp1250("nie można utworzyć ") + kasaDir_);
        return outcome_;
    }

    try {
        for (int round = 0; round < kReadRounds; ++round) {
            const bool readAgain = state.step == DayEndStep::kBooked && state.differences;
            if ((state.step == DayEndStep::kNone || readAgain) && !Read(state)) break;
            if (state.step == DayEndStep::kRead && !Book(state, definition)) break;
            if (state.step == DayEndStep::kBooked && !Check(state)) break;
            if (state.step == DayEndStep::kChecked && !Reset(state)) break;
            if (state.step == DayEndStep::kReset) {
                outcome_.kind = RegisterOutcome::Kind::kFinished;
                break;
            }
        }
        if (outcome_.kind != RegisterOutcome::Kind::kFinished && outcome_.failure.empty()) {
            Fail(Cp1250("zerowanie"),
                 Cp1250("w kasie wciąż przybywa paragonów (") + std::to_string(kReadRounds) +
                     Cp1250(" odczyty) - liczniki nie zostały wyzerowane, uruchom zamknięcie "
                            "dnia po zakończeniu sprzedaży"));
        }
    } catch (const std::exception& error) {
        Fail(Cp1250("błąd"), error.what());
    }
    if (exchange_.Session().connected) exchange_.ModStop();
    return outcome_;
}

bool RegisterDayEnd::Read(DayEndState& state) {
    const std::string step = Cp1250("odczyt sprzedaży");
    screen_.Clear();
    if (!exchange_.ModStart()) return Fail(step, Why(screen_, Cp1250("brak połączenia z kasą")));
    exchange_.aOSprzedExecute();
    if (exchange_.LastResult() != 0) return Fail(step, Why(screen_, "OSprzed"));
    const std::string receiptsOutput = exchange_.OutputFilePath();
    exchange_.aOtSpMaxExecute();
    if (exchange_.LastResult() != 0) return Fail(step, Why(screen_, "OTSpMax"));
    if (!exchange_.ConvertSalesRead(exchange_.OutputFilePath())) {
        return Fail(step, Why(screen_, "") + " " + screen_.LastMemoLine());
    }

    DayEndState next;
    next.step = DayEndStep::kRead;
    next.salesRead = FileNameOf(exchange_.LastSalesReadFile());
    next.receipts = StemOf(next.salesRead) + ".paragony";
    std::string problem;
    const std::optional<std::vector<SalesReadEntry>> read =
        ParseSalesRead(ReadFileText(kasaDir_ + next.salesRead), problem);
    if (!read) return Fail(step, problem);
    next.lines = static_cast<int>(read->size());
    for (const SalesReadEntry& entry : *read) next.gross += entry.value;
    if (!SyncFileAndDirectory(kasaDir_ + next.salesRead) ||
        !CopyFileDurably(receiptsOutput, kasaDir_ + next.receipts)) {
        return Fail(step, Cp1250("nie można zapisać na dysku plików odczytu w ") + kasaDir_);
    }
    DayEndKillPoint("read");
    if (!Save(next)) return false;
    state = next;
    DayEndKillPoint("read-saved");
    return true;
}

bool RegisterDayEnd::Book(DayEndState& state, const RegisterDefinition& definition) {
    const std::string step = Cp1250("księgowanie");
    screen_.Clear();
    DayEndState next = state;
    next.document.clear();
    if (state.lines > 0) {
        const IniFile ini = App().iniFile ? *App().iniFile : IniFile(std::string());
        const TransferSettings settings =
            LoadTransferSettings(ini, KasaSectionName(outcome_.registerNo), definition.kod);
        const std::string missing = MissingExportParameters(settings, App().mainSettings.typDokum);
        if (!missing.empty()) {
            return Fail(step, "Niestalone parametry eksportu: " +
                                  ReplaceAll(missing.substr(2), "\r\n", ", "));
        }
        tdmh_.SetTransferSettings(settings);
        const TransferOutcome booked = tdmh_.WZ2Hndl(kasaDir_ + state.salesRead);
        if (!booked.ok) return Fail(step, booked.reason);
        next.document = "WZ/" + std::to_string(booked.package);
    }
    DayEndKillPoint("booked");
    next.step = DayEndStep::kBooked;
    next.differences = false;
    if (!Save(next)) return false;
    state = next;
    DayEndKillPoint("booked-saved");
    return true;
}

bool RegisterDayEnd::Check(DayEndState& state) {
    const std::string step = Cp1250("sprawdzenie");
    std::string problem;
    const std::optional<std::vector<ReceiptLine>> receipts =
        ParseReceipts(ReadFileText(kasaDir_ + state.receipts), problem);
    if (!receipts) return Fail(step, problem);
    const std::optional<std::vector<SalesReadEntry>> read =
        ParseSalesRead(ReadFileText(kasaDir_ + state.salesRead), problem);
    if (!read) return Fail(step, problem);
    std::optional<BookedDocument> document;
    if (!state.document.empty()) {
        document = ReadBookedDocument(tdmh_, static_cast<std::int32_t>(TransferDocumentNumber()));
    }
    const BookingCheck check = CheckBooking(*receipts, *read, document);
    if (!check.Matches()) {
        state.differences = true;
        Save(state);
        outcome_.differences = check.differences;
        return Fail(step, Cp1250("dokument różni się od paragonów kasy (różnic: ") +
                              std::to_string(check.differences.size()) +
                              Cp1250(") - liczniki nie zostały wyzerowane"));
    }
    DayEndKillPoint("checked");
    DayEndState next = state;
    next.step = DayEndStep::kChecked;
    if (!Save(next)) return false;
    state = next;
    DayEndKillPoint("checked-saved");
    return true;
}

bool RegisterDayEnd::Reset(DayEndState& state) {
    const std::string step = Cp1250("zerowanie liczników");
    screen_.Clear();
    std::string problem;
    const std::optional<std::vector<ReceiptLine>> read =
        ParseReceipts(ReadFileText(kasaDir_ + state.receipts), problem);
    if (!read) return Fail(step, problem);

    std::optional<ResetDecision> decision;
    std::size_t linesNow = 0;
    const bool reset = exchange_.ResetCountersAfter([&](const std::string& receiptsPath) {
        const std::optional<std::vector<ReceiptLine>> now =
            ParseReceipts(ReadFileText(receiptsPath), problem);
        if (!now) return false;
        linesNow = now->size();
        decision = DecideReset(*read, *now);
        return decision == ResetDecision::kReset;
    });
    if (!decision) return Fail(step, problem.empty() ? Why(screen_, "OSprzed") : problem);
    switch (*decision) {
        case ResetDecision::kReset:
            if (!reset) return Fail(step, Why(screen_, "KSprOp"));
            DayEndKillPoint("reset");
            break;
        case ResetDecision::kAlreadyReset:
            state.note = Cp1250("liczniki były już wyzerowane po odczycie");
            if (linesNow > 0) {
                state.note += Cp1250("; paragony nowsze od odczytu (wierszy: ") +
                              std::to_string(linesNow) + Cp1250(") czekają na następny odczyt");
            }
            break;
        case ResetDecision::kReadAgain:
            // The sales since the read are booked with the rest: the day's
            // document is read and written again before any reset.
            state = DayEndState{};
            return true;
        case ResetDecision::kRefuse:
            return Fail(step, Cp1250("paragony w kasie nie zgadzają się z odczytem - liczniki "
                                     "nie zostały wyzerowane, sprawdź kasę w oknie programu"));
    }
    DayEndState next = state;
    next.step = DayEndStep::kReset;
    if (!Save(next)) return false;
    state = next;
    return true;
}

}  // namespace rubso
