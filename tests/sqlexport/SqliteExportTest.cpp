// korvane2-cli export-sqlite on a small simulated world: every stored record becomes a row, the
// decoded rows say what the workbench shows for the same race, the SQL a user would type gives
// the right answers, the store is left byte for byte as it was, and the database file is only
// ever replaced whole.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <map>
#include <set>

#include "ProgramRun.h"
#include "SimulatedPastRuns.h"
#include "app/ProgramFolders.h"
#include "compare/PastRunFile.h"
#include "compare/PredictionFile.h"
#include "jvlink/JVData_Structure.h"
#include "jvlink/RecordFile.h"
#include "text/Field.h"

using namespace kv;
using namespace kv::test;
namespace fs = std::filesystem;

namespace {

const fs::path kCli = fs::path(KORVANE_BIN_DIR) / "src/cli/korvane2-cli";
const fs::path kJvsim = fs::path(KORVANE_BIN_DIR) / "src/sim/jvsim";

// The rows of a query, every value as text ("" for NULL).
using Rows = std::vector<std::vector<std::string>>;

class Db {
 public:
  explicit Db(const fs::path& p) {
    if (sqlite3_open_v2(p.c_str(), &db_, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
      ADD_FAILURE() << "cannot open " << p;
    }
  }
  ~Db() { sqlite3_close(db_); }
  Rows Query(const std::string& sql) const {
    Rows rows;
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &st, nullptr) != SQLITE_OK) {
      ADD_FAILURE() << sql << ": " << sqlite3_errmsg(db_);
      return rows;
    }
    while (sqlite3_step(st) == SQLITE_ROW) {
      std::vector<std::string>& row = rows.emplace_back();
      for (int c = 0; c < sqlite3_column_count(st); ++c) {
        const unsigned char* t = sqlite3_column_text(st, c);
        row.emplace_back(t ? reinterpret_cast<const char*>(t) : "");
      }
    }
    sqlite3_finalize(st);
    return rows;
  }
  long long Count(const std::string& sql) const {
    const Rows r = Query(sql);
    return r.empty() || r[0].empty() ? -1 : std::stoll(r[0][0]);
  }

 private:
  sqlite3* db_ = nullptr;
};

struct Cli {
  fs::path prog, out, err;
  int Run(const std::string& command, const std::string& args = "") {
    return RunProgram(Quote(kCli) + " --home " + Quote(prog) + " " + command + " " + args, out, err);
  }
  std::string Out() const { return ReadAll(out); }
  std::string Err() const { return ReadAll(err); }
};

// Records in the store, counted by reading the stored files as the program does.
struct StoreCounts {
  long long races = 0, runners = 0, pastRuns = 0, analyses = 0;
  std::map<std::string, long long> byType;  // "HR", "O1".."O6": records
};

StoreCounts CountStore(const fs::path& prog) {
  StoreCounts c;
  const ProgramFolders f = LocateProgramFolders(prog);
  for (const auto& e : fs::directory_iterator(f.data)) {
    const std::string ext = e.path().extension().string();
    const std::string type = ext == ".jvSEr" ? "SE" : ext.substr(3);
    const RecordFile file = RecordFile::ReadType(e.path(), type);
    EXPECT_TRUE(file.ok()) << e.path();
    for (size_t n = 0; n < file.size(); ++n) {
      if (IsBlank(file.Line(n))) continue;
      if (type == "RA") c.races += !IsEmptyRaceRecord(file.Line(n));
      else if (type == "SE") ++c.runners;
      else ++c.byType[type];
    }
  }
  for (const auto& e : fs::recursive_directory_iterator(f.sei)) {
    if (e.path().extension() == ".kak") c.pastRuns += ReadPastRunRecords(e.path()).size();
    if (e.path().extension() == ".yos") c.analyses += ReadPredictionRecords(e.path()).size();
  }
  return c;
}

// The text without half- and full-width blanks.
std::string Strip(const std::string& s) {
  std::string t;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s.compare(i, 3, "\u3000") == 0) {
      i += 2;
      continue;
    }
    if (s[i] != ' ') t += s[i];
  }
  return t;
}

// Tenths as the entry table shows them ("57.0"); empty for none.
std::string Tenths(const std::string& v) {
  if (v.empty()) return "";
  const int t = std::stoi(v);
  return std::to_string(t / 10) + "." + std::to_string(t % 10);
}

// "m.ss.t" as the entry table shows a time, from tenths of a second.
std::string TimeText(const std::string& tenths) {
  if (tenths.empty()) return "";
  const int t = std::stoi(tenths);
  char buf[16];
  std::snprintf(buf, sizeof buf, "%d.%02d.%d", t / 600, t % 600 / 10, t % 10);
  return buf;
}

}  // namespace

TEST(SqliteExport, EveryStoredRecordBecomesARowDecodedAsTheWorkbenchShowsIt) {
  ASSERT_TRUE(fs::exists(kCli)) << kCli << " is not built";
  ASSERT_TRUE(fs::exists(kJvsim)) << kJvsim << " is not built";
  ScratchFolder scratch;
  const fs::path dir = scratch.path();
  Cli cli{dir / "prog", dir / "out.txt", dir / "err.txt"};
  ASSERT_EQ(RunProgram(Quote(kJvsim) + " --out " + Quote(dir / "feed") +
                           " --seed 5 --from 2024-04-20 --to 2024-04-21 --odds-from 2024-04-21 --recent-weeks 1",
                       cli.out, cli.err),
            0)
      << cli.Err();
  ASSERT_EQ(cli.Run("import", "--setup --from 2024-04-15 --feed " + Quote(dir / "feed")), 0) << cli.Err();
  const std::string day = "20240421";
  // The race command runs the all-race comparison, which writes the day's prediction files.
  ASSERT_EQ(cli.Run("race", day + " 2"), 0) << cli.Err();
  const std::string race2 = cli.Out();

  // The store: the day files, the change files, the past-run and prediction files.
  const ProgramFolders folders = LocateProgramFolders(cli.prog);
  auto storeFiles = [&] {
    std::map<std::string, std::string> files;
    for (const fs::path& f : {folders.data, folders.chg, folders.sei})
      if (fs::exists(f)) files.merge(FileTree(f));
    return files;
  };
  const std::map<std::string, std::string> store = storeFiles();
  ASSERT_GT(store.size(), 100u);
  StoreCounts stored = CountStore(cli.prog);
  ASSERT_GT(stored.analyses, 0);
  ASSERT_GT(stored.byType["O6"], 0);

  const fs::path dbFile = dir / "out" / "races.db";
  fs::create_directories(dbFile.parent_path());
  ASSERT_EQ(cli.Run("export-sqlite", Quote(dbFile)), 0) << cli.Err();
  EXPECT_EQ(Lines(cli.Out()).at(0), dbFile.string());
  EXPECT_NE(cli.Out().find("races\t" + std::to_string(stored.races) + "\n"), std::string::npos) << cli.Out();
  {
    const Db db(dbFile);
    // Row counts: one per record (one per line for past runs and analyses).
    EXPECT_EQ(db.Count("SELECT COUNT(*) FROM races"), stored.races);
    EXPECT_EQ(db.Count("SELECT COUNT(*) FROM runners"), stored.runners);
    EXPECT_EQ(db.Count("SELECT COUNT(*) FROM past_runs"), stored.pastRuns);
    EXPECT_EQ(db.Count("SELECT COUNT(*) FROM analyses"), stored.analyses);
    EXPECT_EQ(db.Count("SELECT COUNT(DISTINCT race_key) FROM payouts"), stored.byType["HR"]);
    const std::map<std::string, std::string> oddsType = {{"O1", "win"}, {"O2", "quinella"}, {"O3", "wide"},
                                                         {"O4", "exacta"}, {"O5", "trio"}, {"O6", "trifecta"}};
    for (const auto& [type, bet] : oddsType)
      EXPECT_EQ(db.Count("SELECT COUNT(DISTINCT race_key) FROM final_odds WHERE bet_type='" + bet + "'"),
                stored.byType[type])
          << type;
    // Every runner of a race with odds has its win odds (tenths) and a rank.
    // Every runner of the day with odds has its win odds (tenths) and a rank, but a scratched one.
    EXPECT_EQ(db.Count("SELECT COUNT(*) FROM runners n JOIN races r USING(race_key) WHERE r.date='2024-04-21' AND "
                       "n.abnormal_code = 0 AND NOT EXISTS(SELECT 1 FROM final_odds o WHERE o.race_key=n.race_key "
                       "AND o.bet_type='win' AND o.first=n.horse_no AND o.odds>0 AND o.popularity>0)"),
              0);

    // The second race of the day as `race DAY 2` printed it: header, entry table, results tab.
    const Rows r2 = db.Query(
        "SELECT race_key, venue, race_no, post_time, distance, entered FROM races WHERE date='2024-04-21' "
        "ORDER BY race_key LIMIT 1 OFFSET 1");
    ASSERT_EQ(r2.size(), 1u);
    const std::string key = r2[0][0];
    const std::vector<std::string> printed = Lines(race2);
    char raceNo[8];
    std::snprintf(raceNo, sizeof raceNo, "%02dR", std::stoi(r2[0][2]));
    std::string post = r2[0][3];
    post[2] = '.';
    EXPECT_NE(printed.at(0).find(r2[0][1]), std::string::npos) << printed[0];
    EXPECT_NE(printed.at(0).find(raceNo), std::string::npos) << printed[0];
    EXPECT_NE(printed.at(0).find(post + "発走"), std::string::npos) << printed[0];
    EXPECT_NE(printed.at(2).find(r2[0][4] + "ﾒｰﾄﾙ"), std::string::npos) << printed[2];

    const Rows runners = db.Query(
        "SELECT frame, horse_no, horse_name, jockey, weight, finish, time, win_odds, popularity FROM runners "
        "WHERE race_key='" + key + "' ORDER BY horse_no");
    ASSERT_EQ(runners.size(), static_cast<size_t>(std::stoi(r2[0][5])));
    size_t row = 0;
    size_t line = 6;  // four labels, an empty line, the heading row
    for (; line < printed.size() && !printed[line].empty(); ++line, ++row) {
      const std::vector<std::string> cells = SplitOn(printed[line], '\t');
      ASSERT_EQ(cells.size(), 31u) << printed[line];
      ASSERT_LT(row, runners.size());
      const std::vector<std::string>& n = runners[row];
      EXPECT_EQ(Strip(cells[0]), n[0]);
      EXPECT_EQ(Strip(cells[1]), n[1]);
      EXPECT_EQ(cells[2], n[2]);
      EXPECT_EQ(Strip(cells[4]), n[3]);
      EXPECT_EQ(Strip(cells[5]), Tenths(n[4]));
      EXPECT_EQ(Strip(cells[27]), n[5]) << "finish";
      EXPECT_EQ(Strip(cells[28]), TimeText(n[6]));
      EXPECT_EQ(Strip(cells[29]), Tenths(n[7]));
      EXPECT_EQ(Strip(cells[30]), n[8]);
    }
    EXPECT_EQ(row, runners.size());
    std::vector<std::string> tab;
    for (++line; line < printed.size(); ++line) tab.push_back(printed[line]);
    std::vector<std::string> fromDb;
    for (const auto& p : db.Query("SELECT t.caption, p.combination, p.popularity, p.payout FROM payouts p JOIN "
                                  "bet_types t ON t.code=p.bet_type WHERE p.race_key='" + key +
                                  "' ORDER BY t.seq, p.seq"))
      fromDb.push_back(p[0] + "\t" + p[1] + "\t" + p[2] + "\t" + p[3]);
    for (std::string& l : tab) {
      std::vector<std::string> f = SplitOn(l, '\t');
      ASSERT_EQ(f.size(), 4u) << l;
      l = f[0] + "\t" + Strip(f[1]) + "\t" + Strip(f[2]) + "\t" + Strip(f[3]);
    }
    EXPECT_EQ(tab, fromDb);

    // The winner of every race with results: one runner placed 1st, the horse the win payout names,
    // whose popularity is the one the payout record gives.
    const Rows winners = db.Query(
        "SELECT r.race_key, n.horse_no, n.popularity, p.first, p.popularity FROM races r "
        "JOIN runners n ON n.race_key = r.race_key AND n.finish = 1 "
        "LEFT JOIN payouts p ON p.race_key = r.race_key AND p.bet_type = 'win' AND p.seq = 1 ORDER BY r.race_key");
    EXPECT_EQ(static_cast<long long>(winners.size()), stored.races);
    EXPECT_EQ(db.Count("SELECT COUNT(DISTINCT race_key) FROM runners WHERE finish = 1"), stored.races);
    for (const auto& w : winners) {
      EXPECT_EQ(w[1], w[3]) << w[0];
      EXPECT_EQ(w[2], w[4]) << w[0];
    }
    // Mean win payout per popularity rank, against the same figure summed from the winners.
    std::map<int, std::pair<long long, int>> sums;
    for (const auto& p : db.Query("SELECT popularity, payout FROM payouts WHERE bet_type='win'")) {
      sums[std::stoi(p[0])].first += std::stoll(p[1]);
      ++sums[std::stoi(p[0])].second;
    }
    const Rows means = db.Query(
        "SELECT n.popularity, AVG(p.payout), COUNT(*) FROM payouts p JOIN runners n "
        "ON n.race_key = p.race_key AND n.horse_no = p.first WHERE p.bet_type = 'win' "
        "GROUP BY n.popularity ORDER BY n.popularity");
    ASSERT_GE(means.size(), 3u);
    for (const auto& m : means) {
      const auto& s = sums.at(std::stoi(m[0]));
      EXPECT_NEAR(std::stod(m[1]), static_cast<double>(s.first) / s.second, 1e-6) << m[0];
      EXPECT_EQ(std::stoi(m[2]), s.second);
    }
    EXPECT_LT(std::stod(means.front()[1]), std::stod(means.back()[1])) << "favourites pay least";

    // A horse's career: the lines of its past-run file, oldest first.
    const std::string horse = db.Query("SELECT horse_id FROM past_runs GROUP BY horse_id ORDER BY COUNT(*) DESC")
                                  .at(0).at(0);
    const RecordFile kak = ReadPastRunRecords(PastRunPath(cli.prog, horse));
    const Rows career = db.Query("SELECT race_key, finish FROM past_runs WHERE horse_id='" + horse + "' ORDER BY date");
    ASSERT_EQ(career.size(), kak.size());
    for (size_t n = 0; n < kak.size(); ++n) {
      EXPECT_EQ(career[n][0], std::string(Fld(kak.Line(n), 1, 16)));
      const int finish = FldInt(kak.Line(n), kak::kFinal, kak::kFinalLen);
      EXPECT_EQ(career[n][1], finish > 0 ? std::to_string(finish) : "") << "no place is NULL";
    }
    // Analysis results of the analysed day, one per runner with a horse ID.
    EXPECT_EQ(db.Count("SELECT COUNT(*) FROM analyses a JOIN runners n ON n.race_key=a.race_key AND "
                       "n.horse_id=a.horse_id JOIN races r ON r.race_key=a.race_key WHERE r.date='2024-04-21'"),
              db.Count("SELECT COUNT(*) FROM runners JOIN races USING(race_key) WHERE date='2024-04-21' AND "
                       "entered BETWEEN 5 AND 18"));
  }

  // A range: only its days, and only the past runs and analyses of its races.
  const fs::path ranged = dir / "out" / "ranged.db";
  ASSERT_EQ(cli.Run("export-sqlite", Quote(ranged) + " --from 20240420 --to 2024年04月20日"), 0) << cli.Err();
  {
    const Db db(ranged);
    EXPECT_GT(db.Count("SELECT COUNT(*) FROM races"), 0);
    EXPECT_EQ(db.Count("SELECT COUNT(*) FROM races WHERE date <> '2024-04-20'"), 0);
    EXPECT_EQ(db.Count("SELECT COUNT(*) FROM past_runs WHERE date <> '2024-04-20'"), 0);
    EXPECT_EQ(db.Count("SELECT COUNT(*) FROM past_runs"), db.Count("SELECT COUNT(*) FROM runners"));
    EXPECT_EQ(db.Count("SELECT COUNT(*) FROM analyses"), 0);
    EXPECT_EQ(db.Count("SELECT COUNT(*) FROM final_odds"), 0);
  }

  // Re-running replaces the file whole; a target that cannot be replaced keeps what it was, and
  // no temporary file is left beside it.
  ASSERT_EQ(cli.Run("export-sqlite", Quote(dbFile) + " --to 20240420"), 0) << cli.Err();
  EXPECT_EQ(Db(dbFile).Count("SELECT COUNT(*) FROM races WHERE date <> '2024-04-20'"), 0);
  fs::create_directories(dir / "out" / "busy.db" / "inside");
  EXPECT_EQ(cli.Run("export-sqlite", Quote(dir / "out" / "busy.db") + " --to 20240420"), 1);
  EXPECT_NE(cli.Err().find("busy.db"), std::string::npos) << cli.Err();
  EXPECT_TRUE(fs::is_directory(dir / "out" / "busy.db" / "inside"));
  std::set<std::string> names;
  for (const auto& e : fs::directory_iterator(dir / "out")) names.insert(e.path().filename().string());
  EXPECT_EQ(names, (std::set<std::string>{"busy.db", "races.db", "ranged.db"}));

  EXPECT_EQ(cli.Run("export-sqlite", Quote(dbFile) + " --from 2024-13-45"), 2);
  EXPECT_EQ(cli.Run("export-sqlite", "--from 20240421"), 2);
  EXPECT_EQ(cli.Run("export-sqlite", Quote(dbFile) + " --from 20240421 --to 20240420"), 2);

  // The store is read and nothing else.
  EXPECT_TRUE(storeFiles() == store);

  // A damaged payout file: its payouts are missing, the rest is exported, and the user is told
  // which file and that the command did not get everything (exit code 1).
  const fs::path hr = LocateProgramFolders(cli.prog).data / "2024年04月20日.jvHR";
  ASSERT_TRUE(fs::exists(hr));
  { std::ofstream(hr, std::ios::app) << "broken"; }
  EXPECT_EQ(cli.Run("export-sqlite", Quote(ranged) + " --from 20240420 --to 20240420"), 1);
  EXPECT_NE(cli.Err().find("2024年04月20日.jvHR"), std::string::npos) << cli.Err();
  const Db db(ranged);
  EXPECT_EQ(db.Count("SELECT COUNT(*) FROM payouts"), 0);
  EXPECT_GT(db.Count("SELECT COUNT(*) FROM runners"), 0);
}
