// kasa-sim: rings up sales on the simulated registers and arms failures of
// the substitute register library (see register/sim/README.md).

#include <iostream>
#include <string>
#include <vector>

#include "register/sim/sim_tool.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return rubso::sim::RunKasaSimTool(args, std::cout, std::cerr);
}
