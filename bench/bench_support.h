#pragma once
// What several benchmarks share: a scratch working directory for the
// register library, its input file written as the program writes it, and a
// reporter that keeps each benchmark's median time for the goal lines.

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace rubso::bench {

// Writes the library's input file as the program does: over the old bytes,
// then cut to length, never emptied first.
inline void WriteInput(const std::string& path, const std::string& text) {
    {
        std::fstream file(path, std::ios::binary | std::ios::in | std::ios::out);
        if (!file) file.open(path, std::ios::binary | std::ios::out);
        file << text;
    }
    std::filesystem::resize_file(path, text.size());
}

// A fresh working directory with "KONFIG.txt" and "in/", made current for
// its lifetime and removed on destruction.
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

// Keeps the real time per iteration of every repetition of each benchmark
// (or the median the library reports when only aggregates are shown).
class MedianReporter : public benchmark::ConsoleReporter {
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
    // The median seconds per iteration; 0 when the benchmark did not run.
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

}  // namespace rubso::bench
