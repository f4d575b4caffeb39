// Everything the plugin knows about its connected boards: one record per
// board, indexed by board index (the order in which boards were first
// configured), holding its input and output rows. The parser fills a board's
// record from its configuration text; the protocol and the simulator-data
// subsystems read it.
#pragma once

#include "base/socket_address.h"

#include <cstdint>
#include <string>
#include <vector>

#include "XPLMDataAccess.h"
#include "config/input_lookup.h"
#include "config/output_compact.h"

using ByteList = std::vector<uint8_t>;

// One accepted line of a board's section I.
struct BoardInput {
    std::vector<std::string> Data;     // tokens after rewriting: key, name, value field, element
    std::string Datatags;              // the key after rewriting (D12, B3/1+, A0 ...)
    int InputDrefTypes = 0;            // SDK type mask of the dataref; 0 for commands and links
    void* InputDataPointer = nullptr;  // command or dataref handle; null for local links
    int Mode = 0;                      // switch-group / encoder bookkeeping
    std::vector<float> InputDataRange;
    int InputArrayNum = 0;  // 1-based element; -1 marks a local link; 0 a command
    float InputDefault = 1.0f;
    int InputIncrementDir = 0;
    int Contval = -1;            // hold behaviour; -1 none
    std::vector<int> InputSkip;  // pairs (n, counter)
};

// What the output engine remembers of one output between passes. It lives in
// the output's row, so a rebuilt board starts without it.
struct OutputMemory {
    // The last reading and what it gave: a value read again bit for bit
    // unchanged is not mapped again, and a mapped value unchanged is not
    // formatted again.
    float raw = 0;     // board: the element read
    float mapped = 0;  // the value it mapped to
    bool read = false;
    // Still to be sent because the board asked for everything (sendall) and
    // an earlier pass ended before this output.
    bool owed = false;
    // The output test's lit state has been sent for this output.
    bool testShown = false;
    std::string text;             // the text of mapped
    std::vector<float> rawArray;  // panel: every element read
};

// One section O line of three or more tokens. What every output pass reads
// comes first (the compact record, the active bit, Previous and the engine's
// memory), so that a pass over many outputs touches little memory; the
// tokens and tables the parser fills follow.
struct BoardOutput {
    OutputCompact Compact;  // settled from the fields below when the text is read
    bool OutputActive = true;
    std::string Previous;  // last text sent
    OutputMemory Memory;   // the output engine's, see above

    std::vector<std::string> OutDrefs;  // key, precision, name, element, range A, range B, steps
    std::vector<float> OutRange1;
    std::vector<float> OutRange2;
    XPLMDataRef Drefread = nullptr;
    int Type = 0;
    int Arraynum = 1;
    int Precision = 0;
};

struct Board {
    // Rebuilt by every parse of the board's text.
    unsigned OutDevice = 0;  // board id: 0 self-configuring, else its number in data.cfg
    bool AllowOutput = false;
    bool AllowPing = false;
    bool LedPortSend = false;
    bool sendall = true;
    unsigned StepperCommon = 100;  // 100: not set
    unsigned LEDCommon = 100;
    unsigned SevenSegCommon = 100;
    ByteList MatrixAdditional;    // 5 bytes
    ByteList AnalogAdditional;    // 16 channels x 3 bytes
    ByteList EncoderAdditional;   // 3 bytes per declared encoder
    ByteList SevenSegAdditional;  // 1 byte per 7-segment output
    ByteList StepperAdditional;   // 3 bytes per stepper output
    ByteList LedPortData;         // at most 8 bytes of 8 LEDs
    std::vector<BoardInput> Inputs;
    std::vector<BoardOutput> Outputs;
    std::vector<std::vector<std::string>> OutputModeLed;  // two-token O lines
    // The inputs by key, built when the board's text has been read; whoever
    // changes Inputs afterwards builds it again.
    InputLookup inputLookup;
    // Where the next output pass begins: after the output at which a full
    // message ended the last one, so that no output waits forever behind
    // others that change every frame.
    std::size_t OutputCursor = 0;

    // How the board is reached; set when the board is added, kept by rebuilds.
    sockaddr_in UdpIP{};       // sender address for a LAN board, all zero for USB
    int SerialIndex = -1;      // port index of a USB board, -1 for LAN
    int StatusLineNumber = 0;  // the status-window line the board was given
};

inline constexpr std::size_t kMatrixBytes = 5;
inline constexpr std::size_t kAnalogChannels = 16;
inline constexpr std::size_t kAnalogBytes = kAnalogChannels * 3;
inline constexpr std::size_t kMaxLedPortBytes = 8;
// The most one board text may create. The board has 54 pins; a button matrix
// on them has at most 27 x 27 buttons, each reported pressed and released
// (1458 inputs), so 2048 inputs leave room for every real board. Outputs
// (two-token mode lines included) are 54 pins, 64 LED-port LEDs and a few
// outputs per pin selected by O_ inputs: 1024. The output engine visits
// every output every cycle, and the text arrives from the network too, so
// the bound keeps a hostile text from making every cycle slow.
inline constexpr std::size_t kMaxInputs = 2048;
inline constexpr std::size_t kMaxOutputs = 1024;
// The pin-mode table a numbered board is sent covers pins 0 to 53.
inline constexpr unsigned kLastPin = 53;

extern std::vector<Board> Boards;

// The board sections of data.cfg, cut by the loader before any board connects.
extern std::vector<std::string> ArduinoConfigFile;
extern std::vector<unsigned> ArduinoID;

// Text every output's Previous starts from.
extern std::string defaultval;

// Starts a parse of board b with board id: rebuilds the existing record in
// place (keeping how the board is reached and its status line) or appends a
// new one when b is the next index. Returns true when a record was appended.
// Throws for an index beyond the next one, which no caller may pass.
bool BuildBoardRows(std::size_t b, unsigned id);

// SerialIndex of a USB board whose port was closed under it (its device went
// away): no port, and still no LAN board. Sends to it find no port.
inline constexpr int kNoSerialPort = 0x7fffffff;

// A serial port closed: the boards on later ports move down with their
// ports, a board on the closed port itself is left with kNoSerialPort; LAN
// boards (negative) stay as they are.
void RenumberBoardsAfterPort(int closedIndex);

// Empties every table of this file (the reset).
void ClearBoardTables();
