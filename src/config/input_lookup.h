// Finding a board's inputs by the token a board sends. A board may have
// hundreds of inputs and sends a message for every switch it moves, so the
// keys are sorted once, when the board's text has been read, and each
// message looks its token up without scanning or copying the input list.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct BoardInput;

// Input indices in ascending order, as a view into a lookup.
struct InputIndexSpan {
    const uint32_t* first = nullptr;
    const uint32_t* last = nullptr;
    const uint32_t* begin() const { return first; }
    const uint32_t* end() const { return last; }
    bool empty() const { return first == last; }
};

struct InputLookup {
    struct Run {
        std::string text;
        uint32_t begin = 0;  // [begin, end) of indices
        uint32_t end = 0;
    };
    // Every input by its key (Datatags).
    std::vector<Run> keys;
    // The inputs that may head a switch group (a simulator name, a key not
    // beginning with "/"), by their key up to the first "/". Whether one
    // heads a group right now is its Mode, which input handling changes.
    std::vector<Run> bases;
    std::vector<uint32_t> indices;
};

InputLookup BuildInputLookup(const std::vector<BoardInput>& inputs);

// The inputs whose key is exactly key.
InputIndexSpan InputsWithKey(const InputLookup& lookup, std::string_view key);
// The group-head candidates whose key up to its first "/" is base.
InputIndexSpan GroupHeadCandidates(const InputLookup& lookup, std::string_view base);
