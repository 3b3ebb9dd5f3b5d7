#include "compare/UnprocessedDays.h"

#include <algorithm>
#include <system_error>

#include "app/Settings.h"
#include "text/Cp932.h"
#include "text/Field.h"
#include "text/Format.h"
#include "app/Ports.h"

namespace kv {

fs::path ProcessedDaysPath(const fs::path& programFolder, std::string_view year) {
  return programFolder / ("yosowriten" + std::string(year) + ".txt");
}

std::vector<std::string> ReadProcessedDays(const fs::path& programFolder, std::string_view year,
                                           std::string* error) {
  if (error) error->clear();
  std::vector<std::string> days;
  const fs::path path = ProcessedDaysPath(programFolder, year);
  std::error_code ec;
  if (!fs::exists(path, ec)) return days;
  std::string bytes;
  if (FileResult r = ReadFile(path, bytes); !r) {
    if (error) *error = r.error;
    return days;
  }
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = bytes.find('\n', start);
    if (end == std::string::npos) end = bytes.size();
    std::string_view line(bytes.data() + start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    line = Trim(line);
    if (!line.empty()) days.emplace_back(line);
    start = end + 1;
  }
  return days;
}

bool IsProcessedDay(const fs::path& programFolder, std::string_view dayName) {
  const std::vector<std::string> days = ReadProcessedDays(programFolder, dayName.substr(0, 4));
  return std::find(days.begin(), days.end(), dayName) != days.end();
}

FileResult AddProcessedDays(const fs::path& programFolder, std::string_view year,
                            const std::vector<std::string>& dayNames) {
  std::string error;
  std::vector<std::string> days = ReadProcessedDays(programFolder, year, &error);
  // An unreadable list is not replaced by one holding only the new days.
  if (!error.empty()) return FileResult::Fail(error);
  std::sort(days.begin(), days.end());
  if (std::all_of(dayNames.begin(), dayNames.end(),
                  [&](const std::string& d) { return std::binary_search(days.begin(), days.end(), d); }))
    return {};  // every day is listed already: the file stays as it is
  days.insert(days.end(), dayNames.begin(), dayNames.end());
  std::sort(days.begin(), days.end());
  days.erase(std::unique(days.begin(), days.end()), days.end());
  std::string bytes;
  for (const std::string& d : days) bytes += d + "\r\n";
  return WriteFileAtomic(ProcessedDaysPath(programFolder, year), bytes);
}

std::vector<std::string> FindUnprocessedDays(const std::vector<std::string>& dayList,
                                             const std::vector<std::string>& processed, std::string_view year) {
  std::vector<std::string> sorted(processed);
  std::sort(sorted.begin(), sorted.end());
  std::vector<std::string> out;
  for (const std::string& d : dayList)
    if (d.size() >= 4 && std::string_view(d).substr(0, 4) == year &&
        !std::binary_search(sorted.begin(), sorted.end(), d))
      out.push_back(d);
  return out;
}

std::optional<std::string> UnprocessedMenuRefusal(const Settings& settings) {
  if (!settings.GetBool("AllRace", "ExecComp"))
    return J("メニューの「ｵﾌﾟｼｮﾝ」－「データ読込後直ちに全レース比較を行う」のﾁｪｯｸをしてから実行してください。");
  if (settings.GetBool("ReadKako", "IgnoDate"))
    return J("メニューの「ｵﾌﾟｼｮﾝ」－「データ読込時過去走の日付を無視する」のﾁｪｯｸをはずしてから実行してください。");
  return std::nullopt;
}

std::string UnprocessedYearExplanation() {
  return J("今まで一度も「全レース比較」をしていない開催日のデータがある場合は、そのレース出走馬の順当馬及び裏切り馬の"
           "カウントができません。まだ未処理の開催日データを処理してください。なお、処理は年単位で行われます。");
}

std::string UnprocessedYearLabel() { return J("年の未処理開催日データを読み込む。"); }

UnprocessedDaysQuery QueryUnprocessedDays(const fs::path& programFolder, const std::vector<std::string>& dayList,
                                          int year) {
  UnprocessedDaysQuery q;
  const std::string y = Fmt("%d", year);
  q.days = FindUnprocessedDays(dayList, ReadProcessedDays(programFolder, y, &q.readError), y);
  q.heading = y + J("年の未処理開催日データ");
  q.text = J("下記の開催日データを読み込み処理します。");
  if (q.days.empty()) q.none = y + J("年の未処理データはありません。");
  return q;
}

int ProcessUnprocessedDays(const std::vector<std::string>& days, UiPort& ui,
                           const std::function<bool(const std::string& dayName)>& loadDay) {
  ui.BusyCursor(true);
  int loaded = 0;
  for (auto it = days.rbegin(); it != days.rend(); ++it)
    if (loadDay(*it)) ++loaded;
  ui.BusyCursor(false);
  ui.Info(J("処理が終了しました。"));
  return loaded;
}

}  // namespace kv
