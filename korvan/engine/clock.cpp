#include "korvan/engine/clock.hpp"

#include <algorithm>
#include <cstdio>
#include <ctime>

namespace keld::korvan {

ClockReading ReadClock() {
  std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  ClockReading c;
  c.year = tm.tm_year + 1900;
  c.month = tm.tm_mon + 1;
  c.day = tm.tm_mday;
  c.hour = tm.tm_hour;
  c.minute = tm.tm_min;
  c.second = tm.tm_sec;
  return c;
}

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DayOfYear(int year, int month, int day) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  month = std::clamp(month, 1, 12);
  int in_month = kDays[month - 1] + (month == 2 && IsLeapYear(year) ? 1 : 0);
  int total = std::clamp(day, 1, in_month);
  for (int m = 1; m < month; ++m) total += kDays[m - 1] + (m == 2 && IsLeapYear(year) ? 1 : 0);
  return total;
}

std::string ShortDateText(const ClockReading& c) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%02d/%02d/%04d", c.day, c.month, c.year);
  return buf;
}

std::string TimeText(const ClockReading& c) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", c.hour, c.minute, c.second);
  return buf;
}

}  // namespace keld::korvan
