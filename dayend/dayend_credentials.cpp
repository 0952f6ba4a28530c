#include "dayend/dayend_credentials.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "core/codepage.h"
#include "core/file_utils.h"
#include "core/ini_file.h"
#include "core/text_utils.h"
#include "db/tdm.h"

namespace rubso {
namespace {

std::string OctalMode(mode_t mode) {
    char text[8];
    std::snprintf(text, sizeof text, "%04o", static_cast<unsigned>(mode & 07777));
    return text;
}

std::string DefaultPasswordFile(const IniFile& ini) {
    const std::filesystem::path settings(ini.FileName());
    const std::string directory = settings.parent_path().string();
    return (directory.empty() ? std::string() : directory + kPathSeparator) + "KoniecDnia.haslo";
}

}  // namespace

std::optional<DayEndCredentials> LoadDayEndCredentials(const IniFile& ini, std::string& problem) {
    DayEndCredentials credentials;
    credentials.user = Trim(ini.ReadString(kDayEndSection, "Uzytkownik", "KASJER"));
    credentials.passwordFile = Trim(ini.ReadString(kDayEndSection, "PlikHasla", ""));
    if (credentials.passwordFile.empty()) credentials.passwordFile = DefaultPasswordFile(ini);

    if (credentials.user.empty() || SameTextIgnoringCase(credentials.user, kAdministratorUser)) {
        problem = Cp1250("Zamknięcie dnia nie pracuje jako ") + kAdministratorUser +
                  Cp1250(
                      ": podaj innego użytkownika bazy (np. KASJER) w kluczu Uzytkownik "
                      "sekcji [KoniecDnia] pliku ") +
                  ini.FileName();
        return std::nullopt;
    }
    const std::string& file = credentials.passwordFile;
    struct stat status {};
    if (::stat(file.c_str(), &status) != 0) {
        problem = Cp1250("Brak pliku z hasłem zamknięcia dnia ") + file +
                  Cp1250(" (klucz PlikHasla sekcji [KoniecDnia])");
        return std::nullopt;
    }
    if (!S_ISREG(status.st_mode)) {
        problem = Cp1250("Plik z hasłem ") + file + Cp1250(" nie jest zwykłym plikiem");
        return std::nullopt;
    }
    if (status.st_uid != ::geteuid()) {
        problem = Cp1250("Plik z hasłem ") + file +
                  Cp1250(
                      " należy do innego użytkownika systemu niż ten, który uruchamia "
                      "zamknięcie dnia");
        return std::nullopt;
    }
    if ((status.st_mode & (S_IRWXG | S_IRWXO)) != 0) {
        problem = Cp1250("Plik z hasłem ") + file + Cp1250(" mogą czytać inni (uprawnienia ") +
                  OctalMode(status.st_mode) + Cp1250("); ustaw je poleceniem: chmod 600 ") + file;
        return std::nullopt;
    }
    const std::vector<std::string> lines = SplitLines(ReadFileText(file));
    credentials.password = lines.empty() ? std::string() : lines.front();
    if (credentials.password.empty()) {
        problem = Cp1250("Plik z hasłem ") + file + Cp1250(" jest pusty");
        return std::nullopt;
    }
    return credentials;
}

}  // namespace rubso
