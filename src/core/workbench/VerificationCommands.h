#pragma once
// The commands of the tab "検証資料" and of the menu "CSVファイル" on the workbench: they read the
// loaded day, the date box's day and the race list, and leave the verification table in the
// workbench's grids.
#include <string>

#include "compare/CsvExports.h"
#include "verify/HitReport.h"
#include "verify/VerificationCsv.h"

namespace kv {

class Workbench;

// The button "集計": the verification table of the loaded day. Each race of the list with more
// than 3 registered runners is selected in turn, so the last of them stays selected. Without a day
// or without races the reason is shown and the table stays as it was.
void TallyVerificationTable(Workbench& wb);

// The button "ｸﾘｯﾌﾟﾎﾞｰﾄﾞへｺﾋﾟｰ": the whole verification table, heading included, to the clipboard.
void CopyVerificationTable(Workbench& wb);

// The menu items "Pt勝率＋Pt勝率順位" (RateAndRank) and "Pt勝率順位" (RankOnly): the file in the CSV
// folder and the confirmation, or the failure, in an information box. Nothing without a day.
void ExportPointRateFile(Workbench& wb, PointRateCsv kind);

// The button "CSVファイル" of the tab: the file proposed by the save dialog (UTF-8 path), after
// creating the CSV folder for the dialog to open in. Empty when no day is chosen: then the button
// does nothing.
std::string ProposeVerificationCsvPath(Workbench& wb);

// The save dialog confirmed utf8Path: the verification table is written there. A file error is
// shown; true when written.
bool ExportVerificationCsv(Workbench& wb, const std::string& utf8Path);

// The buttons "的中" (HitKind::All) and "穴的中" (HitKind::LongShot): every race of the list is
// selected in turn (its bet tables are built) and its bet tables are checked against its results
// tab; with at least two hits the report and the hit list are written in "HPupload", the report
// opened with the default viewer (when openViewer) and put on the clipboard. Without a day the
// reason is shown.
HitReportRun ReportHits(Workbench& wb, HitKind kind, bool openViewer = true);

}  // namespace kv
