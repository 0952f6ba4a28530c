#pragma once
// Helpers for the desktop-table tests: raw file bytes, the header facts the
// corruption tests need, the field lists of the tables used as fixtures, and
// the messages of the layer's errors.

#include <cstddef>
#include <string>
#include <vector>

#include "db/desktop/desktop_table.h"

namespace rubso::test {

std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);

// Little-endian numbers of the header and block heads.
unsigned U16At(const std::string& bytes, std::size_t at);
unsigned U32At(const std::string& bytes, std::size_t at);
void PutU16At(std::string& bytes, std::size_t at, unsigned value);

// Where things are in a table file, read from its header.
struct TableLayout {
    int recordSize;
    int headerSize;
    int blockSize;
    int recordsPerBlock;
    std::size_t BlockAt(int number) const {
        return static_cast<std::size_t>(headerSize) +
               static_cast<std::size_t>(number - 1) * blockSize;
    }
};
TableLayout LayoutOf(const std::string& fileBytes);

// The register code table: Kod long, Nazwa A30, Cena number, Inne A40,
// Kod_Ean A40.
std::vector<DesktopNewField> KodyFields();

// One field of every kind the layer writes.
std::vector<DesktopNewField> AllKindsFields();

// Creates `path` with KodyFields() and appends rows with Kod = 1..count and
// Nazwa = "N<kod>".
void MakeKody(const std::string& path, int count);

// Kod of every row, in table order.
std::vector<long long> KodColumn(const std::string& path);

// The message of the DesktopTableError that `action` raises ("" if none).
template <typename Action>
std::string ErrorOf(Action action) {
    try {
        action();
    } catch (const DesktopTableError& error) {
        return error.what();
    }
    return "";
}

// Whether `part` stands anywhere in `text`.
bool Contains(const std::string& text, const std::string& part);

}  // namespace rubso::test
