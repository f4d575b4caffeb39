#include "config/input_lookup.h"

#include <algorithm>
#include <utility>

#include "config/board_tables.h"

namespace {

using Entry = std::pair<std::string_view, uint32_t>;

// Appends the entries, sorted by text and then by input index, as runs.
void AppendRuns(std::vector<Entry>& entries, std::vector<InputLookup::Run>& runs,
                std::vector<uint32_t>& indices) {
    std::sort(entries.begin(), entries.end());
    for (std::size_t k = 0; k < entries.size(); ++k) {
        if (runs.empty() || runs.back().text != entries[k].first) {
            const uint32_t at = static_cast<uint32_t>(indices.size());
            runs.push_back({std::string(entries[k].first), at, at});
        }
        indices.push_back(entries[k].second);
        runs.back().end = static_cast<uint32_t>(indices.size());
    }
}

InputIndexSpan Find(const InputLookup& lookup, const std::vector<InputLookup::Run>& runs,
                    std::string_view text) {
    auto it = std::lower_bound(runs.begin(), runs.end(), text,
                               [](const InputLookup::Run& run, std::string_view t) {
                                   return std::string_view(run.text) < t;
                               });
    if (it == runs.end() || it->text != text) return {};
    const uint32_t* data = lookup.indices.data();
    return {data + it->begin, data + it->end};
}

}  // namespace

InputLookup BuildInputLookup(const std::vector<BoardInput>& inputs) {
    std::vector<Entry> keys, bases;
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        const std::string_view key = inputs[i].Datatags;
        const uint32_t index = static_cast<uint32_t>(i);
        keys.emplace_back(key, index);
        if (inputs[i].InputArrayNum >= 0 && !key.empty() && key[0] != '/') {
            bases.emplace_back(key.substr(0, key.find('/')), index);
        }
    }
    InputLookup lookup;
    lookup.indices.reserve(keys.size() + bases.size());
    AppendRuns(keys, lookup.keys, lookup.indices);
    AppendRuns(bases, lookup.bases, lookup.indices);
    return lookup;
}

InputIndexSpan InputsWithKey(const InputLookup& lookup, std::string_view key) {
    return Find(lookup, lookup.keys, key);
}

InputIndexSpan GroupHeadCandidates(const InputLookup& lookup, std::string_view base) {
    return Find(lookup, lookup.bases, base);
}
