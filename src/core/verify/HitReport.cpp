#include "verify/HitReport.h"

#include <system_error>

#include "jvlink/JVData_Structure.h"
#include "text/Cp932.h"
#include "text/Field.h"
#include "text/Format.h"
#include "vocab/KeibaFunc.h"

namespace kv {

namespace {

constexpr int kWin = 0, kPlace = 1;

constexpr HitRule kRules[] = {
    {7, 8, "R[３連単]:", 5000, 10000},   {6, 8, "R[３連複]:", 5000, 10000},
    {2, 5, "R[枠連　]：　", 3000, 10000}, {3, 5, "R[馬連　]：　", 5000, 10000},
    {4, 5, "R[ワイド]：　", 3000, 5000},  {5, 5, "R[馬単　]：　", 5000, 10000},
    {0, 5, "R[単勝　]：　", 1000, 1000},  {1, 5, "R[複勝　]：　", 500, 500},
};

// Result entries compared per bet type.
constexpr size_t kResultEntries = 3;

std::string_view Head(std::string_view text, int chars) {
  return text.substr(0, std::min(text.size(), static_cast<size_t>(chars)));
}

}  // namespace

std::span<const HitRule> HitRules() { return kRules; }

std::string HtmlEscape(std::string_view cp932) {
  std::string out;
  out.reserve(cp932.size());
  for (char c : cp932) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

std::vector<std::string> NewHitList() { return {" Korvane2"}; }

HitReport::HitReport(HitKind kind, std::vector<std::string> hitList) : kind_(kind), hitList_(std::move(hitList)) {
  report_.push_back(J("<br /><img src=\"./image/balist.gif\"><font color=\"black\">【Korvane2】</font>"));
}

void HitReport::AddRace(const HitRaceInput& race) {
  const std::string venue = VenueName(Fld(race.race, kHdr_Venue));
  const std::string raceNo = Fmt("%2d", FldInt(race.race, kHdr_RaceNum));
  const std::string shortName(Fld(race.race, kRA_RaceNameShort6));
  for (const HitRule& rule : kRules) {
    const auto t = static_cast<size_t>(rule.typeIndex);
    const std::string label = J(rule.label);
    const std::string gap = rule.typeIndex == kWin || rule.typeIndex == kPlace ? J("　 ") : std::string();
    const int threshold = kind_ == HitKind::LongShot ? rule.longShotAbove : 0;
    const std::vector<HitResultEntry>& results = race.results[t];
    for (const std::string& cell : race.betCombinations[t]) {
      const std::string_view combo = Head(cell, rule.chars);
      if (IsBlank(combo)) continue;  // the blank row of an empty table
      for (size_t i = 0; i < results.size() && i < kResultEntries; ++i) {
        if (results[i].combination != combo) continue;
        const int pay = ParseInt(results[i].payout);
        if (pay <= threshold) continue;
        const bool red = pay >= rule.redFrom;
        const std::string payText = J(Fmt("/配当 %7d円", pay));
        report_.push_back(std::string(red ? "<img src=\"./image/lis1.gif\"><font color=\"red\">"
                                          : "<img src=\"./image/lis2.gif\"><font color=\"blue\">") +
                          HtmlEscape(venue) + HtmlEscape(raceNo) + HtmlEscape(label) + gap + HtmlEscape(combo) +
                          payText + J("　") + HtmlEscape(shortName) + "</font>");
        hitList_.push_back(std::string(Fld(race.race, kHdr_Date)) + std::string(Fld(race.race, kHdr_Venue)) +
                           std::string(Fld(race.race, kHdr_RaceNum)) + label + gap + std::string(combo) + payText);
      }
    }
  }
}

std::string HitLinesText(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& l : lines) {
    text += l;
    text += "\r\n";
  }
  return text;
}

fs::path HitReportFolder(const fs::path& progDir) { return ResolveNoCase(progDir, "HPupload"); }

fs::path HitReportPath(const fs::path& progDir, std::string_view firstRace) {
  return HitReportFolder(progDir) / ("TK" + std::string(Fld(firstRace, kHdr_Date)) + ".txt");
}

fs::path HitListPath(const fs::path& progDir) { return HitReportFolder(progDir) / "Manbaken.txt"; }

FileResult LoadHitList(const fs::path& progDir, std::vector<std::string>& lines) {
  const fs::path path = HitListPath(progDir);
  std::error_code ec;
  if (!fs::exists(path, ec)) {
    lines = NewHitList();
    return {};
  }
  std::string bytes;
  if (FileResult r = ReadFile(path, bytes); !r) return r;
  lines.clear();
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = bytes.find('\n', start);
    if (end == std::string::npos) end = bytes.size();
    std::string line = bytes.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    start = end + 1;
  }
  return {};
}

HitReportRun RunHitReport(const fs::path& progDir, std::string_view firstRace, HitKind kind, int raceCount,
                          const HitRaceVisit& visit, UiPort& ui, Desktop& desktop, bool openViewer) {
  HitReportRun run;
  const auto fail = [&](const FileResult& r) {
    ui.Warning(J("的中ファイルを読み書きできませんでした。") + "\r\n" + ToCp932(r.error));
    run.ok = false;
    return run;
  };
  std::vector<std::string> list;
  if (FileResult r = LoadHitList(progDir, list); !r) return fail(r);
  HitReport report(kind, std::move(list));
  for (int i = 0; i < raceCount; ++i) report.AddRace(visit(i));
  run.hits = report.Hits();
  if (!report.Publishable()) return run;

  std::error_code ec;
  const fs::path folder = HitReportFolder(progDir);
  fs::create_directories(folder, ec);
  if (ec) return fail(FileResult::Fail(folder.string() + ": " + ec.message()));
  const std::string text = HitLinesText(report.ReportLines());
  run.report = HitReportPath(progDir, firstRace);
  if (FileResult r = WriteFileAtomic(run.report, text); !r) return fail(r);
  if (openViewer) desktop.OpenFile(run.report.string());
  desktop.SetClipboard(text);
  if (FileResult r = WriteFileAtomic(HitListPath(progDir), HitLinesText(report.HitListLines())); !r) return fail(r);
  run.written = true;
  return run;
}

}  // namespace kv
