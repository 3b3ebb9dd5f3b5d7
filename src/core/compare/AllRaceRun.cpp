#include "compare/AllRaceRun.h"

#include <algorithm>
#include <optional>

#include "app/DamagedFiles.h"
#include "app/Settings.h"
#include "compare/PastRunCache.h"
#include "compare/PredictionFile.h"
#include "compare/RaceRanking.h"
#include "compare/TwoHorseComparison.h"
#include "compare/UnprocessedDays.h"
#include "text/Cp932.h"
#include "text/Field.h"
#include "vocab/KeibaFunc.h"
#include "app/Ports.h"

namespace kv {

namespace {

// The user's port for the comparisons: the pair's "A vs B" line is shown under the race's line.
class RaceProgressUi : public ForwardingUi {
 public:
  RaceProgressUi(UiPort& ui, std::string race) : ForwardingUi(ui), race_(std::move(race)) {}
  void ProgressDetail(const std::string& t) override {
    text_.assign(race_);  // reuses its storage: called for every pair
    text_ += '\n';
    text_ += t;
    inner_.ProgressDetail(text_);
  }

 private:
  std::string race_, text_;
};

template <typename T, size_t N>
void Fill(T (&a)[N], T v) {
  std::fill(a, a + N, v);
}

}  // namespace

void ResetComparisons(RaceDayModel& day) {
  for (int r = 0; r < kMaxRaces; ++r) {
    TRaceAnalysis& a = day.RaceAnalysis(r);
    for (int* p : {a.Wins, a.Losses, a.WinRateRank, a.WinsRank, a.WinsRevRank, a.PointWins, a.PointLosses,
                   a.PointWinRateRank, a.PointWinsRevRank})
      std::fill(p, p + kMaxRunners, 0);
    Fill(a.WinRate, -1.0);
    Fill(a.PointWinRate, -1.0);
    for (int* p : {a.PairCompared, a.PairFirstWon, a.PairSecondWon, a.PairFirstPt, a.PairSecondPt,
                   a.PairFirstOwnPt, a.PairSecondOwnPt, a.PairFirstTotalPt, a.PairSecondTotalPt, a.PairDirect})
      std::fill(p, p + kMaxPairs, 0);
    a.Compared = 0;
  }
}

std::string RaceProgressText(std::string_view ra) {
  return std::string(Fld(ra, kHdr_Year)) + "/" + std::string(Fld(ra, kHdr_Month)) + "/" +
         std::string(Fld(ra, kHdr_Day)) + " " + VenueName(Fld(ra, kHdr_Venue)) + " " +
         std::string(Fld(ra, kHdr_RaceNum)) + "R ";
}

int LoadedRaceCount(const RaceDayModel& day) {
  int n = 0;
  for (int r = 0; r < kMaxRaces; ++r) n += !day.IsRaceSlotEmpty(r);
  return n;
}

void ReadAheadRunners(PastRunCache& pastRuns, const RaceDayModel& day) {
  std::vector<std::string> ids;
  for (int r = 0; r < kMaxRaces; ++r) {
    if (day.IsRaceSlotEmpty(r)) continue;
    for (int k = 0, n = day.RunnerCount(r); k < n; ++k) ids.emplace_back(Fld(day.Entry(r, k), kSE_HorseId));
  }
  pastRuns.ReadAhead(ids);
}

AllRaceRunResult RunAllRaces(RaceDayModel& day, const Settings& settings, UiPort& ui, const AllRaceRunHooks& hooks,
                             AllRaceRecord record) {
  return RunAllRaces(day, settings, ui, hooks, record, AllRaceRunShared{});
}

AllRaceRunResult RunAllRaces(RaceDayModel& day, const Settings& settings, UiPort& ui, const AllRaceRunHooks& hooks,
                             AllRaceRecord record, const AllRaceRunShared& shared) {
  AllRaceRunResult res;
  const int races = LoadedRaceCount(day);
  if (races == 0) {
    ui.Info(J("出馬表が読み込まれていません。"));
    return res;
  }
  res.ran = true;
  const fs::path& prog = settings.ProgDir();

  ui.ProgressShow(J("【解析中】しばらくお待ちください"));
  ui.ProgressBar(0, races);
  if (hooks.setWindowEnabled) hooks.setWindowEnabled(false);

  ResetComparisons(day);
  std::optional<PastRunCache> ownCache;
  if (!shared.pastRuns) ownCache.emplace(prog);
  PastRunCache& cache = shared.pastRuns ? *shared.pastRuns : *ownCache;
  ReadAheadRunners(cache, day);  // nothing new when the loader has started it
  bool ok = true;
  for (int r = 0, step = 0; r < kMaxRaces && ok; ++r) {
    if (day.IsRaceSlotEmpty(r)) continue;
    const std::string raceText = RaceProgressText(day.Race(r));
    ui.ProgressBar(++step, races);
    ui.ProgressDetail(raceText);
    ui.ProcessMessages();
    day.WorkRace = r;
    RaceProgressUi raceUi(ui, raceText);
    TwoHorseComparison cmp(day, cache, &raceUi);
    if (CompareRace(day, r, cmp)) {
      ++res.racesCompared;
    } else {
      ok = false;
      res.errors.push_back(cmp.error());
    }
  }
  res.compared = ok;

  if (ok && record == AllRaceRecord::Write) {
    if (settings.GetBool("ReadKako", "IgnoDate")) {
      ui.Info(J("[データ読込時過去走の日付を無視する]が指定してあるのでこの比較結果は未処理扱いです。"));
    } else if (shared.predictions) {
      // The lines wait in the batch; the day is recorded when they are written.
      res.predictionTicket = static_cast<int>(shared.predictions->days());
      PredictionWriteResult w = shared.predictions->Merge(day, races > 6, &cache);
      res.errors.insert(res.errors.end(), w.errors.begin(), w.errors.end());
      res.writeFailed = !w.errors.empty();
    } else {
      PredictionWriteResult w = WritePredictions(day, prog, &cache);
      res.errors.insert(res.errors.end(), w.errors.begin(), w.errors.end());
      res.predictionsWritten = w.errors.empty();
      res.writeFailed = !w.errors.empty();
      // A day whose prediction lines could not all be written stays unprocessed, so that a later
      // run writes them.
      if (res.predictionsWritten && !w.dayNames.empty() && races > 6) {
        const FileResult r = AddProcessedDays(prog, w.year, w.dayNames);
        if (r)
          res.dayRecorded = true;
        else
          res.errors.push_back(ToCp932(r.error)), res.writeFailed = true;
      }
    }
  }

  ui.ProgressHide();
  if (hooks.setWindowEnabled) hooks.setWindowEnabled(true);
  if (!res.errors.empty()) {
    std::string text = ok ? J("予想ファイルを書き込めませんでした。") : J("過去走ファイルを読み込めませんでした。比較を中止しました。");
    for (size_t i = 0; i < res.errors.size() && i < 10; ++i) text += "\r\n" + res.errors[i];
    if (res.errors.size() > 10) text += "\r\n" + J("…");
    if (std::any_of(res.errors.begin(), res.errors.end(), [](const std::string& e) { return IsDamagedFileMessage(e); }))
      text += DamagedFileAdvice();
    ui.Warning(text);
  }
  RankWins(day, OddsCeiling(settings));
  if (hooks.refreshSelectedRace) hooks.refreshSelectedRace();
  return res;
}

}  // namespace kv
