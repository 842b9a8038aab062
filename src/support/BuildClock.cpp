#include "support/BuildClock.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string_view>

#include "support/Platform.h"

namespace hoardwright::support {
namespace {

CalendarTime FromTm(const std::tm& tm) {
  return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

std::optional<std::time_t> ParseEpoch(const char* text) {
  if (text == nullptr) return std::nullopt;
  std::string_view view(text);
  long long seconds = 0;
  const auto [end, error] = std::from_chars(view.data(), view.data() + view.size(), seconds);
  if (error != std::errc() || end != view.data() + view.size() || seconds < 0) return std::nullopt;
  return static_cast<std::time_t>(seconds);
}

}  // namespace

CalendarTime BuildTime(const char* sourceDateEpoch) {
  std::tm tm{};
  if (const auto epoch = ParseEpoch(sourceDateEpoch)) {
    support::UtcTime(*epoch, tm);
  } else {
    const std::time_t now = std::time(nullptr);
    support::LocalTime(now, tm);
  }
  return FromTm(tm);
}

CalendarTime BuildTimeFromEnvironment() { return BuildTime(std::getenv("SOURCE_DATE_EPOCH")); }

std::string FormatCacheDate(const CalendarTime& time) {
  static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  const int month = time.month >= 1 && time.month <= 12 ? time.month : 1;
  char text[32];
  std::snprintf(text, sizeof text, "%02d-%s-%04d", time.day, kMonths[month - 1], time.year);
  return text;
}

std::uint16_t MsDosDate(const CalendarTime& time) {
  const int years = time.year < 1980 ? 0 : (time.year > 2107 ? 127 : time.year - 1980);
  return static_cast<std::uint16_t>((years << 9) | ((time.month & 0x0F) << 5) | (time.day & 0x1F));
}

std::uint16_t MsDosTime(const CalendarTime& time) {
  return static_cast<std::uint16_t>(((time.hour & 0x1F) << 11) | ((time.minute & 0x3F) << 5) |
                                    ((time.second / 2) & 0x1F));
}

}  // namespace hoardwright::support
