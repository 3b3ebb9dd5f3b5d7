#pragma once
// Running the programs of the build from a test and reading what they wrote: whole files, file
// trees, lines, tab- or comma-separated fields.
#ifndef _WIN32
#include <sys/wait.h>
#endif

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace kv::test {

inline std::string ReadAll(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// Every file below a folder: path relative to root -> bytes.
inline std::map<std::string, std::string> FileTree(const std::filesystem::path& root) {
  std::map<std::string, std::string> out;
  for (const auto& e : std::filesystem::recursive_directory_iterator(root))
    if (e.is_regular_file()) out[std::filesystem::relative(e.path(), root).string()] = ReadAll(e.path());
  return out;
}

// The lines of a text, without their CR LF or LF.
inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    out.push_back(line);
  }
  return out;
}

inline std::vector<std::string> SplitOn(const std::string& s, char sep) {
  std::vector<std::string> out;
  size_t start = 0;
  for (size_t p; (p = s.find(sep, start)) != std::string::npos; start = p + 1) out.push_back(s.substr(start, p - start));
  out.push_back(s.substr(start));
  return out;
}

inline std::string Quote(const std::filesystem::path& p) { return "'" + p.string() + "'"; }

// Runs a shell command with its output in files; the exit code (-1 when it did not exit).
inline int RunProgram(const std::string& command, const std::filesystem::path& out, const std::filesystem::path& err) {
  const int rc = std::system((command + " >" + Quote(out) + " 2>" + Quote(err)).c_str());
#ifdef _WIN32
  return rc;
#else
  return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
#endif
}

}  // namespace kv::test
