// Reads the simulator's Commands.txt format: the command's name, then its
// description starting in column 52 (after the padding blanks).

#include "command_store.h"
#include "simhost.h"
#include "table_text.h"

namespace simhost {
namespace {

// Adds the command one line names; false for blank or indented lines.
bool AddTableLine(std::string_view line) {
    if (line.empty() || line.front() == ' ' || line.front() == '\t') return false;
    size_t nameEnd = line.find_first_of(" \t\r");
    std::string_view name = line.substr(0, nameEnd);
    std::string_view description;
    if (nameEnd != std::string_view::npos) description = detail::TrimBlanks(line.substr(nameEnd));
    AddCommand(std::string(name), std::string(description));
    return true;
}

}  // namespace

int LoadCommandTable(const std::string& path) {
    return detail::LoadTableLines(path, AddTableLine);
}

int AddCommandTableText(std::string_view text) {
    return detail::AddTableLines(text, AddTableLine);
}

}  // namespace simhost
