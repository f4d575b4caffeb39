#include "config/key_index.h"

#include <algorithm>

namespace {

// The group position in a key: the one character after its first "/", when
// it is a digit.
unsigned GroupPosition(std::string_view key) {
    const std::size_t slash = key.find('/');
    if (slash == std::string_view::npos || slash + 1 >= key.size()) return 0;
    const char digit = key[slash + 1];
    return digit >= '0' && digit <= '9' ? static_cast<unsigned>(digit - '0') : 0;
}

}  // namespace

InputKeyIndex::InputKeyIndex(const std::vector<BoardInput>& inputs)
    : rank_(inputs.size()), tree_(2 * inputs.size()) {
    sorted_.reserve(inputs.size());
    for (std::size_t i = 0; i < inputs.size(); ++i) sorted_.emplace_back(inputs[i].Datatags, i);
    std::sort(sorted_.begin(), sorted_.end());
    const std::size_t n = sorted_.size();
    for (std::size_t r = 0; r < n; ++r) {
        const std::size_t i = sorted_[r].second;
        rank_[i] = r;
        tree_[n + r].largest = GroupPosition(sorted_[r].first);
        tree_[n + r].lastHead = inputs[i].Mode > 0 ? static_cast<long>(i) : -1;
    }
    for (std::size_t k = n; k-- > 1;) tree_[k] = Combine(tree_[2 * k], tree_[2 * k + 1]);
}

InputKeyIndex::Node InputKeyIndex::Combine(const Node& a, const Node& b) {
    return Node{std::max(a.lastHead, b.lastHead), std::max(a.largest, b.largest)};
}

InputKeyIndex::Run InputKeyIndex::KeysStartingWith(std::string_view prefix) const {
    // Every key that begins with the prefix sorts at or after it, and before
    // any key that does not.
    const auto first = std::lower_bound(sorted_.begin(), sorted_.end(), prefix,
                                        [](const std::pair<std::string_view, std::size_t>& entry,
                                           std::string_view p) { return entry.first < p; });
    const auto last = std::partition_point(
        first, sorted_.end(), [&](const std::pair<std::string_view, std::size_t>& entry) {
            return entry.first.substr(0, prefix.size()) == prefix;
        });
    return Run{static_cast<std::size_t>(first - sorted_.begin()),
               static_cast<std::size_t>(last - sorted_.begin())};
}

InputKeyIndex::Node InputKeyIndex::Query(Run run) const {
    Node result;
    const std::size_t n = sorted_.size();
    for (std::size_t lo = run.begin + n, hi = run.end + n; lo < hi; lo /= 2, hi /= 2) {
        if (lo & 1) result = Combine(result, tree_[lo++]);
        if (hi & 1) result = Combine(result, tree_[--hi]);
    }
    return result;
}

unsigned InputKeyIndex::LargestPosition(Run run) const {
    return Query(run).largest;
}

long InputKeyIndex::LastHead(Run run) const {
    return Query(run).lastHead;
}

void InputKeyIndex::SetHead(std::size_t i, bool head) {
    std::size_t k = sorted_.size() + rank_.at(i);
    tree_[k].lastHead = head ? static_cast<long>(i) : -1;
    for (k /= 2; k >= 1; k /= 2) tree_[k] = Combine(tree_[2 * k], tree_[2 * k + 1]);
}
