// The menu choices, messages, dataref values and commands kestrix-sim performs at given times.
#pragma once

#include <string>
#include <vector>

#include "sim_options.h"
#include "simhost.h"

namespace kestrix_sim {

class EventSchedule {
  public:
    EventSchedule(std::vector<MenuChoice> menus, std::vector<MessageSend> messages,
                  std::vector<DatarefSet> sets = {}, std::vector<CommandRun> commands = {});

    // Performs, in time order, every event due at virtual time now that has
    // not run yet, printing one line for each.
    void RunDue(double now, simhost::PluginModule& module);
    // A line typed while the run goes on, due at once.
    void AddTyped(const TypedLine& line, double now);
    // Prints a line for each event the run ended before.
    void ReportPending() const;

  private:
    enum class Kind { Menu, Message, Set, Command };
    struct Event {
        Kind kind = Kind::Message;
        double at = 0;
        MenuChoice menu;
        MessageSend message;
        DatarefSet set;
        CommandRun command;
        bool done = false;
    };
    Event& Add(Kind kind, double at);
    // "menu Item", "message 103", "set name" or "command name".
    static std::string Describe(const Event& event);
    void Perform(const Event& event, double now, simhost::PluginModule& module) const;

    std::vector<Event> events_;
};

// "[   5.000 s] " for output lines.
std::string TimeStamp(double now);

}  // namespace kestrix_sim
