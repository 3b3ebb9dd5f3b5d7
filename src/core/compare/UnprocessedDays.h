#pragma once
// Processed-days lists and the unprocessed days of a year.
//
// A day is processed once the all-race run wrote its predictions and the day had more than six
// races; it is then listed in "yosowriten<yyyy>.txt" in the program folder: one day name
// ("yyyy年mm月dd日", 14 CP932 bytes) per line, ascending, without duplicates. Days that were never
// analysed are missing from the conformity counts of the day loader; the unprocessed-days
// dialogs find them for a year and load (and so analyse) them one after another.
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/Files.h"

namespace kv {

class Settings;
class UiPort;

// programFolder/yosowriten<year>.txt (year: the four characters of the day names).
fs::path ProcessedDaysPath(const fs::path& programFolder, std::string_view year);

// The day names of the list (empty when the file is missing). A file that cannot be read gives
// an empty list and the reason in error (UTF-8).
std::vector<std::string> ReadProcessedDays(const fs::path& programFolder, std::string_view year,
                                           std::string* error = nullptr);

// True when the day (14-byte CP932 day name) is in its year's list.
bool IsProcessedDay(const fs::path& programFolder, std::string_view dayName);

// Adds day names to the year's list, keeping it sorted and free of duplicates, and rewrites it.
FileResult AddProcessedDays(const fs::path& programFolder, std::string_view year,
                            const std::vector<std::string>& dayNames);

// The days of dayList (in its order) whose first four characters are the year and which are not
// in processed.
std::vector<std::string> FindUnprocessedDays(const std::vector<std::string>& dayList,
                                             const std::vector<std::string>& processed, std::string_view year);

// Why the menu item "未処理データの読込(&R)" cannot open its dialog now (CP932), or nothing:
// the comparison after a load must be on and the past-run dates must not be ignored.
std::optional<std::string> UnprocessedMenuRefusal(const Settings& settings);

// The year dialog: its range (1990 … the current year) and texts (CP932).
inline constexpr int kFirstUnprocessedYear = 1990;
std::string UnprocessedYearExplanation();
std::string UnprocessedYearLabel();

// OK of the year dialog: the unprocessed days of the year from the day list, or, when there are
// none, the message year + "年の未処理データはありません。" in `none`.
struct UnprocessedDaysQuery {
  std::vector<std::string> days;  // CP932 day names, in the day list's order
  std::string heading;            // year + "年の未処理開催日データ"
  std::string text;               // "下記の開催日データを読み込み処理します。"
  std::string none;               // set when days is empty
  std::string readError;          // UTF-8: the list could not be read (treated as empty)
};
UnprocessedDaysQuery QueryUnprocessedDays(const fs::path& programFolder, const std::vector<std::string>& dayList,
                                          int year);

// "Start" of the list dialog: loads every listed day, last to first, through loadDay (the day
// loader, which runs the all-race run and so records the day), with the wait cursor shown; then
// beeps and shows "処理が終了しました。". loadDay answers false when the day could not be loaded;
// the others are still processed. Returns the number of days loaded.
int ProcessUnprocessedDays(const std::vector<std::string>& days, UiPort& ui,
                           const std::function<bool(const std::string& dayName)>& loadDay);

}  // namespace kv
