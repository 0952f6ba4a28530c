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

#include "bench/bench_support.h"
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
    rubso::bench::WorkDir dir;
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
            rubso::bench::WriteInput(input, "#1\r\n#\r\n#\r\n" + Record(code) + "\r\n");
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

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    rubso::bench::MedianReporter reporter;
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
