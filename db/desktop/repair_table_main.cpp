// rubso-repair-table: rebuilds the header of desktop tables whose header lags
// behind their blocks (DesktopFile::RepairHeader), the repair that opening
// such a table names. Usage: rubso-repair-table <table file>...
// Prints one line per table; the exit code is 0 when every table is
// consistent afterwards.

#include <cstdio>
#include <exception>
#include <string>

#include "core/codepage.h"
#include "db/desktop/desktop_file.h"

int main(int argc, char* argv[]) {
    if (argc < 2) {
        std::fputs("rubso-repair-table <plik tabeli>...\n", stderr);
        return 2;
    }
    int result = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string path = argv[i];
        try {
            const bool repaired = rubso::DesktopFile::RepairHeader(path);
            std::printf("%s\n",
                        repaired ? ("Odtworzono nagłówek tabeli " + path + " z jej bloków.").c_str()
                                 : ("Tabela " + path + " jest spójna; nic nie zmieniono.").c_str());
        } catch (const std::exception& error) {
            std::printf("Nie można naprawić tabeli %s: %s\n", path.c_str(),
                        rubso::Cp1250ToUtf8(error.what()).c_str());
            result = 1;
        }
    }
    return result;
}
