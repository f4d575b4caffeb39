// kestrix-sim's command line.
#pragma once

#include <string>
#include <vector>

namespace kestrix_sim {

struct MenuChoice {
    std::string menu;  // empty: the first submenu under Plugins
    std::string item;
    double at = 0;  // seconds of virtual time
};

struct MessageSend {
    int message = 0;
    double at = 0;
};

// A dataref value the simulator sets at a given time, as if the pilot or the
// aircraft changed it: a scalar, or element `element` of an array, counted
// from 1 as data.cfg counts them.
struct DatarefSet {
    std::string name;
    int element = 0;  // 0: the scalar value
    double value = 0;
    double at = 0;
};

// A command the pilot runs once at a given time, as a key bound to it would.
struct CommandRun {
    std::string name;
    double at = 0;
};

struct SimOptions {
    std::string root;
    std::string aircraft;  // as given: relative to the root, or absolute
    std::string plugin;    // empty: <root>/Resources/plugins/Kestrix/64/lin.xpl
    std::string datarefs;  // empty: the root's table, else the project's own
    std::string commands;
    double seconds = 10;
    int frames = -1;  // >= 0 when --frames was given; it wins over seconds
    bool fast = false;
    bool help = false;
    std::vector<MenuChoice> menus;
    std::vector<MessageSend> messages;
    std::vector<DatarefSet> sets;
    std::vector<CommandRun> commandRuns;
};

// False with a reason in *error when the arguments are not usable.
bool ParseSimOptions(int argc, char** argv, SimOptions* options, std::string* error);
std::string SimUsage();

// "Item@5", "Kestrix/Item@5" and "103@2.5"; false when malformed.
bool ParseMenuChoice(const std::string& text, MenuChoice* choice);
bool ParseMessageSend(const std::string& text, MessageSend* send);
// "name=value@5" and "name[2]=value@5"; false when malformed.
bool ParseDatarefSet(const std::string& text, DatarefSet* set);
// "name@5"; false when malformed.
bool ParseCommandRun(const std::string& text, CommandRun* run);

// What a line typed while kestrix-sim runs asks for, at once.
struct TypedLine {
    enum class Kind { Set, Command, Menu } kind = Kind::Set;
    DatarefSet set;
    CommandRun command;
    MenuChoice menu;
};
// "NAME = V", "NAME[i] = V", "command NAME" and "menu Item" (or
// "menu Menu/Item"); false with a reason in *error when it is none of them.
bool ParseTypedLine(const std::string& line, TypedLine* typed, std::string* error);

}  // namespace kestrix_sim
