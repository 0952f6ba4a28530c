#pragma once
// Workstations as separate processes, let go at the same moment: each
// program is started, and only when every one has written its line "ready"
// are they all sent the line "go" together. Used where the point is what
// several processes do to one database at once (first logins, code
// assignment, the benches).

#include <string>
#include <vector>

namespace rubso::test {

struct StationResult {
    int exitCode = -1;   // -1: it did not end normally
    std::string output;  // what it wrote after "ready"
};

// Runs every command line (program path first) at once as described above
// and waits for all of them. A program that ends before saying "ready" is
// reported with what it wrote. Raises std::runtime_error when a program
// cannot be started.
std::vector<StationResult> RunStationsTogether(
    const std::vector<std::vector<std::string>>& commands);

// The station program's side: writes "ready", waits for "go" on standard
// input. False when the input ended first.
bool WaitForGo();

}  // namespace rubso::test
