#include "register/sim/sim_register.h"

#include <array>
#include <cstring>
#include <fstream>
#include <vector>

#include "register/sim/sim_input.h"
#include "register/sim/sim_journal.h"
#include "register/sim/sim_memory.h"
#include "register/sim/sim_text.h"

namespace rubso::sim {
namespace {

constexpr std::array<const char*, kFunctionCount> kNames = {
    "ModStart", "ModStop",  "ZTowar",  "ZCTowar", "KTowar",
    "KTowMax",  "TowarMax", "OSprzed", "OTSpMax", "KSprOp",
};

// The program passes 256-byte buffers; a path must end within one.
constexpr std::size_t kPathBufferSize = 256;

std::uint8_t Code(Error error) {
    return static_cast<std::uint8_t>(error);
}

std::string Header(int registerNo, std::size_t records, std::string_view columns) {
    return "#" + std::to_string(registerNo) + "\r\n#" + std::to_string(records) + "\r\n#" +
           std::string(columns) + "\r\n";
}

std::string TrimRight(std::string_view text) {
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return std::string(text);
}

bool WriteOutput(const char* path, const std::string& text) {
    const std::filesystem::path file(path);
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    if (out) return true;
    std::error_code ignored;
    std::filesystem::remove(file, ignored);
    return false;
}

bool ValidPath(const char* path) {
    return path != nullptr && *path != '\0' && ::memchr(path, '\0', kPathBufferSize) != nullptr;
}

// True when a good under another code than `code` has this name.
bool NameHeldElsewhere(const RegisterState& state, const std::string& name, std::int64_t code) {
    auto [first, last] = state.codesByName.equal_range(NameKey(name));
    for (auto entry = first; entry != last; ++entry) {
        if (entry->second != code) return true;
    }
    return false;
}

Error StoreGoods(const std::vector<std::string>& records, StateEditor& editor,
                 const RegisterState& state) {
    if (records.empty()) return Error::kNoRecords;
    for (const std::string& line : records) {
        GoodsRecord record;
        if (Error e = ParseGoodsRecord(line, state.maxCode, record); e != Error::kNone) return e;
        if (NameHeldElsewhere(state, record.name, record.code)) return Error::kNameInUse;
        auto held = state.goods.find(record.code);
        if (held != state.goods.end() && HasSales(state, record.code) &&
            (NameKey(held->second.name) != NameKey(record.name) ||
             held->second.vatGroup != record.vatGroup)) {
            return Error::kGoodHasSales;
        }
        Good good;
        good.name = record.name;
        good.vatGroup = record.vatGroup;
        good.field4 = record.field4;
        good.field5 = record.field5;
        good.unit = record.unit;
        good.field7 = record.field7;
        good.barCode = record.barCode;
        good.price = record.price;
        good.field10 = record.field10;
        editor.PutGood(record.code, std::move(good));
    }
    return Error::kNone;
}

Error ChangePrices(const std::vector<std::string>& records, StateEditor& editor,
                   const RegisterState& state) {
    if (records.empty()) return Error::kNoRecords;
    for (const std::string& line : records) {
        GoodsRecord record;
        if (Error e = ParseGoodsRecord(line, state.maxCode, record); e != Error::kNone) return e;
        if (state.goods.count(record.code) == 0) return Error::kUnknownGood;
        editor.SetPrice(record.code, record.price);
    }
    return Error::kNone;
}

Error DeleteGoods(const std::vector<std::string>& records, StateEditor& editor,
                  const RegisterState& state) {
    if (records.empty()) return Error::kNoRecords;
    for (const std::string& line : records) {
        std::int64_t code = 0;
        if (Error e = ParseDeletionRecord(line, state.maxCode, code); e != Error::kNone) return e;
        if (state.goods.count(code) == 0) return Error::kUnknownGood;
        if (HasSales(state, code)) return Error::kGoodHasSales;
        editor.EraseGood(code);
    }
    return Error::kNone;
}

// Applies a call that changes the register through `editor`; the caller
// undoes a failed call and saves a successful one.
Error Apply(Function function, const InputFile& input, StateEditor& editor,
            const RegisterState& state) {
    switch (function) {
        case Function::kModStart:
            editor.SetSession(true);
            return Error::kNone;
        case Function::kModStop:
            if (!state.session) return Error::kNoModemSession;
            editor.SetSession(false);
            return Error::kNone;
        case Function::kZTowar:
            return StoreGoods(input.records, editor, state);
        case Function::kZCTowar:
            return ChangePrices(input.records, editor, state);
        case Function::kKTowar:
            return DeleteGoods(input.records, editor, state);
        case Function::kKTowMax:
            if (!state.sales.empty()) return Error::kGoodHasSales;
            editor.ClearGoods();
            return Error::kNone;
        case Function::kKSprOp:
            editor.ClearSales();
            return Error::kNone;
        case Function::kTowarMax:
        case Function::kOSprzed:
        case Function::kOTSpMax:
            break;
    }
    return Error::kNone;
}

std::string OutputText(Function function, int registerNo, const RegisterState& state) {
    switch (function) {
        case Function::kTowarMax:
            return GoodsListText(registerNo, state);
        case Function::kOSprzed:
            return SalesText(registerNo, state);
        default:
            return SalesTotalsText(registerNo, state);
    }
}

Error Run(Function function, const char* inputPath, const char* outputPath) {
    if (!ValidPath(inputPath) || (WritesOutput(function) && !ValidPath(outputPath))) {
        return Error::kBadPathArgument;
    }
    if (Error e = CheckConfig(); e != Error::kNone) return e;
    InputFile input;
    if (Error e = ReadInputFile(inputPath, input); e != Error::kNone) return e;
    RegisterMemory& memory =
        RegisterMemory::For(StateFilePath(DefaultStateRoot(), input.registerNo));
    RegisterState* loaded = nullptr;
    if (Error e = memory.Load(loaded); e != Error::kNone) return e;
    const RegisterState& state = *loaded;
    StateEditor editor(*loaded);

    const auto failure = state.failures.find(FunctionName(function));
    if (failure != state.failures.end()) {
        const auto code = static_cast<Error>(failure->second.code);
        editor.SetFailure(failure->first,
                          PendingFailure{failure->second.code, failure->second.count - 1});
        memory.Save(editor);
        return code;
    }
    const bool sessionCall = function == Function::kModStart || function == Function::kModStop;
    if (state.modem && !state.session && !sessionCall) return Error::kNoModemSession;

    if (WritesOutput(function)) {
        return WriteOutput(outputPath, OutputText(function, input.registerNo, state))
                   ? Error::kNone
                   : Error::kOutputNotWritten;
    }
    if (Error e = Apply(function, input, editor, state); e != Error::kNone) {
        editor.Undo();
        return e;
    }
    return memory.Save(editor);
}

}  // namespace

const char* FunctionName(Function function) {
    return kNames[static_cast<std::size_t>(function)];
}

bool FunctionFromName(std::string_view name, Function& function) {
    if (name.substr(0, 2) == "__") name.remove_prefix(2);
    for (std::size_t i = 0; i < kNames.size(); ++i) {
        if (name == kNames[i]) {
            function = static_cast<Function>(i);
            return true;
        }
    }
    return false;
}

bool WritesOutput(Function function) {
    return function == Function::kTowarMax || function == Function::kOSprzed ||
           function == Function::kOTSpMax;
}

std::uint8_t RunFunction(Function function, const char* inputPath,
                         const char* outputPath) noexcept {
    try {
        return Code(Run(function, inputPath, outputPath));
    } catch (...) {
        return Code(Error::kInternal);
    }
}

std::string GoodsListText(int registerNo, const RegisterState& state) {
    std::string text = Header(registerNo, state.goods.size(), "KOD\tNAZWA\tVAT\tJM\tCENA\tEAN");
    for (const auto& [code, good] : state.goods) {
        text += "$" + CodeText(code) + "\t" + TrimRight(good.name) + "\t" +
                std::to_string(good.vatGroup) + "\t" + std::to_string(good.unit) + "\t" +
                std::to_string(good.price) + "\t" + good.barCode + "\r\n";
    }
    return text;
}

std::string SalesText(int registerNo, const RegisterState& state) {
    std::string text = Header(registerNo, state.sales.size(),
                              "PARAGON\tKOD\tNAZWA\tILOSC\tCENA\tRABAT\tWARTOSC\tSTATUS");
    for (const SaleLine& line : state.sales) {
        auto good = state.goods.find(line.code);
        const std::string name = good == state.goods.end() ? "" : TrimRight(good->second.name);
        text += std::to_string(line.receipt) + "\t$" + CodeText(line.code) + "\t" + name + "\t" +
                QuantityText(line.quantity) + "\t" + std::to_string(line.price) + "\t" +
                std::to_string(line.discount) + "\t" + std::to_string(LineValue(line)) + "\t" +
                (line.cancelled ? "A" : "S") + "\r\n";
    }
    return text;
}

std::string SalesTotalsText(int registerNo, const RegisterState& state) {
    const std::map<std::int64_t, SalesTotal> totals = SalesTotals(state);
    std::string text = Header(registerNo, totals.size(), "KOD\tILOSC\tWARTOSC");
    for (const auto& [code, total] : totals) {
        text += "$" + CodeText(code) + "\t" + QuantityText(total.quantity) + "\t" +
                std::to_string(total.value) + "\r\n";
    }
    return text;
}

}  // namespace rubso::sim
