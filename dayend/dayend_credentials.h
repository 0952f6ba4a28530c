#pragma once
// The database login of the end of day. Nobody types a password at night and
// a password on the command line would show in the process list, so both
// come from the program's settings file, section "KoniecDnia":
//
//   [KoniecDnia]
//   Uzytkownik=KASJER                     ; default KASJER; never SYSDBA
//   PlikHasla=/etc/rubso/koniec-dnia.haslo ; default: KoniecDnia.haslo beside
//                                         ; the settings file
//
// The password file holds the password on its first line. It must be a
// regular file owned by the user the run works as, and readable by its owner
// only (mode 0600 or 0400): any other file is refused, so that a password
// anyone can read is never used. The database itself is the one the program
// uses (section "Rubso" or "Firma.ini").

#include <optional>
#include <string>

namespace rubso {

class IniFile;

struct DayEndCredentials {
    std::string user;
    std::string password;
    std::string passwordFile;
};

inline constexpr const char* kDayEndSection = "KoniecDnia";

// Reads the user and the password. nullopt and `problem` (Polish, code page
// 1250) when the user is SYSDBA or empty, or the password file is missing,
// not a regular file, not the caller's own, readable or writable by others,
// or empty.
std::optional<DayEndCredentials> LoadDayEndCredentials(const IniFile& ini, std::string& problem);

}  // namespace rubso
