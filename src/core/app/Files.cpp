#include "app/Files.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <sys/stat.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <exception>
#include <fstream>
#include <system_error>
#include <thread>
#include <unordered_set>

#include "text/Cp932.h"

namespace kv {

fs::path PathFromUtf8(std::string_view utf8) { return fs::path(std::u8string(utf8.begin(), utf8.end())); }

std::string PathToUtf8(const fs::path& path) {
  const std::u8string u8 = path.u8string();
  return std::string(u8.begin(), u8.end());
}

fs::path PathFromCp932(std::string_view cp932) { return PathFromUtf8(ToUtf8(cp932)); }

std::string PathToCp932(const fs::path& path) { return ToCp932(PathToUtf8(path)); }

namespace {

// The operating system's calls for whole-file writes, one branch per system. A descriptor is
// the C library's (open / _wopen), so both branches share the write loop and the error texts.
#ifdef _WIN32

// Windows flushes each file (there is no call that syncs a whole file system without
// administrator rights); the replacement itself is written through.
constexpr bool kFlushEachFile = true;

int OpenForWrite(const fs::path& p, bool append) {
  const int mode = _O_WRONLY | _O_CREAT | _O_BINARY | _O_NOINHERIT | (append ? _O_APPEND : _O_TRUNC);
  return ::_wopen(p.c_str(), mode, _S_IREAD | _S_IWRITE);
}
int WriteSome(int fd, const char* p, size_t n) {
  return ::_write(fd, p, static_cast<unsigned>(std::min<size_t>(n, 1u << 30)));
}
int OpenForRead(const fs::path& p) { return ::_wopen(p.c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT); }
int ReadSome(int fd, char* p, size_t n) { return ::_read(fd, p, static_cast<unsigned>(std::min<size_t>(n, 1u << 30))); }
// The size of an open file; -1 for a folder (errno EISDIR) or when it cannot be told.
long long OpenFileSize(int fd) {
  struct _stat64 st {};
  if (::_fstat64(fd, &st) != 0) return -1;
  if (st.st_mode & _S_IFDIR) {
    errno = EISDIR;
    return -1;
  }
  return static_cast<long long>(st.st_size);
}
bool FlushFile(int fd) { return ::_commit(fd) == 0; }
bool CloseFile(int fd) { return ::_close(fd) == 0; }
void RemoveFile(const fs::path& p) { ::_wunlink(p.c_str()); }
bool ReplaceFile(const fs::path& from, const fs::path& to) {
  if (::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
  errno = ::GetLastError() == ERROR_ACCESS_DENIED ? EACCES : EIO;
  return false;
}
void SyncFolder(const fs::path&) {}  // MOVEFILE_WRITE_THROUGH returns once the move is on disk
bool SyncFileSystems(const std::vector<fs::path>&) { return true; }  // each file was flushed
long ProcessId() { return static_cast<long>(::GetCurrentProcessId()); }
bool ProcessRunning(long pid) {
  if (pid <= 0) return false;
  if (pid == ProcessId()) return true;
  HANDLE h = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(pid));
  if (!h) return ::GetLastError() == ERROR_ACCESS_DENIED;
  DWORD code = 0;
  const bool running = ::GetExitCodeProcess(h, &code) && code == STILL_ACTIVE;
  ::CloseHandle(h);
  return running;
}

#else

// One sync of the file system for a whole batch instead of one per file.
constexpr bool kFlushEachFile = false;

int OpenForWrite(const fs::path& p, bool append) {
  return ::open(p.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | (append ? O_APPEND : O_TRUNC), 0644);
}
int WriteSome(int fd, const char* p, size_t n) { return static_cast<int>(::write(fd, p, std::min<size_t>(n, 1u << 30))); }
int OpenForRead(const fs::path& p) { return ::open(p.c_str(), O_RDONLY | O_CLOEXEC); }
int ReadSome(int fd, char* p, size_t n) { return static_cast<int>(::read(fd, p, std::min<size_t>(n, 1u << 30))); }
// The size of an open file; -1 for a folder (errno EISDIR) or when it cannot be told.
long long OpenFileSize(int fd) {
  struct stat st {};
  if (::fstat(fd, &st) != 0) return -1;
  if (S_ISDIR(st.st_mode)) {
    errno = EISDIR;
    return -1;
  }
  return static_cast<long long>(st.st_size);
}
bool FlushFile(int fd) { return ::fsync(fd) == 0; }
bool CloseFile(int fd) { return ::close(fd) == 0; }
void RemoveFile(const fs::path& p) { ::unlink(p.c_str()); }
bool ReplaceFile(const fs::path& from, const fs::path& to) { return ::rename(from.c_str(), to.c_str()) == 0; }
void SyncFolder(const fs::path& dir) {
  int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd >= 0) {
    ::fsync(dfd);
    ::close(dfd);
  }
}
// Syncs every file system that holds one of the folders (once per device). False when a sync
// failed.
bool SyncFileSystems(const std::vector<fs::path>& writtenFolders) {
  // A batch writes many files into few folders: each folder is looked at once.
  std::vector<fs::path> folders = writtenFolders;
  // Ordered by their text: comparing paths part by part is slow for thousands of them.
  std::sort(folders.begin(), folders.end(), [](const fs::path& a, const fs::path& b) { return a.native() < b.native(); });
  folders.erase(std::unique(folders.begin(), folders.end(),
                            [](const fs::path& a, const fs::path& b) { return a.native() == b.native(); }),
                folders.end());
  std::vector<dev_t> done;
  bool ok = true;
  for (const fs::path& folder : folders) {
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0) continue;
    if (std::find(done.begin(), done.end(), st.st_dev) != done.end()) continue;
    done.push_back(st.st_dev);
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) continue;
    if (::syncfs(fd) != 0) ok = false;
    ::close(fd);
  }
  return ok;
}
long ProcessId() { return static_cast<long>(::getpid()); }
bool ProcessRunning(long pid) {
  if (pid <= 0) return false;
  if (pid == ProcessId()) return true;
  return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

#endif

std::string Why(const fs::path& p, const char* what) {
  return std::string(what) + " " + PathToUtf8(p) + ": " + std::strerror(errno);
}

bool WriteAll(int fd, std::string_view bytes) {
  const char* p = bytes.data();
  size_t left = bytes.size();
  while (left > 0) {
    const int n = WriteSome(fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += n;
    left -= static_cast<size_t>(n);
  }
  return true;
}

// A fresh hidden name beside path: ".<name><kind><process id>_<counter>", the shape
// RemoveStaleTempFiles recognises.
fs::path TempName(const fs::path& path, const char* kind) {
  static std::atomic<unsigned> counter{0};
  fs::path dir = path.parent_path();
  if (dir.empty()) dir = ".";
  return dir / PathFromUtf8("." + PathToUtf8(path.filename()) + kind + std::to_string(ProcessId()) + "_" +
                            std::to_string(counter++));
}

// Puts the finished temporary file in path's place and flushes the folder; on failure the
// temporary file is removed and path is left as it was.
FileResult RenameIntoPlace(const fs::path& tmp, const fs::path& path) {
  if (!ReplaceFile(tmp, path)) {
    FileResult r = FileResult::Fail(Why(path, "cannot replace"));
    RemoveFile(tmp);
    return r;
  }
  fs::path dir = path.parent_path();
  SyncFolder(dir.empty() ? fs::path(".") : dir);
  return {};
}

}  // namespace

fs::path TempFileBeside(const fs::path& path) { return TempName(path, ".tmp"); }

FileResult ReplaceFileAtomic(const fs::path& temp, const fs::path& target) {
  const int fd = OpenForWrite(temp, true);
  const bool flushed = fd >= 0 && FlushFile(fd);
  if (fd < 0 || !CloseFile(fd) || !flushed) {
    FileResult r = FileResult::Fail(Why(target, "cannot write"));
    RemoveFile(temp);
    return r;
  }
  return RenameIntoPlace(temp, target);
}

FileResult WriteFileAtomic(const fs::path& path, std::string_view bytes) {
  const fs::path tmp = TempFileBeside(path);
  int fd = OpenForWrite(tmp, false);
  if (fd < 0) return FileResult::Fail(Why(tmp, "cannot create"));
  if (!WriteAll(fd, bytes) || !FlushFile(fd)) {
    FileResult r = FileResult::Fail(Why(path, "cannot write"));
    CloseFile(fd);
    RemoveFile(tmp);
    return r;
  }
  if (!CloseFile(fd)) {
    FileResult r = FileResult::Fail(Why(path, "cannot write"));
    RemoveFile(tmp);
    return r;
  }
  return RenameIntoPlace(tmp, path);
}

namespace {

fs::path TempPathFor(const fs::path& path) { return TempName(path, ".btmp"); }

}  // namespace

namespace {

// Runs work(first, last) over [0, count): for a large count on two threads, the second taking
// the upper half (a batch of thousands of small files waits mostly on the system's calls, which
// the other core can make meanwhile); else, or where no thread can be started, on the caller's.
template <class Work>
void OverHalves(size_t count, Work&& work) {
  constexpr size_t kSplitFrom = 256;
  const size_t half = count / 2;
  std::thread second;
  std::exception_ptr failure;
  if (count >= kSplitFrom) {
    try {
      second = std::thread([&] {
        try {
          work(half, count);
        } catch (...) {
          failure = std::current_exception();
        }
      });
    } catch (const std::system_error&) {
    }
  }
  if (!second.joinable()) {
    work(size_t{0}, count);
    return;
  }
  try {
    work(size_t{0}, half);
  } catch (...) {
    second.join();
    throw;
  }
  second.join();
  if (failure) std::rethrow_exception(failure);
}

}  // namespace

std::vector<FileResult> WriteFilesAtomic(const std::vector<FileWrite>& writes) {
  std::vector<FileResult> results(writes.size());
  std::vector<fs::path> temps(writes.size());
  OverHalves(writes.size(), [&](size_t first, size_t last) {
    for (size_t i = first; i < last; ++i) {
      const fs::path& path = writes[i].path;
      const fs::path tmp = TempPathFor(path);
      int fd = OpenForWrite(tmp, false);
      if (fd < 0) {
        results[i] = FileResult::Fail(Why(tmp, "cannot create"));
        continue;
      }
      const bool written = WriteAll(fd, writes[i].bytes) && (!kFlushEachFile || FlushFile(fd));
      if (!CloseFile(fd) || !written) {
        results[i] = FileResult::Fail(Why(path, "cannot write"));
        RemoveFile(tmp);
        continue;
      }
      temps[i] = tmp;
    }
  });
  // Each folder written into once (a batch writes thousands of files into a few folders).
  std::vector<fs::path> folders;
  std::unordered_set<fs::path::string_type> seen;
  for (size_t i = 0; i < writes.size(); ++i) {
    if (temps[i].empty()) continue;
    fs::path dir = writes[i].path.parent_path();
    if (dir.empty()) dir = ".";
    if (seen.insert(dir.native()).second) folders.push_back(std::move(dir));
  }
  // The new contents are on disk before any old file is replaced.
  if (!SyncFileSystems(folders)) {
    for (size_t i = 0; i < writes.size(); ++i)
      if (!temps[i].empty()) {
        results[i] = FileResult::Fail(Why(writes[i].path, "cannot write"));
        RemoveFile(temps[i]);
        temps[i].clear();
      }
    return results;
  }
  OverHalves(writes.size(), [&](size_t first, size_t last) {
    for (size_t i = first; i < last; ++i) {
      if (temps[i].empty()) continue;
      if (!ReplaceFile(temps[i], writes[i].path)) {
        results[i] = FileResult::Fail(Why(writes[i].path, "cannot replace"));
        RemoveFile(temps[i]);
      }
    }
  });
  SyncFileSystems(folders);  // the renames
  return results;
}

FileResult ReadFile(const fs::path& path, std::string& out) {
  // One open, one size query and the reads: no look-up of the path before it (a run reads
  // hundreds of files, and each look-up walks the path again).
  out.clear();
  const int fd = OpenForRead(path);
  if (fd < 0) {
    const int why = errno;  // kept for the caller, who may tell a missing file by it
    FileResult r = FileResult::Fail(Why(path, "cannot open"));
    errno = why;
    return r;
  }
  const long long size = OpenFileSize(fd);
  FileResult r;
  if (size < 0) {
    r = FileResult::Fail(Why(path, "cannot read"));
  } else {
    out.resize(static_cast<size_t>(size));
    size_t got = 0;
    while (got < out.size()) {
      const int n = ReadSome(fd, out.data() + got, out.size() - got);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) {
        r = FileResult::Fail(Why(path, "cannot read"));
        break;
      }
      if (n == 0) break;  // the file got shorter since its size was taken
      got += static_cast<size_t>(n);
    }
    out.resize(r ? got : 0);
  }
  const int saved = errno;
  CloseFile(fd);
  errno = saved;
  return r;
}

FileResult AppendFile(const fs::path& path, std::string_view bytes) {
  int fd = OpenForWrite(path, true);
  if (fd < 0) return FileResult::Fail(Why(path, "cannot open"));
  bool ok = WriteAll(fd, bytes);
  FileResult r = ok ? FileResult{} : FileResult::Fail(Why(path, "cannot write"));
  CloseFile(fd);
  return r;
}

namespace {

// The process id in the name of one of our temporary files (".<name>.tmp<pid>_<n>" or
// ".<name>.btmp<pid>_<n>"), or -1 when the name is not one.
long TempFileOwner(const std::string& name) {
  if (name.empty() || name[0] != '.') return -1;
  const size_t us = name.rfind('_');
  if (us == std::string::npos || us + 1 >= name.size()) return -1;
  for (size_t i = us + 1; i < name.size(); ++i)
    if (name[i] < '0' || name[i] > '9') return -1;
  size_t start = us;
  while (start > 0 && name[start - 1] >= '0' && name[start - 1] <= '9') --start;
  if (start == us) return -1;
  const std::string_view before = std::string_view(name).substr(0, start);
  if (!before.ends_with(".tmp") && !before.ends_with(".btmp")) return -1;
  return std::stol(name.substr(start, us - start));
}

}  // namespace

int RemoveStaleTempFiles(const fs::path& dir, bool recursive) {
  int removed = 0;
  std::error_code ec;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    const fs::path& p = it->path();
    std::error_code tec;
    if (it->is_directory(tec)) {
      if (recursive && !it->is_symlink(tec)) removed += RemoveStaleTempFiles(p, true);
      continue;
    }
    const long owner = TempFileOwner(PathToUtf8(p.filename()));
    if (owner < 0 || ProcessRunning(owner)) continue;
    if (fs::remove(p, tec)) ++removed;
  }
  return removed;
}

void IgnoreFileSizeSignal() {
#ifdef SIGXFSZ
  std::signal(SIGXFSZ, SIG_IGN);
#endif
}

fs::path ResolveNoCase(const fs::path& dir, const std::string& name) {
  std::error_code ec;
  auto lower = [](std::string s) {
    for (char& c : s) if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
  };
  const std::string want = lower(name);
  const fs::path direct = dir / PathFromUtf8(name);
  if (fs::exists(direct, ec)) return direct;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec))
    if (lower(PathToUtf8(it->path().filename())) == want) return it->path();
  return direct;
}

#ifdef _WIN32

FileStamp StampOf(const fs::path& path) {
  FileStamp s;
  // The file's own handle gives its identity (volume and file index, what a POSIX stat calls
  // device and inode) beside size and time: a file replaced within the timer's resolution, with
  // the same size, is still told apart.
  HANDLE h = ::CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return s;
  BY_HANDLE_FILE_INFORMATION info{};
  const bool ok = ::GetFileInformationByHandle(h, &info);
  ::CloseHandle(h);
  if (!ok) return s;
  s.exists = true;
  s.dev = info.dwVolumeSerialNumber;
  s.ino = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  s.size = (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
  // 100-nanosecond intervals since 1601; only compared, never shown.
  const std::uint64_t t = (static_cast<std::uint64_t>(info.ftLastWriteTime.dwHighDateTime) << 32) |
                          info.ftLastWriteTime.dwLowDateTime;
  s.mtimeNs = static_cast<std::int64_t>(t) * 100;
  return s;
}

fs::path ExecutableFile() {
  std::wstring buf(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = ::GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
    if (n == 0) return {};
    if (n < buf.size()) return fs::path(buf.substr(0, n));
    buf.resize(buf.size() * 2);
  }
}

#else

FileStamp StampOf(const fs::path& path) {
  FileStamp s;
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return s;
  s.exists = true;
  s.dev = static_cast<std::uint64_t>(st.st_dev);
  s.ino = static_cast<std::uint64_t>(st.st_ino);
  s.size = static_cast<std::uint64_t>(st.st_size);
  s.mtimeNs = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  return s;
}

fs::path ExecutableFile() {
  std::error_code ec;
  fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  return ec ? fs::path() : exe;
}

#endif

}  // namespace kv
