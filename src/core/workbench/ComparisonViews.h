#pragma once
// The comparison views of the main window as commands without widgets: ２頭の比較, 直接対決の比較
// and クリア on the two horses picked in the entry table, 集計 of the KT analysis tab, and the
// clipboard copies of the comparison grids. The workbench owns one of these; the grids live in
// its MainGrids (twoHorse, ktData, ktMatrix).
#include <array>
#include <functional>
#include <string>

#include "compare/KtAnalysis.h"
#include "compare/TwoHorseView.h"

namespace kv {

class Workbench;

// The tabs a comparison command brings to the front.
enum class AnalysisTab { Entry, TwoHorse, Kt };

class ComparisonViews {
 public:
  explicit ComparisonViews(Workbench& wb) : wb_(wb) {}

  // Called after a command changed the grids or labels, with the tab to show.
  void SetOnChanged(std::function<void(AnalysisTab)> onChanged) { onChanged_ = std::move(onChanged); }

  // "２頭の比較": the common-opponent comparisons of the picked horses inside the data span.
  void CompareTwoHorses();
  // "直接対決の比較": the races inside the data span in which the picked horses met.
  void CompareDirect();
  // "クリア": both picked horses emptied, back to the entry table.
  void Clear();
  // "集計": the KT analysis of the selected race.
  void RunKt();

  // Context menus: the grids to the clipboard with the race heading labels in front.
  void CopyTwoHorse();       // 比較結果をｸﾘｯﾌﾟﾎﾞｰﾄﾞへｺﾋﾟｰ (also the picked names)
  void CopyCompareDetail();  // 比較詳細表をｸﾘｯﾌﾟﾎﾞｰﾄﾞへｺﾋﾟｰ
  void CopyWinLoss();        // 比較勝敗表をｸﾘｯﾌﾟﾎﾞｰﾄﾞへｺﾋﾟｰ
  void CopyKtData();         // 採用データ表をコピー
  void CopyKtMatrix();       // マトリクス表をコピー

  // "該当数：" and the rows of the last view; empty before one.
  const std::string& Counter() const { return counter_; }
  // A's points, B's points, A's sole points, B's sole points of the last ２頭の比較 ("%3d" each);
  // empty after 直接対決の比較 or before any view.
  const std::array<std::string, 4>& Summary() const { return summary_; }

 private:
  // The picked horses as a request, or nothing (with a message shown) without a selected race.
  bool Request(TwoHorseRequest& req) const;
  void Show(const TwoHorseViewResult& res, bool summary);
  void Copy(const TextGrid& grid, bool withNames);
  void Changed(AnalysisTab tab) {
    if (onChanged_) onChanged_(tab);
  }

  Workbench& wb_;
  std::function<void(AnalysisTab)> onChanged_;
  std::string counter_;
  std::array<std::string, 4> summary_;
};

}  // namespace kv
