// CSV exports: the point-rate lines and their order, the file names and bytes in the CSV folder,
// the confirmation and failure messages, and the verification CSV.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "RecordingPorts.h"
#include "TempDir.h"
#include "VerifyFixture.h"
#include "app/Files.h"
#include "compare/CsvExports.h"
#include "verify/VerificationCsv.h"
#include "text/Cp932.h"
#include "verify/VerificationTable.h"

namespace kv {
namespace {

using test::DayFixture;

std::string ReadAll(const fs::path& p) {
  std::string bytes;
  EXPECT_TRUE(ReadFile(p, bytes)) << p;
  return bytes;
}

// Slot 0 holds race 2 and slot 1 race 1, so the sorted lines put slot 1 first. Race 2 has 6
// registered runners: runner 5 rated 62.5 % and ranked 2, runner 1 without a rank although it
// has a rate, the rest never compared; an entry record beyond the 6 runners is left out.
struct PointRateDay {
  DayFixture f;
  std::string key1, key2;
  PointRateDay() {
    key2 = f.AddRace(0, 2, 6, 0);
    key1 = f.AddRace(1, 1, 2, 0);
    f.SetEntry(0, 7, 1, 0, 0);  // stale record past the registered count
    TRaceAnalysis& a = f.analysis(0);
    a.PointWinRate[4] = 0.625;
    a.PointWinRateRank[4] = 2;
    a.PointWinRate[0] = 0.3;
    a.PointWinRate[6] = 0.9;
    a.PointWinRateRank[6] = 1;
    TRaceAnalysis& b = f.analysis(1);
    b.PointWinRate[1] = 1.0;
    b.PointWinRateRank[1] = 1;
    b.PointWinRate[0] = 0.0;
    b.PointWinRateRank[0] = 12;
  }
};

TEST(PointRateCsv, Lines) {
  PointRateDay d;
  const std::vector<int> slots = {0, 1};
  const std::string k1 = d.key1, k2 = d.key2;
  EXPECT_EQ(PointRateCsvLines(d.f.day(), slots, PointRateCsv::RateAndRank),
            (std::vector<std::string>{k1 + "01,  0.0,12", k1 + "02,100.0, 1", k2 + "01,,", k2 + "02,,", k2 + "03,,",
                                      k2 + "04,,", k2 + "05, 62.5, 2", k2 + "06,,"}));
  EXPECT_EQ(PointRateCsvLines(d.f.day(), slots, PointRateCsv::RankOnly),
            (std::vector<std::string>{k1 + "01,12", k1 + "02, 1", k2 + "01,", k2 + "02,", k2 + "03,", k2 + "04,",
                                      k2 + "05, 2", k2 + "06,"}));
}

TEST(PointRateCsv, FilesInCsvFolder) {
  PointRateDay d;
  const std::vector<int> slots = {0, 1};
  test::TempDir home;

  struct Case {
    PointRateCsv kind;
    const char* name;
    std::string firstLine;
  };
  const Case cases[] = {{PointRateCsv::RateAndRank, "PTR20110430.csv", d.key1 + "01,  0.0,12"},
                        {PointRateCsv::RankOnly, "PTj20110430.csv", d.key1 + "01,12"}};
  for (const Case& c : cases) {
    test::RecordingUi ui;
    EXPECT_TRUE(RunPointRateExport(d.f.day(), J("2011年04月30日"), slots, home.path(), c.kind, ui));
    const fs::path file = home.path() / "CSV" / c.name;
    const std::string bytes = ReadAll(file);
    EXPECT_EQ(bytes, CsvText(PointRateCsvLines(d.f.day(), slots, c.kind)));
    EXPECT_TRUE(bytes.starts_with(c.firstLine + "\r\n")) << c.name;
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), 8);
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\r'), 8);
    EXPECT_EQ(ui.Texts(test::RecordingUi::Kind::Info),
              std::vector<std::string>{J("以下のCSVファイルを出力しました。") + "\r\n" + ToCp932(file.string())});
  }

  // A second export replaces the file.
  d.f.analysis(1).PointWinRateRank[0] = 0;
  const CsvExportResult again = ExportPointRateCsv(d.f.day(), slots, home.path(), PointRateCsv::RankOnly);
  ASSERT_TRUE(again.ok);
  EXPECT_TRUE(ReadAll(again.path).starts_with(d.key1 + "01,\r\n"));
}

TEST(PointRateCsv, ExistingFolderOfAnyCase) {
  PointRateDay d;
  test::TempDir home;
  fs::create_directories(home.path() / "csv");
  const CsvExportResult res = ExportPointRateCsv(d.f.day(), std::vector<int>{0, 1}, home.path(), PointRateCsv::RankOnly);
  ASSERT_TRUE(res.ok) << ToUtf8(res.message);
  EXPECT_EQ(res.path, home.path() / "csv" / "PTj20110430.csv");
  EXPECT_FALSE(fs::exists(home.path() / "CSV"));
}

TEST(PointRateCsv, NothingToDoOrCannotWrite) {
  PointRateDay d;
  test::TempDir home;
  const std::vector<int> slots = {0, 1};
  test::RecordingUi ui;

  // No day chosen: nothing at all.
  EXPECT_FALSE(RunPointRateExport(d.f.day(), "", slots, home.path(), PointRateCsv::RateAndRank, ui));
  EXPECT_TRUE(ui.events.empty());
  EXPECT_FALSE(fs::exists(home.path() / "CSV"));

  // No race in the list.
  EXPECT_FALSE(RunPointRateExport(d.f.day(), J("2011年04月30日"), {}, home.path(), PointRateCsv::RateAndRank, ui));
  EXPECT_EQ(ui.Texts(test::RecordingUi::Kind::Info), std::vector<std::string>{J("データが不十分なようです。")});

  // "CSV" is a file, not a folder: the failure is told, nothing is claimed written.
  ASSERT_TRUE(WriteFileAtomic(home.path() / "CSV", "x"));
  const CsvExportResult res = ExportPointRateCsv(d.f.day(), slots, home.path(), PointRateCsv::RateAndRank);
  EXPECT_FALSE(res.ok);
  EXPECT_TRUE(res.message.starts_with(J("CSVファイルを書き込めませんでした。") + "\r\n")) << ToUtf8(res.message);
}

TEST(VerificationCsv, LinesAndFile) {
  TextGrid t(3, 3);
  t.SetRow(0, {J("開催日"), J("場所"), J("ﾚｰｽ")});
  t.SetRow(1, {"2011/04/30", J("東京"), " 1R"});
  t.SetRow(2, {"a\"b", "", "x,y"});
  const std::string expected =
      "\"2011/04/30\",\"" + J("東京") + "\",\" 1R\"\r\n"
      "\"a\"b\",\"\",\"x,y\"\r\n";
  EXPECT_EQ(VerificationCsvText(t), expected);
  EXPECT_EQ(VerificationCsvText(TextGrid(1, 3)), "");

  test::TempDir home;
  const fs::path proposal = VerificationCsvProposal(home.path(), J("2011年04月30日"));
  EXPECT_EQ(proposal, home.path() / "CSV" / PathFromUtf8("2011年04月30日.csv"));
  ASSERT_TRUE(WriteVerificationCsv(t, proposal));
  EXPECT_EQ(ReadAll(proposal), expected);
}

// A whole tallied table: 51 quoted cells per line, the heading left out.
TEST(VerificationCsv, TalliedTable) {
  DayFixture f;
  f.AddRace(0, 1, 8, 560);
  f.SetEntry(0, 4, 1, 56, 2);
  f.DerivePayouts();
  const TextGrid table = BuildVerificationTable(f.day(), std::vector<int>{0});
  const std::string text = VerificationCsvText(table);
  ASSERT_TRUE(text.ends_with("\"\r\n"));
  EXPECT_TRUE(text.starts_with("\"2011/04/30\",\"" + J("東京") + "\",\" 1R\",\" 8\","));
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1);
  size_t separators = 0;
  for (size_t p = text.find("\",\""); p != std::string::npos; p = text.find("\",\"", p + 1)) ++separators;
  EXPECT_EQ(separators, 50u);
}

}  // namespace
}  // namespace kv
