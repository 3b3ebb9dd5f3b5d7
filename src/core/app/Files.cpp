#include "app/Files.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fstream>

namespace kv {
namespace {

std::string Why(const fs::path& p, const char* what) {
  return std::string(what) + " " + p.string() + ": " + std::strerror(errno);
}

bool WriteAll(int fd, std::string_view bytes) {
  const char* p = bytes.data();
  size_t left = bytes.size();
  while (left > 0) {
    ssize_t n = ::write(fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += n;
    left -= static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

FileResult WriteFileAtomic(const fs::path& path, std::string_view bytes) {
  static std::atomic<unsigned> counter{0};
  fs::path dir = path.parent_path();
  if (dir.empty()) dir = ".";
  fs::path tmp = dir / ("." + path.filename().string() + ".tmp" + std::to_string(::getpid()) + "_" +
                        std::to_string(counter++));
  int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return FileResult::Fail(Why(tmp, "cannot create"));
  if (!WriteAll(fd, bytes) || ::fsync(fd) != 0) {
    FileResult r = FileResult::Fail(Why(path, "cannot write"));
    ::close(fd);
    ::unlink(tmp.c_str());
    return r;
  }
  if (::close(fd) != 0) {
    FileResult r = FileResult::Fail(Why(path, "cannot write"));
    ::unlink(tmp.c_str());
    return r;
  }
  if (::rename(tmp.c_str(), path.c_str()) != 0) {
    FileResult r = FileResult::Fail(Why(path, "cannot replace"));
    ::unlink(tmp.c_str());
    return r;
  }
  int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd >= 0) {
    ::fsync(dfd);
    ::close(dfd);
  }
  return {};
}

namespace {

fs::path TempPathFor(const fs::path& path) {
  static std::atomic<unsigned> counter{0};
  fs::path dir = path.parent_path();
  if (dir.empty()) dir = ".";
  return dir / ("." + path.filename().string() + ".btmp" + std::to_string(::getpid()) + "_" +
                std::to_string(counter++));
}

// Syncs every file system that holds one of the folders (once per device). False when a sync
// failed.
bool SyncFileSystems(const std::vector<fs::path>& folders) {
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

}  // namespace

std::vector<FileResult> WriteFilesAtomic(const std::vector<FileWrite>& writes) {
  std::vector<FileResult> results(writes.size());
  std::vector<fs::path> temps(writes.size());
  std::vector<fs::path> folders;
  for (size_t i = 0; i < writes.size(); ++i) {
    const fs::path& path = writes[i].path;
    const fs::path tmp = TempPathFor(path);
    int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
      results[i] = FileResult::Fail(Why(tmp, "cannot create"));
      continue;
    }
    const bool written = WriteAll(fd, writes[i].bytes);
    if (::close(fd) != 0 || !written) {
      results[i] = FileResult::Fail(Why(path, "cannot write"));
      ::unlink(tmp.c_str());
      continue;
    }
    temps[i] = tmp;
    fs::path dir = path.parent_path();
    folders.push_back(dir.empty() ? fs::path(".") : dir);
  }
  // The new contents are on disk before any old file is replaced.
  if (!SyncFileSystems(folders)) {
    for (size_t i = 0; i < writes.size(); ++i)
      if (!temps[i].empty()) {
        results[i] = FileResult::Fail(Why(writes[i].path, "cannot write"));
        ::unlink(temps[i].c_str());
        temps[i].clear();
      }
    return results;
  }
  for (size_t i = 0; i < writes.size(); ++i) {
    if (temps[i].empty()) continue;
    if (::rename(temps[i].c_str(), writes[i].path.c_str()) != 0) {
      results[i] = FileResult::Fail(Why(writes[i].path, "cannot replace"));
      ::unlink(temps[i].c_str());
    }
  }
  SyncFileSystems(folders);  // the renames
  return results;
}

FileResult ReadFile(const fs::path& path, std::string& out) {
  out.clear();
  std::error_code ec;
  if (fs::is_directory(path, ec)) {
    errno = EISDIR;  // an ifstream opens a folder and then reports a nonsense size
    return FileResult::Fail(Why(path, "cannot read"));
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) return FileResult::Fail(Why(path, "cannot open"));
  in.seekg(0, std::ios::end);
  std::streamoff size = in.tellg();
  if (size < 0) return FileResult::Fail(Why(path, "cannot read"));
  in.seekg(0, std::ios::beg);
  out.resize(static_cast<size_t>(size));
  if (size > 0 && !in.read(out.data(), size)) return FileResult::Fail(Why(path, "cannot read"));
  return {};
}

FileResult AppendFile(const fs::path& path, std::string_view bytes) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (fd < 0) return FileResult::Fail(Why(path, "cannot open"));
  bool ok = WriteAll(fd, bytes);
  FileResult r = ok ? FileResult{} : FileResult::Fail(Why(path, "cannot write"));
  ::close(fd);
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

bool ProcessRunning(long pid) {
  if (pid <= 0) return false;
  if (pid == static_cast<long>(::getpid())) return true;
  return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
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
    const long owner = TempFileOwner(p.filename().string());
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
  if (fs::exists(dir / name, ec)) return dir / name;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec))
    if (lower(it->path().filename().string()) == want) return it->path();
  return dir / name;
}

}  // namespace kv
