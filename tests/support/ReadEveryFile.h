#pragma once
// The floor most benchmarks measure against: every file read whole, nothing checked, decoded or
// written.
#include <cstddef>
#include <string>
#include <vector>

#include "app/Files.h"

namespace kv::test {

// Reads each file whole; the bytes read in all.
inline size_t ReadEveryFile(const std::vector<fs::path>& files) {
  size_t total = 0;
  std::string bytes;
  for (const fs::path& p : files)
    if (ReadFile(p, bytes)) total += bytes.size();
  return total;
}

}  // namespace kv::test
