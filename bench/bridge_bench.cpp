// The register library through the bridge under Wine against the same
// library in-process: 1,000 ZTowar calls of one good each into an empty
// register, each after writing its input file, as the program calls them.
// The bridge's cost per call is the difference; a call the library refuses
// at once (no input file) shows the round trip alone.

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
#include "register/winip_library.h"

namespace {

constexpr int kCalls = 1000;

enum Way { kInProcess = 0, kThroughWine = 1 };

std::string Record(int code) {
    std::string codeText = std::to_string(code);
    codeText.insert(0, 5 - codeText.size(), '0');
    std::string name = "Towar nr " + std::to_string(code);
    name.resize(19, ' ');
    return "$" + codeText + "\t" + name + "\t2\t1\t0\t1\t0\t0000000000000\t" +
           std::to_string(100 + code) + "\t0";
}

// The Wine prefix: $WINEPREFIX, else one of the benchmark's own, made by
// its first run (about 20 s) and kept for the next.
rubso::WinIpSource Source(int way) {
    rubso::WinIpSource source;
    source.directory = RUBSO_WINIP_DIR;
    if (way == kInProcess) return source;
    ::unsetenv("DISPLAY");
    source.directory = RUBSO_WINDOWS_WINIP_DIR;
    source.throughWine = true;
    const char* prefix = std::getenv("WINEPREFIX");
    source.winePrefix = prefix != nullptr && *prefix != '\0' ? prefix : RUBSO_BENCH_WINE_PREFIX;
    source.bridgePath = RUBSO_BRIDGE;
    return source;
}

// Loads the library and makes one call, so that the bridge has started
// before the clock runs.
bool Prepare(rubso::WinIpLibrary& library, int way, benchmark::State& state) {
    if (!library.Load(Source(way)) ||
        !library.Call(rubso::WinIpFunction::kKSprOp, "in/none.in").Called()) {
        state.SkipWithError(library.LastError().c_str());
        return false;
    }
    return true;
}

void BM_ZTowarCalls(benchmark::State& state) {
    rubso::bench::WorkDir dir;
    rubso::WinIpLibrary library;
    if (!Prepare(library, static_cast<int>(state.range(0)), state)) return;
    const std::string input = "in/ZTowar.in";
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::remove_all("sim");
        state.ResumeTiming();
        for (int code = 1; code <= kCalls; ++code) {
            rubso::bench::WriteInput(input, "#1\r\n#\r\n#\r\n" + Record(code) + "\r\n");
            if (!library.Call(rubso::WinIpFunction::kZTowar, input).Succeeded()) {
                state.SkipWithError("ZTowar failed");
                return;
            }
        }
    }
    state.counters["calls_per_second"] =
        benchmark::Counter(kCalls, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_ZTowarCalls)
    ->Arg(kInProcess)
    ->Arg(kThroughWine)
    ->ArgName("wine")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// 1,000 calls the library answers at once with code 3 (no input file):
// the round trip without the library's work.
void BM_RefusedCalls(benchmark::State& state) {
    rubso::bench::WorkDir dir;
    rubso::WinIpLibrary library;
    if (!Prepare(library, static_cast<int>(state.range(0)), state)) return;
    for (auto _ : state) {
        for (int i = 0; i < kCalls; ++i) {
            if (!library.Call(rubso::WinIpFunction::kZTowar, "in/none.in").Called()) {
                state.SkipWithError("the call did not reach the library");
                return;
            }
        }
    }
}
BENCHMARK(BM_RefusedCalls)
    ->Arg(kInProcess)
    ->Arg(kThroughWine)
    ->ArgName("wine")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Milliseconds per call of a benchmark; 0 when it did not run.
double PerCallMs(const rubso::bench::MedianReporter& reporter, const std::string& name) {
    return reporter.Median(name) * 1000.0 / kCalls;
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    rubso::bench::MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double inProcess = PerCallMs(reporter, "BM_ZTowarCalls/wine:0/real_time");
    const double throughWine = PerCallMs(reporter, "BM_ZTowarCalls/wine:1/real_time");
    const double roundTrip = PerCallMs(reporter, "BM_RefusedCalls/wine:1/real_time") -
                             PerCallMs(reporter, "BM_RefusedCalls/wine:0/real_time");
    if (inProcess > 0 && throughWine > 0) {
        const double added = throughWine - inProcess;
        std::printf(
            "ZTowar per call: in-process %.3f ms, through Wine %.3f ms (ratio %.1f); the bridge "
            "adds %.3f ms, of which the round trip %.3f ms\n",
            inProcess, throughWine, throughWine / inProcess, added, roundTrip);
        std::printf("Goal: the bridge adds under 2 ms per call: %.3f ms (%s)\n", added,
                    added < 2.0 ? "met" : "NOT met");
    }
    benchmark::Shutdown();
    return 0;
}
