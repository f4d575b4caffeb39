// The input monitor: while the user has it on, every input event a board
// sends is written to the log as it arrives, one line each, with what it
// did: the datarefs written and their values, the commands run, the local
// directives, or that nothing matched. At most kMonitorLinesPerSecond lines
// a second; the events beyond are counted and the count logged, so a
// chattering switch cannot flood the log. While the monitor is off each
// hook below returns at once.
#pragma once

#include <cstddef>

struct Board;
struct BoardInput;
struct InputEvent;

inline constexpr int kMonitorLinesPerSecond = 20;

// Around the handling of one input event of board: Begin takes the event's
// text, the notes collect what it did, End writes the line.
void MonitorEventBegin(const Board& board, const InputEvent& event);
void MonitorEventEnd();
// An event refused because its sender is not the board it names.
void MonitorRefusedEvent();

// An input whose key the event matched.
void MonitorNoteMatch();
void MonitorNoteWrite(const BoardInput& in, unsigned element, float value);
// what: "once", "begun" or "ended"; count: how many times (once).
void MonitorNoteCommand(const BoardInput& in, const char* what, unsigned count);
void MonitorNoteDirective(const BoardInput& in);
void MonitorNoteSaved(const BoardInput& in);

// Back to the state of a fresh start: no event being collected, no line
// counted in the current second (the clock may start again from zero).
void ForgetInputMonitor();

// Once per cycle: the count of lines left out, once their second is over.
void ReportInputMonitor(double now);
