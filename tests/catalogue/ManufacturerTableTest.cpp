#include <gtest/gtest.h>

#include <set>

#include "catalogue/ManufacturerTable.h"

namespace hoardwright {
namespace {

TEST(ManufacturerTable, HoldsTheRowsInTableOrderWithPaddedNames) {
  const auto rows = catalogue::ManufacturerRows();
  ASSERT_EQ(rows.size(), 127u);
  EXPECT_EQ(rows.front().code, "AB");
  EXPECT_EQ(rows.front().name, "Abstract         ");
  EXPECT_EQ(rows[5].code, "AMP");
  EXPECT_EQ(rows[5].name, "Amptown/Control..");
  EXPECT_EQ(rows[32].code, "EM");
  EXPECT_EQ(rows[32].name, "Eliminator Lig...");
  EXPECT_EQ(rows.back().code, "XY");
  EXPECT_EQ(rows.back().name, "XY Systems       ");
  std::set<std::string_view> codes;
  for (const auto& row : rows) {
    EXPECT_EQ(row.name.size(), 17u) << row.code;
    codes.insert(row.code);
  }
  EXPECT_EQ(codes.size(), 127u);
}

TEST(ManufacturerTable, MapHoldsEveryCodeWithItsFullName) {
  const catalogue::ManufacturerMap map = catalogue::LoadManufacturerMap();
  EXPECT_EQ(map.size(), 127u);
  EXPECT_EQ(map.at("VS"), "JB Lighting      ");
  EXPECT_EQ(map.at("RL"), "iRad             ");
  EXPECT_EQ(map.at("UK"), "Unknown          ");
}

TEST(ManufacturerTable, LooksUpFileNamesByTwoThenThreeLetters) {
  const catalogue::ManufacturerMap map = catalogue::LoadManufacturerMap();
  const struct {
    const char* fileName;
    const char* name;
  } cases[] = {
      {"mtmac500.qpf", "Martin           "},
      {"ADJCOLOR.QPF", "American DJ      "},
      {"ZZFIX.QPF", "Unknown"},
      {"UKTHING.QPF", "Unknown          "},
      // The two-letter VL wins over the three-letter VLS.
      {"VLSPOT.QPF", "Varilite         "},
      {"Cp", "Clay Paky        "},
      {"A", "Unknown"},
      {"", "Unknown"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(catalogue::ManufacturerNameForFile(map, c.fileName), c.name) << c.fileName;
  }
}

}  // namespace
}  // namespace hoardwright
