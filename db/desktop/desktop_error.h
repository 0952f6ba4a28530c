#pragma once
// The errors of the desktop-table layer.

#include <stdexcept>
#include <string>

namespace rubso {

// Raised by every failing operation of the desktop-table layer. The message
// names the table file and says what went wrong.
class DesktopTableError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// A table whose header's counters disagree with its blocks (a write that
// stopped between a block and the header). The message says what disagrees;
// the advice says it in Polish and names the repair (DesktopFile::RepairHeader,
// the program rubso-repair-table).
class DesktopHeaderMismatch : public DesktopTableError {
  public:
    DesktopHeaderMismatch(const std::string& message, std::string advice)
        : DesktopTableError(message), advice_(std::move(advice)) {}
    // For the operator (Windows-1250 bytes): what disagrees and the repair.
    const std::string& Advice() const { return advice_; }

  private:
    std::string advice_;
};

}  // namespace rubso
