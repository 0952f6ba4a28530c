#pragma once
// Whether the end of day may reset a register's counters: only when the
// register still holds exactly the sales that were read and booked. The
// receipt lines kept with the read are compared with those the register
// holds just before the reset (receipt numbers go on across resets).

#include <vector>

#include "register/receipts_format.h"

namespace rubso {

enum class ResetDecision {
    // The register holds the lines that were read, no more, no fewer: reset.
    kReset,
    // None of the lines that were read is left and no older one: the
    // counters were reset after the read (a run killed before it noted the
    // reset). Whatever the register holds now was rung up since; it waits
    // for the next read. Do not reset.
    kAlreadyReset,
    // The lines that were read are all there, followed by newer receipts:
    // sales since the read that nobody booked. Read and book again (the
    // document of the day is replaced), then check.
    kReadAgain,
    // Anything else (lines missing or changed): leave the register alone.
    kRefuse,
};

ResetDecision DecideReset(const std::vector<ReceiptLine>& read,
                          const std::vector<ReceiptLine>& now);

}  // namespace rubso
