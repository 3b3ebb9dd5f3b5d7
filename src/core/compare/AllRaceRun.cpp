#include "compare/AllRaceRun.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>

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

// Calls f(field of to, field of from) for every field the comparison of a race fills.
template <typename F>
void ForEachComparisonField(TRaceAnalysis& to, const TRaceAnalysis& from, F f) {
  f(to.Wins, from.Wins), f(to.Losses, from.Losses), f(to.WinRate, from.WinRate);
  f(to.WinRateRank, from.WinRateRank), f(to.WinsRank, from.WinsRank), f(to.WinsRevRank, from.WinsRevRank);
  f(to.PointWins, from.PointWins), f(to.PointLosses, from.PointLosses), f(to.PointWinRate, from.PointWinRate);
  f(to.PointWinRateRank, from.PointWinRateRank), f(to.PointWinsRevRank, from.PointWinsRevRank);
  f(to.PairCompared, from.PairCompared), f(to.PairFirstWon, from.PairFirstWon);
  f(to.PairSecondWon, from.PairSecondWon), f(to.PairFirstPt, from.PairFirstPt);
  f(to.PairSecondPt, from.PairSecondPt), f(to.PairFirstOwnPt, from.PairFirstOwnPt);
  f(to.PairSecondOwnPt, from.PairSecondOwnPt), f(to.PairFirstTotalPt, from.PairFirstTotalPt);
  f(to.PairSecondTotalPt, from.PairSecondTotalPt), f(to.PairDirect, from.PairDirect);
  to.Compared = from.Compared;
}

// Rates -1.0, everything else 0.
void ResetComparisons(TRaceAnalysis& a) {
  ForEachComparisonField(a, a, [](auto& to, const auto&) {
    using T = std::remove_reference_t<decltype(to[0])>;
    std::fill(std::begin(to), std::end(to), std::is_floating_point_v<T> ? T(-1) : T(0));
  });
  a.Compared = 0;
}

void CopyComparisons(TRaceAnalysis& to, const TRaceAnalysis& from) {
  ForEachComparisonField(to, from, [](auto& t, const auto& f) { std::copy(std::begin(f), std::end(f), std::begin(t)); });
}

// The comparisons of the day's races, on two threads where one can be started: the caller's
// thread takes races from the first on and shows its progress; the second takes them from the
// last on, each into a block of its own (the model is only written by the caller's thread, so a
// window repainting while messages run never reads what the other thread writes). They meet in
// the middle. The outcome is that of comparing the races one by one in order: when a race fails,
// the races before it stay compared, it stays half compared and those after it stay reset.
class RaceComparisons {
 public:
  // predictionIds: the runners whose prediction files the run reads next; the second thread reads
  // them once it has no race left, from the last one back (the caller's thread starts at the
  // first when it merges).
  RaceComparisons(RaceDayModel& day, PastRunCache& cache, UiPort& ui, int threads,
                  std::vector<std::string> predictionIds)
      : day_(day), cache_(cache), ui_(ui), predictionIds_(std::move(predictionIds)) {
    for (int r = 0; r < kMaxRaces; ++r)
      if (!day.IsRaceSlotEmpty(r)) slots_.push_back(r);
    back_ = static_cast<int>(slots_.size());
    if (threads > 1 && slots_.size() > 1) {
      blocks_.resize(slots_.size());
      try {
        second_ = std::thread([this] { RunSecond(); });
      } catch (const std::system_error&) {
        // the caller's thread compares every race
      }
    }
  }
  // Stops the second thread's prediction reads where they are.
  ~RaceComparisons() {
    {
      std::lock_guard lock(claims_);
      stopSecond_ = true;
    }
    if (second_.joinable()) second_.join();
  }

  // Compares every race; the number compared in order before the first failure, and its error.
  int Run(std::string& error) {
    RunFirst();
    if (second_.joinable()) {  // wait for its races; its prediction reads go on
      std::unique_lock lock(claims_);
      secondDone_.wait(lock, [&] { return secondRacesDone_; });
    }
    if (firstFailed_ < 0 && secondFailed_ < 0 && lastStep_ < static_cast<int>(slots_.size()))
      ui_.ProgressBar(static_cast<int>(slots_.size()), static_cast<int>(slots_.size()));  // the bar ends full
    if (secondFailure_) std::rethrow_exception(secondFailure_);
    if (firstFailed_ >= 0) {  // every race the second thread took comes after it
      error = firstError_;
      return firstFailed_;
    }
    const int stop = secondFailed_ >= 0 ? secondFailed_ : static_cast<int>(slots_.size());
    for (int i = back_; i < static_cast<int>(slots_.size()) && i <= stop; ++i)
      if (i < static_cast<int>(blocks_.size()) && blocks_[static_cast<size_t>(i)])
        CopyComparisons(day_.RaceAnalysis(slots_[static_cast<size_t>(i)]), *blocks_[static_cast<size_t>(i)]);
    if (secondFailed_ >= 0) error = secondError_;
    if (!slots_.empty())  // the race compared last in order, as a one-by-one run leaves it
      day_.WorkRace = slots_[static_cast<size_t>(std::min(stop, static_cast<int>(slots_.size()) - 1))];
    return stop;
  }

 private:
  void RunFirst() {
    const int races = static_cast<int>(slots_.size());
    for (;;) {
      int i, step;
      {
        std::lock_guard lock(claims_);
        if (front_ >= back_) return;
        i = front_++;
        step = front_ + races - back_;
      }
      const int r = slots_[static_cast<size_t>(i)];
      const std::string raceText = RaceProgressText(day_.Race(r));
      ui_.ProgressBar(lastStep_ = step, races);
      ui_.ProgressDetail(raceText);
      ui_.ProcessMessages();
      day_.WorkRace = r;
      RaceProgressUi raceUi(ui_, raceText);
      TwoHorseComparison cmp(day_, cache_, &raceUi, 0);
      if (!CompareRace(day_, r, cmp)) {
        std::lock_guard lock(claims_);
        firstFailed_ = i;
        firstError_ = cmp.error();
        stopSecond_ = true;
        return;
      }
    }
  }

  void RunSecond() {
    std::exception_ptr failure;
    try {
      CompareSecondRaces();
    } catch (...) {
      failure = std::current_exception();
    }
    {
      std::lock_guard lock(claims_);
      secondFailure_ = failure;
      secondRacesDone_ = true;
    }
    secondDone_.notify_all();
    if (failure) return;
    try {
      for (auto id = predictionIds_.rbegin(); id != predictionIds_.rend(); ++id) {
        {
          std::lock_guard lock(claims_);
          if (stopSecond_) return;
        }
        cache_.PredictionFile(*id);
      }
    } catch (...) {
      // only a read ahead: the caller's thread reads what is left
    }
  }

  void CompareSecondRaces() {
    TwoHorseComparison cmp(day_, cache_, nullptr, 1);
    for (;;) {
      int i;
      {
        std::lock_guard lock(claims_);
        if (stopSecond_ || back_ <= front_) return;
        i = --back_;
      }
      auto block = std::make_unique<TRaceAnalysis>();
      ResetComparisons(*block);
      cmp.SendResultsTo(block.get());
      const bool ok = CompareRace(day_, slots_[static_cast<size_t>(i)], cmp);
      blocks_[static_cast<size_t>(i)] = std::move(block);
      if (!ok) {  // the caller's thread goes on up to this race
        secondFailed_ = i;
        secondError_ = cmp.error();
        return;
      }
    }
  }

  RaceDayModel& day_;
  PastRunCache& cache_;
  UiPort& ui_;
  const std::vector<std::string> predictionIds_;
  std::vector<int> slots_;  // the races, in slot order
  std::mutex claims_;       // guards front_, back_, stopSecond_ and secondRacesDone_
  std::condition_variable secondDone_;
  bool secondRacesDone_ = false;
  int front_ = 0;           // the next race the caller's thread takes
  int lastStep_ = 0;        // the bar's position as last shown
  int back_ = 0;            // the second thread's races are [back_, size)
  bool stopSecond_ = false;
  int firstFailed_ = -1, secondFailed_ = -1;  // positions in slots_
  std::string firstError_, secondError_;
  std::vector<std::unique_ptr<TRaceAnalysis>> blocks_;  // the second thread's results
  std::exception_ptr secondFailure_;
  std::thread second_;
};

}  // namespace

void ResetComparisons(RaceDayModel& day) {
  for (int r = 0; r < kMaxRaces; ++r) ResetComparisons(day.RaceAnalysis(r));
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

std::vector<std::string> RunnerIds(const RaceDayModel& day) {
  std::vector<std::string> ids;
  for (int r = 0; r < kMaxRaces; ++r) {
    if (day.IsRaceSlotEmpty(r)) continue;
    for (int k = 0, n = day.RunnerCount(r); k < n; ++k) ids.emplace_back(Fld(day.Entry(r, k), kSE_HorseId));
  }
  return ids;
}

void ReadAheadRunners(PastRunCache& pastRuns, const RaceDayModel& day, const PredictionBatch* batch) {
  const std::vector<std::string> ids = RunnerIds(day);
  std::vector<bool> withPredictions;
  if (batch) {
    withPredictions.reserve(ids.size());
    for (const std::string& id : ids) withPredictions.push_back(!batch->Holds(id));
  }
  pastRuns.ReadAhead(ids, withPredictions);
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
  // Every runner's entry is made here, before the threads look them up. The files are read by
  // the thread that compares their race (or were read ahead by the day loader).
  const std::vector<std::string> ids = RunnerIds(day);
  cache.Expect(ids);
  cache.EndReadAhead();  // a load's read-ahead hands lane 1 to the comparisons
  const bool merges = record == AllRaceRecord::Write && !settings.GetBool("ReadKako", "IgnoDate");
  std::string error;
  RaceComparisons comparisons(day, cache, ui, shared.threads, merges ? ids : std::vector<std::string>{});
  res.racesCompared = comparisons.Run(error);
  const bool ok = res.racesCompared == races;
  if (!ok) res.errors.push_back(error);
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
