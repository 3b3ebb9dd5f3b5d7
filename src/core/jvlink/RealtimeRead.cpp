#include "jvlink/RealtimeRead.h"

#include "app/ErrorLog.h"
#include "jvlink/DayFileStore.h"
#include "jvlink/JVData_Structure.h"
#include "jvlink/ResultMessage.h"
#include "text/Cp932.h"
#include "text/Field.h"
#include "vocab/KeibaFunc.h"

namespace kv {

namespace {

constexpr int kNothingNewer = -1;  // JVRTOpen: nothing (newer) to read

void Log(const RealtimeContext& ctx, std::string_view message) {
  // A log that cannot be written must not stop a race day: the message is on the screen or in
  // the caller's result already.
  (void)AppendErrorLog(ErrorLogPath(ctx.progDir), ctx.clock.Now(), message);
}

// Shown on the status line with a beep and appended to the error log (the odds fetch's way).
void ShowAndLog(const RealtimeContext& ctx, const std::string& message) {
  ctx.ui.Beep();
  ctx.ui.Status(message);
  Log(ctx, message);
}

bool Cancelled(const RealtimeContext& ctx) { return ctx.cancelled && ctx.cancelled(); }

// The stored form of an odds record: without its CR LF, data kind and creation date zeroed.
std::string StoredOddsLine(std::string_view record) {
  std::string line(record);
  if (line.size() >= 2 && line.compare(line.size() - 2, 2, "\r\n") == 0) line.resize(line.size() - 2);
  PutFld(line, kHdr_KindAndMakeDate.pos, kHdr_KindAndMakeDate.len, "000000000");
  return line;
}

// Closing of the odds read cycle: JVClose and the normal cursor; a failure is beeped, shown and
// logged.
int CloseOdds(const RealtimeContext& ctx) {
  const int r = ctx.jv.JVClose();
  ctx.ui.BusyCursor(false);
  if (r != 0) ShowAndLog(ctx, JVResultMessage("JVClose", r));
  return r;
}

// A store outcome that ends the loop: a file that cannot be written or is damaged. A malformed
// record is logged and skipped.
bool StoreFailed(const RealtimeContext& ctx, const StoreResult& s, std::string& failure, bool show) {
  if (s.outcome == StoreOutcome::Rejected) {
    Log(ctx, s.message);
    return false;
  }
  if (s.outcome != StoreOutcome::Failed) return false;
  failure = s.message;
  if (show) {
    ShowAndLog(ctx, s.message);
  } else {
    ctx.ui.Beep();
    Log(ctx, s.message);
  }
  return true;
}

}  // namespace

std::string RaceKeyLabel(std::string_view raceKey) {
  if (raceKey.size() < 16) return {};
  std::string race(raceKey.substr(14, 2));
  if (race[0] == '0') race[0] = ' ';
  return VenueName(raceKey.substr(8, 2)) + race;
}

OddsFetchResult FetchRaceOdds(const RealtimeContext& ctx, std::string_view raceKey, OddsFetchMode mode) {
  OddsFetchResult res;
  const std::string race = RaceKeyLabel(raceKey);
  const bool manual = mode == OddsFetchMode::Manual;
  ctx.ui.Status(race + (manual ? J("オッズ取得中") : J("R ｵｯｽﾞ取得中")));

  res.openCode = ctx.jv.JVRTOpen("0B30", std::string(raceKey));
  if (res.openCode != 0) {
    const std::string prefix = manual ? race + J("R:ｵｯｽﾞ取得エラー：") : race + "R:";
    ShowAndLog(ctx, prefix + JVResultMessage("JVRTOpen", res.openCode));
  } else {
    DayFileStore store(ctx.progDir);
    for (;;) {
      ctx.ui.ProcessMessages();
      if (Cancelled(ctx)) {
        res.cancelled = true;
        break;
      }
      const JVReadResult rd = ctx.jv.JVRead(kOddsReadBuffer);
      if (rd.code > 0) {
        const StoreResult s = store.Store(StoreWriter::RealtimeOdds, rd.record);
        if (s.stored()) res.storedLines.push_back(StoredOddsLine(rd.record));
        if (StoreFailed(ctx, s, res.failure, true)) break;
      } else if (rd.code == 0) {
        break;
      } else if (rd.code < -3) {
        res.readCode = rd.code;
        ShowAndLog(ctx, JVResultMessage("JVRead", rd.code));
        break;
      }
      // -1, -2, -3: go on
    }
    if (res.failure.empty()) {
      const StoreResult f = store.Flush();
      (void)StoreFailed(ctx, f, res.failure, true);
    }
  }
  res.closeCode = CloseOdds(ctx);

  ctx.ui.Status({});
  (void)CloseOdds(ctx);
  return res;
}

ResultsFetchResult FetchDayResults(const RealtimeContext& ctx, std::string_view date) {
  ResultsFetchResult res;
  res.openCode = ctx.jv.JVRTOpen("0B12", std::string(date));
  if (res.openCode == kNothingNewer) {
    // No results published yet (the timer asks every few minutes from before the first race):
    // nothing to store and nothing gone wrong.
  } else if (res.openCode != 0) {
    ctx.ui.Beep();
    Log(ctx, JVResultMessage("JVRTOpen", res.openCode));
  } else {
    DayFileStore store(ctx.progDir);
    for (;;) {
      ctx.ui.ProcessMessages();
      if (Cancelled(ctx)) {
        res.cancelled = true;
        break;
      }
      const JVReadResult rd = ctx.jv.JVRead(kResultsReadBuffer);
      if (rd.code > 0) {
        const StoreResult s = store.Store(StoreWriter::RealtimeResults, rd.record);
        res.stored += s.stored();
        if (StoreFailed(ctx, s, res.failure, false)) break;
      } else if (rd.code == 0) {
        break;
      } else if (rd.code < -3) {
        res.readCode = rd.code;
        Log(ctx, JVResultMessage("JVRead", rd.code));
        break;
      }
    }
    if (res.failure.empty()) {
      const StoreResult f = store.Flush();
      (void)StoreFailed(ctx, f, res.failure, false);
    }
  }
  // Closing (results): a beep says the results are in; a failure goes to the log.
  auto close = [&ctx] {
    const int r = ctx.jv.JVClose();
    if (r == 0)
      ctx.ui.Beep();
    else
      Log(ctx, JVResultMessage("JVClose", r));
    return r;
  };
  res.closeCode = close();
  ctx.ui.ProcessMessages();
  (void)close();
  return res;
}

ChangeFetchResult FetchChangeInfo(const RealtimeContext& ctx, std::string_view date, std::string_view raceLabel,
                                  bool silent) {
  ChangeFetchResult res;
  ctx.ui.Status(J("開催速報データ取得中"));
  ctx.ui.ProcessMessages();
  bool failed = false;
  res.openCode = ctx.jv.JVRTOpen("0B14", std::string(date));
  if (res.openCode == kNothingNewer) {
    // No change announced yet: nothing to store and nothing to report.
  } else if (res.openCode != 0) {
    ctx.ui.Beep();
    ctx.ui.Status(std::string(raceLabel) + J("R:開催速報データ取得エラー：") + JVResultMessage("JVRTOpen", res.openCode));
    failed = true;
  } else {
    DayFileStore store(ctx.progDir);
    for (;;) {
      ctx.ui.ProcessMessages();
      if (Cancelled(ctx)) {
        res.cancelled = true;
        break;
      }
      const JVReadResult rd = ctx.jv.JVRead(kResultsReadBuffer);
      if (rd.code > 0) {
        if (Fld(rd.record, kHdr_RecordType.pos, kHdr_RecordType.len) != "TC") continue;
        const StoreResult s = store.Store(StoreWriter::ChangeInfo, rd.record);
        res.stored += s.stored();
        if (s.outcome == StoreOutcome::Failed) {
          res.failure = s.message;
          ctx.ui.Status(s.message);
          failed = true;
          break;
        }
      } else if (rd.code == 0) {
        break;
      } else if (rd.code < -3) {
        res.readCode = rd.code;
        ctx.ui.Status(JVResultMessage("JVRead", rd.code));
        failed = true;
        break;
      }
    }
    if (res.failure.empty()) {
      if (const StoreResult f = store.Flush(); f.outcome == StoreOutcome::Failed) {
        res.failure = f.message;
        ctx.ui.Status(f.message);
        failed = true;
      }
    }
  }
  // Change-information failures are never logged: the status line is their only trace, so it
  // keeps the message instead of being cleared over it.
  if (!failed) ctx.ui.Status({});
  ctx.ui.ProcessMessages();
  res.closeCode = ctx.jv.JVClose();
  if (res.closeCode != 0)
    ctx.ui.Status(JVResultMessage("JVClose", res.closeCode));
  else if (!silent)
    ctx.ui.Beep();
  return res;
}

}  // namespace kv
