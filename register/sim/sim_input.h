#pragma once
// The files the program hands to the library: the configuration line and the
// input file with its three header lines and records.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "register/sim/sim_errors.h"

namespace rubso::sim {

// An input file holds a header and a handful of records; anything bigger
// than this is refused before it is read.
constexpr std::uintmax_t kMaxInputFileSize = 4 * 1024 * 1024;

// A name as long as the register's display allows.
constexpr std::size_t kMaxNameLength = 19;
constexpr std::size_t kMaxBarCodeLength = 13;
constexpr int kVatGroups = 7;
constexpr int kUnits = 16;
constexpr std::int64_t kMaxPrice = 99'999'999;  // grosze

// Checks "KONFIG.txt" in the current directory: missing gives kNoConfig, a
// text without "STX0" gives kBadConfig.
Error CheckConfig();

struct InputFile {
    int registerNo = 0;                // from the first line, "#" + 1 to 99
    std::vector<std::string> records;  // the lines after the header, blank ones left out
};

// Reads an input file: bytes up to a Ctrl+Z (code 26), lines ended by CR LF,
// LF or CR, three header lines beginning with "#".
Error ReadInputFile(const char* path, InputFile& input);

// One goods record: "$" + code, name, VAT group, "1", "0", unit, "0", bar
// code, price in grosze, "0", separated by TAB. The fixed fields are kept as
// sent (they must be whole numbers).
struct GoodsRecord {
    std::int64_t code = 0;
    std::string name;  // as sent, padded with blanks
    int vatGroup = 0;
    std::string field4;
    std::string field5;
    int unit = 0;
    std::string field7;
    std::string barCode;
    std::int64_t price = 0;  // grosze
    std::string field10;
};

// Parses and checks a goods record against the register's code range.
Error ParseGoodsRecord(std::string_view line, std::int64_t maxCode, GoodsRecord& record);

// A deletion record: "$" + code as decimal text and nothing else.
Error ParseDeletionRecord(std::string_view line, std::int64_t maxCode, std::int64_t& code);

}  // namespace rubso::sim
