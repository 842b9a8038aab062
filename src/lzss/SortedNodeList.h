#pragma once
// The nodes of a search tree in the order of their strings, as a doubly linked list over the
// node numbers 1 .. 4095 (0 ends the list both ways). A node's neighbours in this list are its
// neighbours in the tree's in-order walk, so a string's place among them can be found by
// stepping from any nearby node instead of walking down from the root.
#include <array>
#include <cstdint>

#include "lzss/LzssFormat.h"

namespace hoardwright::lzss {

class SortedNodeList {
 public:
  static constexpr int kSize = kWindowSize + 1;

  void Clear() {
    listed_.fill(0);
    next_.fill(0);
    previous_.fill(0);
  }
  bool Listed(int node) const { return listed_[node] != 0; }
  int Next(int node) const { return next_[node]; }
  int Previous(int node) const { return previous_[node]; }

  // Puts `node` between the neighbours `below` and `above` (either may be 0).
  void InsertBetween(int node, int below, int above) {
    listed_[node] = 1;
    previous_[node] = static_cast<std::uint16_t>(below);
    next_[node] = static_cast<std::uint16_t>(above);
    if (below != 0) next_[below] = static_cast<std::uint16_t>(node);
    if (above != 0) previous_[above] = static_cast<std::uint16_t>(node);
  }
  // `newNode` takes the place of `oldNode`, whose string is the same.
  void TakePlace(int oldNode, int newNode) {
    InsertBetween(newNode, previous_[oldNode], next_[oldNode]);
    listed_[oldNode] = 0;
  }
  void Unlink(int node) {
    const int below = previous_[node];
    const int above = next_[node];
    if (below != 0) next_[below] = static_cast<std::uint16_t>(above);
    if (above != 0) previous_[above] = static_cast<std::uint16_t>(below);
    listed_[node] = 0;
  }

 private:
  std::array<std::uint8_t, kSize> listed_{};
  std::array<std::uint16_t, kSize> next_{};
  std::array<std::uint16_t, kSize> previous_{};
};

}  // namespace hoardwright::lzss
