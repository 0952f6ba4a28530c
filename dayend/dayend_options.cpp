#include "dayend/dayend_options.h"

#include <cstring>

#include "core/codepage.h"
#include "core/text_utils.h"

namespace rubso {
namespace {

// "--name value" or "--name=value": the value, or nullopt when `args[i]`
// is not this option. `i` moves past a separate value.
std::optional<std::string> OptionValue(const std::vector<std::string>& args, std::size_t& i,
                                       const std::string& name, bool& missing) {
    const std::string& arg = args[i];
    if (arg == name) {
        if (i + 1 >= args.size()) {
            missing = true;
            return std::string();
        }
        return args[++i];
    }
    if (StartsWith(arg, name + "=")) return arg.substr(name.size() + 1);
    return std::nullopt;
}

std::vector<std::string> CommaSeparated(const std::string& text) {
    std::vector<std::string> items;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t comma = text.find(',', start);
        const std::size_t end = comma == std::string::npos ? text.size() : comma;
        items.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return items;
}

}  // namespace

bool IsDayEndCommand(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        if (argv[i] != nullptr && std::strcmp(argv[i], kDayEndFlag) == 0) return true;
    }
    return false;
}

std::string DayEndUsage() {
    return Cp1250(
        "Użycie: rubso --koniec-dnia [--data RRRR-MM-DD] [--kasy 1,3]\n"
        "  --data  data sprzedaży (domyślnie dzisiejsza)\n"
        "  --kasy  numery kas (domyślnie wszystkie aktywne kasy z COM_DEF)\n"
        "Użytkownik bazy i plik z hasłem: sekcja [KoniecDnia] pliku ustawień programu.\n");
}

std::optional<DayEndOptions> ParseDayEndOptions(const std::vector<std::string>& args,
                                                const QDate& today, std::string& problem) {
    DayEndOptions options;
    options.date = today;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == kDayEndFlag) continue;
        bool missing = false;
        if (std::optional<std::string> date = OptionValue(args, i, "--data", missing)) {
            options.date = QDate::fromString(QString::fromStdString(*date), "yyyy-MM-dd");
            if (missing || !options.date.isValid()) {
                problem = Cp1250("Niepoprawna data sprzedaży: \"") + *date +
                          Cp1250("\" (oczekiwano RRRR-MM-DD)");
                return std::nullopt;
            }
            continue;
        }
        if (std::optional<std::string> list = OptionValue(args, i, "--kasy", missing)) {
            if (missing) {
                problem = Cp1250("Brak numerów kas po --kasy");
                return std::nullopt;
            }
            options.registers.clear();
            for (const std::string& item : CommaSeparated(*list)) {
                std::int64_t number = 0;
                if (!TryTextToInt(item, number) || number < 1 || number > 99) {
                    problem = Cp1250("Niepoprawny numer kasy: \"") + item + "\"";
                    return std::nullopt;
                }
                options.registers.push_back(static_cast<int>(number));
            }
            continue;
        }
        problem = Cp1250("Nieznany argument: ") + args[i];
        return std::nullopt;
    }
    return options;
}

}  // namespace rubso
