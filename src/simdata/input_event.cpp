#include "simdata/input_event.h"

namespace {

bool IsSeparator(char c) {
    return c == ' ' || c == '\t';
}

std::size_t SkipSeparators(std::string_view text, std::size_t at) {
    while (at < text.size() && IsSeparator(text[at])) ++at;
    return at;
}

std::size_t TokenEnd(std::string_view text, std::size_t at) {
    while (at < text.size() && !IsSeparator(text[at])) ++at;
    return at;
}

}  // namespace

bool SplitInputEvent(std::string_view text, InputEvent* event) {
    *event = InputEvent{};
    const std::size_t start = SkipSeparators(text, 0);
    const std::size_t end = TokenEnd(text, start);
    if (end == start) return false;
    event->token = text.substr(start, end - start);
    if (event->token[0] == 'E') {
        if (end + 1 < text.size()) {
            event->value = text.substr(end + 1, 1);
            event->hasValue = true;
        }
        return true;
    }
    const std::size_t next = SkipSeparators(text, end);
    if (next < text.size()) {
        event->value = text.substr(next, TokenEnd(text, next) - next);
        event->hasValue = true;
    }
    return true;
}

InputEvent KeyOnlyEvent(std::string_view key) {
    InputEvent event;
    event.token = key;
    return event;
}
