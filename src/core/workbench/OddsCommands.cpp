// The main window's commands on the odds of the whole loaded day: the time-series import, the
// odds of every race reloaded and the odds movement of the selected race.
#include <algorithm>
#include <system_error>

#include "jvlink/JVData_Structure.h"
#include "odds/OddsHistory.h"
#include "odds/OddsLoader.h"
#include "odds/TimeSeriesOdds.h"
#include "text/Cp932.h"
#include "workbench/Workbench.h"

namespace kv {

namespace {

// The time-series folder of the settings (Dir/jikeiretu, the program folder by default); a
// relative folder counts from the program folder.
fs::path TimeSeriesFolder(const Settings& settings, const fs::path& progDir) {
  fs::path folder = PathFromCp932(settings.GetText("Dir", "jikeiretu"));
  if (folder.empty()) return progDir;
  return folder.is_relative() ? progDir / folder : folder;
}

bool SameFolder(const fs::path& a, const fs::path& b) {
  std::error_code ec;
  if (fs::equivalent(a, b, ec)) return true;
  auto norm = [](const fs::path& p) {
    fs::path n = p.lexically_normal();
    return n.has_filename() ? n : n.parent_path();  // "dir/" reads as "dir"
  };
  return norm(a) == norm(b);
}

}  // namespace

void Workbench::ReloadAllOdds() {
  if (!day_) return;
  std::vector<std::string> shown;
  DayOddsFiles files(day_->DayFilePath);
  for (int r = 0; r < kMaxRaces; ++r) {
    day_->OddsRace = r;
    for (const std::string& e : LoadOdds(*day_, files).errors) {
      if (std::find(shown.begin(), shown.end(), e) != shown.end()) continue;
      shown.push_back(e);
      ui_.Warning(e);
    }
  }
}

void Workbench::ImportTimeSeriesOdds() {
  const fs::path folder = TimeSeriesFolder(settings_, progDir_);
  if (SameFolder(folder, progDir_)) {
    ui_.Info(J("時系列ｵｯｽﾞﾌｫﾙﾀﾞ指定をしてください。"));
    return;
  }
  if (!day_ || dayName_.empty()) {
    ui_.Info(J("ｵｯｽﾞを読み込みたい当日の開催日ﾃﾞｰﾀを読み込んでください。"));
    return;
  }
  ui_.BusyCursor(true);
  const TimeSeriesImportResult res = kv::ImportTimeSeriesOdds(*day_, progDir_, folder);
  if (!res.ok()) ui_.Warning(res.error);
  for (const std::string& p : res.problems) ui_.Warning(p);
  if (res.ok()) ui_.Info(TimeSeriesSummary(res.counts));
  // Whatever reached the day's odds files is shown, also after an error stopped the import.
  ReloadAllOdds();
  if (selectedListIndex_ >= 0) SelectRace(selectedListIndex_);
  ui_.BusyCursor(false);
}

void Workbench::FetchAllRaceOdds() {
  if (!day_ || dayName_.empty()) {
    ui_.Info(J("ﾃﾞｰﾀを読み込んでください。"));
    return;
  }
  // Started from a window message inside another read cycle: a second one cannot be opened.
  if (live_.Reading()) {
    ui_.Info(J("ﾃﾞｰﾀ取得中です。取得が終わってから実行してください。"));
    return;
  }
  const int races = static_cast<int>(raceList_.size());
  live_.SetOddsQueueBusy(true);
  ui_.ProgressShow(J("1日分の全オッズを取得しています．．．"));
  for (int i = 0; i < races && i < static_cast<int>(raceList_.size()); ++i) {
    ui_.ProgressDetail(raceList_[static_cast<size_t>(i)]);
    ui_.ProgressBar(i, races);
    SelectRace(i);
    live_.FetchSelectedRaceOdds();
  }
  ui_.ProgressBar(races, races);
  ui_.ProgressHide();
  live_.SetOddsQueueBusy(false);
}

OddsMovement Workbench::SelectedOddsMovement() const {
  if (!day_ || selectedListIndex_ < 0) {
    OddsMovement none;
    none.note = J("レースが選択されていません。");
    return none;
  }
  const int r = day_->SelectedRace;
  return BuildOddsMovement(*day_, r, ReadOddsHistory(progDir_, RaceKey(day_->Race(r))));
}

}  // namespace kv
