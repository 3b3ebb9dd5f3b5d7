#include "bets/BetTypes.h"

#include "text/Cp932.h"

namespace kv {

namespace {

constexpr BetTableLayout kSingleLayout{12, 5, 6, 7, 8, 1, 9, 10, 11};
constexpr BetTableLayout kPairLayout{14, 6, 7, 8, 9, 2, 11, 12, 13};
constexpr BetTableLayout kTripleLayout{15, 6, 7, 8, 9, 3, 12, 13, 14};

struct TypeTexts {
  std::string tab, name;
  std::array<std::string, 15> headings;
};

const std::array<TypeTexts, kBetTypeCount>& Texts() {
  static const std::array<TypeTexts, kBetTypeCount> texts = [] {
    const char* tabs[] = {"単勝", "複勝", "枠連", "馬連", "ワイド", "馬単", "三連複", "三連単"};
    const char* names[] = {"単勝", "複勝", "枠連", "馬連", "ワイド", "馬単", "３連複", "３連単"};
    const std::array<const char*, 12> single = {"消",     "No.",    "買い目", "オッズ",   "人気",     "購入額",
                                                "回収額", "回収率", "出現率", "結果配当", "結果回収", "結果人気"};
    const std::array<const char*, 14> pair = {"消",     "No.",    "買い目",  "オッズ",  "人気",     "連人気",   "購入額",
                                              "回収額", "回収率", "出現率1", "出現率2", "結果配当", "結果回収", "結果人気"};
    const std::array<const char*, 15> triple = {"消",      "No.",     "買い目",  "オッズ",   "人気",
                                                "連人気",  "購入額",  "回収額",  "回収率",   "出現率1",
                                                "出現率2", "出現率3", "結果配当", "結果回収", "結果人気"};
    std::array<TypeTexts, kBetTypeCount> t;
    for (int i = 0; i < kBetTypeCount; ++i) {
      t[i].tab = J(tabs[i]);
      t[i].name = J(names[i]);
      if (i < 2) {
        for (size_t c = 0; c < single.size(); ++c) t[i].headings[c] = J(single[c]);
      } else if (i < 6) {
        for (size_t c = 0; c < pair.size(); ++c) t[i].headings[c] = J(pair[c]);
      } else {
        for (size_t c = 0; c < triple.size(); ++c) t[i].headings[c] = J(triple[c]);
      }
    }
    t[Index(BetType::Bracket)].headings[kColNo] = "No";
    return t;
  }();
  return texts;
}

}  // namespace

const BetTableLayout& LayoutOf(BetType t) {
  switch (t) {
    case BetType::Win:
    case BetType::Place: return kSingleLayout;
    case BetType::Trio:
    case BetType::Trifecta: return kTripleLayout;
    default: return kPairLayout;
  }
}

ComboKind ComboKindOf(BetType t) {
  switch (t) {
    case BetType::Bracket: return ComboKind::Bracket;
    case BetType::Exacta: return ComboKind::Exacta;
    case BetType::Trio: return ComboKind::Trio;
    case BetType::Trifecta: return ComboKind::Trifecta;
    default: return ComboKind::Quinella;
  }
}

int MembersOf(BetType t) {
  switch (t) {
    case BetType::Win:
    case BetType::Place: return 1;
    case BetType::Trio:
    case BetType::Trifecta: return 3;
    default: return 2;
  }
}

const std::string& TabCaption(BetType t) { return Texts()[Index(t)].tab; }
const std::string& BetName(BetType t) { return Texts()[Index(t)].name; }

std::string_view VoteCode(BetType t) {
  static constexpr std::string_view codes[] = {"TAN", "FUKU", "WAKU", "UMAFUKU", "WIDE", "UMATAN", "SANFUKU", "SANTAN"};
  return codes[Index(t)];
}

std::string_view LabelPrefix(BetType t) {
  static constexpr std::string_view prefixes[] = {"Tan", "Fuk", "WR", "UR", "WD", "UT", "SRF", "SRT"};
  return prefixes[Index(t)];
}

bool BetTypeOfVoteCode(std::string_view code, BetType& out) {
  for (BetType t : kAllBetTypes)
    if (VoteCode(t) == code) {
      out = t;
      return true;
    }
  return false;
}

const std::array<std::string, 15>& Headings(BetType t) { return Texts()[Index(t)].headings; }

const std::array<int, 15>& ColumnWidths(BetType t) {
  static constexpr std::array<int, 15> single = {20, 20, 50, 50, -1, 60, 60, 60, -1, 60, 60, 60, 0, 0, 0};
  static constexpr std::array<int, 15> bracket = {20, 20, 50, 47, -1, -1, 55, 55, 55, -1, -1, 55, 55, 55, 0};
  static constexpr std::array<int, 15> pair = {20, 30, 60, 60, -1, -1, 60, 60, 60, -1, -1, 60, 60, 60, 0};
  static constexpr std::array<int, 15> trio = {20, 30, 60, 60, -1, -1, 60, 60, 60, -1, -1, -1, 60, 60, 60};
  static constexpr std::array<int, 15> trifecta = {20, 30, 60, 60, -1, -1, 60, 70, 70, -1, -1, -1, 60, 60, 60};
  switch (t) {
    case BetType::Win:
    case BetType::Place: return single;
    case BetType::Bracket: return bracket;
    case BetType::Trio: return trio;
    case BetType::Trifecta: return trifecta;
    default: return pair;
  }
}

}  // namespace kv
