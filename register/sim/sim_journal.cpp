#include "register/sim/sim_journal.h"

#include <initializer_list>
#include <optional>
#include <utility>

#include "register/sim/sim_text.h"

namespace rubso::sim {
namespace {

std::string Number(std::int64_t value) {
    return std::to_string(value);
}

std::string Flag(bool on) {
    return on ? "1" : "0";
}

std::string Line(std::initializer_list<std::string_view> fields) {
    std::string line;
    AppendStateLine(line, fields);
    return line;
}

// Applies one change line through `editor`; false when it is not one.
bool ApplyLine(const LineFields& f, StateEditor& editor, const RegisterState& state) {
    const std::string_view tag = f[0];
    std::int64_t number = 0;
    bool flag = false;
    if (tag == "good") {
        Good good;
        if (!ReadGoodLine(f, number, good)) return false;
        editor.PutGood(number, std::move(good));
        return true;
    }
    if (tag == "sale") {
        SaleLine line;
        if (!ReadSaleLine(f, line)) return false;
        editor.AddSale(line);
        return true;
    }
    if (tag == "fail") {
        std::string function;
        PendingFailure failure;
        if (!ReadFailureLine(f, function, failure)) return false;
        editor.SetFailure(function, failure);
        return true;
    }
    if (f.size() == 1) {
        if (tag == "drop-goods") editor.ClearGoods();
        if (tag == "drop-sales") editor.ClearSales();
        if (tag == "clear") editor.Clear();
        return tag == "drop-goods" || tag == "drop-sales" || tag == "clear";
    }
    if (tag == "price" && f.size() == 3) {
        std::int64_t price = 0;
        if (!ReadStateNumber(f[1], 1, kStateNumberLimit, number) ||
            !ReadStateNumber(f[2], 0, kStateNumberLimit, price) || state.goods.count(number) == 0) {
            return false;
        }
        editor.SetPrice(number, price);
        return true;
    }
    if (f.size() != 2) return false;
    if (tag == "drop") {
        if (!ReadStateNumber(f[1], 1, kStateNumberLimit, number)) return false;
        editor.EraseGood(number);
        return true;
    }
    if (tag == "fail-done") {
        editor.SetFailure(std::string(f[1]), PendingFailure{});
        return true;
    }
    if (tag == "modem" || tag == "session") {
        if (!ReadStateFlag(f[1], flag)) return false;
        if (tag == "modem") {
            editor.SetModem(flag);
        } else {
            editor.SetSession(flag);
        }
        return true;
    }
    if (tag == "max-code") {
        if (!ReadStateNumber(f[1], 1, kDefaultMaxCode, number)) return false;
        editor.SetMaxCode(number);
        return true;
    }
    if (tag == "next-receipt") {
        if (!ReadStateNumber(f[1], 1, kStateNumberLimit, number)) return false;
        editor.SetNextReceipt(number);
        return true;
    }
    return false;
}

}  // namespace

void StateEditor::Note(std::string line, std::function<void()> undo) {
    lines_ += line;
    undo_.push_back(std::move(undo));
}

void StateEditor::EraseName(std::int64_t code, const std::string& name) {
    auto [first, last] = state_.codesByName.equal_range(NameKey(name));
    for (auto entry = first; entry != last; ++entry) {
        if (entry->second == code) {
            state_.codesByName.erase(entry);
            return;
        }
    }
}

void StateEditor::PutGood(std::int64_t code, Good good) {
    std::string line;
    AppendGoodLine(line, code, good);
    auto held = state_.goods.find(code);
    std::optional<Good> before;
    if (held != state_.goods.end()) {
        before = held->second;
        EraseName(code, held->second.name);
        held->second = std::move(good);
    } else {
        held = state_.goods.emplace(code, std::move(good)).first;
    }
    state_.codesByName.emplace(NameKey(held->second.name), code);
    Note(std::move(line), [this, code, before = std::move(before)] {
        EraseName(code, state_.goods.at(code).name);
        if (before) {
            state_.goods[code] = *before;
            state_.codesByName.emplace(NameKey(before->name), code);
        } else {
            state_.goods.erase(code);
        }
    });
}

void StateEditor::SetPrice(std::int64_t code, std::int64_t price) {
    Good& good = state_.goods.at(code);
    const std::int64_t before = good.price;
    good.price = price;
    Note(Line({"price", Number(code), Number(price)}),
         [this, code, before] { state_.goods.at(code).price = before; });
}

void StateEditor::EraseGood(std::int64_t code) {
    const auto held = state_.goods.find(code);
    if (held == state_.goods.end()) return;
    Good before = std::move(held->second);
    EraseName(code, before.name);
    state_.goods.erase(held);
    Note(Line({"drop", Number(code)}), [this, code, before = std::move(before)] {
        state_.codesByName.emplace(NameKey(before.name), code);
        state_.goods.emplace(code, before);
    });
}

void StateEditor::ClearGoods() {
    if (state_.goods.empty()) return;
    auto goods = std::move(state_.goods);
    auto names = std::move(state_.codesByName);
    state_.goods.clear();
    state_.codesByName.clear();
    Note(Line({"drop-goods"}),
         [this, goods = std::move(goods), names = std::move(names)]() mutable {
             state_.goods = std::move(goods);
             state_.codesByName = std::move(names);
         });
}

void StateEditor::AddSale(const SaleLine& line) {
    std::string text;
    AppendSaleLine(text, line);
    state_.sales.push_back(line);
    Note(std::move(text), [this] { state_.sales.pop_back(); });
}

void StateEditor::ClearSales() {
    if (state_.sales.empty()) return;
    auto sales = std::move(state_.sales);
    state_.sales.clear();
    Note(Line({"drop-sales"}),
         [this, sales = std::move(sales)]() mutable { state_.sales = std::move(sales); });
}

void StateEditor::SetModem(bool on) {
    if (state_.modem == on) return;
    state_.modem = on;
    Note(Line({"modem", Flag(on)}), [this, on] { state_.modem = !on; });
}

void StateEditor::SetSession(bool open) {
    if (state_.session == open) return;
    state_.session = open;
    Note(Line({"session", Flag(open)}), [this, open] { state_.session = !open; });
}

void StateEditor::SetMaxCode(std::int64_t maxCode) {
    const std::int64_t before = state_.maxCode;
    if (before == maxCode) return;
    state_.maxCode = maxCode;
    Note(Line({"max-code", Number(maxCode)}), [this, before] { state_.maxCode = before; });
}

void StateEditor::SetNextReceipt(std::int64_t nextReceipt) {
    const std::int64_t before = state_.nextReceipt;
    if (before == nextReceipt) return;
    state_.nextReceipt = nextReceipt;
    Note(Line({"next-receipt", Number(nextReceipt)}),
         [this, before] { state_.nextReceipt = before; });
}

void StateEditor::SetFailure(std::string function, PendingFailure failure) {
    const auto held = state_.failures.find(function);
    std::optional<PendingFailure> before;
    if (held != state_.failures.end()) before = held->second;
    auto undo = [this, function, before] {
        if (before) {
            state_.failures[function] = *before;
        } else {
            state_.failures.erase(function);
        }
    };
    if (failure.count <= 0) {
        if (!before) return;
        state_.failures.erase(function);
        Note(Line({"fail-done", function}), std::move(undo));
        return;
    }
    state_.failures[function] = failure;
    Note(Line({"fail", function, Number(failure.code), Number(failure.count)}), std::move(undo));
}

void StateEditor::Clear() {
    RegisterState before = std::move(state_);
    state_ = RegisterState();
    state_.journalEntry = before.journalEntry;
    Note(Line({"clear"}), [this, before = std::move(before)]() mutable {
        const std::int64_t entry = state_.journalEntry;
        state_ = std::move(before);
        state_.journalEntry = entry;
    });
}

void StateEditor::Undo() {
    while (!undo_.empty()) {
        undo_.back()();
        undo_.pop_back();
    }
    lines_.clear();
}

std::string JournalEntry(const std::string& lines, std::int64_t number) {
    return lines + Line({"commit", Number(number)});
}

Error ReplayJournal(std::string_view text, RegisterState& state, std::size_t& validBytes) {
    validBytes = 0;
    LineFields fields;
    std::vector<std::string_view> entry;  // the lines since the last commit
    std::int64_t last = 0;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) break;  // a line the kill cut short
        const std::string_view line = text.substr(start, end - start);
        start = end + 1;
        SplitTabs(line, fields);
        if (fields[0] != "commit") {
            entry.push_back(line);
            continue;
        }
        std::int64_t number = 0;
        if (fields.size() != 2 || !ReadStateNumber(fields[1], 1, kStateNumberLimit, number) ||
            (last != 0 && number != last + 1)) {
            return Error::kStateUnreadable;
        }
        last = number;
        if (number > state.journalEntry) {
            StateEditor editor(state);
            for (const std::string_view change : entry) {
                SplitTabs(change, fields);
                if (!ApplyLine(fields, editor, state)) return Error::kStateUnreadable;
            }
            state.journalEntry = number;
        }
        entry.clear();
        validBytes = start;
    }
    return Error::kNone;
}

}  // namespace rubso::sim
