// Fixed-length record files (day files, past-run and prediction files): the first byte picks the
// record length, the rest is the file. Every record handed out must lie inside the file and end
// in CR LF.
#include "FuzzSupport.h"
#include "jvlink/JVData_Structure.h"
#include "jvlink/RecordFile.h"

using namespace kv;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const int kLengths[] = {kRecLenRA, kRecLenSE, kRecLenHR, kRecLenO1, kRecLenO2, kRecLenO3,
                                 kRecLenTC, kRecLenPastRun, kRecLenPrediction};
  if (size < 1) return 0;
  const int length = kLengths[data[0] % std::size(kLengths)];
  const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  const fs::path file = fuzz::ScratchFolder() / "record.dat";
  fuzz::PutFile(file, bytes);
  const RecordFile f = RecordFile::Read(file, length);
  FUZZ_CHECK(f.ok() || !f.error().empty());
  for (size_t n = 0; n < f.size(); ++n) {
    const std::string_view r = f.Record(n);
    FUZZ_CHECK(static_cast<int>(r.size()) == length && r.substr(r.size() - 2) == "\r\n");
    FUZZ_CHECK(static_cast<int>(f.Line(n).size()) == length - 2);
  }
  return 0;
}
