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

fs::path PathOf(std::string_view cp932) { return PathFromCp932(cp932); }

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

VoteTotals VoteTotalsOf(const TextGrid& table, BetType type) {
  VoteTotals t;
  for (int row = 1; row < table.RowCount(); ++row) {
    if (!IsExportedVoteRow(table, type, row)) continue;
    ++t.items;
    t.total += ParseLong(Trim(table.At(row, StakeColOf(type))));
  }
  return t;
}

std::string VoteSummaryText(const VoteTotals& totals, long long amount) {
  std::string text = J("（") + Fmt("%d", totals.items) + J("点・合計") + GroupThousands(totals.total) + J("円）");
  if (amount > 0 && totals.total > amount)
    text += "\r\n" + J("※合計が投資金額") + GroupThousands(amount) + J("円を超えています。");
  if (totals.items > kMaxVoteItems)
    text += "\r\n" + J("※1回の投票は") + Fmt("%d", kMaxVoteItems) + J("点までです。このファイルは") +
            Fmt("%d", totals.items) + J("点あります。");
  return text;
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
  res.summary = VoteSummaryText(VoteTotalsOf(table, req.type), req.amount);
  if (!ui.AskYesNo("[" + req.raceListItem + ":" + BetName(req.type) + J("]に投票します。実行してよろしいですか？") +
                   "\r\n" + res.summary)) {
    res.outcome = VoteOutcome::Declined;
    return res;
  }

  const fs::path pluginDir = PathOf(Trim(req.pluginDir));
  const fs::path folder = pluginDir / kVoteFolderName;
  std::error_code ec;
  if (!fs::is_directory(folder, ec)) {
    ui.Info(J("投票ファイルの保存先フォルダーがありません。") + PathToCp932(folder));
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
  // The program and its folder go to the port as UTF-8 paths, the parameter as CP932 text (the
  // port converts it once more on its way to the plug-in).
  if (!desktop.StartProgram(PathToUtf8(pluginDir / kVotePluginProgram), PathToCp932(path), PathToUtf8(pluginDir))) {
    ui.Info(J("投票プラグイン２の呼び出しでエラーが発生しました。\r\n投票プラグイン２が正しくインストールされているか確認してください。"));
    res.outcome = VoteOutcome::StartFailed;
  }
  return res;
}

}  // namespace kv
