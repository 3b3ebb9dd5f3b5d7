#include "vocab/Combination.h"

#include <array>
#include <vector>

#include "text/Format.h"

namespace kv {
namespace {

constexpr int kMaxHorse = 18;
constexpr int kMaxBracket = 8;

// One kind's numbering: number -> combination and text, and (i, j, k) -> number.
struct ComboTable {
  std::vector<Combo> combos;       // index no - 1
  std::vector<std::string> texts;  // index no - 1
  std::array<std::array<std::array<int, kMaxHorse + 1>, kMaxHorse + 1>, kMaxHorse + 1> number{};  // [i][j][k], k = 0 for pairs

  void Add(int i, int j, int k) {
    combos.push_back({i, j, k});
    texts.push_back(k == 0 ? Fmt("%2d-%2d", i, j) : Fmt("%2d-%2d-%2d", i, j, k));
    number[i][j][k] = static_cast<int>(combos.size());
  }
};

// The tables are filled in lexicographic order of the tuples, so each combination's number is
// its place in that order.
ComboTable BuildTable(ComboKind kind) {
  ComboTable t;
  switch (kind) {
    case ComboKind::Bracket:
      for (int i = 1; i <= kMaxBracket; ++i)
        for (int j = i; j <= kMaxBracket; ++j) t.Add(i, j, 0);
      break;
    case ComboKind::Quinella:
      for (int i = 1; i <= kMaxHorse; ++i)
        for (int j = i + 1; j <= kMaxHorse; ++j) t.Add(i, j, 0);
      break;
    case ComboKind::Exacta:
      for (int i = 1; i <= kMaxHorse; ++i)
        for (int j = 1; j <= kMaxHorse; ++j)
          if (j != i) t.Add(i, j, 0);
      break;
    case ComboKind::Trio:
      for (int i = 1; i <= kMaxHorse; ++i)
        for (int j = i + 1; j <= kMaxHorse; ++j)
          for (int k = j + 1; k <= kMaxHorse; ++k) t.Add(i, j, k);
      break;
    case ComboKind::Trifecta:
      for (int i = 1; i <= kMaxHorse; ++i)
        for (int j = 1; j <= kMaxHorse; ++j)
          for (int k = 1; k <= kMaxHorse; ++k)
            if (j != i && k != i && k != j) t.Add(i, j, k);
      break;
  }
  return t;
}

const ComboTable& Table(ComboKind kind) {
  static const std::array<ComboTable, 5> tables = {
      BuildTable(ComboKind::Bracket), BuildTable(ComboKind::Quinella), BuildTable(ComboKind::Exacta),
      BuildTable(ComboKind::Trio), BuildTable(ComboKind::Trifecta),
  };
  return tables[static_cast<size_t>(kind)];
}

bool IsTriple(ComboKind kind) { return kind == ComboKind::Trio || kind == ComboKind::Trifecta; }

// A number written exactly as "%2d" for 1..99: " 1".." 9" or "10".."99". -1 otherwise.
int ReadPart(std::string_view s) {
  const char a = s[0], b = s[1];
  if (b < '0' || b > '9') return -1;
  if (a == ' ') return b == '0' ? -1 : b - '0';
  if (a < '1' || a > '9') return -1;
  return (a - '0') * 10 + (b - '0');
}

}  // namespace

int ComboCount(ComboKind kind) { return static_cast<int>(Table(kind).combos.size()); }

int ComboNo(ComboKind kind, int first, int second, int third) {
  if (!IsTriple(kind)) third = 0;
  else if (third < 1 || third > kMaxHorse) return 0;
  if (first < 1 || first > kMaxHorse || second < 1 || second > kMaxHorse) return 0;
  return Table(kind).number[first][second][third];
}

int ComboNo(ComboKind kind, std::string_view text) {
  const bool triple = IsTriple(kind);
  const size_t len = triple ? 8 : 5;
  if (kind == ComboKind::Trifecta && text.size() > len) text = text.substr(0, len);
  if (text.size() != len || text[2] != '-' || (triple && text[5] != '-')) return 0;
  const int i = ReadPart(text.substr(0, 2));
  const int j = ReadPart(text.substr(3, 2));
  const int k = triple ? ReadPart(text.substr(6, 2)) : 0;
  if (i < 0 || j < 0 || k < 0) return 0;
  if (triple && k == 0) return 0;
  return ComboNo(kind, i, j, k);
}

Combo ComboOf(ComboKind kind, int no) {
  const ComboTable& t = Table(kind);
  if (no < 1 || no > static_cast<int>(t.combos.size())) return {};
  return t.combos[static_cast<size_t>(no - 1)];
}

const std::string& ComboText(ComboKind kind, int no) {
  static const std::string kNone;
  const ComboTable& t = Table(kind);
  if (no < 1 || no > static_cast<int>(t.texts.size())) return kNone;
  return t.texts[static_cast<size_t>(no - 1)];
}

void QuinellaComboText(int no, std::string& text) {
  if (no >= 1 && no <= ComboCount(ComboKind::Quinella)) text = ComboText(ComboKind::Quinella, no);
}

int BracketOfHorse(int runners, int horse) {
  if (horse < 1 || runners < horse || runners > kMaxHorse) return 0;
  if (runners <= kMaxBracket) return horse;
  // The first 8 - (runners mod 8) brackets hold runners div 8 horses, the rest one more.
  // With 9..16 runners the small brackets hold one horse each and the large ones two.
  if (runners <= 16) {
    const int d = (runners - horse) / 2;
    return d < runners - kMaxBracket ? kMaxBracket - d : horse;
  }
  // 17 or 18 runners: two per bracket, bracket 8 (17) or brackets 7 and 8 (18) three.
  int bracket = kMaxBracket - (16 - horse) / 2;
  if (horse > 16) --bracket;
  if (horse == 15 && runners == 18) --bracket;
  if (horse == 17) ++bracket;
  return bracket;
}

}  // namespace kv
