#include "lzss/FastLzssEncoder.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace hoardwright::lzss {
namespace {

std::uint64_t Load8(const std::uint8_t* bytes) {
  std::uint64_t value;
  std::memcpy(&value, bytes, sizeof value);
  return value;
}

}  // namespace

FastLzssEncoder::FastLzssEncoder(std::vector<std::uint8_t>& output) : output_(output) {}

MatchNode FastLzssEncoder::Node(int index) const {
  if (index < 0 || index >= kNodeCount) return {};
  return {parents_[index], children_[index].child[0], children_[index].child[1]};
}

void FastLzssEncoder::Feed(std::span<const std::uint8_t> input) {
  if (!started_) {
    input = input.subspan(Prime(input));
    if (!started_) return;
  }
  if (carrySize_ > 0) {
    // A token may need bytes from both the kept tail and the new block: code across the seam in
    // a small joined buffer, then go on in the block itself.
    std::array<std::uint8_t, kCarryCapacity + 64> joined;
    const std::size_t take = std::min<std::size_t>(input.size(), 64);
    std::copy_n(carry_.begin(), carrySize_, joined.begin());
    std::copy_n(input.begin(), take, joined.begin() + static_cast<std::ptrdiff_t>(carrySize_));
    const std::size_t size = carrySize_ + take;
    const std::size_t used = Run(joined.data(), size, false);
    if (used < carrySize_) {
      // The block was too short to reach past the seam; all of it is now kept.
      carrySize_ = size - used;
      std::copy_n(joined.begin() + static_cast<std::ptrdiff_t>(used), carrySize_, carry_.begin());
      return;
    }
    input = input.subspan(used - carrySize_);
    carrySize_ = 0;
  }
  const std::size_t used = Run(input.data(), input.size(), false);
  carrySize_ = input.size() - used;
  std::copy_n(input.begin() + static_cast<std::ptrdiff_t>(used), carrySize_, carry_.begin());
}

std::size_t FastLzssEncoder::Prime(std::span<const std::uint8_t> input) {
  std::size_t used = 0;
  while (primed_ < kLookAheadSize && used < input.size()) {
    Store(kStartPosition + primed_, input[used]);
    ++primed_;
    ++used;
  }
  if (primed_ == kLookAheadSize) {
    started_ = true;
    lookAhead_ = primed_;
    StartTree();
  }
  return used;
}

void FastLzssEncoder::StartTree() {
  SetChild(kRoot, 1, kStartPosition);
  Link(kStartPosition, kRoot, 0, 0);
  sortedNodes_.InsertBetween(kStartPosition, 0, 0);
}

int FastLzssEncoder::Finish() {
  if (!started_) {
    started_ = true;
    lookAhead_ = primed_;
    if (lookAhead_ > 0) StartTree();
  }
  Run(carry_.data(), carrySize_, true);
  carrySize_ = 0;
  PutBits(kEndOfStream, 1 + kPositionBits);
  while (bitCount_ >= 8) {
    bitCount_ -= 8;
    output_.push_back(static_cast<std::uint8_t>(bits_ >> bitCount_));
  }
  const int lastBits = bitCount_;
  if (lastBits > 0) output_.push_back(static_cast<std::uint8_t>(bits_ << (8 - lastBits)));
  bitCount_ = 0;
  return lastBits;
}

std::size_t FastLzssEncoder::Run(const std::uint8_t* input, std::size_t size, bool final) {
  std::size_t position = 0;
  while (lookAhead_ > 0) {
    // Before the end of the input is known, a token starts only when all the bytes it may
    // consume are at hand.
    if (!final && size - position < static_cast<std::size_t>(kLookAheadSize)) break;
    if (matchLength_ > lookAhead_) matchLength_ = lookAhead_;
    int advance = 1;
    if (matchLength_ <= kBreakEven) {
      PutBits(0x100U | window_[current_], 9);
    } else {
      PutBits(static_cast<std::uint32_t>(matchPosition_ << kLengthBits) |
                  static_cast<std::uint32_t>(matchLength_ - (kBreakEven + 1)),
              1 + kPositionBits + kLengthBits);
      advance = matchLength_;
    }
    for (int step = 0; step < advance; ++step) {
      const int incoming = WrapPosition(current_ + kLookAheadSize);
      Remove(incoming);
      if (position < size) {
        Store(incoming, input[position++]);
      } else {
        --lookAhead_;
      }
      current_ = WrapPosition(current_ + 1);
      if (lookAhead_ != 0) matchLength_ = InsertAndMatch(current_);
    }
  }
  return position;
}

std::uint64_t FastLzssEncoder::Key(int position) const {
  const std::uint64_t bytes = Load8(window_.data() + position);
  if constexpr (std::endian::native == std::endian::little) {
    return __builtin_bswap64(bytes);
  } else {
    return bytes;
  }
}

std::size_t FastLzssEncoder::PrefixSlot(std::uint64_t key) {
  const auto prefix = static_cast<std::uint32_t>(key >> 40);
  return (prefix * 2654435761U) >> (32 - kPrefixSlotBits);
}

std::uint32_t FastLzssEncoder::ChildrenOf(int node) const {
  std::uint32_t both;
  std::memcpy(&both, &children_[node], sizeof both);
  return both;
}

namespace {

// One child out of the value ChildrenOf returns.
int ChildOf(std::uint32_t both, int side) {
  constexpr int kSmallerShift = std::endian::native == std::endian::little ? 0 : 16;
  return static_cast<int>((both >> (side != 0 ? 16 - kSmallerShift : kSmallerShift)) & 0xFFFFU);
}

// The node a walk goes on to, with what was loaded for it.
struct Turn {
  std::uint32_t children;
  std::uint64_t key;
  std::uint32_t next;
};

// Takes the larger child when `key` > `testKey`, without a branch: the turn is as good as random,
// and the next loads wait only for this selection. Compilers turn the plain form into a branch.
inline void TurnLargerIfAbove(std::uint64_t key, std::uint64_t testKey, Turn& turn,
                              std::uint32_t largerChildren, std::uint64_t largerKey,
                              std::uint32_t larger) {
#if defined(__x86_64__) && defined(__GNUC__)
  asm("cmp %[testKey], %[key]\n\t"
      "cmova %[largerChildren], %[children]\n\t"
      "cmova %[largerKey], %[nextKey]\n\t"
      "cmova %[larger], %[next]"
      : [children] "+r"(turn.children), [nextKey] "+r"(turn.key), [next] "+r"(turn.next)
      : [key] "r"(key), [testKey] "r"(testKey), [largerChildren] "r"(largerChildren),
        [largerKey] "r"(largerKey), [larger] "r"(larger)
      : "cc");
#else
  const std::uint64_t wide = std::uint64_t{0} - std::uint64_t{key > testKey};
  const auto narrow = static_cast<std::uint32_t>(wide);
  turn.children = (largerChildren & narrow) | (turn.children & ~narrow);
  turn.key = (largerKey & wide) | (turn.key & ~wide);
  turn.next = (larger & narrow) | (turn.next & ~narrow);
#endif
}

}  // namespace

int FastLzssEncoder::InsertAndMatch(int newNode) {
  if (newNode == 0) return 0;
  if (!ordered_ && --recheckIn_ <= 0) CheckOrder();
  int length = 0;
  // After a match of two bytes or more, the string one further on from the match shares all
  // but the first of those bytes with the new one, so the new string's place is near it.
  // Otherwise the latest string with the same first three bytes is a place to start from, and
  // failing that the latest with the same first byte. (matchLength_ is still the previous
  // string's match here.)
  if (ordered_) {
    const StringKey key = WholeKey(newNode);
    const std::size_t prefixSlot = PrefixSlot(key.high);
    const bool afterMatch = matchLength_ >= 2;
    const int start = afterMatch ? WrapPosition(matchPosition_ + 1) : latestWithPrefix_[prefixSlot];
    latestWithPrefix_[prefixSlot] = static_cast<std::uint16_t>(newNode);
    const auto firstByte = static_cast<std::size_t>(key.high >> 56);
    const int startOfByte = latestWithFirstByte_[firstByte];
    latestWithFirstByte_[firstByte] = static_cast<std::uint16_t>(newNode);
    if (PlaceFromList(newNode, key, start, afterMatch ? 0 : 3, length) ||
        (!afterMatch && PlaceFromList(newNode, key, startOfByte, 1, length))) {
      ++counts_.listPlacements;
      return length;
    }
    ++counts_.walks;
    if (WalkOrdered(newNode, length)) return length;
    ordered_ = false;
  } else {
    ++counts_.walks;
  }
  // A long walk means a tree grown into chains (ascending or descending data), where the walk
  // keeps turning the same way and a predicted branch beats waiting for every comparison.
  return lastWalk_ > kLongWalk ? WalkChains(newNode) : WalkBushy(newNode);
}

FastLzssEncoder::StringKey FastLzssEncoder::WholeKey(int position) const {
  return {Key(position), Key(position + 8), window_[position + 16]};
}

inline FastLzssEncoder::Comparison FastLzssEncoder::Compare(const StringKey& key,
                                                            int node) const {
  const std::uint64_t high = Key(node);
  const std::uint64_t low = Key(node + 8);
  // Selects rather than branches: which way a comparison goes is as good as random.
  const bool highDiffers = key.high != high;
  const std::uint64_t fresh = highDiffers ? key.high : key.low;
  const std::uint64_t other = highDiffers ? high : low;
  if (fresh != other) [[likely]] {
    return {(highDiffers ? 0 : 8) + (std::countl_zero(fresh ^ other) >> 3), fresh > other};
  }
  const std::uint8_t last = window_[node + 16];
  return {key.last == last ? kLookAheadSize : 16, key.last >= last};
}

bool FastLzssEncoder::PlaceFromList(int newNode, const StringKey& key, int start,
                                    int minimumEqual, int& length) {
  if (!sortedNodes_.Listed(start)) return false;
  Comparison comparison = Compare(key, start);
  if (comparison.equal < minimumEqual) return false;
  if (comparison.equal == kLookAheadSize) return ReplaceEqual(start, newNode, length);
  // The list neighbours the new string goes between (0: none), and the bytes it shares with
  // each. Each direction has its own loop: one loop choosing its step each time measured
  // 1.5 % slower on record-like data.
  int below = 0;
  int above = 0;
  int belowEqual = 0;
  int aboveEqual = 0;
  if (comparison.larger) {
    below = start;
    belowEqual = comparison.equal;
    for (int step = 0;; ++step) {
      above = sortedNodes_.Next(below);
      if (above == 0) break;
      if (step == kListReach) return false;
      comparison = Compare(key, above);
      if (comparison.equal == kLookAheadSize) return ReplaceEqual(above, newNode, length);
      if (!comparison.larger) {
        aboveEqual = comparison.equal;
        break;
      }
      below = above;
      belowEqual = comparison.equal;
    }
  } else {
    above = start;
    aboveEqual = comparison.equal;
    for (int step = 0;; ++step) {
      below = sortedNodes_.Previous(above);
      if (below == 0) break;
      if (step == kListReach) return false;
      comparison = Compare(key, below);
      if (comparison.equal == kLookAheadSize) return ReplaceEqual(below, newNode, length);
      if (comparison.larger) {
        belowEqual = comparison.equal;
        break;
      }
      above = below;
      aboveEqual = comparison.equal;
    }
  }
  return AttachBetween(newNode, below, above, belowEqual, aboveEqual, length);
}

bool FastLzssEncoder::AttachBetween(int newNode, int below, int above, int belowEqual,
                                    int aboveEqual, int& length) {
  // Of two neighbours in an ordered tree one is the other's descendant, and the deeper one has
  // no child on the new string's side: that is where the walk would end. The walk passes both,
  // the other one first, and a tie goes to the later node.
  const bool belowIsParent = below != 0 && children_[below].child[1] == 0;
  if (!belowIsParent && (above == 0 || children_[above].child[0] != 0)) return false;
  const int parent = belowIsParent ? below : above;
  const int side = belowIsParent ? 1 : 0;
  const int other = belowIsParent ? above : below;
  const int parentEqual = belowIsParent ? belowEqual : aboveEqual;
  const int otherEqual = belowIsParent ? aboveEqual : belowEqual;
  const bool parentWins = other == 0 || parentEqual >= otherEqual;
  matchPosition_ = parentWins ? parent : other;
  length = parentWins ? parentEqual : otherEqual;
  SetChild(parent, side, newNode);
  Link(newNode, parent, 0, 0);
  sortedNodes_.InsertBetween(newNode, below, above);
  return true;
}

bool FastLzssEncoder::WalkOrdered(int newNode, int& length) {
  // The walk from the root, as WalkBushy does it (see there), but only to find where the new
  // string hangs: in an ordered tree the match is settled from the list neighbours after.
  const StringKey key = WholeKey(newNode);
  int test = ChildOf(ChildrenOf(kRoot), 1);
  // An empty tree would make the walk test node 0 as if it were a string.
  if (test == 0) return false;
  std::uint64_t testKey = Key(test);
  std::uint32_t testChildren = ChildrenOf(test);
  for (int step = 0; step < kNodeCount; ++step) {
    const int smaller = ChildOf(testChildren, 0);
    const int larger = ChildOf(testChildren, 1);
    const std::uint64_t smallerKey = Key(smaller);
    const std::uint64_t largerKey = Key(larger);
    const std::uint32_t smallerChildren = ChildrenOf(smaller);
    const std::uint32_t largerChildren = ChildrenOf(larger);
    Turn turn{smallerChildren, smallerKey, static_cast<std::uint32_t>(smaller)};
    bool goLarger = false;
    if (testKey != key.high) [[likely]] {
      TurnLargerIfAbove(key.high, testKey, turn, largerChildren, largerKey,
                        static_cast<std::uint32_t>(larger));
    } else {
      const Comparison comparison = Compare(key, test);
      if (comparison.equal == kLookAheadSize) return ReplaceEqual(test, newNode, length);
      goLarger = comparison.larger;
      if (goLarger) turn = {largerChildren, largerKey, static_cast<std::uint32_t>(larger)};
    }
    if (turn.next == 0) {
      if (testKey != key.high) goLarger = key.high > testKey;
      const int below = goLarger ? test : sortedNodes_.Previous(test);
      const int above = goLarger ? sortedNodes_.Next(test) : test;
      const int belowEqual = below != 0 ? Compare(key, below).equal : 0;
      const int aboveEqual = above != 0 ? Compare(key, above).equal : 0;
      return AttachBetween(newNode, below, above, belowEqual, aboveEqual, length);
    }
    test = static_cast<int>(turn.next);
    testKey = turn.key;
    testChildren = turn.children;
  }
  return false;
}

bool FastLzssEncoder::ReplaceEqual(int node, int newNode, int& length) {
  // In an ordered tree the walk meets a string equal to the new one on its way down and stops.
  matchPosition_ = node;
  Replace(node, newNode);
  sortedNodes_.TakePlace(node, newNode);
  length = kLookAheadSize;
  return true;
}

// Inlined: a call in the middle of the walk would make the loop save its registers around it.
[[gnu::always_inline]] inline int FastLzssEncoder::LongMatch(int newNode, int test,
                                                             bool& goLarger) const {
  const std::uint64_t fresh = Key(newNode + 8);
  const std::uint64_t other = Key(test + 8);
  if (fresh != other) {
    goLarger = fresh > other;
    return 8 + (std::countl_zero(fresh ^ other) >> 3);
  }
  const std::uint8_t freshLast = window_[newNode + 16];
  const std::uint8_t otherLast = window_[test + 16];
  goLarger = freshLast >= otherLast;
  return freshLast == otherLast ? kLookAheadSize : 16;
}

int FastLzssEncoder::Settle(std::uint32_t bestScore, int steps) {
  lastWalk_ = steps;
  matchPosition_ = path_[bestScore & kStepMask];
  return static_cast<int>(bestScore >> kStepBits);
}

int FastLzssEncoder::WalkBushy(int newNode) {
  const std::uint64_t key = Key(newNode);
  // The walk down the tree is a chain of dependent loads, and which way it turns is as good as
  // random, so a branch on the turn would be mispredicted half the time. Instead the keys and
  // children of both children are loaded while the turn is worked out, and the turn only
  // selects among them, without a branch. The longest match is settled after the walk from the
  // nodes it passed, which keeps the loop short of registers.
  int test = ChildOf(ChildrenOf(kRoot), 1);
  std::uint64_t testKey = Key(test);
  std::uint32_t testChildren = ChildrenOf(test);
  // The best match so far as (length << kStepBits | step): a longer match wins, and of two
  // equally long ones the later step.
  std::uint32_t bestScore = 0;
  // A path never visits more nodes than the tree has; the bound only guards the loop, exactly
  // where the reference's does.
  int step = 0;
  for (; step < kNodeCount; ++step) {
    path_[step] = static_cast<std::uint16_t>(test);
    const int smaller = ChildOf(testChildren, 0);
    const int larger = ChildOf(testChildren, 1);
    const std::uint64_t smallerKey = Key(smaller);
    const std::uint64_t largerKey = Key(larger);
    const std::uint32_t smallerChildren = ChildrenOf(smaller);
    const std::uint32_t largerChildren = ChildrenOf(larger);

    std::uint32_t equal;
    Turn turn{smallerChildren, smallerKey, static_cast<std::uint32_t>(smaller)};
    if (const std::uint64_t difference = testKey ^ key; difference != 0) [[likely]] {
      equal = static_cast<std::uint32_t>(std::countl_zero(difference)) >> 3;
      TurnLargerIfAbove(key, testKey, turn, largerChildren, largerKey,
                        static_cast<std::uint32_t>(larger));
    } else {
      bool goLarger;
      equal = static_cast<std::uint32_t>(LongMatch(newNode, test, goLarger));
      if (equal == kLookAheadSize) {
        lastWalk_ = step + 1;
        matchPosition_ = test;
        Replace(test, newNode);
        return kLookAheadSize;
      }
      if (goLarger) turn = {largerChildren, largerKey, static_cast<std::uint32_t>(larger)};
    }
    bestScore = std::max(bestScore, equal << kStepBits | static_cast<std::uint32_t>(step));
    if (turn.next == 0) {
      // The turn once more, off the loop's path: the child slot it took.
      bool goLarger = key > testKey;
      if (testKey == key) LongMatch(newNode, test, goLarger);
      SetChild(test, goLarger ? 1 : 0, newNode);
      Link(newNode, test, 0, 0);
      return Settle(bestScore, step + 1);
    }
    test = static_cast<int>(turn.next);
    testKey = turn.key;
    testChildren = turn.children;
  }
  return Settle(bestScore, step);
}

int FastLzssEncoder::WalkChains(int newNode) {
  const std::uint64_t key = Key(newNode);
  int test = ChildOf(ChildrenOf(kRoot), 1);
  std::uint32_t bestScore = 0;
  int step = 0;
  for (; step < kNodeCount; ++step) {
    path_[step] = static_cast<std::uint16_t>(test);
    const std::uint64_t testKey = Key(test);
    std::uint32_t equal;
    bool goLarger;
    if (testKey != key) [[likely]] {
      equal = static_cast<std::uint32_t>(std::countl_zero(testKey ^ key)) >> 3;
      goLarger = key > testKey;
    } else {
      equal = static_cast<std::uint32_t>(LongMatch(newNode, test, goLarger));
      if (equal == kLookAheadSize) {
        lastWalk_ = step + 1;
        matchPosition_ = test;
        Replace(test, newNode);
        return kLookAheadSize;
      }
    }
    bestScore = std::max(bestScore, equal << kStepBits | static_cast<std::uint32_t>(step));
    // A branch on purpose: here it is predicted right nearly every time, and the next loads
    // need not wait for the comparison.
    int next;
    if (__builtin_expect(goLarger, 1)) {
      next = children_[test].child[1];
    } else {
      next = children_[test].child[0];
    }
    if (next == 0) {
      SetChild(test, goLarger ? 1 : 0, newNode);
      Link(newNode, test, 0, 0);
      return Settle(bestScore, step + 1);
    }
    test = next;
  }
  return Settle(bestScore, step);
}

void FastLzssEncoder::Remove(int node) {
  if (parents_[node] == 0) return;
  if (!ordered_) [[unlikely]] {
    RemoveFromTree(node);
    return;
  }
  if (sortedNodes_.Listed(node)) [[likely]] {
    // A reachable node: the tree stays in order without it. With two children it gives way to
    // the largest node below its smaller child, which is the node before it in the list.
    const int smaller = children_[node].child[0];
    const int larger = children_[node].child[1];
    if (larger == 0) {
      Contract(node, smaller);
    } else if (smaller == 0) {
      Contract(node, larger);
    } else {
      const int replacement = sortedNodes_.Previous(node);
      Contract(replacement, children_[replacement].child[0]);
      Replace(node, replacement);
    }
    sortedNodes_.Unlink(node);
    return;
  }
  RemoveUnlisted(node);
}

void FastLzssEncoder::RemoveUnlisted(int node) {
  if (node == 0) {
    // Node 0 never has children, so removing it writes null into a child slot of the node
    // recorded as its parent: the larger slot when that is empty, else the smaller one, which
    // cuts off whatever hangs there.
    const int parent = parents_[0];
    const int cut = children_[parent].child[0];
    if (children_[0].child[0] == 0 && children_[0].child[1] == 0) {
      if (children_[parent].child[1] != 0 && cut != 0 && TouchesOrder(parent)) {
        ++counts_.cuts;
        UnlistSubtree(cut);
      }
      RemoveFromTree(0);
      return;
    }
  }
  // A node no longer reachable from the root. Its removal rewrites links of its parent, its
  // children and, with two children, of the node that takes its place; when any of those is
  // in the ordered tree, the tree has to be checked again.
  const int smaller = children_[node].child[0];
  const int larger = children_[node].child[1];
  bool touches = TouchesOrder(parents_[node]) || TouchesOrder(smaller) || TouchesOrder(larger);
  if (smaller != 0 && larger != 0) {
    int replacement = smaller;
    for (int step = 0; step < kNodeCount && children_[replacement].child[1] != 0; ++step) {
      replacement = children_[replacement].child[1];
    }
    touches = touches || TouchesOrder(replacement) || TouchesOrder(parents_[replacement]) ||
              TouchesOrder(children_[replacement].child[0]);
  }
  RemoveFromTree(node);
  if (touches) CheckOrder();
}

void FastLzssEncoder::UnlistSubtree(int top) {
  int pending = 0;
  path_[pending++] = static_cast<std::uint16_t>(top);
  while (pending > 0) {
    const int node = path_[--pending];
    if (node == 0 || !sortedNodes_.Listed(node)) continue;
    sortedNodes_.Unlink(node);
    // Each listed node is unlisted once, so the pending nodes never outnumber the listed ones.
    path_[pending++] = children_[node].child[0];
    path_[pending++] = children_[node].child[1];
  }
}

void FastLzssEncoder::CheckOrder() {
  ++counts_.orderChecks;
  ordered_ = false;
  recheckIn_ = kOrderRecheck;
  sortedNodes_.Clear();
  const int top = children_[kRoot].child[1];
  if (top == 0 || children_[kRoot].child[0] != 0 || parents_[top] != kRoot) {
    ++counts_.orderLost;
    return;
  }
  // An in-order walk of the reachable tree with its own stack. Each node is listed when its
  // turn comes, so a node met twice (a cycle, or two links to one node) shows as listed.
  std::vector<std::uint16_t> stack;
  stack.reserve(64);
  int previous = 0;
  int node = top;
  bool inOrder = true;
  std::vector<std::uint8_t> seen(kNodeCount, 0);
  while (inOrder && (node != 0 || !stack.empty())) {
    while (node != 0) {
      if (seen[node] != 0 || node == kRoot) {
        inOrder = false;
        break;
      }
      seen[node] = 1;
      stack.push_back(static_cast<std::uint16_t>(node));
      const int smaller = children_[node].child[0];
      if (smaller != 0 && parents_[smaller] != node) {
        inOrder = false;
        break;
      }
      node = smaller;
    }
    if (!inOrder) break;
    node = stack.back();
    stack.pop_back();
    if (previous != 0) {
      const Comparison comparison = Compare(WholeKey(node), previous);
      if (!comparison.larger || comparison.equal == kLookAheadSize) {
        inOrder = false;
        break;
      }
    }
    sortedNodes_.InsertBetween(node, previous, 0);
    previous = node;
    const int larger = children_[node].child[1];
    if (larger != 0 && parents_[larger] != node) {
      inOrder = false;
      break;
    }
    node = larger;
  }
  if (!inOrder) {
    sortedNodes_.Clear();
    ++counts_.orderLost;
    return;
  }
  ordered_ = true;
}

void FastLzssEncoder::RemoveFromTree(int node) {
  const int smaller = children_[node].child[0];
  const int larger = children_[node].child[1];
  if (larger == 0) {
    Contract(node, smaller);
  } else if (smaller == 0) {
    Contract(node, larger);
  } else {
    int replacement = smaller;
    for (int step = 0; step < kNodeCount && children_[replacement].child[1] != 0; ++step) {
      replacement = children_[replacement].child[1];
    }
    if (children_[replacement].child[1] != 0) return;
    // Removing the replacement, which has no larger child: it is contracted.
    if (parents_[replacement] != 0) Contract(replacement, children_[replacement].child[0]);
    Replace(node, replacement);
  }
}

void FastLzssEncoder::Contract(int oldNode, int newNode) {
  const int parent = parents_[oldNode];
  parents_[newNode] = static_cast<std::uint16_t>(parent);
  SetChild(parent, children_[parent].child[1] == oldNode ? 1 : 0, newNode);
  parents_[oldNode] = 0;
}

void FastLzssEncoder::Replace(int oldNode, int newNode) {
  const int parent = parents_[oldNode];
  SetChild(parent, children_[parent].child[0] == oldNode ? 0 : 1, newNode);
  parents_[newNode] = parents_[oldNode];
  children_[newNode] = children_[oldNode];
  parents_[children_[newNode].child[0]] = static_cast<std::uint16_t>(newNode);
  parents_[children_[newNode].child[1]] = static_cast<std::uint16_t>(newNode);
  parents_[oldNode] = 0;
}

void FastLzssEncoder::PutBits(std::uint32_t value, int count) {
  bits_ = (bits_ << count) | value;
  bitCount_ += count;
  if (bitCount_ >= 32) {
    bitCount_ -= 32;
    const auto word = static_cast<std::uint32_t>(bits_ >> bitCount_);
    const std::uint8_t bytes[4] = {
        static_cast<std::uint8_t>(word >> 24), static_cast<std::uint8_t>(word >> 16),
        static_cast<std::uint8_t>(word >> 8), static_cast<std::uint8_t>(word)};
    output_.insert(output_.end(), bytes, bytes + 4);
  }
}

}  // namespace hoardwright::lzss
