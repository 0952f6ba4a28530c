#include "register/sim/sim_state.h"

#include <cstdlib>
#include <fstream>
#include <initializer_list>
#include <set>

#include "register/sim/sim_journal.h"
#include "register/sim/sim_text.h"

namespace rubso::sim {
namespace {

constexpr std::string_view kFirstLine = "kasa-sim-state\t1";
constexpr std::string_view kLastLine = "end";
constexpr std::uintmax_t kMaxStateFileSize = 64 * 1024 * 1024;
constexpr std::uintmax_t kMaxJournalFileSize = 256 * 1024 * 1024;
constexpr std::int64_t kLimit = kStateNumberLimit;

using Fields = LineFields;

std::string Number(std::int64_t value) {
    return std::to_string(value);
}

bool ReadNumber(std::string_view text, std::int64_t low, std::int64_t high, std::int64_t& value) {
    return ReadStateNumber(text, low, high, value);
}

bool ReadFlag(std::string_view text, bool& flag) {
    return ReadStateFlag(text, flag);
}

bool ParseGood(const Fields& f, RegisterState& state) {
    std::int64_t code = 0;
    Good good;
    if (!ReadGoodLine(f, code, good)) return false;
    const std::string key = NameKey(good.name);
    if (!state.goods.emplace(code, std::move(good)).second) return false;
    state.codesByName.emplace(key, code);
    return true;
}

bool ParseSale(const Fields& f, RegisterState& state) {
    SaleLine line;
    if (!ReadSaleLine(f, line)) return false;
    state.sales.push_back(line);
    return true;
}

bool ParseFailure(const Fields& f, RegisterState& state) {
    std::string function;
    PendingFailure failure;
    return ReadFailureLine(f, function, failure) &&
           state.failures.emplace(std::move(function), failure).second;
}

bool ParseLine(const Fields& f, RegisterState& state) {
    const std::string_view tag = f[0];
    if (tag == "good") return ParseGood(f, state);
    if (tag == "sale") return ParseSale(f, state);
    if (tag == "fail") return ParseFailure(f, state);
    if (f.size() != 2) return false;
    if (tag == "modem") return ReadFlag(f[1], state.modem);
    if (tag == "session") return ReadFlag(f[1], state.session);
    if (tag == "max-code") return ReadNumber(f[1], 1, kDefaultMaxCode, state.maxCode);
    if (tag == "next-receipt") return ReadNumber(f[1], 1, kLimit, state.nextReceipt);
    if (tag == "journal") return ReadNumber(f[1], 0, kLimit, state.journalEntry);
    return false;
}

}  // namespace

std::string NameKey(std::string_view name) {
    return std::string(TrimBlanks(name));
}

void AppendStateLine(std::string& text, std::initializer_list<std::string_view> fields) {
    bool first = true;
    for (std::string_view field : fields) {
        if (!first) text += '\t';
        text += field;
        first = false;
    }
    text += '\n';
}

void AppendGoodLine(std::string& text, std::int64_t code, const Good& good) {
    AppendStateLine(
        text, {"good", Number(code), good.name, Number(good.vatGroup), good.field4, good.field5,
               Number(good.unit), good.field7, good.barCode, Number(good.price), good.field10});
}

void AppendSaleLine(std::string& text, const SaleLine& line) {
    const std::string receipt = Number(line.receipt);
    const std::string code = Number(line.code);
    const std::string quantity = Number(line.quantity);
    const std::string price = Number(line.price);
    const std::string discount = Number(line.discount);
    const char* cancelled = line.cancelled ? "1" : "0";
    if (line.uncounted) {
        AppendStateLine(text, {"sale", receipt, code, quantity, price, discount, cancelled, "1"});
    } else {
        AppendStateLine(text, {"sale", receipt, code, quantity, price, discount, cancelled});
    }
}

bool ReadStateNumber(std::string_view text, std::int64_t low, std::int64_t high,
                     std::int64_t& value) {
    return ParseInteger(text, value) == NumberParse::kOk && value >= low && value <= high;
}

bool ReadStateFlag(std::string_view text, bool& flag) {
    if (text != "0" && text != "1") return false;
    flag = text == "1";
    return true;
}

bool ReadGoodLine(const LineFields& f, std::int64_t& code, Good& good) {
    std::int64_t vat = 0;
    std::int64_t unit = 0;
    if (f.size() != 11 || f[0] != "good" || !ReadNumber(f[1], 1, kLimit, code) ||
        !ReadNumber(f[3], 1, 7, vat) || !ReadNumber(f[6], 1, 16, unit) ||
        !ReadNumber(f[9], 0, kLimit, good.price)) {
        return false;
    }
    good.name.assign(f[2]);
    good.vatGroup = static_cast<int>(vat);
    good.field4.assign(f[4]);
    good.field5.assign(f[5]);
    good.unit = static_cast<int>(unit);
    good.field7.assign(f[7]);
    good.barCode.assign(f[8]);
    good.field10.assign(f[10]);
    return true;
}

bool ReadSaleLine(const LineFields& f, SaleLine& line) {
    const bool uncounted = f.size() == 8 && f[7] == "1";
    line.uncounted = uncounted;
    return (f.size() == 7 || uncounted) && f[0] == "sale" &&
           ReadNumber(f[1], 1, kLimit, line.receipt) && ReadNumber(f[2], 1, kLimit, line.code) &&
           ReadNumber(f[3], 1, kMaxQuantity, line.quantity) &&
           ReadNumber(f[4], 0, kLimit, line.price) && ReadNumber(f[5], 0, kLimit, line.discount) &&
           ReadFlag(f[6], line.cancelled);
}

bool ReadFailureLine(const LineFields& f, std::string& function, PendingFailure& failure) {
    std::int64_t code = 0;
    std::int64_t count = 0;
    if (f.size() != 4 || f[0] != "fail" || f[1].empty() || !ReadNumber(f[2], 1, 255, code) ||
        !ReadNumber(f[3], 1, 1'000'000, count)) {
        return false;
    }
    function.assign(f[1]);
    failure = PendingFailure{static_cast<int>(code), static_cast<int>(count)};
    return true;
}

std::int64_t LineValue(const SaleLine& line) {
    return (line.quantity * line.price + 500) / 1000 - line.discount;
}

std::map<std::int64_t, SalesTotal> SalesTotals(const RegisterState& state) {
    std::map<std::int64_t, SalesTotal> totals;
    for (const SaleLine& line : state.sales) {
        if (line.cancelled || line.uncounted) continue;
        SalesTotal& total = totals[line.code];
        total.quantity += line.quantity;
        total.value += LineValue(line);
    }
    return totals;
}

bool HasSales(const RegisterState& state, std::int64_t code) {
    for (const SaleLine& line : state.sales) {
        if (line.code == code) return true;
    }
    return false;
}

std::size_t ReceiptCount(const RegisterState& state) {
    std::set<std::int64_t> receipts;
    for (const SaleLine& line : state.sales) receipts.insert(line.receipt);
    return receipts.size();
}

std::string DefaultStateRoot() {
    const char* root = std::getenv("RUBSO_SIM_STATE");
    return root != nullptr && *root != '\0' ? std::string(root) : std::string("sim");
}

std::filesystem::path StateFilePath(const std::string& root, int registerNo) {
    return std::filesystem::path(root) / ("kasa" + TwoDigits(registerNo)) / "state.txt";
}

std::filesystem::path JournalFilePath(const std::filesystem::path& stateFile) {
    return stateFile.parent_path() / "journal.txt";
}

std::string StateText(const RegisterState& state) {
    std::string text;
    text.reserve(64 * (state.goods.size() + state.sales.size() + state.failures.size() + 8));
    text += std::string(kFirstLine) + "\n";
    AppendStateLine(text, {"modem", state.modem ? "1" : "0"});
    AppendStateLine(text, {"session", state.session ? "1" : "0"});
    AppendStateLine(text, {"max-code", Number(state.maxCode)});
    AppendStateLine(text, {"next-receipt", Number(state.nextReceipt)});
    AppendStateLine(text, {"journal", Number(state.journalEntry)});
    for (const auto& [function, failure] : state.failures) {
        AppendStateLine(text, {"fail", function, Number(failure.code), Number(failure.count)});
    }
    for (const auto& [code, good] : state.goods) AppendGoodLine(text, code, good);
    for (const SaleLine& line : state.sales) {
        AppendSaleLine(text, line);
    }
    text += kLastLine;
    text += '\n';
    return text;
}

bool ParseStateText(std::string_view text, RegisterState& state) {
    // Every line ends with LF, the last one "end"; anything else is damage.
    if (text.substr(0, kFirstLine.size() + 1) != std::string(kFirstLine) + "\n") return false;
    const std::string last = "\n" + std::string(kLastLine) + "\n";
    if (text.size() < kFirstLine.size() + last.size() ||
        text.substr(text.size() - last.size()) != last) {
        return false;
    }
    const std::string_view body =
        text.substr(kFirstLine.size() + 1, text.size() - kFirstLine.size() - last.size());
    RegisterState parsed;
    Fields fields;
    for (std::size_t start = 0; start < body.size();) {
        std::size_t end = body.find('\n', start);
        if (end == std::string_view::npos) end = body.size();
        SplitTabs(body.substr(start, end - start), fields);
        if (!ParseLine(fields, parsed)) return false;
        start = end + 1;
    }
    state = std::move(parsed);
    return true;
}

bool ReadWholeFile(const std::filesystem::path& file, std::uintmax_t limit, std::string& bytes) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error)) return false;
    const std::uintmax_t size = std::filesystem::file_size(file, error);
    if (error || size > limit) return false;
    std::ifstream in(file, std::ios::binary);
    if (!in) return false;
    bytes.assign(static_cast<std::size_t>(size), '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(size));
    return static_cast<std::uintmax_t>(in.gcount()) == size;
}

Error LoadState(const std::filesystem::path& file, RegisterState& state) {
    std::error_code error;
    RegisterState loaded;
    if (std::filesystem::exists(file, error)) {
        std::string text;
        if (!ReadWholeFile(file, kMaxStateFileSize, text) || !ParseStateText(text, loaded)) {
            return Error::kStateUnreadable;
        }
    } else if (error) {
        return Error::kStateUnreadable;
    }
    const std::filesystem::path journal = JournalFilePath(file);
    if (std::filesystem::exists(journal, error)) {
        std::string text;
        std::size_t validBytes = 0;
        if (!ReadWholeFile(journal, kMaxJournalFileSize, text) ||
            ReplayJournal(text, loaded, validBytes) != Error::kNone) {
            return Error::kStateUnreadable;
        }
    }
    state = std::move(loaded);
    return Error::kNone;
}

Error WriteStateFile(const std::filesystem::path& file, const std::string& text) {
    std::error_code error;
    std::filesystem::create_directories(file.parent_path(), error);
    if (error) return Error::kStateNotSaved;
    std::filesystem::path fresh = file;
    fresh += ".new";
    {
        std::ofstream out(fresh, std::ios::binary | std::ios::trunc);
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
        out.close();
        if (!out) {
            std::filesystem::remove(fresh, error);
            return Error::kStateNotSaved;
        }
    }
    std::filesystem::rename(fresh, file, error);
    if (error) {
        std::filesystem::remove(fresh, error);
        return Error::kStateNotSaved;
    }
    return Error::kNone;
}

Error SaveState(const std::filesystem::path& file, const RegisterState& state) {
    if (Error e = WriteStateFile(file, StateText(state)); e != Error::kNone) return e;
    // The state file holds every entry: a journal left behind would only be
    // skipped.
    std::error_code ignored;
    std::filesystem::remove(JournalFilePath(file), ignored);
    return Error::kNone;
}

}  // namespace rubso::sim
