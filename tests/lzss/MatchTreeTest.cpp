#include <gtest/gtest.h>

#include <array>
#include <string_view>

#include "lzss/MatchTree.h"

namespace hoardwright::lzss {
namespace {

constexpr int kRoot = MatchTree::kRoot;

struct Placed {
  int index;
  MatchNode node;
};

MatchTree Build(std::initializer_list<Placed> nodes) {
  MatchTree tree;
  for (const auto& placed : nodes) EXPECT_TRUE(tree.SetNode(placed.index, placed.node));
  return tree;
}

// A small search tree:      10
//                         5    15
//                       3   7
//                          6
MatchTree Sample() {
  return Build({{kRoot, {0, 0, 10}},
                {10, {kRoot, 5, 15}},
                {5, {10, 3, 7}},
                {7, {5, 6, 0}},
                {6, {7, 0, 0}},
                {3, {5, 0, 0}},
                {15, {10, 0, 0}}});
}

TEST(MatchTree, RemovingANodeWithTwoChildrenPromotesItsPredecessor) {
  MatchTree tree = Sample();
  tree.Remove(10);
  EXPECT_EQ(tree.Node(kRoot).larger, 7);
  EXPECT_EQ(tree.Node(7), (MatchNode{kRoot, 5, 15}));
  EXPECT_EQ(tree.Node(5), (MatchNode{7, 3, 6}));
  EXPECT_EQ(tree.Node(6).parent, 5);
  EXPECT_EQ(tree.Node(15).parent, 7);
  EXPECT_FALSE(tree.Contains(10));
}

TEST(MatchTree, RemovingALeafWritesItsParentIntoNodeZero) {
  MatchTree tree = Sample();
  tree.Remove(15);
  EXPECT_EQ(tree.Node(10), (MatchNode{kRoot, 5, 0}));
  EXPECT_EQ(tree.Node(0).parent, 10);
  tree.Remove(15);  // no longer in the tree: nothing happens
  EXPECT_EQ(tree.Node(10), (MatchNode{kRoot, 5, 0}));
}

TEST(MatchTree, ReplaceGivesEmptyChildSlotsParentsThroughNodeZero) {
  MatchTree tree = Sample();
  tree.Replace(7, 9);
  EXPECT_EQ(tree.Node(5).larger, 9);
  EXPECT_EQ(tree.Node(9), (MatchNode{5, 6, 0}));
  EXPECT_EQ(tree.Node(6).parent, 9);
  EXPECT_EQ(tree.Node(0).parent, 9);
  EXPECT_FALSE(tree.Contains(7));
}

// Node 8 claims parent 5, but 5 does not point back at it: the state a node is left in after
// the removal at window position 0. Which child slot of 5 changes then depends on the order in
// which each operation tests the slots.
TEST(MatchTree, ContractTestsTheLargerSlotFirstAndReplaceTheSmaller) {
  const auto stale = [] { return Build({{kRoot, {0, 0, 5}}, {5, {kRoot, 6, 7}}, {8, {5, 0, 0}}}); };
  MatchTree contracted = stale();
  contracted.Contract(8, 0);
  EXPECT_EQ(contracted.Node(5), (MatchNode{kRoot, 0, 7}));
  EXPECT_EQ(contracted.Node(0).parent, 5);

  MatchTree replaced = stale();
  replaced.Replace(8, 9);
  EXPECT_EQ(replaced.Node(5), (MatchNode{kRoot, 6, 9}));

  // A parent holding the node in both slots: each operation changes only its first match.
  const auto twice = [] { return Build({{kRoot, {0, 0, 5}}, {5, {kRoot, 8, 8}}, {8, {5, 0, 0}}}); };
  MatchTree bothContracted = twice();
  bothContracted.Contract(8, 3);
  EXPECT_EQ(bothContracted.Node(5), (MatchNode{kRoot, 8, 3}));
  MatchTree bothReplaced = twice();
  bothReplaced.Replace(8, 3);
  EXPECT_EQ(bothReplaced.Node(5), (MatchNode{kRoot, 3, 8}));
}

TEST(MatchTree, RemovingPositionZeroCutsOffTheSmallerSubtreeOfItsRecordedParent) {
  MatchTree tree = Sample();
  tree.Remove(15);  // node 0 now records parent 10, whose larger slot is empty ...
  ASSERT_TRUE(tree.SetNode(15, {10, 0, 0}));
  ASSERT_TRUE(tree.SetNode(10, {kRoot, 5, 15}));  // ... until a new node fills it
  tree.Remove(0);
  EXPECT_EQ(tree.Node(10), (MatchNode{kRoot, 0, 15}));
  EXPECT_EQ(tree.Node(0).parent, 0);
  // 5 still names 10 as its parent but can no longer be reached from the root.
  EXPECT_EQ(tree.Node(5).parent, 10);
  EXPECT_TRUE(tree.Contains(5));

  MatchTree untouched = Sample();
  untouched.Remove(0);  // node 0 has no parent: nothing to do
  EXPECT_EQ(untouched.Node(10), (MatchNode{kRoot, 5, 15}));
}

std::array<std::uint8_t, kWindowSize> WindowWith(
    std::initializer_list<std::pair<int, std::string_view>> texts) {
  std::array<std::uint8_t, kWindowSize> window{};
  for (const auto& [position, text] : texts) {
    for (std::size_t i = 0; i < text.size(); ++i)
      window[WrapPosition(position + static_cast<int>(i))] = static_cast<std::uint8_t>(text[i]);
  }
  return window;
}

TEST(MatchTree, InsertAndMatchFindsTheLongestMatchAndPrefersTheLaterNodeOnATie) {
  const auto window = WindowWith({{1, "ABCD"}, {5, "ABX"}, {9, "ABCY"}, {13, "ABQ"}});
  MatchTree tree;
  tree.Start(1);
  int position = -1;
  EXPECT_EQ(tree.InsertAndMatch(5, window, position), 2);
  EXPECT_EQ(position, 1);
  EXPECT_EQ(tree.Node(1).larger, 5);  // "ABX" > "ABCD"

  EXPECT_EQ(tree.InsertAndMatch(9, window, position), 3);
  EXPECT_EQ(position, 1);
  EXPECT_EQ(tree.Node(5).smaller, 9);

  // "ABQ" matches 1 and 5 (and 9) for two bytes; the last node on its path wins.
  EXPECT_EQ(tree.InsertAndMatch(13, window, position), 2);
  EXPECT_EQ(position, 9);
  EXPECT_EQ(tree.Node(9).larger, 13);
}

TEST(MatchTree, AFullLengthMatchReplacesTheOlderNode) {
  const auto window = WindowWith({{1, "0123456789abcdefgh"}, {101, "0123456789abcdefgh"}});
  MatchTree tree;
  tree.Start(1);
  int position = 0;
  EXPECT_EQ(tree.InsertAndMatch(101, window, position), kLookAheadSize);
  EXPECT_EQ(position, 1);
  EXPECT_EQ(tree.Node(kRoot).larger, 101);
  EXPECT_EQ(tree.Node(101), (MatchNode{kRoot, 0, 0}));
  EXPECT_FALSE(tree.Contains(1));
}

TEST(MatchTree, PositionZeroIsNeverInserted) {
  const auto window = WindowWith({{1, "AB"}});
  MatchTree tree;
  tree.Start(1);
  int position = 77;
  EXPECT_EQ(tree.InsertAndMatch(0, window, position), 0);
  EXPECT_EQ(position, 77);
  EXPECT_EQ(tree.Node(1), (MatchNode{kRoot, 0, 0}));
}

}  // namespace
}  // namespace hoardwright::lzss
