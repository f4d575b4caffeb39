#include "table_text.h"

#include <charconv>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace simhost::detail {

std::string_view TrimBlanks(std::string_view text) {
    const char* blanks = " \t\r\n";
    size_t first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos) return std::string_view();
    size_t last = text.find_last_not_of(blanks);
    return text.substr(first, last - first + 1);
}

std::vector<std::string_view> SplitTabs(std::string_view line) {
    std::vector<std::string_view> fields;
    size_t start = 0;
    while (true) {
        size_t tab = line.find('\t', start);
        if (tab == std::string_view::npos) {
            fields.push_back(line.substr(start));
            return fields;
        }
        fields.push_back(line.substr(start, tab - start));
        start = tab + 1;
    }
}

int ParsePositive(std::string_view digits, int max) {
    if (digits.empty()) return 0;
    int value = 0;
    const char* end = digits.data() + digits.size();
    auto result = std::from_chars(digits.data(), end, value);
    if (result.ec != std::errc() || result.ptr != end) return 0;
    return value > 0 && value <= max ? value : 0;
}

int AddTableLines(std::string_view text, bool (*addLine)(std::string_view line)) {
    int added = 0;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        if (addLine(text.substr(0, end))) ++added;
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    }
    return added;
}

int LoadTableLines(const std::string& path, bool (*addLine)(std::string_view line)) {
    // The path in UTF-8: on Windows the wide form reaches every folder name.
    std::ifstream file(std::filesystem::u8path(path), std::ios::binary);
    if (!file) return -1;
    const std::string text((std::istreambuf_iterator<char>(file)),
                           std::istreambuf_iterator<char>());
    return AddTableLines(text, addLine);
}

}  // namespace simhost::detail
