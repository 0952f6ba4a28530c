// The substitute register library alone, through the loader as the program
// reaches it: one input file and one ZTowar call per good, into an empty
// register and into one that holds every code it takes. The cost of a call
// must not grow with the goods the register holds. The operator's whole
// export (catalogue, records, code table) is bench_exchange's.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "register/sim/sim_state.h"
#include "register/winip_library.h"

namespace {

constexpr int kGoods = 1000;
constexpr int kFullRegister = 99999;

std::string Name(int code) {
    std::string name = "Towar nr " + std::to_string(code);
    name.resize(19, ' ');
    return name;
}

std::string Record(int code) {
    std::string codeText = std::to_string(code);
    codeText.insert(0, 5 - codeText.size(), '0');
    return "$" + codeText + "\t" + Name(code) + "\t2\t1\t0\t1\t0\t5900000" + codeText.substr(0, 5) +
           "0\t" + std::to_string(100 + code) + "\t0";
}

// Writes the input file as the program does: over the old bytes, then cut
// to length, never emptied first.
void WriteInput(const std::string& path, const std::string& text) {
    {
        std::fstream file(path, std::ios::binary | std::ios::in | std::ios::out);
        if (!file) file.open(path, std::ios::binary | std::ios::out);
        file << text;
    }
    std::filesystem::resize_file(path, text.size());
}

// A fresh working directory with "KONFIG.txt" and "in/", left on destruction.
class WorkDir {
  public:
    WorkDir() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "rubso-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) std::abort();
        path_ = pattern;
        previous_ = std::filesystem::current_path();
        std::filesystem::current_path(path_);
        std::filesystem::create_directory("in");
        std::ofstream("KONFIG.txt", std::ios::binary) << "$1\t1:9600:STX0:1:E\t5\tK10\t\r\n";
        ::unsetenv("RUBSO_SIM_STATE");
    }
    ~WorkDir() {
        std::filesystem::current_path(previous_);
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    WorkDir(const WorkDir&) = delete;
    WorkDir& operator=(const WorkDir&) = delete;

  private:
    std::filesystem::path path_;
    std::filesystem::path previous_;
};

// Register 1 holding goods 1 to 99,999, written as its state file.
void FillRegister() {
    rubso::sim::RegisterState state;
    for (int code = 1; code <= kFullRegister; ++code) {
        rubso::sim::Good good;
        good.name = Name(code);
        good.vatGroup = 2;
        good.price = 100 + code;
        state.goods.emplace(code, good);
    }
    rubso::sim::SaveState(rubso::sim::StateFilePath("sim", 1), state);
}

// 1,000 calls, one good each: goods 1 to 1,000 into an empty register
// (range 0), or every hundredth good into the full register (range 1),
// replacing what it holds.
void BM_ZTowarCalls(benchmark::State& state) {
    const bool full = state.range(0) == 1;
    WorkDir dir;
    rubso::WinIpLibrary library;
    if (!library.Load(RUBSO_WINIP_DIR)) {
        state.SkipWithError("the substitute register library did not load");
        return;
    }
    if (full) FillRegister();
    const std::string input = "in/ZTowar.in";
    for (auto _ : state) {
        if (!full) {
            state.PauseTiming();
            std::filesystem::remove_all("sim");
            state.ResumeTiming();
        }
        for (int i = 1; i <= kGoods; ++i) {
            const int code = full ? i * 99 : i;
            WriteInput(input, "#1\r\n#\r\n#\r\n" + Record(code) + "\r\n");
            if (!library.Call(rubso::WinIpFunction::kZTowar, input).Succeeded()) {
                state.SkipWithError("ZTowar failed");
                return;
            }
        }
    }
    state.counters["goods_per_second"] =
        benchmark::Counter(kGoods, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_ZTowarCalls)
    ->Arg(0)
    ->Arg(1)
    ->ArgName("full")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Keeps the real time per iteration of every repetition (or the reported
// median) for the ratio line.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.error_occurred || run.iterations <= 0) continue;
            const double perIteration =
                run.real_accumulated_time / static_cast<double>(run.iterations);
            if (run.run_type == Run::RT_Iteration) {
                seconds_[run.run_name.str()].push_back(perIteration);
            } else if (run.aggregate_name == "median") {
                medians_[run.run_name.str()] = perIteration;
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    double Median(const std::string& name) const {
        const auto median = medians_.find(name);
        if (median != medians_.end()) return median->second;
        const auto found = seconds_.find(name);
        if (found == seconds_.end() || found->second.empty()) return 0.0;
        std::vector<double> values = found->second;
        std::sort(values.begin(), values.end());
        return values[values.size() / 2];
    }

  private:
    std::map<std::string, std::vector<double>> seconds_;
    std::map<std::string, double> medians_;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double empty = reporter.Median("BM_ZTowarCalls/full:0/real_time");
    const double full = reporter.Median("BM_ZTowarCalls/full:1/real_time");
    if (empty > 0 && full > 0) {
        std::printf(
            "Goal: a call into a register of 99,999 goods <= 1.5 x one into an empty "
            "register: %.2f x (%s)\n",
            full / empty, full / empty <= 1.5 ? "met" : "NOT met");
    }
    benchmark::Shutdown();
    return 0;
}
