#pragma once
// The working parameters of each register, one section of the program's
// settings file per register ("KASA 1" for register 1, KasaSectionName):
// connection, system number, modem settings, the price column to send, the
// unit map, the VAT map, and the warehouse, direction and sales register of
// the transfer. The parameters form edits them; the exchange operations read
// the section of the current register (current_register.h).
//
// Reading never fails: a missing file, section or key gives the default.
// Writes return false when the file cannot be written (see IniFile).

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "core/sql_identifier.h"

namespace rubso {

class IniFile;

inline constexpr int kRegisterUnitCount = 16;
inline constexpr int kRegisterVatGroupCount = 7;

// How a register is reached (key `Connection`).
enum ConnectionKind { kConnectionDirect = 0, kConnectionMultiplexer = 1, kConnectionModem = 2 };

struct RegisterParameters {
    std::string timeout = "5";
    std::string nrKasySystem = "1";  // first line of every library input file
    int comIndx = 0;                 // COM1 to COM4
    int connection = kConnectionDirect;
    int kanalMulti = 0;  // channel position; the channel is position + 1
    int rateIndx = 1;    // 4800, 9600, 19200
    int wyborCentr = 0;  // pulse, tone
    std::string nrTel;
    std::string tsat = "60";
    std::string tkm = "20";
    std::string mlr = "5";
    std::string nrMag;            // upper case; section "Main" when empty here
    std::string kierWz;           // section "Main" when empty here
    std::string nrRej = "0";      // section "Main" (default "0") when empty here
    std::string cena = "CENA_1";  // price column of the goods table
    std::array<std::string, kRegisterUnitCount> unitCodes;          // KOD1..KOD16
    std::array<std::string, kRegisterUnitCount> unitAbbreviations;  // SKR1..SKR16
    std::array<std::string, kRegisterVatGroupCount> vatRates;       // VAT0..VAT6
};

// The defaults of a section that does not exist: the eight units "020" SZT.,
// "028" OPAK, "021" BUT., "033" KG, "030" GRAM, "034" TONA, "010" LITR,
// "031" DAG, rows 9 to 16 empty; VAT rates 23, 8, 5, 0, 0, 0, -1.
RegisterParameters DefaultRegisterParameters();

// Every key of `section` with its default; NrMag, KierWZ and NrRej fall back
// to section "Main" when empty. Key names match without regard to case.
RegisterParameters ReadRegisterParameters(const IniFile& ini, std::string_view section);

// The price column as the settings name it: `cena` trimmed, "CENA_1" when
// that is empty.
std::string PriceColumnText(const RegisterParameters& parameters);
// PriceColumnText as a column name for statements; InvalidIdentifierError
// ("Niepoprawna nazwa pola z ceną: " + the text) when it is none.
SqlIdentifier PriceColumnOf(const RegisterParameters& parameters);

// VAT0..VAT6 in order: VAT group = position + 1.
std::vector<std::string> VatRateList(const RegisterParameters& parameters);
// KOD1..KOD16 trimmed and in upper case: register unit = position + 1.
std::vector<std::string> UnitCodeList(const RegisterParameters& parameters);

// Leaving a connection or export field: Timeout, NrKasySystem, ComIndx,
// Connection, KanalMulti, RateIndx, WyborCentr, NrTel, TSAT, TKM, MLR,
// NrMag, KierWZ, NrRej, in that order. False when a write failed.
bool SaveConnectionParameters(IniFile& ini, std::string_view section,
                              const RegisterParameters& parameters);
// Leaving the unit grid: KOD + n and SKR + n for n = 1 to 16.
bool SaveUnitTable(IniFile& ini, std::string_view section, const RegisterParameters& parameters);
// Leaving the VAT grid: VAT0 to VAT6.
bool SaveVatTable(IniFile& ini, std::string_view section, const RegisterParameters& parameters);
// Leaving the price column choice: writes `Cena` unless `priceColumn` is
// empty or no column name (then nothing is written and false is returned;
// a name that is no column is refused in a message box).
bool SavePriceColumn(IniFile& ini, std::string_view section, std::string_view priceColumn);

// The multiplexer channel list for a connection kind: one disabled channel
// "1" for a direct line, "1" to "4" for the multiplexer (a remembered
// position above 3 becomes 0), "1" to "5" for a modem. The modem-only fields
// are enabled for the modem kind only.
struct ChannelChoice {
    std::vector<std::string> entries;
    bool enabled = false;
    int position = 0;
    bool modemFieldsEnabled = false;
    bool operator==(const ChannelChoice&) const = default;
};
ChannelChoice ChannelChoiceFor(int connectionKind, int rememberedPosition);

}  // namespace rubso
