#pragma once
// The store as a SQLite database: every stored race, runner, payout, odds line, past run and
// analysis result decoded by the program's own readers into tables for SQL, pandas and DuckDB
// users.
//
//   races       one row per RA record of the day files         key race_key
//   runners     one row per SE record of the entry files       key race_key, horse_no
//   payouts     one row per paid combination and bet type      key race_key, bet_type, seq
//   final_odds  one row per combination and bet type           key race_key, bet_type, first, second, third
//   past_runs   one row per line of every past-run file        key horse_id, race_key
//   analyses    one row per line of every prediction file      key horse_id, race_key
//   bet_types   the eight bet-type codes with their captions   key code
//
// Texts are UTF-8 without their padding; whole-unit quantities are INTEGERs in the unit they are
// stored in (yen, tenths of a second, tenths of a kilogram, odds in tenths); a field that holds
// nothing (blank, or zero where zero means "none") is NULL.
//
// The store is only read. The database is written into a temporary file beside the target, in
// one transaction with prepared statements, and then put in the target's place atomically: an
// interrupted or failed export leaves the previous database (or none) under the target's name,
// never a half-written one.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/Files.h"

namespace kv {

struct SqliteExportOptions {
  // Race days (and past runs and analyses of races) from fromDate to toDate, both yyyymmdd and
  // inclusive.
  int fromDate = 0;
  int toDate = 99999999;
  // Called as the work goes on: the step (UTF-8, "days" or "horses"), done and total.
  std::function<void(const std::string& step, int done, int total)> progress;
};

struct SqliteExportCounts {
  std::int64_t races = 0, runners = 0, payouts = 0, finalOdds = 0, pastRuns = 0, analyses = 0;
  int days = 0, horses = 0;
};

struct SqliteExportResult {
  bool ok = false;            // the database was written and is in place
  std::string error;          // UTF-8: why not, when !ok
  // UTF-8, one per stored file that could not be read (damaged or unreadable) and whose records
  // are therefore missing from the database, and per line left out (a repeated key).
  std::vector<std::string> skipped;
  SqliteExportCounts counts;
};

// Exports the store of the program folder programDir into the SQLite database file.
SqliteExportResult ExportSqlite(const fs::path& programDir, const fs::path& file, const SqliteExportOptions& options);

}  // namespace kv
