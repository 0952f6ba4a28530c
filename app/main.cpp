// The program's entry. "--version" prints the version and ends before any
// file or display is touched. Otherwise it loads the installation settings
// before anything else exists, creates the application object and the data
// module, then the main window, whose creation runs the login. An abandoned
// login ends the run here; otherwise the transfer module joins and the event
// loop starts.

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

#include "app/ui/goods_list_source.h"
#include "app/ui/login_dialog.h"
#include "app/ui/main_window.h"
#include "app/ui/rubso_application.h"
#include "app/ui/termination_signal.h"
#include "app/ui/window_operations.h"
#include "core/app_state.h"
#include "core/installation_settings.h"
#include "dayend/dayend_command.h"
#include "dayend/dayend_options.h"
#include "db/tdm.h"
#include "trading/trading_tables.h"

namespace {

// The full path of the running program file; the register library, its error
// descriptions and the help are found in its directory.
std::string ProgramFilePath(const char* argv0) {
    std::error_code error;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error) return self.string();
    return std::filesystem::absolute(argv0 != nullptr ? argv0 : "rubso", error).string();
}

// Leaves the data module unset however main ends.
class DataModuleScope {
  public:
    explicit DataModuleScope(rubso::TDM& dm) { rubso::SetDM(&dm); }
    ~DataModuleScope() { rubso::SetDM(nullptr); }
    DataModuleScope(const DataModuleScope&) = delete;
    DataModuleScope& operator=(const DataModuleScope&) = delete;
};

}  // namespace

int main(int argc, char* argv[]) {
    if (argc > 1 && std::string_view(argv[1]) == "--version") {
        std::printf("rubso %s\n", rubso::kProgramVersion);
        return 0;
    }
    const std::string programFile = ProgramFilePath(argc > 0 ? argv[0] : nullptr);
    rubso::LoadInstallationSettings(programFile);
    // The end of day runs without a window (rubso --koniec-dnia ...).
    if (rubso::IsDayEndCommand(argc, argv)) return rubso::RunDayEndCommand(argc, argv);
    rubso::RubsoApplication application(argc, argv);
    // No application display name: the platform would add it to every
    // window title, which already starts with the program's title.

    rubso::TDM dm;
    const DataModuleScope dataModule(dm);
    rubso::DatabaseGoodsListSource goodsSource;
    rubso::WindowOperations operations;
    // A termination signal during the login gives the login up; afterwards
    // the main window stops its work and closes in order.
    rubso::TFrm* window = nullptr;
    const rubso::TerminationSignal termination([&window](const std::string& name) {
        if (window != nullptr) {
            window->Terminate(name);
        } else if (QWidget* login = QApplication::activeModalWidget()) {
            login->close();
        }
    });
    rubso::TFrm frm(operations, goodsSource, rubso::RunLoginDialog, programFile);
    if (rubso::App().quitRequested) return 0;
    window = &frm;

    rubso::Tdmh tdmh;
    operations.SetTdmh(&tdmh);
    frm.show();
    const int result = application.exec();
    operations.SetTdmh(nullptr);
    return result;
}
