#include "Calendar.h"

#include <cstdio>

namespace kv::sim {

int Date::Serial() const {
  // Days from civil (proleptic Gregorian).
  const int yy = m <= 2 ? y - 1 : y;
  const int era = (yy >= 0 ? yy : yy - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(yy - era * 400);
  const unsigned doy = (153 * static_cast<unsigned>(m > 2 ? m - 3 : m + 9) + 2) / 5 + static_cast<unsigned>(d) - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int>(doe) - 719468;
}

Date Date::FromSerial(int z) {
  z += 719468;
  const int era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int yy = static_cast<int>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  const unsigned dd = doy - (153 * mp + 2) / 5 + 1;
  const unsigned mm = mp < 10 ? mp + 3 : mp - 9;
  return Date{mm <= 2 ? yy + 1 : yy, static_cast<int>(mm), static_cast<int>(dd)};
}

int Date::Weekday() const {
  const int s = Serial();  // 1970-01-01 was a Thursday
  return ((s % 7) + 7 + 4) % 7;
}

std::string Date::Text8() const {
  char b[16];
  std::snprintf(b, sizeof b, "%04d%02d%02d", y % 10000, m % 100, d % 100);
  return b;
}

bool ParseDate(const std::string& text, Date& out) {
  int y = 0, m = 0, d = 0;
  char extra = 0;
  if (std::sscanf(text.c_str(), "%4d-%2d-%2d%c", &y, &m, &d, &extra) != 3 &&
      !(text.size() == 8 && std::sscanf(text.c_str(), "%4d%2d%2d%c", &y, &m, &d, &extra) == 3))
    return false;
  if (y < 1900 || y > 2999 || m < 1 || m > 12 || d < 1 || d > 31) return false;
  Date t{y, m, d};
  if (Date::FromSerial(t.Serial()) != t) return false;  // 31 April and the like
  out = t;
  return true;
}

namespace {

// n-th Monday (1-based) of a month.
int NthMonday(int y, int m, int n) {
  const Date first{y, m, 1};
  const int wd = first.Weekday();
  const int firstMonday = 1 + (8 - wd) % 7;
  return firstMonday + 7 * (n - 1);
}

bool IsRacingHoliday(const Date& t) {
  if (t.Weekday() != 1) return false;
  return (t.m == 1 && t.d == NthMonday(t.y, 1, 2)) ||   // Coming-of-Age Day
         (t.m == 9 && t.d == NthMonday(t.y, 9, 3)) ||   // Respect-for-the-Aged Day
         (t.m == 10 && t.d == NthMonday(t.y, 10, 2));   // Sports Day
}

// The venues of each month: an eastern main track, a western main track and a local track.
// Months whose local slot is "" race at two venues only.
struct MonthPlan {
  const char* east;
  const char* west;
  const char* local;
};
constexpr MonthPlan kPlan[12] = {
    {"06", "08", "07"}, {"05", "08", ""},   {"06", "09", "07"}, {"06", "09", "03"},
    {"05", "08", ""},   {"05", "09", "02"}, {"03", "07", "02"}, {"04", "10", "01"},
    {"06", "09", "01"}, {"05", "08", "04"}, {"05", "08", ""},   {"06", "09", "07"},
};

}  // namespace

bool IsRacingDate(const Date& t) {
  if ((t.m == 12 && t.d >= 29) || (t.m == 1 && t.d <= 4)) return false;
  const int wd = t.Weekday();
  return wd == 0 || wd == 6 || IsRacingHoliday(t);
}

RaceDay Calendar::Next(const Date& date) {
  RaceDay rd;
  rd.date = date;
  const int wd = date.Weekday();
  if (wd == 6) rd.weekdayCode = '1';
  else if (wd == 0) rd.weekdayCode = '2';
  else if (IsRacingHoliday(date)) rd.weekdayCode = '3';
  else rd.weekdayCode = static_cast<char>('4' + (wd - 1));  // Mon 4 .. Fri 8

  const MonthPlan& plan = kPlan[date.m - 1];
  std::vector<std::string> codes = {plan.east, plan.west};
  // Holidays race at the two main tracks only.
  if (plan.local[0] != 0 && rd.weekdayCode != '3') codes.emplace_back(plan.local);

  const int serial = date.Serial();
  for (const std::string& code : codes) {
    VenueState& st = state_[std::stoi(code) - 1];
    // A new meeting starts with a new year, after a break of more than a week, or on the first
    // Saturday after 8 days (12 at most).
    if (st.year != date.y) {
      st.year = date.y;
      st.meetings = 0;
      st.day = 0;
      st.lastSerial = -1000;
    }
    if (serial - st.lastSerial > 9 || (st.day >= 8 && wd == 6) || st.day >= 12 || st.meetings == 0) {
      ++st.meetings;
      st.day = 0;
    }
    ++st.day;
    st.lastSerial = serial;
    rd.venues.push_back(VenueDay{code, st.meetings, st.day});
  }
  return rd;
}

}  // namespace kv::sim
