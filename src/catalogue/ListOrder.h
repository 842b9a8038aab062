#pragma once
// How both lists order their rows: by the text of one column, upper-cased and compared byte by
// byte as unsigned values (a shorter text before any longer text it is a prefix of).
#include <span>
#include <string_view>

#include "catalogue/PersonalityEntry.h"

namespace hoardwright::catalogue {

enum class ListColumn { Device = 0, Manufacturer = 1 };

// The last sorted column and the direction of one list. Lists start sorted ascending by device.
struct SortState {
  ListColumn column = ListColumn::Device;
  bool ascending = true;

  bool operator==(const SortState&) const = default;
};

std::string_view ColumnText(const PersonalityEntry& entry, ListColumn column);

// Negative, zero or positive as `a` sorts before, with or after `b` (ASCII letters upper-cased).
int CompareUpperCased(std::string_view a, std::string_view b);

// True when `a` goes before `b` in the given order; rows with equal texts are not ordered.
bool ListOrderBefore(const PersonalityEntry& a, const PersonalityEntry& b, ListColumn column,
                     bool ascending);

// A stable sort: rows with equal texts keep their relative order.
void SortEntries(std::span<PersonalityEntry> entries, ListColumn column, bool ascending);

// ASCII letters upper-cased, every other byte as it is.
char UpperAscii(char c);
bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b);

}  // namespace hoardwright::catalogue
