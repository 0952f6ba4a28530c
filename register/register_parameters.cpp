#include "register/register_parameters.h"

#include "core/codepage.h"
#include "core/ini_file.h"
#include "core/operator.h"
#include "core/text_utils.h"

namespace rubso {
namespace {

constexpr const char* kPriceColumnWhat = "pola z ceną";

constexpr const char* kMainSection = "Main";

constexpr std::array<const char*, 8> kDefaultUnitCodes = {"020", "028", "021", "033",
                                                          "030", "034", "010", "031"};
constexpr std::array<const char*, 8> kDefaultUnitAbbreviations = {"SZT.", "OPAK", "BUT.", "KG",
                                                                  "GRAM", "TONA", "LITR", "DAG"};
constexpr std::array<const char*, kRegisterVatGroupCount> kDefaultVatRates = {"23", "8", "5", "0",
                                                                              "0",  "0", "-1"};

std::string UnitKey(const char* prefix, std::size_t index) {
    return prefix + std::to_string(index + 1);
}

std::string VatKey(std::size_t index) {
    return "VAT" + std::to_string(index);
}

// The section's value, or the same key of section "Main" when it is empty.
std::string WithMainFallback(const IniFile& ini, std::string_view section, const char* key,
                             const char* defaultValue, const char* mainDefault) {
    std::string value = ini.ReadString(section, key, defaultValue);
    if (value.empty()) value = ini.ReadString(kMainSection, key, mainDefault);
    return value;
}

}  // namespace

RegisterParameters DefaultRegisterParameters() {
    RegisterParameters parameters;
    for (std::size_t i = 0; i < kDefaultUnitCodes.size(); ++i) {
        parameters.unitCodes[i] = kDefaultUnitCodes[i];
        parameters.unitAbbreviations[i] = kDefaultUnitAbbreviations[i];
    }
    for (std::size_t i = 0; i < kDefaultVatRates.size(); ++i) {
        parameters.vatRates[i] = kDefaultVatRates[i];
    }
    return parameters;
}

RegisterParameters ReadRegisterParameters(const IniFile& ini, std::string_view section) {
    const RegisterParameters d = DefaultRegisterParameters();
    RegisterParameters p;
    p.timeout = ini.ReadString(section, "Timeout", d.timeout);
    p.nrKasySystem = ini.ReadString(section, "NrKasySystem", d.nrKasySystem);
    p.comIndx = ini.ReadInteger(section, "ComIndx", d.comIndx);
    p.connection = ini.ReadInteger(section, "Connection", d.connection);
    p.kanalMulti = ini.ReadInteger(section, "KanalMulti", d.kanalMulti);
    p.rateIndx = ini.ReadInteger(section, "RateIndx", d.rateIndx);
    p.wyborCentr = ini.ReadInteger(section, "WyborCentr", d.wyborCentr);
    p.nrTel = ini.ReadString(section, "NrTel", d.nrTel);
    p.tsat = ini.ReadString(section, "TSAT", d.tsat);
    p.tkm = ini.ReadString(section, "TKM", d.tkm);
    p.mlr = ini.ReadString(section, "MLR", d.mlr);
    p.nrMag = UpperCase(WithMainFallback(ini, section, "NrMag", "", ""));
    p.kierWz = WithMainFallback(ini, section, "KierWZ", "", "");
    p.nrRej = WithMainFallback(ini, section, "NrRej", "0", "0");
    p.cena = ini.ReadString(section, "CENA", d.cena);
    for (std::size_t i = 0; i < p.unitCodes.size(); ++i) {
        p.unitCodes[i] = ini.ReadString(section, UnitKey("KOD", i), d.unitCodes[i]);
        p.unitAbbreviations[i] = ini.ReadString(section, UnitKey("SKR", i), d.unitAbbreviations[i]);
    }
    for (std::size_t i = 0; i < p.vatRates.size(); ++i) {
        p.vatRates[i] = ini.ReadString(section, VatKey(i), d.vatRates[i]);
    }
    return p;
}

std::string PriceColumnText(const RegisterParameters& parameters) {
    const std::string column = Trim(parameters.cena);
    return column.empty() ? std::string("CENA_1") : column;
}

SqlIdentifier PriceColumnOf(const RegisterParameters& parameters) {
    return SqlIdentifier::Require(PriceColumnText(parameters), kPriceColumnWhat);
}

std::vector<std::string> VatRateList(const RegisterParameters& parameters) {
    return {parameters.vatRates.begin(), parameters.vatRates.end()};
}

std::vector<std::string> UnitCodeList(const RegisterParameters& parameters) {
    std::vector<std::string> list;
    list.reserve(parameters.unitCodes.size());
    for (const std::string& code : parameters.unitCodes) list.push_back(UpperCase(Trim(code)));
    return list;
}

bool SaveConnectionParameters(IniFile& ini, std::string_view section, const RegisterParameters& p) {
    bool ok = true;
    ok &= ini.WriteString(section, "Timeout", p.timeout);
    ok &= ini.WriteString(section, "NrKasySystem", p.nrKasySystem);
    ok &= ini.WriteInteger(section, "ComIndx", p.comIndx);
    ok &= ini.WriteInteger(section, "Connection", p.connection);
    ok &= ini.WriteInteger(section, "KanalMulti", p.kanalMulti);
    ok &= ini.WriteInteger(section, "RateIndx", p.rateIndx);
    ok &= ini.WriteInteger(section, "WyborCentr", p.wyborCentr);
    ok &= ini.WriteString(section, "NrTel", p.nrTel);
    ok &= ini.WriteString(section, "TSAT", p.tsat);
    ok &= ini.WriteString(section, "TKM", p.tkm);
    ok &= ini.WriteString(section, "MLR", p.mlr);
    ok &= ini.WriteString(section, "NrMag", UpperCase(p.nrMag));
    ok &= ini.WriteString(section, "KierWZ", p.kierWz);
    ok &= ini.WriteString(section, "NrRej", p.nrRej);
    return ok;
}

bool SaveUnitTable(IniFile& ini, std::string_view section, const RegisterParameters& p) {
    bool ok = true;
    for (std::size_t i = 0; i < p.unitCodes.size(); ++i) {
        ok &= ini.WriteString(section, UnitKey("KOD", i), p.unitCodes[i]);
        ok &= ini.WriteString(section, UnitKey("SKR", i), p.unitAbbreviations[i]);
    }
    return ok;
}

bool SaveVatTable(IniFile& ini, std::string_view section, const RegisterParameters& p) {
    bool ok = true;
    for (std::size_t i = 0; i < p.vatRates.size(); ++i) {
        ok &= ini.WriteString(section, VatKey(i), p.vatRates[i]);
    }
    return ok;
}

bool SavePriceColumn(IniFile& ini, std::string_view section, std::string_view priceColumn) {
    if (priceColumn.empty()) return false;
    if (!IsPlainIdentifier(priceColumn)) {
        ShowMessage(InvalidIdentifierMessage(priceColumn, kPriceColumnWhat));
        return false;
    }
    return ini.WriteString(section, "Cena", priceColumn);
}

ChannelChoice ChannelChoiceFor(int connectionKind, int rememberedPosition) {
    ChannelChoice choice;
    switch (connectionKind) {
        case kConnectionMultiplexer:
            choice.entries = {"1", "2", "3", "4"};
            choice.enabled = true;
            choice.position = rememberedPosition;
            break;
        case kConnectionModem:
            choice.entries = {"1", "2", "3", "4", "5"};
            choice.enabled = true;
            choice.position = rememberedPosition;
            choice.modemFieldsEnabled = true;
            break;
        default:
            choice.entries = {"1"};
            choice.enabled = false;
            choice.position = 0;
            break;
    }
    // A position the list does not have (channel 5 after switching from the
    // modem to the multiplexer) falls back to the first channel.
    if (choice.position < 0 || choice.position >= static_cast<int>(choice.entries.size())) {
        choice.position = 0;
    }
    return choice;
}

}  // namespace rubso
