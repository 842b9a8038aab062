#include "ui/MainDialogModel.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "catalogue/ListOrder.h"
#include "catalogue/PersonalityListModel.h"

namespace hoardwright::ui {
namespace {

catalogue::PersonalityEntry Entry(std::string device, std::string maker, std::string path) {
  return {std::move(device), std::move(maker), std::move(path)};
}

std::vector<std::string> Devices(const catalogue::PersonalityListModel& list) {
  std::vector<std::string> devices;
  for (const catalogue::PersonalityEntry& entry : list.Entries())
    devices.push_back(entry.deviceName);
  return devices;
}

TEST(ListOrderTest, ComparesUpperCasedTextsAsUnsignedBytes) {
  EXPECT_EQ(catalogue::CompareUpperCased("spot", "SPOT"), 0);
  EXPECT_LT(catalogue::CompareUpperCased("AB", "ABC"), 0);  // a prefix comes first
  EXPECT_GT(catalogue::CompareUpperCased("ABC", "AB"), 0);
  // Upper-cased, "a" comes before "_"; as written it would come after.
  EXPECT_LT(catalogue::CompareUpperCased("a", "_"), 0);
  // Bytes above 127 sort after ASCII, not before (no signed char comparison).
  EXPECT_LT(catalogue::CompareUpperCased("Z", "\xC9"), 0);
  EXPECT_LT(catalogue::CompareUpperCased("", "A"), 0);
}

TEST(PersonalityListModelTest, SortIsStableAndCarriesPathsAndSelection) {
  catalogue::PersonalityListModel list;
  list.Append(Entry("Wash", "Martin", "/a/1"));
  list.Append(Entry("beam", "Robe", "/a/2"));
  list.Append(Entry("WASH", "Clay Paky", "/a/3"));
  list.Append(Entry("Dimmer", "Robe", "/a/4"));
  list.SetSelected(0, true);
  list.SetSelected(3, true);

  list.SortList(catalogue::ListColumn::Device, true);
  EXPECT_EQ(Devices(list), (std::vector<std::string>{"beam", "Dimmer", "Wash", "WASH"}));
  EXPECT_EQ(list.FilePaths(), (std::vector<std::string>{"/a/2", "/a/4", "/a/1", "/a/3"}));
  EXPECT_EQ(list.SelectedIndices(), (std::vector<std::size_t>{1, 2}));

  // Descending keeps equal rows in their present order too.
  list.SortList(catalogue::ListColumn::Device, false);
  EXPECT_EQ(list.FilePaths(), (std::vector<std::string>{"/a/1", "/a/3", "/a/4", "/a/2"}));

  list.SortList(catalogue::ListColumn::Manufacturer, true);
  EXPECT_EQ(list.FilePaths(), (std::vector<std::string>{"/a/3", "/a/1", "/a/4", "/a/2"}));
  EXPECT_EQ(list.SelectedIndices(), (std::vector<std::size_t>{1, 2}));
  EXPECT_EQ(list.Row(1).filePath, "/a/1");
  EXPECT_EQ(list.Row(2).filePath, "/a/4");
}

TEST(PersonalityListModelTest, RowsWithEqualTextsKeepTheirOrderInLongLists) {
  // Long enough that an unstable sort would move equal rows.
  const char* const makers[] = {"Robe", "martin", "Coef", "MARTIN", "Abstract"};
  catalogue::PersonalityListModel list;
  for (int i = 0; i < 60; ++i) {
    const std::string number = std::to_string(100 + i);
    list.Append(Entry("D" + number, makers[(i * 7) % 5], number));
  }
  for (bool ascending : {true, false}) {
    list.SortList(catalogue::ListColumn::Manufacturer, ascending);
    for (std::size_t i = 1; i < list.RowCount(); ++i) {
      const int order = catalogue::CompareUpperCased(list.Row(i - 1).manufacturerName,
                                          list.Row(i).manufacturerName);
      EXPECT_TRUE(ascending ? order <= 0 : order >= 0) << i;
      if (order == 0) {
        EXPECT_LT(list.Row(i - 1).filePath, list.Row(i).filePath) << i;
      }
    }
    list.SortList(catalogue::ListColumn::Device, true);  // back to the order of appending
  }
}

TEST(PersonalityListModelTest, ColumnClicksFlipOnlyOnTheSameColumn) {
  catalogue::PersonalityListModel list;
  list.Append(Entry("Alpha", "Coef", "/1"));
  list.Append(Entry("Gamma", "Abstract", "/2"));
  list.Append(Entry("Beta", "Robe", "/3"));
  EXPECT_EQ(list.Sort(), (catalogue::SortState{catalogue::ListColumn::Device, true}));

  list.ClickColumn(catalogue::ListColumn::Device);  // first click on "Device" sorts descending
  EXPECT_EQ(Devices(list), (std::vector<std::string>{"Gamma", "Beta", "Alpha"}));
  list.ClickColumn(catalogue::ListColumn::Device);
  EXPECT_EQ(Devices(list), (std::vector<std::string>{"Alpha", "Beta", "Gamma"}));
  list.ClickColumn(catalogue::ListColumn::Device);

  // "Manufacturer" after a descending "Device" sort keeps the direction.
  list.ClickColumn(catalogue::ListColumn::Manufacturer);
  EXPECT_EQ(list.Sort(), (catalogue::SortState{catalogue::ListColumn::Manufacturer, false}));
  EXPECT_EQ(Devices(list), (std::vector<std::string>{"Beta", "Alpha", "Gamma"}));

  catalogue::PersonalityListModel fresh;
  fresh.ClickColumn(
      catalogue::ListColumn::Manufacturer);  // first click on "Manufacturer": ascending
  EXPECT_EQ(fresh.Sort(), (catalogue::SortState{catalogue::ListColumn::Manufacturer, true}));
}

TEST(PersonalityListModelTest, SelectionRefusesRowsOutOfRange) {
  catalogue::PersonalityListModel list;
  list.Append(Entry("A", "M", "/1"));
  list.Append(Entry("B", "M", "/2"));
  EXPECT_FALSE(list.SetSelected(2, true));
  EXPECT_TRUE(list.SelectOnly({1}));
  EXPECT_FALSE(list.SelectOnly({0, 5}));
  EXPECT_EQ(list.SelectedIndices(), (std::vector<std::size_t>{1}));
}

class MainDialogModelTest : public testing::Test {
 protected:
  MainDialogModelTest() : model_(catalogue::ManufacturerMap{}) {
    model_.PersonalityList().Assign({Entry("Beam 300", "Robe", "/one/RObeam.qpf"),
                                     Entry("Colour Mixer", "Chauvet", "/one/CHmix.qpf"),
                                     Entry("Spot 575", "Martin", "/one/MTspot.qpf")});
    model_.FinishInitialisation();
  }
  MainDialogModel model_;
};

TEST_F(MainDialogModelTest, AddWithNothingSelectedChangesNothing) {
  // Rows put in directly, unsorted and not counted by the label.
  model_.CacheList().Append(Entry("Zed", "Coef", "/x/z"));
  model_.CacheList().Append(Entry("Able", "Coef", "/x/a"));
  model_.Add();
  EXPECT_EQ(Devices(model_.CacheList()), (std::vector<std::string>{"Zed", "Able"}));
  EXPECT_EQ(model_.CacheLabel(), "Cache File (0 Files)");
}

TEST_F(MainDialogModelTest, AddCopiesSelectedRowsSortedAndCounts) {
  model_.PersonalityList().SelectOnly({0, 2});
  model_.Add();
  EXPECT_EQ(Devices(model_.CacheList()), (std::vector<std::string>{"Beam 300", "Spot 575"}));
  EXPECT_EQ(model_.CacheLabel(), "Cache File (2 Files)");
  EXPECT_EQ(model_.PersonalityList().RowCount(), 3u);  // copied, not moved
}

TEST_F(MainDialogModelTest, AddReplacesARowWhoseDeviceDiffersOnlyInCase) {
  model_.AddAll();
  model_.PersonalityList().Assign({Entry("SPOT 575", "Martin", "/two/MTSPOT.QPF"),
                                   Entry("Hazer", "Unknown", "/two/ZZhaze.qpf")});
  model_.PersonalityList().SelectOnly({0});
  model_.Add();
  EXPECT_EQ(model_.CacheList().RowCount(), 3u);
  EXPECT_EQ(model_.CacheLabel(), "Cache File (3 Files)");
  EXPECT_EQ(model_.CacheList().Row(2).deviceName, "SPOT 575");
  EXPECT_EQ(model_.CacheList().Row(2).filePath, "/two/MTSPOT.QPF");

  // Rows from another directory with other names are kept alongside.
  model_.AddAll();
  EXPECT_EQ(Devices(model_.CacheList()),
            (std::vector<std::string>{"Beam 300", "Colour Mixer", "Hazer", "SPOT 575"}));
}

TEST_F(MainDialogModelTest, AddAllSortsByTheCacheListsOwnState) {
  model_.CacheList().ClickColumn(catalogue::ListColumn::Device);  // descending
  model_.AddAll();
  EXPECT_EQ(Devices(model_.CacheList()),
            (std::vector<std::string>{"Spot 575", "Colour Mixer", "Beam 300"}));
  EXPECT_EQ(model_.PersonalityList().Sort(),
            (catalogue::SortState{catalogue::ListColumn::Device, true}));
}

// The filter matches device or manufacturer, without regard to the case of letters; Add All and
// Remove All take what it shows, and a row it hides is no longer selected.
TEST_F(MainDialogModelTest, FilterDecidesWhatAddAllAndRemoveAllTake) {
  catalogue::PersonalityListModel& list = model_.PersonalityList();
  struct Case {
    std::string filter;
    std::vector<std::size_t> shown;
  };
  const Case cases[] = {{"", {0, 1, 2}},  {"o", {0, 1, 2}}, {"BEAM", {0}}, {"mart", {2}},
                        {"chauvet", {1}}, {"575", {2}},     {"xyz", {}}};
  for (const Case& c : cases) {
    list.SetFilter(c.filter);
    EXPECT_EQ(list.ShownRows(), c.shown) << c.filter;
  }

  list.SelectAll();
  list.SetFilter("robe");
  EXPECT_EQ(list.SelectedIndices(), (std::vector<std::size_t>{0}));
  model_.AddAll();
  EXPECT_EQ(Devices(model_.CacheList()), (std::vector<std::string>{"Beam 300"}));
  list.SetFilter("");
  model_.AddAll();
  EXPECT_EQ(model_.CacheLabel(), "Cache File (3 Files)");

  model_.CacheList().SetFilter("mixer");
  model_.RemoveAll();
  EXPECT_EQ(Devices(model_.CacheList()), (std::vector<std::string>{"Beam 300", "Spot 575"}));
  EXPECT_EQ(model_.CacheLabel(), "Cache File (2 Files)");
}

TEST(ShownCountTextTest, SaysHowManyOfHowMany) {
  EXPECT_EQ(catalogue::ShownCountText(12, 600, true), "12 of 600 shown");
  EXPECT_EQ(catalogue::ShownCountText(600, 600, false), "600 personalities");
  EXPECT_EQ(catalogue::ShownCountText(1, 1, false), "1 personality");
  EXPECT_EQ(catalogue::ShownCountText(0, 0, true), "0 of 0 shown");
}

TEST_F(MainDialogModelTest, RemoveDropsEverySelectedRow) {
  model_.PersonalityList().Assign({Entry("A", "M", "/a"), Entry("B", "M", "/b"),
                                   Entry("C", "M", "/c"), Entry("D", "M", "/d"),
                                   Entry("E", "M", "/e")});
  model_.AddAll();
  model_.CacheList().SelectOnly({0, 2, 3});
  model_.Remove();
  EXPECT_EQ(Devices(model_.CacheList()), (std::vector<std::string>{"B", "E"}));
  EXPECT_EQ(model_.CacheLabel(), "Cache File (2 Files)");

  model_.Remove();  // nothing selected: the label is still refreshed
  EXPECT_EQ(model_.CacheList().RowCount(), 2u);
  model_.RemoveAll();
  EXPECT_TRUE(model_.CacheList().Empty());
  EXPECT_EQ(model_.CacheLabel(), "Cache File (0 Files)");
}

TEST_F(MainDialogModelTest, BuildRequestFollowsTheDialogState) {
  model_.AddAll();
  model_.SetIncludeMacros(false);
  model_.SetCreatedBy("Crew");
  model_.SetOutputDir("/out/");
  model_.SetNotes("Tour\r\n");
  catalogue::BuildRequest request = model_.MakeBuildRequest();
  EXPECT_EQ(request.cacheType, catalogue::CacheType::Standard);
  EXPECT_EQ(request.entries,
            (std::vector<std::string>{"/one/RObeam.qpf", "/one/CHmix.qpf", "/one/MTspot.qpf"}));
  EXPECT_TRUE(request.includePresetFocus);
  EXPECT_TRUE(request.includeRangeTables);
  EXPECT_FALSE(request.includeMacros);
  EXPECT_EQ(request.createdBy, "Crew");
  EXPECT_EQ(request.outputDir, "/out/");
  EXPECT_EQ(request.notes, "Tour\r\n");
  EXPECT_FALSE(request.unattended);
}

TEST(MainDialogModelStartTest, UnattendedRunBuildsExtendedBeforeNormalIsChecked) {
  MainDialogModel model(catalogue::ManufacturerMap{});
  EXPECT_EQ(model.CacheLabel(), "Cache File (0 Files)");
  model.SetCommandLineMode(true);
  model.CheckTableOptions();
  catalogue::BuildRequest request = model.MakeBuildRequest();
  EXPECT_EQ(request.cacheType, catalogue::CacheType::Extended);
  EXPECT_TRUE(request.unattended);
  EXPECT_TRUE(request.includePresetFocus && request.includeRangeTables && request.includeMacros);

  model.FinishInitialisation();
  EXPECT_EQ(model.MakeBuildRequest().cacheType, catalogue::CacheType::Standard);
}

}  // namespace
}  // namespace hoardwright::ui
