// Hit report: which bet-table rows are reported under each button (thresholds exclusive, colour
// thresholds inclusive), the exact report and hit-list lines with every record text HTML-escaped,
// and the files in HPupload (nothing written below two hits, the list extended run after run).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "JVRecordBuilder.h"
#include "RecordingPorts.h"
#include "TempDir.h"
#include "app/Files.h"
#include "text/Cp932.h"
#include "text/Format.h"
#include "verify/HitReport.h"

namespace kv {
namespace {

using test::MakeRecord;

constexpr int kWin = 0, kPlace = 1, kQuinella = 3, kWide = 4, kTrifecta = 7;

// Race 11 at Tokyo (venue 05) on 2025-01-05, short name as given (CP932).
std::string Race(const std::string& shortName = J("テスト特別")) {
  return MakeRecord("RA", {{kHdr_RaceKey, "2025010505010211"}, {kRA_RaceNameShort6, shortName}});
}

// A race whose bet table of `type` holds `combo` and whose results tab pays `pay` on it.
HitRaceInput OneHit(const std::string& ra, int type, const std::string& combo, int pay) {
  HitRaceInput in;
  in.race = ra;
  in.betCombinations[static_cast<size_t>(type)] = {combo};
  in.results[static_cast<size_t>(type)] = {{combo, Fmt("%8d", pay)}};
  return in;
}

TEST(HitReport, ThresholdsAreExclusiveAndColourThresholdsInclusive) {
  struct Case {
    HitKind kind;
    int type;
    const char* combo;
    int pay;
    bool reported, red;
  };
  const Case cases[] = {
      {HitKind::LongShot, kTrifecta, " 1- 2- 3", 12340, true, true},
      {HitKind::LongShot, kQuinella, " 3-12", 4200, false, false},
      {HitKind::LongShot, kQuinella, " 3-12", 5000, false, false},
      {HitKind::LongShot, kQuinella, " 3-12", 5001, true, false},
      {HitKind::All, kQuinella, " 3-12", 9999, true, false},
      {HitKind::All, kQuinella, " 3-12", 10000, true, true},
      {HitKind::LongShot, kPlace, " 7", 500, false, false},
      {HitKind::All, kPlace, " 7", 500, true, true},
      {HitKind::All, kPlace, " 7", 499, true, false},
      {HitKind::LongShot, kWide, " 2- 5", 5000, true, true},
      {HitKind::All, kWide, " 2- 5", 5000, true, true},
      {HitKind::All, kWide, " 2- 5", 4999, true, false},
      {HitKind::LongShot, kWide, " 2- 5", 3000, false, false},
      {HitKind::LongShot, kWin, " 9", 1000, false, false},
      {HitKind::LongShot, kWin, " 9", 1001, true, true},
      {HitKind::All, kWin, " 9", 0, false, false},
      {HitKind::All, kWin, " 9", 1, true, false},
  };
  const std::string ra = Race();
  for (const Case& c : cases) {
    SCOPED_TRACE(Fmt("kind %d type %d pay %d", static_cast<int>(c.kind), c.type, c.pay));
    HitReport report(c.kind, NewHitList());
    report.AddRace(OneHit(ra, c.type, c.combo, c.pay));
    ASSERT_EQ(report.Hits(), c.reported ? 1 : 0);
    if (!c.reported) continue;
    const std::string& line = report.ReportLines()[1];
    const std::string redTags = "<img src=\"./image/lis1.gif\"><font color=\"red\">";
    const std::string blueTags = "<img src=\"./image/lis2.gif\"><font color=\"blue\">";
    EXPECT_EQ(line.substr(0, (c.red ? redTags : blueTags).size()), c.red ? redTags : blueTags);
  }
}

TEST(HitReport, LinesAreExactAndRecordTextsEscaped) {
  // A short name holding the characters HTML reserves must not break the page.
  const std::string ra = Race("A&B<C>\"D\"");
  HitReport report(HitKind::All, NewHitList());
  HitRaceInput in = OneHit(ra, kTrifecta, " 1- 2- 3", 12340);
  in.betCombinations[kWin] = {" 9"};
  in.results[kWin] = {{" 9", Fmt("%8d", 450)}};
  report.AddRace(in);

  const std::vector<std::string> expectedReport = {
      J("<br /><img src=\"./image/balist.gif\"><font color=\"black\">【Korvane2】</font>"),
      J("<img src=\"./image/lis1.gif\"><font color=\"red\">東京11R[３連単]: 1- 2- 3/配当   12340円　"
        "A&amp;B&lt;C&gt;&quot;D&quot;   </font>"),
      J("<img src=\"./image/lis2.gif\"><font color=\"blue\">東京11R[単勝　]：　　  9/配当     450円　"
        "A&amp;B&lt;C&gt;&quot;D&quot;   </font>"),
  };
  EXPECT_EQ(report.ReportLines(), expectedReport);
  const std::vector<std::string> expectedList = {
      " Korvane2",
      J("202501050511R[３連単]: 1- 2- 3/配当   12340円"),
      J("202501050511R[単勝　]：　　  9/配当     450円"),
  };
  EXPECT_EQ(report.HitListLines(), expectedList);
  EXPECT_EQ(HtmlEscape(J("馬名&<>\"表")), J("馬名&amp;&lt;&gt;&quot;表"));
}

TEST(HitReport, ComparesTheLeadingCharactersWithTheFirstThreeResultsInTableOrder) {
  const std::string ra = Race();
  HitRaceInput in;
  in.race = ra;
  // Wide pays up to seven lines on the results tab; only the first three are looked at.
  in.betCombinations[kWide] = {" 1- 2", " 6- 7", ""};
  in.results[kWide] = {{" 1- 2", "     600"}, {" 3- 4", "     700"}, {" 1- 3", "     800"}, {" 6- 7", "     900"}};
  // Extra characters after the compared ones do not matter.
  in.betCombinations[kTrifecta] = {" 1- 2- 3xyz"};
  in.results[kTrifecta] = {{" 1- 2- 3", "   20000"}};
  HitReport report(HitKind::All, NewHitList());
  report.AddRace(in);
  ASSERT_EQ(report.Hits(), 2);
  EXPECT_NE(report.ReportLines()[1].find(J("[３連単]")), std::string::npos);  // trifecta first
  EXPECT_NE(report.ReportLines()[2].find(J("[ワイド]：　 1- 2")), std::string::npos);
}

TEST(HitReport, WritesNothingBelowTwoHitsAndExtendsTheListRunAfterRun) {
  test::TempDir dir;
  test::RecordingUi ui;
  test::RecordingDesktop desktop;
  const std::string ra = Race();
  int pays = 0;
  const auto visitOne = [&](int) { return OneHit(ra, kTrifecta, " 1- 2- 3", 12340); };
  HitReportRun run = RunHitReport(dir.path(), ra, HitKind::All, 1, visitOne, ui, desktop, true);
  EXPECT_TRUE(run.ok);
  EXPECT_FALSE(run.written);
  EXPECT_EQ(run.hits, 1);
  EXPECT_FALSE(fs::exists(dir / "HPupload"));
  EXPECT_TRUE(desktop.clipboard.empty());
  EXPECT_TRUE(desktop.opened.empty());

  const auto visitTwo = [&](int i) { return OneHit(ra, kQuinella, " 3-12", 1000 + 100 * i + pays); };
  run = RunHitReport(dir.path(), ra, HitKind::All, 2, visitTwo, ui, desktop, true);
  ASSERT_TRUE(run.written);
  const fs::path report = dir / "HPupload" / "TK20250105.txt";
  EXPECT_EQ(run.report, report);
  std::string bytes;
  ASSERT_TRUE(ReadFile(report, bytes));
  EXPECT_EQ(bytes.substr(0, 10), "<br /><img");
  EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), 3);
  EXPECT_EQ(desktop.clipboard, bytes);
  EXPECT_EQ(desktop.opened, std::vector<std::string>{report.string()});
  std::vector<std::string> list;
  ASSERT_TRUE(LoadHitList(dir.path(), list));
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(list[0], " Korvane2");

  // The second run replaces the report and extends the list; the CLI opens no viewer.
  pays = 5;
  run = RunHitReport(dir.path(), ra, HitKind::All, 3, visitTwo, ui, desktop, false);
  ASSERT_TRUE(run.written);
  ASSERT_TRUE(ReadFile(report, bytes));
  EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), 4);
  EXPECT_EQ(desktop.opened.size(), 1u);
  ASSERT_TRUE(LoadHitList(dir.path(), list));
  EXPECT_EQ(list.size(), 6u);
  EXPECT_EQ(list[5], J("202501050511R[馬連　]：　 3-12/配当    1205円"));
  EXPECT_TRUE(ui.Texts(test::RecordingUi::Kind::Warning).empty());
}

}  // namespace
}  // namespace kv
