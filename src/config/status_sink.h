// Where the parser shows a board's line in the status window. The status
// window implements the sink and the host installs it; with none installed
// (kestrix-check, a parser test) the lines go nowhere and nothing opens.
#pragma once

#include <string>

class StatusLineSink {
  public:
    virtual ~StatusLineSink() = default;
    // Status line n (0 is the top line) now reads text.
    virtual void SetStatusLine(int n, const std::string& text) = 0;
    // A board has been read and WINDOW_ON_CONNECT asks for the window.
    virtual void ShowStatusWindow() = 0;
};

// Installs the sink for the parses that follow; nullptr removes it.
void SetStatusLineSink(StatusLineSink* sink);
