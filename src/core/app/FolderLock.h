#pragma once
// The lock of a program folder. Every command that writes the store (import, rebuild, analyses,
// repair) holds it for its run, so two of them never write one folder at once: the one that
// ended last could otherwise set "LastTime" back or interleave day files. The lock is the
// operating system's lock on the file "Korvane2.lock" in the folder (flock, LockFileEx on
// Windows); it goes with the process, so a killed command leaves no stale lock behind. The file
// itself stays.
#include <string>

#include "app/Files.h"

namespace kv {

inline constexpr const char* kFolderLockFileName = "Korvane2.lock";

class FolderLock {
 public:
  enum class State { Unlocked, Held, Busy, Failed };

  FolderLock() = default;
  ~FolderLock() { Release(); }
  FolderLock(FolderLock&& other) noexcept;
  FolderLock& operator=(FolderLock&& other) noexcept;
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

  // Takes the lock of the program folder prog without waiting: Held, or Busy when another
  // command (another process, or another lock object of this one) holds it, or Failed when the
  // lock file cannot be opened.
  static FolderLock TryLock(const fs::path& prog);

  State GetState() const { return state_; }
  bool Held() const { return state_ == State::Held; }
  // CP932, for the user when the lock is not held: another import is running (Busy), or the
  // lock file and the reason (Failed).
  std::string Message() const;
  void Release();

 private:
  State state_ = State::Unlocked;
  std::string error_;  // UTF-8, when Failed
#ifdef _WIN32
  void* handle_ = nullptr;
#else
  int fd_ = -1;
#endif
};

// CP932: what a command that writes the store says when another one is running in the folder.
std::string FolderBusyMessage();

}  // namespace kv
