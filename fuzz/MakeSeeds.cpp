// fuzz_seeds OUT: writes a small simulated world (two race weekends), imports it into a scratch
// program folder as the demo does, analyses one day and opens the candidate sets, then cuts the
// stored files into the small seed inputs of every fuzz target, one folder per target under OUT.
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>

#include "Feed.h"
#include "FuzzSupport.h"
#include "app/ProgramFolders.h"
#include "app/Settings.h"
#include "bets/CandidateSets.h"
#include "compare/PastRunFile.h"
#include "compare/PredictionFile.h"
#include "jvlink/DayFileStore.h"
#include "jvlink/JVData_Structure.h"
#include "jvlink/JVLink.h"
#include "jvlink/RecordFile.h"
#include "model/RaceDayModel.h"
#include "text/Cp932.h"
#include "text/Field.h"
#include "workbench/Demo.h"
#include "workbench/DayLoader.h"
#include "workbench/FeedJVLink.h"

using namespace kv;

namespace {

std::string Slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// The first n records of a fixed-length file.
std::string Head(const fs::path& p, int length, size_t n) {
  const RecordFile f = RecordFile::Read(p, length);
  std::string out;
  for (size_t i = 0; i < f.size() && i < n; ++i) out += f.Record(i);
  return out;
}

class Seeds {
 public:
  explicit Seeds(fs::path out) : out_(std::move(out)) {}
  void Add(const std::string& target, const std::string& bytes) {
    if (bytes.empty()) return;
    const fs::path dir = out_ / target;
    fs::create_directories(dir);
    fuzz::PutFile(dir / ("seed" + std::to_string(count_[target]++)), bytes);
  }

 private:
  fs::path out_;
  std::map<std::string, int> count_;
};

std::string Join(std::initializer_list<std::string> parts) {
  std::string out;
  for (const std::string& p : parts) {
    if (!out.empty() || &p != parts.begin()) out += fuzz::kPartSeparator;
    out += p;
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: fuzz_seeds OUT\n");
    return 2;
  }
  const fs::path out = fs::absolute(argv[1]);
  const fs::path prog = out / "world";
  fs::remove_all(out);
  test::SilentUi ui(false);  // answers No: the targets look at what the core does
  fuzz::FixedClock clock;  // 2024-04-27 08:00, a Saturday
  if (!PrepareDemoFolder(prog, ui)) return 1;
  Settings settings(prog);
  settings.Load();
  std::unique_ptr<JVLink> jv = MakeFeedJVLink(settings, clock);
  jv->JVInit(kJVSoftwareId);
  auto writer = [](const DemoFeedRequest& r, std::string& error) {
    const sim::Date today{r.today.year, r.today.month, r.today.day};
    sim::FeedOptions o;
    o.out = r.feed.string();
    o.seed = 3;
    o.from = today.Plus(-14);
    o.to = today.Plus(-1);
    o.hasOddsFrom = true;
    o.oddsFrom = today.Plus(-7);
    o.recentWeeks = 1;
    sim::FeedStats stats;
    return sim::GenerateFeed(o, stats, error);
  };
  if (SetUpDemo(settings, ui, clock, *jv, writer) != DemoSetUp::Done) {
    std::fprintf(stderr, "fuzz_seeds: the world could not be imported\n");
    return 1;
  }
  const std::vector<std::string> days = ListDays(prog / "DATA");
  if (days.empty()) return 1;
  const std::string& dayName = days.front();
  auto* day = new RaceDayModel();
  LoadAndRunAllRaces(*day, dayName, settings, ui);  // writes the prediction files
  CandidateSettings candidates;
  candidates.Open(prog, settings);  // writes the default sets

  Seeds seeds(out);
  const std::string raceFile = dayName + ".jvRA";
  const fs::path ra = DataFilePath(prog, raceFile);
  const std::string firstRa = Head(ra, kRecLenRA, 1);
  const std::string venue(Fld(firstRa, kHdr_Venue));
  const fs::path se = DataFilePath(prog, EntryFileName(raceFile, venue));
  const fs::path hr = DataFilePath(prog, SiblingFileName(raceFile, "HR"));
  const std::string entries = Slurp(se);
  const std::string horse(Fld(Head(se, kRecLenSE, 1), kSE_HorseId));
  const std::string kak = Head(PastRunPath(prog, horse), kRecLenPastRun, 3);
  const std::string yos = Head(PredictionPath(prog, horse), kRecLenPrediction, 3);
  std::array<std::string, 6> odds;
  static const int kOddsLengths[] = {kRecLenO1, kRecLenO2, kRecLenO3, kRecLenO4, kRecLenO5, kRecLenO6};
  for (int t = 0; t < 6; ++t)
    odds[t] = Head(DataFilePath(prog, SiblingFileName(raceFile, "O" + std::to_string(t + 1))), kOddsLengths[t], 1);

  // Record files: the selector byte, then a few records.
  seeds.Add("record_file", std::string(1, '\0') + Head(ra, kRecLenRA, 2));
  seeds.Add("record_file", std::string(1, '\1') + Head(se, kRecLenSE, 3));
  seeds.Add("record_file", std::string(1, '\2') + Head(hr, kRecLenHR, 2));
  seeds.Add("record_file", std::string(1, '\3') + odds[0]);
  seeds.Add("record_file", std::string(1, '\7') + kak);
  seeds.Add("record_file", std::string(1, '\x08') + yos);

  // The import: a race, its runners and its payout, as JV-Link hands them over.
  seeds.Add("day_store", firstRa + Head(se, kRecLenSE, 4) + Head(hr, kRecLenHR, 1) + odds[0]);
  seeds.Add("day_store", Head(ra, kRecLenRA, 3));

  // Day files as stored, and the past runs of one runner.
  seeds.Add("day_files", Join({Head(ra, kRecLenRA, 2), entries, Head(hr, kRecLenHR, 2), odds[0], kak}));

  seeds.Add("past_run", Join({kak, yos}));
  seeds.Add("past_run", Join({Head(PastRunPath(prog, horse), kRecLenPastRun, 1), ""}));

  // Settings in the encodings a user's editor may save.
  const std::string ini = Slurp(prog / kSettingsFileName);
  seeds.Add("settings", ini);
  seeds.Add("settings", "\xEF\xBB\xBF" + ini);
  std::string utf16 = "\xFF\xFE";
  for (char c : ini) utf16 += std::string{c, '\0'};
  seeds.Add("settings", utf16);
  seeds.Add("settings", "[KaimeSet]\r\nDefaultAmount=5000\r\n[JvDataGet]\r\nLastTime=2024/04/20 17:00:00\r\n");

  seeds.Add("candidate_sets", Slurp(prog / kCandidateSetFileName));

  // Payouts (odd selector) and odds (even selector: 16 runners).
  seeds.Add("payout_odds", std::string(1, '\1') + Head(hr, kRecLenHR, 1));
  seeds.Add("payout_odds", std::string(1, '\1'));  // no payout record yet (a race without results)
  seeds.Add("payout_odds", std::string(1, '\x20') + Join({odds[0], odds[1], odds[2], odds[3], "", ""}));
  seeds.Add("payout_odds", std::string(1, '\x20') + Join({odds[0], odds[1], odds[2], odds[3], odds[4], odds[5]}));

  seeds.Add("cp932", std::string(Fld(Head(se, kRecLenSE, 1), kSE_HorseName)));
  seeds.Add("cp932", dayName + raceFile);
  seeds.Add("cp932", ini);

  delete day;
  fs::remove_all(prog);
  std::printf("fuzz_seeds: seeds of %s written to %s\n", ToUtf8(dayName).c_str(), out.string().c_str());
  return 0;
}
