#pragma once
// The texts the register library reads: the input file's header, the goods
// and deletion records, the configuration line of "KONFIG.txt" and the modem
// commands of "Modkonf.txt". Pure functions; the files are written by TfmE.
// Texts are bytes: names go to the register in code page 852.

#include <QString>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "db/goods_catalogue.h"

namespace rubso {

// A text as it may stand in a record or a line the library reads: every
// control byte (below 32, and 127) becomes a blank, so that a TAB, CR or LF
// in a goods name can neither add a field nor end the line.
std::string RecordText(std::string_view text);

// The three header lines of every input file: "#" + the register's number in
// the register system (trimmed), "#", "#".
std::vector<std::string> InputFileHeader(std::string_view nrKasySystem);

// The VAT group of a rate: the rate with its fraction cut off, as decimal
// text, looked up in `vatRateList` (whole text, letter case ignored); "1"
// when absent, otherwise its position + 1.
std::string VatIndex(double rate, const std::vector<std::string>& vatRateList);

// The register unit of a unit code: trimmed and upper-cased, looked up in
// `unitCodeList`; "1" when absent, otherwise its position + 1. An empty unit
// code is never found, so a good without a unit does not take the first
// empty row of the unit table.
std::string UnitIndex(std::string_view unit, const std::vector<std::string>& unitCodeList);

// The price in grosze: the value taken to four decimals (ten-thousandths, as
// a currency value is kept), then divided by 100 with the rest dropped
// toward zero. 2.49 gives 249 (not 248, as 2.49 * 100 in floating point
// would), 10.005 gives 1000, 2.499 gives 249.
std::int64_t PriceInGrosze(double price);

// The register code field: "$" + the code right-aligned in 5 characters,
// zero-padded; only the last 5 digits of a longer number are kept.
std::string RegisterCodeField(std::int64_t code);

// The code the register files a good under: the number of the code field.
std::int64_t SentRegisterCode(std::int64_t code);

// The name as the register receives it: control bytes made blanks
// (RecordText), converted from the letter standard `letterStandardIndex` to
// code page 852 when the index is not 0, padded with blanks to 19 characters
// and cut at 19.
std::string RegisterName(std::string_view name, int letterStandardIndex);

// The name as the register will show it on its display and receipts:
// RegisterName without the blanks it is padded with, decoded from the
// register's code page 852 (a letter the conversion left in another code
// page shows as the register would show it, not as it was meant).
QString RegisterNameShown(std::string_view name, int letterStandardIndex);

// Different goods the register could not tell apart: their register names
// (RegisterName without surrounding blanks, as the register compares names)
// are equal, usually because the names differ only after the 19th character.
struct RegisterNameCollision {
    std::string registerName;          // as sent, code page 852, trimmed
    std::vector<std::string> symbols;  // the goods' symbols, in the given order
};
// Each name shared by two or more goods with different symbols, in the order
// its first good comes in `goods`.
std::vector<RegisterNameCollision> RegisterNameCollisions(const std::vector<ExportGood>& goods,
                                                          int letterStandardIndex);

struct GoodsRecordContext {
    std::vector<std::string> vatRateList;
    std::vector<std::string> unitCodeList;
    int letterStandardIndex = 0;
};

// One goods record: code, name, VAT group, "1", "0", unit, "0", bar code
// (control bytes made blanks, right-aligned in 13, zero-padded, only the
// last 13 kept), price in grosze, "0"; TAB-separated, no TAB after the last.
std::string GoodsRecordLine(const ExportGood& good, const GoodsRecordContext& context);

// "$" + the code in decimal.
std::string DeletionRecordLine(std::int64_t code);

// The configuration line of "KONFIG.txt", without its CR LF: "$" + register
// code (RecordText), TAB, port ":" speed ":STX0" ":1:E", TAB, time-out, TAB,
// "K10", TAB.
std::string DriverConfigLine(const RegisterDefinition& definition);

// The sixteen modem commands of "Modkonf.txt", separated by CR LF, with no
// line break after the last.
std::string ModemCommandsText();

}  // namespace rubso
