#pragma once
// One reading of the local clock, and the date values a shot stores from it.
#include <string>

namespace keld::korvan {

struct ClockReading {
  int year = 1970, month = 1, day = 1;  // month 1..12, day 1..31
  int hour = 0, minute = 0, second = 0;
};

// The local time now.
ClockReading ReadClock();

// True day of the year, 1 January = 1 (Gregorian leap years): 1 March is 60 in
// a common year and 61 in a leap year, 31 December 365 or 366. A month or day
// out of range is clamped into the year.
int DayOfYear(int year, int month, int day);
bool IsLeapYear(int year);

// The date and time as the text record shows them: "08/12/2024" and "14:03:07".
std::string ShortDateText(const ClockReading& c);
std::string TimeText(const ClockReading& c);

}  // namespace keld::korvan
