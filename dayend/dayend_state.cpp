#include "dayend/dayend_state.h"

#include <array>
#include <utility>

#include "core/codepage.h"
#include "core/durable_file.h"
#include "core/file_utils.h"
#include "core/text_utils.h"

namespace rubso {
namespace {

constexpr std::array<std::pair<DayEndStep, const char*>, 5> kSteps = {{
    {DayEndStep::kNone, "brak"},
    {DayEndStep::kRead, "odczytany"},
    {DayEndStep::kBooked, "zaksiegowany"},
    {DayEndStep::kChecked, "sprawdzony"},
    {DayEndStep::kReset, "wyzerowany"},
}};

const char* StepName(DayEndStep step) {
    for (const auto& [value, name] : kSteps) {
        if (value == step) return name;
    }
    return "brak";
}

std::string OneLine(std::string_view text) {
    std::string line(text);
    for (char& c : line) {
        if (c == '\r' || c == '\n') c = ' ';
    }
    return line;
}

}  // namespace

std::string DayEndStatePath(const std::string& kasaDir) {
    return kasaDir + "KoniecDnia.stan";
}

std::string DayEndStateText(const DayEndState& state) {
    return std::string("Krok=") + StepName(state.step) + "\n" +
           "Odczyt=" + OneLine(state.salesRead) + "\n" + "Paragony=" + OneLine(state.receipts) +
           "\n" + "Dokument=" + OneLine(state.document) + "\n" +
           "Pozycje=" + std::to_string(state.lines) + "\n" +
           "Brutto=" + std::to_string(state.gross) + "\n" +
           "Roznice=" + (state.differences ? "1" : "0") + "\n" + "Uwaga=" + OneLine(state.note) +
           "\n" + "Koniec=1\n";
}

std::optional<DayEndState> ParseDayEndState(const std::string& text) {
    DayEndState state;
    bool stepSeen = false;
    bool complete = false;
    for (const std::string& line : SplitLines(text)) {
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos) return std::nullopt;
        const std::string key = line.substr(0, equals);
        const std::string value = line.substr(equals + 1);
        std::int64_t number = 0;
        if (key == "Krok") {
            for (const auto& [step, name] : kSteps) {
                if (value == name) {
                    state.step = step;
                    stepSeen = true;
                }
            }
            if (!stepSeen) return std::nullopt;
        } else if (key == "Odczyt") {
            state.salesRead = value;
        } else if (key == "Paragony") {
            state.receipts = value;
        } else if (key == "Dokument") {
            state.document = value;
        } else if (key == "Pozycje" || key == "Brutto") {
            if (!TryTextToInt(value, number)) return std::nullopt;
            if (key == "Pozycje") {
                state.lines = static_cast<int>(number);
            } else {
                state.gross = number;
            }
        } else if (key == "Roznice") {
            state.differences = value == "1";
        } else if (key == "Uwaga") {
            state.note = value;
        } else if (key == "Koniec") {
            complete = true;
        }
    }
    if (!stepSeen || !complete) return std::nullopt;
    return state;
}

std::optional<DayEndState> LoadDayEndState(const std::string& path, std::string& problem) {
    if (!FileExists(path)) return DayEndState{};
    std::optional<DayEndState> state = ParseDayEndState(ReadFileText(path));
    if (!state) {
        problem = Cp1250("uszkodzony plik stanu zamknięcia dnia ") + path +
                  Cp1250(" - kasa pozostaje bez zmian, sprawdź ją w oknie programu");
    }
    return state;
}

bool SaveDayEndState(const std::string& path, const DayEndState& state) {
    return WriteFileDurably(path, DayEndStateText(state));
}

}  // namespace rubso
