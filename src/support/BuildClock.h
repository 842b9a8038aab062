#pragma once
// The time a build stamps into its cache: the local clock, or the time given by the environment
// variable SOURCE_DATE_EPOCH (seconds since 1970, read as UTC) so that two builds of the same
// input give identical files.
#include <cstdint>
#include <optional>
#include <string>

namespace hoardwright::support {

struct CalendarTime {
  int year = 1980;
  int month = 1;  // 1..12
  int day = 1;    // 1..31
  int hour = 0;
  int minute = 0;
  int second = 0;
};

// `sourceDateEpoch` is the variable's text, or null when it is not set. An unparsable value is
// ignored in favour of the local clock.
CalendarTime BuildTime(const char* sourceDateEpoch);
// Reads SOURCE_DATE_EPOCH from the environment.
CalendarTime BuildTimeFromEnvironment();

// "05-Dec-2026": two-digit day, English month abbreviation, four-digit year.
std::string FormatCacheDate(const CalendarTime& time);

// MS-DOS date (bits 15-9 year-1980, 8-5 month, 4-0 day) and time (15-11 hour, 10-5 minute,
// 4-0 second/2).
std::uint16_t MsDosDate(const CalendarTime& time);
std::uint16_t MsDosTime(const CalendarTime& time);

}  // namespace hoardwright::support
