#include "app/FolderLock.h"

#include <cerrno>
#include <cstring>
#include <utility>

#include "text/Cp932.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace kv {

std::string FolderBusyMessage() {
  return J("別のデータ取込が実行中です。終了してから再度実行してください。");
}

FolderLock::FolderLock(FolderLock&& other) noexcept { *this = std::move(other); }

FolderLock& FolderLock::operator=(FolderLock&& other) noexcept {
  if (this == &other) return *this;
  Release();
  state_ = std::exchange(other.state_, State::Unlocked);
  error_ = std::move(other.error_);
#ifdef _WIN32
  handle_ = std::exchange(other.handle_, nullptr);
#else
  fd_ = std::exchange(other.fd_, -1);
#endif
  return *this;
}

std::string FolderLock::Message() const {
  switch (state_) {
    case State::Busy: return FolderBusyMessage();
    case State::Failed: return ToCp932(error_);
    default: return {};
  }
}

#ifdef _WIN32

FolderLock FolderLock::TryLock(const fs::path& prog) {
  FolderLock lock;
  const fs::path file = prog / kFolderLockFileName;
  HANDLE h = ::CreateFileW(file.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    lock.state_ = State::Failed;
    lock.error_ = "cannot open " + file.string() + ": error " + std::to_string(::GetLastError());
    return lock;
  }
  OVERLAPPED ov{};
  if (!::LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &ov)) {
    const DWORD err = ::GetLastError();
    ::CloseHandle(h);
    if (err == ERROR_LOCK_VIOLATION || err == ERROR_IO_PENDING) {
      lock.state_ = State::Busy;
    } else {
      lock.state_ = State::Failed;
      lock.error_ = "cannot lock " + file.string() + ": error " + std::to_string(err);
    }
    return lock;
  }
  lock.handle_ = h;
  lock.state_ = State::Held;
  return lock;
}

void FolderLock::Release() {
  if (handle_) {
    OVERLAPPED ov{};
    ::UnlockFileEx(static_cast<HANDLE>(handle_), 0, 1, 0, &ov);
    ::CloseHandle(static_cast<HANDLE>(handle_));
    handle_ = nullptr;
  }
  state_ = State::Unlocked;
}

#else

FolderLock FolderLock::TryLock(const fs::path& prog) {
  FolderLock lock;
  const fs::path file = prog / kFolderLockFileName;
  const int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) {
    lock.state_ = State::Failed;
    lock.error_ = "cannot open " + file.string() + ": " + std::strerror(errno);
    return lock;
  }
  int rc;
  do rc = ::flock(fd, LOCK_EX | LOCK_NB);
  while (rc != 0 && errno == EINTR);
  if (rc != 0) {
    const int err = errno;
    ::close(fd);
    if (err == EWOULDBLOCK) {
      lock.state_ = State::Busy;
    } else {
      lock.state_ = State::Failed;
      lock.error_ = "cannot lock " + file.string() + ": " + std::strerror(err);
    }
    return lock;
  }
  lock.fd_ = fd;
  lock.state_ = State::Held;
  return lock;
}

void FolderLock::Release() {
  if (fd_ >= 0) {
    ::close(fd_);  // closing the last descriptor releases the flock
    fd_ = -1;
  }
  state_ = State::Unlocked;
}

#endif

}  // namespace kv
