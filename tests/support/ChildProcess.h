#pragma once
// Runs a program as a child process for the benchmarks that time or weigh a whole process
// (POSIX only; the benchmarks are built on Linux).
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace kv::test {

struct ChildOutcome {
  int exitStatus = -1;     // -1 when it could not start or did not exit normally
  long peakKiB = 0;        // the child's peak resident memory
};

// Runs argv[0] with argv, its output thrown away, and waits for it.
inline ChildOutcome RunChild(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ChildOutcome out;
  if (spawned != 0) return out;
  int status = 0;
  rusage usage{};
  if (wait4(pid, &status, 0, &usage) != pid) return out;
  out.peakKiB = usage.ru_maxrss;
  if (WIFEXITED(status)) out.exitStatus = WEXITSTATUS(status);
  return out;
}

}  // namespace kv::test
