// A board's input events in order, from a script file or typed on standard
// input. Nothing goes out before the plugin has configured the board and it
// has switched its outputs on: only then does it know the index byte its
// events must carry. A "wait" holds back the lines after it.
#pragma once

#include <deque>
#include <string>

#include "input_commands.h"

namespace vboard {

class VirtualBoard;

class InputScript {
  public:
    void Add(const InputCommand& command) { pending_.push_back(command); }

    // Sends what is due at nowMs (any steady clock, in milliseconds).
    void Step(long long nowMs, VirtualBoard& board);

    bool empty() const { return pending_.empty(); }

  private:
    std::deque<InputCommand> pending_;
    long long resumeAtMs_ = 0;
};

// Reads every line of the file into script. False with "FILE line N: why"
// for the first line that is not an input command.
bool LoadInputScript(const std::string& path, InputScript* script, std::string* error);

// Cuts complete lines out of text read from a stream; the rest stays.
class LineReader {
  public:
    void Feed(const char* data, std::size_t size) { buffer_.append(data, size); }
    bool Next(std::string* line);
    // At the end of the stream the last line need not end in a newline.
    bool Rest(std::string* line);

  private:
    std::string buffer_;
};

}  // namespace vboard
