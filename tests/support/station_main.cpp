// One workstation of a multi-process test, as a program of its own:
//
//   rubso_test_station <database> <user> <password> login
//       says "ready"; on "go" logs in (BazaConnect).
//   rubso_test_station <database> <user> <password> assign <table> <group>...
//       logs in, says "ready"; on "go" gives the goods of the groups
//       register codes.
//
// It writes "connect <ConnectResult>", then "changed <n>" for assign, and
// "shown <text>" for every message box the operator would have seen.
// Exit code 0 when it ran to its end.

#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "core/app_state.h"
#include "db/tdm.h"
#include "register/code_assignment.h"
#include "tests/support/recording_operator.h"
#include "tests/support/stations.h"

int main(int argc, char* argv[]) {
    using namespace rubso;
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() < 4) {
        std::cerr << "usage: rubso_test_station <database> <user> <password> login|assign ...\n";
        return 2;
    }
    App().dbPath = args[0];
    App().dbUser = args[1];
    App().dbPassword = args[2];
    const std::string& command = args[3];

    test::ScopedRecordingOperator recorder;
    TDM dm;
    int status = 0;
    try {
        if (command == "login") {
            if (!test::WaitForGo()) return 3;
            dm.BazaConnect();
            std::cout << "connect " << ConnectResultCode(App().connectResult) << "\n";
        } else if (command == "assign" && args.size() >= 6) {
            dm.BazaConnect();
            const std::vector<std::string> groups(args.begin() + 5, args.end());
            if (!test::WaitForGo()) return 3;
            std::cout << "connect " << ConnectResultCode(App().connectResult) << "\n";
            std::cout << "changed "
                      << AssignRegisterCodes(dm, SqlIdentifier::Require(args[4], "tabeli"),
                                             GroupFilter(groups))
                      << "\n";
        } else {
            std::cerr << "unknown command " << command << "\n";
            return 2;
        }
    } catch (const std::exception& error) {
        std::cout << "error " << error.what() << "\n";
        status = 1;
    }
    for (const std::string& text : recorder->MessageTexts()) std::cout << "shown " << text << "\n";
    return status;
}
