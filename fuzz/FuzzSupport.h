#pragma once
// What every fuzz target shares: a scratch program folder per process, the silent UiPort and a way
// to cut one input into several files.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "SilentUi.h"
#include "app/Ports.h"

namespace kv::fuzz {

namespace fs = std::filesystem;

// A program folder of its own for this process, emptied for every input.
inline const fs::path& ScratchFolder() {
  static const fs::path dir = [] {
    // Memory-backed when the machine has it: the readers' writes sync every file.
    std::error_code ec;
    const fs::path base = fs::is_directory("/dev/shm", ec) ? fs::path("/dev/shm") : fs::temp_directory_path();
    fs::path d = base / ("korvane_fuzz_" + std::to_string(::getpid()));
    fs::remove_all(d);
    fs::create_directories(d);
    return d;
  }();
  return dir;
}

inline fs::path FreshProgramFolder() {
  const fs::path& d = ScratchFolder();
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(d, ec)) fs::remove_all(e.path(), ec);
  fs::create_directories(d / "DATA", ec);
  fs::create_directories(d / "SEI", ec);
  fs::create_directories(d / "CSV", ec);
  fs::create_directories(d / "CHG", ec);
  return d;
}

inline void PutFile(const fs::path& path, std::string_view bytes) {
  std::error_code ec;
  fs::create_directories(path.parent_path(), ec);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// The parts of an input separated by kPartSeparator (a byte sequence no record holds), at most
// `count` of them (the last part takes the rest). Missing parts are empty.
inline constexpr std::string_view kPartSeparator = "\n##PART##\n";
inline std::vector<std::string_view> SplitParts(std::string_view data, size_t count) {
  std::vector<std::string_view> parts;
  while (parts.size() + 1 < count) {
    const size_t at = data.find(kPartSeparator);
    if (at == std::string_view::npos) break;
    parts.push_back(data.substr(0, at));
    data.remove_prefix(at + kPartSeparator.size());
  }
  parts.push_back(data);
  parts.resize(count);
  return parts;
}

class FixedClock : public Clock {
 public:
  DateTime Now() const override { return DateTime{2024, 4, 27, 8, 0, 0, 0}; }
};

// Stops the run with a crash the fuzzer reports, when a property of the output does not hold.
#define FUZZ_CHECK(cond) \
  do {                   \
    if (!(cond)) __builtin_trap(); \
  } while (0)

}  // namespace kv::fuzz
