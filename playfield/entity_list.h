// The playfield's lists of sprites and shots are updated in place each tick:
// every entry steps once, in order, and the ones that ended are dropped while
// the rest close up, keeping their order and the list's memory.
#pragma once
#include <cstddef>
#include <vector>

// Steps every entry of a list (step returns false for an entry that ended)
// and closes the list up over the dropped ones. The size is read afresh each
// turn, so entries appended during the walk are stepped in the same tick.
template <typename T, typename Step>
inline void UpdateAndKeep(std::vector<T>& list, Step step) {
  size_t keep = 0;
  for (size_t i = 0; i < list.size(); i++) {
    if (!step(list[i])) continue;
    if (keep != i) list[keep] = list[i];
    keep++;
  }
  list.resize(keep);
}
