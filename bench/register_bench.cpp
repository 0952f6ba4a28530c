// Goods export through the substitute register library, as the program does
// it: one input file and one ZTowar call per good, through the loader.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "register/winip_library.h"

namespace {

constexpr int kGoods = 1000;

std::string Record(int code) {
    std::string codeText = std::to_string(code);
    codeText.insert(0, 5 - codeText.size(), '0');
    std::string name = "Towar nr " + std::to_string(code);
    name.resize(19, ' ');
    return "$" + codeText + "\t" + name + "\t2\t1\t0\t1\t0\t5900000" + codeText.substr(0, 5) +
           "0\t" + std::to_string(100 + code) + "\t0";
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

// Sends 1,000 goods to an empty register, one call each.
void BM_ExportThousandGoods(benchmark::State& state) {
    WorkDir dir;
    rubso::WinIpLibrary library;
    if (!library.Load(RUBSO_WINIP_DIR)) {
        state.SkipWithError("the substitute register library did not load");
        return;
    }
    const std::string input = "in/ZTowar.in";
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::remove_all("sim");
        state.ResumeTiming();
        for (int code = 1; code <= kGoods; ++code) {
            std::ofstream(input, std::ios::binary | std::ios::trunc) << "#1\r\n#\r\n#\r\n"
                                                                     << Record(code) << "\r\n";
            if (!library.Call(rubso::WinIpFunction::kZTowar, input).Succeeded()) {
                state.SkipWithError("ZTowar failed");
                return;
            }
        }
    }
    state.counters["goods_per_second"] =
        benchmark::Counter(static_cast<double>(kGoods) * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ExportThousandGoods)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
