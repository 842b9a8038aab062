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

  void Clear() { links_.fill(kUnlisted); }
  bool Listed(int node) const { return links_[node].previous != kUnlisted.previous; }
  int Next(int node) const { return links_[node].next; }
  int Previous(int node) const { return links_[node].previous; }

  // Puts `node` between the neighbours `below` and `above` (either may be 0).
  void InsertBetween(int node, int below, int above) {
    links_[node] = {static_cast<std::uint16_t>(below), static_cast<std::uint16_t>(above)};
    if (below != 0) links_[below].next = static_cast<std::uint16_t>(node);
    if (above != 0) links_[above].previous = static_cast<std::uint16_t>(node);
  }
  // `newNode` takes the place of `oldNode`, whose string is the same.
  void TakePlace(int oldNode, int newNode) {
    InsertBetween(newNode, links_[oldNode].previous, links_[oldNode].next);
    links_[oldNode] = kUnlisted;
  }
  void Unlink(int node) {
    const Links links = links_[node];
    if (links.previous != 0) links_[links.previous].next = links.next;
    if (links.next != 0) links_[links.next].previous = links.previous;
    links_[node] = kUnlisted;
  }

 private:
  // Both neighbours together: a node's list step reads one small slot.
  struct Links {
    std::uint16_t previous;
    std::uint16_t next;
  };
  // Node numbers stop at 4096, so this never names a neighbour.
  static constexpr Links kUnlisted{0xFFFF, 0xFFFF};
  std::array<Links, kSize> links_ = MakeUnlisted();

  static std::array<Links, kSize> MakeUnlisted() {
    std::array<Links, kSize> links;
    links.fill(kUnlisted);
    return links;
  }
};

}  // namespace hoardwright::lzss
