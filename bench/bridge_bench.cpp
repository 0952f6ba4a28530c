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

// Over the old bytes, then cut to length, as the program writes it.
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
    WorkDir dir;
    rubso::WinIpLibrary library;
    if (!Prepare(library, static_cast<int>(state.range(0)), state)) return;
    const std::string input = "in/ZTowar.in";
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::remove_all("sim");
        state.ResumeTiming();
        for (int code = 1; code <= kCalls; ++code) {
            WriteInput(input, "#1\r\n#\r\n#\r\n" + Record(code) + "\r\n");
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
    WorkDir dir;
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

// Keeps the median real time per iteration of every benchmark for the
// goal line.
class GoalReporter : public benchmark::ConsoleReporter {
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
    // Milliseconds per call; 0 when the benchmark did not run.
    double PerCallMs(const std::string& name) const {
        double seconds = 0.0;
        if (const auto median = medians_.find(name); median != medians_.end()) {
            seconds = median->second;
        } else if (const auto found = seconds_.find(name); found != seconds_.end()) {
            std::vector<double> values = found->second;
            std::sort(values.begin(), values.end());
            seconds = values[values.size() / 2];
        }
        return seconds * 1000.0 / kCalls;
    }

  private:
    std::map<std::string, std::vector<double>> seconds_;
    std::map<std::string, double> medians_;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    GoalReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double inProcess = reporter.PerCallMs("BM_ZTowarCalls/wine:0/real_time");
    const double throughWine = reporter.PerCallMs("BM_ZTowarCalls/wine:1/real_time");
    const double roundTrip = reporter.PerCallMs("BM_RefusedCalls/wine:1/real_time") -
                             reporter.PerCallMs("BM_RefusedCalls/wine:0/real_time");
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
