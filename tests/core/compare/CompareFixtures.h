#pragma once
// Small byte-exact fixtures for the past-run and comparison tests: RA/SE records with chosen
// fields stored through the day-file store, and past-run lines written straight into a horse's
// file.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "compare/PastRunFile.h"
#include "compare/TwoHorseComparison.h"
#include "jvlink/DayFileStore.h"
#include "jvlink/JVData_Structure.h"
#include "text/Cp932.h"
#include "text/Field.h"
#include "text/Format.h"

namespace kv::test {

// The 18-byte normalised CP932 form of a UTF-8 name.
inline std::string N(const std::string& utf8) { return NormalizeHorseName(J(utf8)); }

// The 36-byte SE name field of a UTF-8 name (padded with full-width spaces).
inline std::string SeName(const std::string& utf8) {
  std::string n = J(utf8);
  while (n.size() < 36) n += J("　");
  return n.substr(0, 36);
}

struct RaceFields {
  std::string date = "20110430";
  std::string venue = "05";
  int meeting = 2, day = 3, raceNo = 1;
  int registered = 0;  // 0: the number of runners given
  char kind = '7';
};

struct RunnerFields {
  int horseNo = 1;
  std::string id;        // ten digits (or not, to test the check)
  std::string name;      // UTF-8
  std::string finish = "01";
  std::string time = "1345";
  std::string weight = "550";
  char kind = '7';
};

inline std::string MakeRA(const RaceFields& r, int registered) {
  std::string ra(kLineLenRA, ' ');
  PutFld(ra, kHdr_RecordType, "RA");
  ra[2] = r.kind;
  PutFld(ra, kHdr_MakeDate, "00000000");
  PutFld(ra, kHdr_Date, r.date);
  PutFld(ra, kHdr_Venue, r.venue);
  PutFld(ra, kHdr_Meeting, Fmt("%02d", r.meeting));
  PutFld(ra, kHdr_MeetingDay, Fmt("%02d", r.day));
  PutFld(ra, kHdr_RaceNum, Fmt("%02d", r.raceNo));
  PutFld(ra, kRA_RaceNameShort3, J("テスト"));
  PutFld(ra, kRA_Distance, "1800");
  PutFld(ra, kRA_Track, "23");
  PutFld(ra, kRA_Entered, Fmt("%02d", registered));
  PutFld(ra, kRA_Starters, Fmt("%02d", registered));
  PutFld(ra, kRA_Finishers, Fmt("%02d", registered));
  return ra;
}

inline std::string MakeSE(const RaceFields& r, const RunnerFields& h) {
  std::string se(kLineLenSE, ' ');
  PutFld(se, kHdr_RecordType, "SE");
  se[2] = h.kind;
  PutFld(se, kHdr_MakeDate, "20110501");
  PutFld(se, kHdr_Date, r.date);
  PutFld(se, kHdr_Venue, r.venue);
  PutFld(se, kHdr_Meeting, Fmt("%02d", r.meeting));
  PutFld(se, kHdr_MeetingDay, Fmt("%02d", r.day));
  PutFld(se, kHdr_RaceNum, Fmt("%02d", r.raceNo));
  PutFld(se, kSE_Frame, Fmt("%d", (h.horseNo + 1) / 2));
  PutFld(se, kSE_HorseNum, Fmt("%02d", h.horseNo));
  se.replace(30, 10, std::string(h.id + "          ").substr(0, 10));
  se.replace(40, 36, SeName(h.name));
  PutFld(se, kSE_Weight, h.weight);
  PutFld(se, kSE_Finish, h.finish);
  PutFld(se, kSE_Arrival, h.finish);
  PutFld(se, kSE_Time, h.time);
  return se;
}

struct RaceFixture {
  RaceFields race;
  std::vector<RunnerFields> runners;
};

// Stores the races through the day-file store as the accumulated import would; returns the
// CP932 race-file names of the days touched (sorted, once each).
inline std::vector<std::string> StoreRaces(const fs::path& prog, const std::vector<RaceFixture>& races) {
  DayFileStore store(prog);
  std::vector<std::string> days;
  for (const RaceFixture& f : races) {
    const int registered = f.race.registered ? f.race.registered : static_cast<int>(f.runners.size());
    const std::string ra = MakeRA(f.race, registered);
    EXPECT_TRUE(store.Store(StoreWriter::Import, ra).stored());
    days.push_back(DayFileName(ra));
    for (const RunnerFields& h : f.runners) EXPECT_TRUE(store.Store(StoreWriter::Import, MakeSE(f.race, h)).stored());
  }
  EXPECT_TRUE(store.Flush().ok());
  std::sort(days.begin(), days.end());
  days.erase(std::unique(days.begin(), days.end()), days.end());
  return days;
}

// ---- past-run lines written directly (comparison fixtures) ------------------------------------

struct FieldRunner {
  std::string name;  // UTF-8
  std::string time = "1345";
  std::string weight = "550";
  std::string id = "2000000000";
};

// A past-run line of the horse `self` (which must be one of field) in a race on date.
inline std::string PastLine(int date, int raceNo, const FieldRunner& self, const std::string& finish,
                            const std::vector<FieldRunner>& field) {
  std::string line(kLineLenPastRun, ' ');
  PutFld(line, 1, 8, Fmt("%08d", date));
  PutFld(line, 9, 8, Fmt("05020%1d%02d", raceNo % 10, raceNo));
  PutFld(line, kak::kRunners, 2, Fmt("%02d", static_cast<int>(field.size())));
  PutFld(line, kak::kHorseId, 10, self.id);
  line.replace(kak::kName - 1, 18, N(self.name));
  PutFld(line, kak::kWeight, 3, self.weight);
  PutFld(line, kak::kTime, 4, self.time);
  PutFld(line, kak::kFinal, 2, finish);
  for (size_t e = 0; e < field.size(); ++e) {
    const int at = kak::kFieldList + static_cast<int>(e) * kak::kEntryLen;
    line.replace(static_cast<size_t>(at - 1), 18, N(field[e].name));
    PutFld(line, at + 18, 10, field[e].id);
    PutFld(line, at + 28, 4, field[e].time);
    PutFld(line, at + 32, 3, field[e].weight);
  }
  return line;
}

inline void WritePastRuns(const fs::path& prog, const std::string& id, std::vector<std::string> lines) {
  std::sort(lines.begin(), lines.end());
  ASSERT_TRUE(WritePastRunFile(PastRunPath(prog, id), lines));
}

}  // namespace kv::test
