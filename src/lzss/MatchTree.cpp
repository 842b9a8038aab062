#include "lzss/MatchTree.h"

namespace hoardwright::lzss {

void MatchTree::Start(int node) {
  if (!IsIndex(node)) return;
  nodes_[kRoot].larger = node;
  nodes_[node] = MatchNode{kRoot, kNull, kNull};
}

bool MatchTree::SetNode(int index, const MatchNode& node) {
  if (!IsIndex(index) || !IsIndex(node.parent) || !IsIndex(node.smaller) || !IsIndex(node.larger)) {
    return false;
  }
  nodes_[index] = node;
  return true;
}

int MatchTree::InsertAndMatch(int newNode, Window window, int& matchPosition) {
  if (newNode == kNull || !IsIndex(newNode)) return 0;
  int test = nodes_[kRoot].larger;
  int best = 0;
  // A path never visits more nodes than the tree has; the bound only guards the loop.
  for (int step = 0; step < kNodeCount; ++step) {
    int equal = 0;
    int delta = 0;
    for (; equal < kLookAheadSize; ++equal) {
      delta = int{window[WrapPosition(newNode + equal)]} - int{window[WrapPosition(test + equal)]};
      if (delta != 0) break;
    }
    if (equal >= best) {
      best = equal;
      matchPosition = test;
      if (best >= kLookAheadSize) {
        Replace(test, newNode);
        return best;
      }
    }
    std::int32_t& child = delta >= 0 ? nodes_[test].larger : nodes_[test].smaller;
    if (child == kNull) {
      child = newNode;
      nodes_[newNode] = MatchNode{test, kNull, kNull};
      return best;
    }
    test = child;
  }
  return best;
}

void MatchTree::Remove(int node) {
  if (!IsIndex(node) || nodes_[node].parent == kNull) return;
  if (nodes_[node].larger == kNull) {
    Contract(node, nodes_[node].smaller);
  } else if (nodes_[node].smaller == kNull) {
    Contract(node, nodes_[node].larger);
  } else {
    int replacement = nodes_[node].smaller;
    for (int step = 0; step < kNodeCount && nodes_[replacement].larger != kNull; ++step) {
      replacement = nodes_[replacement].larger;
    }
    // Only a cycle of larger links could leave this loop early; leave such a tree alone.
    if (nodes_[replacement].larger != kNull) return;
    Remove(replacement);
    Replace(node, replacement);
  }
}

void MatchTree::Contract(int oldNode, int newNode) {
  if (!IsIndex(oldNode) || !IsIndex(newNode)) return;
  nodes_[newNode].parent = nodes_[oldNode].parent;
  MatchNode& parent = nodes_[nodes_[oldNode].parent];
  if (parent.larger == oldNode) {
    parent.larger = newNode;
  } else {
    parent.smaller = newNode;
  }
  nodes_[oldNode].parent = kNull;
}

void MatchTree::Replace(int oldNode, int newNode) {
  if (!IsIndex(oldNode) || !IsIndex(newNode)) return;
  MatchNode& parent = nodes_[nodes_[oldNode].parent];
  if (parent.smaller == oldNode) {
    parent.smaller = newNode;
  } else {
    parent.larger = newNode;
  }
  nodes_[newNode] = nodes_[oldNode];
  nodes_[nodes_[newNode].smaller].parent = newNode;
  nodes_[nodes_[newNode].larger].parent = newNode;
  nodes_[oldNode].parent = kNull;
}

}  // namespace hoardwright::lzss
