// Past-run and prediction files of one horse as found on disk: the input is the ".kak" file and
// the ".yos" file, as two parts. Both are read, a line merged in and written back, as the build
// and the all-race run do; a damaged file must be refused and left as it was.
#include "FuzzSupport.h"
#include "app/Files.h"
#include "compare/PastRunFile.h"
#include "compare/PredictionFile.h"

using namespace kv;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<std::string_view> parts =
      fuzz::SplitParts(std::string_view(reinterpret_cast<const char*>(data), size), 2);
  const fs::path prog = fuzz::FreshProgramFolder();
  const std::string id = "2019104321";
  const fs::path kak = PastRunPath(prog, id), yos = PredictionPath(prog, id);
  fuzz::PutFile(kak, parts[0]);
  fuzz::PutFile(yos, parts[1]);

  const RecordFile runs = ReadPastRunRecords(kak);
  if (runs.ok()) {
    std::vector<std::string> lines;
    for (size_t n = 0; n < runs.size(); ++n) {
      lines.emplace_back(runs.Line(n));
      TimeTenths(Fld(runs.Line(n), kak::kTime, kak::kTimeLen));
      PastRunDate(runs.Line(n));
    }
    const std::string added = lines.empty() ? std::string(kLineLenPastRun, ' ') : lines.front();
    MergePastRunLines(lines, {added});
    FUZZ_CHECK(PastRunFileBytes(lines).size() == lines.size() * kRecLenPastRun);
  }

  const RecordFile before = ReadPredictionRecords(yos);
  const std::string line = "2024042005010211  1  2 33.33 1  100  200 33.33 1  ";
  const FileResult merged = MergePredictionLine(yos, line);
  std::string after;
  ReadFile(yos, after);
  if (!before.ok()) {
    FUZZ_CHECK(!merged.ok);
    FUZZ_CHECK(after == parts[1]);  // a damaged file is left as it was
  } else {
    FUZZ_CHECK(merged.ok);
    FUZZ_CHECK(ReadPredictionRecords(yos).ok());
  }
  return 0;
}
