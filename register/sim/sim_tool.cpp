#include "register/sim/sim_tool.h"

#include <fstream>

#include "register/sim/sim_input.h"
#include "register/sim/sim_register.h"
#include "register/sim/sim_text.h"

namespace rubso::sim {
namespace {

constexpr int kDone = 0;
constexpr int kRefused = 1;
constexpr int kUsage = 2;

constexpr const char* kUsageText =
    "usage: kasa-sim [--state DIR] COMMAND\n"
    "  sell NR CODE QUANTITY [--discount=GROSZE] [--cancelled] [--uncounted]\n"
    "       [CODE QUANTITY ...]  ring up one receipt; options apply to the line before;\n"
    "                          --uncounted: a register fault, the totals miss the line\n"
    "  list NR                 show the register's goods, sales and armed failures\n"
    "  fail NR FUNCTION CODE [TIMES]\n"
    "                          make the next call(s) of FUNCTION return CODE\n"
    "  modem NR on|off         reach the register by modem (calls need ModStart)\n"
    "  max-code NR N           highest register code the register accepts\n"
    "  clear NR                forget everything the register holds\n"
    "  koment PATH             write the error descriptions file\n";

struct Context {
    std::string root;
    std::ostream& out;
    std::ostream& err;
};

int Usage(std::ostream& err, const std::string& problem) {
    err << "kasa-sim: " << problem << "\n" << kUsageText;
    return kUsage;
}

bool ParseNumber(const std::string& text, std::int64_t low, std::int64_t high,
                 std::int64_t& value) {
    return ParseInteger(text, value) == NumberParse::kOk && value >= low && value <= high;
}

// Loads the register's state; prints the problem and returns false on failure.
bool Load(const Context& c, int registerNo, RegisterState& state) {
    if (LoadState(StateFilePath(c.root, registerNo), state) == Error::kNone) return true;
    c.err << "kasa-sim: the state of register " << registerNo << " is damaged ("
          << StateFilePath(c.root, registerNo).string() << ")\n";
    return false;
}

bool Save(const Context& c, int registerNo, const RegisterState& state) {
    if (SaveState(StateFilePath(c.root, registerNo), state) == Error::kNone) return true;
    c.err << "kasa-sim: cannot write " << StateFilePath(c.root, registerNo).string() << "\n";
    return false;
}

int Sell(const Context& c, int registerNo, const std::vector<std::string>& args) {
    RegisterState state;
    if (!Load(c, registerNo, state)) return kRefused;
    std::vector<SaleLine> lines;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.rfind("--discount=", 0) == 0 || arg == "--cancelled" || arg == "--uncounted") {
            if (lines.empty()) return Usage(c.err, arg + " before any line");
            if (arg == "--cancelled") {
                lines.back().cancelled = true;
            } else if (arg == "--uncounted") {
                lines.back().uncounted = true;
            } else if (!ParseNumber(arg.substr(11), 0, kMaxPrice, lines.back().discount)) {
                return Usage(c.err, "bad discount " + arg);
            }
            continue;
        }
        if (i + 1 >= args.size()) return Usage(c.err, "a code without a quantity");
        SaleLine line;
        if (!ParseNumber(arg, 1, kDefaultMaxCode, line.code)) {
            return Usage(c.err, "bad code " + arg);
        }
        if (ParseQuantity(args[i + 1], line.quantity) != NumberParse::kOk || line.quantity <= 0 ||
            line.quantity > kMaxQuantity) {
            return Usage(c.err, "bad quantity " + args[i + 1]);
        }
        lines.push_back(line);
        ++i;
    }
    if (lines.empty()) return Usage(c.err, "sell needs a code and a quantity");
    const std::int64_t receipt = state.nextReceipt++;
    for (SaleLine& line : lines) {
        auto good = state.goods.find(line.code);
        if (good == state.goods.end()) {
            c.err << "kasa-sim: register " << registerNo << " holds no good " << CodeText(line.code)
                  << "\n";
            return kRefused;
        }
        line.receipt = receipt;
        line.price = good->second.price;
        if (LineValue(line) < 0) {
            c.err << "kasa-sim: the discount exceeds the value of " << CodeText(line.code) << "\n";
            return kRefused;
        }
    }
    state.sales.insert(state.sales.end(), lines.begin(), lines.end());
    if (!Save(c, registerNo, state)) return kRefused;
    c.out << "receipt " << receipt << "\n";
    for (const SaleLine& line : lines) {
        c.out << "  $" << CodeText(line.code) << "  " << QuantityText(line.quantity) << " x "
              << line.price << " - " << line.discount << " = " << LineValue(line)
              << (line.cancelled ? "  cancelled" : "") << (line.uncounted ? "  uncounted" : "")
              << "\n";
    }
    return kDone;
}

int List(const Context& c, int registerNo) {
    RegisterState state;
    if (!Load(c, registerNo, state)) return kRefused;
    c.out << "register " << registerNo << " (" << StateFilePath(c.root, registerNo).string()
          << ")\n";
    c.out << "modem: " << (state.modem ? "yes" : "no")
          << ", session: " << (state.session ? "open" : "closed") << ", max code: " << state.maxCode
          << ", next receipt: " << state.nextReceipt << "\n";
    c.out << "goods: " << state.goods.size() << "\n";
    for (const auto& [code, good] : state.goods) {
        c.out << "  $" << CodeText(code) << "  " << Cp852ToUtf8(good.name) << "  vat "
              << good.vatGroup << "  unit " << good.unit << "  price " << good.price << "  ean "
              << good.barCode << "\n";
    }
    c.out << "sales since the last reset: " << ReceiptCount(state) << " receipts\n";
    for (const auto& [code, total] : SalesTotals(state)) {
        c.out << "  $" << CodeText(code) << "  quantity " << QuantityText(total.quantity)
              << "  value " << total.value << "\n";
    }
    if (!state.failures.empty()) c.out << "armed failures:\n";
    for (const auto& [function, failure] : state.failures) {
        c.out << "  " << function << "  code " << failure.code << "  times " << failure.count
              << "\n";
    }
    return kDone;
}

int Fail(const Context& c, int registerNo, const std::vector<std::string>& args) {
    Function function{};
    std::int64_t code = 0;
    std::int64_t times = 1;
    if (args.size() < 2 || args.size() > 3) return Usage(c.err, "fail needs FUNCTION CODE");
    if (!FunctionFromName(args[0], function)) return Usage(c.err, "no function " + args[0]);
    if (!ParseNumber(args[1], 1, 255, code)) return Usage(c.err, "bad code " + args[1]);
    if (args.size() == 3 && !ParseNumber(args[2], 1, 1'000'000, times)) {
        return Usage(c.err, "bad count " + args[2]);
    }
    RegisterState state;
    if (!Load(c, registerNo, state)) return kRefused;
    state.failures[FunctionName(function)] =
        PendingFailure{static_cast<int>(code), static_cast<int>(times)};
    return Save(c, registerNo, state) ? kDone : kRefused;
}

int Modem(const Context& c, int registerNo, const std::vector<std::string>& args) {
    if (args.size() != 1 || (args[0] != "on" && args[0] != "off")) {
        return Usage(c.err, "modem needs on or off");
    }
    RegisterState state;
    if (!Load(c, registerNo, state)) return kRefused;
    state.modem = args[0] == "on";
    if (!state.modem) state.session = false;
    return Save(c, registerNo, state) ? kDone : kRefused;
}

int MaxCode(const Context& c, int registerNo, const std::vector<std::string>& args) {
    std::int64_t maxCode = 0;
    if (args.size() != 1 || !ParseNumber(args[0], 1, kDefaultMaxCode, maxCode)) {
        return Usage(c.err, "max-code needs a number from 1 to 99999");
    }
    RegisterState state;
    if (!Load(c, registerNo, state)) return kRefused;
    state.maxCode = maxCode;
    return Save(c, registerNo, state) ? kDone : kRefused;
}

int Clear(const Context& c, int registerNo) {
    return Save(c, registerNo, RegisterState()) ? kDone : kRefused;
}

int Koment(const Context& c, const std::vector<std::string>& args) {
    if (args.size() != 1) return Usage(c.err, "koment needs a path");
    std::ofstream file(args[0], std::ios::binary | std::ios::trunc);
    const std::string text = KomentFileText();
    file.write(text.data(), static_cast<std::streamsize>(text.size()));
    file.close();
    if (file) return kDone;
    c.err << "kasa-sim: cannot write " << args[0] << "\n";
    return kRefused;
}

}  // namespace

int RunKasaSimTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::vector<std::string> rest = args;
    Context c{DefaultStateRoot(), out, err};
    if (rest.size() >= 2 && rest[0] == "--state") {
        c.root = rest[1];
        rest.erase(rest.begin(), rest.begin() + 2);
    }
    if (rest.empty()) return Usage(err, "no command");
    const std::string command = rest[0];
    if (command == "koment") return Koment(c, {rest.begin() + 1, rest.end()});

    static const std::vector<std::string> kRegisterCommands = {"sell",  "list",  "fail",
                                                               "modem", "clear", "max-code"};
    bool known = false;
    for (const std::string& name : kRegisterCommands) known = known || name == command;
    if (!known) return Usage(err, "unknown command " + command);
    std::int64_t registerNo = 0;
    if (rest.size() < 2 || !ParseNumber(rest[1], 1, 99, registerNo)) {
        return Usage(err, command + " needs a register number from 1 to 99");
    }
    const int nr = static_cast<int>(registerNo);
    const std::vector<std::string> tail(rest.begin() + 2, rest.end());
    if (command == "sell") return Sell(c, nr, tail);
    if (command == "fail") return Fail(c, nr, tail);
    if (command == "modem") return Modem(c, nr, tail);
    if (command == "max-code") return MaxCode(c, nr, tail);
    if (!tail.empty()) return Usage(err, "too many arguments");
    if (command == "list") return List(c, nr);
    return Clear(c, nr);
}

}  // namespace rubso::sim
