// korvane2-cli odds / results / changes / live: the race day's real-time commands of the
// workbench from a terminal, over the JV-Link feed of the program folder.
//
//   odds DAY N                                   the N-th race's current odds, then its win/place table
//   results DAY                                  the day's results fetched and the payouts imported
//   changes DAY                                  the day's start-time changes fetched and applied
//   live DAY [--until HH:MM] [--speed N] [--clock HH:MM]
//                                                the timers run headless on the clock, one line per event
#include <chrono>
#include <memory>
#include <optional>
#include <ostream>
#include <thread>

#include "Cli.h"
#include "app/LocalClock.h"
#include "app/SimulatedClock.h"
#include "jvlink/DayFileStore.h"
#include "jvlink/JVData_Structure.h"
#include "odds/OddsLoader.h"
#include "text/Cp932.h"
#include "text/Field.h"
#include "text/Format.h"
#include "vocab/KeibaFunc.h"
#include "workbench/FeedJVLink.h"
#include "workbench/LiveDay.h"
#include "workbench/Workbench.h"

namespace kv::cli {

namespace {

// A workbench on the started program with the feed's JV-Link on `clock`, JV-Link initialised.
struct CliWorkbench {
  std::unique_ptr<JVLink> jv;
  std::unique_ptr<Workbench> wb;

  CliWorkbench(CliContext& ctx, Clock& clock) {
    jv = MakeFeedJVLink(ctx.program.settings, clock);
    wb = std::make_unique<Workbench>(ctx.program.folders.prog, ctx.ui, clock, *jv, ctx.desktop);
    StartedProgram started = ctx.program;
    started.problems.clear();  // told already when the program started
    wb->Start(std::move(started));
    wb->OnShown();
    wb->Live().SetEventSink([&ctx](const std::string& line) { ctx.out << ToUtf8(line) << std::endl; });
  }

  // Loads the day; false (after saying why on err) when it did not load.
  bool Load(CliContext& ctx, const std::string& dayName) {
    wb->LoadDay(dayName);
    if (!wb->RaceList().empty()) return true;
    ctx.err << "korvane2-cli: the day could not be loaded: " << ToUtf8(dayName) << '\n';
    return false;
  }
};

std::optional<int> ParseHhMm(const std::string& text) {
  if (text.size() != 5 || text[2] != ':' || !IsDigits(text.substr(0, 2)) || !IsDigits(text.substr(3, 2))) return {};
  const int h = ParseInt(text.substr(0, 2)), m = ParseInt(text.substr(3, 2));
  if (h > 23 || m > 59) return {};
  return h * 60 + m;
}

std::string OddsText(double v, const char* format) {
  if (v > 0) return Fmt(format, v);
  if (v == kOddsCancelled) return "取消";
  return "-";
}

void PrintWinPlaceTable(CliContext& ctx, const RaceDayModel& day, int slot, const std::string& raceItem) {
  const TOutData& out = day.OutData(slot);
  ctx.out << ToUtf8(raceItem) << '\t' << ToUtf8(out.OddsTime) << '\n';
  ctx.out << "馬番\t馬名\t単勝\t人気\t複勝\t人気\n";
  for (int k = 0; k < day.RunnerCount(slot); ++k) {
    const std::string_view se = day.Entry(slot, k);
    ctx.out << Fmt("%2d", k + 1) << '\t' << ToUtf8(Trim(RemoveFullBlanks(Fld(se, kSE_HorseName)))) << '\t'
            << OddsText(out.WinOdds[k], "%.1f") << '\t' << out.WinPopularity[k] << '\t'
            << OddsText(out.PlaceOddsMin[k], "%.1f") << '-' << OddsText(out.PlaceOddsMax[k], "%.1f") << '\t'
            << out.PlacePopularityMin[k] << '\n';
  }
}

}  // namespace

int CmdOdds(CliContext& ctx) {
  if (ctx.args.size() != 2 || !IsDigits(ctx.args[1])) return UsageError(ctx);
  const std::string dayName = DayArgument(ctx, ctx.args[0]);
  if (dayName.empty()) return kExitUsage;
  LocalClock clock;
  CliWorkbench c(ctx, clock);
  if (!c.Load(ctx, dayName)) return kExitFailed;
  const int n = ParseInt(ctx.args[1]);
  if (n < 1 || n > static_cast<int>(c.wb->RaceList().size()))
    return UsageError(ctx, "the day has " + std::to_string(c.wb->RaceList().size()) + " races; no race " + ctx.args[1]);
  c.wb->SelectRace(n - 1);
  const int slot = c.wb->RaceSlots()[static_cast<size_t>(n - 1)];
  const OddsFetchResult res = c.wb->Live().FetchRaceOdds(slot, OddsFetchMode::Manual);
  PrintWinPlaceTable(ctx, *c.wb->Day(), slot, c.wb->RaceList()[static_cast<size_t>(n - 1)]);
  return res.ok() ? kExitOk : kExitFailed;
}

int CmdResults(CliContext& ctx) {
  if (ctx.args.size() != 1) return UsageError(ctx);
  const std::string dayName = DayArgument(ctx, ctx.args[0]);
  if (dayName.empty()) return kExitUsage;
  LocalClock clock;
  CliWorkbench c(ctx, clock);
  if (!c.Load(ctx, dayName)) return kExitFailed;
  const ResultsFetchResult res = c.wb->Live().FetchResults();
  const RaceDayModel& day = *c.wb->Day();
  for (size_t i = 0; i < c.wb->RaceList().size(); ++i) {
    const TRaceAnalysis& a = day.RaceAnalysis(c.wb->RaceSlots()[i]);
    ctx.out << ToUtf8(c.wb->RaceList()[i]);
    if (a.WinHorse[0] > 0) ctx.out << "\t単勝 " << a.WinHorse[0] << "\t" << a.WinPay[0] << "円";
    ctx.out << '\n';
  }
  return res.ok() || res.openCode == -1 ? kExitOk : kExitFailed;
}

int CmdChanges(CliContext& ctx) {
  if (ctx.args.size() != 1) return UsageError(ctx);
  const std::string dayName = DayArgument(ctx, ctx.args[0]);
  if (dayName.empty()) return kExitUsage;
  LocalClock clock;
  CliWorkbench c(ctx, clock);
  if (!c.Load(ctx, dayName)) return kExitFailed;
  // Loading today's day has fetched and applied the changes already, as the window does.
  const ChangeFetchResult res = c.wb->Live().FetchChangeInfo();
  const RaceDayModel& day = *c.wb->Day();
  ctx.out << "レース\t発走\tｵｯｽﾞ取得\t再取得\n";
  for (size_t i = 0; i < c.wb->RaceList().size(); ++i) {
    const int r = c.wb->RaceSlots()[i];
    const std::string_view post = Fld(day.Race(r), kRA_PostTime);
    ctx.out << ToUtf8(c.wb->RaceList()[i]) << '\t' << ToUtf8(post.substr(0, 2)) << ':' << ToUtf8(post.substr(2, 2))
            << '\t' << day.OutData(r).OddsGetTime << '\t' << day.OutData(r).VoteTime << '\n';
  }
  return res.ok() || res.openCode == -1 ? kExitOk : kExitFailed;
}

int CmdLive(CliContext& ctx) {
  if (ctx.args.empty()) return UsageError(ctx);
  std::optional<int> until, start;
  double speed = 1.0;
  for (size_t i = 1; i < ctx.args.size(); ++i) {
    const std::string& a = ctx.args[i];
    const bool hasValue = i + 1 < ctx.args.size();
    if ((a == "--until" || a == "--clock") && hasValue) {
      const std::optional<int> t = ParseHhMm(ctx.args[++i]);
      if (!t) return UsageError(ctx, a + " needs a time of day as HH:MM");
      (a == "--until" ? until : start) = t;
    } else if (a == "--speed" && hasValue) {
      try {
        speed = std::stod(ctx.args[++i]);
      } catch (...) {
        speed = 0;
      }
      if (!(speed > 0)) return UsageError(ctx, "--speed needs a factor above 0");
    } else return UsageError(ctx);
  }
  const std::string dayName = DayArgument(ctx, ctx.args[0]);
  if (dayName.empty()) return kExitUsage;

  // The run steps its own clock through the day a second at a time, each step held back until
  // the computer's clock has advanced 1/speed of a second.
  LocalClock local;
  DateTime t = local.Now();
  t.msec = 0;
  if (start) {
    t.hour = *start / 60;
    t.minute = *start % 60;
    t.second = 0;
  }
  DateTime end = t;
  const int endMinutes = until ? *until : 18 * 60;
  end.hour = endMinutes / 60;
  end.minute = endMinutes % 60;
  end.second = 0;
  if (EpochMs(end) <= EpochMs(t)) return UsageError(ctx, "--until lies before the clock's start");
  ManualClock clock(t);
  ctx.out << Fmt("%02d:%02d:%02d", t.hour, t.minute, t.second) << " 開始 " << ToUtf8(dayName) << " ×" << speed
          << std::endl;
  CliWorkbench c(ctx, clock);
  if (!c.Load(ctx, dayName)) return kExitFailed;
  if (c.wb->LoadedDayName() != DayNameFromDate(Fmt("%04d%02d%02d", t.year, t.month, t.day)))
    ctx.err << "korvane2-cli: the day is not the clock's day: the timers fetch nothing\n";

  LiveTimers timers(*c.wb, clock);
  const auto realStart = std::chrono::steady_clock::now();
  const long long startMs = EpochMs(t);
  for (long long ms = startMs; ms <= EpochMs(end); ms += 1000) {
    clock.Set(FromEpochMs(ms));
    timers.Tick();
    const auto due = realStart + std::chrono::microseconds(static_cast<long long>((ms - startMs) * 1000.0 / speed));
    if (due > std::chrono::steady_clock::now()) std::this_thread::sleep_until(due);
  }
  ctx.out << Fmt("%02d:%02d:%02d", end.hour, end.minute, end.second) << " 終了" << std::endl;
  return kExitOk;
}

}  // namespace kv::cli
