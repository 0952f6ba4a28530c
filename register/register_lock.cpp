#include "register/register_lock.h"

#include <unistd.h>

#include "core/app_state.h"
#include "core/codepage.h"
#include "core/operator.h"
#include "core/text_utils.h"

namespace rubso {

std::string RegisterLockPath(const std::string& dataDir, int registerNo) {
    return dataDir + "Kasa" + IntPadLeft(registerNo, 2, '0') + ".lock";
}

FileLock::Outcome LockRegister(FileLock& lock, const std::string& dataDir, int registerNo,
                               const std::string& holder) {
    const FileLock::Outcome outcome = lock.TryTake(RegisterLockPath(dataDir, registerNo));
    if (outcome == FileLock::Outcome::kTaken) lock.SetHolderText(holder);
    return outcome;
}

std::string RegisterBusyMessage(int registerNo, const std::string& holder) {
    return Cp1250("Kasa nr ") + std::to_string(registerNo) + Cp1250(" jest teraz zajęta: ") +
           (holder.empty() ? Cp1250("pracuje z nią inny proces") : holder) +
           Cp1250(
               ". Polecenie nie zostało wykonane; spróbuj ponownie, gdy tamta praca się "
               "skończy.");
}

bool LockCurrentRegisterForCommand(FileLock& lock) {
    const AppState& app = App();
    if (app.dataDir.empty()) return true;  // no data directory: nobody to share it with
    const std::string holder = Cp1250("okno programu (proces ") + std::to_string(::getpid()) + ")";
    if (LockRegister(lock, app.dataDir, app.registerNo, holder) != FileLock::Outcome::kBusy) {
        return true;
    }
    Komunikat(RegisterBusyMessage(app.registerNo, FileLock::HolderText(RegisterLockPath(
                                                      app.dataDir, app.registerNo))),
              true);
    return false;
}

}  // namespace rubso
