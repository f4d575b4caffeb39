#include "panel_text.h"

#include <fstream>
#include <sstream>

namespace vboard {

namespace {

// One UDP datagram carries the whole identification.
constexpr std::size_t kMaxPanelText = 60000;
// The plugin reads an identification of 9 characters or fewer as a numbered
// board's.
constexpr std::size_t kMinPanelText = 10;

std::string TrimLine(const std::string& line) {
    const char* blanks = " \t\r\n";
    std::size_t first = line.find_first_not_of(blanks);
    if (first == std::string::npos) return "";
    return line.substr(first, line.find_last_not_of(blanks) - first + 1);
}

}  // namespace

std::string PreparePanelText(const std::string& fileText) {
    std::istringstream lines(fileText);
    std::string line, text;
    while (std::getline(lines, line)) {
        line = TrimLine(line);
        if (line.empty() || line[0] == '#') continue;
        text += line + "\n";
    }
    return text;
}

std::string PanelTextProblem(const std::string& text) {
    if (text.size() < kMinPanelText) {
        return "the configuration text needs at least 10 characters";
    }
    if (text.size() > kMaxPanelText) return "the configuration text is longer than 60000 bytes";
    if (text.find('\0') != std::string::npos) return "the configuration text holds a zero byte";
    if (text.find_first_of("{}") != std::string::npos) {
        return "the configuration text holds a brace, which would break serial framing";
    }
    return "";
}

bool LoadPanelText(const std::string& path, std::string* text, std::string* error) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        *error = "cannot read " + path;
        return false;
    }
    std::ostringstream contents;
    contents << file.rdbuf();
    *text = PreparePanelText(contents.str());
    std::string problem = PanelTextProblem(*text);
    if (!problem.empty()) {
        *error = path + ": " + problem;
        return false;
    }
    return true;
}

}  // namespace vboard
