#include "register/sim/sim_input.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "register/sim/sim_text.h"

namespace rubso::sim {
namespace {

constexpr std::uintmax_t kMaxConfigFileSize = 64 * 1024;
constexpr char kCtrlZ = '\x1A';

// Reads the file, at most `limit` bytes of it; false when it cannot be opened.
bool ReadBytes(const std::filesystem::path& path, std::uintmax_t limit, std::string& bytes) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return false;
    bytes.clear();
    char chunk[16 * 1024];
    while (bytes.size() < limit && file.read(chunk, sizeof chunk).gcount() > 0) {
        const auto got = static_cast<std::uintmax_t>(file.gcount());
        bytes.append(chunk, static_cast<std::size_t>(std::min(got, limit - bytes.size())));
    }
    return !file.bad();
}

// "$" + digits; the code must lie within 1 to maxCode.
Error ParseCodeField(std::string_view field, std::int64_t maxCode, std::int64_t& code) {
    if (field.empty() || field.front() != '$') return Error::kMalformedRecord;
    if (ParseDigits(field.substr(1), code) != NumberParse::kOk) return Error::kMalformedRecord;
    if (code < 1 || code > maxCode) return Error::kCodeOutOfRange;
    return Error::kNone;
}

Error ParseRanged(std::string_view field, std::int64_t low, std::int64_t high, Error outOfRange,
                  std::int64_t& value) {
    if (ParseInteger(field, value) != NumberParse::kOk) return Error::kMalformedRecord;
    if (value < low || value > high) return outOfRange;
    return Error::kNone;
}

bool IsWholeNumber(std::string_view field) {
    std::int64_t ignored = 0;
    return ParseInteger(field, ignored) == NumberParse::kOk;
}

Error CheckName(std::string_view name) {
    if (name.size() > kMaxNameLength) return Error::kNameTooLong;
    for (char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 32 || byte == 127) return Error::kBadNameCharacter;
    }
    if (TrimBlanks(name).empty()) return Error::kEmptyName;
    return Error::kNone;
}

Error CheckBarCode(std::string_view barCode) {
    if (barCode.size() > kMaxBarCodeLength) return Error::kBadBarCode;
    for (char c : barCode) {
        if (c < '0' || c > '9') return Error::kBadBarCode;
    }
    return Error::kNone;
}

}  // namespace

Error CheckConfig() {
    std::error_code error;
    const std::filesystem::path path("KONFIG.txt");
    if (!std::filesystem::is_regular_file(path, error)) return Error::kNoConfig;
    std::string text;
    if (!ReadBytes(path, kMaxConfigFileSize, text)) return Error::kNoConfig;
    return text.find("STX0") == std::string::npos ? Error::kBadConfig : Error::kNone;
}

Error ReadInputFile(const char* path, InputFile& input) {
    std::error_code error;
    const std::filesystem::path file(path);
    if (!std::filesystem::is_regular_file(file, error)) return Error::kNoInputFile;
    const std::uintmax_t size = std::filesystem::file_size(file, error);
    if (error) return Error::kNoInputFile;
    if (size > kMaxInputFileSize) return Error::kInputTooLarge;
    std::string bytes;
    if (!ReadBytes(file, kMaxInputFileSize + 1, bytes)) return Error::kNoInputFile;
    if (bytes.size() > kMaxInputFileSize) return Error::kInputTooLarge;  // grew meanwhile
    const std::size_t end = bytes.find(kCtrlZ);
    if (end != std::string::npos) bytes.resize(end);

    std::vector<std::string> lines = SplitLines(bytes);
    if (lines.size() < 3) return Error::kBadHeader;
    for (std::size_t i = 0; i < 3; ++i) {
        if (lines[i].empty() || lines[i].front() != '#') return Error::kBadHeader;
    }
    std::int64_t number = 0;
    if (ParseDigits(TrimBlanks(std::string_view(lines[0]).substr(1)), number) != NumberParse::kOk ||
        number < 1 || number > 99) {
        return Error::kBadRegisterNumber;
    }
    input.registerNo = static_cast<int>(number);
    input.records.clear();
    for (std::size_t i = 3; i < lines.size(); ++i) {
        if (!TrimBlanks(lines[i]).empty()) input.records.push_back(std::move(lines[i]));
    }
    return Error::kNone;
}

Error ParseGoodsRecord(std::string_view line, std::int64_t maxCode, GoodsRecord& record) {
    const std::vector<std::string> fields = SplitTabs(line);
    if (fields.size() != 10) return Error::kMalformedRecord;
    // Numbers that must be numbers come first: a record with letters in a
    // numeric field is malformed whatever else is wrong with it.
    for (std::size_t i : {2u, 3u, 4u, 5u, 6u, 8u, 9u}) {
        if (!IsWholeNumber(fields[i])) return Error::kMalformedRecord;
    }
    if (Error e = ParseCodeField(fields[0], maxCode, record.code); e != Error::kNone) return e;
    if (Error e = CheckName(fields[1]); e != Error::kNone) return e;
    std::int64_t vat = 0;
    if (Error e = ParseRanged(fields[2], 1, kVatGroups, Error::kVatGroupOutOfRange, vat);
        e != Error::kNone) {
        return e;
    }
    std::int64_t unit = 0;
    if (Error e = ParseRanged(fields[5], 1, kUnits, Error::kUnitOutOfRange, unit);
        e != Error::kNone) {
        return e;
    }
    if (Error e = CheckBarCode(fields[7]); e != Error::kNone) return e;
    if (Error e = ParseRanged(fields[8], 1, kMaxPrice, Error::kPriceOutOfRange, record.price);
        e != Error::kNone) {
        return e;
    }
    record.name = fields[1];
    record.vatGroup = static_cast<int>(vat);
    record.field4 = fields[3];
    record.field5 = fields[4];
    record.unit = static_cast<int>(unit);
    record.field7 = fields[6];
    record.barCode = fields[7];
    record.field10 = fields[9];
    return Error::kNone;
}

Error ParseDeletionRecord(std::string_view line, std::int64_t maxCode, std::int64_t& code) {
    if (line.find('\t') != std::string_view::npos) return Error::kMalformedRecord;
    return ParseCodeField(line, maxCode, code);
}

}  // namespace rubso::sim
