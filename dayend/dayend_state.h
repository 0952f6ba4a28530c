#pragma once
// How far the end of day got with one register on one sales date: a small
// file in the register's directory of that date (kasaDir +
// "KoniecDnia.stan"), written whole or not at all (WriteFileDurably) after
// each step, so a run killed at any point and started again goes on from
// the last step that is on the disk:
//
//   (none) --read--> odczytany --booked--> zaksiegowany --checked--> sprawdzony
//          --counters reset--> wyzerowany
//
// Each step's own results are durable before the state names it: the
// sales-read file and the receipts kept with it, the document (the transfer
// commits its journal), the register's reset. The file is text in the
// program's code page, one "Key=value" per line; it is not a sales read
// (its name does not end in ".txt").

#include <cstdint>
#include <optional>
#include <string>

namespace rubso {

enum class DayEndStep { kNone, kRead, kBooked, kChecked, kReset };

struct DayEndState {
    DayEndStep step = DayEndStep::kNone;
    std::string salesRead;     // the sales-read file's name in the register directory
    std::string receipts;      // the receipt lines kept with it (a copy of OSprzed's output)
    std::string document;      // "WZ/" + package; empty when the read held no sales
    int lines = 0;             // lines of the read (and of the document)
    std::int64_t gross = 0;    // its gross value in grosze
    bool differences = false;  // the last check found differences (the next run reads again)
    std::string note;          // a remark for the report (one line)
};

// kasaDir + "KoniecDnia.stan".
std::string DayEndStatePath(const std::string& kasaDir);

// The state in `path`; a missing file is the state kNone. nullopt (and
// `problem`) for a file that cannot be read or is not a state file: the
// caller must then leave the register alone.
std::optional<DayEndState> LoadDayEndState(const std::string& path, std::string& problem);

// Writes the state durably; false when it could not be written (the file on
// the disk is then the earlier state).
bool SaveDayEndState(const std::string& path, const DayEndState& state);

// The state's text and back (for the file).
std::string DayEndStateText(const DayEndState& state);
std::optional<DayEndState> ParseDayEndState(const std::string& text);

}  // namespace rubso
