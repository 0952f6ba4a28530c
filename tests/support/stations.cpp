#include "tests/support/stations.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <stdexcept>

extern char** environ;

namespace rubso::test {
namespace {

struct Running {
    pid_t pid = -1;
    int input = -1;   // the station's standard input
    int output = -1;  // its standard output
    std::string text;
    bool ready = false;
};

// Reads from `fd` until a line is complete or the pipe ends; true for a
// complete line. What was read stays in `text`.
bool ReadLine(int fd, std::string& text) {
    char c = 0;
    while (::read(fd, &c, 1) == 1) {
        if (c == '\n') return true;
        text += c;
    }
    return false;
}

void ReadAll(int fd, std::string& text) {
    char buffer[4096];
    ssize_t n = 0;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0)
        text.append(buffer, static_cast<std::size_t>(n));
}

Running Start(const std::vector<std::string>& command) {
    int toChild[2];
    int fromChild[2];
    if (::pipe(toChild) != 0 || ::pipe(fromChild) != 0) throw std::runtime_error("pipe failed");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, toChild[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, fromChild[1], STDOUT_FILENO);
    for (int fd : {toChild[0], toChild[1], fromChild[0], fromChild[1]}) {
        posix_spawn_file_actions_addclose(&actions, fd);
    }
    std::vector<char*> argv;
    for (const std::string& arg : command) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    Running station;
    const int failed =
        ::posix_spawn(&station.pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(toChild[0]);
    ::close(fromChild[1]);
    station.input = toChild[1];
    station.output = fromChild[0];
    if (failed != 0) {
        ::close(station.input);
        ::close(station.output);
        throw std::runtime_error("cannot start " + command.front());
    }
    return station;
}

}  // namespace

std::vector<StationResult> RunStationsTogether(
    const std::vector<std::vector<std::string>>& commands) {
    std::vector<Running> stations;
    for (const auto& command : commands) stations.push_back(Start(command));
    for (Running& station : stations) {
        std::string line;
        station.ready = ReadLine(station.output, line) && line == "ready";
        if (!station.ready) station.text = line + "\n";
    }
    for (Running& station : stations) {
        if (station.ready) {
            [[maybe_unused]] const ssize_t written = ::write(station.input, "go\n", 3);
        }
        ::close(station.input);
    }
    std::vector<StationResult> results;
    for (Running& station : stations) {
        ReadAll(station.output, station.text);
        ::close(station.output);
        int status = 0;
        ::waitpid(station.pid, &status, 0);
        results.push_back({WIFEXITED(status) ? WEXITSTATUS(status) : -1, station.text});
    }
    return results;
}

bool WaitForGo() {
    std::cout << "ready" << std::endl;
    std::string line;
    return static_cast<bool>(std::getline(std::cin, line)) && line == "go";
}

}  // namespace rubso::test
