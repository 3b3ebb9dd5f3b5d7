#include "app/ProgramFolders.h"

#include <algorithm>

#include "text/Cp932.h"

namespace kv {
namespace {

bool EndsWithNoCase(std::string_view s, std::string_view suffix) {
  if (s.size() < suffix.size()) return false;
  for (size_t i = 0; i < suffix.size(); ++i) {
    char a = s[s.size() - suffix.size() + i], b = suffix[i];
    if (a >= 'A' && a <= 'Z') a = static_cast<char>(a - 'A' + 'a');
    if (b >= 'A' && b <= 'Z') b = static_cast<char>(b - 'A' + 'a');
    if (a != b) return false;
  }
  return true;
}

}  // namespace

fs::path ExecutableFolder() {
  const fs::path exe = ExecutableFile();
  return exe.empty() ? fs::path() : exe.parent_path();
}

fs::path ChooseProgramFolder(const std::optional<fs::path>& home) {
  std::error_code ec;
  fs::path p = home ? *home : ExecutableFolder();
  if (p.empty()) p = fs::current_path(ec);
  fs::path abs = fs::absolute(p, ec);
  fs::path folder = (ec ? p : abs).lexically_normal();
  if (!folder.has_filename() && folder.has_relative_path()) folder = folder.parent_path();  // "/a/b/" -> "/a/b"
  return folder;
}

ProgramFolders LocateProgramFolders(const fs::path& prog) {
  ProgramFolders f;
  f.prog = prog;
  f.data = ResolveNoCase(prog, "DATA");
  f.sei = ResolveNoCase(prog, "SEI");
  f.csv = ResolveNoCase(prog, "CSV");
  f.chg = ResolveNoCase(prog, "CHG");
  return f;
}

FileResult CreateProgramFolders(const fs::path& prog, ProgramFolders& out) {
  std::error_code ec;
  fs::create_directories(prog, ec);
  if (ec) return FileResult::Fail("cannot create " + prog.string() + ": " + ec.message());
  out = LocateProgramFolders(prog);
  for (const fs::path* p : {&out.data, &out.sei, &out.csv, &out.chg}) {
    if (fs::is_directory(*p, ec)) continue;
    fs::create_directory(*p, ec);
    if (ec || !fs::is_directory(*p)) {
      return FileResult::Fail("cannot create " + p->string() + ": " +
                              (ec ? ec.message() : std::string("a file of that name exists")));
    }
  }
  return {};
}

std::vector<std::string> ListDays(const fs::path& dataFolder) {
  std::vector<std::string> names;
  std::error_code ec;
  for (fs::directory_iterator it(dataFolder, ec), end; !ec && it != end; it.increment(ec)) {
    std::string name = PathToCp932(it->path().filename());
    if (!EndsWithNoCase(name, ".jvRA") || it->is_directory(ec)) continue;
    names.push_back(std::move(name));
  }
  std::sort(names.begin(), names.end());
  std::vector<std::string> days;
  for (auto it = names.rbegin(); it != names.rend(); ++it) {
    std::string day = CutBytes(*it, 14);
    if (days.empty() || days.back() != day) days.push_back(std::move(day));
  }
  return days;
}

}  // namespace kv
