// A simulated race day lived from 08:30 to 17:30 on a fast-forwarded clock: the timers fetch
// every race's odds before its post time, the results and payouts as races finish and the
// start-time changes as they are announced, through the replay JV-Link with two of its
// JVRTOpen answers turned into failures.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>

#include "Feed.h"
#include "RecordingPorts.h"
#include "TempDir.h"
#include "app/ErrorLog.h"
#include "jvlink/DayFileStore.h"
#include "jvlink/JVData_Structure.h"
#include "jvlink/RecordFile.h"
#include "jvlink/ResultMessage.h"
#include "text/Cp932.h"
#include "text/Field.h"
#include "text/Format.h"
#include "workbench/Demo.h"
#include "workbench/FeedJVLink.h"
#include "workbench/LiveDay.h"
#include "workbench/Workbench.h"

using namespace kv;
using namespace kv::test;

namespace {

const DateTime kMorning{2024, 4, 27, 8, 30, 0, 0};  // a Saturday

// A week of history (the race card comes the day before) and the live day.
bool WriteLiveWorld(const DemoFeedRequest& r, std::string& error) {
  const sim::Date today{r.today.year, r.today.month, r.today.day};
  sim::FeedOptions o;
  o.out = r.feed.string();
  o.seed = 7;
  o.from = today.Plus(-7);
  o.to = today.Plus(-1);
  o.hasToday = true;
  o.today = today;
  o.recentWeeks = 1;
  sim::FeedStats stats;
  return sim::GenerateFeed(o, stats, error);
}

// Passes every call on and turns chosen JVRTOpen calls into failures; records each JVRTOpen.
class FailingJVLink : public JVLink {
 public:
  struct Open {
    std::string dataspec, key;
    DateTime at;
    int code;
  };
  FailingJVLink(JVLink& inner, const Clock& clock) : inner_(inner), clock_(clock) {}

  // The n-th (from 1) JVRTOpen of dataspec that would have succeeded answers code instead.
  void FailNth(const std::string& dataspec, int n, int code) { failures_[dataspec] = {n, code}; }
  std::vector<Open> opens;

  bool Available() const override { return inner_.Available(); }
  int JVInit(const std::string& sid) override { return inner_.JVInit(sid); }
  std::string Version() const override { return inner_.Version(); }
  int JVSetUIProperties() override { return inner_.JVSetUIProperties(); }
  JVOpenResult JVOpen(const std::string& d, const std::string& f, int o) override { return inner_.JVOpen(d, f, o); }
  int JVStatus() override { return inner_.JVStatus(); }
  JVReadResult JVRead(int size) override { return inner_.JVRead(size); }
  int JVRTOpen(const std::string& dataspec, const std::string& key) override {
    int code = inner_.JVRTOpen(dataspec, key);
    if (code == 0) {
      auto it = failures_.find(dataspec);
      if (it != failures_.end() && ++succeeded_[dataspec] == it->second.first) {
        inner_.JVClose();  // the failure leaves nothing open
        code = it->second.second;
      }
    }
    opens.push_back({dataspec, key, clock_.Now(), code});
    return code;
  }
  void JVCancel() override { inner_.JVCancel(); }
  int JVClose() override { return inner_.JVClose(); }

 private:
  JVLink& inner_;
  const Clock& clock_;
  std::map<std::string, std::pair<int, int>> failures_;
  std::map<std::string, int> succeeded_;
};

std::string ReadAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// The records of a real-time feed file ("yyyymmddhhnnss record" lines), the last one per type,
// race key (and horse number for SE) as JVRTOpen serves them at the end of the day.
std::map<std::string, std::string> LastRecords(const fs::path& file) {
  std::map<std::string, std::string> out;
  const std::string text = ReadAll(file);
  size_t p = 0;
  while (p < text.size()) {
    const size_t e = text.find("\r\n", p);
    const std::string rec = text.substr(p + 15, e + 2 - (p + 15));
    std::string id = std::string(Fld(rec, kHdr_RecordType)) + std::string(Fld(rec, kHdr_RaceKey));
    if (Fld(rec, kHdr_RecordType) == "SE") id += std::string(Fld(rec, kSE_HorseNum));
    out[id] = rec;
    p = e + 2;
  }
  return out;
}

std::string Hms(const DateTime& t) { return Fmt("%02d:%02d:%02d", t.hour, t.minute, t.second); }

TEST(LiveDayEndToEnd, OddsResultsAndChangesArriveOnTheClockDespiteTwoFailures) {
  TempDir dir;
  const fs::path prog = dir / "live";
  RecordingUi ui;
  SetClock clock(kMorning);
  RecordingDesktop desktop;
  ASSERT_TRUE(PrepareDemoFolder(prog, ui));
  Settings settings(prog);
  ASSERT_TRUE(settings.Load());
  std::unique_ptr<JVLink> replay = MakeFeedJVLink(settings, clock);
  ASSERT_EQ(replay->JVInit(kJVSoftwareId), 0);
  ASSERT_EQ(SetUpDemo(settings, ui, clock, *replay, WriteLiveWorld), DemoSetUp::Done);

  FailingJVLink jv(*replay, clock);
  jv.FailNth("0B30", 3, -504);  // the third race's odds
  jv.FailNth("0B12", 4, -431);  // a results fetch around noon
  ui.Clear();
  Workbench wb(prog, ui, clock, jv, desktop);
  ASSERT_TRUE(wb.Start());
  std::vector<std::string> events;
  wb.Live().SetEventSink([&](const std::string& line) { events.push_back(ToUtf8(line)); });
  const std::string dayName = J("2024年04月27日");
  wb.LoadDay(dayName);
  ASSERT_FALSE(wb.RaceList().empty()) << (ui.Messages().empty() ? "" : ToUtf8(ui.Messages().back()));
  const RaceDayModel& day = *wb.Day();

  LiveTimers timers(wb, clock);
  for (int s = 0; s <= 9 * 3600; ++s) {  // 08:30:00 .. 17:30:00
    clock.now = kMorning;
    clock.Advance(s);
    timers.Tick();
  }

  // Odds: one successful fetch per race, before its (final) post time; the failed one got its
  // second chance five seconds later.
  std::map<std::string, std::vector<FailingJVLink::Open>> oddsOpens;
  for (const auto& o : jv.opens)
    if (o.dataspec == "0B30") oddsOpens[o.key].push_back(o);
  int failedOdds = 0;
  for (int r : wb.RaceSlots()) {
    const std::string key(Fld(day.Race(r), kHdr_RaceKey));
    const std::string post(Fld(day.Race(r), kRA_PostTime));
    int ok = 0;
    for (const auto& o : oddsOpens[key]) {
      EXPECT_LT(Fmt("%02d%02d", o.at.hour, o.at.minute), post) << key;
      ok += o.code == 0;
      failedOdds += o.code != 0;
    }
    EXPECT_EQ(ok, 1) << key;
    EXPECT_GT(day.OutData(r).WinOdds[0], 0) << key;
  }
  EXPECT_EQ(failedOdds, 1);
  EXPECT_EQ(oddsOpens.size(), wb.RaceSlots().size());

  // Payouts: every race's payout is the feed's last HR record of the race.
  const fs::path feed = prog / "feed";
  const auto results = LastRecords(feed / "0B12" / "20240427.txt");
  for (int r : wb.RaceSlots()) {
    const std::string key(Fld(day.Race(r), kHdr_RaceKey));
    auto it = results.find("HR" + key);
    ASSERT_NE(it, results.end()) << key;
    EXPECT_EQ(day.Payout(r), it->second) << key;
    EXPECT_GT(day.RaceAnalysis(r).WinPay[0], 0) << key;
  }

  // Start-time changes: every announced new post time is in the race file and in the model.
  const auto changes = LastRecords(feed / "0B14" / "20240427.txt");
  const RecordFile races = RecordFile::Read(DataFilePath(prog, dayName + ".jvRA"), kRecLenRA);
  ASSERT_TRUE(races.ok());
  int changed = 0;
  for (const auto& [id, tc] : changes) {
    if (id.rfind("TC", 0) != 0) continue;
    ++changed;
    bool found = false;
    for (size_t i = 0; i < races.size(); ++i) {
      if (Fld(races.Line(i), kHdr_RaceKey) != Fld(tc, kHdr_RaceKey)) continue;
      found = true;
      EXPECT_EQ(Fld(races.Line(i), kRA_PostTime), Fld(tc, kTC_NewPostTime)) << id;
      EXPECT_EQ(Fld(day.Race(static_cast<int>(i)), kRA_PostTime), Fld(tc, kTC_NewPostTime)) << id;
    }
    EXPECT_TRUE(found) << id;
  }
  EXPECT_GT(changed, 0) << "the simulated day announces start-time changes";

  // The error log: exactly the two failures.
  std::vector<std::string> expected;
  for (const auto& o : jv.opens) {
    if (o.code == 0 || o.code == -1) continue;
    const std::string message = o.dataspec == "0B30"
                                    ? ToUtf8(RaceKeyLabel(o.key)) + "R:" + ToUtf8(JVResultMessage("JVRTOpen", o.code))
                                    : ToUtf8(JVResultMessage("JVRTOpen", o.code));
    expected.push_back("【エラー】" + Hms(o.at) + "：" + message);
  }
  ASSERT_EQ(expected.size(), 2u);
  std::vector<std::string> logged;
  std::istringstream log(ToUtf8(ReadAll(ErrorLogPath(prog))));
  for (std::string line; std::getline(log, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.rfind("【エラー】", 0) == 0) logged.push_back(line);
  }
  EXPECT_EQ(logged, expected);
  EXPECT_FALSE(events.empty());
}

}  // namespace
