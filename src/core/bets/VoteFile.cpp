#include "bets/VoteFile.h"

#include "jvlink/JVData_Structure.h"
#include "text/Cp932.h"
#include "text/Field.h"
#include "text/Format.h"

namespace kv {

namespace {

int StakeColOf(BetType t) { return LayoutOf(t).stakeCol; }

bool HasVoteCells(const TextGrid& table, BetType type, int row) {
  return !IsBlank(table.At(row, kColCombo)) && !IsBlank(table.At(row, kColOdds)) &&
         !IsBlank(table.At(row, StakeColOf(type)));
}

fs::path PathOf(std::string_view cp932) { return fs::path(ToUtf8(cp932)); }

}  // namespace

bool IsExportedVoteRow(const TextGrid& table, BetType type, int row) {
  static const std::string mark = J("消");
  return HasVoteCells(table, type, row) && table.At(row, kColDelete) != mark;
}

std::string VoteCombination(BetType type, std::string_view cell) {
  std::vector<int> numbers;
  size_t start = 0;
  while (start <= cell.size()) {
    size_t dash = cell.find('-', start);
    if (dash == std::string_view::npos) dash = cell.size();
    numbers.push_back(ParseInt(cell.substr(start, dash - start)));
    start = dash + 1;
  }
  if (static_cast<int>(numbers.size()) != MembersOf(type)) return {};
  std::string out;
  for (size_t i = 0; i < numbers.size(); ++i) {
    if (numbers[i] <= 0) return {};
    if (i > 0) out += '-';
    out += type == BetType::Bracket ? Fmt("%d", numbers[i]) : Fmt("%02d", numbers[i]);
  }
  return out;
}

std::string VoteCsv(const TextGrid& table, BetType type, std::string_view ra) {
  const std::string head = FldStr(ra, kHdr_Date) + "," + FldStr(ra, kHdr_Venue) + "," + FldStr(ra, kHdr_RaceNum) + "," +
                           std::string(VoteCode(type)) + ",NORMAL,";
  std::string csv;
  for (int row = 1; row < table.RowCount(); ++row) {
    if (!IsExportedVoteRow(table, type, row)) continue;
    csv += head + std::string(Trim(table.At(row, StakeColOf(type)))) + "," +
           VoteCombination(type, table.At(row, kColCombo)) + ",\r\n";
  }
  return csv;
}

std::string VoteFileName(std::string_view ra) {
  return FldStr(ra, kHdr_YearShort) + FldStr(ra, kHdr_MonthDay) + ".csv";
}

VoteResult VoteThroughPlugin(const VoteRequest& req, UiPort& ui, Desktop& desktop) {
  VoteResult res;
  if (IsBlank(req.dateBoxText)) {
    ui.Info(J("開催日ﾃﾞｰﾀを読み込んでください。"));
    res.outcome = VoteOutcome::NoDay;
    return res;
  }
  if (req.raceListItem.empty() || req.table == nullptr) {
    ui.Info(J("レースデータを読み込んでください。"));
    res.outcome = VoteOutcome::NoRace;
    return res;
  }
  const TextGrid& table = *req.table;
  // Rows with combination, odds and stake. Rows deleted with "消" are not written, so a table
  // whose every such row is deleted has nothing to vote either (an empty vote file is never sent).
  int exported = 0;
  for (int row = 1; row < table.RowCount(); ++row) exported += IsExportedVoteRow(table, req.type, row);
  if (exported == 0) {
    ui.Info(J("買い目が作成されていません。"));
    res.outcome = VoteOutcome::NoBets;
    return res;
  }
  if (IsBlank(req.pluginDir)) {
    ui.Info(J("「Tavoro投票プラグイン２」が正常にインストールされていません。再インストールしてください。"));
    res.outcome = VoteOutcome::NoPlugin;
    return res;
  }
  const std::string csv = VoteCsv(table, req.type, req.raceRecord);
  if (!ui.AskYesNo("[" + req.raceListItem + ":" + BetName(req.type) + J("]に投票します。実行してよろしいですか？"))) {
    res.outcome = VoteOutcome::Declined;
    return res;
  }

  const fs::path pluginDir = PathOf(Trim(req.pluginDir));
  const fs::path folder = pluginDir / kVoteFolderName;
  std::error_code ec;
  if (!fs::is_directory(folder, ec)) {
    ui.Info(J("投票ファイルの保存先フォルダーがありません。") + ToCp932(folder.string()));
    res.outcome = VoteOutcome::NoKaimeFolder;
    return res;
  }
  const fs::path path = folder / VoteFileName(req.raceRecord);
  if (FileResult w = WriteFileAtomic(path, csv); !w) {
    ui.Info(J("投票ファイルを保存できませんでした。") + ToCp932(w.error));
    res.outcome = VoteOutcome::WriteFailed;
    return res;
  }
  res.csvPath = path;
  res.lines = exported;
  res.outcome = VoteOutcome::Written;
  if (!req.startPlugin) return res;
  if (!desktop.StartProgram((pluginDir / kVotePluginProgram).string(), path.string(), pluginDir.string())) {
    ui.Info(J("投票プラグイン２の呼び出しでエラーが発生しました。\r\n投票プラグイン２が正しくインストールされているか確認してください。"));
    res.outcome = VoteOutcome::StartFailed;
  }
  return res;
}

}  // namespace kv
