#include "register/register_records.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>

#include "core/codepage.h"
#include "core/polish_letters.h"
#include "core/text_utils.h"

namespace rubso {
namespace {

constexpr int kNameWidth = 19;
constexpr int kBarCodeWidth = 13;
constexpr int kCodeWidth = 5;

// 1-based position of `text` in `list` as decimal text, "1" when absent.
std::string PositionText(const std::vector<std::string>& list, std::string_view text) {
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (SameTextIgnoringCase(list[i], text)) return std::to_string(i + 1);
    }
    return "1";
}

}  // namespace

std::string RecordText(std::string_view text) {
    std::string clean(text);
    for (char& c : clean) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) c = ' ';
    }
    return clean;
}

std::vector<std::string> InputFileHeader(std::string_view nrKasySystem) {
    return {"#" + Trim(RecordText(nrKasySystem)), "#", "#"};
}

std::string VatIndex(double rate, const std::vector<std::string>& vatRateList) {
    const auto whole = static_cast<std::int64_t>(std::trunc(rate));
    return PositionText(vatRateList, std::to_string(whole));
}

std::string UnitIndex(std::string_view unit, const std::vector<std::string>& unitCodeList) {
    const std::string code = UpperCase(Trim(unit));
    if (code.empty()) return "1";
    return PositionText(unitCodeList, code);
}

std::int64_t PriceInGrosze(double price) {
    const std::int64_t tenThousandths = std::llround(price * 10000.0);
    return tenThousandths / 100;
}

std::string RegisterCodeField(std::int64_t code) {
    return "$" + IntPadLeft(code, kCodeWidth, '0');
}

std::int64_t SentRegisterCode(std::int64_t code) {
    return RegisterCodeOf(RegisterCodeField(code).substr(1));
}

std::string RegisterName(std::string_view name, int letterStandardIndex) {
    std::string converted = RecordText(name);
    if (letterStandardIndex != 0) {
        converted = ConvertPolishLetters(converted, letterStandardIndex, kRowLatin2);
    }
    return PadRight(converted, kNameWidth);
}

QString RegisterNameShown(std::string_view name, int letterStandardIndex) {
    return FromCp852(TrimRight(RegisterName(name, letterStandardIndex)));
}

std::vector<RegisterNameCollision> RegisterNameCollisions(const std::vector<ExportGood>& goods,
                                                          int letterStandardIndex) {
    std::vector<RegisterNameCollision> groups;
    std::map<std::string, std::size_t> groupOfName;
    for (const ExportGood& good : goods) {
        const std::string name = Trim(RegisterName(good.nazwa, letterStandardIndex));
        const auto [entry, added] = groupOfName.emplace(name, groups.size());
        if (added) groups.push_back({name, {}});
        std::vector<std::string>& symbols = groups[entry->second].symbols;
        if (std::find(symbols.begin(), symbols.end(), good.asort) == symbols.end()) {
            symbols.push_back(good.asort);
        }
    }
    std::erase_if(groups, [](const RegisterNameCollision& g) { return g.symbols.size() < 2; });
    return groups;
}

std::string GoodsRecordLine(const ExportGood& good, const GoodsRecordContext& context) {
    const std::array<std::string, 10> fields = {
        RegisterCodeField(good.kodKasa),
        RegisterName(good.nazwa, context.letterStandardIndex),
        VatIndex(good.stawkaVat, context.vatRateList),
        "1",
        "0",
        UnitIndex(good.jm, context.unitCodeList),
        "0",
        PadLeft(RecordText(good.barCode), kBarCodeWidth, '0'),
        std::to_string(PriceInGrosze(good.cena)),
        "0",
    };
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) line += '\t';
        line += fields[i];
    }
    return line;
}

std::string DeletionRecordLine(std::int64_t code) {
    return "$" + std::to_string(code);
}

std::string DriverConfigLine(const RegisterDefinition& definition) {
    return "$" + RecordText(definition.kodKasa) + "\t" + std::to_string(definition.port) + ":" +
           std::to_string(definition.szybkosc) + ":STX0" + ":1:E" + "\t" +
           std::to_string(definition.timeOut) + "\t" + "K10" + "\t";
}

std::string ModemCommandsText() {
    static constexpr std::array<const char*, 16> kCommands = {
        "$AT&F0", "$ATS0=0", "$ATS12=0", "$ATL1", "$ATN1", "$ATM1",  "$ATX4",  "$AT&Q5",
        "$AT&R1", "$AT&S0",  "$ATQ0",    "$ATE1", "$ATV1", "$AT&K3", "$AT&D0", "$AT&C1",
    };
    std::string text;
    for (std::size_t i = 0; i < kCommands.size(); ++i) {
        if (i > 0) text += "\r\n";
        text += kCommands[i];
    }
    return text;
}

}  // namespace rubso
