#pragma once
// Dates of the simulated world and the JRA-like racing calendar: which days race, at which of
// the ten central venues, with which meeting and day-of-meeting numbers.
#include <string>
#include <vector>

namespace kv::sim {

// A calendar date; Serial() counts days from 1970-01-01.
struct Date {
  int y = 1970, m = 1, d = 1;
  int Serial() const;
  static Date FromSerial(int serial);
  // 0 = Sunday .. 6 = Saturday.
  int Weekday() const;
  Date Plus(int days) const { return FromSerial(Serial() + days); }
  int Yyyymmdd() const { return y * 10000 + m * 100 + d; }
  std::string Text8() const;  // "yyyymmdd"
  auto operator<=>(const Date&) const = default;
};

// "YYYY-MM-DD" (or "YYYYMMDD"); false when the text is not a valid date.
bool ParseDate(const std::string& text, Date& out);

// One venue racing on one day.
struct VenueDay {
  std::string venue;  // "01".."10"
  int meeting = 1;    // meeting number of the year at that venue (回)
  int day = 1;        // day of the meeting (日目)
};

// One race day and its venues, in the order their first races start.
struct RaceDay {
  Date date;
  char weekdayCode = '1';  // JV-Data weekday code: 1 Sat, 2 Sun, 3 holiday, 4 Mon .. 8 Fri
  std::vector<VenueDay> venues;
};

// True when the date is a racing day of the simulated calendar (Saturdays, Sundays and a few
// holidays; no racing from 29 December to 4 January).
bool IsRacingDate(const Date& date);

// Builds race days in order, numbering meetings and days of meeting as it goes. Feed it every
// racing date in ascending order (extra dates, such as a forced "today", are allowed).
class Calendar {
 public:
  RaceDay Next(const Date& date);

 private:
  struct VenueState {
    int year = 0;
    int meetings = 0;
    int day = 0;
    int lastSerial = -1000;
  };
  VenueState state_[10];
};

}  // namespace kv::sim
