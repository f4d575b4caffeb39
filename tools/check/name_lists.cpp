#include "name_lists.h"

#include <cctype>
#include <filesystem>
#include <system_error>

#include "XPLMDataAccess.h"
#include "XPLMUtilities.h"
#include "base/file_path.h"
#include "base/text.h"
#include "simhost.h"

namespace kestrix_check {

namespace fs = std::filesystem;

namespace {

bool IsFile(const fs::path& path) {
    std::error_code error;
    return fs::is_regular_file(path, error);
}

// A simulator name has a "/" (sim/lights/beacon_lights_on); a link to an
// input of a mode group has one too, after its key (E9/1+), and is none.
bool IsSimulatorName(const std::string& name) {
    if (name.find('/') == std::string::npos) return false;
    std::size_t k = 1;
    while (k < name.size() && std::isdigit(static_cast<unsigned char>(name[k]))) ++k;
    const bool groupKey = !name.empty() && std::isalpha(static_cast<unsigned char>(name[0])) &&
                          k > 1 && k + 1 < name.size() && name[k] == '/' &&
                          std::isdigit(static_cast<unsigned char>(name[k + 1]));
    return !groupKey;
}

bool IsKnown(const std::string& name) {
    return XPLMFindCommand(name.c_str()) != nullptr || XPLMFindDataRef(name.c_str()) != nullptr;
}

// Only the lines the parser reads: longer than two characters, no comment.
bool IsReadLine(const std::string& line) {
    return line.size() > 2 && line[0] != ' ' && line[0] != '#' && line[0] != '/' && line[0] != '!';
}

}  // namespace

void FindSimulatorLists(const std::string& config, NameLists& lists) {
    if (!lists.datarefs.empty() && !lists.commands.empty()) return;
    std::error_code error;
    fs::path folder = fs::absolute(FilePath(config), error).parent_path();
    if (error) return;
    for (;;) {
        const fs::path plugins = folder / "Resources" / "plugins";
        const bool datarefs = IsFile(plugins / "DataRefs.txt");
        const bool commands = IsFile(plugins / "Commands.txt");
        if (datarefs || commands) {
            if (lists.datarefs.empty() && datarefs) {
                lists.datarefs = (plugins / "DataRefs.txt").u8string();
            }
            if (lists.commands.empty() && commands) {
                lists.commands = (plugins / "Commands.txt").u8string();
            }
            lists.found = folder.u8string();
            return;
        }
        if (!folder.has_parent_path() || folder.parent_path() == folder) return;
        folder = folder.parent_path();
    }
}

std::set<std::string> AddUncheckedNames(const std::vector<std::string>& texts, bool datarefsLoaded,
                                        bool commandsLoaded) {
    std::set<std::string> added;
    if (datarefsLoaded && commandsLoaded) return added;
    auto add = [&](const std::string& name, bool dataref) {
        if (name == "not_selected" || IsKnown(name) || (dataref ? datarefsLoaded : commandsLoaded))
            return;
        if (dataref) {
            simhost::AddDataRef(name, 0, true);
        } else {
            simhost::AddCommand(name);
        }
        added.insert(name);
    };
    for (const std::string& text : texts) {
        char section = '0';
        for (std::string line : SplitBy(text, '\n')) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (!IsReadLine(line)) continue;
            if (line[0] == '[') {
                section = line[1];
                continue;
            }
            const std::vector<std::string> tokens = SplitBy(line, ' ');
            if (section == 'I' && tokens.size() >= 2 && IsSimulatorName(tokens[1])) {
                // With one list missing, a name not in the other is of the missing kind.
                const bool dataref =
                    datarefsLoaded || commandsLoaded ? commandsLoaded : tokens.size() >= 3;
                add(tokens[1], dataref);
            } else if (section == 'O' && tokens.size() >= 3) {
                add(tokens[2], true);
            }
        }
    }
    return added;
}

}  // namespace kestrix_check
