#include "SqliteExport.h"

#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <memory>
#include <stdexcept>
#include <string_view>
#include <system_error>
#include <vector>

#include "app/ProgramFolders.h"
#include "compare/PastRunFile.h"
#include "compare/PredictionFile.h"
#include "jvlink/DayFileStore.h"
#include "jvlink/JVData_Structure.h"
#include "jvlink/RecordFile.h"
#include "model/RaceDayModel.h"
#include "odds/OddsLoader.h"
#include "text/Cp932.h"
#include "text/Field.h"
#include "text/Format.h"
#include "vocab/Combination.h"
#include "vocab/KeibaFunc.h"

namespace kv {

namespace {

// ---- the schema --------------------------------------------------------------------------------

constexpr const char* kSchema = R"sql(
CREATE TABLE bet_types(
  code TEXT PRIMARY KEY, seq INTEGER NOT NULL, caption TEXT NOT NULL);
CREATE TABLE races(
  race_key TEXT PRIMARY KEY, date TEXT NOT NULL, venue_code TEXT NOT NULL, venue TEXT,
  meeting INTEGER, meeting_day INTEGER, race_no INTEGER NOT NULL, weekday TEXT,
  race_name TEXT, race_name_short TEXT, running_no INTEGER, grade TEXT, race_kind TEXT,
  race_symbol TEXT, weight_rule TEXT, condition TEXT, distance INTEGER, track_code TEXT,
  track TEXT, turf_going TEXT, dirt_going TEXT, weather TEXT, post_time TEXT,
  entered INTEGER, starters INTEGER, finishers INTEGER, first_prize_100yen INTEGER);
CREATE TABLE runners(
  race_key TEXT NOT NULL, horse_no INTEGER NOT NULL, frame INTEGER, horse_id TEXT,
  horse_name TEXT, sex TEXT, age INTEGER, trainer TEXT, jockey TEXT, weight INTEGER,
  apprentice TEXT, blinker INTEGER, body_weight INTEGER, body_weight_diff INTEGER,
  abnormal_code INTEGER, arrival INTEGER, finish INTEGER, time INTEGER,
  corner1 INTEGER, corner2 INTEGER, corner3 INTEGER, corner4 INTEGER,
  last4f INTEGER, last3f INTEGER, win_odds INTEGER, popularity INTEGER,
  prize_100yen INTEGER, added_prize_100yen INTEGER,
  PRIMARY KEY(race_key, horse_no));
CREATE TABLE payouts(
  race_key TEXT NOT NULL, bet_type TEXT NOT NULL, seq INTEGER NOT NULL, combination TEXT NOT NULL,
  first INTEGER, second INTEGER, third INTEGER, payout INTEGER, popularity INTEGER,
  PRIMARY KEY(race_key, bet_type, seq)) WITHOUT ROWID;
CREATE TABLE final_odds(
  race_key TEXT NOT NULL, bet_type TEXT NOT NULL, combination TEXT NOT NULL,
  first INTEGER, second INTEGER, third INTEGER, odds INTEGER, odds_max INTEGER, popularity INTEGER,
  PRIMARY KEY(race_key, bet_type, combination)) WITHOUT ROWID;
CREATE TABLE past_runs(
  horse_id TEXT NOT NULL, race_key TEXT NOT NULL, date TEXT, venue_code TEXT, venue TEXT,
  race_no INTEGER, race_name_short TEXT, grade TEXT, condition TEXT, distance INTEGER,
  track_code TEXT, track TEXT, turf_going TEXT, dirt_going TEXT, weather TEXT,
  entered INTEGER, starters INTEGER, horse_no INTEGER, frame INTEGER, horse_name TEXT,
  sex TEXT, age INTEGER, jockey TEXT, trainer TEXT, weight INTEGER, body_weight INTEGER,
  corner1 INTEGER, corner2 INTEGER, corner3 INTEGER, corner4 INTEGER, last3f INTEGER,
  time INTEGER, finish INTEGER, popularity INTEGER, win_odds INTEGER,
  prize_100yen INTEGER, added_prize_100yen INTEGER,
  PRIMARY KEY(horse_id, race_key));
CREATE TABLE analyses(
  horse_id TEXT NOT NULL, race_key TEXT NOT NULL, wins INTEGER, losses INTEGER, win_rate REAL,
  win_rate_rank INTEGER, point_wins INTEGER, point_losses INTEGER, point_win_rate REAL,
  point_win_rate_rank INTEGER,
  PRIMARY KEY(horse_id, race_key));
CREATE VIEW final_odds_real AS
  SELECT race_key, bet_type, combination, first, second, third, odds / 10.0 AS odds,
         odds_max / 10.0 AS odds_max, popularity FROM final_odds;
)sql";

// Secondary indexes, made after the rows are in (faster than keeping them up to date per row).
constexpr const char* kIndexes = R"sql(
CREATE INDEX races_date ON races(date);
CREATE INDEX runners_horse_id ON runners(horse_id);
CREATE INDEX past_runs_race_key ON past_runs(race_key);
CREATE INDEX analyses_race_key ON analyses(race_key);
)sql";

// Bet types in the program's order (the order of the payout groups and of the results tab).
struct BetType {
  const char* code;
  const char* caption;  // UTF-8
};
constexpr std::array<BetType, 8> kBetTypes = {{{"win", "単勝"},
                                               {"place", "複勝"},
                                               {"bracket_quinella", "枠連"},
                                               {"quinella", "馬連"},
                                               {"wide", "ワイド"},
                                               {"exacta", "馬単"},
                                               {"trio", "３連複"},
                                               {"trifecta", "３連単"}}};

// ---- SQLite --------------------------------------------------------------------------------------

struct SqlError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

class Database {
 public:
  explicit Database(const fs::path& path) {
    const std::u8string name = path.u8string();
    const int rc = sqlite3_open_v2(reinterpret_cast<const char*>(name.c_str()), &db_,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
      const std::string why = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc);
      sqlite3_close(db_);
      db_ = nullptr;
      throw SqlError("cannot create " + PathToUtf8(path) + ": " + why);
    }
  }
  ~Database() { Close(); }
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;

  sqlite3* get() const { return db_; }
  void Exec(const char* sql) {
    char* msg = nullptr;
    if (sqlite3_exec(db_, sql, nullptr, nullptr, &msg) != SQLITE_OK) {
      std::string why = msg ? msg : "?";
      sqlite3_free(msg);
      throw SqlError(why);
    }
  }
  // Closes the database; false when SQLite could not finish the file.
  bool Close() {
    const bool ok = !db_ || sqlite3_close(db_) == SQLITE_OK;
    db_ = nullptr;
    return ok;
  }

 private:
  sqlite3* db_ = nullptr;
};

// A prepared INSERT whose values are bound one after the other, then run.
class Insert {
 public:
  Insert(Database& db, const char* sql) : db_(db) {
    if (sqlite3_prepare_v3(db.get(), sql, -1, SQLITE_PREPARE_PERSISTENT, &stmt_, nullptr) != SQLITE_OK)
      throw SqlError(sqlite3_errmsg(db.get()));
  }
  ~Insert() { sqlite3_finalize(stmt_); }
  Insert(const Insert&) = delete;
  Insert& operator=(const Insert&) = delete;

  Insert& Int(std::int64_t v) {
    sqlite3_bind_int64(stmt_, ++col_, v);
    return *this;
  }
  // NULL when v is 0 (fields where 0 means "none").
  Insert& IntOrNull(std::int64_t v) { return v == 0 ? Null() : Int(v); }
  // Text that stays unchanged until the row is run (literals, cached texts): not copied.
  Insert& Static(std::string_view s) {
    sqlite3_bind_text(stmt_, ++col_, s.data(), static_cast<int>(s.size()), SQLITE_STATIC);
    return *this;
  }
  Insert& Real(double v) {
    sqlite3_bind_double(stmt_, ++col_, v);
    return *this;
  }
  Insert& Text(const std::string& utf8) {
    sqlite3_bind_text(stmt_, ++col_, utf8.data(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
    return *this;
  }
  // An ASCII field as it stands (codes, keys); NULL when blank.
  Insert& Code(std::string_view ascii) {
    const std::string_view t = Trim(ascii);
    if (t.empty()) return Null();
    sqlite3_bind_text(stmt_, ++col_, t.data(), static_cast<int>(t.size()), SQLITE_TRANSIENT);
    return *this;
  }
  // A CP932 text in UTF-8 without its padding; NULL when it holds nothing.
  Insert& Cp932(std::string_view cp932);
  Insert& Null() {
    sqlite3_bind_null(stmt_, ++col_);
    return *this;
  }
  // Runs the insert. False when the row breaks a key (it is not inserted); any other failure throws.
  bool Run() {
    const int rc = sqlite3_step(stmt_);
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
    col_ = 0;
    if (rc == SQLITE_DONE) return true;
    if (rc == SQLITE_CONSTRAINT) return false;
    throw SqlError(sqlite3_errmsg(db_.get()));
  }

 private:
  Database& db_;
  sqlite3_stmt* stmt_ = nullptr;
  int col_ = 0;
};

// UTF-8 of a CP932 field without the half- and full-width blanks around it.
std::string Utf8Text(std::string_view cp932) {
  std::string s = ToUtf8(Trim(cp932));
  static constexpr std::string_view kFullBlank = "\xE3\x80\x80";  // U+3000
  size_t begin = 0, end = s.size();
  while (end - begin >= 3 && std::string_view(s).substr(end - 3, 3) == kFullBlank) end -= 3;
  while (end - begin >= 3 && std::string_view(s).substr(begin, 3) == kFullBlank) begin += 3;
  while (end > begin && s[end - 1] == ' ') --end;
  while (end > begin && s[begin] == ' ') ++begin;
  return s.substr(begin, end - begin);
}

Insert& Insert::Cp932(std::string_view cp932) {
  std::string t = Utf8Text(cp932);
  return t.empty() ? Null() : Text(t);
}

// ---- values --------------------------------------------------------------------------------------

// "yyyy-mm-dd" of a text starting with "yyyymmdd".
std::string IsoDate(std::string_view yyyymmdd) {
  const std::string_view d = Fld(yyyymmdd, 1, 8);
  if (d.size() < 8) return std::string(d);
  return std::string(d.substr(0, 4)) + "-" + std::string(d.substr(4, 2)) + "-" + std::string(d.substr(6, 2));
}

// "hh:mm" of a "hhmm" field; empty when blank.
std::string ClockTime(std::string_view hhmm) {
  if (IsBlank(hhmm) || hhmm.size() < 4) return {};
  return std::string(hhmm.substr(0, 2)) + ":" + std::string(hhmm.substr(2, 2));
}

// Odds in tenths from an odds-table value (the marker values are handled by the caller).
std::int64_t Tenths(double odds) { return std::llround(odds * 10.0); }

// The numbers of a payout combination text (" 3-12", " 1- 5-12").
std::array<int, 3> ComboNumbers(std::string_view text) {
  std::array<int, 3> n{};
  size_t start = 0;
  for (int& number : n) {
    const size_t dash = std::min(text.find('-', start), text.size());
    number = ParseInt(text.substr(start, dash - start));
    if (dash == text.size()) break;
    start = dash + 1;
  }
  return n;
}

std::string ComboKey(int a, int b = 0, int c = 0) {
  std::string s = std::to_string(a);
  if (b > 0) s += "-" + std::to_string(b);
  if (c > 0) s += "-" + std::to_string(c);
  return s;
}

// The texts of every combination of a kind by number - 1 ("1-2"), built once: the odds rows
// name millions of them.
const std::vector<std::string>& ComboKeys(ComboKind kind) {
  static const auto keys = [] {
    std::array<std::vector<std::string>, 5> all;
    for (ComboKind k : {ComboKind::Bracket, ComboKind::Quinella, ComboKind::Exacta, ComboKind::Trio,
                        ComboKind::Trifecta})
      for (int no = 1; no <= ComboCount(k); ++no) {
        const Combo c = ComboOf(k, no);
        all[static_cast<size_t>(k)].push_back(ComboKey(c.first, c.second, c.third));
      }
    return all;
  }();
  return keys[static_cast<size_t>(kind)];
}

// Horse numbers as combination texts, "1".."18".
const std::string& HorseKey(int horse) {
  static const auto keys = [] {
    std::array<std::string, kMaxRunners + 1> all;
    for (int h = 0; h <= kMaxRunners; ++h) all[static_cast<size_t>(h)] = std::to_string(h);
    return all;
  }();
  return keys[static_cast<size_t>(std::clamp(horse, 0, kMaxRunners))];
}

// A JV-Data time "msst" as tenths of a second (the past-run reader's rule); NULL for none.
Insert& TimeColumn(Insert& ins, std::string_view t4) { return ins.IntOrNull(IsBlank(t4) ? 0 : TimeTenths(t4)); }

// Lower-case extension of a file name.
std::string LowerExtension(const fs::path& p) {
  std::string e = PathToUtf8(p.extension());
  std::transform(e.begin(), e.end(), e.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return e;
}

// ---- the export ----------------------------------------------------------------------------------

// The files of one stored day, found by one scan of the day folder.
struct DayFiles {
  fs::path race, payout;
  std::array<fs::path, 6> odds;
  std::vector<fs::path> entries;
};

class Exporter {
 public:
  Exporter(Database& db, const fs::path& prog, const SqliteExportOptions& options, SqliteExportResult& result)
      : db_(db), prog_(prog), options_(options), result_(result),
        races_(db, "INSERT INTO races VALUES(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)"),
        runners_(db, "INSERT INTO runners VALUES(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)"),
        payouts_(db, "INSERT INTO payouts VALUES(?,?,?,?,?,?,?,?,?)"),
        odds_(db, "INSERT INTO final_odds VALUES(?,?,?,?,?,?,?,?,?)"),
        pastRuns_(db,
                  "INSERT INTO past_runs VALUES(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,"
                  "?,?)"),
        analyses_(db, "INSERT INTO analyses VALUES(?,?,?,?,?,?,?,?,?,?)"),
        analysis_(std::make_unique<TRaceAnalysis>()), out_(std::make_unique<TOutData>()) {}

  void Run() {
    Insert betTypes(db_, "INSERT INTO bet_types VALUES(?,?,?)");
    for (size_t t = 0; t < kBetTypes.size(); ++t)
      betTypes.Text(kBetTypes[t].code).Int(static_cast<int>(t) + 1).Text(kBetTypes[t].caption).Run();
    ExportDays();
    ExportHorses();
  }

 private:
  bool InRange(int yyyymmdd) const { return yyyymmdd >= options_.fromDate && yyyymmdd <= options_.toDate; }

  void Progress(const char* step, int done, int total) {
    if (options_.progress) options_.progress(step, done, total);
  }

  // A stored file, framing checked; a damaged or unreadable one is named in the result and gives
  // no record.
  RecordFile Read(const fs::path& path, std::string_view type) {
    RecordFile f = RecordFile::ReadType(path, type);
    if (!f.ok() && !f.missing()) result_.skipped.push_back(ToUtf8(f.error()));
    return f;
  }

  void ExportDays() {
    const ProgramFolders folders = LocateProgramFolders(prog_);
    // Every day file by the UTF-8 day name its name starts with (17 bytes: "yyyy年mm月dd日").
    std::map<std::string, DayFiles> byDay;
    std::error_code ec;
    for (fs::directory_iterator it(folders.data, ec), end; !ec && it != end; it.increment(ec)) {
      std::error_code fec;
      if (!it->is_regular_file(fec)) continue;
      const std::string name = PathToUtf8(it->path().filename());
      const std::string ext = LowerExtension(it->path());
      if (name.size() < 17) continue;
      DayFiles& d = byDay[name.substr(0, 17)];
      if (ext == ".jvra" && name.size() == 17 + 5)
        d.race = it->path();
      else if (ext == ".jvhr" && name.size() == 17 + 5)
        d.payout = it->path();
      else if (ext == ".jvser")
        d.entries.push_back(it->path());
      else if (ext.size() == 5 && ext.starts_with(".jvo") && ext[4] >= '1' && ext[4] <= '6' && name.size() == 17 + 5)
        d.odds[static_cast<size_t>(ext[4] - '1')] = it->path();
    }

    std::vector<std::pair<std::string, const DayFiles*>> days;  // CP932 day name, files
    for (const auto& [utf8Day, files] : byDay) {
      const std::string dayName = ToCp932(utf8Day);
      const std::string digits = DateOfDayName(dayName);
      const int date = IsDigits(digits) && digits.size() == 8 ? ParseInt(digits) : 0;
      if (date > 0 && InRange(date)) days.emplace_back(dayName, &files);
    }
    std::sort(days.begin(), days.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    int done = 0;
    for (const auto& [dayName, files] : days) {
      ExportDay(*files);
      ++result_.counts.days;
      Progress("days", ++done, static_cast<int>(days.size()));
    }
  }

  void ExportDay(const DayFiles& files) {
    // Registered runners by race key: what the odds tables are read for.
    std::map<std::string, int, std::less<>> entered;
    if (!files.race.empty()) {
      const RecordFile ra = Read(files.race, "RA");
      for (size_t n = 0; n < ra.size(); ++n) {
        const std::string_view rec = ra.Line(n);
        if (IsEmptyRaceRecord(rec)) continue;
        entered[std::string(RaceKey(rec))] = std::clamp(FldInt(rec, kRA_Entered), 0, kMaxRunners);
        AddRace(rec);
      }
    }
    std::vector<fs::path> entries = files.entries;
    std::sort(entries.begin(), entries.end());
    for (const fs::path& p : entries) {
      const RecordFile se = Read(p, "SE");
      for (size_t n = 0; n < se.size(); ++n)
        if (!IsBlank(se.Line(n))) AddRunner(se.Line(n), p);
    }
    if (!files.payout.empty()) {
      const RecordFile hr = Read(files.payout, "HR");
      for (size_t n = 0; n < hr.size(); ++n)
        if (!IsBlank(hr.Line(n))) AddPayouts(hr.Line(n));
    }

    // The odds records of each race, by race key, then each race's tables at once.
    std::array<RecordFile, 6> odds;
    std::map<std::string_view, std::array<std::string_view, 6>> byRace;
    for (int t = 0; t < 6; ++t) {
      const fs::path& p = files.odds[static_cast<size_t>(t)];
      if (p.empty()) continue;
      RecordFile& f = odds[static_cast<size_t>(t)] = Read(p, "O" + std::to_string(t + 1));
      for (size_t n = 0; n < f.size(); ++n) {
        const std::string_view rec = f.Line(n);
        if (IsBlank(rec)) continue;
        auto& slot = byRace[RaceKey(rec)][static_cast<size_t>(t)];
        if (slot.empty()) slot = rec;  // the first record of a race counts, as for the loader
      }
    }
    for (const auto& [key, records] : byRace) {
      const auto it = entered.find(key);
      const int runners = it != entered.end() ? it->second : std::clamp(FldInt(records[0], kO_Entered), 0, kMaxRunners);
      AddOdds(key, runners, records);
    }
  }

  void AddRace(std::string_view ra) {
    races_.Code(RaceKey(ra))
        .Text(IsoDate(Fld(ra, kHdr_Date)))
        .Code(Fld(ra, kHdr_Venue))
        .Cp932(VenueName(Fld(ra, kHdr_Venue)))
        .Int(FldInt(ra, kHdr_Meeting))
        .Int(FldInt(ra, kHdr_MeetingDay))
        .Int(FldInt(ra, kHdr_RaceNum))
        .Cp932(WeekdayName(Fld(ra, kRA_Weekday)))
        .Cp932(Fld(ra, kRA_RaceName))
        .Cp932(Fld(ra, kRA_RaceNameShort6))
        .IntOrNull(FldInt(ra, kRA_RunningNum))
        .Cp932(GradeName(Fld(ra, kRA_Grade)))
        .Cp932(RaceKindName(Fld(ra, kRA_RaceKind)))
        .Cp932(RaceSymbolName(Fld(ra, kRA_RaceSymbol)))
        .Cp932(WeightRuleName(Fld(ra, kRA_WeightRule)))
        .Cp932(RaceConditionName(Fld(ra, kRA_CondYoungest)))
        .IntOrNull(FldInt(ra, kRA_Distance))
        .Code(Fld(ra, kRA_Track))
        .Cp932(TrackName(Fld(ra, kRA_Track)))
        .Cp932(GoingName(Fld(ra, kRA_TurfGoing)))
        .Cp932(GoingName(Fld(ra, kRA_DirtGoing)))
        .Cp932(WeatherName(Fld(ra, kRA_Weather)));
    const std::string post = ClockTime(Fld(ra, kRA_PostTime));
    (post.empty() ? races_.Null() : races_.Text(post))
        .Int(FldInt(ra, kRA_Entered))
        .Int(FldInt(ra, kRA_Starters))
        .Int(FldInt(ra, kRA_Finishers))
        .Int(FldLong(ra, kRA_FirstPrize));
    Row(races_, "races", RaceKey(ra), result_.counts.races);
  }

  void AddRunner(std::string_view se, const fs::path& file) {
    const int sign = Fld(se, kSE_BodyWeightSign) == "-" ? -1 : 1;
    const std::string_view diff = Fld(se, kSE_BodyWeightDiff);
    runners_.Code(RaceKey(se))
        .Int(FldInt(se, kSE_HorseNum))
        .IntOrNull(FldInt(se, kSE_Frame))
        .Code(Fld(se, kSE_HorseId))
        .Cp932(Fld(se, kSE_HorseName))
        .Cp932(SexName(Fld(se, kSE_Sex)))
        .IntOrNull(FldInt(se, kSE_Age))
        .Cp932(Fld(se, kSE_Trainer))
        .Cp932(Fld(se, kSE_Jockey))
        .IntOrNull(FldInt(se, kSE_Weight))
        .Cp932(ApprenticeText(Fld(se, kSE_Apprentice)))
        .Int(Fld(se, kSE_Blinker) == "1" ? 1 : 0)
        .IntOrNull(FldInt(se, kSE_BodyWeight));
    (IsBlank(diff) ? runners_.Null() : runners_.Int(sign * ParseInt(diff)))
        .Int(FldInt(se, kSE_Abnormal))
        .IntOrNull(FldInt(se, kSE_Arrival))
        .IntOrNull(FldInt(se, kSE_Finish));
    TimeColumn(runners_, Fld(se, kSE_Time));
    for (int c = 0; c < kSE_CornerCount; ++c) runners_.IntOrNull(FldInt(se, kSE_Corner.At(c)));
    runners_.IntOrNull(FldInt(se, kSE_Last4F))
        .IntOrNull(FldInt(se, kSE_Last3F))
        .IntOrNull(FldInt(se, kSE_WinOdds))
        .IntOrNull(FldInt(se, kSE_Popularity))
        .Int(FldLong(se, kSE_Prize))
        .Int(FldLong(se, kSE_AddedPrize));
    if (!runners_.Run())
      result_.skipped.push_back(PathForUser(file) + ": " + std::string(RaceKey(se)) + " horse " +
                                std::to_string(FldInt(se, kSE_HorseNum)) + " is stored twice; the first is kept");
    else
      ++result_.counts.runners;
  }

  void AddPayouts(std::string_view hr) {
    TRaceAnalysis& a = *analysis_;
    ReadPayoutFields(a, hr);
    const std::string key(RaceKey(hr));
    auto horses = [&](const char* type, const int* horse, const int* pop, const int* pay, int count) {
      for (int i = 0; i < count; ++i)
        if (horse[i] != 0) AddPayout(key, type, i + 1, {horse[i], 0, 0}, pay[i], pop[i]);
    };
    auto combos = [&](const char* type, const auto* combo, const int* pop, const int* pay, int count) {
      for (int i = 0; i < count; ++i)
        if (!IsBlank(combo[i].View())) AddPayout(key, type, i + 1, ComboNumbers(combo[i].View()), pay[i], pop[i]);
    };
    horses("win", a.WinHorse, a.WinPop, a.WinPay, 3);
    horses("place", a.PlaceHorse, a.PlacePop, a.PlacePay, 5);
    combos("bracket_quinella", a.BracketQuinellaCombo, a.BracketQuinellaPop, a.BracketQuinellaPay, 3);
    combos("quinella", a.QuinellaCombo, a.QuinellaPop, a.QuinellaPay, 3);
    combos("wide", a.WideCombo, a.WidePop, a.WidePay, 7);
    combos("exacta", a.ExactaCombo, a.ExactaPop, a.ExactaPay, 6);
    combos("trio", a.TrioCombo, a.TrioPop, a.TrioPay, 3);
    combos("trifecta", a.TrifectaCombo, a.TrifectaPop, a.TrifectaPay, 6);
  }

  void AddPayout(const std::string& key, const char* type, int seq, std::array<int, 3> n, int pay, int pop) {
    payouts_.Text(key)
        .Text(type)
        .Int(seq)
        .Text(ComboKey(n[0], n[1], n[2]))
        .Int(n[0])
        .IntOrNull(n[1])
        .IntOrNull(n[2])
        .Int(pay)
        .IntOrNull(pop);
    Row(payouts_, "payouts", key, result_.counts.payouts);
  }

  void AddOdds(std::string_view key, int runners, const std::array<std::string_view, 6>& records) {
    TOutData& o = *out_;
    BuildOddsTables(o, runners, records);
    const std::string k(key);
    // One row per combination with odds or cancelled; a blank field (no such horse or
    // combination) and a type without a record give none.
    auto row = [&](const char* type, bool have, double odds, double oddsMax, int pop, const std::string& combo,
                   const Combo& c) {
      if (!have || odds == kOddsNone || odds == 0.0) return;
      odds_.Static(k).Static(type).Static(combo).Int(c.first).IntOrNull(c.second).IntOrNull(c.third);
      if (odds == kOddsCancelled) {
        odds_.Null().Null().Null();
      } else {
        odds_.Int(Tenths(odds));
        (oddsMax > 0 ? odds_.Int(Tenths(oddsMax)) : odds_.Null()).IntOrNull(pop);
      }
      Row(odds_, "final_odds", key, result_.counts.finalOdds);
    };
    auto combos = [&](const char* type, bool have, ComboKind kind, const double* odds, const int* pop,
                      const double* oddsMax) {
      if (!have) return;
      const std::vector<std::string>& texts = ComboKeys(kind);
      for (int i = 0; i < static_cast<int>(texts.size()); ++i)
        row(type, true, odds[i], oddsMax ? oddsMax[i] : 0.0, pop[i], texts[static_cast<size_t>(i)],
            ComboOf(kind, i + 1));
    };
    const bool o1 = !records[0].empty();
    for (int h = 0; h < runners; ++h) row("win", o1, o.WinOdds[h], 0.0, o.WinPopularity[h], HorseKey(h + 1), {h + 1});
    for (int h = 0; h < runners; ++h)
      row("place", o1, o.PlaceOddsMin[h], o.PlaceOddsMax[h], o.PlacePopularityMin[h], HorseKey(h + 1), {h + 1});
    combos("bracket_quinella", o1, ComboKind::Bracket, o.BracketOdds, o.BracketPopularity, nullptr);
    combos("quinella", !records[1].empty(), ComboKind::Quinella, o.QuinellaOdds, o.QuinellaPopularity, nullptr);
    // The wide odds table holds the lower bound; the upper bound is read with the same rule.
    std::array<double, kWideCombos> wideMax{};
    if (!records[2].empty())
      for (int i = 0; i < kWideCombos; ++i) wideMax[static_cast<size_t>(i)] = OddsFieldValue(Fld(records[2], kO3_WideOddsMax.At(i)));
    combos("wide", !records[2].empty(), ComboKind::Quinella, o.WideOdds, o.WidePopularity, wideMax.data());
    combos("exacta", !records[3].empty(), ComboKind::Exacta, o.ExactaOdds, o.ExactaPopularity, nullptr);
    combos("trio", !records[4].empty(), ComboKind::Trio, o.TrioOdds, o.TrioPopularity, nullptr);
    combos("trifecta", !records[5].empty(), ComboKind::Trifecta, o.TrifectaOdds, o.TrifectaPopularity, nullptr);
  }

  // Runs a row's insert; a row whose key is taken already is left out and named.
  void Row(Insert& ins, const char* table, std::string_view key, std::int64_t& count) {
    if (ins.Run())
      ++count;
    else
      result_.skipped.push_back(std::string(table) + ": " + std::string(key) + " is stored twice; the first is kept");
  }

  static std::string PathForUser(const fs::path& p) { return ToUtf8(PathForMessage(p)); }

  // ---- past-run and prediction files ----

  void ExportHorses() {
    const ProgramFolders folders = LocateProgramFolders(prog_);
    std::vector<fs::path> files;
    std::error_code ec;
    for (fs::recursive_directory_iterator it(folders.sei, ec), end; !ec && it != end; it.increment(ec)) {
      std::error_code fec;
      if (!it->is_regular_file(fec)) continue;
      const std::string ext = LowerExtension(it->path());
      if ((ext == ".kak" || ext == ".yos") && IsHorseId(PathToUtf8(it->path().stem()))) files.push_back(it->path());
    }
    std::sort(files.begin(), files.end());
    int done = 0;
    std::string previous;
    for (const fs::path& p : files) {
      const std::string id = PathToUtf8(p.stem());
      if (id != previous) ++result_.counts.horses;
      previous = id;
      if (LowerExtension(p) == ".kak")
        AddPastRuns(p, id);
      else
        AddAnalyses(p, id);
      Progress("horse files", ++done, static_cast<int>(files.size()));
    }
  }

  void AddPastRuns(const fs::path& path, const std::string& id) {
    const RecordFile f = ReadPastRunRecords(path);
    if (!f.ok() && !f.missing()) result_.skipped.push_back(ToUtf8(f.error()));
    for (size_t n = 0; n < f.size(); ++n) {
      const std::string_view l = f.Line(n);
      if (!InRange(PastRunDate(l))) continue;
      const std::string_view venue = Fld(l, kak::kVenue, 2);
      pastRuns_.Text(id)
          .Code(Fld(l, kak::kRaceKey, kak::kRaceKeyLen))
          .Text(IsoDate(Fld(l, kak::kDate, kak::kDateLen)))
          .Code(venue)
          .Cp932(VenueName(venue))
          .Int(FldInt(l, kak::kRaceNo, 2))
          .Cp932(Fld(l, kak::kShortName, kak::kShortNameLen))
          .Cp932(GradeName(Fld(l, kak::kGrade, 1)))
          .Cp932(RaceConditionName(Fld(l, kak::kCondition, kak::kConditionLen)))
          .IntOrNull(FldInt(l, kak::kDistance, kak::kDistanceLen))
          .Code(Fld(l, kak::kTrack, kak::kTrackLen))
          .Cp932(TrackName(Fld(l, kak::kTrack, kak::kTrackLen)))
          .Cp932(GoingName(Fld(l, kak::kTurfGoing, 1)))
          .Cp932(GoingName(Fld(l, kak::kDirtGoing, 1)))
          .Cp932(WeatherName(Fld(l, kak::kWeather, 1)))
          .IntOrNull(FldInt(l, kak::kRunners, kak::kRunnersLen))
          .IntOrNull(FldInt(l, kak::kStarters, 2))
          .IntOrNull(FldInt(l, kak::kHorseNo, kak::kHorseNoLen))
          .IntOrNull(FldInt(l, kak::kFrame, 1))
          .Cp932(Fld(l, kak::kName, kak::kNameLen))
          .Cp932(SexName(Fld(l, kak::kSex, 1)))
          .IntOrNull(FldInt(l, kak::kAge, kak::kAgeLen))
          .Cp932(Fld(l, kak::kJockey, kak::kJockeyLen))
          .Cp932(Fld(l, kak::kTrainer, kak::kTrainerLen))
          .IntOrNull(FldInt(l, kak::kWeight, kak::kWeightLen))
          .IntOrNull(FldInt(l, kak::kBodyWeight, kak::kBodyWeightLen));
      for (int c = 0; c < 4; ++c) pastRuns_.IntOrNull(FldInt(l, kak::kCorner + c * kak::kCornerLen, kak::kCornerLen));
      pastRuns_.IntOrNull(FldInt(l, kak::kLast3F, kak::kLast3FLen));
      TimeColumn(pastRuns_, Fld(l, kak::kTime, kak::kTimeLen));
      pastRuns_.IntOrNull(FldInt(l, kak::kFinal, kak::kFinalLen))
          .IntOrNull(FldInt(l, kak::kPopularity, kak::kPopularityLen))
          .IntOrNull(FldInt(l, kak::kWinOdds, kak::kWinOddsLen))
          .Int(FldLong(l, kak::kPrize, kak::kPrizeLen))
          .Int(FldLong(l, kak::kAddedPrize, kak::kPrizeLen));
      if (pastRuns_.Run())
        ++result_.counts.pastRuns;
      else
        result_.skipped.push_back(PathForUser(path) + ": line " + std::to_string(n + 1) + " repeats race " +
                                  std::string(Fld(l, kak::kRaceKey, kak::kRaceKeyLen)) + "; the first is kept");
    }
  }

  void AddAnalyses(const fs::path& path, const std::string& id) {
    const RecordFile f = ReadPredictionRecords(path);
    if (!f.ok() && !f.missing()) result_.skipped.push_back(ToUtf8(f.error()));
    for (size_t n = 0; n < f.size(); ++n) {
      const PredictionFigures p = ReadPredictionLine(f.Line(n));
      if (!InRange(ParseInt(Fld(p.raceKey, 1, 8)))) continue;
      analyses_.Text(id).Code(p.raceKey).Int(p.wins).Int(p.losses);
      (p.winRate < 0 ? analyses_.Null() : analyses_.Real(p.winRate)).IntOrNull(p.winRateRank);
      analyses_.Int(p.pointWins).Int(p.pointLosses);
      (p.pointWinRate < 0 ? analyses_.Null() : analyses_.Real(p.pointWinRate)).IntOrNull(p.pointWinRateRank);
      if (analyses_.Run())
        ++result_.counts.analyses;
      else
        result_.skipped.push_back(PathForUser(path) + ": line " + std::to_string(n + 1) + " repeats race " +
                                  std::string(p.raceKey) + "; the first is kept");
    }
  }

  Database& db_;
  fs::path prog_;
  const SqliteExportOptions& options_;
  SqliteExportResult& result_;
  Insert races_, runners_, payouts_, odds_, pastRuns_, analyses_;
  std::unique_ptr<TRaceAnalysis> analysis_;
  std::unique_ptr<TOutData> out_;
};

}  // namespace

SqliteExportResult ExportSqlite(const fs::path& programDir, const fs::path& file, const SqliteExportOptions& options) {
  SqliteExportResult result;
  const fs::path temp = TempFileBeside(file);
  std::error_code ec;
  try {
    Database db(temp);
    // The file is new and only this export writes it: no rollback journal and no syncing per
    // page; it is flushed once, whole, before it takes the target's place.
    db.Exec("PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; PRAGMA locking_mode=EXCLUSIVE;"
            "PRAGMA cache_size=-65536;");
    db.Exec("BEGIN");
    db.Exec(kSchema);
    Exporter(db, programDir, options, result).Run();
    db.Exec(kIndexes);
    db.Exec("COMMIT");
    if (!db.Close()) throw SqlError("cannot finish " + PathToUtf8(temp));
  } catch (const std::exception& e) {
    fs::remove(temp, ec);
    result.error = "cannot write " + PathToUtf8(file) + ": " + e.what();
    return result;
  }
  if (FileResult replaced = ReplaceFileAtomic(temp, file); !replaced) {
    result.error = replaced.error;
    return result;
  }
  result.ok = true;
  return result;
}

}  // namespace kv
