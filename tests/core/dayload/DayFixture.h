#pragma once
// A program folder with the day files, past-run files and prediction files of one race day,
// written byte for byte as the store and the builders lay them out.
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "JVRecordBuilder.h"
#include "TempDir.h"
#include "app/Files.h"
#include "compare/PastRunFile.h"
#include "compare/PredictionFile.h"
#include "jvlink/DayFileStore.h"
#include "jvlink/JVData_Structure.h"
#include "text/Field.h"
#include "text/Format.h"

namespace kv::test {

// RA of race `race` at venue on date (yyyymmdd) with `entered` runners.
inline std::string Ra(std::string_view date, std::string_view venue, int race, int entered,
                      std::string_view post = "1525") {
  std::string rec = MakeRecord("RA", {{kHdr_Date, date},
                                      {kHdr_Venue, venue},
                                      {kHdr_Meeting, "01"},
                                      {kHdr_MeetingDay, "03"},
                                      {kRA_PostTime, post},
                                      {kRA_Track, "17"},
                                      {kRA_Distance, "1600"}});
  PutFld(rec, kHdr_RaceNum, Fmt("%02d", race));
  PutFld(rec, kRA_Entered, Fmt("%02d", entered));
  return rec;
}

inline std::string HorseIdOf(int race, int horse) { return Fmt("2008%02d%04d", race, horse); }

// SE of horse `horse` in that race; the horse ID is 2008 followed by race and horse number.
inline std::string Se(std::string_view date, std::string_view venue, int race, int horse, int frame = 1) {
  std::string rec = MakeRecord("SE", {{kHdr_Date, date}, {kHdr_Venue, venue}});
  PutFld(rec, kHdr_RaceNum, Fmt("%02d", race));
  PutFld(rec, kSE_HorseNum, Fmt("%02d", horse));
  PutFld(rec, kSE_Frame, Fmt("%d", frame));
  PutFld(rec, kSE_HorseId, HorseIdOf(race, horse));
  PutFld(rec, kSE_HorseName, "HORSE" + std::to_string(horse));
  return rec;
}

// A past-run line (with CR LF) dated yyyymmdd at venue with the fields the loader reads.
struct Run {
  std::string date = "20110101";
  std::string venue = "05";
  int place = 1;
  std::string track = "17";
  std::string turfGoing = "1", dirtGoing = " ";
  int distance = 1600;
  int prize = 0, added = 0;
};
inline std::string PastRunRecord(const Run& r) {
  std::string line(kLineLenPastRun, ' ');
  PutFld(line, 1, 8, r.date);
  PutFld(line, 9, 2, r.venue);
  PutFld(line, 41, 4, Fmt("%4d", r.distance));
  PutFld(line, 45, 2, r.track);
  PutFld(line, 53, 1, r.turfGoing);
  PutFld(line, 54, 1, r.dirtGoing);
  PutFld(line, 139, 2, Fmt("%2d", r.place));
  PutFld(line, 147, 8, Fmt("%8d", r.prize));
  PutFld(line, 155, 8, Fmt("%8d", r.added));
  return line + "\r\n";
}

// A prediction line (with CR LF) for date and venue with the point-win-rate rank.
inline std::string PredictionRecord(std::string_view date, std::string_view venue, int rank) {
  std::string line(kLineLenPrediction, ' ');
  PutFld(line, 1, 8, date);
  PutFld(line, 9, 2, venue);
  PutFld(line, 11, 6, "010101");
  if (rank > 0) PutFld(line, yos::kMark, yos::kMarkLen, Fmt("%2d", rank));
  return line + "\r\n";
}

class DayFolder {
 public:
  DayFolder() { fs::create_directories(dir.path() / "DATA"); }

  const fs::path& prog() const { return dir.path(); }

  void WriteRaces(std::string_view dayName, const std::vector<std::string>& ras) {
    std::string bytes;
    for (const auto& r : ras) bytes += r;
    Write(DataFilePath(prog(), std::string(dayName) + ".jvRA"), bytes);
  }
  // The entry file of the venue: a 216-line grid with the given records in their slots.
  void WriteEntries(std::string_view dayName, std::string_view venue, const std::vector<std::string>& ses) {
    std::vector<std::string> grid(216, std::string(kLineLenSE, ' ') + "\r\n");
    for (const auto& se : ses)
      grid[static_cast<size_t>((FldInt(se, kHdr_RaceNum) - 1) * 18 + FldInt(se, kSE_HorseNum) - 1)] = se;
    std::string bytes;
    for (const auto& l : grid) bytes += l;
    Write(DataFilePath(prog(), EntryFileName(std::string(dayName) + ".jvRA", venue)), bytes);
  }
  void WritePayouts(std::string_view dayName, const std::vector<std::string>& hrs) {
    std::string bytes;
    for (const auto& r : hrs) bytes += r;
    Write(DataFilePath(prog(), std::string(dayName) + ".jvHR"), bytes);
  }
  void WritePastRuns(std::string_view horseId, const std::vector<std::string>& records) {
    std::string bytes;
    for (const auto& r : records) bytes += r;
    Write(PastRunPath(prog(), horseId), bytes);
  }
  void WritePredictions(std::string_view horseId, const std::vector<std::string>& records) {
    std::string bytes;
    for (const auto& r : records) bytes += r;
    Write(PredictionPath(prog(), horseId), bytes);
  }

  TempDir dir;

 private:
  static void Write(const fs::path& p, const std::string& bytes) {
    fs::create_directories(p.parent_path());
    WriteFileAtomic(p, bytes);
  }
};

}  // namespace kv::test
