#pragma once
// The production encoder: the same search-tree coder as ReferenceLzssEncoder, step for step and
// node for node, so its bit stream is identical for every input, only cheaper per step:
//   - input arrives in blocks (Feed), not one byte per virtual call;
//   - the window carries a copy of its first bytes past its end, so the 17 bytes at any position
//     are contiguous and two 8-byte loads plus one byte compare them (count-trailing-zeros finds
//     the first difference);
//   - tokens are gathered in a 64-bit register and stored four bytes at a time;
//   - the tree is a flat array without range checks (every link it holds is 0 .. 4096 by
//     construction);
//   - while the tree is in order (every reachable node's strings sorted in the in-order walk, all
//     parent links consistent), its nodes are also kept in a sorted list, and a new string is
//     placed by stepping through that list from the position after the previous match instead of
//     walking down from the root. In an ordered tree the walk would end at the new string's list
//     neighbour that lacks the child on its side, and the longest match on its path is one of
//     the two neighbours (the deeper one on a tie), so the tree gets the same links. The writes
//     through node 0 can cut a subtree off or hang one in a wrong place; the list follows a cut,
//     and anything else sends the encoder back to walking until the tree checks out in order.
// The tree's shape, its tie-breaks and the writes through node 0 are those of MatchTree; nothing
// is skipped or limited, since any of that would change which match wins.
//
// Usage: construct over the vector that receives the stream, Feed the input in blocks of any
// size, then Finish. Whole bytes are appended to the vector as they complete, so a caller may
// drain it between Feed calls; Finish adds the end-of-stream token and the partly filled last
// byte, if any.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "lzss/LzssFormat.h"
#include "lzss/MatchTree.h"
#include "lzss/SortedNodeList.h"

namespace hoardwright::lzss {

class FastLzssEncoder {
 public:
  explicit FastLzssEncoder(std::vector<std::uint8_t>& output);
  FastLzssEncoder(const FastLzssEncoder&) = delete;
  FastLzssEncoder& operator=(const FastLzssEncoder&) = delete;

  // Codes as much of `input` as can be coded before more input (or Finish) is known; the rest
  // is kept for the next call.
  void Feed(std::span<const std::uint8_t> input);
  // Codes what is left, the end-of-stream token, and the last partly filled byte (low bits 0).
  // Returns how many bits of that last byte belong to the stream (1 .. 7), or 0 when the stream
  // ended on a byte boundary and no such byte was added. Feed must not be called afterwards.
  int Finish();

  // The tree after the last step, in MatchTree's terms; for comparing with the reference.
  MatchNode Node(int index) const;

  // How the strings were placed; for tests and benchmarks.
  struct Counts {
    std::uint64_t listPlacements = 0;  // placed by stepping through the sorted list
    std::uint64_t walks = 0;           // placed by walking down from the root
    std::uint64_t cuts = 0;            // subtrees cut off by a write through node 0
    std::uint64_t orderChecks = 0;     // whole-tree checks after an irregular change
    std::uint64_t orderLost = 0;       // checks that found the tree out of order
  };
  const Counts& Statistics() const { return counts_; }

 private:
  // Links fit 16 bits (0 .. 4096); small arrays keep the whole search in the first-level cache.
  struct Children {
    std::uint16_t child[2];  // [0] smaller, [1] larger
  };
  static constexpr int kRoot = kWindowSize;
  static constexpr int kNodeCount = kWindowSize + 1;
  // Copy of window positions 0 .. kMirror-1 kept after position 4095. Loads reach at most 16
  // bytes past position 4096 (the root holder's index, never a string but harmless to read).
  static constexpr int kMirror = 32;

  std::size_t Prime(std::span<const std::uint8_t> input);
  std::size_t Run(const std::uint8_t* input, std::size_t size, bool final);
  void Store(int position, std::uint8_t byte) {
    window_[position] = byte;
    if (position < kMirror) window_[position + kWindowSize] = byte;
  }
  void StartTree();
  int InsertAndMatch(int newNode);
  // A hash of the first three bytes of a string, from its first eight as a Key.
  static std::size_t PrefixSlot(std::uint64_t key);
  // Where the string at `newNode` stands against the one at `node`.
  struct Comparison {
    int equal;  // leading bytes in common, 0 .. 17
    bool larger;
  };
  // The 17 bytes at a position, as numbers that order like the bytes do.
  struct StringKey {
    std::uint64_t high;
    std::uint64_t low;
    std::uint8_t last;
  };
  StringKey WholeKey(int position) const;
  Comparison Compare(const StringKey& key, int node) const;
  // Places `newNode` by stepping through the sorted list from `start`; false when the place is
  // not within reach, or `start` shares fewer than `minimumEqual` bytes with it (nothing is
  // changed then).
  bool PlaceFromList(int newNode, const StringKey& key, int start, int minimumEqual,
                     int& length);
  // Hangs `newNode` between its list neighbours `below` and `above` (0: none), with which it
  // shares `belowEqual` and `aboveEqual` bytes; false when neither has room.
  bool AttachBetween(int newNode, int below, int above, int belowEqual, int aboveEqual,
                     int& length);
  // Places `newNode` in an ordered tree by walking down from the root; false, changing
  // nothing, when the walk finds no place.
  bool WalkOrdered(int newNode, int& length);
  // `newNode` takes the place of `node`, whose 17 bytes are the same.
  bool ReplaceEqual(int node, int newNode, int& length);
  // Checks the reachable tree and, when it is in order, lists its nodes again.
  [[gnu::cold]] void CheckOrder();
  // Takes the nodes of the subtree under `top` off the sorted list.
  void UnlistSubtree(int top);
  bool TouchesOrder(int node) const {
    return node == kRoot || (node != 0 && sortedNodes_.Listed(node));
  }
  void RemoveFromTree(int node);
  // Removes a node that is in the tree but not on the sorted list: node 0, or one cut off.
  [[gnu::cold]] void RemoveUnlisted(int node);
  int WalkBushy(int newNode);
  int WalkChains(int newNode);
  // Bytes 8 .. 16 compared, for two positions whose first 8 bytes are equal: the number of equal
  // bytes (8 .. 17) and which way the walk turns.
  int LongMatch(int newNode, int test, bool& goLarger) const;
  // The result of a walk of `steps` nodes from its best score.
  int Settle(std::uint32_t bestScore, int steps);
  // The first 8 bytes at `position`, as a number that orders like the bytes do.
  std::uint64_t Key(int position) const;
  // Both children of `node` in one value (see ChildOf).
  std::uint32_t ChildrenOf(int node) const;
  void SetChild(int node, int side, int child) {
    children_[node].child[side] = static_cast<std::uint16_t>(child);
  }
  void Link(int node, int parent, int smaller, int larger) {
    parents_[node] = static_cast<std::uint16_t>(parent);
    SetChild(node, 0, smaller);
    SetChild(node, 1, larger);
  }
  void Remove(int node);
  void Contract(int oldNode, int newNode);
  void Replace(int oldNode, int newNode);
  void PutBits(std::uint32_t value, int count);

  std::vector<std::uint8_t>& output_;
  alignas(64) std::array<std::uint8_t, kWindowSize + kMirror> window_{};
  std::array<Children, kNodeCount> children_{};
  std::array<std::uint16_t, kNodeCount> parents_{};
  // The nodes the current search passed, in order.
  std::array<std::uint16_t, kNodeCount> path_{};
  static constexpr int kStepBits = 13;  // a walk has at most 4097 steps
  static constexpr std::uint32_t kStepMask = (1U << kStepBits) - 1;
  // Walks longer than this take the branching walk next time. Both walks give the same tree, so
  // the value moves only speed: lower sends bushy trees (text, records) to the branching walk,
  // which mispredicts there; higher keeps chain-grown trees (ascending or descending data) on the
  // branch-free walk, which waits on every comparison. No measurement of this value itself is
  // recorded; bench/lzss_bench's "ascending" and "records" inputs are where a change shows.
  static constexpr int kLongWalk = 48;
  int lastWalk_ = 0;

  SortedNodeList sortedNodes_;
  bool ordered_ = true;
  // Placements to wait, after the tree was found out of order, before checking it again. A check
  // walks the whole tree (4097 nodes), so waiting one window's worth of placements keeps its cost
  // to about one node per placement; a shorter wait returns to the list sooner but checks more.
  static constexpr int kOrderRecheck = kWindowSize;
  int recheckIn_ = 0;
  // List steps tried before falling back to the walk. Most placements take one or two steps: with
  // 16, scripts/bench's run recorded in the README placed 91 % (sparse) to 100 % (runs, ascending)
  // of strings from the list. A larger reach catches a few more at the cost of longer failed
  // searches before the walk; no run with another value is recorded.
  static constexpr int kListReach = 16;
  // The latest string placed for each hash of a three-byte prefix, and for each first byte.
  // 4096 slots, one per window position: fewer would let different prefixes share a slot and
  // start the list search further away; more would only add memory that each encoder zeroes and
  // that competes with the tree's arrays for the first-level cache. No run with another value
  // is recorded.
  static constexpr int kPrefixSlotBits = 12;
  std::array<std::uint16_t, std::size_t{1} << kPrefixSlotBits> latestWithPrefix_{};
  std::array<std::uint16_t, 256> latestWithFirstByte_{};
  Counts counts_;

  // The tail of a block too short to start a token with (at most 16 bytes).
  static constexpr std::size_t kCarryCapacity = kLookAheadSize - 1;
  std::array<std::uint8_t, kCarryCapacity> carry_{};
  std::size_t carrySize_ = 0;

  bool started_ = false;
  int primed_ = 0;  // look-ahead bytes read before the first token
  int lookAhead_ = 0;
  int current_ = kStartPosition;
  int matchLength_ = 0;
  int matchPosition_ = 0;

  std::uint64_t bits_ = 0;
  int bitCount_ = 0;
};

}  // namespace hoardwright::lzss
