#include "catalogue/ListOrder.h"

#include <algorithm>

namespace hoardwright::catalogue {

char UpperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b) {
  return std::ranges::equal(a, b, [](char x, char y) { return UpperAscii(x) == UpperAscii(y); });
}

std::string_view ColumnText(const PersonalityEntry& entry, ListColumn column) {
  return column == ListColumn::Device ? entry.deviceName : entry.manufacturerName;
}

int CompareUpperCased(std::string_view a, std::string_view b) {
  const std::size_t common = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < common; ++i) {
    const auto x = static_cast<unsigned char>(UpperAscii(a[i]));
    const auto y = static_cast<unsigned char>(UpperAscii(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

bool ListOrderBefore(const PersonalityEntry& a, const PersonalityEntry& b, ListColumn column,
                     bool ascending) {
  const int order = CompareUpperCased(ColumnText(a, column), ColumnText(b, column));
  return ascending ? order < 0 : order > 0;
}

void SortEntries(std::span<PersonalityEntry> entries, ListColumn column, bool ascending) {
  std::ranges::stable_sort(entries, [column, ascending](const auto& a, const auto& b) {
    return ListOrderBefore(a, b, column, ascending);
  });
}

}  // namespace hoardwright::catalogue
