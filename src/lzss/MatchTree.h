#pragma once
// The binary search tree of window positions that finds the longest earlier match. Node p
// (1 .. 4095) stands for the 17 bytes starting at window position p; node 4096 is the root
// holder, whose larger child is the top node. Node 0 is the null reference, yet it is a real
// slot: writes made through a null reference land in it and later steps read it back. The
// stream format depends on that, so node 0 is never special-cased. A node is in the tree when
// its parent is not 0; after the window position 0 is removed a node can keep a parent without
// being reachable from the root, and that too is part of the format.
#include <array>
#include <cstdint>
#include <span>

#include "lzss/LzssFormat.h"

namespace hoardwright::lzss {

struct MatchNode {
  std::int32_t parent = 0;
  std::int32_t smaller = 0;
  std::int32_t larger = 0;
  bool operator==(const MatchNode&) const = default;
};

class MatchTree {
 public:
  static constexpr int kNull = 0;
  static constexpr int kRoot = kWindowSize;
  static constexpr int kNodeCount = kWindowSize + 1;
  using Window = std::span<const std::uint8_t, kWindowSize>;

  void Clear() { nodes_.fill(MatchNode{}); }
  // Makes `node` the only node of an empty tree.
  void Start(int node);

  // Inserts `newNode` and returns the length (0 .. 17) of the longest match met on its path;
  // `matchPosition` becomes that match's position. Ties go to the node met later on the path.
  // A 17-byte match replaces the older node with the new one. Node 0 is never inserted: the
  // result is then 0 and `matchPosition` is left alone.
  int InsertAndMatch(int newNode, Window window, int& matchPosition);
  void Remove(int node);
  // Puts `newNode` (possibly 0) in the place of `oldNode` under oldNode's parent; the parent's
  // larger child is tested first.
  void Contract(int oldNode, int newNode);
  // Puts `newNode` in the place of `oldNode`, taking over its parent and children; the parent's
  // smaller child is tested first.
  void Replace(int oldNode, int newNode);

  // Indexes outside 0 .. 4096 read as an empty node and are not written.
  MatchNode Node(int index) const { return IsIndex(index) ? nodes_[index] : MatchNode{}; }
  // Refuses indexes or links outside 0 .. 4096.
  bool SetNode(int index, const MatchNode& node);
  bool Contains(int node) const { return Node(node).parent != kNull; }

 private:
  static bool IsIndex(int index) { return index >= 0 && index < kNodeCount; }

  std::array<MatchNode, kNodeCount> nodes_{};
};

}  // namespace hoardwright::lzss
