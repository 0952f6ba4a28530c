// The program's entry: loads the installation settings before anything else
// exists, then creates the application object. The data modules and the main
// window join here as they are built.

#include <filesystem>
#include <string>
#include <system_error>

#include "app/core/installation_settings.h"
#include "app/ui/rubso_application.h"

namespace {

// The full path of the running program file; the settings, the data
// directory and the register library's files all hang off its directory.
std::string ProgramFilePath(const char* argv0) {
    std::error_code error;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error) return self.string();
    return std::filesystem::absolute(argv0 != nullptr ? argv0 : "rubso", error).string();
}

}  // namespace

int main(int argc, char* argv[]) {
    rubso::LoadInstallationSettings(ProgramFilePath(argc > 0 ? argv[0] : nullptr));
    rubso::RubsoApplication application(argc, argv);
    return 0;
}
