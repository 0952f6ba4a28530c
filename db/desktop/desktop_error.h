#pragma once
// The one error of the desktop-table layer.

#include <stdexcept>
#include <string>

namespace rubso {

// Raised by every failing operation of the desktop-table layer. The message
// names the table file and says what went wrong.
class DesktopTableError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

}  // namespace rubso
