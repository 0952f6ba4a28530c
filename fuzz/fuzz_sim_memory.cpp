// The substitute library's memory files (a register's "state.txt" and
// "journal.txt", which an operator or a crash may damage): a text the reader
// takes is one it would write again the same way.

#include <string>

#include "fuzz/fuzz_support.h"
#include "register/sim/sim_journal.h"
#include "register/sim/sim_state.h"

using namespace rubso::fuzz;
using namespace rubso::sim;

namespace {

void ExpectStateRoundTrip(const RegisterState& state) {
    const std::string text = StateText(state);
    RegisterState again;
    Expect(ParseStateText(text, again), "a written state reads");
    Expect(StateText(again) == text, "a written state reads back as written");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text = Bytes(data, size);
    RegisterState state;
    if (ParseStateText(text, state)) ExpectStateRoundTrip(state);

    RegisterState replayed;
    std::size_t validBytes = 0;
    if (ReplayJournal(text, replayed, validBytes) == Error::kNone) {
        Expect(validBytes <= text.size(), "the complete entries lie inside the journal");
        ExpectStateRoundTrip(replayed);
    }
    return 0;
}
