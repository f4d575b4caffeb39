#include "sim_options.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <sstream>

namespace kestrix_sim {
namespace {

// Numbers on the command line are read the same way in every locale.
bool ParseSeconds(const std::string& text, double* out) {
    double value = 0;
    const char* end = text.data() + text.size();
    auto result = std::from_chars(text.data(), end, value);
    if (text.empty() || result.ec != std::errc() || result.ptr != end) return false;
    if (!std::isfinite(value) || value < 0) return false;
    *out = value;
    return true;
}

bool ParseNumber(const std::string& text, double* out) {
    double value = 0;
    const char* end = text.data() + text.size();
    auto result = std::from_chars(text.data(), end, value);
    if (text.empty() || result.ec != std::errc() || result.ptr != end) return false;
    if (!std::isfinite(value)) return false;
    *out = value;
    return true;
}

bool ParseCount(const std::string& text, int* out) {
    int value = 0;
    const char* end = text.data() + text.size();
    auto result = std::from_chars(text.data(), end, value);
    if (text.empty() || result.ec != std::errc() || result.ptr != end || value < 0) return false;
    *out = value;
    return true;
}

// Splits "what@when" at the last '@'.
bool SplitAt(const std::string& text, std::string* what, double* when) {
    size_t at = text.rfind('@');
    if (at == std::string::npos || at == 0) return false;
    *what = text.substr(0, at);
    return ParseSeconds(text.substr(at + 1), when);
}

bool TakeValue(int argc, char** argv, int* i, std::string* value, std::string* error) {
    if (*i + 1 >= argc) {
        *error = std::string(argv[*i]) + " needs a value";
        return false;
    }
    *value = argv[++*i];
    return true;
}

// Applies one option that takes a value; false with *error when it fails.
bool ApplyValueOption(const std::string& flag, const std::string& value, SimOptions* options,
                      std::string* error) {
    if (flag == "--root") {
        options->root = value;
    } else if (flag == "--aircraft") {
        options->aircraft = value;
    } else if (flag == "--plugin") {
        options->plugin = value;
    } else if (flag == "--datarefs") {
        options->datarefs = value;
    } else if (flag == "--commands") {
        options->commands = value;
    } else if (flag == "--seconds") {
        if (!ParseSeconds(value, &options->seconds)) *error = "bad --seconds: " + value;
    } else if (flag == "--frames") {
        if (!ParseCount(value, &options->frames)) *error = "bad --frames: " + value;
    } else if (flag == "--menu") {
        MenuChoice choice;
        if (ParseMenuChoice(value, &choice)) {
            options->menus.push_back(choice);
        } else {
            *error = "bad --menu (expected \"Item@seconds\" or \"Menu/Item@seconds\"): " + value;
        }
    } else if (flag == "--message") {
        MessageSend send;
        if (ParseMessageSend(value, &send)) {
            options->messages.push_back(send);
        } else {
            *error = "bad --message (expected \"number@seconds\"): " + value;
        }
    } else if (flag == "--set") {
        DatarefSet set;
        if (ParseDatarefSet(value, &set)) {
            options->sets.push_back(set);
        } else {
            *error = "bad --set (expected \"name=value@seconds\" or \"name[i]=value@seconds\"): " +
                     value;
        }
    } else if (flag == "--command") {
        CommandRun run;
        if (ParseCommandRun(value, &run)) {
            options->commandRuns.push_back(run);
        } else {
            *error = "bad --command (expected \"name@seconds\"): " + value;
        }
    } else {
        *error = "unknown option " + flag;
    }
    return error->empty();
}

}  // namespace

bool ParseMenuChoice(const std::string& text, MenuChoice* choice) {
    std::string path;
    if (!SplitAt(text, &path, &choice->at)) return false;
    size_t slash = path.find('/');
    choice->menu = slash == std::string::npos ? std::string() : path.substr(0, slash);
    choice->item = slash == std::string::npos ? path : path.substr(slash + 1);
    return !choice->item.empty() && (slash == std::string::npos || !choice->menu.empty());
}

bool ParseMessageSend(const std::string& text, MessageSend* send) {
    std::string number;
    return SplitAt(text, &number, &send->at) && ParseCount(number, &send->message);
}

namespace {

// "name=value" or "name[i]=value", i from 1.
bool ParseAssignment(const std::string& assignment, DatarefSet* set) {
    const size_t equals = assignment.find('=');
    if (equals == std::string::npos || equals == 0) return false;
    if (!ParseNumber(assignment.substr(equals + 1), &set->value)) return false;
    std::string name = assignment.substr(0, equals);
    set->element = 0;
    const size_t open = name.find('[');
    if (open != std::string::npos) {
        if (name.back() != ']' || open == 0) return false;
        if (!ParseCount(name.substr(open + 1, name.size() - open - 2), &set->element)) return false;
        if (set->element == 0) return false;  // elements count from 1
        name.resize(open);
    }
    set->name = name;
    return true;
}

std::string WithoutBlanks(std::string text) {
    text.erase(std::remove_if(text.begin(), text.end(),
                              [](char c) { return c == ' ' || c == '\t' || c == '\r'; }),
               text.end());
    return text;
}

}  // namespace

bool ParseDatarefSet(const std::string& text, DatarefSet* set) {
    std::string assignment;
    return SplitAt(text, &assignment, &set->at) && ParseAssignment(assignment, set);
}

bool ParseTypedLine(const std::string& line, TypedLine* typed, std::string* error) {
    std::istringstream words(line);
    std::string first, name, rest;
    words >> first >> name;
    std::getline(words, rest);
    if (first == "command" && !name.empty() && WithoutBlanks(rest).empty()) {
        typed->kind = TypedLine::Kind::Command;
        typed->command.name = name;
        return true;
    }
    if (first == "menu" && !name.empty()) {
        typed->kind = TypedLine::Kind::Menu;
        std::string item = name + rest;
        item.erase(item.find_last_not_of(" \t\r") + 1);
        return ParseMenuChoice(item + "@0", &typed->menu);
    }
    typed->kind = TypedLine::Kind::Set;
    if (ParseAssignment(WithoutBlanks(line), &typed->set)) return true;
    *error =
        "\"" + line + "\" (type NAME = V, NAME[i] = V with i from 1, command NAME or menu Item)";
    return false;
}

bool ParseCommandRun(const std::string& text, CommandRun* run) {
    return SplitAt(text, &run->name, &run->at) && run->name.find(' ') == std::string::npos;
}

bool ParseSimOptions(int argc, char** argv, SimOptions* options, std::string* error) {
    error->clear();
    for (int i = 1; i < argc; ++i) {
        std::string flag = argv[i];
        if (flag == "--fast") {
            options->fast = true;
        } else if (flag == "--help" || flag == "-h") {
            options->help = true;
        } else {
            std::string value;
            if (!TakeValue(argc, argv, &i, &value, error)) return false;
            if (!ApplyValueOption(flag, value, options, error)) return false;
        }
    }
    if (!options->help && options->root.empty()) *error = "--root is required";
    return error->empty();
}

std::string SimUsage() {
    return "usage: kestrix-sim --root <simulator folder> [options]\n"
           "  --aircraft <file.acf>   user aircraft, relative to the root or absolute\n"
           "  --plugin <module>       default <root>/Resources/plugins/Kestrix/64/lin.xpl\n"
           "  --seconds S | --frames N  how long to run (default 10 seconds)\n"
           "  --fast                  do not wait one frame period between frames\n"
           "  --menu \"Item@S\"         choose Plugins > <first menu> > Item at S seconds\n"
           "  --menu \"Menu/Item@S\"    choose Plugins > Menu > Item at S seconds\n"
           "  --message \"N@S\"         send simulator message N at S seconds\n"
           "  --set \"NAME=V@S\"        set dataref NAME to V at S seconds (NAME[i]: element i,\n"
           "                          counted from 1 as in data.cfg)\n"
           "  --command \"NAME@S\"      run command NAME once at S seconds, as a key would\n"
           "  --datarefs FILE         dataref table (default "
           "<root>/Resources/plugins/DataRefs.txt\n"
           "                          when present, else the project's own)\n"
           "  --commands FILE         command table (same defaults, Commands.txt)\n"
           "While it runs, lines typed on standard input take effect at the next frame:\n"
           "  NAME = V, NAME[i] = V   set a dataref (or element i, from 1) as the simulator would\n"
           "  command NAME            run a command once, as a key bound to it would\n"
           "  menu Item               choose Plugins > Kestrix > Item (e.g. menu Reconnect)\n"
           "USB boards: the plugin looks for serial devices in /dev/; with the environment\n"
           "variable KESTRIX_SERIAL_DIR=DIR it looks in DIR instead, where kestrix-board\n"
           "--serial DIR links its pseudo-terminal.\n";
}

}  // namespace kestrix_sim
