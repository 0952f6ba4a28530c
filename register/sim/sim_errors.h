#pragma once
// The simulator's result codes and their descriptions. The descriptions are
// what "koment.txt" carries beside the library, so the program can show a
// text for every code the library returns.

#include <cstdint>
#include <string>
#include <vector>

namespace rubso::sim {

enum class Error : std::uint8_t {
    kNone = 0,
    kNoConfig = 1,             // "KONFIG.txt" missing in the current directory
    kBadConfig = 2,            // "KONFIG.txt" without "STX0"
    kNoInputFile = 3,          // the input file cannot be read
    kBadHeader = 4,            // fewer than three "#" header lines
    kBadRegisterNumber = 5,    // first line not "#" + 1 to 99
    kInputTooLarge = 6,        // input file beyond the register's buffer
    kNoRecords = 7,            // a sending call without a record
    kMalformedRecord = 8,      // field count, letters where numbers belong
    kCodeOutOfRange = 9,       // register code 0 or above the register's highest
    kNameTooLong = 10,         // more than 19 characters
    kEmptyName = 11,           // only blanks
    kBadNameCharacter = 12,    // a control character in the name
    kNameInUse = 13,           // the same name under another code
    kVatGroupOutOfRange = 14,  // VAT group outside 1 to 7
    kUnitOutOfRange = 15,      // unit outside 1 to 16
    kBadBarCode = 16,          // more than 13 characters or not only digits
    kPriceOutOfRange = 17,     // price outside 1 to 99 999 999 grosze
    kUnknownGood = 18,         // no good under the code
    kGoodHasSales = 19,        // name, VAT group or existence locked by sales
    kNoModemSession = 20,      // a modem register without an open session
    kOutputNotWritten = 21,    // the output file cannot be written
    kStateUnreadable = 22,     // the register's state file is damaged
    kStateNotSaved = 23,       // the register's state cannot be written
    kBadPathArgument = 24,     // a null path or one without its zero byte
    kNoAnswer = 25,            // the register does not answer
    kInternal = 26,            // anything unexpected inside the simulator
};

struct ErrorDescription {
    Error code;
    const char* utf8;
};

// Every non-zero code with its Polish description, in code order.
const std::vector<ErrorDescription>& ErrorDescriptions();

// The text of "koment.txt": one line per code, the code right-aligned in
// three characters, a TAB and the description in Windows-1250, CR LF after
// every line.
std::string KomentFileText();

}  // namespace rubso::sim
