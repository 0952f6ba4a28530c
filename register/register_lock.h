#pragma once
// Who works on a register right now. The window's register commands and the
// end of day each take the register's lock for their work, so the window
// refuses a command on a register the end of day is reading, booking or
// resetting, and the end of day leaves alone a register the window is
// working on. The lock is a file in the data directory, "Kasa" + two-digit
// number + ".lock", locked with flock: a killed holder leaves no stale lock.
// The holder writes who it is into the file, for the refused party's message.
//
// The lock is shared by the processes of one data directory (one
// workstation); workstations with data directories of their own do not see
// each other's locks.

#include <string>

#include "core/file_lock.h"

namespace rubso {

// dataDir + "Kasa" + two-digit number + ".lock".
std::string RegisterLockPath(const std::string& dataDir, int registerNo);

// Takes the register's lock into `lock` and writes `holder` into it.
FileLock::Outcome LockRegister(FileLock& lock, const std::string& dataDir, int registerNo,
                               const std::string& holder);

// "Kasa nr " + number + " jest teraz zajęta: " + holder + ". ..." — the
// refusal the operator reads.
std::string RegisterBusyMessage(int registerNo, const std::string& holder);

// The window's register commands: takes the current register's lock
// (App().registerNo) for the command. When another holds it, shows
// RegisterBusyMessage in the message field as an error and returns false:
// the command must not run. A lock file that cannot be made does not stop
// the command (nobody else can hold it then either), nor does a run without
// a data directory.
bool LockCurrentRegisterForCommand(FileLock& lock);

}  // namespace rubso
