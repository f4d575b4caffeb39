// One input-event message taken apart without copying: its board byte is
// gone, the rest is split at spaces. The views point into the message and
// are valid while it is.
#pragma once

#include <string_view>

struct InputEvent {
    // T: kind letter, pin or key characters, state character ("D22+").
    std::string_view token;
    // The second token: a decimal value, or for an encoder ("E") the one raw
    // byte that counts its steps.
    std::string_view value;
    bool hasValue = false;  // the message has two or more tokens
};

// Splits text (the message after its board byte) at spaces and tabs. An
// encoder's step count is the single byte after the space that ends its
// first token, whatever its value: counts of 9 and 32 are a tab and a space.
// False when text holds no token.
bool SplitInputEvent(std::string_view text, InputEvent* event);

// The event the repeat step replays for a held input: its key alone.
InputEvent KeyOnlyEvent(std::string_view key);

inline char KindOf(const InputEvent& event) {
    return event.token.empty() ? '\0' : event.token[0];
}
