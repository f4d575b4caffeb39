// The inputs' keys of one board, sorted, for the links of SetInputOptions: a
// link names a key prefix, and every key that begins with it is one run of
// the sorted keys, found by binary search. Over the runs a segment tree gives
// the largest group position and the last input (by index) whose Mode is
// above 0, each in logarithmic time, so resolving every link of a board
// costs n log n however many keys each link matches.
#pragma once

#include <cstddef>
#include <string_view>
#include <utility>
#include <vector>

#include "config/board_tables.h"

class InputKeyIndex {
  public:
    // Positions [begin, end) in the sorted keys.
    struct Run {
        std::size_t begin = 0;
        std::size_t end = 0;
        bool empty() const { return begin == end; }
    };

    // Indexes the keys (Datatags) and Modes as they are now; the keys must
    // not change while the index is used.
    explicit InputKeyIndex(const std::vector<BoardInput>& inputs);

    Run KeysStartingWith(std::string_view prefix) const;

    // The largest group position (the digit after a key's first "/") in the
    // run; 0 when there is none.
    unsigned LargestPosition(Run run) const;

    // The last input in the run whose Mode counts as above 0; -1 for none.
    long LastHead(Run run) const;

    // Records whether input i's Mode is above 0.
    void SetHead(std::size_t i, bool head);

  private:
    struct Node {
        long lastHead = -1;
        unsigned largest = 0;
    };
    static Node Combine(const Node& a, const Node& b);
    Node Query(Run run) const;

    std::vector<std::pair<std::string_view, std::size_t>> sorted_;  // key, input index
    std::vector<std::size_t> rank_;  // input index -> position in sorted_
    std::vector<Node> tree_;         // leaves at sorted_.size() + position
};
